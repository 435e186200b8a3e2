#include "export/answer_csv.h"

#include "model/csv_writer.h"
#include "model/paths.h"
#include "model/text_file.h"

#include <string_view>

namespace vev {

namespace {

QString kindText(AnswerKind kind) {
    switch (kind) {
    case AnswerKind::File:
        return QString::fromUtf8("ファイル");
    case AnswerKind::Id:
        return QStringLiteral("ID");
    case AnswerKind::SingleChoice:
        return QString::fromUtf8("単一選択");
    case AnswerKind::Numeric:
        return QString::fromUtf8("数値");
    case AnswerKind::Indicator:
        return QString::fromUtf8("複数選択");
    }
    return {};
}

QString valuesText(const AnswerTable& table, const AnswerVariable& v, int rows) {
    QString texts; // "1 = 男性; 2 = 女性; " before the kind's own values
    for (const auto& [value, text] : v.valueLabels)
        texts += QStringLiteral("%1 = %2; ").arg(value).arg(text);
    if (!texts.isEmpty() && v.kind == AnswerKind::Indicator)
        return texts + QString::fromUtf8("9 = NG; 空欄 = 無回答");
    switch (v.kind) {
    case AnswerKind::File: {
        QStringList labels;
        for (qsizetype i = 0; i < table.fileNames.size(); ++i)
            labels << QStringLiteral("%1 = %2").arg(i + 1).arg(table.fileNames[i]);
        return labels.join(QStringLiteral("; "));
    }
    case AnswerKind::Id:
        return QStringLiteral("1-%1").arg(rows);
    case AnswerKind::SingleChoice:
        return texts + QString::fromUtf8("1-%1 = 選択肢番号; 9 = NG; 空欄 = 無回答").arg(v.choices);
    case AnswerKind::Numeric:
        return QString::fromUtf8("1-8 = 数値; 9 = NG; 空欄 = 無回答");
    case AnswerKind::Indicator:
        return QString::fromUtf8("1 = 選択; 0 = 非選択; 9 = NG; 空欄 = 無回答");
    }
    return {};
}

QString qstr(const std::string& ascii) {
    return QString::fromLatin1(ascii);
}

} // namespace

QByteArray answersCsv(const AnswerTable& table, bool byteOrderMark) {
    CsvWriter csv(byteOrderMark);
    for (const AnswerVariable& v : table.variables) csv.field(qstr(v.name));
    csv.endRecord();
    const std::size_t columns = table.variables.size();
    for (int r = 0; r < table.rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            const int value = table.value(r, static_cast<int>(c));
            if (value == AnswerTable::Missing)
                csv.emptyField();
            else
                csv.field(static_cast<long long>(value));
        }
        csv.endRecord();
    }
    return csv.bytes();
}

QByteArray codebookCsv(const AnswerTable& table, bool byteOrderMark) {
    CsvWriter csv(byteOrderMark);
    csv.record({QString::fromUtf8("変数名"), QString::fromUtf8("ラベル"),
                QString::fromUtf8("質問番号"), QString::fromUtf8("種類"), QString::fromUtf8("値")});
    auto set = table.sets.begin();
    for (std::size_t i = 0; i < table.variables.size(); ++i) {
        const AnswerVariable& v = table.variables[i];
        csv.field(qstr(v.name)).field(v.label);
        if (v.question > 0)
            csv.field(static_cast<long long>(v.question));
        else
            csv.emptyField();
        csv.field(kindText(v.kind)).field(valuesText(table, v, table.rows));
        csv.endRecord();
        // The set follows its last indicator.
        if (set != table.sets.end() &&
            static_cast<int>(i) == set->firstVariable + set->variableCount - 1) {
            const QString first = qstr(table.variables[set->firstVariable].name);
            csv.field(qstr(set->name))
                .field(set->label)
                .field(static_cast<long long>(set->question))
                .field(QString::fromUtf8("複数回答セット"))
                .field(QString::fromUtf8("%1-%2 の 1 を数える多重二分法（SPSS・PSPP では .sav と"
                                         "一緒に書き出す .sps を、.sav を開いたあとに実行すると"
                                         "定義されます）")
                           .arg(first, qstr(v.name)));
            csv.endRecord();
            ++set;
        }
    }
    return csv.bytes();
}

std::string codebookPath(const std::string& csvPath) {
    return paths::withExtension(csvPath, "_codebook.csv");
}

void writeAnswersCsv(const SurveyDocument& doc, const std::string& path, bool byteOrderMark) {
    const AnswerTable table = answerTable(doc);
    const QByteArray answers = answersCsv(table, byteOrderMark);
    const QByteArray codebook = codebookCsv(table, byteOrderMark);
    writeOutputFiles({{path, answers.toStdString()}, {codebookPath(path), codebook.toStdString()}});
}

} // namespace vev
