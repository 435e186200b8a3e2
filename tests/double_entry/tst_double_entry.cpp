// Double entry without a window: two keyings of a survey compared, the questionnaire check, the
// files a comparison reads, the differences report and the blank copy for the second operator.
//
// The survey of these tests: 1 性別 (2 choices), 2 年代 (5), 3 機能 (5, several at once),
// 4 人数 (1, a number), 5 空き (no choices: a hidden row, never keyed, never compared).
#include "double_entry/double_entry.h"

#include "core_test_util.h"
#include "model/data_file.h"
#include "model/recording.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using test::u;

namespace {

const char* const Texts[] = {"性別", "年代", "機能", "人数", "空き"};
const int Choices[] = {2, 5, 5, 1, 0};

// The survey with one respondent per entry of rows ("1,3,135,7,": the answers to questions 1..5
// recorded through dataIN; "-" leaves a cell never recorded).
std::unique_ptr<SurveyDocument> survey(const QStringList& rows) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->SurveyTitle = sjis::fromUtf8("照合");
    doc->QuestionCount = 5;
    for (int q = 1; q <= 5; ++q) {
        doc->QuestionText[q] = sjis::fromUtf8(Texts[q - 1]);
        doc->ChoiceCount[q] = Choices[q - 1];
    }
    doc->MultiSelect[3] = true;
    for (int r = 1; r <= rows.size(); ++r) {
        const QStringList answers = rows[r - 1].split(QLatin1Char(','));
        doc->CurrentRespondent = r;
        for (int q = 1; q <= 5; ++q) {
            const QString answer = answers.value(q - 1);
            if (answer == QStringLiteral("-")) continue;
            doc->CurrentQuestion = q;
            doc->EntryBuffer = answer.toStdString();
            dataIN(*doc);
        }
        doc->RespondentCount = r; // a respondent of all "0" is still a line of the file
    }
    return doc;
}

// A difference as "respondent|question|answer in A|answer in B", question 0 for a respondent in
// one file only.
QStringList rowsOf(const Comparison& c) {
    QStringList rows;
    for (const AnswerDifference& d : c.Differences) {
        const QString a =
            d.Question ? answerText(d.AnswerA) : (d.OnlyIn == 'A' ? presentText() : absentText());
        const QString b =
            d.Question ? answerText(d.AnswerB) : (d.OnlyIn == 'B' ? presentText() : absentText());
        rows << QStringLiteral("%1|%2|%3|%4").arg(d.Respondent).arg(d.Question).arg(a, b);
    }
    return rows;
}

const QStringList Base{QStringLiteral("1,3,135,7,"), QStringLiteral("2,9,24,3,")};

} // namespace

