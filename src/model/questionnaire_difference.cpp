#include "model/questionnaire_difference.h"

#include "model/sjis.h"

#include <algorithm>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

QString quoted(std::string_view sjisText) {
    return u8("「") + sjis::toQString(sjisText) + u8("」");
}

QString detail(const QString& what, const QString& nameA, const QString& valueA,
               const QString& nameB, const QString& valueB) {
    return what + QLatin1Char('\n') + nameA + u8("：") + valueA + QLatin1Char('\n') + nameB +
           u8("：") + valueB;
}

QString multiSelectText(bool multi) {
    return multi ? u8("複数選択") : u8("複数選択なし");
}

} // namespace

QString questionnaireDifferenceDetail(const SurveyDocument& a, const SurveyDocument& b,
                                      const QString& nameA, const QString& nameB,
                                      QuestionTexts texts) {
    if (a.SurveyTitle.view() != b.SurveyTitle.view())
        return detail(u8("アンケート名が違います。"), nameA, quoted(a.SurveyTitle), nameB,
                      quoted(b.SurveyTitle));
    if (a.QuestionCount != b.QuestionCount)
        return detail(u8("質問数が違います。"), nameA, QString::number(a.QuestionCount), nameB,
                      QString::number(b.QuestionCount));
    for (int q = 1; q <= std::min(a.QuestionCount, MaxQuestions); ++q) {
        const QString number = QString::number(q);
        if (texts == QuestionTexts::Compared && a.QuestionText[q].view() != b.QuestionText[q].view())
            return detail(u8("質問%1の内容が違います。").arg(number), nameA,
                          quoted(a.QuestionText[q]), nameB, quoted(b.QuestionText[q]));
        if (a.ChoiceCount[q] != b.ChoiceCount[q])
            return detail(u8("質問%1の選択肢の数が違います。").arg(number), nameA,
                          QString::number(a.ChoiceCount[q]), nameB,
                          QString::number(b.ChoiceCount[q]));
        if (a.MultiSelect[q] != b.MultiSelect[q])
            return detail(u8("質問%1の複数選択の設定が違います。").arg(number), nameA,
                          multiSelectText(a.MultiSelect[q]), nameB,
                          multiSelectText(b.MultiSelect[q]));
    }
    return {};
}

QString questionnaireDifference(const SurveyDocument& a, const SurveyDocument& b,
                                const QString& nameA, const QString& nameB) {
    const QString difference = questionnaireDifferenceDetail(a, b, nameA, nameB);
    if (difference.isEmpty()) return {};
    return u8("アンケートが同じではないため照合できません。\n") + difference;
}

} // namespace vev
