#pragma once

// The largest survey the program takes (40 questions of 8 choices, 999 respondents, optionally
// 40 linked tally files), built through the recording and saved once, for the benchmarks; and a
// platform that answers every box with OK and does nothing else.
#include "model/recording.h"
#include "linked/tally_file.h"
#include "model/data_file.h"
#include "results/results_file.h" // hozon
#include "model/survey_document.h"
#include "platform/platform.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace vev::bench {

inline const QString Date = QStringLiteral("2026/12/07");

inline std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

struct LargestSurveyShape {
    bool multiSelect = true;  // answers of several choices, else one digit each (NG among them)
    bool linked = true;       // 40 tally files added with csvRead
    bool withResults = false; // WWrite: saving writes the results file too
    const char* fileName = "big.dat";
};

// The survey, saved in dir under shape.fileName; null when the tally files cannot be written.
inline std::unique_ptr<SurveyDocument> largestSurvey(const QTemporaryDir& dir,
                                                     const LargestSurveyShape& shape = {}) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->SurveyTitle = "Largest survey";
    doc->QuestionCount = 40;
    for (int q = 1; q <= 40; ++q) {
        doc->QuestionText[q] = "Question text";
        doc->ChoiceCount[q] = 8;
        doc->MultiSelect[q] = shape.multiSelect;
    }
    const char* answers[] = {"1357", "2468", "12345678", "9", "5", "0", "18", "234"};
    for (int r = 1; r <= 999; ++r)
        for (int q = 1; q <= 40; ++q) {
            doc->CurrentRespondent = r;
            doc->CurrentQuestion = q;
            doc->EntryBuffer = shape.multiSelect
                                   ? std::string(answers[(r + q) % 8])
                                   : std::string(1, static_cast<char>('1' + (r * 7 + q) % 9));
            dataIN(*doc);
        }
    if (shape.linked) {
        doc->CurrentTallyFilePath = native(dir.filePath(QStringLiteral("sheet.csv")));
        const std::string sheet = additionSheetContents(*doc, Date);
        SilentEvents events;
        for (int i = 1; i <= 40; ++i) {
            const QString path = dir.filePath(QStringLiteral("add%1.csv").arg(i));
            doc->CurrentTallyFilePath = native(path);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) return nullptr;
            file.write(sheet.data(), static_cast<qint64>(sheet.size()));
            file.close();
            csvRead(*doc, events);
        }
    }
    doc->DataFilePath = native(dir.filePath(QLatin1String(shape.fileName)));
    doc->WWrite = shape.withResults;
    hozon(*doc, Date);
    return doc;
}

// The survey saved in dir; its path, empty when it could not be written.
inline QString writeLargestSurvey(const QTemporaryDir& dir, const LargestSurveyShape& shape = {}) {
    return largestSurvey(dir, shape) ? dir.filePath(QLatin1String(shape.fileName)) : QString();
}

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

} // namespace vev::bench

// main() of a benchmark that builds windows: a QApplication on the offscreen platform unless
// another platform is asked for.
#define VEV_BENCHMARK_WINDOW_MAIN()                                                                \
    int main(int argc, char** argv) {                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
