#include "export/answer_import.h"

#include "model/recording.h"
#include "model/sjis.h"
#include "model/text_file.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

QString decoded(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    return sjis::toQString(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

// One record's fields: split at commas outside double quotes, a doubled quote inside quotes
// standing for one.
QStringList fieldsOf(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

// What a column holds: nothing we read (id, file), question q's answer, or its choice c.
struct Column {
    int question = 0; // 0: ignored
    int choice = 0;   // 0: the whole answer
};

bool digitsOnly(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// The column named `name`, or question -1 when the questionnaire has no such column.
Column columnOf(const SurveyDocument& doc, const QString& name) {
    if (name == QStringLiteral("id") || name == QStringLiteral("file")) return {};
    if (!name.startsWith(QLatin1Char('q'))) return {-1, 0};
    const QStringList parts = name.mid(1).split(QLatin1Char('_'));
    if (parts.size() > 2 || !digitsOnly(parts[0])) return {-1, 0};
    const int q = parts[0].toInt();
    if (q < 1 || q > doc.QuestionCount || doc.ChoiceCount[q] == 0) return {-1, 0};
    if (parts.size() == 1) return {q, 0};
    if (!digitsOnly(parts[1])) return {-1, 0};
    const int c = parts[1].toInt();
    if (doc.ChoiceCount[q] < 2 || c < 1 || c > doc.ChoiceCount[q]) return {-1, 0};
    return {q, c};
}

// The answer of a `q<n>` field as keyed, or empty when it is out of range.
std::string wholeAnswer(const SurveyDocument& doc, int q, const QString& value) {
    if (value.isEmpty()) return "0";
    if (!digitsOnly(value)) return {};
    const int k = doc.ChoiceCount[q];
    if (value == QStringLiteral("9")) return "9";
    if (k < 2) {
        return value.size() == 1 && value != QStringLiteral("0") ? value.toStdString()
                                                                 : std::string();
    }
    // A choice number, or several choice digits of a multi-select question.
    if (value.size() > 1 && !doc.MultiSelect[q]) return {};
    std::string digits;
    for (const QChar c : value) {
        const int d = c.digitValue();
        if (d < 1 || d > k || digits.find(char('0' + d)) != std::string::npos) return {};
        digits += char('0' + d);
    }
    std::sort(digits.begin(), digits.end());
    return digits;
}

QString rangeText(const SurveyDocument& doc, int q) {
    const int k = doc.ChoiceCount[q];
    if (k < 2) return u8("1～8、9");
    return doc.MultiSelect[q] ? u8("1～%1の組み合わせ、9").arg(k) : u8("1～%1、9").arg(k);
}

} // namespace

ImportPreview previewAnswerImport(const SurveyDocument& doc, const QByteArray& bytes) {
    ImportPreview preview;
    preview.FirstRespondent = std::clamp(doc.RespondentCount, 0, MaxRespondents) + 1;
    QStringList lines = decoded(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);

    const QStringList header = fieldsOf(lines.value(0));
    std::vector<Column> columns;
    for (const QString& name : header) {
        const Column column = columnOf(doc, name);
        if (column.question < 0) {
            preview.Refused.push_back(
                {1, u8("列「%1」はこのアンケートにありません。ファイルは読み込めません。").arg(name)});
            return preview;
        }
        columns.push_back(column);
    }

    const int questions = std::min(doc.QuestionCount, MaxQuestions);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        if (lines[i].trimmed().isEmpty()) continue;
        const QStringList fields = fieldsOf(lines[i]);
        const auto refuse = [&](const QString& reason) {
            preview.Refused.push_back({lineNumber, reason});
        };
        if (fields.size() > header.size()) {
            refuse(u8("見出しのない列があります（%1列目）。").arg(header.size() + 1));
            continue;
        }
        std::vector<std::string> row(static_cast<std::size_t>(questions), "0");
        // Indicators: whether any is chosen, any NG, any answered.
        std::vector<std::string> chosen(static_cast<std::size_t>(questions));
        std::vector<char> indicator(static_cast<std::size_t>(questions), 0);
        QString problem;
        for (qsizetype f = 0; f < fields.size() && problem.isEmpty(); ++f) {
            const Column& column = columns[static_cast<std::size_t>(f)];
            if (column.question == 0) continue;
            const auto at = static_cast<std::size_t>(column.question - 1);
            const QString& value = fields[f];
            if (column.choice == 0) {
                const std::string answer = wholeAnswer(doc, column.question, value);
                if (answer.empty())
                    problem = u8("%1：値「%2」は範囲外です（%3）。")
                                  .arg(header[f], value, rangeText(doc, column.question));
                else
                    row[at] = answer;
            } else if (value.isEmpty() || value == QStringLiteral("0")) {
                indicator[at] = std::max<char>(indicator[at], 0);
            } else if (value == QStringLiteral("1")) {
                chosen[at] += char('0' + column.choice);
            } else if (value == QStringLiteral("9")) {
                indicator[at] = 9;
            } else {
                problem = u8("%1：値「%2」は範囲外です（0、1、9）。").arg(header[f], value);
            }
        }
        if (!problem.isEmpty()) {
            refuse(problem);
            continue;
        }
        bool any = false;
        for (std::size_t q = 0; q < row.size(); ++q) {
            if (indicator[q] == 9) {
                row[q].assign(1, '9');
            } else if (!chosen[q].empty()) {
                std::sort(chosen[q].begin(), chosen[q].end());
                row[q] = chosen[q];
            }
            any = any || row[q] != "0";
        }
        if (!any) {
            refuse(u8("回答がありません。"));
            continue;
        }
        if (preview.FirstRespondent + preview.added() > MaxRespondents) {
            refuse(u8("回答者が999人を超えるため追加できません。"));
            continue;
        }
        preview.Rows.push_back(std::move(row));
    }
    return preview;
}

ImportPreview previewAnswerImportFile(const SurveyDocument& doc, const std::string& path) {
    TextFileReader reader(path); // the reading and its errors as for every other file
    QByteArray bytes;
    while (!reader.atEnd()) {
        const std::string_view line = reader.readLine();
        bytes.append(line.data(), static_cast<qsizetype>(line.size()));
        bytes.append('\n');
    }
    return previewAnswerImport(doc, bytes);
}

ImportedRange applyAnswerImport(SurveyDocument& doc, const ImportPreview& preview,
                                CoreEvents& events) {
    ImportedRange range{preview.FirstRespondent, preview.FirstRespondent - 1};
    const int questions = std::min(doc.QuestionCount, MaxQuestions);
    for (const auto& row : preview.Rows) {
        const int r = ++range.Last;
        doc.CurrentRespondent = r;
        for (int q = 1; q <= questions; ++q) {
            doc.CurrentQuestion = q;
            doc.EntryBuffer = row[static_cast<std::size_t>(q - 1)];
            dataIN(doc);
        }
    }
    doc.EntryBuffer.clear();
    doc.CurrentRespondent = std::min(doc.RespondentCount + 1, MaxRespondents);
    hitoribun(doc);
    doc.CurrentQuestion = doc.FirstOpenQuestion != 0 ? doc.FirstOpenQuestion : 1;
    if (range.Last >= range.First) doc.Modified = true;
    for (int q = 1; q <= questions; ++q) events.tallyChanged(q);
    return range;
}

void undoAnswerImport(SurveyDocument& doc, ImportedRange range, CoreEvents& events) {
    const int questions = std::min(doc.QuestionCount, MaxQuestions);
    for (int r = range.Last; r >= range.First; --r) {
        doc.CurrentRespondent = r;
        for (int q = 1; q <= questions; ++q) {
            doc.CurrentQuestion = q;
            dataDEL(doc);
            doc.Answers[r][q].clear();
        }
    }
    doc.RespondentCount = std::min(doc.RespondentCount, range.First - 1);
    doc.CurrentRespondent = std::clamp(range.First, 1, MaxRespondents);
    hitoribun(doc);
    doc.CurrentQuestion = doc.FirstOpenQuestion != 0 ? doc.FirstOpenQuestion : 1;
    for (int q = 1; q <= questions; ++q) events.tallyChanged(q);
}

} // namespace vev
