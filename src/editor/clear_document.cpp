#include "editor/clear_document.h"

#include "model/recording.h"

namespace vev {

void DClear(SurveyDocument& doc) {
    for (int r = 1; r <= MaxRespondents; ++r)
        for (int q = 1; q <= MaxQuestions; ++q) doc.Answers[r][q].clear();
    for (int q = 1; q <= MaxQuestions; ++q) doc.Tally[q].fill(0);
    doc.CurrentRespondent = 1;
    doc.RespondentCount = 0;
    hitoribun(doc);
    // Answers cleared from a saved survey are still on disk; a questionnaire never saved is not.
    doc.Modified = doc.QuestionnaireModified;
    doc.LinkedTallyFileCount = 0;
    doc.LinkedDataFiles.clear();
}

namespace {

void clearQuestionnaire(SurveyDocument& doc) {
    for (int q = 1; q <= MaxQuestions; ++q) {
        doc.QuestionText[q].clear();
        doc.ChoiceCount[q] = 0;
        doc.MultiSelect[q] = false;
    }
    doc.Texts = SurveyTexts{};
    doc.ResultsFilePath.clear();
    doc.DataFilePath.clear();
    doc.SurveyTitle.clear();
    doc.QuestionCount = 0;
    doc.CurrentQuestion = 1;
    doc.Modified = false;
    doc.QuestionnaireModified = false;
}

} // namespace

void AClear(SurveyDocument& doc) {
    if (!doc.questionnaireLoaded()) return;
    DClear(doc);
    clearQuestionnaire(doc);
}

void NewDocument(SurveyDocument& doc) {
    clearQuestionnaire(doc);
    DClear(doc); // after the questionnaire: no "0" marks are left either
    for (int i = 1; i <= MaxLinkedTallyFiles; ++i) doc.LinkedTallyFile[i].clear();
    doc.FirstOpenQuestion = 0;
    doc.EntryPending = false;
    doc.EntryBuffer.clear();
}

} // namespace vev
