// Double entry on the largest survey (40 questions of 8 choices, 999 respondents): comparing two
// keyings of it must take at most 5 ms.
#include "double_entry/compare_dialog.h"
#include "double_entry/double_entry.h"
#include "largest_survey.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace vev;
using namespace vev::bench;

namespace {

// Two keyings that agree in every answer: the second one as its file loads.
void BM_CompareLargestSurveysAgreeing(benchmark::State& state) {
    QTemporaryDir dir;
    const auto a = largestSurvey(dir, {true, false, false, "a.dat"});
    const SurveyForComparison b = readSurveyForComparison(native(dir.filePath(u"a.dat"_qs)));
    if (!a || !b.Doc) {
        state.SkipWithError("the survey could not be written");
        return;
    }
    for (auto _ : state) {
        const Comparison c = compareSurveys(*a, *b.Doc);
        benchmark::DoNotOptimize(c.AnswersDiffering);
    }
}
BENCHMARK(BM_CompareLargestSurveysAgreeing)->Unit(benchmark::kMillisecond);

// The worst case: every one of the 39,960 answers differs and is listed.
void BM_CompareLargestSurveysAllDiffering(benchmark::State& state) {
    QTemporaryDir dir;
    const auto a = largestSurvey(dir, {true, false, false, "a.dat"});
    const auto b = largestSurvey(dir, {false, false, false, "b.dat"});
    if (!a || !b) {
        state.SkipWithError("the survey could not be written");
        return;
    }
    b->MultiSelect = a->MultiSelect; // the same questionnaire, other answers
    for (auto _ : state) {
        const Comparison c = compareSurveys(*a, *b);
        benchmark::DoNotOptimize(c.AnswersDiffering);
    }
}
BENCHMARK(BM_CompareLargestSurveysAllDiffering)->Unit(benchmark::kMillisecond);

// What the dialog's refresh does: read the other file, then compare.
void BM_RefreshLargestComparison(benchmark::State& state) {
    QTemporaryDir dir;
    const auto a = largestSurvey(dir, {true, false, false, "a.dat"});
    if (!a) {
        state.SkipWithError("the survey could not be written");
        return;
    }
    const std::string other = native(dir.filePath(u"a.dat"_qs));
    for (auto _ : state) {
        const SurveyForComparison b = readSurveyForComparison(other);
        const Comparison c = compareSurveys(*a, *b.Doc);
        benchmark::DoNotOptimize(c.AnswersDiffering);
    }
}
BENCHMARK(BM_RefreshLargestComparison)->Unit(benchmark::kMillisecond);

// The comparison dialog opened on two keyings where nearly every answer differs: 35,000 rows.
void BM_CompareDialogAllDiffering(benchmark::State& state) {
    QTemporaryDir dir;
    const auto a = largestSurvey(dir, {true, false, false, "a.dat"});
    const auto b = largestSurvey(dir, {false, false, false, "b.dat"});
    if (!a || !b) {
        state.SkipWithError("the survey could not be written");
        return;
    }
    b->MultiSelect = a->MultiSelect; // the same questionnaire, other answers
    hozon(*b, Date);
    QuietPlatform platform;
    for (auto _ : state) {
        CompareDialog dialog(*a, platform, dir.filePath(u"b.dat"_qs), {});
        dialog.show();
        QApplication::processEvents();
        if (dialog.comparison().Differences.size() < 30000) state.SkipWithError("not compared");
    }
}
BENCHMARK(BM_CompareDialogAllDiffering)->Unit(benchmark::kMillisecond);

} // namespace

VEV_BENCHMARK_WINDOW_MAIN()
