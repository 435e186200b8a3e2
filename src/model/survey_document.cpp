#include "model/survey_document.h"

#include <algorithm>

namespace vev {

int ChoiceColumnCount(const SurveyDocument& doc) {
    int columns = 1;
    for (int q = 1; q <= doc.QuestionCount; ++q) columns = std::max(columns, doc.ChoiceCount[q]);
    return columns;
}

} // namespace vev
