#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace velunora {

FileLock::FileLock(const std::filesystem::path& file, std::chrono::milliseconds patience) {
    descriptor_ =
        ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (descriptor_ < 0) {
        return;
    }
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return;
    }
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (::flock(descriptor_, LOCK_EX | LOCK_NB) == 0) {
            outcome_ = Outcome::locked;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            outcome_ = Outcome::busy;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::~FileLock() {
    if (descriptor_ >= 0) {
        // Closing the descriptor releases the lock.
        ::close(descriptor_);
    }
}

} // namespace velunora
