#pragma once

// The results as bar charts: one horizontal bar chart per question, built with Qt Charts, shared
// by the chart window, the PDF report and vev-tally. Counts come from Tally and percentages from
// percentCellValue(), so a chart always says what the results file says; a numeric question,
// whose tally holds a sum, shows its keyed values instead. NG stands apart: its own
// bar in its own colour below the choices when counts are shown; with percentages (whose base
// leaves NG out) it has no bar and its count is named in the legend. A chart lives in a
// QGraphicsScene, so everything here needs a QApplication.

#include "model/survey_document.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>

class QChart;
class QPainter;

namespace vev {

enum class ChartValues { Counts, Percentages };

struct ChartLook {
    bool title = true;  // chartTitle() above the bars
    bool legend = true; // the value set and the NG set under the bars
    QFont font;         // the base font; the title is drawn a little larger and bold
};

// The chart of question q (1..QuestionCount): a choice question's counts or percentages, a
// numeric question's distribution of keyed values (respondents per value 1..8, or their share
// of those who keyed a value; numericSummary). An unused question gets its title and no bars.
std::unique_ptr<QChart> makeResultsChart(const SurveyDocument& doc, int q, ChartValues values,
                                         const ChartLook& look = {});

// The chart laid out at layoutSize (pixels at the screen's resolution, as in a window) and
// painted into target, scaled to fit: text and bars keep their proportions whatever the device.
void paintResultsChart(QPainter& painter, const QRectF& target, const QSizeF& layoutSize,
                       const SurveyDocument& doc, int q, ChartValues values,
                       const ChartLook& look = {});

// The chart as an image of the given size, on white.
QImage resultsChartImage(const SurveyDocument& doc, int q, ChartValues values, QSize size,
                         const ChartLook& look = {});

enum class ChartFileFormat { Png, Svg };
// The bytes of a PNG or SVG file of the chart at the given size.
QByteArray resultsChartFile(const SurveyDocument& doc, int q, ChartValues values, QSize size,
                            ChartFileFormat format, const ChartLook& look = {});

// "Q<q>. <question text>", the report's heading and the chart window's list entry.
QString questionCaption(const SurveyDocument& doc, int q);
// The chart's title: "Q<q>. <wording>" when the question has a wording, else questionCaption().
QString chartTitle(const SurveyDocument& doc, int q);
// A percentage cell as text: 63 -> "63"; in tenths, 632 -> "63.2" and -5 -> "-0.5".
QString percentText(long long cell, bool tenths);

} // namespace vev
