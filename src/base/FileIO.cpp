#include "FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

// Closes a descriptor and removes the temporary file unless released.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string name, int fd) : m_name(std::move(name)), m_fd(fd) {}
    ~TemporaryFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!m_kept) {
            ::unlink(m_name.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Fd() const { return m_fd; }
    const std::string& Name() const { return m_name; }
    int Close()
    {
        int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }
    void Keep() { m_kept = true; }

private:
    std::string m_name;
    int m_fd;
    bool m_kept = false;
};

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

// A target that exists and is no regular file (a device such as /dev/null,
// a pipe) is written into as it is: renaming over it would replace the device
// with a plain file.
void WriteIntoSpecialFile(const std::string& path, const std::string& bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(Msg::FileWriteFailed, path, errno);
    }
    try {
        WriteAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) {
        throw FileError(Msg::FileWriteFailed, path, errno);
    }
}

mode_t CreationMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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

std::string ReadWholeFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(Msg::FileOpenFailed, path, errno);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int error = errno;
            ::close(fd);
            throw FileError(Msg::FileReadFailed, path, error);
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void WriteWholeFile(const std::string& requestedPath, const std::string& bytes)
{
    struct stat existing {};
    const bool exists = ::stat(requestedPath.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        WriteIntoSpecialFile(requestedPath, bytes);
        return;
    }
    // A link to a file is followed, so that the link stays and its target
    // gets the new bytes.
    std::string path = requestedPath;
    if (exists) {
        if (char* resolved = ::realpath(requestedPath.c_str(), nullptr)) {
            path = resolved;
            ::free(resolved);
        }
    }
    std::string pattern = path + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        throw FileError(Msg::FileWriteFailed, requestedPath, errno);
    }
    TemporaryFile temporary(pattern, fd);
    mode_t mode = exists ? (existing.st_mode & 07777) : CreationMode();
    ::fchmod(fd, mode);
    WriteAll(fd, bytes, requestedPath);
    if (::fsync(fd) != 0) {
        throw FileError(Msg::FileWriteFailed, requestedPath, errno);
    }
    if (temporary.Close() != 0) {
        throw FileError(Msg::FileWriteFailed, requestedPath, errno);
    }
    if (::rename(temporary.Name().c_str(), path.c_str()) != 0) {
        throw FileError(Msg::FileWriteFailed, requestedPath, errno);
    }
    temporary.Keep();
    // Make the rename itself durable; a folder that cannot be synced is not a lost file.
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

FileReplacement::FileReplacement(const std::string& path) : m_requestedPath(path), m_targetPath(path)
{
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        m_fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0) {
            throw FileError(Msg::FileWriteFailed, path, errno);
        }
        return;
    }
    if (exists) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            m_targetPath = resolved;
            ::free(resolved);
        }
    }
    std::string pattern = m_targetPath + ".XXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0) {
        throw FileError(Msg::FileWriteFailed, path, errno);
    }
    m_temporaryPath = pattern;
    ::fchmod(m_fd, exists ? (existing.st_mode & 07777) : CreationMode());
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
