#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

class QTimer;
class QWidget;

namespace vev {

// The results menu "集計(&T)": the one chart window (created when first opened, kept and
// refreshed while it shows), the cross table dialog and the PDF report.
class AnalysisCommands {
public:
    AnalysisCommands(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}

    void Chart1Click();    // "集計グラフ(&G)...": the chart window, refreshed and raised
    void CrossTab1Click(); // "クロス集計(&T)..."
    void Report1Click();   // "集計レポート(PDF)(&D)..."
    // The counts or the questionnaire changed: a shown chart window is refreshed once the
    // current event is handled (a clear or a link reports every question; one refresh follows).
    void resultsChanged();
    void hideChart(); // the program ends

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    QWidget* chart_ = nullptr;            // the module's chart window, the main window's child
    QTimer* chartRefresh_ = nullptr;      // coalesces the chart's refreshes
};

} // namespace vev
