#pragma once

#include "model/fixed_string.h"
#include "model/one_based.h"
#include "model/survey_document.h"

namespace vev {

// A questionnaire apart from a document: title, number of questions and, per question, text,
// number of choices and the multi-select flag. The editor hands one over to be applied; the
// recovery journal keeps the one its data file held and the ones applied since. Entries above
// QuestionCount are copied as they are (the editor keeps them empty).
struct Questionnaire {
    ShortString SurveyTitle;
    int QuestionCount = 0; // 0..40
    OneBased<ShortString, MaxQuestions> QuestionText;
    OneBased<int, MaxQuestions> ChoiceCount{}; // 0..9, as the document holds it
    OneBased<bool, MaxQuestions> MultiSelect{};

    static Questionnaire of(const SurveyDocument& doc); // the document's, all 40 entries
    // Title, count, and texts, choice counts and flags of questions 1..QuestionCount agree.
    bool sameAs(const SurveyDocument& doc) const;
    friend bool operator==(const Questionnaire&, const Questionnaire&) = default;
};

} // namespace vev
