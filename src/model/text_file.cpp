#include "model/text_file.h"

#include "model/paths.h"
#include "model/vev_error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace vev {

namespace {
QString nativeName(const std::string& path) {
    return paths::toQString(path);
}

// The errno that the last failed call left, or a plain I/O error when Qt hid it.
int lastSystemError() {
    return errno != 0 ? errno : EIO;
}
} // namespace

TextFileWriter::TextFileWriter(std::string path) : path_(std::move(path)) {}

void TextFileWriter::line(std::string_view bytes) {
    contents_.append(bytes);
    contents_.append("\r\n");
}

void TextFileWriter::raw(std::string_view bytes) {
    contents_.append(bytes);
}

void TextFileWriter::commit() {
    if (path_.empty()) throwIoError(ENOENT);
    const QString name = nativeName(path_);
    // QSaveFile refuses a folder in place of the file without leaving an errno behind.
    if (QFileInfo(name).isDir()) throwIoError(EISDIR);
    QSaveFile file(name);
    // Unbuffered: a buffered QSaveFile flushes inside commit() and, on this Qt, does not report a
    // failed flush there, so a cut-off file could replace the good one. Every write is checked
    // here instead; a short write is retried so that the system's error number comes out.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) throwIoError(lastSystemError());
    const char* data = contents_.data();
    const auto size = static_cast<qint64>(contents_.size());
    qint64 done = 0;
    while (done < size) {
        errno = 0;
        const qint64 written = file.write(data + done, size - done);
        if (written <= 0) {
            const int error = lastSystemError();
            file.cancelWriting();
            throwIoError(error);
        }
        done += written;
    }
    errno = 0;
    if (!file.commit()) throwIoError(lastSystemError());
}

void writeTextFile(const std::string& path, std::string_view contents) {
    TextFileWriter writer(path);
    writer.raw(contents);
    writer.commit();
}

TextFileReader::TextFileReader(const std::string& path) {
    QFile file(nativeName(path));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) throwIoError(lastSystemError());
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throwIoError(lastSystemError());
    data_.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string TextFileReader::readLine() {
    if (atEnd()) return {};
    std::size_t end = data_.find('\n', pos_);
    std::size_t next = end == std::string::npos ? data_.size() : end + 1;
    if (end == std::string::npos) end = data_.size();
    std::size_t stop = end;
    if (end != data_.size() && stop > pos_ && data_[stop - 1] == '\r') --stop;
    std::string text = data_.substr(pos_, stop - pos_);
    pos_ = next;
    return text;
}

} // namespace vev
