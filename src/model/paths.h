#pragma once

#include <QString>

#include <string>
#include <string_view>

// Native paths (UTF-8 on Linux) as the document keeps them, taken apart the way the survey
// files name each other: folder part with its trailing separator, file-name part, extension.
namespace vev::paths {

// Up to and including the last separator; "" when there is none.
std::string folderPart(const std::string& path);
std::string fileNamePart(const std::string& path);
// The path with the extension of its file name replaced, or appended when it has none; a dot
// in a folder name is not an extension.
std::string withExtension(const std::string& path, std::string_view extension);
std::string absolutePath(const std::string& path);
QString toQString(const std::string& path);
std::string fromQString(const QString& path);

} // namespace vev::paths
