#include "app/main_window.h"

#include "model/sjis.h"
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>

using namespace vev;
using namespace vev::test;

namespace {

// The lunch survey's print file: 20 respondents, Q-one (12, 7, NG 1), Q-two (3, 3, 3).
QByteArray lunchPrintFile() {
    const QList<QByteArray> lines = {
        "Lunch survey  " + sj("　") + "2026/12/07",
        "",
        "No  " + sj("質問内容            ") + "     1    2    3   NG",
        " 1  Q-one                   12    7         1",
        " 2  Q-two                    3    3    3    0",
        "",
        "lunch.dat by VEV",
        "",
        sj("割合（％）"),
        "No  " + sj("質問内容            ") + "     1    2    3     " + sj("計"),
        " 1  Q-one                   63   37         100",
        " 2  Q-two                   33   33   33     99",
        "",
        "VEV v1.11  (c) VEV developers",
    };
    return lines.join("\r\n") + "\r\n";
}

} // namespace

class TestResultsCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> s;
    SurveyDocument* doc = nullptr;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        s = std::make_unique<WindowSession>();
        QVERIFY(s->dir.isValid());
        s->start();
        doc = s->doc.get();
        setLunchQuestionnaire(*doc);
        doc->RespondentCount = 20;
        doc->Tally[1][1] = 12;
        doc->Tally[1][2] = 7;
        doc->Tally[1][9] = 1;
        doc->Tally[2][1] = doc->Tally[2][2] = doc->Tally[2][3] = 3;
    }

    void cleanup() { QVERIFY(s->finish()); }

    void optionsToggleWithoutModifying() {
        QVERIFY(s->WWrite()->isChecked());
        QVERIFY(!s->Frac1()->isChecked());
        s->WWrite()->trigger();
        s->Frac1()->trigger();
        QVERIFY(!s->WWrite()->isChecked() && !doc->WWrite);
        QVERIFY(s->Frac1()->isChecked() && doc->Frac1);
        QVERIFY(!doc->Modified);
    }

    void proposedNameKeptWhenCancelled_data() {
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("resultsFile");
        QTest::addColumn<QByteArray>("title"); // UTF-8
        QTest::addColumn<QString>("proposed");

        QTest::newRow("saved survey") << "/s/lunch.dat"
                                      << "" << QByteArray("Lunch") << "/s/lunch.csv";
        QTest::newRow("name without extension") << "/s/lunch"
                                                << "" << QByteArray("Lunch") << "/s/lunch.csv";
        QTest::newRow("dot in a folder name") << "/s.v1/lunch"
                                              << "" << QByteArray("Lunch") << "/s.v1/lunch.csv";
        QTest::newRow("never saved: the title") << ""
                                                << "" << QByteArray("Lunch") << "Lunch.csv";
        QTest::newRow("never saved: a Japanese title")
            << ""
            << "" << QByteArray("昼食調査") << QString::fromUtf8("昼食調査.csv");
        QTest::newRow("results path already chosen")
            << "/s/lunch.dat"
            << "/t/opened.csv" << QByteArray("Lunch") << "/t/opened.csv";
    }
    void proposedNameKeptWhenCancelled() {
        QFETCH(QString, dataFile);
        QFETCH(QString, resultsFile);
        QFETCH(QByteArray, title);
        QFETCH(QString, proposed);
        doc->DataFilePath = dataFile.toStdString();
        doc->ResultsFilePath = resultsFile.toStdString();
        doc->SurveyTitle = sjis::fromUtf8(title.toStdString());
        s->platform.expectSaveFile({});

        s->form->results().CsvW1Click();

        QCOMPARE(s->platform.dialogs.size(), 1);
        QCOMPARE(fields(s->platform.dialogs.first()),
                 tallyDialog(true, "集計結果に名前をつけて保存", proposed));
        QCOMPARE(QString::fromStdString(doc->ResultsFilePath), proposed);
        QCOMPARE(doc->ResultsSeparator, ',');
    }

    void saveAsWritesTheChosenFile() {
        doc->DataFilePath = s->nativePath("lunch.dat");
        doc->ResultsSeparator = ' '; // left so by an earlier print
        doc->ResultsQuote = ' ';
        const QString chosen = s->path(QStringLiteral("elsewhere.csv"));
        s->platform.expectSaveFile(chosen);

        s->form->results().CsvW1Click();

        QCOMPARE(QString::fromStdString(doc->ResultsFilePath), chosen);
        QCOMPARE(doc->ResultsSeparator, ',');
        QCOMPARE(doc->ResultsQuote, '"');
        QVERIFY(
            readAll(chosen).startsWith("Lunch survey,," + sj("　") + "2026/12/07\r\n\r\n  ,\""));
        QVERIFY(!QFile::exists(s->path(QStringLiteral("vev_prn.txt"))));
        QCOMPARE(QDir::currentPath(), QDir(s->dir.path()).canonicalPath());
        QVERIFY(!doc->Modified);
    }

    void printHandsThePrintFileToTheViewer_data() {
        QTest::addColumn<QString>("folder"); // program folder inside the temporary folder
        QTest::addColumn<bool>("viewerBeside");

        QTest::newRow("no viewer: the desktop opens it") << "bin" << false;
        QTest::newRow("viewer beside the program") << "bin" << true;
        QTest::newRow("folder with spaces stays one argument") << "my vev bin" << true;
    }
    void printHandsThePrintFileToTheViewer() {
        QFETCH(QString, folder);
        QFETCH(bool, viewerBeside);
        QVERIFY(QDir(s->dir.path()).mkpath(folder));
        const QString appDir = s->path(folder) + QLatin1Char('/');
        doc->AppDirectory = appDir.toStdString();
        doc->DataFilePath = s->nativePath("lunch.dat");
        const QString viewer = appDir + QStringLiteral("ziduvo");
        if (viewerBeside) {
            QVERIFY(writeFile(viewer, "#!/bin/sh\n"));
            QVERIFY(QFile::setPermissions(viewer, QFile::permissions(viewer) | QFile::ExeOwner));
        }

        s->form->results().Print1Click();

        const QString printFile = appDir + QStringLiteral("vev_prn.txt");
        QCOMPARE(readAll(printFile), lunchPrintFile());
        QCOMPARE(doc->ResultsFilePath, std::string()); // the results path is not touched
        if (viewerBeside) {
            QCOMPARE(s->platform.programsStarted, (QList<QStringList>{{viewer, printFile}}));
            QVERIFY(s->platform.shellOpened.isEmpty());
        } else {
            QVERIFY(s->platform.programsStarted.isEmpty());
            QCOMPARE(s->platform.shellOpened, QStringList{printFile});
        }
    }

    void printGoesToTheCacheWhenTheProgramFolderCannotTakeIt() {
        doc->AppDirectory = s->nativePath("missing") + '/';

        s->form->results().Print1Click();

        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        const QString printFile = QDir(cache).absoluteFilePath(QStringLiteral("vev_prn.txt"));
        QCOMPARE(QString::fromStdString(doc->printFilePath()), printFile);
        QVERIFY(readAll(printFile).startsWith("Lunch survey  "));
        QCOMPARE(s->platform.shellOpened, QStringList{printFile});
        QFile::remove(printFile);
    }

    void printFailureStartsNoViewer() {
        // A folder stands where the print file should go: writing it fails.
        QVERIFY(QDir(s->dir.path()).mkdir(QStringLiteral("vev_prn.txt")));
        s->platform.expectMessage(Platform::Answer::Ok);

        s->form->runGuarded([this] { s->form->results().Print1Click(); });

        QCOMPARE(s->platform.messages.size(), 1);
        QCOMPARE(s->platform.messages.first().icon, Platform::Icon::Error);
        QVERIFY(s->platform.shellOpened.isEmpty());
        QVERIFY(s->platform.programsStarted.isEmpty());
    }

    void openResults_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("chosen") << false;
        QTest::newRow("cancelled") << true;
    }
    void openResults() {
        QFETCH(bool, cancel);
        doc->ResultsFilePath = "/s/lunch.csv";
        const QString chosen = s->path(QStringLiteral("other.csv"));
        s->platform.expectOpenFiles(cancel ? QStringList{} : QStringList{chosen});

        s->form->results().Ex1Click();

        QCOMPARE(s->platform.dialogs.size(), 1);
        QCOMPARE(fields(s->platform.dialogs.first()), tallyDialog(false, "集計ファイルを開く"));
        if (cancel) {
            QCOMPARE(doc->ResultsFilePath, std::string("/s/lunch.csv"));
            QVERIFY(s->platform.shellOpened.isEmpty());
        } else {
            QCOMPARE(QString::fromStdString(doc->ResultsFilePath), chosen);
            QCOMPARE(s->platform.shellOpened, QStringList{chosen});
            QCOMPARE(QDir::currentPath(), QDir(s->dir.path()).canonicalPath());
        }
    }
};

QTEST_MAIN(TestResultsCommands)
#include "tst_results_commands_window.moc"
