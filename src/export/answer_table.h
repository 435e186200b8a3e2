#pragma once

// The answers of a survey as analysts take them: one row per respondent 1..RespondentCount, a
// first variable `id` (the respondent number), then per question q, by kind:
//   single choice  q<n>          the chosen number, 9 for NG
//   numeric        q<n>          the digit entered (1..8), 9 for NG
//   multi-select   q<n>_1..q<n>_k 1 chosen, 0 not chosen (the "multiple dichotomy" form)
// Missing values: an unanswered question (stored "0", or never recorded "") is missing in every
// kind - empty in CSV, system-missing in .sav; a multi-select question answered NG has 9 in all
// its indicators, so that its NG count can be rebuilt. 9 = "NG" is the one value label, on every
// variable but id, where .sav also declares 9 user-missing, so that NG stays out of valid counts,
// means and multiple-response sets (which count the value 1). A questionnaire with texts adds
// its own: a question's wording is its variable label, its choice texts label the values 1..k,
// and an indicator of a question with choice texts is "question text: choice text" with the
// values 0 and 1 labelled.
//
// An unused question (0 choices, "使わない質問") has no variable. The kind of the others follows
// the tally: a question with 1 choice is numeric; one with two or more is
// multi-select when it is marked so, or when any answer holds several choices (left by taking
// the mark away in the editor), so that no answer is lost; otherwise it is single choice.
// Linked tally files are counts, not respondents: they are not part of the table. The
// respondents of linked data files are (model/respondent_set.h): the table then starts with
// `file`, the file's number (its value labels the file names), and `id` numbers the respondent
// within its file.
//
// Texts are UTF-8 (QString), converted once from the document's Shift-JIS bytes.

#include "model/survey_document.h"

#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace vev {

enum class AnswerKind {
    File,         // file: which data file (1 = the open one); only with linked data files
    Id,           // the respondent number (within its file)
    SingleChoice, // q<n>: the chosen number, 9 = NG
    Numeric,      // q<n>: the digit, 9 = NG
    Indicator,    // q<n>_c of a multi-select question: 1 chosen, 0 not
};

struct AnswerVariable {
    std::string name; // "id", "q3", "q3_2": valid names in SPSS and R alike
    QString label; // wording, else question text; "question text: c" (or its text) for an indicator
    std::vector<std::pair<int, QString>> valueLabels; // besides 9 = NG: the values' texts
    AnswerKind kind = AnswerKind::Id;
    int question = 0; // 0 for id
    int choice = 0;   // an indicator's choice number, else 0
    int choices = 0;  // ChoiceCount of the question (0 for id)
    bool ngLabel() const { return kind != AnswerKind::Id; }
    bool scale() const { return kind == AnswerKind::Id || kind == AnswerKind::Numeric; }
};

// The indicators of one multi-select question: a multiple dichotomy set counting value 1.
struct AnswerSet {
    std::string name; // "$q3"
    QString label;    // the question text
    int question = 0;
    int firstVariable = 0; // index into AnswerTable::variables
    int variableCount = 0;
};

struct AnswerTable {
    static constexpr int Missing = -1;
    static constexpr int NgValue = 9;

    QString title; // the survey title, for the file label
    std::vector<AnswerVariable> variables;
    std::vector<AnswerSet> sets;
    QStringList fileNames;   // the value labels of `file`, 1.. in order; empty without it
    int rows = 0;            // RespondentCount (of all the files)
    std::vector<int> values; // rows × variables, row by row; Missing where there is no value

    int value(int row, int variable) const { // row 0-based
        return values[static_cast<std::size_t>(row) * variables.size() +
                      static_cast<std::size_t>(variable)];
    }
};

// The table of the document's answers. Throws VevError with a message for the operator when
// there is nothing to export: no question in use, or no respondents.
AnswerTable answerTable(const SurveyDocument& doc);

// Throws that VevError when there is nothing to export; returns otherwise.
void checkExportable(const SurveyDocument& doc);

// The messages of those refusals.
QString noQuestionnaireMessage();
QString noRespondentsMessage();

} // namespace vev