class TestDoubleEntry : public QObject {
    Q_OBJECT

private slots:
    void compare_data() {
        QTest::addColumn<QStringList>("a");
        QTest::addColumn<QStringList>("b");
        QTest::addColumn<QStringList>("differences");
        QTest::addColumn<int>("respondents");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("differing");
        QTest::addColumn<QString>("agreement");
        QTest::addColumn<bool>("agree");

        const QStringList none;
        QTest::newRow("equal") << Base << Base << none << 2 << 8 << 0 << u("100.0%") << true;
        QTest::newRow("single choice")
            << Base << QStringList{u("1,4,135,7,"), Base[1]} << QStringList{u("1|2|3|4")} << 2 << 8
            << 1 << u("87.5%") << false;
        QTest::newRow("several choices")
            << Base << QStringList{u("1,3,13,7,"), Base[1]} << QStringList{u("1|3|135|13")} << 2
            << 8 << 1 << u("87.5%") << false;
        QTest::newRow("number") << Base << QStringList{Base[0], u("2,9,24,5,")}
                                << QStringList{u("2|4|3|5")} << 2 << 8 << 1 << u("87.5%") << false;
        QTest::newRow("NG") << Base << QStringList{Base[0], u("2,2,24,3,")}
                            << QStringList{u("2|2|NG|2")} << 2 << 8 << 1 << u("87.5%") << false;
        QTest::newRow("unanswered") << Base << QStringList{u("0,3,135,7,"), u("2,9,0,3,")}
                                    << QStringList{u("1|1|1|無回答"), u("2|3|24|無回答")} << 2 << 8
                                    << 2 << u("75.0%") << false;
        QTest::newRow("never recorded is unanswered")
            << QStringList{u("1,3,-,7,")} << QStringList{u("1,3,0,7,")} << none << 1 << 4 << 0
            << u("100.0%") << true;
        QTest::newRow("row without choices is not compared")
            << Base << QStringList{u("1,3,135,7,4"), Base[1]} << none << 2 << 8 << 0 << u("100.0%")
            << true;
        // A respondent in one file only counts its 4 answers as differing: 8 of 12 agree.
        QTest::newRow("extra respondent in A")
            << (Base + QStringList{u("1,1,1,1,")}) << Base
            << QStringList{u("3|0|回答あり|回答者なし")} << 2 << 8 << 0 << u("66.6%") << false;
        QTest::newRow("extra respondents in B")
            << Base << (Base + QStringList{u("1,1,1,1,"), u("0,0,0,0,")})
            << QStringList{u("3|0|回答者なし|回答あり"), u("4|0|回答者なし|回答あり")} << 2 << 8
            << 0 << u("50.0%") << false;
        QTest::newRow("answers and an extra respondent")
            << (Base + QStringList{u("1,1,1,1,")}) << QStringList{Base[0], u("1,9,24,3,")}
            << QStringList{u("2|1|2|1"), u("3|0|回答あり|回答者なし")} << 2 << 8 << 1 << u("58.3%")
            << false;
        QTest::newRow("nobody in A")
            << QStringList() << Base
            << QStringList{u("1|0|回答者なし|回答あり"), u("2|0|回答者なし|回答あり")} << 0 << 0
            << 0 << u("照合した回答がありません") << false;
        QTest::newRow("nobody in either") << QStringList() << QStringList() << none << 0 << 0 << 0
                                          << u("照合した回答がありません") << true;
    }
    void compare() {
        QFETCH(QStringList, a);
        QFETCH(QStringList, b);
        QFETCH(QStringList, differences);
        QFETCH(int, respondents);
        QFETCH(int, answers);
        QFETCH(int, differing);
        QFETCH(QString, agreement);
        QFETCH(bool, agree);

        const auto docA = survey(a);
        const auto docB = survey(b);
        const Comparison c = compareSurveys(*docA, *docB);
        QVERIFY(c.questionnairesMatch());
        QCOMPARE(rowsOf(c), differences);
        QCOMPARE(c.RespondentsCompared, respondents);
        QCOMPARE(c.AnswersCompared, long(answers));
        QCOMPARE(c.AnswersDiffering, long(differing));
        QCOMPARE(agreementText(c), agreement);
        QCOMPARE(c.agree(), agree);
        QCOMPARE(comparisonSummary(c).value(4), answers ? u("一致率：") + agreement : agreement);
        QCOMPARE(c.ShiftFrom, 0);
    }

