#include "model/recording.h"
#include "model/survey_document.h"
#include "results/results_file.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace vev;

namespace {

// Replacing one multi-select answer of an eight-choice question: withdraw, then record.
void BM_RecordAnswer(benchmark::State& state) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->QuestionCount = 1;
    doc->ChoiceCount[1] = 8;
    doc->MultiSelect[1] = true;
    doc->CurrentRespondent = 500;
    doc->CurrentQuestion = 1;
    const char* buffers[] = {"8531", "246", "12345678", "7"};
    std::size_t i = 0;
    for (auto _ : state) {
        doc->EntryBuffer = buffers[i++ & 3];
        dataDEL(*doc);
        dataIN(*doc);
        benchmark::DoNotOptimize(doc->Tally[1][1]);
    }
}
BENCHMARK(BM_RecordAnswer);

std::unique_ptr<SurveyDocument> fullSurvey(const QString& folder) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->SurveyTitle = "Benchmark survey";
    doc->VersionString = VevVersion;
    doc->DataFilePath = (folder + QStringLiteral("/bench.dat")).toStdString();
    doc->ResultsFilePath = (folder + QStringLiteral("/bench.csv")).toStdString();
    doc->QuestionCount = 40;
    doc->RespondentCount = 999;
    for (int q = 1; q <= 40; ++q) {
        doc->QuestionText[q] = "Question text";
        doc->ChoiceCount[q] = 8;
        for (int c = 1; c <= 8; ++c) doc->Tally[q][c] = (q * 37 + c * 101) % 999;
        doc->Tally[q][9] = q;
    }
    return doc;
}

// The results file of a full survey (40 questions, 8 choices, 999 respondents) written to disk,
// in a temporary folder (argument 0) or in memory-backed /dev/shm (argument 1), which shows the
// cost without the wait for the disk that the atomic save's sync brings.
void BM_WriteResultsFile(benchmark::State& state) {
    QTemporaryDir dir(state.range(0) == 0 ? QDir::tempPath() + QStringLiteral("/vev-bench-XXXXXX")
                                          : QStringLiteral("/dev/shm/vev-bench-XXXXXX"));
    auto doc = fullSurvey(dir.path());
    const QString date = QStringLiteral("2026/12/07");
    for (auto _ : state) csvhozon(*doc, date);
}
BENCHMARK(BM_WriteResultsFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The table alone, built in memory.
void BM_BuildResults(benchmark::State& state) {
    auto doc = fullSurvey(QStringLiteral("/nowhere"));
    const QString date = QStringLiteral("2026/12/07");
    for (auto _ : state) benchmark::DoNotOptimize(resultsFileContents(*doc, date));
}
BENCHMARK(BM_BuildResults)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
