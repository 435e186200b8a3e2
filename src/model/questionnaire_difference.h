#pragma once

#include "model/survey_document.h"

#include <QString>

namespace vev {

// Whether two data files hold the same questionnaire: the title, the question count, then per
// question its text, choice count and multi-select flag, in that order. Double entry compares
// everything; linking another operator's data file lets the question texts differ (an operator
// may have mended a typing slip), since the answers mean the same under the same rules.
enum class QuestionTexts { Compared, MayDiffer };

// The first difference as three lines for the operator: what differs, then "nameA：value" and
// "nameB：value"; an empty text when the questionnaires match.
QString questionnaireDifferenceDetail(const SurveyDocument& a, const SurveyDocument& b,
                                      const QString& nameA, const QString& nameB,
                                      QuestionTexts texts = QuestionTexts::Compared);

// The double-entry refusal: "アンケートが同じではないため照合できません。" and the detail; empty
// when they match. nameA and nameB are the files' names as shown to the user.
QString questionnaireDifference(const SurveyDocument& a, const SurveyDocument& b,
                                const QString& nameA, const QString& nameB);

} // namespace vev
