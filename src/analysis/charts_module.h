#pragma once

// The results charts, the chart window and the PDF report live in a module of their own,
// `vev_charts`, loaded on first use: Qt Charts, Svg and OpenGL - and for vev-tally Widgets and
// X11 too - then load only when a chart or a report is asked for, not at every start. This is
// the one door to the module; it links Qt6::Core alone.
//
// The module is found at $VEV_CHARTS_MODULE when that is set (the tests point it into the
// build tree), else installed beside the programs in <libdir>/vev. A module that cannot be
// loaded is a VevError naming the file and the loader's reason.

#include "model/survey_document.h"

#include <QString>

#include <memory>
#include <string>

class QCoreApplication;
class QWidget;

namespace vev {

class Platform;

// The module's entry points, handed out by its one exported function. The window functions
// need a QApplication; the module's own newApplication makes one for a program without
// Widgets of its own.
struct ChartsModule {
    // Raised whenever this table changes, so that a stale module is refused, never called.
    static constexpr int Version = 1;
    int version = Version;
    QCoreApplication* (*newApplication)(int& argc, char** argv);
    QWidget* (*newChartWindow)(const SurveyDocument& doc, Platform& platform, QWidget* parent);
    void (*refreshChartWindow)(QWidget* window);
    void (*saveReportAs)(QWidget* parent, const SurveyDocument& doc, Platform& platform);
    void (*writeReport)(const SurveyDocument& doc, const std::string& path, const QString& date);
};

// The name of the exported function that returns the module's table.
inline constexpr const char* ChartsModuleEntry = "vev_charts_module";

namespace charts {

// The module, loaded on the first call. Throws VevError when it cannot be loaded.
const ChartsModule& module();

// A QApplication (argc must outlive it) for a program that otherwise has only a core
// application: vev-tally's report. Call before any other application object exists.
std::unique_ptr<QCoreApplication> newApplication(int& argc, char** argv);

// The results chart window (ResultsChartWindow), a child window of parent, not yet shown.
QWidget* newResultsChartWindow(const SurveyDocument& doc, Platform& platform, QWidget* parent);
// ResultsChartWindow::refresh of a window made by newResultsChartWindow.
void refreshResultsChartWindow(QWidget* window);
// "集計レポート(PDF)(&D)...": saveResultsReportAs of analysis/report_command.h.
void saveResultsReportAs(QWidget* parent, const SurveyDocument& doc, Platform& platform);
// writeResultsReport of analysis/results_report.h.
void writeResultsReport(const SurveyDocument& doc, const std::string& path, const QString& date);

} // namespace charts

} // namespace vev
