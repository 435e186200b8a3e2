#pragma once

// The results report "集計レポート": an A4 PDF, written with Qt's PDF writer, that a reader can
// take away. The first page opens with the title, the date and the respondent count; then every
// question gets a block of its own - heading, a table of choice, count and percentage with NG
// last, and the question's bar chart (the chart window's chart, counts) - and a block never
// breaks across pages. Japanese text is set in Noto Sans CJK, embedded in the file. Counts come
// from Tally and percentages from percentCellValue(), as in the results file. Needs a QApplication.

#include "model/survey_document.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace vev {

// The report's bytes; date is printed as it is given (the caller's short date).
QByteArray resultsReportContents(const SurveyDocument& doc, const QString& date);

// Writes the report to path (native) atomically: a failure leaves any previous file as it was
// and raises VevError with the system's text.
void writeResultsReport(const SurveyDocument& doc, const std::string& path, const QString& date);

} // namespace vev
