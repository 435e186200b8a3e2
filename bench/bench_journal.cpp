#include "survey/journal.h"
#include "model/recording.h"
#include "model/survey_document.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace vev;

namespace {

// The journal lives beside the data file, on the disk: a temporary folder on it.
QString diskFolder() {
    return QDir::tempPath() + QStringLiteral("/vev-bench-XXXXXX");
}

std::unique_ptr<SurveyDocument> survey() {
    auto doc = std::make_unique<SurveyDocument>();
    doc->QuestionCount = 1;
    doc->ChoiceCount[1] = 8;
    doc->MultiSelect[1] = true;
    doc->CurrentRespondent = 500;
    doc->CurrentQuestion = 1;
    return doc;
}

const char* const Buffers[] = {"8531", "246", "12345678", "7"};

// Recording alone: withdraw, then record one multi-select answer of an eight-choice question.
void BM_RecordAnswerAlone(benchmark::State& state) {
    auto doc = survey();
    std::size_t i = 0;
    for (auto _ : state) {
        doc->EntryBuffer = Buffers[i++ & 3];
        dataDEL(*doc);
        dataIN(*doc);
        benchmark::DoNotOptimize(doc->Tally[1][1]);
    }
}
BENCHMARK(BM_RecordAnswerAlone);

// The same with the answer appended to the journal (one write(2), no fdatasync).
void BM_RecordAnswerJournaled(benchmark::State& state) {
    QTemporaryDir dir(diskFolder());
    auto doc = survey();
    JournalWriter writer;
    writer.start(dir.filePath(QStringLiteral("bench.dat.journal")).toStdString(),
                 Questionnaire::of(*doc));
    std::size_t i = 0;
    for (auto _ : state) {
        doc->EntryBuffer = Buffers[i++ & 3];
        dataDEL(*doc);
        dataIN(*doc);
        if (!writer.append(JournalRecord::answer(*doc, 500, 1))) state.SkipWithError("append");
    }
}
BENCHMARK(BM_RecordAnswerJournaled);

// Finishing a respondent: one more record and the journal flushed to the disk.
void BM_AppendAndFlush(benchmark::State& state) {
    QTemporaryDir dir(diskFolder());
    auto doc = survey();
    JournalWriter writer;
    writer.start(dir.filePath(QStringLiteral("bench.dat.journal")).toStdString(),
                 Questionnaire::of(*doc));
    for (auto _ : state) {
        if (!writer.append(JournalRecord::respondentCount(500)) || !writer.flush())
            state.SkipWithError("append or flush");
    }
}
BENCHMARK(BM_AppendAndFlush)->Unit(benchmark::kMicrosecond);

// What the operator waits for when the flush runs on the helper thread: the append and the
// request. Each iteration waits for the previous flush to end (outside the timing), so the disk
// is never queued up.
void BM_AppendAndFlushSoon(benchmark::State& state) {
    QTemporaryDir dir(diskFolder());
    auto doc = survey();
    JournalWriter writer;
    writer.start(dir.filePath(QStringLiteral("bench.dat.journal")).toStdString(),
                 Questionnaire::of(*doc));
    for (auto _ : state) {
        if (!writer.append(JournalRecord::respondentCount(500)) || !writer.flushSoon())
            state.SkipWithError("append or flush");
        state.PauseTiming();
        writer.flush();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AppendAndFlushSoon)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
