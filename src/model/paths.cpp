#include "model/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vev::paths {

std::string folderPart(const std::string& path) {
#ifdef Q_OS_WIN
    // Native 8-bit paths are in the system's code page there (Shift-JIS on a Japanese system),
    // where '\' can be the second byte of a character such as 表: the separator is looked for
    // among the characters.
    const QString text = toQString(path);
    const qsizetype slash =
        std::max(text.lastIndexOf(QLatin1Char('/')), text.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? std::string() : fromQString(text.left(slash + 1));
#else
    // UTF-8: a '/' byte is always the character '/'.
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
#endif
}

std::string fileNamePart(const std::string& path) {
    return path.substr(folderPart(path).size());
}

std::string withExtension(const std::string& path, std::string_view extension) {
    const std::size_t nameStart = folderPart(path).size();
    const std::size_t dot = path.rfind('.');
    std::string result =
        (dot != std::string::npos && dot >= nameStart) ? path.substr(0, dot) : path;
    result += extension;
    return result;
}

std::string absolutePath(const std::string& path) {
    return fromQString(QDir::cleanPath(QFileInfo(toQString(path)).absoluteFilePath()));
}

QString toQString(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string fromQString(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace vev::paths
