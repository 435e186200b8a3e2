#include "analysis/analysis_commands.h"

#include "analysis/cross_table_dialog.h"
#include "analysis/charts_module.h"

#include <QTimer>

namespace vev {

void AnalysisCommands::Chart1Click() {
    if (!chart_) {
        chart_ = charts::newResultsChartWindow(doc_, platform_, view_.dialogParent());
        chartRefresh_ = new QTimer(view_.dialogParent());
        chartRefresh_->setSingleShot(true);
        chartRefresh_->setInterval(0);
        QObject::connect(chartRefresh_, &QTimer::timeout, chartRefresh_, [this] {
            if (chart_->isVisible())
                view_.runGuarded([this] { charts::refreshResultsChartWindow(chart_); });
        });
    } else {
        charts::refreshResultsChartWindow(chart_);
    }
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

void AnalysisCommands::CrossTab1Click() {
    vev::CrossTab1Click(view_.dialogParent(), doc_, platform_);
}

void AnalysisCommands::Report1Click() {
    charts::saveResultsReportAs(view_.dialogParent(), doc_, platform_);
}

void AnalysisCommands::resultsChanged() {
    if (chart_ && chart_->isVisible()) chartRefresh_->start();
}

void AnalysisCommands::hideChart() {
    if (chart_) chart_->hide();
}

} // namespace vev
