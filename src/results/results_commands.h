#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QString>

namespace vev {

// The results commands of the File menu: save the results table, print it through the print
// file and a text viewer, open a results file with its application.
class ResultsCommands {
public:
    ResultsCommands(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}

    void CsvW1Click();  // "集計結果保存(&C)..."
    void Print1Click(); // "集計結果印刷(&P)..."
    void Ex1Click();    // "集計結果を開く(&E)..."

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
};

} // namespace vev
