#include "model/survey_document.h"

#include <algorithm>

namespace vev {

int ChoiceColumnCount(const SurveyDocument& doc) {
    int columns = 1;
    for (int q = 1; q <= doc.QuestionCount; ++q) columns = std::max(columns, doc.ChoiceCount[q]);
    return columns;
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
