#pragma once

#include <stdexcept>
#include <string>

namespace velunora {

// Every failure that card reading reports, with its French text for the user.
class PAPCardImportError : public std::runtime_error {
public:
    enum class Kind { unreadable, unsupported, noSessions };

    // `message` says in French what could not be read, naming the file where there is one.
    static PAPCardImportError unreadable(std::string message);
    // `unreadable` for a card that went away or stopped answering while `fileName`, one of its
    // files or folders, was being read: nothing read from it since can be trusted.
    static PAPCardImportError removedWhileReading(const std::string& fileName);
    static PAPCardImportError unsupported();
    static PAPCardImportError noSessions();

    Kind kind() const noexcept { return kind_; }
    // The payload of `unreadable`; empty for the other cases.
    const std::string& message() const noexcept { return message_; }
    // The text shown to the user, localized.
    std::string errorDescription() const;

    friend bool operator==(const PAPCardImportError& a, const PAPCardImportError& b) {
        return a.kind_ == b.kind_ && a.message_ == b.message_;
    }

private:
    PAPCardImportError(Kind kind, std::string message);

    Kind kind_;
    std::string message_;
};

} // namespace velunora
