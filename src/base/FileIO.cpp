#include "FileIO.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "Errors.h"
#include "Messages.h"

namespace quaverly {

namespace {

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes all the bytes to the descriptor, retrying short writes.
void WriteAll(int fd, const std::string& bytes, const std::string& path)
{
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(Msg::FileWriteFailed, path, errno);
        }
        if (n == 0) {
            throw FileError(Msg::FileWriteFailed, path, ENOSPC);
        }
        written += static_cast<size_t>(n);
    }
}

// The replacement of an existing file takes its owner, group and mode, so
// that saving never changes who may read the file. The owner and group come
// first: a change of them clears the set-ID bits, which the mode restores. An
// owner or group this process may not give (an ordinary user keeps their own
// files) stays the one the new file got, without the set-ID bit; the old
// group's rights then fall to what everyone else may do, so that no group
// gains a right it did not have.
// A mode that cannot be set fails the replacement: the old file stays.
void TakeOwnersAndMode(int fd, const struct stat& existing, const std::string& path)
{
    mode_t mode = existing.st_mode & 07777;
    struct stat created {};
    if (::fstat(fd, &created) != 0) {
        throw FileError(Msg::FileWriteFailed, path, errno);
    }
    if ((created.st_uid != existing.st_uid || created.st_gid != existing.st_gid) &&
        ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        if (created.st_uid != existing.st_uid) {
            mode &= ~static_cast<mode_t>(S_ISUID);  // the file is not the old owner's
        }
        if (created.st_gid != existing.st_gid && ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            mode = (mode & ~static_cast<mode_t>(S_IRWXG | S_ISGID)) | ((mode & S_IRWXO) << 3);
        }
    }
    if (::fchmod(fd, mode) != 0) {
        throw FileError(Msg::FileWriteFailed, path, errno);
    }
}

// Creates a new temporary file beside path, named path + "." and six random
// letters. A file that will be a new one is created with 0666, so that the
// kernel applies the process's umask (and a default ACL) at creation: the umask
// is never read or changed here, which would race with other threads creating
// files. A file that replaces an existing one gets that file's mode afterwards.
int CreateTemporaryBeside(const std::string& path, mode_t mode, std::string& name)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            // Without random bytes the attempt number and the time still differ between tries.
            const auto tick = static_cast<unsigned long>(::time(nullptr)) + static_cast<unsigned long>(attempt);
            for (size_t i = 0; i < sizeof random; ++i) {
                random[i] = static_cast<unsigned char>(tick >> (i * 5));
            }
        }
        name = path + ".";
        for (unsigned char byte : random) {
            name += Letters[byte % (sizeof Letters - 1)];
        }
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

std::string UpperExtension(std::string_view path)
{
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string extension(path.substr(dot));
    for (char& c : extension) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return extension;
}

FileError FileTooLargeError(const std::string& path, size_t maxBytes)
{
    return FileError(Msg::FileReadFailed, path, EFBIG,
                     std::string(Msg::ReasonTooBigCapHead) + std::to_string(maxBytes >> 20) +
                         std::string(Msg::ReasonTooBigCapTail));
}

std::string ReadAllFrom(int fd, const std::string& name, size_t maxBytes)
{
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<uint64_t>(info.st_size) > maxBytes) {
            throw FileTooLargeError(name, maxBytes);
        }
        bytes.reserve(static_cast<size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(Msg::FileReadFailed, name, errno);
        }
        if (n == 0) {
            return bytes;
        }
        // A file that grows while it is read, or a stream, stops at the cap.
        if (static_cast<size_t>(n) > maxBytes - bytes.size()) {
            throw FileTooLargeError(name, maxBytes);
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

namespace {

int OpenForReading(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(Msg::FileOpenFailed, path, errno);
    }
    return fd;
}

}  // namespace

std::string ReadWholeFile(const std::string& path, size_t maxBytes)
{
    const int fd = OpenForReading(path);
    try {
        std::string bytes = ReadAllFrom(fd, path, maxBytes);
        ::close(fd);
        return bytes;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

std::string ReadFilePrefix(const std::string& path, size_t count)
{
    const int fd = OpenForReading(path);
    std::string bytes(count, '\0');
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd, bytes.data() + done, count - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw FileError(Msg::FileReadFailed, path, error);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FileReplacement replacement(path);
    WriteAll(replacement.Fd(), bytes, path);
    replacement.Commit();
}

FileReplacement::FileReplacement(const std::string& path) : m_requestedPath(path), m_targetPath(path)
{
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        // A device such as /dev/null or a pipe is written into as it is:
        // renaming over it would replace it with a plain file.
        m_fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0) {
            throw FileError(Msg::FileWriteFailed, path, errno);
        }
        return;
    }
    // A link to a file is followed, so that the link stays and its target
    // gets the new bytes.
    if (exists) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            m_targetPath = resolved;
            ::free(resolved);
        }
    }
    std::string name;
    m_fd = CreateTemporaryBeside(m_targetPath, exists ? 0600 : 0666, name);
    if (m_fd < 0) {
        throw FileError(Msg::FileWriteFailed, path, errno);
    }
    m_temporaryPath = name;
    if (exists) {
        try {
            TakeOwnersAndMode(m_fd, existing, path);
        } catch (...) {
            // No destructor runs for a constructor that throws.
            ::close(m_fd);
            ::unlink(m_temporaryPath.c_str());
            throw;
        }
    }
}

FileReplacement::~FileReplacement()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_temporaryPath.empty()) {
        ::unlink(m_temporaryPath.c_str());
    }
}

void FileReplacement::Commit()
{
    if (m_temporaryPath.empty()) {
        const int rc = ::close(m_fd);
        m_fd = -1;
        if (rc != 0) {
            throw FileError(Msg::FileWriteFailed, m_requestedPath, errno);
        }
        return;
    }
    if (::fsync(m_fd) != 0) {
        throw FileError(Msg::FileWriteFailed, m_requestedPath, errno);
    }
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0) {
        throw FileError(Msg::FileWriteFailed, m_requestedPath, errno);
    }
    if (::rename(m_temporaryPath.c_str(), m_targetPath.c_str()) != 0) {
        throw FileError(Msg::FileWriteFailed, m_requestedPath, errno);
    }
    m_temporaryPath.clear();
    int folder = ::open(FolderOf(m_targetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace quaverly
