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
    throw VevError(ioErrorText(systemError), systemError);
}

namespace {
std::string japaneseReason(int systemError) {
    switch (systemError) {
    case ENOENT:
        return "ファイルまたはフォルダが見つかりません";
    case ENOTDIR:
        return "フォルダが見つかりません";
    case EINVAL:
    case ENAMETOOLONG:
        return "ファイル名が正しくありません";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case EISDIR:
        return "同じ名前のフォルダがあります";
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return "アクセスが拒否されました";
    case ENOSPC:
    case EDQUOT:
        return "ディスクがいっぱいです";
    default:
        return "入出力エラー " + std::to_string(systemError);
    }
}
} // namespace

std::string fileFailureText(std::string_view what, const std::string& path, int systemError) {
    return std::string(what) + "：" + path + "（" + japaneseReason(systemError) + "）";
}

void rethrowWithPath(const VevError& failure, std::string_view what, const std::string& path) {
    if (failure.systemError() == 0) throw failure;
    throw VevError(fileFailureText(what, path, failure.systemError()), failure.systemError());
}

void throwConversionError(std::string_view text) {
    throw VevError("'" + sjis::toQString(text).toStdString() + "' is not a valid integer value");
}

std::string withFullStop(std::string text) {
    // A Japanese message already ends in its own full stop "。" (UTF-8 E3 80 82).
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "\xE3\x80\x82") == 0) return text;
    // Other Japanese text ("...（アクセスが拒否されました）") gets the Japanese full stop.
    if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80) return text + "。";
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

} // namespace vev
