#include "largest_survey.h"
#include "analysis/cross_table.h"
#include "results/results_file.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vev;

namespace {

// The cross table of two questions of the largest survey (999 respondents, 8 choices each),
// multi-select on both sides (argument 1: every chosen pair counts) or single choice (0): the
// counts and the shown table with unanswered, NG and totals.
void BM_CrossTable(benchmark::State& state) {
    QTemporaryDir dir;
    bench::LargestSurveyShape shape;
    shape.multiSelect = state.range(0) == 1;
    shape.linked = false;
    const auto doc = bench::largestSurvey(dir, shape);
    if (!doc) {
        state.SkipWithError("survey not written");
        return;
    }
    for (auto _ : state) {
        const CrossTable table = crossTabulate(*doc, 1, 2);
        const CrossGrid grid = crossGrid(table, CrossView::RowPercent, true, false);
        benchmark::DoNotOptimize(grid.cells.size());
    }
}
BENCHMARK(BM_CrossTable)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same table written as CSV text, as the save and the command line do.
void BM_CrossTableCsv(benchmark::State& state) {
    QTemporaryDir dir;
    bench::LargestSurveyShape shape;
    shape.linked = false;
    const auto doc = bench::largestSurvey(dir, shape);
    if (!doc) {
        state.SkipWithError("survey not written");
        return;
    }
    for (auto _ : state) {
        const QByteArray csv =
            crossGridCsv(crossGrid(crossTabulate(*doc, 1, 2), CrossView::Counts, true, false));
        benchmark::DoNotOptimize(csv.size());
    }
}
BENCHMARK(BM_CrossTableCsv)->Unit(benchmark::kMicrosecond);

// The results file in memory with multi-select percentages of respondents (argument 1) or of
// answers (0): the respondents' base walks every answer of every question.
void BM_ResultsWithRespondentBase(benchmark::State& state) {
    QTemporaryDir dir;
    const auto doc = bench::largestSurvey(dir);
    if (!doc) {
        state.SkipWithError("survey not written");
        return;
    }
    doc->RBase1 = state.range(0) == 1;
    for (auto _ : state) {
        const std::string contents = resultsFileContents(*doc, bench::Date);
        benchmark::DoNotOptimize(contents.size());
    }
}
BENCHMARK(BM_ResultsWithRespondentBase)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
