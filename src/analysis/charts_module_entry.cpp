// The one exported symbol of the vev_charts module: its table of entry points. Everything else
// the module holds (its copy of the core among it) stays hidden inside it.
#include "analysis/charts_module.h"

#include "analysis/report_command.h"
#include "analysis/results_chart_window.h"
#include "analysis/results_report.h"

#include <QApplication>

namespace {

QCoreApplication* newApplication(int& argc, char** argv) {
    return new QApplication(argc, argv);
}

QWidget* newChartWindow(const vev::SurveyDocument& doc, vev::Platform& platform, QWidget* parent) {
    return new vev::ResultsChartWindow(doc, platform, parent);
}

void refreshChartWindow(QWidget* window) {
    static_cast<vev::ResultsChartWindow*>(window)->refresh();
}

} // namespace

extern "C" Q_DECL_EXPORT const vev::ChartsModule* vev_charts_module() {
    static const vev::ChartsModule table{
        .newApplication = newApplication,
        .newChartWindow = newChartWindow,
        .refreshChartWindow = refreshChartWindow,
        .saveReportAs = vev::saveResultsReportAs,
        .writeReport = vev::writeResultsReport,
    };
    return &table;
}
