#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

namespace vev {

// File menu "回答データ書き出し(&X)...": asks for a file name ("<data file>_回答.csv" proposed;
// CSV (UTF-8) or SPSS .sav, chosen by the name's extension) and writes the answers, one row per
// respondent; a CSV gets its codebook beside it. A CSV from the window always starts with the
// UTF-8 byte order mark, so that a spreadsheet opened by double click shows the Japanese texts
// (vev-tally export leaves it out unless --bom is given). A survey with nothing to export is
// refused before the dialog. Throws VevError before anything is written; the window runs it
// guarded, so every failure is shown by the general error report.
class ExportCommands {
public:
    ExportCommands(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}

    void Export1Click();

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
};

// The file filter of its save dialog.
QString exportFileFilter();

} // namespace vev
