#include "model/survey_document.h"

#include "model/questionnaire.h"

#include <algorithm>

namespace vev {

int ChoiceColumnCount(const SurveyDocument& doc) {
    int columns = 1;
    for (int q = 1; q <= doc.QuestionCount; ++q) columns = std::max(columns, doc.ChoiceCount[q]);
    return columns;
}

Questionnaire Questionnaire::of(const SurveyDocument& doc) {
    Questionnaire qn;
    qn.SurveyTitle = doc.SurveyTitle;
    qn.QuestionCount = doc.QuestionCount;
    qn.QuestionText = doc.QuestionText;
    qn.ChoiceCount = doc.ChoiceCount;
    qn.MultiSelect = doc.MultiSelect;
    qn.Texts = doc.Texts;
    return qn;
}

bool Questionnaire::sameAs(const SurveyDocument& doc) const {
    if (SurveyTitle != doc.SurveyTitle || QuestionCount != doc.QuestionCount) return false;
    for (int q = 1; q <= QuestionCount; ++q)
        if (QuestionText[q] != doc.QuestionText[q] || ChoiceCount[q] != doc.ChoiceCount[q] ||
            MultiSelect[q] != doc.MultiSelect[q])
            return false;
    return Texts == doc.Texts;
}

bool SurveyTexts::empty() const {
    return *this == SurveyTexts{};
}

void SurveyTexts::keepWithin(int questionCount, const OneBased<int, MaxQuestions>& choiceCount) {
    for (int q = 1; q <= MaxQuestions; ++q) {
        if (q > questionCount) Wording[q].clear();
        const int choices = q > questionCount ? 0 : choiceCount[q];
        for (int c = std::max(choices, 0) + 1; c <= MaxTextChoices; ++c) Choice[q][c].clear();
    }
}

} // namespace vev
