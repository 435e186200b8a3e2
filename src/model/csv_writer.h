#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vev {

// Builds UTF-8 comma-separated text the way RFC 4180 reads it: fields separated by commas,
// records ended by CR LF, a field quoted when it holds a comma, a double quote, CR or LF, with
// the quotes inside doubled. Every UTF-8 table the program writes (answer export, codebook,
// comparison report, cross table) goes through it, so no line is ever built by hand.
class CsvWriter {
public:
    // byteOrderMark: start with EF BB BF, so that spreadsheets detect UTF-8 on every desktop.
    explicit CsvWriter(bool byteOrderMark = false);

    CsvWriter& field(QStringView text);
    CsvWriter& field(const QString& text) { return field(QStringView(text)); }
    CsvWriter& field(long long number);
    CsvWriter& emptyField();
    void endRecord();
    // The fields as one record.
    void record(const QStringList& fields);

    const QByteArray& bytes() const { return bytes_; }

private:
    void separate();
    QByteArray bytes_;
    bool atRecordStart_ = true;
};

} // namespace vev
