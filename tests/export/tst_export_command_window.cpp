// The window's answer export command with the fake platform: the save dialog it shows, the
// files the chosen name gives, and failures shown by the general error report with nothing
// written.
#include "core_test_util.h"
#include "fake_platform.h"
#include "model/data_file.h"
#include "export/answer_table.h"
#include "export/export_command.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using namespace vev::test;

class TestExportCommand : public QObject {
    Q_OBJECT

private slots:
    void exportCommand_data() {
        QTest::addColumn<QString>("chosen"); // in the test folder; empty: cancelled
        QTest::addColumn<bool>("respondents");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("error"); // the general error report, if any

        QTest::newRow("csv with its codebook")
            << QStringLiteral("out.csv") << true
            << QStringList{QStringLiteral("export.dat"), QStringLiteral("out.csv"),
                           QStringLiteral("out_codebook.csv")}
            << QString();
        QTest::newRow("sav") << QStringLiteral("out.sav") << true
                             << QStringList{QStringLiteral("export.dat"), QStringLiteral("out.sav"),
                                            QStringLiteral("out.sps")}
                             << QString();
        QTest::newRow("cancelled")
            << QString() << true << QStringList{QStringLiteral("export.dat")} << QString();
        QTest::newRow("no respondents: refused before the dialog")
            << QString() << false << QStringList{QStringLiteral("export.dat")}
            << noRespondentsMessage();
        QTest::newRow("missing folder")
            << QStringLiteral("none/out.csv") << true << QStringList{QStringLiteral("export.dat")}
            << u("書き込めません：@none/out.csv（ファイルまたはフォルダが見つかりません）。");
        QTest::newRow("the survey itself")
            << QStringLiteral("export.dat") << true << QStringList{QStringLiteral("export.dat")}
            << u("@export.dat はこのアンケートのデータファイルです。上書きできません。");
        QTest::newRow("over the survey's results file")
            << QStringLiteral("export.csv") << true << QStringList{QStringLiteral("export.dat")}
            << u("@export.csv はこのアンケートの集計結果ファイルです。上書きできません。");
    }
    void exportCommand() {
        QFETCH(QString, chosen);
        QFETCH(bool, respondents);
        QFETCH(QStringList, written);
        QFETCH(QString, error);

        QTemporaryDir dir;
        const QString survey = dir.filePath(QStringLiteral("export.dat"));
        QVERIFY(QFile::copy(testData("export.dat"), survey));
        const QByteArray surveyBytes = readAll(survey);
        auto doc = std::make_unique<SurveyDocument>();
        doc->OpenRequestPath = native(survey);
        SilentEvents events;
        QCOMPARE(Loaddatafile(*doc, events), LoadOutcome::Loaded);
        if (!respondents) doc->RespondentCount = 0;

        FakePlatform platform;
        if (respondents)
            platform.expectSaveFile(chosen.isEmpty() ? QString() : dir.filePath(chosen));
        if (!error.isEmpty()) platform.expectMessage(Platform::Answer::Ok);
        test::HeadlessView view(platform);
        view.runGuarded([&] { ExportCommands(*doc, platform, view).Export1Click(); });
        QString why;
        QVERIFY2(platform.verifyDone(&why), qPrintable(why));

        if (respondents) {
            QCOMPARE(platform.dialogs.size(), 1);
            const Platform::FileDialog& d = platform.dialogs[0].dialog;
            QVERIFY(platform.dialogs[0].save);
            QCOMPARE(d.filter, u("CSV (UTF-8)(*.csv)|*.csv|SPSS(*.sav)|*.sav"));
            QCOMPARE(d.defaultSuffix, QStringLiteral("csv"));
            QCOMPARE(QFileInfo(d.fileName).fileName(), u("export_回答.csv"));
        }
        if (error.isEmpty()) {
            QVERIFY(platform.messages.isEmpty());
        } else {
            QCOMPARE(platform.messages.size(), 1);
            QCOMPARE(platform.messages[0].caption, QStringLiteral("VEV"));
            QCOMPARE(platform.messages[0].icon, Platform::Icon::Error);
            QCOMPARE(platform.messages[0].text,
                     QString(error).replace(QLatin1Char('@'), dir.path() + QLatin1Char('/')));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 written);
        QCOMPARE(readAll(survey), surveyBytes);
        // The window's CSV starts with the byte order mark; the rest is vev-tally's CSV.
        if (written.contains(QStringLiteral("out.csv")))
            QCOMPARE(readAll(dir.filePath(QStringLiteral("out.csv"))),
                     "\xEF\xBB\xBF" + readAll(testData("export_answers.csv")));
        if (written.contains(QStringLiteral("out.sav")))
            QVERIFY(readAll(dir.filePath(QStringLiteral("out.sav"))).startsWith("$FL2"));
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

QTEST_MAIN(TestExportCommand)
#include "tst_export_command_window.moc"
