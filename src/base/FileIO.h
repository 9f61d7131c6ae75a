// Whole-file reading and writing. Every file the system writes (melody files,
// MIDI files, melody text, the play file) goes through WriteWholeFile, which
// never leaves a half-written file in place of the one that was there.
#pragma once

#include <string>
#include <string_view>

#include "Errors.h"
#include "Limits.h"

namespace quaverly {

// The path's extension including its dot, upper-cased (".MLD"); empty without one.
std::string UpperExtension(std::string_view path);


// The file's bytes. Throws FileError (open or read failure) naming the path.
// A file larger than maxBytes is refused before any of it is read (a pipe or
// device, whose size is unknown, as soon as it gives more), with EFBIG and
// the cap in MB as the reason; the cap is a whole number of MB.
std::string ReadWholeFile(const std::string& path, size_t maxBytes = DefaultReadCap);

// At most the first count bytes of the file (fewer when it is shorter).
std::string ReadFilePrefix(const std::string& path, size_t count);

// The refusal ReadWholeFile gives for a file over maxBytes.
FileError FileTooLargeError(const std::string& path, size_t maxBytes);

// Reads the descriptor up to its end, refusing more than maxBytes as above.
// Does not close it. name is the path the error names.
std::string ReadAllFrom(int fd, const std::string& name, size_t maxBytes);

// Writes the bytes to a new temporary file beside the target, checks every
// write, syncs it, and only then renames it over the target (a FileReplacement
// written at once). On any failure the temporary file is removed, the old file
// stays byte for byte as it was, and FileError names the path and the reason.
// Programs ignore SIGXFSZ at start, so that a file-size limit comes back here
// as EFBIG.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// A file written piece by piece (an audio file that grows as it is encoded)
// with WriteWholeFile's promise: the pieces go to a new temporary file beside
// the target, which replaces the target only at Commit. Dropped without a
// Commit (a cancel, any failure), the temporary file is removed and the
// target stays byte for byte as it was. The new file takes the old one's
// mode, and its owner and group where this process may give them (otherwise
// the group's rights become those of everyone else); a mode that cannot be
// set is a failure. A target that is no regular file (a device such as
// /dev/null) is written into as it is.
class FileReplacement {
public:
    // Creates the temporary file. Throws FileError naming path.
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The descriptor to write, seek and read the new contents through.
    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_requestedPath; }
    // Syncs and closes the file and renames it over the target. Throws FileError.
    void Commit();

private:
    std::string m_requestedPath;
    std::string m_targetPath;     // the target, links followed
    std::string m_temporaryPath;  // empty when writing into a special file
    int m_fd = -1;
};

}  // namespace quaverly
