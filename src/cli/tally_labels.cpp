#include "cli/tally_labels.h"

#include "model/csv_writer.h"
#include "model/sjis.h"
#include "model/survey_texts.h"

#include <algorithm>
#include <optional>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

QStringList header() {
    return {u8("質問番号"), u8("選択肢番号"), u8("内容")};
}

struct Record {
    int line = 0; // where it starts, from 1
    QStringList fields;
};

// RFC 4180 as spreadsheets write it: a quoted field may hold commas, doubled quotes and line
// breaks; a record ends at CR LF or LF. Empty lines are no records.
std::vector<Record> records(const QString& text) {
    std::vector<Record> out;
    Record current;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    auto endField = [&] {
        current.fields << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        if (!current.fields.isEmpty() || fieldStarted || !field.isEmpty()) {
            endField();
            out.push_back(current);
        }
        current = Record{};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (current.fields.isEmpty() && !fieldStarted && field.isEmpty()) current.line = line;
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n')) ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            fieldStarted = true; // a field follows the comma, even an empty one
        } else if (c == QLatin1Char('\n')) {
            if (field.endsWith(QLatin1Char('\r'))) field.chop(1);
            endRecord();
            ++line;
        } else {
            field += c;
        }
    }
    endRecord();
    return out;
}

// One to three digits; anything else is no number.
std::optional<int> number(const QString& text) {
    if (text.isEmpty() || text.size() > 3) return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

QByteArray textsCsv(const SurveyDocument& doc) {
    CsvWriter csv;
    csv.record(header());
    for (int q = 1; q <= std::min(doc.QuestionCount, MaxQuestions); ++q) {
        auto row = [&](int c, std::string_view text) {
            if (text.empty()) return;
            csv.field(q).field(c).field(sjis::toQString(text));
            csv.endRecord();
        };
        row(0, doc.Texts.Wording[q]);
        for (int c = 1; c <= std::clamp(doc.ChoiceCount[q], 0, MaxTextChoices); ++c)
            row(c, doc.Texts.Choice[q][c]);
    }
    return csv.bytes();
}

TextsTable readTextsCsv(const QByteArray& csv, const SurveyDocument& doc, const QString& name) {
    TextsTable out;
    QString text = QString::fromUtf8(csv);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const std::vector<Record> rows = records(text);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Record& r = rows[i];
        const QString where = u8("%1, line %2: ").arg(name).arg(r.line);
        if (i == 0 && r.fields == header()) continue;
        if (r.fields.size() != 3) {
            out.Refusal =
                where +
                u8("3 fields expected (質問番号,選択肢番号,内容), %1 found").arg(r.fields.size());
            return out;
        }
        const auto q = number(r.fields[0]);
        const auto c = number(r.fields[1]);
        if (!q || !c) {
            out.Refusal = where + u8("'%1' is not a number").arg(r.fields[q ? 1 : 0]);
            return out;
        }
        if (*q < 1 || *q > doc.QuestionCount) {
            out.Refusal = where + u8("question %1 does not exist").arg(*q);
            return out;
        }
        if (*c > std::clamp(doc.ChoiceCount[*q], 0, MaxTextChoices)) {
            out.Refusal = where + u8("question %1 has no choice %2").arg(*q).arg(*c);
            return out;
        }
        const std::size_t limit = *c == 0 ? MaxWordingBytes : MaxChoiceTextBytes;
        const StoredText stored = storedText(r.fields[2], limit);
        if (stored.Refusal == TextRefusal::NotShiftJis) {
            out.Refusal =
                where + u8("'%1' cannot be written in Shift-JIS")
                            .arg(firstCharacterWithoutShiftJis(r.fields[2]).value_or(QString()));
            return out;
        }
        if (stored.Refusal == TextRefusal::LineBreak) {
            out.Refusal = where + u8("the text holds a line break");
            return out;
        }
        if (stored.Cut) out.Notices << where + u8("the text is cut to %1 bytes").arg(limit);
        if (*c == 0)
            out.Texts.Wording[*q] = stored.Bytes;
        else
            out.Texts.Choice[*q][*c] = stored.Bytes;
    }
    return out;
}

} // namespace vev
