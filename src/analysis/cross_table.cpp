#include "analysis/cross_table.h"

#include "model/csv_writer.h"
#include "model/respondent_set.h"
#include "results/percentages.h"

#include <algorithm>
#include <bit>

namespace vev {

namespace {

// The categories of one stored answer as a bit set (bit a for category a + 1).
unsigned categoriesOf(std::string_view answer, int k) {
    unsigned set = 0;
    for (std::size_t i = 0; i < answer.size() && i < 8 && answer[i] != '0'; ++i) {
        const int d = answer[i] - '0';
        if (d >= 1 && d <= k) set |= 1u << (d - 1);
    }
    if (set != 0) return set;
    return answer == "9" ? 1u << (k + 1) : 1u << k;
}

QString percentText(std::int64_t count, std::int64_t total, bool tenths) {
    const long long v = percentOf(static_cast<std::int32_t>(count),
                                  total == 0 ? 1 : static_cast<std::int32_t>(total), tenths);
    if (!tenths) return QString::number(v);
    return QStringLiteral("%1.%2").arg(v / 10).arg(v % 10);
}

} // namespace

QString crossQuestionProblem(const SurveyDocument& doc, int q) {
    if (q < 1 || q > doc.QuestionCount || doc.ChoiceCount[q] == 0)
        return QString::fromUtf8("質問%1はありません。").arg(q);
    if (doc.ChoiceCount[q] < 2)
        return QString::fromUtf8(
                   "質問%1は数量の質問です。クロス集計できるのは選択肢の質問だけです。")
            .arg(q);
    return {};
}

CrossTable crossTabulate(const SurveyDocument& doc, int rowQuestion, int columnQuestion) {
    CrossTable t;
    t.rowQuestion = rowQuestion;
    t.columnQuestion = columnQuestion;
    t.rowChoices = std::clamp(doc.ChoiceCount[rowQuestion], 0, 8);
    t.columnChoices = std::clamp(doc.ChoiceCount[columnQuestion], 0, 8);
    RespondentSet(doc).forEach([&t, rowQuestion, columnQuestion](int, int, const auto& answers) {
        const unsigned rows = categoriesOf(answers[rowQuestion].view(), t.rowChoices);
        const unsigned columns = categoriesOf(answers[columnQuestion].view(), t.columnChoices);
        for (unsigned rs = rows; rs != 0; rs &= rs - 1) {
            auto& line = t.count[static_cast<std::size_t>(std::countr_zero(rs))];
            for (unsigned cs = columns; cs != 0; cs &= cs - 1)
                ++line[static_cast<std::size_t>(std::countr_zero(cs))];
        }
    });
    return t;
}

CrossGrid crossGrid(const CrossTable& table, CrossView view, bool showOpen, bool tenths) {
    const int extra = showOpen ? 2 : 0;
    const int rows = table.rowChoices + extra;
    const int columns = table.columnChoices + extra;
    const auto labels = [showOpen](int k) {
        QStringList list;
        for (int c = 1; c <= k; ++c) list << QString::number(c);
        if (showOpen) list << QString::fromUtf8("無回答") << QStringLiteral("NG");
        list << QString::fromUtf8("計");
        return list;
    };

    // Counts with their totals in the last row and column.
    QList<QList<std::int64_t>> n(rows + 1, QList<std::int64_t>(columns + 1, 0));
    for (int a = 0; a < rows; ++a)
        for (int b = 0; b < columns; ++b) {
            const std::int64_t v =
                table.count[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
            n[a][b] = v;
            n[a][columns] += v;
            n[rows][b] += v;
            n[rows][columns] += v;
        }

    CrossGrid grid;
    grid.rowLabels = labels(table.rowChoices);
    grid.columnLabels = labels(table.columnChoices);
    for (int a = 0; a <= rows; ++a) {
        QStringList line;
        for (int b = 0; b <= columns; ++b) {
            switch (view) {
            case CrossView::Counts:
                line << QString::number(n[a][b]);
                break;
            case CrossView::RowPercent:
                line << percentText(n[a][b], n[a][columns], tenths);
                break;
            case CrossView::ColumnPercent:
                line << percentText(n[a][b], n[rows][b], tenths);
                break;
            case CrossView::TotalPercent:
                line << percentText(n[a][b], n[rows][columns], tenths);
                break;
            }
        }
        grid.cells << line;
    }
    return grid;
}

QString crossGridText(const CrossGrid& grid) {
    QString text =
        QLatin1Char('\t') + grid.columnLabels.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (qsizetype a = 0; a < grid.cells.size(); ++a)
        text += grid.rowLabels.value(a) + QLatin1Char('\t') +
                grid.cells[a].join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QByteArray crossGridCsv(const CrossGrid& grid) {
    CsvWriter csv;
    csv.record(QStringList{QString()} + grid.columnLabels);
    for (qsizetype a = 0; a < grid.cells.size(); ++a)
        csv.record(QStringList{grid.rowLabels.value(a)} + grid.cells[a]);
    return csv.bytes();
}

} // namespace vev
