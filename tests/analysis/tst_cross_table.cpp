#include "analysis/cross_table.h"

#include "core_test_util.h"
#include "model/recording.h"
#include "model/sjis.h"
#include "results/percentages.h"
#include "survey_fixtures.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

QString rows(std::initializer_list<const char*> lines) {
    QString text;
    for (const char* line : lines)
        text += u(line).replace(QLatin1Char(' '), QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

} // namespace

class TestCrossTable : public QObject {
    Q_OBJECT

private slots:
    // The tables as tab-separated text (written here with spaces for tabs). Totals count
    // respondents once each: r1 chose 1 and 2 of question 2 and is one of row 1's two.
    void views_data() {
        QTest::addColumn<int>("rowQ");
        QTest::addColumn<int>("colQ");
        QTest::addColumn<int>("view");
        QTest::addColumn<bool>("showOpen");
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<QString>("expected");
        const int counts = int(CrossView::Counts);
        QTest::newRow("counts with unanswered and NG")
            << 1 << 2 << counts << true << false
            << rows({" 1 2 3 無回答 NG 計", "1 1 1 0 1 0 2", "2 0 1 2 0 0 2", "無回答 0 0 0 0 1 1",
                     "NG 1 1 1 0 0 1", "計 2 3 3 1 1 6"});
        QTest::newRow("counts without them: respondents with a shown answer on both sides")
            << 1 << 2 << counts << false << false
            << rows({" 1 2 3 計", "1 1 1 0 1", "2 0 1 2 2", "計 1 2 2 3"});
        QTest::newRow("multi-select by itself: pairs in the cells, people in the totals")
            << 2 << 2 << counts << false << false
            << rows({" 1 2 3 計", "1 2 2 1 2", "2 2 3 2 3", "3 1 2 3 3", "計 2 3 3 4"});
        QTest::newRow("row per cent of row respondents; total: sum of the rounded cells")
            << 1 << 2 << int(CrossView::RowPercent) << true << false
            << rows({" 1 2 3 無回答 NG 計", "1 50 50 0 50 0 150", "2 0 50 100 0 0 150",
                     "無回答 0 0 0 0 100 100", "NG 100 100 100 0 0 300", "計 33 50 50 17 17 167"});
        QTest::newRow("column per cent")
            << 1 << 2 << int(CrossView::ColumnPercent) << false << false
            << rows({" 1 2 3 計", "1 100 50 0 33", "2 0 50 100 67", "計 100 100 100 100"});
        QTest::newRow("total per cent in tenths")
            << 1 << 2 << int(CrossView::TotalPercent) << false << true
            << rows({" 1 2 3 計", "1 33.3 33.3 0.0 33.3", "2 0.0 33.3 66.7 66.7",
                     "計 33.3 66.7 66.7 100.0"});
    }
    void views() {
        QFETCH(int, rowQ);
        QFETCH(int, colQ);
        QFETCH(int, view);
        QFETCH(bool, showOpen);
        QFETCH(bool, tenths);
        QFETCH(QString, expected);
        auto doc = smallCrossSurvey();
        QCOMPARE(doc->RespondentCount, 6);
        const CrossTable table = crossTabulate(*doc, rowQ, colQ);
        QCOMPARE(crossGridText(crossGrid(table, CrossView(view), showOpen, tenths)), expected);
    }

    // 3 and 5 of 8 respondents: 37.5 and 62.5 go to the even neighbour, as in the results file.
    void halvesToEven() {
        auto doc = std::make_unique<SurveyDocument>();
        doc->QuestionCount = 1;
        doc->ChoiceCount[1] = 2;
        doc->CurrentQuestion = 1;
        for (int r = 1; r <= 8; ++r) {
            doc->CurrentRespondent = r;
            doc->EntryBuffer = r <= 3 ? "1" : "2";
            dataIN(*doc);
        }
        const CrossTable table = crossTabulate(*doc, 1, 1);
        QCOMPARE(crossGridText(crossGrid(table, CrossView::TotalPercent, false, false)),
                 rows({" 1 2 計", "1 38 0 38", "2 0 62 62", "計 38 62 100"}));
    }

    // Single choice by single choice, three respondents in three columns: the shown cells are
    // 33 each and the row's total is their sum, 99, as in the results file.
    void rowTotalIsTheSumOfRoundedCells() {
        auto doc = std::make_unique<SurveyDocument>();
        doc->QuestionCount = 2;
        doc->ChoiceCount[1] = 2;
        doc->ChoiceCount[2] = 3;
        const char* answers[4][2] = {{"1", "1"}, {"1", "2"}, {"1", "3"}, {"0", "1"}};
        for (int r = 1; r <= 4; ++r)
            for (int q = 1; q <= 2; ++q) {
                doc->CurrentRespondent = r;
                doc->CurrentQuestion = q;
                doc->EntryBuffer = answers[r - 1][q - 1];
                dataIN(*doc);
            }
        QCOMPARE(crossGridText(
                     crossGrid(crossTabulate(*doc, 1, 2), CrossView::RowPercent, false, false)),
                 rows({" 1 2 3 計", "1 33 33 33 99", "2 0 0 0 0", "計 33 33 33 99"}));
    }

    // Random surveys keyed, and rekeyed, through recording: with a row question keyed one
    // character at a time and the open categories shown, every respondent lands in exactly one row,
    // so the total row is the column question's tally (choices, then NG) and its unanswered count.
    // And a respondents' base never gives a share above 100 per cent, linked counts or not.
    void randomSurveysAgreeWithTally() {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 200; ++round) {
            auto doc = std::make_unique<SurveyDocument>();
            doc->QuestionCount = 4;
            for (int q = 1; q <= 4; ++q) {
                doc->ChoiceCount[q] = random.bounded(2, 9);
                doc->MultiSelect[q] = random.bounded(2) == 1;
            }
            doc->MultiSelect[1] = false;
            const int keys = random.bounded(1, 400);
            for (int i = 0; i < keys; ++i) {
                doc->CurrentRespondent = random.bounded(1, 60);
                doc->CurrentQuestion = random.bounded(1, 5);
                std::string buffer;
                // Question 1 gets one character at a time: one row per respondent.
                for (int n = doc->CurrentQuestion == 1 ? 1 : random.bounded(0, 4); n > 0; --n)
                    buffer += static_cast<char>('0' + random.bounded(10));
                doc->EntryBuffer = buffer;
                dataDEL(*doc);
                dataIN(*doc);
            }
            for (int colQ = 1; colQ <= 4; ++colQ) {
                const int k = doc->ChoiceCount[colQ];
                const CrossTable table = crossTabulate(*doc, 1, colQ);
                const CrossGrid grid = crossGrid(table, CrossView::Counts, true, false);
                QStringList expected;
                std::int64_t answered = 0;
                for (int r = 1; r <= doc->RespondentCount; ++r) {
                    const std::string_view a = doc->Answers[r][colQ].view();
                    answered += !a.empty() && a != "0";
                }
                for (int c = 1; c <= k; ++c) expected << QString::number(doc->Tally[colQ][c]);
                expected << QString::number(doc->RespondentCount - answered)
                         << QString::number(doc->Tally[colQ][NgSlot]);
                QCOMPARE(grid.cells.last().mid(0, k + 2), expected);
            }
            for (int q = 1; q <= 4; ++q) {
                if (random.bounded(2) == 1) doc->Tally[q][random.bounded(1, 3)] += 5; // linked
                const std::int32_t base = percentBase(*doc, q, PercentBasis::Respondents);
                for (int c = 1; c <= doc->ChoiceCount[q]; ++c)
                    QVERIFY(doc->Tally[q][c] <= base || base == 1);
                QVERIFY(base <= percentBase(*doc, q, PercentBasis::Answers));
            }
        }
    }

    // The CSV names the two questions in its first cell and says what the totals count.
    void csvBytes_data() {
        QTest::addColumn<bool>("bom");
        QTest::newRow("plain") << false;
        QTest::newRow("byte order mark") << true;
    }
    void csvBytes() {
        QFETCH(bool, bom);
        auto doc = smallCrossSurvey();
        doc->QuestionText[1] = sjis::fromUtf8("性別");
        const CrossTable table = crossTabulate(*doc, 1, 2);
        QCOMPARE(crossGridCsv(crossGrid(table, CrossView::Counts, true, false), bom),
                 QByteArray(bom ? "\xEF\xBB\xBF" : "") +
                     u("Q1 性別 × Q2 B,1,2,3,無回答,NG,計\r\n"
                       "1,1,1,0,1,0,2\r\n"
                       "2,0,1,2,0,0,2\r\n"
                       "無回答,0,0,0,0,1,1\r\n"
                       "NG,1,1,1,0,0,1\r\n"
                       "計,2,3,3,1,1,6\r\n"
                       "\r\n"
                       "計は回答者数（複数選択の質問は、いくつ選んでも1人と数えます）です。\r\n")
                         .toUtf8());
    }

    void refusals_data() {
        QTest::addColumn<int>("q");
        QTest::addColumn<QString>("problem");
        QTest::newRow("single choice") << 1 << QString();
        QTest::newRow("multi-select") << 2 << QString();
        QTest::newRow("numeric")
            << 3 << u("質問3は数量の質問です。クロス集計できるのは選択肢の質問だけです。");
        QTest::newRow("none") << 0 << u("質問0はありません。");
        QTest::newRow("beyond the questionnaire") << 4 << u("質問4はありません。");
        QTest::newRow("unused") << -1
                                << u("質問3は使わない質問（選択肢0）です。クロス集計できません。");
    }
    void refusals() {
        QFETCH(int, q);
        QFETCH(QString, problem);
        auto doc = smallCrossSurvey();
        if (q < 0) doc->ChoiceCount[q = 3] = 0;
        QCOMPARE(crossQuestionProblem(*doc, q), problem);
    }
};

QTEST_GUILESS_MAIN(TestCrossTable)
#include "tst_cross_table.moc"
