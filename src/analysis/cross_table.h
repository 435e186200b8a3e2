#pragma once

#include "model/survey_document.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

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
    bool multiSelect = false; // either side is multi-select, or holds an answer of several choices
    QString caption;          // "Q1 性別 × Q2 年代": the two questions
    // The choices as the questionnaire's texts name them ("1 男性", or "1" without a text).
    QStringList rowChoiceLabels, columnChoiceLabels;
    // count[a][b]: respondents in row category a + 1 and column category b + 1.
    std::array<std::array<std::int32_t, MaxCategories>, MaxCategories> count{};
    // Every respondent's row and column categories as bit sets (bit a for category a + 1): the
    // totals count respondents, once each however many choices they gave.
    std::vector<std::pair<unsigned, unsigned>> respondents;
};

// Why question q cannot be a side of a cross table (Japanese, for a message or standard error),
// or an empty text when it can: it must exist, be in use and be a choice or multi-select
// question.
QString crossQuestionProblem(const SurveyDocument& doc, int q);

// The counts; both questions must pass crossQuestionProblem.
CrossTable crossTabulate(const SurveyDocument& doc, int rowQuestion, int columnQuestion);

enum class CrossView {
    Counts,
    RowPercent,    // each cell of its row's total
    ColumnPercent, // each cell of its column's total
    TotalPercent,  // each cell of the grand total
};

// The table as it is shown and written: the labels of the rows and the columns ("1".."k", or
// with choiceTexts the choices as the texts name them, "1 男性",
// "無回答", "NG" when the open categories are shown, then "計") and the text of every cell,
// totals included. A total counts the respondents of its row or column who fall in a category
// shown on the other side, each once: with single-choice questions that is the sum of the cells,
// with a multi-select side it is less (a respondent in two columns is two pairs, one person).
// A per cent is the cell's share of its row's total (row %), column's total (column %) or the
// grand total, rounded as the results file rounds, whole or, with tenths, to one decimal ("63",
// "63.2"); a total of 0 gives 0. In row % the total column, and in column % the total row,
// is the sum of the rounded cells shown, as in the results file: it can differ from 100.
struct CrossGrid {
    QString caption;  // the table's first cell: the two questions
    QString baseNote; // what the totals and per cents are of
    QStringList rowLabels;
    QStringList columnLabels;
    QList<QStringList> cells; // [row][column]
};
CrossGrid crossGrid(const CrossTable& table, CrossView view, bool showOpen, bool tenths,
                    bool choiceTexts = false);

// What the totals and the per cents of a view count, for the dialog and the CSV.
QString crossBaseNote(const CrossTable& table, CrossView view);

// Tab-separated text for the clipboard: a header row whose first cell is empty, then one line
// per row, each ended by a line feed.
QString crossGridText(const CrossGrid& grid);
// The same table as UTF-8 comma-separated text with CR LF line ends, for spreadsheets: the
// first cell names the two questions, and after an empty line the base note follows; with
// byteOrderMark the file starts with the UTF-8 byte order mark.
QByteArray crossGridCsv(const CrossGrid& grid, bool byteOrderMark = false);

} // namespace vev
