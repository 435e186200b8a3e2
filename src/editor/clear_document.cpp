#include "editor/clear_document.h"

#include "model/recording.h"

namespace vev {

void DClear(SurveyDocument& doc) {
    for (int r = 1; r <= doc.RespondentCount; ++r)
        for (int q = 1; q <= doc.QuestionCount; ++q) doc.Answers[r][q].clear();
    for (int q = 1; q <= doc.QuestionCount; ++q) doc.Tally[q].fill(0);
    doc.CurrentRespondent = 1;
    doc.RespondentCount = 0;
    hitoribun(doc);
    doc.Modified = false;
    doc.LinkedTallyFileCount = 0;
}

void AClear(SurveyDocument& doc) {
    if (!doc.questionnaireLoaded()) return;
    DClear(doc);
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        doc.QuestionText[q].clear();
        doc.ChoiceCount[q] = 0;
        doc.MultiSelect[q] = false;
    }
    doc.ResultsFilePath.clear();
    doc.DataFilePath.clear();
    doc.SurveyTitle.clear();
    doc.QuestionCount = 0;
    doc.CurrentQuestion = 1;
}

} // namespace vev
