#pragma once

// What the chart window and the report say about each question besides its counts: which
// questions are shown at all, the label of a choice, the summary of a numeric question, and
// what the numbers are of (the respondents of the data file, the linked tally files' shares,
// the percentage base and n). Core: no window, no chart.

#include "model/survey_document.h"
#include "model/survey_texts.h" // choiceLabel: the one label of a choice in every output

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace vev {

// An unused question (0 choices, "使わない質問") is left out of charts, report and export.
inline bool questionInUse(const SurveyDocument& doc, int q) {
    return doc.ChoiceCount[q] > 0;
}
// The questions in use, in order.
std::vector<int> questionsInUse(const SurveyDocument& doc);

// A numeric question (1 choice) from the data file's own answers: the respondents who keyed a
// value (1..8; NG and unanswered left out), the sum and mean of their values, and how many
// keyed each value. Linked tally files add sums without respondents, so they are not in it.
struct NumericSummary {
    int answered = 0;
    long long sum = 0;
    int ng = 0;                  // NG answers of the data file
    long long linkedSum = 0;     // what linked tally files added to the tally's sum
    std::array<int, 9> values{}; // values[v]: respondents who keyed v, v = 1..8
    double mean() const { return answered == 0 ? 0.0 : double(sum) / answered; }
};
NumericSummary numericSummary(const SurveyDocument& doc, int q);
// "2.50": the mean as the outputs print it.
QString meanText(const NumericSummary& summary);
// "n＝12、合計 30、平均 2.50（値を入力した回答者。NG・無回答を除く）", and what linked tally
// files added to the sum when they did.
QString numericSummaryText(const SurveyDocument& doc, int q);

// The lines that say what the numbers are of: the respondents of the data file, each linked
// data file by name with its respondents and the respondents of all files, each linked
// tally file by name with its share of the answers (choice and NG counts of the choice
// questions), and the percentage base in use. A linked file that cannot be read any more is
// named with "読めません" in place of its share.
QStringList basesLines(const SurveyDocument& doc);

// "n＝79（回答数）": the n behind question q's percentages (its percentage base, or for a
// numeric question the respondents in its mean) and what it counts.
QString questionBaseText(const SurveyDocument& doc, int q);

} // namespace vev
