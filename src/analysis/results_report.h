#pragma once

// The results report "集計レポート": an A4 PDF, written with Qt's PDF writer, that a reader can
// take away. The first page opens with the title, the date and what the numbers are of (the
// data file's respondents, each linked tally file's share, the percentage base); then every
// question in use gets a block of its own - heading with its n, a table of choice, count and
// percentage with NG last (a numeric question: its keyed values, n, sum and mean), and the
// question's bar chart (the chart window's chart, counts) - and a block never breaks across
// pages. Japanese text is set in a copy of Noto Sans CJK made for a faithful text layer
// (report_font.h), embedded in the file. Counts come from Tally and percentages from
// percentCellValue(), as in the results file. Needs a QApplication.

#include "model/survey_document.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace vev {

// The report's bytes; date is printed as it is given (the caller's short date).
QByteArray resultsReportContents(const SurveyDocument& doc, const QString& date);

// Writes the report to path (native) atomically: a failure leaves any previous file as it was
// and raises VevError that names the path and the reason in Japanese.
void writeResultsReport(const SurveyDocument& doc, const std::string& path, const QString& date);

} // namespace vev
