// The whole PDF results report of the largest survey (40 questions of 8 choices, 999
// respondents, 40 linked tally files): tables, charts and fonts, written to disk. Target: 2 s.
#include "largest_survey.h"
#include "analysis/results_report.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vev;
using namespace vev::bench;

namespace {

void BM_ReportOfLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    const auto doc = largestSurvey(dir);
    if (!doc) {
        state.SkipWithError("cannot write the tally files");
        return;
    }
    const std::string path = native(dir.filePath(QStringLiteral("report.pdf")));
    for (auto _ : state) writeResultsReport(*doc, path, Date);
    state.counters["bytes"] =
        static_cast<double>(QFileInfo(dir.filePath(QStringLiteral("report.pdf"))).size());
}
BENCHMARK(BM_ReportOfLargestSurvey)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

VEV_BENCHMARK_WINDOW_MAIN()
