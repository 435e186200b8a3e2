#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"

class QWidget;

namespace vev {

// "集計レポート(PDF)(&D)...": asks where to save the report - proposed beside the data file under
// its name with ".pdf", or the title with ".pdf" for a survey never saved - and writes it with
// today's date. Cancel writes nothing; the survey's data, linked tally and results files are
// refused (checkOutputTarget). Throws VevError; the caller runs it guarded.
void saveResultsReportAs(QWidget* parent, const SurveyDocument& doc, Platform& platform);

} // namespace vev
