#include "analysis/charts_module.h"

#include "model/vev_error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace vev::charts {

namespace {

// The module's file: $VEV_CHARTS_MODULE, else <program folder>/VEV_CHARTS_RELATIVE_PATH. Before
// any application object exists (vev-tally's report) the program folder comes from the kernel.
QString modulePath() {
    const QString given = qEnvironmentVariable("VEV_CHARTS_MODULE");
    if (!given.isEmpty()) return given;
    const QString folder = QCoreApplication::instance()
                               ? QCoreApplication::applicationDirPath()
                               : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return folder + QStringLiteral("/" VEV_CHARTS_RELATIVE_PATH);
}

const ChartsModule& load() {
    const QString path = modulePath();
    // Never unloaded: its windows and fonts live as long as the program.
    QLibrary library(path);
    using Entry = const ChartsModule* (*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(ChartsModuleEntry));
    const ChartsModule* table = entry ? entry() : nullptr;
    if (!table || table->version != ChartsModule::Version)
        throw VevError(
            "Cannot load the charts module " + QFileInfo(path).filePath().toStdString() + ": " +
            (table ? std::string("wrong version") : library.errorString().toStdString()));
    return *table;
}

} // namespace

const ChartsModule& module() {
    // A failed load throws and is tried again at the next use.
    static const ChartsModule& loaded = load();
    return loaded;
}

std::unique_ptr<QCoreApplication> newApplication(int& argc, char** argv) {
    return std::unique_ptr<QCoreApplication>(module().newApplication(argc, argv));
}

QWidget* newResultsChartWindow(const SurveyDocument& doc, Platform& platform, QWidget* parent) {
    return module().newChartWindow(doc, platform, parent);
}

void refreshResultsChartWindow(QWidget* window) {
    module().refreshChartWindow(window);
}

void saveResultsReportAs(QWidget* parent, const SurveyDocument& doc, Platform& platform) {
    module().saveReportAs(parent, doc, platform);
}

void writeResultsReport(const SurveyDocument& doc, const std::string& path, const QString& date) {
    module().writeReport(doc, path, date);
}

} // namespace vev::charts
