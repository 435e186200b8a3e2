#include "largest_survey.h"
#include "model/data_file.h"
#include "model/sjis.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace vev;
using namespace vev::bench;

namespace {

// Loading the largest survey with its 40 linked tally files; with the argument 1, every text
// filled to its limit: a 200-byte wording per question and a 40-byte text per choice (360
// trailer lines more). Target: 1 ms, and at most 0.2 ms more with the texts.
void BM_LoadLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    auto saved = largestSurvey(dir, {.withResults = true});
    if (!saved) {
        state.SkipWithError("cannot write the tally files");
        return;
    }
    if (state.range(0) == 1) {
        // Two-byte characters throughout, half of them with the trail byte 0x5C: the reader
        // walks every character of a text to cut it.
        std::string wording, choice;
        while (wording.size() < MaxWordingBytes) wording += sjis::fromUtf8("表示");
        while (choice.size() < MaxChoiceTextBytes) choice += sjis::fromUtf8("ソ,");
        for (int q = 1; q <= 40; ++q) {
            saved->Texts.Wording[q] = sjis::cutBytes(wording, MaxWordingBytes);
            for (int c = 1; c <= MaxTextChoices; ++c)
                saved->Texts.Choice[q][c] = sjis::cutBytes(choice, MaxChoiceTextBytes);
        }
        hozon(*saved, Date);
    }
    auto doc = std::make_unique<SurveyDocument>();
    SilentEvents events;
    for (auto _ : state) {
        doc->OpenRequestPath = saved->DataFilePath;
        Loaddatafile(*doc, events);
        benchmark::DoNotOptimize(doc->Tally[40][8]);
    }
    if (doc->RespondentCount != 999 || doc->LinkedTallyFileCount != 40 ||
        doc->Tally != saved->Tally || doc->Texts != saved->Texts)
        state.SkipWithError("the loaded survey differs from the saved one");
}
BENCHMARK(BM_LoadLargestSurvey)->ArgName("texts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
