#pragma once

#include "model/core_events.h"
#include "model/questionnaire.h"
#include "model/survey_document.h"

namespace vev {

// Applies an edited questionnaire to the document, keeping every count equal to the stored
// answers' contributions plus the linked files' counts:
// - the title, question count, texts, choice counts and flags are copied;
// - the wordings and choice texts are copied, less those of questions above the new count and
//   of choices above a question's new choice count;
// - a question whose choice count or multi-select flag changed has the stored answers of
//   respondents 1..RespondentCount withdrawn under the old rule and recorded again under the
//   new one, as saving and loading the survey would record them: an answer "5" on a question
//   cut to three choices becomes NG "9", a multi-select answer keeps the choices that fit;
// - the linked tally files are read again and their share moves from what they give under the
//   old questionnaire to what they give under the new one (a file no longer found keeps its
//   share until it is unlinked); the linked data files' answers are recorded again under the
//   new questionnaire and their share moves the same way;
// - the questions above the new QuestionCount lose their answers and counts, so that a question
//   added later at the same number starts empty.
// Returns whether the title, any question or any text differs; then Modified and
// QuestionnaireModified are set. CurrentQuestion, RowsToRefresh and the window are left to the
// caller; events gets tallyChanged for every question whose counts may have moved. Throws VevError
// when a linked file cannot be read, before anything has changed.
bool applyQuestionnaire(SurveyDocument& doc, const Questionnaire& edited, CoreEvents& events);


// Applies edited wordings and choice texts alone (the rest of the questionnaire stays), less
// those of questions and choices that do not exist. Returns whether any text differs; then
// Modified and QuestionnaireModified are set. Answers and counts are not touched.
bool applyTexts(SurveyDocument& doc, const SurveyTexts& edited);

} // namespace vev
