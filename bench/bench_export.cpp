// Exporting the answers of the largest survey (40 multi-select questions of 8 choices, 999
// respondents: 321 variables) to an SPSS system file and to CSV with its codebook, files on disk
// included. Target: at most 20 ms each.
#include "largest_survey.h"
#include "export/answer_export.h"

#include <QDir>

#include <benchmark/benchmark.h>

using namespace vev;

namespace {

// Argument 0: a temporary folder; 1: memory-backed /dev/shm, which shows the cost without the
// wait for the disk that the atomic write's sync brings.
void exportLargest(benchmark::State& state, ExportFormat format, const char* name) {
    QTemporaryDir dir(state.range(0) == 0 ? QDir::tempPath() + QStringLiteral("/vev-bench-XXXXXX")
                                          : QStringLiteral("/dev/shm/vev-bench-XXXXXX"));
    auto doc = bench::largestSurvey(dir, {.multiSelect = true, .linked = false});
    if (!doc) {
        state.SkipWithError("the survey could not be written");
        return;
    }
    const std::string target = bench::native(dir.filePath(QLatin1String(name)));
    for (auto _ : state) exportAnswers(*doc, target, format, true);
}

void BM_ExportLargestSav(benchmark::State& state) {
    exportLargest(state, ExportFormat::Sav, "answers.sav");
}
BENCHMARK(BM_ExportLargestSav)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ExportLargestCsv(benchmark::State& state) {
    exportLargest(state, ExportFormat::Csv, "answers.csv");
}
BENCHMARK(BM_ExportLargestCsv)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
