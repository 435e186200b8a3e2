#pragma once

// Small helpers shared by the core tests and the window tests: Shift-JIS literals, reading and
// writing whole files, and paths of tests/data. Header-only, so the core tests use them without
// linking the window support library.
#include "model/core_events.h"
#include "model/sjis.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace vev::test {

inline QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Shift-JIS bytes of a UTF-8 text.
inline QByteArray sj(const char* utf8) {
    return QByteArray::fromStdString(sjis::fromUtf8(utf8));
}

inline QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The whole file; empty when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// Writes the file whole; false when it cannot.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lines given in UTF-8, written as Shift-JIS with CR LF; false when the file cannot be written.
inline bool writeLines(const QString& path, const QStringList& lines) {
    QByteArray contents;
    for (const QString& line : lines)
        contents += QByteArray::fromStdString(sjis::fromQString(line)) + "\r\n";
    return writeFile(path, contents);
}

// A path as the document keeps it.
inline std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The absolute path of a file of tests/data.
inline QString testData(const char* name) {
    return QStringLiteral(VEV_TEST_DATA "/") + QLatin1String(name);
}

// What the core reported while a test ran.
class RecordedEvents : public CoreEvents {
public:
    QStringList notices;
    int beeps = 0;
    QList<int> changed;
    void notice(const QString& text) override { notices << text; }
    void informationBeep() override { ++beeps; }
    void tallyChanged(int q) override { changed << q; }
};

} // namespace vev::test
