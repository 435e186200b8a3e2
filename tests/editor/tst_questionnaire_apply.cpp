#include "editor/questionnaire_apply.h"

#include "core_test_util.h"
#include "editor/clear_document.h"
#include "linked/tally_file.h"
#include "model/recording.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using vev::test::u;

namespace {

using Counts = QList<int>; // slots 1..9
using Texts = QList<QByteArray>;

Counts tallyOf(const SurveyDocument& doc, int q) {
    Counts counts;
    for (int c = 1; c <= 9; ++c) counts << doc.Tally[q][c];
    return counts;
}

// A survey titled "t" whose question q has the given choice counts (none multi-select).
std::unique_ptr<SurveyDocument> survey(const Counts& choices) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->SurveyTitle = "t";
    doc->QuestionCount = static_cast<int>(choices.size());
    for (int q = 1; q <= doc->QuestionCount; ++q) {
        doc->QuestionText[q] = "Q" + std::to_string(q);
        doc->ChoiceCount[q] = choices[q - 1];
    }
    return doc;
}

// Records the answers of respondents 1, 2, ... to question q.
void answer(SurveyDocument& doc, int q, const Texts& answers) {
    doc.CurrentQuestion = q;
    for (int r = 1; r <= answers.size(); ++r) {
        doc.CurrentRespondent = r;
        dataDEL(doc);
        doc.EntryBuffer = answers[r - 1].toStdString();
        dataIN(doc);
    }
}

// The texts of question q as "wording|1|2|...|8".
QString textsOf(const SurveyDocument& doc, int q) {
    QStringList texts{QString::fromLatin1(doc.Texts.Wording[q].str())};
    for (int c = 1; c <= MaxTextChoices; ++c)
        texts << QString::fromLatin1(doc.Texts.Choice[q][c].str());
    return texts.join(QLatin1Char('|'));
}

} // namespace

class TestQuestionnaireApply : public QObject {
    Q_OBJECT

private slots:
    // A question whose kind or number of choices changes is counted again from its answers,
    // which come out as a save and load would record them.
    void recountsChangedQuestion_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<Texts>("answers");
        QTest::addColumn<int>("newChoices");
        QTest::addColumn<bool>("newMulti");
        QTest::addColumn<Texts>("newAnswers");
        QTest::addColumn<Counts>("tally");

