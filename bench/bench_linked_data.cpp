// A survey keyed on four machines: loading it with three linked data files of 999 x 40, a
// cross table over all four files, and an import of 999 rows from CSV.
#include "../tests/support/multi_file_survey.h"

#include "analysis/cross_table.h"
#include "export/answer_csv.h"
#include "export/answer_import.h"
#include "export/answer_table.h"
#include "model/data_file.h"
#include "model/linked_data.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

const std::vector<MultiQuestion> Wide = multiQuestionnaire(/*wide=*/true);

// Four files of 999, 999, 999 and 503 respondents; main.dat links the other three.
bool writeFourFiles(const QTemporaryDir& dir) {
    const char* names[4] = {"main.dat", "b.dat", "c.dat", "d.dat"};
    const int sizes[4] = {999, 999, 999, 503};
    for (int i = 0; i < 4; ++i) {
        const QStringList links =
            i == 0 ? QStringList{QStringLiteral("b.dat"), QStringLiteral("c.dat"),
                                 QStringLiteral("d.dat")}
                   : QStringList{};
        if (!writeMultiFile(dir.filePath(QLatin1String(names[i])),
                            multiDataFile(Wide, randomAnswers(Wide, sizes[i], unsigned(i)), links)))
            return false;
    }
    return true;
}

std::unique_ptr<SurveyDocument> load(const QString& path) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->OpenRequestPath = QFile::encodeName(path).toStdString();
    SilentEvents events;
    Loaddatafile(*doc, events);
    return doc;
}

// The load of the whole survey: its own file, then the three linked ones read and counted.
void BM_LoadWithLinkedDataFiles(benchmark::State& state) {
    QTemporaryDir dir;
    if (!writeFourFiles(dir)) return state.SkipWithError("files not written");
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    const std::string path = QFile::encodeName(dir.filePath(QStringLiteral("main.dat"))).toStdString();
    SilentEvents events;
    for (auto _ : state) {
        doc->OpenRequestPath = path;
        Loaddatafile(*doc, events);
        benchmark::DoNotOptimize(doc->Tally[40][8]);
    }
    if (totalRespondents(*doc) != 3500) state.SkipWithError("the survey did not load whole");
}
BENCHMARK(BM_LoadWithLinkedDataFiles)->Unit(benchmark::kMillisecond);

// Question 1 (single choice) by question 2 (multi-select) over 3,500 respondents.
void BM_CrossTableFourFiles(benchmark::State& state) {
    QTemporaryDir dir;
    if (!writeFourFiles(dir)) return state.SkipWithError("files not written");
    const auto doc = load(dir.filePath(QStringLiteral("main.dat")));
    for (auto _ : state) {
        const CrossTable table = crossTabulate(*doc, 1, 2);
        const CrossGrid grid = crossGrid(table, CrossView::RowPercent, true, false);
        benchmark::DoNotOptimize(grid.cells.size());
    }
}
BENCHMARK(BM_CrossTableFourFiles)->Unit(benchmark::kMicrosecond);

// 999 rows of 40 questions read, checked and recorded into an empty copy.
void BM_Import999Rows(benchmark::State& state) {
    QTemporaryDir dir;
    if (!writeFourFiles(dir)) return state.SkipWithError("files not written");
    const auto source = load(dir.filePath(QStringLiteral("b.dat")));
    const QByteArray csv = answersCsv(answerTable(*source), false);
    auto blank = std::make_unique<SurveyDocument>();
    for (auto _ : state) {
        state.PauseTiming();
        *blank = SurveyDocument();
        blank->SurveyTitle = source->SurveyTitle;
        blank->QuestionCount = source->QuestionCount;
        blank->ChoiceCount = source->ChoiceCount;
        blank->MultiSelect = source->MultiSelect;
        state.ResumeTiming();
        const ImportPreview preview = previewAnswerImport(*blank, csv);
        SilentEvents events;
        applyAnswerImport(*blank, preview, events);
        benchmark::DoNotOptimize(blank->RespondentCount);
    }
    if (blank->RespondentCount != 999) state.SkipWithError("not every row was imported");
}
BENCHMARK(BM_Import999Rows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
