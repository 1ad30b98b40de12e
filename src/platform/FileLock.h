#pragma once

#include <chrono>
#include <filesystem>

namespace velunora {

// An exclusive lock on a file of ours, held for the object's life. The kernel releases it when
// the holder dies (flock), so a killed process never leaves a lock that must time out. The lock
// file is opened without following a link and without waiting on a FIFO, and must be a regular
// file owned by this user: anything else in its place is refused, never waited on.
class FileLock {
public:
    enum class Outcome { locked, busy, refused };

    // Tries for up to `patience` while another holder keeps it.
    FileLock(const std::filesystem::path& file, std::chrono::milliseconds patience);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    Outcome outcome() const noexcept { return outcome_; }
    bool isLocked() const noexcept { return outcome_ == Outcome::locked; }

private:
    int descriptor_ = -1;
    Outcome outcome_ = Outcome::refused;
};

} // namespace velunora