    // One paper skipped or keyed twice: from where one file runs one respondent ahead. Papers
    // are numbered; consecutive papers differ in every answer.
    void shift_data() {
        QTest::addColumn<QList<int>>("a"); // the papers keyed, in order
        QTest::addColumn<QList<int>>("b");
        QTest::addColumn<int>("shiftFrom");
        QTest::addColumn<QString>("agreement");
        const QList<int> all{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
        const QList<int> skipped6 = all.mid(0, 5) + all.mid(6);
        QTest::newRow("the same papers") << all << all << 0 << u("100.0%");
        // 40 answers agree; 4 respondents of 4 answers are in A only.
        QTest::newRow("B stops at 10") << all << all.mid(0, 10) << 0 << u("71.4%");
        QTest::newRow("paper 6 skipped in B") << all << skipped6 << 6 << u("35.7%");
        QTest::newRow("a paper more in B at 6")
            << all << all.mid(0, 5) + QList<int>{100} + all.mid(5) << 6 << u("35.0%");
    }
    void shift() {
        QFETCH(QList<int>, a);
        QFETCH(QList<int>, b);
        const auto papers = [](const QList<int>& numbers) {
            QStringList rows;
            for (const int p : numbers)
                rows << u("%1,%2,%3,%4,")
                            .arg(p % 2 + 1)
                            .arg(p % 5 + 1)
                            .arg(p % 4 + 1)
                            .arg(p % 7 + 1);
            return rows;
        };
        const Comparison c = compareSurveys(*survey(papers(a)), *survey(papers(b)));
        QTEST(c.ShiftFrom, "shiftFrom");
        QTEST(agreementText(c), "agreement");
        const QStringList summary = comparisonSummary(c);
        QCOMPARE(summary.size(), c.ShiftFrom ? 6 : 5);
        if (c.ShiftFrom) QCOMPARE(summary.last(), u("回答者6以降が1人ずれている可能性があります"));
    }

    void summary() {
        const auto a = survey(Base + QStringList{u("1,1,1,1,")});
        const auto b = survey({Base[0], u("1,9,24,3,")});
        QCOMPARE(comparisonSummary(compareSurveys(*a, *b)),
                 QStringList({u("照合した回答者：2人"), u("照合した回答：8件"), u("相違：1件"),
                              u("一方のファイルだけの回答者：1人"), u("一致率：58.3%")}));
    }

    // Agreement is cut, never rounded up: 100.0% only when no answer differs.
    void agreement_data() {
        QTest::addColumn<int>("compared");
        QTest::addColumn<int>("differing");
        QTest::addColumn<QString>("text");
        QTest::newRow("one in the largest survey") << 39960 << 1 << u("99.9%");
        QTest::newRow("two thirds") << 3 << 1 << u("66.6%");
        QTest::newRow("none agree") << 7 << 7 << u("0.0%");
        QTest::newRow("all agree") << 39960 << 0 << u("100.0%");
    }
    void agreement() {
        QFETCH(int, compared);
        QFETCH(int, differing);
        QFETCH(QString, text);
        Comparison c;
        c.AnswersCompared = compared;
        c.AnswersDiffering = differing;
        QCOMPARE(agreementText(c), text);
    }

    void questionnaires_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message"); // empty: the same questionnaire

        const QString head = u("アンケートが同じではないため照合できません。\n");
        QTest::newRow("same") << QString() << QString();
        QTest::newRow("texts alone do not count") << u("wordings") << QString();
        QTest::newRow("title")
            << u("title")
            << head + u("アンケート名が違います。\na.dat：「照合」\nb.dat：「照合2」");
        QTest::newRow("question count")
            << u("count") << head + u("質問数が違います。\na.dat：5\nb.dat：4");
        QTest::newRow("question text")
            << u("text") << head + u("質問2の内容が違います。\na.dat：「年代」\nb.dat：「年齢」");
        QTest::newRow("choice count")
            << u("choices") << head + u("質問2の選択肢の数が違います。\na.dat：5\nb.dat：6");
        QTest::newRow("multi-select")
            << u("multi")
            << head + u("質問3の複数選択の設定が違います。\na.dat：複数選択\nb.dat：複数選択なし");
        QTest::newRow("the first difference is named")
            << u("choices multi text")
            << head + u("質問2の内容が違います。\na.dat：「年代」\nb.dat：「年齢」");
    }
    void questionnaires() {
        QFETCH(QString, change);
        QFETCH(QString, message);
        const auto a = survey(Base);
        const auto b = survey(Base);
        if (change.contains(u("title"))) b->SurveyTitle = sjis::fromUtf8("照合2");
        if (change.contains(u("count"))) b->QuestionCount = 4;
        if (change.contains(u("text"))) b->QuestionText[2] = sjis::fromUtf8("年齢");
        if (change.contains(u("choices"))) b->ChoiceCount[2] = 6;
        if (change.contains(u("multi"))) b->MultiSelect[3] = false;
        if (change.contains(u("wordings"))) {
            b->Texts.Wording[1] = "w";
            b->Texts.Choice[2][1] = "c";
        }

        QCOMPARE(questionnaireDifference(*a, *b, u("a.dat"), u("b.dat")), message);
        const Comparison c = compareSurveys(*a, *b, u("a.dat"), u("b.dat"));
        QCOMPARE(c.QuestionnaireDifference, message);
        if (!message.isEmpty()) {
            QVERIFY(!c.agree());
            QVERIFY(c.Differences.empty());
            QCOMPARE(c.AnswersCompared, 0L);
        }
    }

