#include "model/csv_writer.h"

#include <charconv>

namespace vev {

CsvWriter::CsvWriter(bool byteOrderMark) {
    if (byteOrderMark) bytes_.append("\xEF\xBB\xBF");
}

void CsvWriter::separate() {
    if (!atRecordStart_) bytes_.append(',');
    atRecordStart_ = false;
}

CsvWriter& CsvWriter::field(QStringView text) {
    separate();
    const QByteArray utf8 = text.toUtf8();
    const bool quote =
        utf8.contains(',') || utf8.contains('"') || utf8.contains('\r') || utf8.contains('\n');
    if (!quote) {
        bytes_.append(utf8);
        return *this;
    }
    bytes_.append('"');
    for (const char c : utf8) {
        if (c == '"') bytes_.append('"');
        bytes_.append(c);
    }
    bytes_.append('"');
    return *this;
}

CsvWriter& CsvWriter::field(long long number) {
    // The separator and the digits in one append, without a temporary QByteArray: an answer
    // table has a third of a million numbers.
    char text[32];
    char* end = text;
    if (!atRecordStart_) *end++ = ',';
    atRecordStart_ = false;
    end = std::to_chars(end, text + sizeof text, number).ptr;
    bytes_.append(text, end - text);
    return *this;
}

CsvWriter& CsvWriter::emptyField() {
    separate();
    return *this;
}

void CsvWriter::endRecord() {
    bytes_.append("\r\n");
    atRecordStart_ = true;
}

void CsvWriter::record(const QStringList& fields) {
    for (const QString& f : fields) field(f);
    endRecord();
}

} // namespace vev
