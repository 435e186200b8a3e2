#pragma once

#include "model/survey_document.h"

#include <cstdint>
#include <string_view>

// Answer recording: every answer that enters the document passes through here, typed by the
// operator (through the entry rules, entry/answer_entry.h) or replayed by the loader. They work
// on the cell (CurrentRespondent, CurrentQuestion) and keep Tally equal to the sum of the stored
// answers' contributions.
namespace vev {

// A keyed text as recording normalises it for a question of choiceCount choices. One character
// stays as it is, except that a digit above the choice count becomes "9" (NG) when the question
// has two or more choices; longer text becomes the choices 1..choiceCount it names, each once and
// in order, anything else dropped. Never more than nine bytes.
struct NormalisedEntry {
    char bytes[9] = {};
    std::uint8_t size = 0;
    std::string_view view() const { return {bytes, size}; }
};
NormalisedEntry normaliseEntry(int choiceCount, std::string_view keyed);

// dataIN for a text that is not in EntryBuffer, which stays as it is: the loader records a whole
// file this way.
void recordEntry(SurveyDocument& doc, std::string_view keyed);

// Normalises EntryBuffer, stores it as the answer of the current cell and adds its
// contribution. The cell must hold no contribution (withdrawn with dataDEL, or empty / "0").
// A one-character non-digit buffer on a question with fewer than two choices throws the
// number-conversion VevError and leaves the cell empty.
void dataIN(SurveyDocument& doc);

// Withdraws the contribution of the answer stored in the current cell; the answer stays.
void dataDEL(SurveyDocument& doc);

// Finds FirstOpenQuestion of the current respondent and drops an all-open last respondent.
void kensa(SurveyDocument& doc);

// The document side of showing a respondent: every empty answer of CurrentRespondent to
// questions 1..QuestionCount becomes "0", and FirstOpenQuestion is set to its first open
// question with two or more choices (0 when there is none). RespondentCount is not touched.
void hitoribun(SurveyDocument& doc);

} // namespace vev
