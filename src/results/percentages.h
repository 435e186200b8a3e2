#pragma once

#include "model/survey_document.h"

#include <cstdint>
#include <string>

namespace vev {

// What the percentages of a multi-select question divide by: the answers given (the sum of its
// choice counts; the column sums to 100) or the respondents who answered it (the column sums to
// more). Questions that are not multi-select always use the answers' base.
enum class PercentBasis { Answers, Respondents };

// The document's choice: the option RBase1.
inline PercentBasis percentBasisOf(const SurveyDocument& doc) {
    return doc.RBase1 ? PercentBasis::Respondents : PercentBasis::Answers;
}

// The divisor of question q's percentages, never 0 (0 becomes 1):
// (The respondents are the open file's and the linked data files', model/respondent_set.h.)
// - a question of 0 or 1 choice: RespondentCount minus the NG count;
// - a choice question, and a multi-select one under the answers' basis: the sum of its choice
//   counts, NG not included;
// - a multi-select question under the respondents' basis: the respondents 1..RespondentCount
//   whose answer holds a choice (neither unanswered nor NG), plus every answer that linked
//   tally files added. Those files carry counts, not respondents: counting each of their
//   answers as one respondent can understate a share, never overstate it.
std::int32_t percentBase(const SurveyDocument& doc, int q, PercentBasis basis);

// count / base in per cent (tenths: in tenths of a per cent), rounded as the results file does.
long long percentOf(std::int32_t count, std::int32_t base, bool tenths);

// The percentage cell of choice c of question q as the results file shows it, without
// separators, under the document's options Frac1 and RBase1: "  63" or " 63.2"; blank (four or
// five spaces) when c is beyond the question's choices.
std::string percentCellText(const SurveyDocument& doc, int q, int c);
// Its value: whole per cent, or tenths with Frac1; 0 beyond the question's choices.
long long percentCellValue(const SurveyDocument& doc, int q, int c);
// The total cell: the sum of the rounded cells ("  99", " 99.9"), or the fixed 100 of a question
// with fewer than two choices.
std::string percentTotalText(const SurveyDocument& doc, int q);

// Text forms shared with the results file: the value right-aligned in 4, or in tenths with a
// point and a leading zero below one per cent, right-aligned in 5.
void appendPercentCell(std::string& out, long long value, bool tenths);
// The total cell from the sum of the rounded cells (k = the question's ChoiceCount).
void appendPercentTotal(std::string& out, long long sum, int k, bool tenths);

} // namespace vev