    void readFile_data() {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("refusal");
        QTest::newRow("not a survey") << QByteArray("hello\r\nworld\r\n")
                                      << u("other.datはアンケートファイルではありません。");
        QTest::newRow("no questions")
            << (QByteArray("VEV v1.11\r\nT\r\n") + test::sj("質問数 ,0\r\n"))
            << u("other.datが異常です。");
        QTest::newRow("missing file") << QByteArray()
                                      << u("データファイルを読み込めません：@other."
                                           "dat（ファイルまたはフォルダが見つかりません）。");
        QTest::newRow("survey") << test::readAll(test::testData("sample.dat")) << QString();
    }
    void readFile() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString path = dir.filePath(u("other.dat"));
        if (!contents.isEmpty()) QVERIFY(test::writeFile(path, contents));
        const SurveyForComparison read = readSurveyForComparison(test::native(path));
        QCOMPARE(read.Refusal,
                 QString(refusal).replace(QLatin1Char('@'), dir.path() + QLatin1Char('/')));
        QCOMPARE(read.Doc == nullptr, !refusal.isEmpty());
    }

    // A survey compared with its own file agrees entirely.
    void withItself() {
        const std::string path = test::native(test::testData("sample.dat"));
        const SurveyForComparison a = readSurveyForComparison(path);
        const SurveyForComparison b = readSurveyForComparison(path);
        QVERIFY(a.Doc && b.Doc);
        const Comparison c = compareSurveys(*a.Doc, *b.Doc);
        QVERIFY(c.agree());
        QCOMPARE(c.RespondentsCompared, 2);
        QCOMPARE(c.AnswersCompared, 6L);
        QCOMPARE(agreementText(c), u("100.0%"));
    }

    void report() {
        const auto a = survey({u("1,3,135,3,"), u("2,9,24,3,")});
        const auto b = survey({u("0,4,13,3,"), u("2,2,24,5,"), u("1,1,1,1,")});
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "回答者番号,質問番号,質問内容,Aの回答,Bの回答\r\n"
                                    "1,1,性別,1,無回答\r\n"
                                    "1,2,年代,3,4\r\n"
                                    "1,3,機能,135,13\r\n"
                                    "2,2,年代,NG,2\r\n"
                                    "2,4,人数,3,5\r\n"
                                    "3,,一方のファイルだけにある回答者,回答者なし,回答あり\r\n";
        QCOMPARE(differencesReport(compareSurveys(*a, *b), *a), expected);
        QCOMPARE(differencesReport(compareSurveys(*a, *a), *a),
                 QByteArray("\xEF\xBB\xBF"
                            "回答者番号,質問番号,質問内容,Aの回答,Bの回答\r\n"));
    }

    void secondEntryFile() {
        QTemporaryDir dir;
        auto doc = survey(Base);
        doc->DataFilePath = test::native(dir.filePath(u("b.dat")));
        doc->Frac1 = true;
        doc->WWrite = true;
        doc->LinkedTallyFileCount = 1;
        doc->LinkedTallyFile[1] = test::native(dir.filePath(u("add1.csv")));
        doc->Texts.Choice[1][2] = sjis::fromUtf8("女性");
        const QString copy = dir.filePath(u("b_2.dat"));
        writeSecondEntryFile(*doc, test::native(copy), u("2026/12/07"));

        const QByteArray expected = test::sj("VEV v1.11  (C) VEV developers\r\n"
                                             "照合\r\n"
                                             "質問数 ,5\r\n"
                                             " 1 ,性別                ,2\r\n"
                                             " 2 ,年代                ,5\r\n"
                                             " 3 ,機能                ,5　（複数選択）\r\n"
                                             " 4 ,人数                ,1\r\n"
                                             " 5 ,空き                ,0\r\n"
                                             "百分率：小数\r\n"
                                             "集計結果：同時保存\r\n"
                                             "選択肢：1,2,女性\r\n"
                                             "\r\n"
                                             "b_2.dat  2026/12/07\r\n");
        QCOMPARE(test::readAll(copy), expected);
        // No results file goes with the blank copy, and the survey itself is untouched.
        QVERIFY(!QFile::exists(dir.filePath(u("b_2.csv"))));
        QCOMPARE(doc->RespondentCount, 2);

        // The copy loads into the same questionnaire with nobody in it.
        const SurveyForComparison read = readSurveyForComparison(test::native(copy));
        QVERIFY(read.Doc);
        QCOMPARE(questionnaireDifference(*doc, *read.Doc, u("a"), u("b")), QString());
        QCOMPARE(read.Doc->RespondentCount, 0);
        QCOMPARE(read.Doc->LinkedTallyFileCount, 0);
        QVERIFY(read.Doc->Texts == doc->Texts);
    }

    void secondEntryFileName_data() {
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("extension") << u("/w/survey.dat") << QString() << u("/w/survey_2.dat");
        QTest::newRow("no extension") << u("/w/survey") << QString() << u("/w/survey_2.dat");
        QTest::newRow("dot in the folder")
            << u("/w.x/survey") << QString() << u("/w.x/survey_2.dat");
        QTest::newRow("two dots") << u("/w/a.b.dat") << QString() << u("/w/a.b_2.dat");
        QTest::newRow("never saved") << QString() << u("満足度") << u("満足度_2.dat");
        QTest::newRow("never saved, no title") << QString() << QString() << u("vev_2.dat");
    }
    void secondEntryFileName() {
        QFETCH(QString, dataFile);
        QFETCH(QString, title);
        QFETCH(QString, proposed);
        const auto doc = std::make_unique<SurveyDocument>();
        doc->DataFilePath = test::native(dataFile);
        doc->SurveyTitle = sjis::fromQString(title);
        QCOMPARE(QString::fromStdString(vev::secondEntryFileName(*doc)), proposed);
    }
};

QTEST_GUILESS_MAIN(TestDoubleEntry)
#include "tst_double_entry.moc"
