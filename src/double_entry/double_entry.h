#pragma once

// Double entry: the same papers keyed into two data files by two operators, then compared
// answer by answer. Both sides are whole documents; the open survey is compared as it is in
// memory (unsaved answers included), the other one as its data file loads.
//
// What counts: respondents 1..RespondentCount of each file; of every respondent both files
// have, each question with choices (ChoiceCount 1 or more: the rows an operator keys). An
// empty cell and "0" are the same answer, no answer. A respondent that only one file has is
// one difference row of its own; its answers are not compared, but they count against the
// agreement as answers that differ.
//
// Papers are matched by position. One paper skipped (or keyed twice) by one operator shifts
// every later respondent, which then differs nearly everywhere: the comparison looks for the
// first respondent from which one file's rows agree with the other's next ones far better than
// with their own, and names it.

#include "model/questionnaire_difference.h"
#include "model/survey_document.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace vev {

// One row of the differences: a cell whose answers differ, or (Question 0) a respondent that
// only one file has.
struct AnswerDifference {
    int Respondent = 0;
    int Question = 0; // 0: the respondent is in one file only (OnlyIn says which)
    AnswerString AnswerA;
    AnswerString AnswerB;
    char OnlyIn = 0; // 'A' or 'B' for a one-sided respondent, else 0
};

struct Comparison {
    // Set when the questionnaires differ: the first difference, ready to show. Nothing else
    // is then filled in.
    QString QuestionnaireDifference;
    int RespondentsCompared = 0; // respondents both files have
    long AnswersCompared = 0;    // their answers to the questions with choices
    long AnswersDiffering = 0;   // of those, the ones that differ
    int OnlyInA = 0;             // respondents beyond the other file's last one
    int OnlyInB = 0;
    long AnswersOneSided = 0; // the answers of those respondents to the questions with choices
    // From this respondent on, one file seems one respondent ahead of the other; 0 when not.
    int ShiftFrom = 0;
    std::vector<AnswerDifference> Differences; // by respondent, then by question

    bool questionnairesMatch() const { return QuestionnaireDifference.isEmpty(); }
    // Every answer agrees and both files hold the same respondents.
    bool agree() const {
        return questionnairesMatch() && AnswersDiffering == 0 && OnlyInA == 0 && OnlyInB == 0;
    }
};

// questionnaireDifference, the first difference between the two questionnaires, is in
// model/questionnaire_difference.h: linking data files checks the same way.

// Compares every answer of a with b. Allocates only the difference rows.
Comparison compareSurveys(const SurveyDocument& a, const SurveyDocument& b,
                          const QString& nameA = QStringLiteral("A"),
                          const QString& nameB = QStringLiteral("B"));

// An answer as the operator reads it: the digits of the answer box, "NG" for the invalid
// answer 9, "無回答" for no answer ("" or "0").
QString answerText(std::string_view stored);

// Agreement in per cent with one decimal, cut (never rounded) so that "100.0%" means that no
// answer differs: agreeing answers / (compared answers + answers of the respondents in one file
// only). With no answer compared there is no agreement to state: "照合した回答がありません".
QString agreementText(const Comparison& c);
// "回答者12以降が1人ずれている可能性があります" for ShiftFrom 12; empty without a shift.
QString shiftText(const Comparison& c);

// The summary, one "caption：value" line each: respondents compared, answers compared,
// differences, respondents in one file only, agreement ("照合した回答がありません" alone when
// nothing was compared); then the shift, when there is one.
QStringList comparisonSummary(const Comparison& c);

// The question-text column of a one-sided respondent's row, and its two answer columns.
QString oneSidedText();
QString presentText();
QString absentText();

// The differences report: UTF-8 with a byte-order mark, CR LF, a header row and one row per
// difference: respondent, question number (empty for a one-sided respondent), question text
// (from a), answer in A, answer in B.
QByteArray differencesReport(const Comparison& c, const SurveyDocument& a);

// Another data file, read the way the window reads it, for comparison. Linked tally files and
// their notices do not matter here and are ignored; a refused or unreadable file gives the
// text to show, and no document.
struct SurveyForComparison {
    std::unique_ptr<SurveyDocument> Doc;
    QString Refusal;
};
SurveyForComparison readSurveyForComparison(const std::string& path);

// The blank copy for the second operator: the same questionnaire and options, no answers, no
// linked files, DataFilePath = path.
std::unique_ptr<SurveyDocument> secondEntryDocument(const SurveyDocument& doc,
                                                    const std::string& path);
// Writes that copy as a data file (atomically; the results file is not written). Throws
// VevError.
void writeSecondEntryFile(const SurveyDocument& doc, const std::string& path,
                          const QString& shortDate);
// The proposed name of the copy: the data file's name with "_2" before its extension
// ("survey.dat" -> "survey_2.dat"); for a survey never saved, the title's.
std::string secondEntryFileName(const SurveyDocument& doc);

} // namespace vev
