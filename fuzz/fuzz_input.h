#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>

// The readers take a path, so every input goes through a file in a private folder (linked tally
// files named in a data file are looked up beside it, and must not reach the rest of /tmp).
inline std::string writeFuzzInput(const std::uint8_t* data, std::size_t size, const char* name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) abort();
    if (file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
        static_cast<qint64>(size))
        abort();
    file.close();
    return QFile::encodeName(path).toStdString();
}
