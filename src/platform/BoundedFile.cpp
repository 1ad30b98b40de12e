#include "platform/BoundedFile.h"

#include "platform/FileDescriptor.h"
#include "platform/PlatformError.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora {
namespace {

std::string identityOf(const struct stat& status) {
    return std::to_string(status.st_dev) + ':' + std::to_string(status.st_ino) + ':' +
           std::to_string(status.st_size) + ':' + std::to_string(status.st_mtim.tv_sec) + '.' +
           std::to_string(status.st_mtim.tv_nsec);
}

} // namespace

std::optional<std::string> readSystemFile(const std::filesystem::path& file,
                                          std::size_t maximumBytes) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[16384];
    for (;;) {
        const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0 || bytes.size() + static_cast<std::size_t>(count) > maximumBytes) {
            ::close(descriptor);
            return count == 0 ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
        }
        bytes.append(chunk, static_cast<std::size_t>(count));
    }
}

std::string fileIdentity(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return {};
    }
    return identityOf(status);
}

std::optional<std::string> readRegularFile(const std::filesystem::path& file,
                                           std::size_t maximumBytes, std::string* identity) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. O_NOFOLLOW: a
    // link put in place of our file could lead anywhere (/dev/zero, another user's file).
    const FileDescriptor descriptor(
        ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (descriptor.get() < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw PlatformError::fileUnreadable(file, errno == ELOOP ? EINVAL : errno);
    }
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0) {
        throw PlatformError::fileUnreadable(file, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw PlatformError::fileUnreadable(file, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    }
    // Our files are ours: one of another user's in their place is not read for ours.
    if (status.st_uid != ::geteuid()) {
        throw PlatformError::fileUnreadable(file, EACCES);
    }
    if (static_cast<std::size_t>(status.st_size) > maximumBytes) {
        throw PlatformError::fileUnreadable(file, EFBIG);
    }
    if (identity) {
        *identity = identityOf(status);
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    // One byte past the size found: a file that grew meanwhile is noticed, not cut.
    char probe = 0;
    for (;;) {
        char* destination = done < bytes.size() ? bytes.data() + done : &probe;
        const std::size_t wanted = done < bytes.size() ? bytes.size() - done : 1;
        const ssize_t count = ::read(descriptor.get(), destination, wanted);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw PlatformError::fileUnreadable(file, errno);
        }
        if (count == 0) {
            break;
        }
        if (done >= bytes.size()) {
            throw PlatformError::fileUnreadable(file, EFBIG);
        }
        done += static_cast<std::size_t>(count);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace velunora
