#include "app/main_window.h"

#include "entry/recording.h"
#include "fake_platform.h"
#include "linked/linked_list_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString testData(const char* name) {
    return QStringLiteral(VEV_TEST_DATA "/") + QLatin1String(name);
}

} // namespace

// An addition sheet goes out, comes back filled in by a spreadsheet program, is linked, saved
// with the survey and linked again when the survey is loaded.
class TestLinkedEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<SurveyDocument> doc;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm4> list;
    QTemporaryDir dir;
    QString startFolder;

    QString inDir(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void answer(int respondent, int question, const char* digits) {
        doc->CurrentRespondent = respondent;
        doc->CurrentQuestion = question;
        doc->EntryBuffer = digits;
        dataIN(*doc);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        startFolder = QDir::currentPath();
        doc = std::make_unique<SurveyDocument>();
        platform = std::make_unique<FakePlatform>();
        platform->programDir = dir.path() + QLatin1Char('/');
        form = std::make_unique<TForm1>(*doc, *platform, QStringList{});
        list = std::make_unique<TForm4>(*form);
        form->attachDialogs(nullptr, list.get());
    }

    void cleanupTestCase() {
        QString why;
        const bool done = platform->verifyDone(&why);
        list.reset();
        form.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
        QDir::setCurrent(startFolder);
        QVERIFY2(done, qPrintable(why));
    }

    void sheetLinkedSavedAndLoadedAgain() {
        doc->SurveyTitle = "Lunch survey";
        doc->QuestionCount = 2;
        doc->QuestionText[1] = "Q-one";
        doc->ChoiceCount[1] = 2;
        doc->QuestionText[2] = "Q-two";
        doc->ChoiceCount[2] = 3;
        const char* answers[4][2] = {{"1", "2"}, {"2", "3"}, {"1", "2"}, {"1", "1"}};
        for (int r = 1; r <= 4; ++r)
            for (int q = 1; q <= 2; ++q) answer(r, q, answers[r - 1][q - 1]);
        QCOMPARE(doc->RespondentCount, 4);
        doc->DataFilePath = inDir("lunch.dat").toStdString();

        // The sheet is made and handed to the desktop ...
        const QString sheet = inDir("add1.csv");
        platform->expectSaveFile(sheet);
        form->CsvI1Click();
        QCOMPARE(platform->shellOpened, QStringList{sheet});
        QVERIFY(QFile::exists(sheet));

        // ... and comes back saved by a spreadsheet: no quotes, no padding, a count typed into
        // Q-one's blank third cell, every row filled up with commas.
        QVERIFY(QFile::remove(sheet));
        QVERIFY(QFile::copy(testData("linked_sheet_filled.csv"), sheet));
        platform->expectOpenFiles({sheet});
        form->CsvR1Click();
        QCOMPARE(doc->LinkedTallyFileCount, 1);
        QVERIFY(doc->Modified);

        form->hozon();
        QVERIFY(!doc->Modified);
        const QByteArray expected = readAll(testData("linked_expected.csv"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(readAll(inDir("lunch.csv")), expected);

        // Loading the survey again links the sheet again: the same results.
        doc->OpenRequestPath = doc->DataFilePath;
        form->Loaddatafile();
        QCOMPARE(doc->LinkedTallyFileCount, 1);
        QCOMPARE(QString::fromStdString(doc->LinkedTallyFile[1]), sheet);
        const QString again = inDir("again.csv");
        platform->expectSaveFile(again);
        form->CsvW1Click();
        QCOMPARE(readAll(again), expected);

        // Unlinking through the list leaves the survey's own answers only.
        form->CsvL1Click();
        list->ListBox1->setCurrentRow(0);
        list->Button2Click();
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->Tally[1][1], 3);
        QCOMPARE(doc->Tally[1][2], 1);
        QCOMPARE(doc->Tally[1][9], 0);
        QCOMPARE(doc->Tally[2][3], 1);
        QCOMPARE(doc->Tally[2][9], 0);
        list->hide();
    }
};

QTEST_MAIN(TestLinkedEndToEnd)
#include "tst_linked_end_to_end_window.moc"
