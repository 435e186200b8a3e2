#pragma once

#include "model/survey_document.h"

#include <QString>

namespace vev {

// Writes the results table: to ResultsFilePath when ResultsSeparator is ',', otherwise to the
// print file (doc.printFilePath()). Recomputes PercentBase. shortDate is today's date in the
// system's short date format (the caller supplies it, so tests can fix it). Throws VevError.
void csvhozon(SurveyDocument& doc, const QString& shortDate);

// The save (File > Save): writes the data file to DataFilePath (which must not be empty) and
// clears Modified; with WWrite checked also sets ResultsFilePath beside it and writes the
// results file. Throws VevError.
void hozon(SurveyDocument& doc, const QString& shortDate);

// The whole file as Shift-JIS bytes with CR LF line ends, as csvhozon writes it.
std::string resultsFileContents(SurveyDocument& doc, const QString& shortDate);

} // namespace vev
