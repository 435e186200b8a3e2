#pragma once

#include "model/survey_document.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace vev {

// One question broken down by another: how many respondents gave each pair of answers.
//
// Categories of a question with k choices: the choices 1..k, then "無回答" (unanswered: an
// empty or "0" answer) and "NG" (a "9" answer). A multi-select answer belongs to each of its
// choices, so a respondent adds one to every chosen pair. The respondents are those of the survey
// and its linked data files (model/respondent_set.h): linked tally files carry counts per
// question, not respondents, and are not counted.
struct CrossTable {
    static constexpr int MaxCategories = 10; // 8 choices, unanswered, NG

    int rowQuestion = 0;
    int columnQuestion = 0;
    int rowChoices = 0; // k of the row question; category k + 1 is unanswered, k + 2 NG
    int columnChoices = 0;
    // count[a][b]: respondents in row category a + 1 and column category b + 1.
    std::array<std::array<std::int32_t, MaxCategories>, MaxCategories> count{};
};

// Why question q cannot be a side of a cross table (Japanese, for a message or standard error),
// or an empty text when it can: it must exist and be a choice or multi-select question.
QString crossQuestionProblem(const SurveyDocument& doc, int q);

// The counts; both questions must pass crossQuestionProblem.
CrossTable crossTabulate(const SurveyDocument& doc, int rowQuestion, int columnQuestion);

enum class CrossView {
    Counts,
    RowPercent,    // each cell of its row's total
    ColumnPercent, // each cell of its column's total
    TotalPercent,  // each cell of the grand total
};

// The table as it is shown and written: the labels of the rows and the columns ("1".."k",
// "無回答", "NG" when the open categories are shown, then "計") and the text of every cell,
// totals included. Totals add up the cells shown, so with a multi-select side they count pairs.
// A per cent is the cell's share of its total (the total row and column of their own totals),
// rounded as the results file rounds, whole or, with tenths, to one decimal ("63", "63.2");
// a total of 0 gives 0.
struct CrossGrid {
    QStringList rowLabels;
    QStringList columnLabels;
    QList<QStringList> cells; // [row][column]
};
CrossGrid crossGrid(const CrossTable& table, CrossView view, bool showOpen, bool tenths);

// Tab-separated text for the clipboard: a header row whose first cell is empty, then one line
// per row, each ended by a line feed.
QString crossGridText(const CrossGrid& grid);
// The same table as UTF-8 comma-separated text with CR LF line ends.
QByteArray crossGridCsv(const CrossGrid& grid);

} // namespace vev