        QTest::newRow("numeric to four choices")
            << 1 << false << Texts{"3", "5"} << 4 << false << Texts{"3", "9"}
            << Counts{0, 0, 1, 0, 0, 0, 0, 0, 1};
        QTest::newRow("five to three choices")
            << 5 << false << Texts{"5", "3", "9"} << 3 << false << Texts{"9", "3", "9"}
            << Counts{0, 0, 1, 0, 0, 0, 0, 0, 2};
        QTest::newRow("numeric to eight choices")
            << 1 << false << Texts{"7", "2"} << 8 << false << Texts{"7", "2"}
            << Counts{0, 1, 0, 0, 0, 0, 1, 0, 0};
        QTest::newRow("choices to numeric")
            << 4 << false << Texts{"4", "2", "9"} << 1 << false << Texts{"4", "2", "9"}
            << Counts{6, 0, 0, 0, 0, 0, 0, 0, 1};
        QTest::newRow("multi-select cut to two choices")
            << 5 << true << Texts{"135", "24", "9"} << 2 << true << Texts{"1", "2", "9"}
            << Counts{1, 1, 0, 0, 0, 0, 0, 0, 1};
        QTest::newRow("multi-select to single keeps the choices")
            << 5 << true << Texts{"135", "0"} << 5 << false << Texts{"135", "0"}
            << Counts{1, 0, 1, 0, 1, 0, 0, 0, 0};
        QTest::newRow("unchanged rule keeps everything")
            << 5 << false << Texts{"5", "3"} << 5 << false << Texts{"5", "3"}
            << Counts{0, 0, 1, 0, 1, 0, 0, 0, 0};
    }
    void recountsChangedQuestion() {
        QFETCH(int, choices);
        QFETCH(bool, multi);
        QFETCH(Texts, answers);
        QFETCH(int, newChoices);
        QFETCH(bool, newMulti);
        QFETCH(Texts, newAnswers);
        QFETCH(Counts, tally);

        auto doc = survey({2, choices});
        doc->MultiSelect[2] = multi;
        answer(*doc, 1, Texts(answers.size(), "1"));
        answer(*doc, 2, answers);
        doc->CurrentRespondent = 2;
        doc->CurrentQuestion = 1;
        Questionnaire edited = Questionnaire::of(*doc);
        edited.ChoiceCount[2] = newChoices;
        edited.MultiSelect[2] = newMulti;
        test::RecordedEvents events;

        const bool changed = applyQuestionnaire(*doc, edited, events);

        QCOMPARE(changed, choices != newChoices || multi != newMulti);
        QCOMPARE(doc->Modified, changed);
        QCOMPARE(doc->QuestionnaireModified, changed);
        for (int r = 1; r <= newAnswers.size(); ++r)
            QCOMPARE(test::bytes(doc->Answers[r][2].view()), newAnswers[r - 1]);
        QCOMPARE(tallyOf(*doc, 2), tally);
        QCOMPARE(tallyOf(*doc, 1), (Counts{int(answers.size()), 0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(doc->CurrentRespondent, 2);
        QCOMPARE(doc->CurrentQuestion, 1);
        QVERIFY(events.changed.contains(2));
    }

    // The program's own example: numeric answers 3 and 5, then four choices, then respondent 1
    // retyped as 2. No count goes negative.
    void retypingAfterApplyKeepsCounts() {
        auto doc = survey({1});
        answer(*doc, 1, {"3", "5"});
        QCOMPARE(doc->Tally[1][1], 8);
        Questionnaire edited = Questionnaire::of(*doc);
        edited.ChoiceCount[1] = 4;
        test::RecordedEvents events;
        applyQuestionnaire(*doc, edited, events);
        answer(*doc, 1, {"2"});
        QCOMPARE(tallyOf(*doc, 1), (Counts{0, 1, 0, 0, 0, 0, 0, 0, 1}));
    }

    // A deleted question takes its answers and counts along; one added later at the same
    // number starts empty.
    void deletedQuestionIsEmptied() {
        auto doc = survey({2, 3});
        answer(*doc, 2, {"3", "1"});
        Questionnaire edited = Questionnaire::of(*doc);
        edited.QuestionCount = 1;
        edited.QuestionText[2].clear();
        edited.ChoiceCount[2] = 0;
        test::RecordedEvents events;
        QVERIFY(applyQuestionnaire(*doc, edited, events));
        QCOMPARE(doc->QuestionCount, 1);
        QVERIFY(doc->Answers[1][2].empty());
        QVERIFY(doc->Answers[2][2].empty());
        QCOMPARE(tallyOf(*doc, 2), Counts(9, 0));

        edited.QuestionCount = 2;
        edited.QuestionText[2] = "new";
        edited.ChoiceCount[2] = 4;
        applyQuestionnaire(*doc, edited, events);
        QVERIFY(doc->Answers[1][2].empty());
        QCOMPARE(tallyOf(*doc, 2), Counts(9, 0));
    }

    // The linked files' share follows the questionnaire as a fresh link would read it; a file
    // no longer found keeps its share.
    void linkedShareFollowsTheQuestionnaire_data() {
        QTest::addColumn<bool>("fileKept");
        QTest::addColumn<Counts>("tally");
        // Q2 had 3 choices (file: 4, 5, 6, NG 7) and one answer "3"; now 2 choices: the answer
        // is NG, and the file, read with two choice columns, gives 4 and 5 and loses its NG
        // cell behind the third column's comma, as a load would read it.
        QTest::newRow("file read again") << true << Counts{4, 5, 0, 0, 0, 0, 0, 0, 1};
        QTest::newRow("file gone keeps its share") << false << Counts{4, 5, 6, 0, 0, 0, 0, 0, 8};
    }
    void linkedShareFollowsTheQuestionnaire() {
        QFETCH(bool, fileKept);
        QFETCH(Counts, tally);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.csv"));
        QVERIFY(test::writeFile(path, "t,,x\r\n\r\nheader\r\n 1,\"Q1\",1,2,0\r\n"
                                      " 2,\"Q2\",4,5,6,7\r\n\r\n"));
        auto doc = survey({2, 3});
        answer(*doc, 2, {"3"});
        doc->CurrentTallyFilePath = test::native(path);
        test::RecordedEvents events;
        csvRead(*doc, events);
        QVERIFY(doc->LastOperationSucceeded);
        QCOMPARE(tallyOf(*doc, 2), (Counts{4, 5, 7, 0, 0, 0, 0, 0, 7}));
        if (!fileKept) QVERIFY(QFile::remove(path));

        Questionnaire edited = Questionnaire::of(*doc);
        edited.ChoiceCount[2] = 2;
        applyQuestionnaire(*doc, edited, events);
        QCOMPARE(tallyOf(*doc, 2), tally);
        QCOMPARE(tallyOf(*doc, 1), (Counts{1, 2, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(doc->LinkedTallyFileCount, 1);
    }

    // Clearing the answers reaches every respondent and every column, and keeps the survey
    // modified while its questionnaire has never been saved since it changed.
    void clearAnswers_data() {
        QTest::addColumn<bool>("questionnaireModified");
        QTest::newRow("questionnaire saved") << false;
        QTest::newRow("questionnaire changed") << true;
    }
    void clearAnswers() {
        QFETCH(bool, questionnaireModified);
        auto doc = survey({2, 3});
        answer(*doc, 1, {"1", "2"});
        doc->Answers[999][40] = "5";
        doc->Tally[40][5] = 1;
        doc->Modified = true;
        doc->QuestionnaireModified = questionnaireModified;
        doc->LinkedTallyFileCount = 1;
        DClear(*doc);
        for (int r : {1, 2, 999})
            for (int q : {1, 40}) QVERIFY(doc->Answers[r][q].empty() || doc->Answers[r][q] == "0");
        QCOMPARE(tallyOf(*doc, 1), Counts(9, 0));
        QCOMPARE(tallyOf(*doc, 40), Counts(9, 0));
        QCOMPARE(doc->Modified, questionnaireModified);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->QuestionCount, 2);
    }

    // Texts follow the questionnaire: a lowered choice count drops the texts above it (raised
    // again, the choice starts without one), a deleted question loses its texts, and a change
    // of texts alone is a change of the questionnaire that leaves the counts alone.
    void textsFollowTheQuestionnaire_data() {
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("choicesOfQ1");
        QTest::addColumn<QByteArray>("newChoiceText"); // for Q1 choice 1
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("q1");
        QTest::addColumn<QString>("q2");
        QTest::newRow("nothing changed") << 2 << 3 << QByteArray("one") << false
                                         << u("w1|one|two|three|||||") << u("w2|x|||||||");
        QTest::newRow("choice count lowered")
            << 2 << 2 << QByteArray("one") << true << u("w1|one|two||||||") << u("w2|x|||||||");
        QTest::newRow("question deleted")
            << 1 << 3 << QByteArray("one") << true << u("w1|one|two|three|||||") << u("||||||||");
        QTest::newRow("a text alone changed") << 2 << 3 << QByteArray("uno") << true
                                              << u("w1|uno|two|three|||||") << u("w2|x|||||||");
    }
    void textsFollowTheQuestionnaire() {
        QFETCH(int, questions);
        QFETCH(int, choicesOfQ1);
        QFETCH(QByteArray, newChoiceText);
        QFETCH(bool, changed);
        auto doc = survey({3, 2});
        answer(*doc, 1, {"3", "1"});
        const char* texts[] = {"one", "two", "three"};
        for (int c = 1; c <= 3; ++c) doc->Texts.Choice[1][c] = texts[c - 1];
        doc->Texts.Wording[1] = "w1";
        doc->Texts.Wording[2] = "w2";
        doc->Texts.Choice[2][1] = "x";
        Questionnaire edited = Questionnaire::of(*doc);
        edited.QuestionCount = questions;
        edited.ChoiceCount[1] = choicesOfQ1;
        edited.Texts.Choice[1][1] = newChoiceText.toStdString();
        test::RecordedEvents events;
        QCOMPARE(applyQuestionnaire(*doc, edited, events), changed);
        QCOMPARE(doc->Modified, changed);
        QCOMPARE(doc->QuestionnaireModified, changed);
        QFETCH(QString, q1);
        QFETCH(QString, q2);
        QCOMPARE(textsOf(*doc, 1), q1);
        QCOMPARE(textsOf(*doc, 2), q2);
        if (choicesOfQ1 == 3) QCOMPARE(tallyOf(*doc, 1), Counts({1, 0, 1, 0, 0, 0, 0, 0, 0}));

        // Raised again (and the question added again), nothing comes back.
        edited = Questionnaire::of(*doc);
        edited.QuestionCount = 2;
        edited.ChoiceCount[1] = 3;
        edited.ChoiceCount[2] = 2;
        applyQuestionnaire(*doc, edited, events);
        QCOMPARE(textsOf(*doc, 1), q1);
        QCOMPARE(textsOf(*doc, 2), q2);
    }

    // New starts from nothing, also when no questionnaire is loaded (every question deleted):
    // no answers, links or file path of the old survey remain to be saved.
    void newDocumentStartsEmpty() {
        auto doc = survey({0, 3});
        doc->ChoiceCount[1] = 0; // no questionnaire loaded
        answer(*doc, 2, {"3"});
        doc->DataFilePath = "/data/old.dat";
        doc->ResultsFilePath = "/data/old.csv";
        doc->LinkedTallyFileCount = 1;
        doc->LinkedTallyFile[1] = "/data/other.csv";
        doc->Modified = true;
        doc->QuestionnaireModified = true;
        doc->AppDirectory = "/app/";
        doc->Frac1 = true;
        doc->WWrite = false;
        doc->Texts.Wording[2] = "w";
        doc->Texts.Choice[2][3] = "c";
        NewDocument(*doc);
        QVERIFY(doc->Texts.empty());
        QCOMPARE(doc->QuestionCount, 0);
        QCOMPARE(doc->ChoiceCount[2], 0);
        QVERIFY(doc->Answers[1][2].empty());
        QCOMPARE(tallyOf(*doc, 2), Counts(9, 0));
        QCOMPARE(doc->RespondentCount, 0);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QVERIFY(doc->LinkedTallyFile[1].empty());
        QVERIFY(doc->DataFilePath.empty());
        QVERIFY(doc->ResultsFilePath.empty());
        QVERIFY(doc->SurveyTitle.empty());
        QVERIFY(!doc->Modified);
        QVERIFY(!doc->QuestionnaireModified);
        QCOMPARE(doc->AppDirectory, std::string("/app/"));
        QVERIFY(doc->Frac1);
        QVERIFY(!doc->WWrite);
    }
};

QTEST_GUILESS_MAIN(TestQuestionnaireApply)
#include "tst_questionnaire_apply.moc"
