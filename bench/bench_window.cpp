// Start-up with the largest survey: creating the main window, which loads the survey named on
// the command line, until the window is shown.
#include "app/main_window.h"
#include "entry/recording.h"
#include "linked/tally_file.h"
#include "model/data_file.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

using namespace vev;

namespace {

const QString Date = QStringLiteral("2026/12/07");

// Answers every box with OK and does nothing else.
class QuietPlatform : public Platform {
public:
    Answer messageBox(QWidget*, const QString&, const QString&, Icon, Buttons) override {
        return Answer::Ok;
    }
    void positionedMessage(QWidget*, const QString&) override {}
    QStringList openFiles(QWidget*, const FileDialog&) override { return {}; }
    QString saveFile(QWidget*, const FileDialog&) override { return {}; }
    void shellOpen(const QString&) override {}
    void startProgram(const QString&, const QStringList&) override {}
    void beep() override {}
    void pause100ms() override {}
    QString shortDate() override { return Date; }
    QString programDirectory() override { return QStringLiteral("/nonexistent/"); }
};

std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// 40 multi-select questions of 8 choices, 999 respondents, 40 linked tally files: big.dat.
QString writeLargestSurvey(const QTemporaryDir& dir) {
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
    const std::string sheet = additionSheetContents(*doc, Date);
    SilentEvents events;
    for (int i = 1; i <= 40; ++i) {
        doc->CurrentTallyFilePath = native(dir.filePath(QStringLiteral("add%1.csv").arg(i)));
        QFile file(QFile::decodeName(QByteArray::fromStdString(doc->CurrentTallyFilePath)));
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(sheet.data(), static_cast<qint64>(sheet.size()));
        file.close();
        csvRead(*doc, events);
    }
    doc->DataFilePath = native(dir.filePath(QStringLiteral("big.dat")));
    doc->WWrite = false;
    hozon(*doc, Date);
    return dir.filePath(QStringLiteral("big.dat"));
}

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_StartWithLargestSurvey(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeLargestSurvey(dir);
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the tally files");
        return;
    }
    QuietPlatform platform;
    auto doc = std::make_unique<SurveyDocument>();
    int respondents = 0;
    int linked = 0;
    double resident = 0;
    for (auto _ : state) {
        *doc = SurveyDocument();
        auto form = std::make_unique<TForm1>(*doc, platform, QStringList{path});
        form->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        respondents = doc->RespondentCount;
        linked = doc->LinkedTallyFileCount;
        resident = std::max(resident, residentMegabytes());
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (respondents != 999 || linked != 40) state.SkipWithError("the survey did not load whole");
    state.counters["resident_MB"] = resident;
}
BENCHMARK(BM_StartWithLargestSurvey)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
