#include "app/main_window.h"

#include "fake_platform.h"
#include "model/sjis.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;

namespace {

const QString Filter = QString::fromUtf8("集計ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");

QByteArray sj(const char* utf8) {
    return QByteArray::fromStdString(sjis::fromUtf8(utf8));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The lunch survey: 20 respondents, "Q-one" (12, 7, NG 1) and "Q-two" (3, 3, 3).
void fillLunch(SurveyDocument& doc) {
    doc.SurveyTitle = "Lunch survey";
    doc.VersionString = VevVersion;
    doc.RespondentCount = 20;
    doc.QuestionCount = 2;
    doc.QuestionText[1] = "Q-one";
    doc.ChoiceCount[1] = 2;
    doc.Tally[1][1] = 12;
    doc.Tally[1][2] = 7;
    doc.Tally[1][9] = 1;
    doc.QuestionText[2] = "Q-two";
    doc.ChoiceCount[2] = 3;
    doc.Tally[2][1] = doc.Tally[2][2] = doc.Tally[2][3] = 3;
}

// The print form of the lunch survey's results, written out cell by cell.
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

    std::unique_ptr<SurveyDocument> doc;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<QTemporaryDir> dir;
    QString startFolder;

    QString inDir(const QString& name) const { return dir->filePath(name); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        startFolder = QDir::currentPath();
    }

    void init() {
        QDir::setCurrent(startFolder);
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        doc = std::make_unique<SurveyDocument>();
        platform = std::make_unique<FakePlatform>();
        form = std::make_unique<TForm1>(*doc, *platform, QStringList{});
        fillLunch(*doc);
        doc->AppDirectory = dir->path().toStdString() + '/';
    }

    void cleanup() {
        QString why;
        const bool done = platform->verifyDone(&why);
        form.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
        QDir::setCurrent(startFolder);
        QVERIFY2(done, qPrintable(why));
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
        platform->expectSaveFile({});

        form->CsvW1Click();

        QCOMPARE(platform->dialogs.size(), 1);
        const FakePlatform::ShownDialog& shown = platform->dialogs.first();
        QVERIFY(shown.save);
        QCOMPARE(shown.dialog.title, QString::fromUtf8("集計結果に名前をつけて保存"));
        QCOMPARE(shown.dialog.filter, Filter);
        QCOMPARE(shown.dialog.defaultSuffix, QStringLiteral("csv"));
        QCOMPARE(shown.dialog.fileName, proposed);
        QCOMPARE(QString::fromStdString(doc->ResultsFilePath), proposed);
        QCOMPARE(doc->ResultsSeparator, ',');
    }

    void saveAsWritesTheChosenFile() {
        doc->DataFilePath = inDir(QStringLiteral("lunch.dat")).toStdString();
        doc->ResultsSeparator = ' '; // left so by an earlier print
        doc->ResultsQuote = ' ';
        const QString chosen = inDir(QStringLiteral("elsewhere.csv"));
        platform->expectSaveFile(chosen);

        form->CsvW1Click();

        QCOMPARE(QString::fromStdString(doc->ResultsFilePath), chosen);
        QCOMPARE(doc->ResultsSeparator, ',');
        QCOMPARE(doc->ResultsQuote, '"');
        const QByteArray written = readAll(chosen);
        QVERIFY(written.startsWith("Lunch survey,," + sj("　") + "2026/12/07\r\n\r\n  ,\""));
        QVERIFY(!QFile::exists(inDir(QStringLiteral("vev_prn.txt"))));
        QCOMPARE(QDir::currentPath(), QDir(dir->path()).canonicalPath());
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
        QVERIFY(QDir(dir->path()).mkpath(folder));
        const QString appDir = inDir(folder) + QLatin1Char('/');
        doc->AppDirectory = appDir.toStdString();
        doc->DataFilePath = inDir(QStringLiteral("lunch.dat")).toStdString();
        const QString viewer = appDir + QStringLiteral("ziduvo");
        if (viewerBeside) {
            QFile tool(viewer);
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\n");
            tool.close();
            QVERIFY(tool.setPermissions(tool.permissions() | QFile::ExeOwner));
        }

        form->Print1Click();

        const QString printFile = appDir + QStringLiteral("vev_prn.txt");
        QCOMPARE(readAll(printFile), lunchPrintFile());
        QCOMPARE(doc->ResultsFilePath, std::string()); // the results path is not touched
        if (viewerBeside) {
            QCOMPARE(platform->programsStarted, (QList<QStringList>{{viewer, printFile}}));
            QVERIFY(platform->shellOpened.isEmpty());
        } else {
            QVERIFY(platform->programsStarted.isEmpty());
            QCOMPARE(platform->shellOpened, QStringList{printFile});
        }
    }

    void printGoesToTheCacheWhenTheProgramFolderCannotTakeIt() {
        doc->AppDirectory = inDir(QStringLiteral("missing")).toStdString() + '/';

        form->Print1Click();

        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        const QString printFile = QDir(cache).absoluteFilePath(QStringLiteral("vev_prn.txt"));
        QCOMPARE(QString::fromStdString(doc->printFilePath()), printFile);
        QVERIFY(readAll(printFile).startsWith("Lunch survey  "));
        QCOMPARE(platform->shellOpened, QStringList{printFile});
        QFile::remove(printFile);
    }

    void printFailureStartsNoViewer() {
        // A folder stands where the print file should go: writing it fails.
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("vev_prn.txt")));
        platform->expectMessage(Platform::Answer::Ok);

        form->runGuarded([this] { form->Print1Click(); });

        QCOMPARE(platform->messages.size(), 1);
        QCOMPARE(platform->messages.first().icon, Platform::Icon::Error);
        QVERIFY(platform->shellOpened.isEmpty());
        QVERIFY(platform->programsStarted.isEmpty());
    }

    void openResults_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("chosen") << false;
        QTest::newRow("cancelled") << true;
    }
    void openResults() {
        QFETCH(bool, cancel);
        doc->ResultsFilePath = "/s/lunch.csv";
        const QString chosen = inDir(QStringLiteral("other.csv"));
        platform->expectOpenFiles(cancel ? QStringList{} : QStringList{chosen});

        form->Ex1Click();

        QCOMPARE(platform->dialogs.size(), 1);
        const FakePlatform::ShownDialog& shown = platform->dialogs.first();
        QVERIFY(!shown.save);
        QVERIFY(!shown.dialog.multiple);
        QCOMPARE(shown.dialog.title, QString::fromUtf8("集計ファイルを開く"));
        QCOMPARE(shown.dialog.filter, Filter);
        QCOMPARE(shown.dialog.defaultSuffix, QStringLiteral("csv"));
        QVERIFY(shown.dialog.fileName.isEmpty());
        if (cancel) {
            QCOMPARE(doc->ResultsFilePath, std::string("/s/lunch.csv"));
            QVERIFY(platform->shellOpened.isEmpty());
        } else {
            QCOMPARE(QString::fromStdString(doc->ResultsFilePath), chosen);
            QCOMPARE(platform->shellOpened, QStringList{chosen});
            QCOMPARE(QDir::currentPath(), QDir(dir->path()).canonicalPath());
        }
    }
};

QTEST_MAIN(TestResultsCommands)
#include "tst_results_commands_window.moc"
