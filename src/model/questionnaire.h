#pragma once

#include "model/fixed_string.h"
#include "model/one_based.h"
#include "model/survey_document.h"

namespace vev {

// A questionnaire apart from a document: title, number of questions and, per question, text,
// number of choices, the multi-select flag, and the wording and choice texts. The editor hands one over to be applied; the
// recovery journal keeps the one its data file held and the ones applied since. Entries above
// QuestionCount are copied as they are (the editor keeps them empty).
struct Questionnaire {
    ShortString SurveyTitle;
    int QuestionCount = 0; // 0..40
    OneBased<ShortString, MaxQuestions> QuestionText;
    OneBased<int, MaxQuestions> ChoiceCount{}; // 0..9, as the document holds it
    OneBased<bool, MaxQuestions> MultiSelect{};
    SurveyTexts Texts; // wordings and choice texts, which ride along wherever it goes

    static Questionnaire of(const SurveyDocument& doc); // the document's, all 40 entries
    // Title, count, texts, choice counts and flags of questions 1..QuestionCount, and the
    // wordings and choice texts agree.
    bool sameAs(const SurveyDocument& doc) const;
    friend bool operator==(const Questionnaire&, const Questionnaire&) = default;
};

} // namespace vev
