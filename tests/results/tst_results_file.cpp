#include "results/percentages.h"
#include "results/results_file.h"

#include "core_test_util.h"
#include "model/sjis.h"
#include "model/vev_error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace vev;

using namespace vev::test;

namespace {

using Counts = QList<int>; // slots 1..9

const QString Date = QStringLiteral("2026/12/07");

QList<QByteArray> linesOf(const std::string& contents) {
    QList<QByteArray> lines = QByteArray::fromStdString(contents).split('\n');
    lines.removeLast(); // after the final CR LF
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r')) return {}; // every line must end in CR LF
        line.chop(1);
    }
    return lines;
}

// The lunch survey: 20 respondents, "Q-one" with 2 choices (12, 7, NG 1), "Q-two" with 3
// choices (3, 3, 3), saved as lunch.dat.
void fillLunch(SurveyDocument& doc, const std::string& folder) {
    doc.SurveyTitle = "Lunch survey";
    doc.VersionString = VevVersion;
    doc.DataFilePath = folder + "/lunch.dat";
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

// One question "Q" with the given choices and counts.
void fillOne(SurveyDocument& doc, int choices, const Counts& counts, int respondents) {
    doc.QuestionCount = 1;
    doc.QuestionText[1] = "Q";
    doc.ChoiceCount[1] = choices;
    doc.RespondentCount = respondents;
    for (int c = 1; c <= 9; ++c) doc.Tally[1][c] = counts[c - 1];
}

} // namespace

class TestResultsFile : public QObject {
    Q_OBJECT

private slots:
    void goldenFile_data() {
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<QString>("golden");
        QTest::newRow("whole per cent") << false << QStringLiteral("lunch.csv");
        QTest::newRow("tenths of a per cent") << true << QStringLiteral("lunch_frac.csv");
    }
    void goldenFile() {
        QFETCH(bool, tenths);
        QFETCH(QString, golden);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SurveyDocument doc;
        fillLunch(doc, dir.path().toStdString());
        doc.Frac1 = tenths;
        doc.ResultsFilePath = dir.filePath(QStringLiteral("lunch.csv")).toStdString();
        csvhozon(doc, Date);
        const QByteArray expected = readAll(QStringLiteral(VEV_TEST_DATA "/") + golden);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(readAll(dir.filePath(QStringLiteral("lunch.csv"))), expected);
        QCOMPARE(QByteArray::fromStdString(resultsFileContents(doc, Date)), expected);
        QCOMPARE(doc.PercentBase[1], 19);
        QCOMPARE(doc.PercentBase[2], 9);
    }

