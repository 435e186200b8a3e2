#include "core_test_util.h"
#include "linked/tally_file.h"
#include "model/data_file.h"
#include "model/recording.h"
#include "model/sjis.h"
#include "model/text_file.h"
#include "model/vev_error.h"
#include "results/results_file.h"
#include "survey_fixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace vev;

using namespace vev::test;

namespace {

// The survey of the documented example (満足度調査, two respondents).
std::unique_ptr<SurveyDocument> exampleSurvey(const QString& dataPath) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->SurveyTitle = sjis::fromUtf8("満足度調査");
    doc->QuestionCount = 3;
    const char* texts[] = {"性別", "年代", "よく使う機能"};
    const int choices[] = {2, 6, 5};
    for (int q = 1; q <= 3; ++q) {
        doc->QuestionText[q] = sjis::fromUtf8(texts[q - 1]);
        doc->ChoiceCount[q] = choices[q - 1];
    }
    doc->MultiSelect[3] = true;
    const char* answers[2][3] = {{"1", "3", "531"}, {"2", "9", "0"}};
    for (int r = 1; r <= 2; ++r)
        for (int q = 1; q <= 3; ++q) record(*doc, r, q, answers[r - 1][q - 1]);
    doc->DataFilePath = native(dataPath);
    return doc;
}

// A compact picture of what a load produced.
QString summary(const SurveyDocument& d) {
    QStringList questions;
    for (int q = 1; q <= d.QuestionCount; ++q)
        questions << sjis::toQString(d.QuestionText[q]) + QLatin1Char('/') +
                         QString::number(d.ChoiceCount[q]) +
                         (d.MultiSelect[q] ? u("m") : QString());
    QStringList rows;
    for (int r = 1; r <= d.RespondentCount; ++r) {
        QStringList cells;
        for (int q = 1; q <= d.QuestionCount; ++q)
            cells << QString::fromLatin1(d.Answers[r][q].view().data(),
                                         static_cast<qsizetype>(d.Answers[r][q].size()));
        rows << cells.join(QLatin1Char(','));
    }
    return u("%1 | %2 | r%3 cur%4 cq%5 W%6 F%7 M%8")
        .arg(questions.join(QLatin1Char(' ')), rows.join(QLatin1Char(';')))
        .arg(d.RespondentCount)
        .arg(d.CurrentRespondent)
        .arg(d.CurrentQuestion)
        .arg(int(d.WWrite))
        .arg(int(d.Frac1))
        .arg(int(d.Modified));
}

QStringList fortyQuestions() {
    QStringList lines;
    for (int q = 1; q <= 40; ++q)
        lines << QString::number(q).rightJustified(2) + u(" ,Q") + QString::number(q) + u(",2");
    return lines;
}

const QString Date = QStringLiteral("2026/12/07");

} // namespace

class TestDataFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    std::unique_ptr<SurveyDocument> load(const QString& file, RecordedEvents& events) {
        auto doc = std::make_unique<SurveyDocument>();
        doc->OpenRequestPath = native(file);
        Loaddatafile(*doc, events);
        return doc;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void writesTheDocumentedExample() {
        auto doc = exampleSurvey(path(u("sample.dat")));
        const QByteArray golden = readAll(testData("sample.dat"));
        QVERIFY(!golden.isEmpty());
        QCOMPARE(QByteArray::fromStdString(dataFileContents(*doc, Date)), golden);

        doc->Modified = true;
        hozon(*doc, Date);
        QCOMPARE(readAll(path(u("sample.dat"))), golden);
        QVERIFY(!doc->Modified);
        QCOMPARE(doc->ResultsFilePath, native(path(u("sample.csv"))));
        QVERIFY(QFile::exists(path(u("sample.csv"))));
    }

    void loadsTheDocumentedExample() {
        RecordedEvents events;
        auto doc = load(testData("sample.dat"), events);
        QVERIFY(events.notices.isEmpty());
        QCOMPARE(summary(*doc),
                 u("性別/2 年代/6 よく使う機能/5m | 1,3,135;2,9,0 | r2 cur3 cq1 W1 F0 M0"));
        QCOMPARE(sjis::toQString(doc->SurveyTitle), u("満足度調査"));
        auto expected = exampleSurvey(QString());
        QVERIFY(doc->Tally == expected->Tally);
        QCOMPARE(doc->Answers[3][3].view(), std::string_view("0"));
        QVERIFY(
            QDir::isAbsolutePath(QFile::decodeName(QByteArray::fromStdString(doc->DataFilePath))));
        QVERIFY(doc->ResultsFilePath.empty());
        // Written back it is the same file again.
        doc->VersionString = VevVersion;
        QCOMPARE(QByteArray::fromStdString(dataFileContents(*doc, Date)),
                 readAll(testData("sample.dat")));
    }

