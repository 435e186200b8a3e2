#include "app/main_window.h"

#include "linked/linked_list_dialog.h"
#include "model/recording.h"
#include "window_fixture.h"

#include <QFile>
#include <QListWidget>
#include <QTest>

using namespace vev;
using namespace vev::test;

// An addition sheet goes out, comes back filled in by a spreadsheet program, is linked, saved
// with the survey and linked again when the survey is loaded.
class TestLinkedEndToEnd : public QObject {
    Q_OBJECT

    WindowSession s;
    SurveyDocument* doc = s.doc.get();
    TForm1* form = nullptr;

    QString inDir(const char* name) const { return s.path(QLatin1String(name)); }

    void answer(int respondent, int question, const char* digits) {
        doc->CurrentRespondent = respondent;
        doc->CurrentQuestion = question;
        doc->EntryBuffer = digits;
        dataIN(*doc);
    }

private slots:
    void initTestCase() {
        QVERIFY(s.dir.isValid());
        s.start();
        form = s.form.get();
    }

    void cleanupTestCase() { QVERIFY(s.finish()); }

    void sheetLinkedSavedAndLoadedAgain() {
        setLunchQuestionnaire(*doc);
        const char* answers[4][2] = {{"1", "2"}, {"2", "3"}, {"1", "2"}, {"1", "1"}};
        for (int r = 1; r <= 4; ++r)
            for (int q = 1; q <= 2; ++q) answer(r, q, answers[r - 1][q - 1]);
        QCOMPARE(doc->RespondentCount, 4);
        doc->DataFilePath = inDir("lunch.dat").toStdString();

        // The sheet is made and handed to the desktop ...
        const QString sheet = inDir("add1.csv");
        s.platform.expectSaveFile(sheet);
        form->linked().CsvI1Click();
        QCOMPARE(s.platform.shellOpened, QStringList{sheet});
        QVERIFY(QFile::exists(sheet));

        // ... and comes back saved by a spreadsheet: no quotes, no padding, a count typed into
        // Q-one's blank third cell, every row filled up with commas.
        QVERIFY(QFile::remove(sheet));
        QVERIFY(QFile::copy(testData("linked_sheet_filled.csv"), sheet));
        s.platform.expectOpenFiles({sheet});
        form->linked().CsvR1Click();
        QCOMPARE(doc->LinkedTallyFileCount, 1);
        QVERIFY(doc->Modified);

        form->survey().hozon();
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
        s.platform.expectSaveFile(again);
        form->results().CsvW1Click();
        QCOMPARE(readAll(again), expected);

        // Unlinking through the list leaves the survey's own answers only.
        form->linked().CsvL1Click();
        s.list->ListBox1->setCurrentRow(0);
        s.list->Button2Click();
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->Tally[1][1], 3);
        QCOMPARE(doc->Tally[1][2], 1);
        QCOMPARE(doc->Tally[1][9], 0);
        QCOMPARE(doc->Tally[2][3], 1);
        QCOMPARE(doc->Tally[2][9], 0);
    }
};

QTEST_MAIN(TestLinkedEndToEnd)
#include "tst_linked_end_to_end_window.moc"
