#include "platform/AtomicFile.h"

#include "platform/PlatformError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velunora {
namespace {

// Closes the descriptor and removes the file being written unless it was completed (for a
// sibling: the rename took it over).
class UnfinishedFile {
public:
    explicit UnfinishedFile(std::string path, int descriptor)
        : path_(std::move(path))
        , descriptor_(descriptor) {}
    ~UnfinishedFile() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

    int descriptor() const noexcept { return descriptor_; }
    const std::string& path() const noexcept { return path_; }
    int close() noexcept {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result;
    }
    void committed() noexcept { committed_ = true; }

private:
    std::string path_;
    int descriptor_;
    bool committed_ = false;
};

void writeAndFlush(int descriptor, std::string_view bytes, const std::filesystem::path& target,
                   Durability durability = Durability::survivesCrash) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw PlatformError::fileUnwritable(target, errno);
        }
        written += static_cast<std::size_t>(count);
    }
    if (durability == Durability::survivesCrash && ::fsync(descriptor) != 0) {
        throw PlatformError::fileUnwritable(target, errno);
    }
}

} // namespace

namespace {

// Flushes the folder, so that a rename in it survives a crash; a failure here leaves a complete
// file either way.
void flushFolder(const std::filesystem::path& folder) {
    if (const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// A name for a sibling of the target that nothing holds yet: the target's, hidden, with a random
// tail, like mkstemp's.
std::filesystem::path siblingName(const std::filesystem::path& folder,
                                  const std::filesystem::path& target) {
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string tail(6, 'X');
    for (char& letter : tail) {
        letter = letters[random() % (sizeof letters - 1)];
    }
    return folder / ("." + target.filename().string() + "." + tail);
}

// Writes the bytes into a file without a name, which gets one only once complete (O_TMPFILE):
// a process killed meanwhile leaves nothing behind. False where the file system or the kernel
// cannot, so that the caller writes through a named sibling instead.
bool writeUnnamedThenPlace(const std::filesystem::path& folder, const std::filesystem::path& target,
                           std::string_view bytes, Durability durability) {
    const int descriptor = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return false;
    }
    UnfinishedFile unnamed(std::string(), descriptor);
    unnamed.committed(); // nothing to remove by name: the kernel frees an unnamed file
    writeAndFlush(descriptor, bytes, target, durability);
    // linkat cannot replace a file: the complete file gets a sibling's name, then the target's.
    const std::string source = "/proc/self/fd/" + std::to_string(descriptor);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::filesystem::path sibling = siblingName(folder, target);
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, sibling.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) {
                continue;
            }
            // No /proc, or a file system that refuses: the named way does.
            return false;
        }
        if (std::rename(sibling.c_str(), target.c_str()) != 0) {
            const int failure = errno;
            ::unlink(sibling.c_str());
            throw PlatformError::fileUnwritable(target, failure);
        }
        return true;
    }
    return false;
}

} // namespace

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         Durability durability) {
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        throw PlatformError::fileUnwritable(target, S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
    }
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    if (!writeUnnamedThenPlace(folder, target, bytes, durability)) {
        std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
        // mkstemp creates the file with mode 0600 whatever the umask.
        const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (descriptor < 0) {
            throw PlatformError::fileUnwritable(target, errno);
        }
        UnfinishedFile sibling(pattern, descriptor);
        writeAndFlush(sibling.descriptor(), bytes, target, durability);
        if (sibling.close() != 0) {
            throw PlatformError::fileUnwritable(target, errno);
        }
        if (std::rename(sibling.path().c_str(), target.c_str()) != 0) {
            throw PlatformError::fileUnwritable(target, errno);
        }
        sibling.committed();
    }
    if (durability == Durability::survivesCrash) {
        flushFolder(folder);
    }
}

void writeNewFile(const std::filesystem::path& target, std::string_view bytes) {
    // O_EXCL: nothing already there, a link included, is ever written through.
    const int descriptor = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        throw PlatformError::fileUnwritable(target, errno);
    }
    UnfinishedFile file(target.string(), descriptor);
    writeAndFlush(file.descriptor(), bytes, target);
    if (file.close() != 0) {
        throw PlatformError::fileUnwritable(target, errno);
    }
    file.committed();
}

namespace {

// A folder of ours to keep data in: ours, and not one that anyone may write into (where a
// stranger could put links or files in place of ours). A group that may write is left alone:
// Debian gives each user a group of their own.
void requireFolderOfOurs(const std::filesystem::path& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0 &&
        (status.st_uid != ::geteuid() || (status.st_mode & S_IWOTH) != 0)) {
        throw PlatformError::folderNotPrivate(folder);
    }
}

} // namespace

namespace {

void makeFolders(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return;
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        makeFolders(folder.parent_path());
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throw PlatformError::fileUnwritable(folder, errno);
    }
    if (!std::filesystem::is_directory(folder, error)) {
        throw PlatformError::fileUnwritable(folder, ENOTDIR);
    }
}

} // namespace

void createPrivateFolder(const std::filesystem::path& folder) {
    // Only the folder itself: the folders above it (/home, a shared disk) are not ours to judge.
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        requireFolderOfOurs(folder);
        return;
    }
    makeFolders(folder);
}

} // namespace velunora
