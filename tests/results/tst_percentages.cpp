#include "results/percentages.h"

#include "core_test_util.h"
#include "model/recording.h"
#include "results/results_file.h"
#include "survey_fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vev;
using namespace vev::test;

namespace {

const QString Date = QStringLiteral("2026/12/07");

// The percentage line of question 1 in the results file.
QByteArray percentLine(SurveyDocument& doc) {
    const QList<QByteArray> lines =
        QByteArray::fromStdString(resultsFileContents(doc, Date)).split('\n');
    return lines.size() > 9 ? lines[9].chopped(1) : QByteArray();
}

} // namespace

class TestPercentages : public QObject {
    Q_OBJECT

private slots:
    // Question 1 has three choices; answers are recorded for respondents 1, 2, ...; `linked`
    // adds counts to slots 1..3 as a merged tally file would. Expected: the cells and the total
    // of the percentage line, and the base.
    void bases_data() {
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QList<int>>("linked");
        QTest::addColumn<bool>("respondents");
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<QByteArray>("cells");
        QTest::addColumn<int>("base");
        const QStringList three{u("12"), u("1"), u("3")};
        QTest::newRow("answers: 2,1,1 of 4 answers")
            << true << three << QList<int>() << false << false
            << QByteArray("  50,  25,  25,   100") << 4;
        QTest::newRow("respondents: 2,1,1 of 3 respondents")
            << true << three << QList<int>() << true << false << QByteArray("  67,  33,  33,   133")
            << 3;
        // 1, 4 and 5 of 8 respondents: 12.5 and 62.5 go to the even neighbour.
        const QStringList eight{u("12"), u("23"), u("2"), u("3"), u("3"), u("3"), u("3"), u("2")};
        QTest::newRow("respondents: halves to even")
            << true << eight << QList<int>() << true << false << QByteArray("  12,  50,  62,   124")
            << 8;
        QTest::newRow("respondents in tenths") << true << eight << QList<int>() << true << true
                                               << QByteArray(" 12.5, 50.0, 62.5,  125.0") << 8;
        QTest::newRow("answers: same survey, 10 answers")
            << true << eight << QList<int>() << false << false
            << QByteArray("  10,  40,  50,   100") << 10;
        QTest::newRow("respondents: unanswered and NG are not in the base")
            << true << QStringList{u("13"), u("0"), u("9"), u("2")} << QList<int>() << true << false
            << QByteArray("  50,  50,  50,   150") << 2;
        QTest::newRow("respondents: no respondents")
            << true << QStringList() << QList<int>() << true << false
            << QByteArray("   0,   0,   0,     0") << 1;
        QTest::newRow("respondents: all NG")
            << true << QStringList{u("9"), u("9")} << QList<int>() << true << true
            << QByteArray("  0.0,  0.0,  0.0,     .0") << 1;
        QTest::newRow("answers: all NG")
            << true << QStringList{u("9"), u("9")} << QList<int>() << false << false
            << QByteArray("   0,   0,   0,     0") << 1;
        // One local respondent with two answers, three answers from a linked file: each
        // linked answer stands for one respondent.
        QTest::newRow("respondents: linked answers count as respondents")
            << true << QStringList{u("12")} << QList<int>{2, 0, 1} << true << false
            << QByteArray("  75,  25,  25,   125") << 4;
        QTest::newRow("answers: with linked answers")
            << true << QStringList{u("12")} << QList<int>{2, 0, 1} << false << false
            << QByteArray("  60,  20,  20,   100") << 5;
        QTest::newRow("respondents: a single-select question keeps the answers' base")
            << false << QStringList{u("12"), u("3")} << QList<int>() << true << false
            << QByteArray("  33,  33,  33,    99") << 3;
    }
    void bases() {
        QFETCH(bool, multi);
        QFETCH(QStringList, answers);
        QFETCH(QList<int>, linked);
        QFETCH(bool, respondents);
        QFETCH(bool, tenths);
        QFETCH(QByteArray, cells);
        QFETCH(int, base);
        auto doc = std::make_unique<SurveyDocument>();
        doc->QuestionCount = 1;
        doc->QuestionText[1] = "Q";
        doc->ChoiceCount[1] = 3;
        doc->MultiSelect[1] = multi;
        for (qsizetype r = 0; r < answers.size(); ++r)
            record(*doc, static_cast<int>(r) + 1, 1, answers[r].toStdString());
        for (qsizetype c = 0; c < linked.size(); ++c)
            doc->Tally[1][static_cast<int>(c) + 1] += linked[c];
        doc->RBase1 = respondents;
        doc->Frac1 = tenths;

        const QByteArray expected = " 1,\"Q                   \"," + cells;
        QCOMPARE(percentLine(*doc), expected);
        QCOMPARE(doc->PercentBase[1], base);
        // The cells as the report takes them one by one.
        std::string pieces = " 1,\"Q                   \",";
        for (int c = 1; c <= 3; ++c) pieces += percentCellText(*doc, 1, c) + ',';
        pieces += "  " + percentTotalText(*doc, 1);
        QCOMPARE(bytes(pieces), expected);
    }

    // With the option on, the whole results file: Q-one (single) keeps the answers' base,
    // Q-two (multi-select, 3 of 4 respondents answered) divides by 3.
    void goldenFileWithRespondentBase() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto doc = std::make_unique<SurveyDocument>();
        doc->SurveyTitle = "Lunch survey";
        doc->VersionString = VevVersion;
        doc->DataFilePath = native(dir.filePath(QStringLiteral("lunch.dat")));
        doc->QuestionCount = 2;
        doc->QuestionText[1] = "Q-one";
        doc->ChoiceCount[1] = 2;
        doc->QuestionText[2] = "Q-two";
        doc->ChoiceCount[2] = 3;
        doc->MultiSelect[2] = true;
        const char* answers[4][2] = {{"1", "12"}, {"1", "123"}, {"2", "0"}, {"9", "3"}};
        for (int r = 1; r <= 4; ++r)
            for (int q = 1; q <= 2; ++q) record(*doc, r, q, answers[r - 1][q - 1]);
        doc->RBase1 = true;
        doc->ResultsFilePath = native(dir.filePath(QStringLiteral("lunch.csv")));
        csvhozon(*doc, Date);
        const QByteArray golden = readAll(testData("lunch_rbase.csv"));
        QVERIFY(!golden.isEmpty());
        QCOMPARE(readAll(dir.filePath(QStringLiteral("lunch.csv"))), golden);
    }
};

QTEST_GUILESS_MAIN(TestPercentages)
#include "tst_percentages.moc"
