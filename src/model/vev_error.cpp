#include "model/vev_error.h"

#include "model/sjis.h"

#include <cerrno>

namespace vev {

std::string ioErrorText(int systemError) {
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EINVAL:
    case ENAMETOOLONG:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    // A folder in place of the file is refused access, as the Windows run time reports it.
    case EISDIR:
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(systemError);
    }
}

void throwIoError(int systemError) {
    throw VevError(ioErrorText(systemError));
}

void throwConversionError(std::string_view text) {
    throw VevError("'" + sjis::toQString(text).toStdString() + "' is not a valid integer value");
}

std::string withFullStop(std::string text) {
    // A Japanese message already ends in its own full stop "。" (UTF-8 E3 80 82).
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "\xE3\x80\x82") == 0) return text;
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

} // namespace vev
