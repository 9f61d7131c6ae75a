// Errors raised by the core. Every message is Shift-JIS text in the program's
// language, ready for a message box (the window converts it at its edge) or
// for the command-line tool (which converts it to UTF-8).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quaverly {

// Base of everything the core throws on purpose.
class QuaverlyError : public std::runtime_error {
public:
    explicit QuaverlyError(const std::string& message) : std::runtime_error(message) {}
};

// A file could not be opened, read, created or written. Names the path and the reason.
class FileError : public QuaverlyError {
public:
    FileError(std::string_view what, const std::string& path, int errorNumber);
    // The same with the reason given as text rather than taken from the error number.
    FileError(std::string_view what, const std::string& path, int errorNumber, std::string_view reason);
    const std::string& Path() const { return m_path; }
    int ErrorNumber() const { return m_errorNumber; }

private:
    std::string m_path;
    int m_errorNumber;
};

// A text that must hold an integer (a sequence line field, a numeric-text field) does not.
class ConversionError : public QuaverlyError {
public:
    explicit ConversionError(std::string_view text);
};

// A value the melody file cannot hold, or malformed data the builder cannot encode.
class MelodyLimitError : public QuaverlyError {
public:
    using QuaverlyError::QuaverlyError;
};

// The Japanese reason for an errno value, as Shift-JIS text.
std::string ErrnoReason(int errorNumber);

}  // namespace quaverly
