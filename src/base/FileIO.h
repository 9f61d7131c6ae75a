// Whole-file reading and writing. Every file the system writes (melody files,
// MIDI files, melody text, the play file) goes through WriteWholeFile, which
// never leaves a half-written file in place of the one that was there.
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// The path's extension including its dot, upper-cased (".MLD"); empty without one.
std::string UpperExtension(std::string_view path);

// The file's bytes. Throws FileError (open or read failure) naming the path.
std::string ReadWholeFile(const std::string& path);

// Writes the bytes to a new temporary file beside the target, checks every
// write, syncs it, and only then renames it over the target. On any failure
// the temporary file is removed, the old file stays byte for byte as it was,
// and FileError names the path and the reason. Programs ignore SIGXFSZ at
// start, so that a file-size limit comes back here as EFBIG.
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace quaverly
