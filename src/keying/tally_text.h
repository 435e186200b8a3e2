#pragma once

#include "model/survey_document.h"

#include <string>

namespace vev {

// The count line of row q: Tally[q][1] right-aligned in 3, then choices 2..8 right-aligned in 7
// (blank when above ChoiceCount[q]), then the NG count right-aligned in 7. 59 characters unless
// a number is wider than its field, which is written whole.
std::string TallyLine(const SurveyDocument& doc, int q);

// The choice header line of row q: " 1)" then "     j)" or seven blanks for j = 2..8 (52 chars).
std::string ChoiceLine(const SurveyDocument& doc, int q);

} // namespace vev
