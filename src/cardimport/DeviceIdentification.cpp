#include "cardimport/DeviceIdentification.h"

#include "platform/FileDescriptor.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora {
namespace {

constexpr std::string_view fallbackModel = "Machine ResMed";
// A JSON Product object without a name comes from the one family that writes the JSON file.
constexpr std::string_view unnamedJSONProduct = "AirSense 11";
// Real identification files hold about a kilobyte; a bigger one is damage, not a device's name,
// and reading it whole could exhaust memory.
constexpr std::size_t maxIdentificationBytes = 64 * 1024;

// Opens a regular file for reading, or gives -1. Only regular files count: a FIFO or a device node
// on a damaged card must not block or stream forever, and O_NONBLOCK keeps the open itself from
// waiting on a FIFO.
int openRegularFile(const std::filesystem::path& path, struct stat& status) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor >= 0 && (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Reads up to `limit` bytes into `buffer`; gives how many, or -1 on a read error.
ssize_t readSome(int descriptor, char* buffer, std::size_t limit) {
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, limit);
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

// The whole file, or nothing when it cannot be read or is too big to be an identification file.
std::optional<std::string> readIdentificationFile(const std::filesystem::path& path) {
    struct stat status {};
    const FileDescriptor file(openRegularFile(path, status));
    if (file.get() < 0 || static_cast<std::size_t>(status.st_size) > maxIdentificationBytes) {
        return std::nullopt;
    }
    // One byte more than allowed tells a file that grew past the bound while it was read.
    std::string contents(maxIdentificationBytes + 1, '\0');
    std::size_t total = 0;
    for (;;) {
        const ssize_t count =
            readSome(file.get(), contents.data() + total, contents.size() - total);
        if (count < 0) {
            return std::nullopt;
        }
        total += static_cast<std::size_t>(count);
        if (count == 0) {
            contents.resize(total);
            return contents;
        }
        if (total > maxIdentificationBytes) {
            return std::nullopt;
        }
    }
}

// A file whose first bytes can be read: enough to know the card is not locked away from us.
bool canReadFile(const std::filesystem::path& path) {
    struct stat status {};
    const FileDescriptor file(openRegularFile(path, status));
    std::array<char, 512> buffer{};
    return file.get() >= 0 && readSome(file.get(), buffer.data(), buffer.size()) >= 0;
}

// Editors on other systems may put a byte-order mark before the text; it is not part of it.
std::string_view withoutByteOrderMark(std::string_view bytes) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    if (bytes.starts_with(mark)) {
        bytes.remove_prefix(mark.size());
    }
    return bytes;
}

// JSON leaves duplicate keys open; like the .tgt entries, the later one wins.
std::optional<simdjson::dom::element> lastMember(simdjson::dom::object object,
                                                 std::string_view key) {
    std::optional<simdjson::dom::element> found;
    for (const auto field : object) {
        if (field.key == key) {
            found = field.value;
        }
    }
    return found;
}

std::optional<simdjson::dom::object> objectMember(simdjson::dom::object object,
                                                  std::string_view key) {
    const auto member = lastMember(object, key);
    simdjson::dom::object result;
    if (!member || member->get_object().get(result) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::string_view> textMember(simdjson::dom::object object, std::string_view key) {
    const auto member = lastMember(object, key);
    std::string_view result;
    if (!member || member->get_string().get(result) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    return result;
}

std::string replacedAll(std::string text, std::string_view target, std::string_view replacement) {
    for (std::size_t position = text.find(target); position != std::string::npos;
         position = text.find(target, position + replacement.size())) {
        text.replace(position, target.size(), replacement);
    }
    return text;
}

// The .tgt value ends at spaces and tabs only; other white space inside the line is kept.
std::string_view trimmedSpacesAndTabs(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<DeviceIdentification> identificationFromJSON(std::string_view bytes) {
    const simdjson::padded_string padded(withoutByteOrderMark(bytes));
    simdjson::dom::parser parser;
    simdjson::dom::object root;
    if (parser.parse(padded).get_object().get(root) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    std::optional<simdjson::dom::object> product;
    if (const auto flowGenerator = objectMember(root, "FlowGenerator")) {
        if (const auto profiles = objectMember(*flowGenerator, "IdentificationProfiles")) {
            product = objectMember(*profiles, "Product");
        }
    }
    if (!product) {
        return std::nullopt;
    }
    const auto productName = textMember(*product, "ProductName");
    const auto serialNumber = textMember(*product, "SerialNumber");
    return DeviceIdentification{normalizedModelName(productName.value_or(unnamedJSONProduct)),
                                std::string(serialNumber.value_or(std::string_view{}))};
}

DeviceIdentification identificationFromTGT(std::string_view bytes) {
    bytes = withoutByteOrderMark(bytes);
    if (!simdjson::validate_utf8(bytes)) {
        return DeviceIdentification{std::string(fallbackModel), {}};
    }
    std::optional<std::string_view> productName;
    std::optional<std::string_view> serialNumber;
    for (const auto rawLine : text::splitLines(bytes)) {
        const std::string_view line = text::trimmed(rawLine);
        if (!line.starts_with('#')) {
            continue;
        }
        const auto separator = line.find_first_of(" \t");
        if (separator == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, separator);
        const std::string_view value = trimmedSpacesAndTabs(line.substr(separator));
        if (key == "#PNA") {
            productName = value;
        } else if (key == "#SRN") {
            serialNumber = value;
        }
    }
    // The device writes spaces in its product name as underscores (AirSense_10_AutoSet).
    std::string model(productName.value_or(fallbackModel));
    std::replace(model.begin(), model.end(), '_', ' ');
    return DeviceIdentification{std::move(model),
                                std::string(serialNumber.value_or(std::string_view{}))};
}

std::string normalizedModelName(std::string_view productName) {
    std::string spaced(productName);
    spaced = replacedAll(std::move(spaced), "AirSense11", "AirSense 11 ");
    spaced = replacedAll(std::move(spaced), "AirCurve11", "AirCurve 11 ");
    spaced = replacedAll(std::move(spaced), "AirSense10", "AirSense 10 ");
    spaced = replacedAll(std::move(spaced), "AirCurve10", "AirCurve 10 ");

    std::string model;
    for (const auto piece : text::splitAtWhiteSpace(spaced)) {
        if (!model.empty()) {
            model += ' ';
        }
        model += piece;
    }
    return model;
}

DeviceIdentification readDeviceIdentification(const std::filesystem::path& root) {
    if (const auto json = readIdentificationFile(root / "Identification.json")) {
        if (auto identification = identificationFromJSON(*json)) {
            return *std::move(identification);
        }
    }
    if (const auto tgt = readIdentificationFile(root / "Identification.tgt")) {
        return identificationFromTGT(*tgt);
    }
    return DeviceIdentification{std::string(fallbackModel), {}};
}

bool canReadCard(const std::filesystem::path& root) {
    for (const char* name : {"Identification.json", "Identification.tgt", "STR.edf"}) {
        const std::filesystem::path candidate = root / name;
        std::error_code error;
        if (std::filesystem::exists(candidate, error)) {
            return canReadFile(candidate);
        }
    }
    return false;
}

} // namespace velunora
