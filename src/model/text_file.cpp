#include "model/text_file.h"

#include "model/vev_error.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace vev {

namespace {
QString nativeName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The errno that the last failed call left, or a plain I/O error when Qt hid it.
int lastSystemError() { return errno != 0 ? errno : EIO; }
} // namespace

TextFileWriter::TextFileWriter(std::string path) : path_(std::move(path)) {}

void TextFileWriter::line(std::string_view bytes) {
    contents_.append(bytes);
    contents_.append("\r\n");
}

void TextFileWriter::raw(std::string_view bytes) { contents_.append(bytes); }

void TextFileWriter::commit() {
    if (path_.empty()) throwIoError(ENOENT);
    QSaveFile file(nativeName(path_));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) throwIoError(lastSystemError());
    errno = 0;
    const auto size = static_cast<qint64>(contents_.size());
    if (file.write(contents_.data(), size) != size) {
        const int error = lastSystemError();
        file.cancelWriting();
        throwIoError(error);
    }
    errno = 0;
    if (!file.commit()) throwIoError(lastSystemError());
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
