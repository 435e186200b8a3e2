#pragma once

#include "model/survey_document.h"

#include <QString>

namespace vev {

// Writes the results table: to ResultsFilePath when ResultsSeparator is ',', otherwise to the
// print file (doc.printFilePath()). Recomputes PercentBase. shortDate is today's date in the
// system's short date format (the caller supplies it, so tests can fix it). Throws VevError.
void csvhozon(SurveyDocument& doc, const QString& shortDate);

// The whole file as Shift-JIS bytes with CR LF line ends, as csvhozon writes it.
std::string resultsFileContents(SurveyDocument& doc, const QString& shortDate);

// The percentage cell of choice c (1..ChoiceCount[q]) of question q as the results file shows
// it: whole per cent, or tenths of a per cent when Frac1 is checked. Charts and reports take
// their percentages from here, so they always agree with the results file.
long long percentCell(const SurveyDocument& doc, int q, int c);

} // namespace vev