    void percentLine_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<int>("respondents");
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<int>("base");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray q = " 1,\"Q                   \",";
        // Exact halves go to the even neighbour; 23 of 40 and 59 of 200 need 64-bit precision.
        QTest::newRow("1 of 8 is 12")
            << 2 << Counts{1, 7, 0, 0, 0, 0, 0, 0, 0} << 8 << false << 8 << q + "  12,  88,   100";
        QTest::newRow("3 of 8 is 38")
            << 2 << Counts{3, 5, 0, 0, 0, 0, 0, 0, 0} << 8 << false << 8 << q + "  38,  62,   100";
        QTest::newRow("23 of 40 is 58") << 2 << Counts{23, 17, 0, 0, 0, 0, 0, 0, 0} << 40 << false
                                        << 40 << q + "  58,  42,   100";
        QTest::newRow("59 of 200 is 29") << 2 << Counts{59, 141, 0, 0, 0, 0, 0, 0, 0} << 200
                                         << false << 200 << q + "  29,  70,    99";
        QTest::newRow("NG is not in the base of a choice question")
            << 2 << Counts{1, 3, 0, 0, 0, 0, 0, 0, 6} << 10 << false << 4 << q + "  25,  75,   100";
        QTest::newRow("tenths below one per cent keep a zero")
            << 2 << Counts{1, 199, 0, 0, 0, 0, 0, 0, 0} << 200 << true << 200
            << q + "  0.5, 99.5,  100.0";
        QTest::newRow("no answers: base 1, total 0") << 3 << Counts{0, 0, 0, 0, 0, 0, 0, 0, 0} << 5
                                                     << false << 1 << q + "   0,   0,   0,     0";
        QTest::newRow("no answers in tenths: total without a leading zero")
            << 3 << Counts{0, 0, 0, 0, 0, 0, 0, 0, 0} << 5 << true << 1
            << q + "  0.0,  0.0,  0.0,     .0";
        QTest::newRow("numeric question: sum per respondent, fixed total")
            << 1 << Counts{8, 0, 0, 0, 0, 0, 0, 0, 1} << 5 << false << 4 << q + " 200,   100";
        QTest::newRow("numeric question in tenths")
            << 1 << Counts{8, 0, 0, 0, 0, 0, 0, 0, 1} << 5 << true << 4 << q + "200.0,  100.0";
        QTest::newRow("zero choices: blank cells, fixed total")
            << 0 << Counts{0, 0, 0, 0, 0, 0, 0, 0, 0} << 5 << false << 5 << q + "    ,   100";
        QTest::newRow("zero choices in tenths")
            << 0 << Counts{0, 0, 0, 0, 0, 0, 0, 0, 0} << 5 << true << 5 << q + "     ,  100.0";
        // Merged NG counts above the local respondents give a negative base, used as it is.
        QTest::newRow("negative base")
            << 1 << Counts{3, 0, 0, 0, 0, 0, 0, 0, 5} << 2 << false << -3 << q + "-100,   100";
        QTest::newRow("negative base in tenths keeps the digits")
            << 1 << Counts{1, 0, 0, 0, 0, 0, 0, 0, 3} << 1 << true << -2 << q + "-50.0,  100.0";
    }
    void percentLine() {
        QFETCH(int, choices);
        QFETCH(Counts, counts);
        QFETCH(int, respondents);
        QFETCH(bool, tenths);
        QFETCH(int, base);
        QFETCH(QByteArray, expected);
        SurveyDocument doc;
        fillOne(doc, choices, counts, respondents);
        doc.Frac1 = tenths;
        const QList<QByteArray> lines = linesOf(resultsFileContents(doc, Date));
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[9], expected);
        QCOMPARE(doc.PercentBase[1], base);
    }

    // The percentage cell that charts and reports use is the one the file prints.
    void percentCellOfChartsAndReports_data() { percentLine_data(); }
    void percentCellOfChartsAndReports() {
        QFETCH(int, choices);
        QFETCH(Counts, counts);
        QFETCH(int, respondents);
        QFETCH(bool, tenths);
        QFETCH(QByteArray, expected);
        SurveyDocument doc;
        fillOne(doc, choices, counts, respondents);
        doc.Frac1 = tenths;
        const QList<QByteArray> cells = expected.split(',');
        for (int c = 1; c <= choices; ++c)
            QCOMPARE(percentCellValue(doc, 1, c),
                     cells[c + 1].trimmed().replace(".", "").toLongLong());
    }

    void countLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray tail = ",  12,   7,   1";
        QTest::newRow("short text padded")
            << QByteArray("abc") << QByteArray(" 1,\"abc                 \"") + tail;
        QTest::newRow("20 bytes, no trailing space")
            << QByteArray("abcdefghijklmnopqrst")
            << QByteArray(" 1,\"abcdefghijklmnopqrst\"") + tail;
        // A two-byte character that does not fit in 20 bytes gives way to a space: the file never
        // holds half a character.
        QTest::newRow("two-byte character at byte 20")
            << QByteArray("abcdefghijklmnopqrs") + sj("満")
            << QByteArray(" 1,\"abcdefghijklmnopqrs \"") + tail;
        QTest::newRow("20 bytes, the last a lone first byte")
            << QByteArray("abcdefghijklmnopqrs") + sj("満").left(1)
            << QByteArray(" 1,\"abcdefghijklmnopqrs \"") + tail;
        QTest::newRow("commas and quotes are not escaped")
            << QByteArray("a,\"b") << QByteArray(" 1,\"a,\"b                \"") + tail;
    }
    void countLine() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        SurveyDocument doc;
        fillOne(doc, 2, {12, 7, 0, 0, 0, 0, 0, 0, 1}, 20);
        doc.QuestionText[1] = text.toStdString();
        const QList<QByteArray> lines = linesOf(resultsFileContents(doc, Date));
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[3], expected);
    }

    void noQuestions() {
        SurveyDocument doc;
        doc.VersionString = VevVersion;
        const QList<QByteArray> lines = linesOf(resultsFileContents(doc, Date));
        const QByteArray header = "  ,\"" + sj("質問内容") + "            \",";
        const QList<QByteArray> expected{
            sj("　").prepend(",,") + "2026/12/07",
            "",
            header + "   1,  NG",
            "",
            " by VEV",
            "",
            sj("割合（％）"),
            header + "   1," + sj("    計"),
            "",
            "VEV v1.11  (c) VEV developers",
        };
        QCOMPARE(lines, expected);
    }

    void printFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SurveyDocument doc;
        fillLunch(doc, dir.path().toStdString());
        doc.PrintDirectory = dir.path().toStdString() + "/";
        doc.ResultsFilePath = dir.filePath(QStringLiteral("lunch.csv")).toStdString();
        doc.ResultsSeparator = ' ';
        doc.ResultsQuote = ' ';
        csvhozon(doc, Date);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("lunch.csv"))));
        const QByteArray bytes = readAll(dir.filePath(QStringLiteral("vev_prn.txt")));
        const QList<QByteArray> lines = linesOf(bytes.toStdString());
        QCOMPARE(lines.size(), 14);
        const QByteArray header = "No  " + sj("質問内容") + "            ";
        QCOMPARE(lines[0], "Lunch survey  " + sj("　") + "2026/12/07");
        QCOMPARE(lines[2], header + "     1    2    3   NG");
        QCOMPARE(lines[3], " 1  Q-one" + QByteArray(15, ' ') + "    12    7         1");
        QCOMPARE(lines[9], header + "     1    2    3" + sj("     計"));
        QCOMPARE(lines[11], " 2  Q-two" + QByteArray(15, ' ') + "    33   33   33     99");
    }

    void writeFailure_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder does not exist")
            << QStringLiteral("missing/lunch.csv") << QStringLiteral("File not found");
        QTest::newRow("target is a folder")
            << QStringLiteral("folder") << QStringLiteral("File access denied");
    }
    void writeFailure() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        SurveyDocument doc;
        fillLunch(doc, dir.path().toStdString());
        doc.ResultsFilePath = dir.filePath(target).toStdString();
        try {
            csvhozon(doc, Date);
            QFAIL("the write did not fail");
        } catch (const VevError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 0); // no temporary left behind
    }

    // A write that fails half way (here: the file size limit) keeps the previous file.
    void failedWriteKeepsPreviousFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SurveyDocument doc;
        fillLunch(doc, dir.path().toStdString());
        const QString path = dir.filePath(QStringLiteral("lunch.csv"));
        doc.ResultsFilePath = path.toStdString();
        csvhozon(doc, Date);
        const QByteArray previous = readAll(path);
        QVERIFY(previous.size() > 100);

        doc.QuestionCount = 40;
        for (int q = 3; q <= 40; ++q) doc.ChoiceCount[q] = 8;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = static_cast<rlim_t>(previous.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString message;
        try {
            csvhozon(doc, Date);
        } catch (const VevError& error) {
            message = QString::fromUtf8(error.what());
        }
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);
        QCOMPARE(message, QStringLiteral("I/O error %1").arg(EFBIG));
        QCOMPARE(readAll(path), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lunch.csv")});
    }
};

QTEST_GUILESS_MAIN(TestResultsFile)
#include "tst_results_file.moc"
