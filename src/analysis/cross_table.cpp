#include "analysis/cross_table.h"

#include "model/csv_writer.h"
#include "model/respondent_set.h"
#include "model/sjis.h"
#include "model/survey_texts.h"
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

long long percentValue(std::int64_t count, std::int64_t total, bool tenths) {
    return percentOf(static_cast<std::int32_t>(count),
                     total == 0 ? 1 : static_cast<std::int32_t>(total), tenths);
}

QString percentText(long long v, bool tenths) {
    if (!tenths) return QString::number(v);
    return QStringLiteral("%1.%2").arg(v / 10).arg(v % 10);
}

} // namespace

QString crossQuestionProblem(const SurveyDocument& doc, int q) {
    if (q < 1 || q > std::min(doc.QuestionCount, MaxQuestions))
        return QString::fromUtf8("質問%1はありません。").arg(q);
    if (doc.ChoiceCount[q] == 0)
        return QString::fromUtf8("質問%1は使わない質問（選択肢0）です。クロス集計できません。")
            .arg(q);
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
    t.multiSelect = doc.MultiSelect[rowQuestion] || doc.MultiSelect[columnQuestion];
    const auto name = [&doc](int q) {
        const QString text = sjis::toQString(doc.QuestionText[q].view()).trimmed();
        return QStringLiteral("Q%1").arg(q) +
               (text.isEmpty() ? QString() : QLatin1Char(' ') + text);
    };
    t.caption = name(rowQuestion) + QStringLiteral(" × ") + name(columnQuestion);
    for (int c = 1; c <= t.rowChoices; ++c) t.rowChoiceLabels << choiceLabel(doc, rowQuestion, c);
    for (int c = 1; c <= t.columnChoices; ++c)
        t.columnChoiceLabels << choiceLabel(doc, columnQuestion, c);
    RespondentSet(doc).forEach([&t, rowQuestion, columnQuestion](int, int, const auto& answers) {
        const unsigned rows = categoriesOf(answers[rowQuestion].view(), t.rowChoices);
        const unsigned columns = categoriesOf(answers[columnQuestion].view(), t.columnChoices);
        t.respondents.emplace_back(rows, columns);
        // An answer of several choices counts as multi-select, flag or not (the editor can
        // take the flag away after such answers were keyed).
        t.multiSelect = t.multiSelect || std::popcount(rows) > 1 || std::popcount(columns) > 1;
        for (unsigned rs = rows; rs != 0; rs &= rs - 1) {
            auto& line = t.count[static_cast<std::size_t>(std::countr_zero(rs))];
            for (unsigned cs = columns; cs != 0; cs &= cs - 1)
                ++line[static_cast<std::size_t>(std::countr_zero(cs))];
        }
    });
    return t;
}

CrossGrid crossGrid(const CrossTable& table, CrossView view, bool showOpen, bool tenths,
                    bool choiceTexts) {
    const int extra = showOpen ? 2 : 0;
    const int rows = table.rowChoices + extra;
    const int columns = table.columnChoices + extra;
    const auto labels = [showOpen, choiceTexts](int k, const QStringList& named) {
        QStringList list;
        for (int c = 1; c <= k; ++c)
            list << (choiceTexts && c <= named.size() ? named[c - 1] : QString::number(c));
        if (showOpen) list << QString::fromUtf8("無回答") << QStringLiteral("NG");
        list << QString::fromUtf8("計");
        return list;
    };

    // Counts with their totals in the last row and column: respondents, each once.
    QList<QList<std::int64_t>> n(rows + 1, QList<std::int64_t>(columns + 1, 0));
    for (int a = 0; a < rows; ++a)
        for (int b = 0; b < columns; ++b)
            n[a][b] = table.count[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
    const unsigned shownRows = (1u << rows) - 1;
    const unsigned shownColumns = (1u << columns) - 1;
    for (const auto& [rowSet, columnSet] : table.respondents) {
        if ((rowSet & shownRows) == 0 || (columnSet & shownColumns) == 0) continue;
        for (int a = 0; a < rows; ++a) n[a][columns] += (rowSet >> a) & 1u;
        for (int b = 0; b < columns; ++b) n[rows][b] += (columnSet >> b) & 1u;
        ++n[rows][columns];
    }

    CrossGrid grid;
    grid.caption = table.caption;
    grid.baseNote = crossBaseNote(table, view);
    grid.rowLabels = labels(table.rowChoices, table.rowChoiceLabels);
    grid.columnLabels = labels(table.columnChoices, table.columnChoiceLabels);
    // Rounded per cents, then the sums that row % and column % show as their totals.
    QList<QList<long long>> p(rows + 1, QList<long long>(columns + 1, 0));
    for (int a = 0; a <= rows; ++a)
        for (int b = 0; b <= columns; ++b) {
            const std::int64_t base = view == CrossView::RowPercent      ? n[a][columns]
                                      : view == CrossView::ColumnPercent ? n[rows][b]
                                                                         : n[rows][columns];
            p[a][b] = percentValue(n[a][b], base, tenths);
        }
    if (view == CrossView::RowPercent)
        for (int a = 0; a <= rows; ++a) {
            p[a][columns] = 0;
            for (int b = 0; b < columns; ++b) p[a][columns] += p[a][b];
        }
    if (view == CrossView::ColumnPercent)
        for (int b = 0; b <= columns; ++b) {
            p[rows][b] = 0;
            for (int a = 0; a < rows; ++a) p[rows][b] += p[a][b];
        }
    for (int a = 0; a <= rows; ++a) {
        QStringList line;
        for (int b = 0; b <= columns; ++b)
            line << (view == CrossView::Counts ? QString::number(n[a][b])
                                               : percentText(p[a][b], tenths));
        grid.cells << line;
    }
    return grid;
}

QString crossBaseNote(const CrossTable& table, CrossView view) {
    QString note = QString::fromUtf8("計は回答者数");
    if (table.multiSelect)
        note += QString::fromUtf8("（複数選択の質問は、いくつ選んでも1人と数えます）");
    switch (view) {
    case CrossView::Counts:
        return note + QString::fromUtf8("です。");
    case CrossView::RowPercent:
        return note + QString::fromUtf8("です。％は行の計に対する割合で、右端の計は表示した％の"
                                        "合計です（100にならないことがあります）。");
    case CrossView::ColumnPercent:
        return note + QString::fromUtf8("です。％は列の計に対する割合で、下端の計は表示した％の"
                                        "合計です（100にならないことがあります）。");
    case CrossView::TotalPercent:
        return note + QString::fromUtf8("です。％は全体の計に対する割合です。");
    }
    return note;
}

QString crossGridText(const CrossGrid& grid) {
    QString text =
        QLatin1Char('\t') + grid.columnLabels.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (qsizetype a = 0; a < grid.cells.size(); ++a)
        text += grid.rowLabels.value(a) + QLatin1Char('\t') +
                grid.cells[a].join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QByteArray crossGridCsv(const CrossGrid& grid, bool byteOrderMark) {
    CsvWriter csv(byteOrderMark);
    csv.record(QStringList{grid.caption} + grid.columnLabels);
    for (qsizetype a = 0; a < grid.cells.size(); ++a)
        csv.record(QStringList{grid.rowLabels.value(a)} + grid.cells[a]);
    if (!grid.baseNote.isEmpty()) {
        csv.endRecord();
        csv.record(QStringList{grid.baseNote});
    }
    return csv.bytes();
}

} // namespace vev
