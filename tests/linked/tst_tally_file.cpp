#include "core_test_util.h"
#include "linked/tally_file.h"
#include "model/sjis.h"
#include "model/vev_error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;

using namespace vev::test;

namespace {

// "Lunch survey": Q-one with two choices, Q-two with three, so three choice columns.
std::unique_ptr<SurveyDocument> lunchSurvey() {
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->SurveyTitle = "Lunch survey";
    doc->QuestionCount = 2;
    doc->QuestionText[1] = "Q-one";
    doc->QuestionText[2] = "Q-two";
    doc->ChoiceCount[1] = 2;
    doc->ChoiceCount[2] = 3;
    doc->Tally[1][1] = 10;
    doc->Tally[2][9] = 1;
    return doc;
}

// Tally of the two questions: slots 1, 2, 3 and 9 each.
QString tallyText(const SurveyDocument& doc) {
    QStringList parts;
    for (int q = 1; q <= 2; ++q)
        parts << u("%1 %2 %3 %4")
                     .arg(doc.Tally[q][1])
                     .arg(doc.Tally[q][2])
                     .arg(doc.Tally[q][3])
                     .arg(doc.Tally[q][9]);
    return parts.join(u(" | "));
}

const QStringList Header{u("Lunch survey,,　2026/12/07"), QString(),
                         u("  ,\"質問内容            \",   1,   2,   3,  NG")};

} // namespace

class TestTallyFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void writesTheDocumentedSheet() {
        auto doc = lunchSurvey();
        doc->CurrentTallyFilePath = native(dir.filePath(u("add1.csv")));
        const auto tally = doc->Tally;
        csvRhozon(*doc, QStringLiteral("2026/12/07"));
        const QByteArray golden = readAll(testData("add1.csv"));
        QVERIFY(!golden.isEmpty());
        QCOMPARE(readAll(dir.filePath(u("add1.csv"))), golden);
        QVERIFY(doc->Tally == tally);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QVERIFY(!doc->Modified);
    }

    void sheetEdges() {
        SurveyDocument doc;
        doc.SurveyTitle = "T";
        doc.CurrentTallyFilePath = "/x/s.csv";
        const std::string empty = additionSheetContents(doc, u("d"));
        QVERIFY(QByteArray::fromStdString(empty).endsWith(
            ",   1,  NG\r\n\r\ns.csv by VEV v1.11  (C) VEV developers\r\n"));
        doc.QuestionCount = 1;
        doc.QuestionText[1] = "a";
        const std::string blank = additionSheetContents(doc, u("d"));
        // A question without choices gets blank cells; a 1-byte text gives a 17-byte field.
        QVERIFY(QByteArray::fromStdString(blank).contains("\r\n 1,\"a" + QByteArray(16, ' ') +
                                                          "\",    ,   0\r\n"));
    }

    void csvRead_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("tally");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QList<int>>("changed");
        const QList<int> both{1, 2};
        QTest::newRow("results file") << QStringList() << u("22 7 0 1 | 3 3 3 1") << true << both;
        QTest::newRow("filled-in sheet")
            << (Header + QStringList{u(" 1,\"Q-one               \",   2,   1,    ,   0"),
                                     u(" 2,\"Q-two               \",   0,   4,   1,   2"),
                                     QString(), u(" 3,x,9,9,9,9")})
            << u("12 1 0 0 | 0 4 1 3") << true << both;
        QTest::newRow("spreadsheet re-save without quotes or padding")
            << QStringList{u("Lunch survey,,2026/12/07"), u("x"), u("y"), u("1,Q-one,2,1,,3"),
                           u("2,Q-two,1,1,1,0")}
            << u("12 1 0 3 | 1 1 1 1") << true << both;
        QTest::newRow("count in a blank cell ignored")
            << (Header + QStringList{u(" 1,q,1,1,5,0"), u(" 2,q,0,0,0,0")})
            << u("11 1 0 0 | 0 0 0 1") << true << both;
        QTest::newRow("fewer choice columns")
            << (Header + QStringList{u(" 1,q,   1,   2,   4"), u(" 2,q,   1,   2,   5")})
            << u("11 2 0 4 | 1 2 0 6") << true << both;
        QTest::newRow("more choice columns lose NG")
            << (Header + QStringList{u(" 1,q,1,2,3,4,5"), u(" 2,q,1,2,3,4,5")})
            << u("11 2 0 0 | 1 2 3 1") << true << both;
        QTest::newRow("fewer question lines") << (Header + QStringList{u(" 1,q,1,1,,1")})
                                              << u("11 1 0 1 | 0 0 0 1") << true << QList<int>{1};
        QTest::newRow("signs, odd cells and an untrimmed NG")
            << (Header + QStringList{u(" 1,q, -2 ,+3,,1 "), u(" 2,q,1x,  ,7,  6")})
            << u("8 3 0 0 | 0 0 7 7") << true << both;
        QTest::newRow("32-bit limits; beyond them a cell counts 0")
            << (Header + QStringList{u(" 1,q,-2147483648,2147483647,,-2147483649"),
                                     u(" 2,q,2147483648,0,0,-2147483648")})
            << u("-2147483638 2147483647 0 0 | 0 0 0 -2147483647") << true << both;
        QTest::newRow("comma in a quoted text shifts the cells")
            << (Header + QStringList{u(" 1,\"a,b\",1,2,,3"), u(" 2,q,0,0,0,0")})
            << u("10 1 0 0 | 0 0 0 1") << true << both;
        QTest::newRow("title trimmed in the file")
            << QStringList{u("  Lunch survey  ,x"), QString(), QString(), u(" 1,q,1,0,,0")}
            << u("11 0 0 0 | 0 0 0 1") << true << QList<int>{1};
        QTest::newRow("other title")
            << QStringList{u("Lunch,,"), QString(), QString(), u(" 1,q,1,0,,0")}
            << u("10 0 0 0 | 0 0 0 1") << false << QList<int>();
        QTest::newRow("title compared case-sensitively")
            << QStringList{u("lunch survey,,"), QString(), QString(), u(" 1,q,1,0,,0")}
            << u("10 0 0 0 | 0 0 0 1") << false << QList<int>();
    }
    void csvRead() {
        QFETCH(QStringList, lines);
        QFETCH(QString, tally);
        QFETCH(bool, linked);
        QFETCH(QList<int>, changed);
        auto doc = lunchSurvey();
        QString file = testData("link_lunch.csv");
        if (!lines.isEmpty()) {
            file = dir.filePath(u("read.csv"));
            QVERIFY(writeLines(file, lines));
        }
        doc->CurrentTallyFilePath = native(file);
        RecordedEvents events;
        vev::csvRead(*doc, events);
        QCOMPARE(tallyText(*doc), tally);
        QCOMPARE(doc->LastOperationSucceeded, linked);
        QCOMPARE(doc->LinkedTallyFileCount, linked ? 1 : 0);
        if (linked) QCOMPARE(doc->LinkedTallyFile[1], native(file));
        QCOMPARE(events.changed, changed);
        QCOMPARE(events.beeps, linked ? 0 : 1);
        QCOMPARE(events.notices,
                 linked ? QStringList()
                        : QStringList{u("アンケートタイトルが違うので追加できません。\rread.csv")});
        QVERIFY(!doc->Modified);
    }

    void csvDelTakesOutWhatTheFileHolds() {
        auto doc = lunchSurvey();
        const auto before = doc->Tally;
        const QString file = dir.filePath(u("del.csv"));
        QVERIFY(writeLines(file, Header + QStringList{u(" 1,q,3,4,9,2"), u(" 2,q,1,1,1,1")}));
        doc->CurrentTallyFilePath = native(file);
        RecordedEvents events;
        vev::csvRead(*doc, events);
        QCOMPARE(tallyText(*doc), u("13 4 0 2 | 1 1 1 2"));
        vev::csvDel(*doc, events);
        QVERIFY(doc->Tally == before);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QVERIFY(doc->Modified);
        QCOMPARE(events.changed, (QList<int>{1, 2, 1, 2}));

        // The file changed after linking: removal takes out what it holds now.
        QVERIFY(writeLines(file, Header + QStringList{u(" 1,q,1,0,0,0")}));
        vev::csvDel(*doc, events);
        QCOMPARE(tallyText(*doc), u("9 0 0 0 | 0 0 0 1"));
        QCOMPARE(doc->LinkedTallyFileCount, 0);
    }

    // Unlinking the middle of three links closes the list up; a path not linked changes nothing.
    void unlinkClosesTheListUp() {
        auto doc = lunchSurvey();
        RecordedEvents events;
        QStringList linked;
        for (const char* name : {"ua.csv", "ub.csv", "uc.csv"}) {
            const QString file = dir.filePath(QLatin1String(name));
            QVERIFY(writeLines(file, Header + QStringList{u(" 1,q,1,0,0,0")}));
            doc->CurrentTallyFilePath = native(file);
            vev::csvRead(*doc, events);
            linked << file;
        }
        QVERIFY(unlinkTallyFile(*doc, native(linked[1]), events));
        QCOMPARE(doc->LinkedTallyFileCount, 2);
        QCOMPARE(doc->LinkedTallyFile[1], native(linked[0]));
        QCOMPARE(doc->LinkedTallyFile[2], native(linked[2]));
        QVERIFY(doc->LinkedTallyFile[3].empty());
        QCOMPARE(tallyText(*doc), u("12 0 0 0 | 0 0 0 1")); // 10 + one from each file left
        const auto before = *doc;
        QVERIFY(!unlinkTallyFile(*doc, native(linked[1]), events));
        QVERIFY(doc->Tally == before.Tally && doc->LinkedTallyFileCount == 2);
    }

    void unreadableFileThrows() {
        auto doc = lunchSurvey();
        doc->CurrentTallyFilePath = native(dir.filePath(u("none.csv")));
        RecordedEvents events;
        QVERIFY_THROWS_EXCEPTION(VevError, vev::csvRead(*doc, events));
        QVERIFY_THROWS_EXCEPTION(VevError, vev::csvDel(*doc, events));
        QCOMPARE(doc->LinkedTallyFileCount, 0);
    }

    void noFortyFirstLink() {
        auto doc = lunchSurvey();
        doc->LinkedTallyFileCount = MaxLinkedTallyFiles;
        doc->CurrentTallyFilePath = native(testData("link_lunch.csv"));
        RecordedEvents events;
        vev::csvRead(*doc, events);
        QVERIFY(!doc->LastOperationSucceeded);
        QCOMPARE(doc->LinkedTallyFileCount, MaxLinkedTallyFiles);
        QCOMPARE(tallyText(*doc), u("10 0 0 0 | 0 0 0 1"));
        QCOMPARE(events.notices,
                 QStringList{u("追加できる集計ファイルは40個までです。\rlink_lunch.csv")});
    }

    void addRefusal_data() {
        QTest::addColumn<QString>("dataPath");
        QTest::addColumn<QString>("resultsPath");
        QTest::addColumn<int>("linkedCount");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("message");
        QTest::newRow("accepted") << u("/s/a.dat") << u("/s/a.csv") << 1 << u("/s/b.csv")
                                  << int(AddRefusal::None) << QString();
        QTest::newRow("already linked")
            << u("/s/a.dat") << u("/s/a.csv") << 1 << u("/s/l1.csv")
            << int(AddRefusal::AlreadyLinked) << u("既に、追加済みです。\rl1.csv");
        QTest::newRow("already linked comes first")
            << u("/s/a.dat") << u("/s/l1.csv") << 40 << u("/s/l1.csv")
            << int(AddRefusal::AlreadyLinked) << u("既に、追加済みです。\rl1.csv");
        QTest::newRow("own results file") << u("/s/a.dat") << u("/s/a.csv") << 0 << u("/s/a.csv")
                                          << int(AddRefusal::OwnResultsFile)
                                          << u("このアンケートの出力先となる集計結果ファイルを二重"
                                               "に追加することはできません。\ra.csv");
        // After the results were saved or opened under another name, the file that every save
        // writes beside the data file is still the survey's own.
        QTest::newRow("the data file's .csv sibling")
            << u("/s/a.dat") << u("/s/other.csv") << 0 << u("/s/a.csv")
            << int(AddRefusal::OwnResultsFile)
            << u("このアンケートの出力先となる集計結果ファイルを二重に追加することはできません。\ra"
                 ".csv");
        QTest::newRow("sibling of a data file without extension")
            << u("/s/plain") << u("/s/other.csv") << 0 << u("/s/plain.csv")
            << int(AddRefusal::OwnResultsFile)
            << u("このアンケートの出力先となる集計結果ファイルを二重に追加することはできません。\rp"
                 "lain.csv");
        QTest::newRow("names with the second byte 0x5C")
            << u("/s/集計表.dat") << u("/s/集計表.csv") << 0 << u("/s/表.csv")
            << int(AddRefusal::None) << QString();
        QTest::newRow("other folder")
            << u("/s/a.dat") << u("/s/a.csv") << 0 << u("/t/b.csv") << int(AddRefusal::OtherFolder)
            << u("アンケートと異なるパスにある集計結果ファイルを追加することはできません。\r/t/"
                 "b.csv");
        QTest::newRow("never-saved survey")
            << QString() << u(".csv") << 0 << u("/s/b.csv") << int(AddRefusal::OtherFolder)
            << u("アンケートと異なるパスにある集計結果ファイルを追加することはできません。\r/s/"
                 "b.csv");
        QTest::newRow("forty linked")
            << u("/s/a.dat") << u("/s/a.csv") << 40 << u("/s/b.csv") << int(AddRefusal::TooMany)
            << u("追加できる集計ファイルは40個までです。\rb.csv");
        QTest::newRow("case differs is another file")
            << u("/s/a.dat") << u("/s/a.csv") << 1 << u("/s/L1.csv") << int(AddRefusal::None)
            << QString();
    }
    void addRefusal() {
        QFETCH(QString, dataPath);
        QFETCH(QString, resultsPath);
        QFETCH(int, linkedCount);
        QFETCH(QString, path);
        QFETCH(int, refusal);
        QFETCH(QString, message);
        auto doc = lunchSurvey();
        doc->DataFilePath = native(dataPath);
        doc->ResultsFilePath = native(resultsPath);
        doc->LinkedTallyFileCount = linkedCount;
        for (int i = 1; i <= linkedCount; ++i)
            doc->LinkedTallyFile[i] = native(u("/s/l%1.csv").arg(i));
        const AddRefusal found = vev::addRefusal(*doc, native(path));
        QCOMPARE(int(found), refusal);
        QCOMPARE(addRefusalMessage(found, native(path)), message);
    }

    void relinkResolvesAgainstTheCurrentFolder() {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        auto doc = lunchSurvey();
        doc->LinkedTallyFileCount = 2;
        relinkFromNames(*doc, {u("a.csv"), u("追加1.csv")});
        QDir::setCurrent(previous);
        QCOMPARE(doc->LinkedTallyFile[1], native(dir.filePath(u("a.csv"))));
        QCOMPARE(doc->LinkedTallyFile[2], native(dir.filePath(u("追加1.csv"))));
    }
};

QTEST_GUILESS_MAIN(TestTallyFile)
#include "tst_tally_file.moc"
