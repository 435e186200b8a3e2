#pragma once

#include "model/survey_document.h"

// The document side of the two clear commands and of starting a new survey; the window hides
// and refreshes its controls around them.
namespace vev {

// Clears every answer and count: the answers of all 999 respondents to all 40 questions become
// empty and every tally 0 (also columns of questions deleted in the editor), respondent 1 is
// shown ("0" marks), the linked files are dropped. The questionnaire stays, and so does
// Modified when the questionnaire itself has unsaved changes; otherwise Modified is cleared.
void DClear(SurveyDocument& doc);

// Clears the whole questionnaire (DClear first), its paths and title; does nothing at all when
// no questionnaire is loaded.
void AClear(SurveyDocument& doc);

// Starts a new survey from nothing, whether or not a questionnaire is loaded: no questionnaire,
// answers, counts, linked files or file paths are left, and Modified is cleared. The program's
// settings, the options and the open request stay.
void NewDocument(SurveyDocument& doc);

} // namespace vev
