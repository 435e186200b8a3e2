#include "model/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vev::paths {

bool isSeparator(char c) {
#ifdef Q_OS_WIN
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::string folderPart(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1])) return path.substr(0, i);
    return {};
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