    void tolerance_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected");
        const QStringList trailer{u("百分率：整数"), u("集計結果：同時保存"), QString(),
                                  u("t.dat  d")};
        QTest::newRow("ANK alone on line 1")
            << (QStringList{u("ANK"), u("T"), u("質問数 ,1"), u(" 1 ,Q,2"), u("  1  ,1")} + trailer)
            << u("Q/2 | 1 | r1 cur2 cq1 W1 F0 M0");
        QTest::newRow("count 99 gives 40")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,99")} + fortyQuestions() + trailer)
            << u("Q1/2 Q2/2 Q3/2 Q4/2 Q5/2 Q6/2 Q7/2 Q8/2 Q9/2 Q10/2 Q11/2 Q12/2 Q13/2 Q14/2 "
                 "Q15/2 Q16/2 Q17/2 Q18/2 Q19/2 Q20/2 Q21/2 Q22/2 Q23/2 Q24/2 Q25/2 Q26/2 Q27/2 "
                 "Q28/2 Q29/2 Q30/2 Q31/2 Q32/2 Q33/2 Q34/2 Q35/2 Q36/2 Q37/2 Q38/2 Q39/2 Q40/2 "
                 "|  | r0 cur1 cq1 W1 F0 M0");
        QTest::newRow("count -1 gives 40")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,-1")} + fortyQuestions() + trailer)
            << u("Q1/2 Q2/2 Q3/2 Q4/2 Q5/2 Q6/2 Q7/2 Q8/2 Q9/2 Q10/2 Q11/2 Q12/2 Q13/2 Q14/2 "
                 "Q15/2 Q16/2 Q17/2 Q18/2 Q19/2 Q20/2 Q21/2 Q22/2 Q23/2 Q24/2 Q25/2 Q26/2 Q27/2 "
                 "Q28/2 Q29/2 Q30/2 Q31/2 Q32/2 Q33/2 Q34/2 Q35/2 Q36/2 Q37/2 Q38/2 Q39/2 Q40/2 "
                 "|  | r0 cur1 cq1 W1 F0 M0");
        QTest::newRow("count line without comma")
            << (QStringList{u("VEV"), u("T"), u("質問数  2 "), u(" 1 ,A,2"), u(" 2 ,B,3")} +
                trailer)
            << u("A/2 B/3 |  | r0 cur1 cq1 W1 F0 M0");
        QTest::newRow("question lines without commas")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,2"), u(" 1  Q-one　2　（複数選択）"),
                            u(" 2 ,Q-two") + QString(13, QLatin1Char(' ')) + u("3")} +
                trailer)
            << u("Q-one/2m Q-two/3 |  | r0 cur1 cq1 W1 F0 M0");
        QTest::newRow("multi-select word needs two choices")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,N,1　（複数選択）")} + trailer)
            << u("N/1 |  | r0 cur1 cq1 W1 F0 M0");
        QTest::newRow("fewer fields than questions")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,3"), u(" 1 ,A,2"), u(" 2 ,B,2"),
                            u(" 3 ,C,2"), u("  1  ,1,2,1"), u("  2  ,2")} +
                trailer)
            << u("A/2 B/2 C/2 | 1,2,1;2,0,0 | r2 cur2 cq2 W1 F0 M0");
        QTest::newRow("fields without commas are 8 bytes wide")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,2"), u(" 1 ,A,8　（複数選択）"),
                            u(" 2 ,B,2"), u("  1  ,12345678")} +
                trailer)
            << u("A/8m B/2 | 12345678,0 | r1 cur1 cq2 W1 F0 M0");
        QTest::newRow("padded multi-select NG reads back as 9")
            << (QStringList{u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,5　（複数選択）"),
                            u("  1  ,9    ")} +
                trailer)
            << u("A/5m | 9 | r1 cur2 cq1 W1 F0 M0");
        QTest::newRow("trailer in any order, other lines skipped")
            << QStringList{u("VEV"),       u("T"),
                           u("質問数 ,1"), u(" 1 ,A,2"),
                           u("  1  ,1"),   u("集計結果：別に保存"),
                           u("something"), u("百分率：小数"),
                           QString(),      u("t.dat  d")}
            << u("A/2 | 1 | r1 cur2 cq1 W0 F1 M0");
        QTest::newRow("file ends after the options line") << QStringList{u("VEV"),
                                                                         u("T"),
                                                                         u("質問数 ,1"),
                                                                         u(" 1 ,A,2"),
                                                                         u("  1  ,1"),
                                                                         u("百分率：小数"),
                                                                         u("集計結果：別に保存")}
                                                          << u("A/2 | 1 | r1 cur2 cq1 W1 F1 M0");
        QTest::newRow("file ends with a respondent line")
            << QStringList{u("VEV"),     u("T"),       u("質問数 ,1"),
                           u(" 1 ,A,2"), u("  1  ,1"), u("  2  ,0")}
            << u("A/2 | 1 | r1 cur2 cq1 W1 F0 M0");
    }
    void tolerance() {
        QFETCH(QStringList, lines);
        QFETCH(QString, expected);
        QVERIFY(writeLines(path(u("t.dat")), lines));
        RecordedEvents events;
        auto doc = load(path(u("t.dat")), events);
        QCOMPARE(events.notices, QStringList());
        QCOMPARE(summary(*doc), expected);
    }

    // The respondent-based percentage option travels in its own trailer line, written only
    // when on; with it off the file is the documented one (writesTheDocumentedExample).
    void respondentBaseRoundTrip() {
        auto doc = exampleSurvey(path(u("sample.dat")));
        doc->RBase1 = true;
        const QByteArray golden = readAll(testData("sample_rbase.dat"));
        QVERIFY(!golden.isEmpty());
        QCOMPARE(QByteArray::fromStdString(dataFileContents(*doc, Date)), golden);

        QVERIFY(writeFile(path(u("rbase.dat")), golden));
        RecordedEvents events;
        auto loaded = load(path(u("rbase.dat")), events);
        QVERIFY(events.notices.isEmpty());
        QVERIFY(loaded->RBase1);
        QCOMPARE(summary(*loaded),
                 u("性別/2 年代/6 よく使う機能/5m | 1,3,135;2,9,0 | r2 cur3 cq1 W1 F0 M0"));
        loaded->VersionString = VevVersion;
        loaded->DataFilePath = native(path(u("sample.dat")));
        QCOMPARE(QByteArray::fromStdString(dataFileContents(*loaded, Date)), golden);
    }

    // Where the line counts and where it is only another line of the trailer. The option does
    // not outlive a load: a file without the line turns it off.
    void respondentBaseLine_data() {
        QTest::addColumn<QStringList>("trailer");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("expected");
        const QStringList end{QString(), u("t.dat  d")};
        QTest::newRow("absent") << (QStringList{u("百分率：整数"), u("集計結果：同時保存")} + end)
                                << false << u("A/3m | 13 | r1 cur2 cq1 W1 F0 M0");
        QTest::newRow("after the options")
            << (QStringList{u("百分率：整数"), u("集計結果：同時保存"), u("割合基数：回答者")} +
                end)
            << true << u("A/3m | 13 | r1 cur2 cq1 W1 F0 M0");
        QTest::newRow("among the options, which still count")
            << (QStringList{u("百分率：小数"), u("割合基数：回答者"), u("集計結果：別に保存")} +
                end)
            << true << u("A/3m | 13 | r1 cur2 cq1 W0 F1 M0");
        QTest::newRow("another word is skipped")
            << (QStringList{u("百分率：整数"), u("集計結果：同時保存"), u("割合基数：回答数")} +
                end)
            << false << u("A/3m | 13 | r1 cur2 cq1 W1 F0 M0");
        QTest::newRow("the last line is never acted on")
            << QStringList{u("百分率：整数"), u("集計結果：同時保存"), u("割合基数：回答者")}
            << false << u("A/3m | 13 | r1 cur2 cq1 W1 F0 M0");
    }
    void respondentBaseLine() {
        QFETCH(QStringList, trailer);
        QFETCH(bool, on);
        QFETCH(QString, expected);
        QVERIFY(
            writeLines(path(u("t.dat")), QStringList{u("VEV"), u("T"), u("質問数 ,1"),
                                                     u(" 1 ,A,3　（複数選択）"), u("  1  ,13 ")} +
                                             trailer));
        RecordedEvents events;
        auto doc = std::make_unique<SurveyDocument>();
        doc->RBase1 = true; // left on by the survey shown before
        doc->OpenRequestPath = native(path(u("t.dat")));
        QCOMPARE(Loaddatafile(*doc, events), LoadOutcome::Loaded);
        QCOMPARE(events.notices, QStringList());
        QCOMPARE(doc->RBase1, on);
        QCOMPARE(summary(*doc), expected);
    }

    // A refused or failed load leaves the survey in memory exactly as it was.
    void failures_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("error");
        QTest::newRow("not a survey file")
            << QStringList{u("Hello"), u("T"), u("質問数 ,1")}
            << u("f.datはアンケートファイルではありません。") << QString();
        QTest::newRow("count not a number")
            << QStringList{u("VEV"), u("T"), u("質問数 ,x1"), u(" 1 ,A,2")}
            << u("f.datが異常です。") << QString();
        QTest::newRow("count zero")
            << QStringList{u("VEV"), u("T"), u("質問数 ,0")} << u("f.datが異常です。") << QString();
        QTest::newRow("no count line")
            << QStringList{u("VEV")} << u("f.datが異常です。") << QString();
        QStringList many{u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,2")};
        for (int r = 1; r <= 1000; ++r) many << u("%1  ,1").arg(r, 3);
        QTest::newRow("1000 respondent lines") << many << u("f.datが異常です。") << QString();
        QTest::newRow("choice count not a digit")
            << QStringList{u("VEV"), u("T"), u("質問数 ,2"), u(" 1 ,A,2"), u(" 2 ,B,x")}
            << QString() << u("'x' is not a valid integer value");
        QTest::newRow("comma inside a question text")
            << QStringList{u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,a,b                ,2")}
            << QString() << u("'b' is not a valid integer value");
        QTest::newRow("question lines missing")
            << QStringList{u("VEV"), u("T"), u("質問数 ,2"), u(" 1 ,A,2")} << QString()
            << u("'' is not a valid integer value");
        QTest::newRow("letter for a numeric question")
            << QStringList{u("VEV"),     u("T"),       u("質問数 ,2"),
                           u(" 1 ,A,2"), u(" 2 ,N,1"), u("  1  ,1,a")}
            << QString() << u("'a' is not a valid integer value");
    }
    void failures() {
        QFETCH(QStringList, lines);
        QFETCH(QString, notice);
        QFETCH(QString, error);
        QVERIFY(writeLines(path(u("f.dat")), lines));
        RecordedEvents events;
        auto doc = load(testData("sample.dat"), events);
        doc->Modified = true;
        const std::string before = dataFileContents(*doc, Date);
        const auto tally = doc->Tally;
        const int current = doc->CurrentRespondent;
        doc->OpenRequestPath = native(path(u("f.dat")));
        auto outcome = LoadOutcome::Refused;
        QCOMPARE(vevErrorOf([&] { outcome = Loaddatafile(*doc, events); }), error);
        QCOMPARE(outcome, LoadOutcome::Refused);
        QCOMPARE(events.notices, notice.isEmpty() ? QStringList() : QStringList{notice});
        QCOMPARE(dataFileContents(*doc, Date), before);
        QVERIFY(doc->Tally == tally);
        QCOMPARE(doc->CurrentRespondent, current);
        QVERIFY(doc->Modified);
    }

    // A file that cannot be read says why; a folder in its place is refused access.
    void unreadableFileThrows_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << u("none.dat") << u("File not found");
        QTest::newRow("a folder") << u("folder.dat") << u("File access denied");
    }
    void unreadableFileThrows() {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QVERIFY(QDir(path(QString())).mkpath(u("folder.dat")));
        RecordedEvents events;
        SurveyDocument doc;
        doc.OpenRequestPath = native(path(name));
        QCOMPARE(vevErrorOf([&] { Loaddatafile(doc, events); }), error);
        QVERIFY(doc.DataFilePath.empty());
    }

    void linkedFileRoundTrip() {
        QTemporaryDir folder;
        const QString dataPath = folder.filePath(u("満足度.dat"));
        const QString tallyPath = folder.filePath(u("追加1.csv"));
        QVERIFY(
            writeLines(tallyPath, {u("満足度調査,,　2026/12/07"), QString(), u("header"),
                                   u(" 1,\"性別\",   4,   5,   1"), u(" 2,\"年代\",1,,,,,2,3")}));
        auto doc = exampleSurvey(dataPath);
        RecordedEvents events;
        doc->CurrentTallyFilePath = native(tallyPath);
        csvRead(*doc, events);
        QVERIFY(doc->LastOperationSucceeded);
        doc->WWrite = false;
        hozon(*doc, Date);
        QVERIFY(readAll(dataPath).contains(sj("追加用集計ファイル,追加1.csv\r\n")));

        auto loaded = load(dataPath, events);
        QCOMPARE(events.notices, QStringList());
        QCOMPARE(loaded->LinkedTallyFileCount, 1);
        QCOMPARE(loaded->LinkedTallyFile[1], native(tallyPath));
        QCOMPARE(loaded->DataFilePath, native(dataPath));
        QVERIFY(loaded->Tally == doc->Tally);
        QCOMPARE(loaded->Tally[1][1], 5);
        QCOMPARE(loaded->Tally[2][6], 2);
        QCOMPARE(loaded->Tally[2][9], 4);
        QVERIFY(!loaded->Modified);
        QVERIFY(!loaded->WWrite);
    }

    // Every line of a large file, to its end, as the file holds it.
    void readerReadsToTheEnd() {
        QTemporaryDir folder;
        const QString path = folder.filePath(u("large.csv"));
        QStringList lines;
        for (int i = 0; i < 20000; ++i) lines << u("%1,line").arg(i);
        QVERIFY(writeLines(path, lines));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        QVERIFY(whole.size() > 8192);
        TextFileReader reader(native(path));
        QByteArray read;
        while (!reader.atEnd()) {
            const std::string_view line = reader.readLine();
            read.append(line.data(), static_cast<qsizetype>(line.size())).append('\n');
        }
        QCOMPARE(read, QByteArray(whole).replace("\r\n", "\n"));
    }

    void linkedFileProblems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("beeps");
        QTest::newRow("missing") << u("なし.csv") << u("集計ファイル%1/なし.csvが見つかりません。")
                                 << 0;
        QTest::newRow("name with a folder")
            << u("sub/other.csv") << u("集計ファイル%1/sub/other.csvが見つかりません。") << 0;
        QTest::newRow("a folder of that name")
            << u("sub") << u("集計ファイル%1/subが見つかりません。") << 0;
        // Opened without waiting for a writer that never comes.
        QTest::newRow("a pipe of that name")
            << u("pipe.csv") << u("集計ファイル%1/pipe.csvが見つかりません。") << 0;
        QTest::newRow("other title")
            << u("other.csv") << u("アンケートタイトルが違うので追加できません。\rother.csv") << 1;
    }
    void linkedFileProblems() {
        QFETCH(QString, name);
        QFETCH(QString, notice);
        QFETCH(int, beeps);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(u("sub")));
        QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(u("pipe.csv"))).constData(), 0600), 0);
        QVERIFY(writeLines(folder.filePath(u("other.csv")),
                           {u("Other,,"), QString(), QString(), u(" 1,a,1,1,0")}));
        QVERIFY(writeLines(folder.filePath(u("sub/other.csv")),
                           {u("T"), QString(), QString(), u(" 1,a,1,1,0")}));
        QVERIFY(
            writeLines(folder.filePath(u("l.dat")), {u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,2"),
                                                     u("  1  ,1"), u("追加用集計ファイル,") + name,
                                                     u("百分率：小数"), QString(), u("l.dat  d")}));
        RecordedEvents events;
        auto doc = load(folder.filePath(u("l.dat")), events);
        QCOMPARE(events.notices,
                 QStringList{notice.contains(u("%1")) ? notice.arg(folder.path()) : notice});
        QCOMPARE(events.beeps, beeps);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->Tally[1][1], 1);
        QVERIFY(doc->Modified);
        QVERIFY(doc->Frac1);
    }

    // 表, ソ and 能 end in the byte 0x5C, the code of '\': such a name is still a plain name.
    void linkedNamesWithSecondByte5C() {
        QTemporaryDir folder;
        const QStringList names{u("表.csv"), u("ソフト.csv"), u("能力.csv"), u("集計表.csv")};
        QStringList lines{u("VEV v1.11  (C) VEV developers"), u("T"), u("質問数 ,1"),
                          u(" 1 ,A") + QString(16, QLatin1Char(' ')) + u(",2"), u("  1  ,1")};
        for (const QString& name : names) {
            QVERIFY(
                writeLines(folder.filePath(name), {u("T"), QString(), QString(), u(" 1,a,1,2,3")}));
            lines << u("追加用集計ファイル,") + name;
        }
        lines << u("百分率：整数") << u("集計結果：別に保存") << QString() << u("l.dat  ") + Date;
        QVERIFY(writeLines(folder.filePath(u("l.dat")), lines));

        RecordedEvents events;
        auto doc = load(folder.filePath(u("l.dat")), events);
        QCOMPARE(events.notices, QStringList());
        QCOMPARE(doc->LinkedTallyFileCount, 4);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(doc->LinkedTallyFile[i], native(folder.filePath(names[i - 1])));
        QCOMPARE(doc->Tally[1][1], 1 + 4);
        QCOMPARE(doc->Tally[1][2], 4 * 2);
        QCOMPARE(doc->Tally[1][9], 4 * 3);
        QVERIFY(!doc->Modified);

        // Saved again, the file is the same to the last byte.
        const QByteArray before = readAll(folder.filePath(u("l.dat")));
        doc->VersionString = VevVersion;
        hozon(*doc, Date);
        QCOMPARE(readAll(folder.filePath(u("l.dat"))), before);
    }

    // The survey's own results file (the data file's name with ".csv") is never linked from the
    // trailer: its counts are already the survey's. The other links stay.
    void ownResultsFileInTheTrailer_data() {
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QString>("resultsName");
        QTest::newRow("extension replaced") << u("own.dat") << u("own.csv");
        QTest::newRow("no extension") << u("own") << u("own.csv");
    }
    void ownResultsFileInTheTrailer() {
        QFETCH(QString, dataName);
        QFETCH(QString, resultsName);
        QTemporaryDir folder;
        for (const QString& name : {resultsName, u("a.csv")})
            QVERIFY(
                writeLines(folder.filePath(name), {u("T"), QString(), QString(), u(" 1,a,1,0,0")}));
        QVERIFY(writeLines(folder.filePath(dataName),
                           {u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,2"), u("  1  ,1"),
                            u("追加用集計ファイル,") + resultsName, u("追加用集計ファイル,a.csv"),
                            u("百分率：小数"), QString(), u("x")}));
        RecordedEvents events;
        auto doc = load(folder.filePath(dataName), events);
        QCOMPARE(events.notices,
                 QStringList{u("このアンケートの出力先となる集計結果ファイルを二重に追加することは"
                               "できません。\r") +
                             resultsName});
        QCOMPARE(events.beeps, 1);
        QCOMPARE(doc->LinkedTallyFileCount, 1);
        QCOMPARE(doc->LinkedTallyFile[1], native(folder.filePath(u("a.csv"))));
        QCOMPARE(doc->Tally[1][1], 2);
        QVERIFY(doc->Modified); // the next save leaves the line out
        QVERIFY(doc->Frac1);
        doc->VersionString = VevVersion;
        const QByteArray saved = QByteArray::fromStdString(dataFileContents(*doc, Date));
        QVERIFY(!saved.contains(sj("追加用集計ファイル,") + sj(resultsName.toUtf8().constData())));
        QVERIFY(saved.contains(sj("追加用集計ファイル,a.csv\r\n")));
    }

    // The loader cuts at character boundaries: half a character is never stored.
    void loaderCuts_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("choices");
        QTest::newRow("exactly 20 bytes, the last a lone first byte")
            << QByteArray(" 1 ,abcdefghijklmnopqrs\x88,2") << QByteArray("abcdefghijklmnopqrs")
            << 2;
        QTest::newRow("byte 20 starts a character") << " 1 ,abcdefghijklmnopqrs" + sj("表") + ",3"
                                                    << QByteArray("abcdefghijklmnopqrs") << 3;
        QTest::newRow("shorter text ending in a lone first byte")
            << QByteArray(" 1 ,abc\x88 ,4") << QByteArray("abc") << 4;
        QTest::newRow("no separator: byte 17 starts a character")
            << " 1  abcdefghijklmnop" + sj("表") + "5" << QByteArray("abcdefghijklmnop") << 5;
        QTest::newRow("no comma: a character in the number's 4 bytes goes with them")
            << " 1 " + sj("表") + "abcdefghijklmnopq 6" << QByteArray("abcdefghijklmnopq") << 6;
        QTest::newRow("no separator, 17 whole bytes")
            << QByteArray(" 1  abcdefghijklmnopq 6") << QByteArray("abcdefghijklmnopq") << 6;
        QTest::newRow("full-width space only as a whole character")
            << " 1 ," + sj("メ@x　7") << sj("メ@x") << 7;
    }
    void loaderCuts() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, text);
        QFETCH(int, choices);
        const QByteArray title = QByteArray(254, 't') + sj("表");
        QVERIFY(writeFile(path(u("cut.dat")),
                          "VEV\r\n" + title + "\r\n" + sj("質問数 ,1") + "\r\n" + line + "\r\n"));
        RecordedEvents events;
        auto doc = load(path(u("cut.dat")), events);
        QCOMPARE(bytes(doc->SurveyTitle), QByteArray(254, 't'));
        QCOMPARE(bytes(doc->QuestionText[1]), text);
        QCOMPARE(doc->ChoiceCount[1], choices);
    }

    // A text cut to 19 bytes reaches every file the survey writes as 19 bytes and padding.
    void cutTextInEveryFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray text("abcdefghijklmnopqrs");
        QTest::newRow("data file") << u("data") << "\r\n 1 ," + text + " ,2\r\n";
        QTest::newRow("results file") << u("results") << "\r\n 1,\"" + text + " \",   1,   0,";
        QTest::newRow("print file") << u("print") << "\r\n 1  " + text + "      1    0";
        QTest::newRow("addition sheet") << u("sheet") << "\r\n 1,\"" + text + " \",   0,   0,";
    }
    void cutTextInEveryFile() {
        QFETCH(QString, file);
        QFETCH(QByteArray, expected);
        QVERIFY(
            writeFile(path(u("c19.dat")), "VEV\r\nT\r\n" + sj("質問数 ,1") +
                                              "\r\n 1 ,abcdefghijklmnopqrs\x88,2\r\n  1  ,1\r\n"));
        RecordedEvents events;
        auto doc = load(path(u("c19.dat")), events);
        doc->VersionString = VevVersion;
        doc->CurrentTallyFilePath = native(path(u("sheet.csv")));
        doc->ResultsSeparator = file == u("print") ? ' ' : ',';
        doc->ResultsQuote = file == u("print") ? ' ' : '"';
        const std::string written = file == u("data")    ? dataFileContents(*doc, Date)
                                    : file == u("sheet") ? additionSheetContents(*doc, Date)
                                                         : resultsFileContents(*doc, Date);
        QVERIFY2(bytes(written).contains(expected), written.c_str());
        QVERIFY(!bytes(written).contains('\x88'));
    }

    void readerStopsAtFortyLinks() {
        QTemporaryDir folder;
        QStringList lines{u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,2"), u("  1  ,1")};
        for (int i = 1; i <= 41; ++i) {
            QVERIFY(writeLines(folder.filePath(u("a%1.csv").arg(i)),
                               {u("T"), QString(), QString(), u(" 1,a,1,0,0")}));
            lines << u("追加用集計ファイル,a%1.csv").arg(i);
        }
        // Texts are read past the 40th file, where nothing else is acted on.
        lines << u("百分率：小数") << u("集計結果：別に保存") << u("選択肢：1,2,後") << QString()
              << u("x");
        QVERIFY(writeLines(folder.filePath(u("m.dat")), lines));
        RecordedEvents events;
        auto doc = load(folder.filePath(u("m.dat")), events);
        QCOMPARE(events.notices, QStringList());
        QCOMPARE(doc->LinkedTallyFileCount, 40);
        QCOMPARE(sjis::toQString(doc->Texts.Choice[1][2]), u("後"));
        QCOMPARE(doc->Tally[1][1], 41);
        QVERIFY(!doc->Frac1);
        QVERIFY(doc->WWrite);

        // Written back, the trailer names the forty files.
        doc->VersionString = VevVersion;
        const QByteArray saved = QByteArray::fromStdString(dataFileContents(*doc, Date));
        QCOMPARE(saved.count(sj("追加用集計ファイル,")), 40);
    }

    // Texts written by hand into the trailer, and what the loader keeps of them: "q.c=text",
    // choice 0 the wording. Q1 has 2 choices, Q2 9 (texts stop at 8), Q3 none.
    void textLines_data() {
        QTest::addColumn<QStringList>("trailer");
        QTest::addColumn<QString>("expected");
        const QStringList options{u("百分率：整数"), u("集計結果：同時保存")};
        QTest::newRow("wording and choices after the options")
            << options + QStringList{u("質問文：1,あなたの性別は？"), u("選択肢：1,1,男性"),
                                     u("選択肢：1,2,女性")}
            << u("1.0=あなたの性別は？ 1.1=男性 1.2=女性");
        QTest::newRow("commas and the trail byte 0x5C in the text")
            << options + QStringList{u("選択肢：2,1,表,ソ,,能\\"), u("質問文：2, a,b ")}
            << u("2.0= a,b  2.1=表,ソ,,能\\");
        QTest::newRow("questions and choices that do not exist are skipped")
            << options + QStringList{u("質問文：4,x"),   u("質問文：0,x"),   u("選択肢：1,3,x"),
                                     u("選択肢：2,9,x"), u("選択肢：3,1,x"), u("選択肢：2,8,八"),
                                     u("質問文：3,数値")}
            << u("2.8=八 3.0=数値");
        QTest::newRow("bad numbers are skipped")
            << options + QStringList{u("質問文：x,a"),    u("質問文： 1,a"), u("質問文：1"),
                                     u("選択肢：1,a"),    u("選択肢：1,1"),  u("選択肢：-1,1,a"),
                                     u("選択肢：1,+1,a"), u("選択肢:1,1,a"), u("選択肢：1,01,一")}
            << u("1.1=一");
        // 1 + 20 two-byte characters: byte 40 starts a character, which goes.
        QTest::newRow("cut on a character boundary")
            << options + QStringList{u("選択肢：1,2,a") + QString(20, QChar(0x8868))}
            << u("1.2=a") + QString(19, QChar(0x8868));
    }

    void textLines() {
        QFETCH(QStringList, trailer);
        QFETCH(QString, expected);
        const QStringList head{u("VEV"),     u("T"),       u("質問数 ,3"), u(" 1 ,A,2"),
                               u(" 2 ,B,9"), u(" 3 ,C,0"), u("  1  ,1,1,")};
        QVERIFY(writeLines(path(u("texts.dat")), head + trailer + QStringList{QString(), u("x")}));
        RecordedEvents events;
        auto doc = load(path(u("texts.dat")), events);
        QCOMPARE(doc->RespondentCount, 1);
        QStringList texts;
        for (int q = 1; q <= MaxQuestions; ++q)
            for (int c = 0; c <= MaxTextChoices; ++c) {
                const std::string_view text =
                    c == 0 ? doc->Texts.Wording[q].view() : doc->Texts.Choice[q][c].view();
                if (!text.empty()) texts << u("%1.%2=").arg(q).arg(c) + sjis::toQString(text);
            }
        QCOMPARE(texts.join(QLatin1Char(' ')), expected);
    }

    // Saved after the option lines, question by question, and read back as they were.
    void textsRoundTrip() {
        auto doc = exampleSurvey(path(u("texts_rt.dat")));
        doc->Texts.Wording[3] = sjis::fromUtf8("よく使う機能は？");
        doc->Texts.Choice[1][2] = sjis::fromUtf8("女性");
        doc->Texts.Choice[3][5] = sjis::fromUtf8("表示,ソフト\\");
        doc->Texts.Choice[2][7] = "no such choice"; // above the 6 choices: not written
        hozon(*doc, Date);
        QVERIFY(
            readAll(path(u("texts_rt.dat")))
                .contains(sj("集計結果：同時保存\r\n選択肢：1,2,女性\r\n質問文：3,よく使う機能は？"
                             "\r\n選択肢：3,5,表示,ソフト\\\r\n\r\ntexts_rt.dat  ")));
        RecordedEvents events;
        doc->Texts.Choice[2][7].clear();
        QVERIFY(load(path(u("texts_rt.dat")), events)->Texts == doc->Texts);
    }

    void unreadableLinkedFileLeavesDocument() {
        if (geteuid() == 0) QSKIP("permissions do not bind the superuser");
        QTemporaryDir folder;
        const QString locked = folder.filePath(u("locked.csv"));
        QVERIFY(writeLines(locked, {u("T")}));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        QVERIFY(writeLines(folder.filePath(u("u.dat")),
                           {u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,2"),
                            u("追加用集計ファイル,locked.csv"), u("x"), u("y")}));
        RecordedEvents events;
        SurveyDocument doc;
        doc.OpenRequestPath = native(folder.filePath(u("u.dat")));
        QVERIFY_THROWS_EXCEPTION(VevError, Loaddatafile(doc, events));
        QVERIFY(!doc.questionnaireLoaded());
        QVERIFY(doc.DataFilePath.empty());
    }

    void completeLastOf999StaysOnTheGrid() {
        QStringList lines{u("VEV"), u("T"), u("質問数 ,1"), u(" 1 ,A,2")};
        for (int r = 1; r <= 999; ++r) lines << u("%1  ,2").arg(r, 3);
        QVERIFY(writeLines(path(u("full.dat")), lines));
        RecordedEvents events;
        auto doc = load(path(u("full.dat")), events);
        QCOMPARE(doc->RespondentCount, 999);
        QCOMPARE(doc->CurrentRespondent, 999);
        QCOMPARE(doc->Tally[1][2], 999);
    }

    void saveAndLoadKeepAnswers() {
        auto doc = std::make_unique<SurveyDocument>();
        doc->SurveyTitle = "Round";
        doc->QuestionCount = 4;
        doc->QuestionText[1] = "ab"; // a 2-byte text is written as an 18-byte field
        doc->QuestionText[2] = sjis::fromUtf8("あいうえおかきくけこさ");
        doc->QuestionText[3] = "m";
        doc->QuestionText[4] = "n";
        doc->ChoiceCount = {{2, 8, 3, 1}};
        doc->MultiSelect[2] = true;
        doc->MultiSelect[3] = true;
        record(*doc, 1, 1, "2");
        record(*doc, 1, 2, "87654321");
        record(*doc, 1, 3, "x"); // NG on a padded column
        record(*doc, 1, 4, "7");
        record(*doc, 2, 2, "3");
        record(*doc, 2, 3, "13");
        doc->Frac1 = true;
        doc->WWrite = false;
        doc->DataFilePath = native(path(u("round")));
        hozon(*doc, Date);
        const QByteArray saved = readAll(path(u("round")));
        QVERIFY(saved.contains(" 1 ,ab" + QByteArray(16, ' ') + ",2\r\n"));
        QVERIFY(saved.contains("  1  ,2,12345678,9  ,7\r\n"));
        QVERIFY(saved.contains("  2  ,,3       ,13 ,\r\n"));

        RecordedEvents events;
        auto loaded = load(path(u("round")), events);
        QCOMPARE(summary(*loaded), u("ab/2 あいうえおかきくけこ/8m m/3m n/1 | "
                                     "2,12345678,9,7;0,3,13,0 | r2 cur2 cq1 W0 F1 M0"));
        QVERIFY(loaded->Tally == doc->Tally);
    }

    void resultsFileBesideTheDataFile_data() {
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QString>("resultsName");
        QTest::newRow("extension replaced") << u("s.dat") << u("s.csv");
        QTest::newRow("no extension") << u("plain") << u("plain.csv");
        QTest::newRow("dot in the folder only") << u("d.x/plain") << u("d.x/plain.csv");
    }
    void resultsFileBesideTheDataFile() {
        QFETCH(QString, dataName);
        QFETCH(QString, resultsName);
        QDir(dir.path()).mkpath(u("d.x"));
        auto doc = exampleSurvey(path(dataName));
        hozon(*doc, Date);
        QCOMPARE(doc->ResultsFilePath, native(path(resultsName)));
        QCOMPARE(doc->ResultsSeparator, ',');
        QCOMPARE(doc->ResultsQuote, '"');
        QVERIFY(QFile::exists(path(resultsName)));
    }

    void savesInPlace_data() {
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("proposal");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("loaded or saved") << "/s/a.dat"
                                         << "" << true;
        QTest::newRow("no file") << ""
                                 << "" << false;
        QTest::newRow("Save As's proposal") << "/s/a.dat"
                                            << "/s/a.dat" << false;
        QTest::newRow("relative name") << "a.dat"
                                       << "" << false;
    }
    void savesInPlace() {
        QFETCH(QString, dataFile);
        QFETCH(QString, proposal);
        auto doc = std::make_unique<SurveyDocument>();
        doc->DataFilePath = dataFile.toStdString();
        QTEST(vev::savesInPlace(*doc, proposal.toStdString()), "inPlace");
    }

    void failedSaveKeepsModified() {
        auto doc = exampleSurvey(path(u("no/such/folder/s.dat")));
        doc->Modified = true;
        QVERIFY_THROWS_EXCEPTION(VevError, hozon(*doc, Date));
        QVERIFY(doc->Modified);
        QVERIFY(doc->ResultsFilePath.empty());
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_data_file.moc"
