#pragma once

#include "model/survey_document.h"

// The document side of the two clear commands; the window hides and refreshes its controls
// around them.
namespace vev {

// Clears every answer and count: answers of respondents 1..RespondentCount to questions
// 1..QuestionCount become empty, their tallies 0, respondent 1 is shown ("0" marks), the
// linked files are dropped and Modified is cleared. The questionnaire stays.
void DClear(SurveyDocument& doc);

// Clears the whole questionnaire (DClear first), its paths and title; does nothing at all when
// no questionnaire is loaded.
void AClear(SurveyDocument& doc);

} // namespace vev
