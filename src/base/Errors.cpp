#include "Errors.h"

#include <cerrno>

#include "Messages.h"
#include "TextEncoding.h"

namespace quaverly {

std::string ErrnoReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return std::string(Msg::ReasonNotFound);
    case EACCES:
    case EPERM:
        return std::string(Msg::ReasonAccess);
    case ENOSPC:
    case EDQUOT:
        return std::string(Msg::ReasonNoSpace);
    case EFBIG:
        return std::string(Msg::ReasonTooBig);
    case EIO:
        return std::string(Msg::ReasonIo);
    case EISDIR:
        return std::string(Msg::ReasonIsFolder);
    case EROFS:
        return std::string(Msg::ReasonReadOnly);
    case EXDEV:
        return std::string(Msg::ReasonCrossDevice);
    default:
        return std::string(Msg::ReasonOther) + std::to_string(errorNumber);
    }
}

namespace {

// Paths on this platform are UTF-8 bytes; messages are Shift-JIS.
std::string DescribeFileFailure(std::string_view what, const std::string& path, std::string_view reason)
{
    return std::string(what) + "\r\n" + Utf8ToSjisLenient(path) + "\r\n" + std::string(reason);
}

}  // namespace

FileError::FileError(std::string_view what, const std::string& path, int errorNumber)
    : QuaverlyError(DescribeFileFailure(what, path, ErrnoReason(errorNumber))), m_path(path), m_errorNumber(errorNumber)
{
}

FileError::FileError(std::string_view what, const std::string& path, int errorNumber, std::string_view reason)
    : QuaverlyError(DescribeFileFailure(what, path, reason)), m_path(path), m_errorNumber(errorNumber)
{
}

ConversionError::ConversionError(std::string_view text)
    : QuaverlyError(std::string(Msg::NotInteger) + "'" + std::string(text) + "'")
{
}

}  // namespace quaverly
