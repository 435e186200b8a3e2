#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QString>

namespace vev {

// The maker's timer tool (Davad.exe on Windows), looked for beside the program.
QString timerToolName();
// A file the program looks for beside itself: AppDirectory, then ../share/vev/ from there.
// Empty when it is in neither.
QString findBesideProgram(const SurveyDocument& doc, const QString& name);

// The Help menu: the About dialog, the help document, the maker's web page and timer tool.
class HelpCommands {
public:
    HelpCommands(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}

    void About1Click(); // "バージョン情報(&A)": the About dialog Form3
    void ManualClick(); // "解説(&M)": the help document vev.htm
    void ZAMwebClick(); // "VEV最新版(&V)": the maker's web page with the latest version
    void DAVADClick();  // "タイマーを表示(&T)": the maker's timer tool

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
};

} // namespace vev
