#include "largest_survey.h"
#include "model/data_file.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace vev;
using namespace vev::bench;

namespace {

void BM_LoadLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    auto saved = largestSurvey(dir, {.withResults = true});
    if (!saved) {
        state.SkipWithError("cannot write the tally files");
        return;
    }
    auto doc = std::make_unique<SurveyDocument>();
    SilentEvents events;
    for (auto _ : state) {
        doc->OpenRequestPath = saved->DataFilePath;
        Loaddatafile(*doc, events);
        benchmark::DoNotOptimize(doc->Tally[40][8]);
    }
    if (doc->RespondentCount != 999 || doc->LinkedTallyFileCount != 40 ||
        doc->Tally != saved->Tally)
        state.SkipWithError("the loaded survey differs from the saved one");
}
BENCHMARK(BM_LoadLargestSurvey)->Unit(benchmark::kMillisecond);

// Saving writes the data file and, with WWrite checked, the results file beside it.
void BM_SaveLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    auto doc = largestSurvey(dir, {.withResults = true});
    if (!doc) {
        state.SkipWithError("cannot write the tally files");
        return;
    }
    for (auto _ : state) {
        hozon(*doc, Date);
        benchmark::DoNotOptimize(doc->Modified);
    }
}
BENCHMARK(BM_SaveLargestSurvey)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
