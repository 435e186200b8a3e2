#include "entry/recording.h"
#include "linked/tally_file.h"
#include "model/data_file.h"
#include "model/survey_document.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace vev;

namespace {

const QString Date = QStringLiteral("2026/12/07");

std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The largest survey: 40 multi-select questions of 8 choices, 999 respondents and 40 linked
// tally files, saved once in dir as big.dat.
std::unique_ptr<SurveyDocument> largestSurvey(const QTemporaryDir& dir) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->SurveyTitle = "Largest survey";
    doc->QuestionCount = 40;
    for (int q = 1; q <= 40; ++q) {
        doc->QuestionText[q] = "Question text";
        doc->ChoiceCount[q] = 8;
        doc->MultiSelect[q] = true;
    }
    const char* answers[] = {"1357", "2468", "12345678", "9", "5", "0", "18", "234"};
    for (int r = 1; r <= 999; ++r)
        for (int q = 1; q <= 40; ++q) {
            doc->CurrentRespondent = r;
            doc->CurrentQuestion = q;
            doc->EntryBuffer = answers[(r + q) % 8];
            dataIN(*doc);
        }
    doc->CurrentTallyFilePath = native(dir.filePath(QStringLiteral("sheet.csv")));
    const std::string sheet = additionSheetContents(*doc, Date);
    SilentEvents events;
    for (int i = 1; i <= 40; ++i) {
        doc->CurrentTallyFilePath = native(dir.filePath(QStringLiteral("add%1.csv").arg(i)));
        QFile file(QFile::decodeName(QByteArray::fromStdString(doc->CurrentTallyFilePath)));
        if (!file.open(QIODevice::WriteOnly)) return nullptr;
        file.write(sheet.data(), static_cast<qint64>(sheet.size()));
        file.close();
        csvRead(*doc, events);
    }
    doc->DataFilePath = native(dir.filePath(QStringLiteral("big.dat")));
    doc->WWrite = true;
    hozon(*doc, Date);
    return doc;
}

void BM_LoadLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    auto saved = largestSurvey(dir);
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
    auto doc = largestSurvey(dir);
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
