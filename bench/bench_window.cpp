// Start-up with the largest survey: creating the main window, which loads the survey named on
// the command line, until the window is shown.
#include "app/main_window.h"
#include "largest_survey.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

using namespace vev;
using namespace vev::bench;

namespace {

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_StartWithLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeLargestSurvey(dir);
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the tally files");
        return;
    }
    QuietPlatform platform;
    auto doc = std::make_unique<SurveyDocument>();
    int respondents = 0;
    int linked = 0;
    double resident = 0;
    for (auto _ : state) {
        *doc = SurveyDocument();
        auto form = std::make_unique<TForm1>(*doc, platform, QStringList{path});
        form->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        respondents = doc->RespondentCount;
        linked = doc->LinkedTallyFileCount;
        resident = std::max(resident, residentMegabytes());
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (respondents != 999 || linked != 40) state.SkipWithError("the survey did not load whole");
    state.counters["resident_MB"] = resident;
}
BENCHMARK(BM_StartWithLargestSurvey)->Unit(benchmark::kMillisecond);

} // namespace

VEV_BENCHMARK_WINDOW_MAIN()
