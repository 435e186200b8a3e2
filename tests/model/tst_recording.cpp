#include "model/recording.h"

#include "core_test_util.h"
#include "model/vev_error.h"

#include <QTest>

using namespace vev;

using test::bytes;

namespace {

using Counts = QList<int>; // slots 1..9
using Texts = QList<QByteArray>;

Counts tallyOf(const SurveyDocument& doc, int q) {
    Counts counts;
    for (int c = 1; c <= 9; ++c) counts << doc.Tally[q][c];
    return counts;
}

// Respondent R of a survey whose questions have the given choice counts, with given answers
// already in place (as the loader would leave them after replaying them).
void setUp(SurveyDocument& doc, const Counts& choices, const Texts& answers, int r) {
    doc.QuestionCount = static_cast<int>(choices.size());
    doc.CurrentRespondent = r;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        doc.ChoiceCount[q] = choices[q - 1];
        doc.CurrentQuestion = q;
        doc.EntryBuffer = answers[q - 1].toStdString();
        if (!answers[q - 1].isEmpty()) dataIN(doc);
    }
}

} // namespace

class TestRecording : public QObject {
    Q_OBJECT

private slots:
    void dataIN_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("normalised");
        QTest::addColumn<Counts>("tally");
        QTest::addColumn<int>("respondentCount");
        // Respondent 12 is recorded while RespondentCount is 10.
        QTest::newRow("single choice") << 5 << QByteArray("3") << QByteArray("3") << QByteArray("3")
                                       << Counts{0, 0, 1, 0, 0, 0, 0, 0, 0} << 12;
        QTest::newRow("digit above the choices is NG")
            << 5 << QByteArray("7") << QByteArray("9") << QByteArray("9")
            << Counts{0, 0, 0, 0, 0, 0, 0, 0, 1} << 12;
        QTest::newRow("letter is NG") << 5 << QByteArray("x") << QByteArray("9") << QByteArray("9")
                                      << Counts{0, 0, 0, 0, 0, 0, 0, 0, 1} << 12;
        QTest::newRow("blank is NG") << 5 << QByteArray(" ") << QByteArray("9") << QByteArray("9")
                                     << Counts{0, 0, 0, 0, 0, 0, 0, 0, 1} << 12;
        QTest::newRow("single zero is unanswered")
            << 5 << QByteArray("0") << QByteArray("0") << QByteArray("0") << Counts(9, 0) << 10;
        QTest::newRow("empty buffer is unanswered")
            << 5 << QByteArray() << QByteArray("0") << QByteArray() << Counts(9, 0) << 10;
        QTest::newRow("several sorted, blanks and duplicates dropped")
            << 5 << QByteArray("5 331") << QByteArray("135") << QByteArray("135")
            << Counts{1, 0, 1, 0, 1, 0, 0, 0, 0} << 12;
        QTest::newRow("several outside the choices vanish, not NG")
            << 5 << QByteArray("79") << QByteArray("0") << QByteArray() << Counts(9, 0) << 10;
        QTest::newRow("zero and nine inside several vanish")
            << 2 << QByteArray("2091") << QByteArray("12") << QByteArray("12")
            << Counts{1, 1, 0, 0, 0, 0, 0, 0, 0} << 12;
        QTest::newRow("eight choices descending")
            << 8 << QByteArray("87654321") << QByteArray("12345678") << QByteArray("12345678")
            << Counts{1, 1, 1, 1, 1, 1, 1, 1, 0} << 12;
        // The reader accepts a choice count of 9; only eight characters are ever stored.
        QTest::newRow("nine choices keep eight")
            << 9 << QByteArray("987654321") << QByteArray("12345678") << QByteArray("123456789")
            << Counts{1, 1, 1, 1, 1, 1, 1, 1, 0} << 12;
        QTest::newRow("numeric question adds the value")
            << 1 << QByteArray("7") << QByteArray("7") << QByteArray("7")
            << Counts{7, 0, 0, 0, 0, 0, 0, 0, 0} << 12;
        QTest::newRow("numeric NG") << 1 << QByteArray("9") << QByteArray("9") << QByteArray("9")
                                    << Counts{0, 0, 0, 0, 0, 0, 0, 0, 1} << 12;
        QTest::newRow("numeric with two characters keeps digit 1")
            << 1 << QByteArray("12") << QByteArray("1") << QByteArray("1")
            << Counts{1, 0, 0, 0, 0, 0, 0, 0, 0} << 12;
        QTest::newRow("no choices adds the value")
            << 0 << QByteArray("4") << QByteArray("4") << QByteArray("4")
            << Counts{4, 0, 0, 0, 0, 0, 0, 0, 0} << 12;
        QTest::newRow("no choices with two characters")
            << 0 << QByteArray("44") << QByteArray("0") << QByteArray() << Counts(9, 0) << 10;
        QTest::newRow("numeric zero")
            << 1 << QByteArray("0") << QByteArray("0") << QByteArray("0") << Counts(9, 0) << 10;
    }
    void dataIN() {
        QFETCH(int, choices);
        QFETCH(QByteArray, buffer);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, normalised);
        QFETCH(Counts, tally);
        QFETCH(int, respondentCount);
        SurveyDocument doc;
        doc.ChoiceCount[3] = choices;
        doc.CurrentQuestion = 3;
        doc.CurrentRespondent = 12;
        doc.RespondentCount = 10;
        doc.EntryBuffer = buffer.toStdString();
        vev::dataIN(doc);
        QCOMPARE(bytes(doc.Answers[12][3]), answer);
        QCOMPARE(bytes(doc.EntryBuffer), normalised);
        QCOMPARE(tallyOf(doc, 3), tally);
        QCOMPARE(doc.RespondentCount, respondentCount);
    }

    void replace_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Counts>("tally");
        QTest::newRow("several by one")
            << 5 << QByteArray("135") << QByteArray("2") << Counts{0, 1, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("NG by unanswered")
            << 5 << QByteArray("x") << QByteArray("0") << Counts(9, 0);
        QTest::newRow("numeric value by another")
            << 1 << QByteArray("7") << QByteArray("3") << Counts{3, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("numeric NG by a value")
            << 0 << QByteArray("9") << QByteArray("5") << Counts{5, 0, 0, 0, 0, 0, 0, 0, 0};
    }
    void replace() {
        QFETCH(int, choices);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(Counts, tally);
        SurveyDocument doc;
        setUp(doc, {2, choices}, {"1", before}, 4);
        doc.CurrentQuestion = 2;
        doc.EntryBuffer = after.toStdString();
        const QByteArray stored = bytes(doc.Answers[4][2]);
        dataDEL(doc);
        QCOMPARE(bytes(doc.Answers[4][2]), stored); // withdrawing leaves the answer in place
        vev::dataIN(doc);
        QCOMPARE(tallyOf(doc, 2), tally);
        QCOMPARE(tallyOf(doc, 1), (Counts{1, 0, 0, 0, 0, 0, 0, 0, 0}));
    }

    void respondentCountOnlyRises() {
        SurveyDocument doc;
        setUp(doc, {3}, {"2"}, 12);
        QCOMPARE(doc.RespondentCount, 12);
        doc.CurrentRespondent = 13;
        doc.EntryBuffer = "0";
        vev::dataIN(doc);
        QCOMPARE(doc.RespondentCount, 12);
        doc.CurrentRespondent = 3;
        doc.EntryBuffer = "1";
        vev::dataIN(doc);
        QCOMPARE(doc.RespondentCount, 12);
    }

    void conversionFailure_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<QString>("message");
        QTest::newRow("letter, numeric question")
            << 1 << QByteArray("x") << QStringLiteral("'x' is not a valid integer value");
        QTest::newRow("blank, no choices")
            << 0 << QByteArray(" ") << QStringLiteral("' ' is not a valid integer value");
    }
    void conversionFailure() {
        QFETCH(int, choices);
        QFETCH(QByteArray, buffer);
        QFETCH(QString, message);
        SurveyDocument doc;
        setUp(doc, {choices}, {"5"}, 2);
        doc.RespondentCount = 1;
        doc.CurrentRespondent = 3;
        doc.EntryBuffer = buffer.toStdString();
        try {
            vev::dataIN(doc);
            QFAIL("no conversion failure");
        } catch (const VevError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
        QVERIFY(doc.Answers[3][1].empty());
        QCOMPARE(tallyOf(doc, 1), (Counts{5, 0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(doc.RespondentCount, 1);
    }

    void kensa_data() {
        QTest::addColumn<Counts>("choices");
        QTest::addColumn<Texts>("answers");
        QTest::addColumn<int>("respondent");
        QTest::addColumn<int>("firstOpen");
        QTest::addColumn<int>("respondentCount");
        // RespondentCount is 5 before each check.
        QTest::newRow("last respondent wholly open is dropped")
            << Counts{2, 3} << Texts{"0", ""} << 5 << 1 << 4;
        QTest::newRow("earlier respondent wholly open stays")
            << Counts{2, 3} << Texts{"0", ""} << 3 << 1 << 5;
        QTest::newRow("only numeric questions open")
            << Counts{1, 3, 0} << Texts{"0", "2", ""} << 5 << 0 << 5;
        QTest::newRow("first open choice question")
            << Counts{1, 2, 2, 3} << Texts{"0", "1", "2", "0"} << 5 << 4 << 5;
        QTest::newRow("all answered") << Counts{2, 3} << Texts{"1", "23"} << 5 << 0 << 5;
    }
    void kensa() {
        QFETCH(Counts, choices);
        QFETCH(Texts, answers);
        QFETCH(int, respondent);
        QFETCH(int, firstOpen);
        QFETCH(int, respondentCount);
        SurveyDocument doc;
        setUp(doc, choices, answers, respondent);
        doc.RespondentCount = 5;
        vev::kensa(doc);
        QCOMPARE(doc.FirstOpenQuestion, firstOpen);
        QCOMPARE(doc.RespondentCount, respondentCount);
    }

    void hitoribun_data() {
        QTest::addColumn<Counts>("choices");
        QTest::addColumn<Texts>("answers");
        QTest::addColumn<Texts>("shown");
        QTest::addColumn<int>("firstOpen");
        QTest::newRow("never visited")
            << Counts{1, 2, 3} << Texts{"", "", ""} << Texts{"0", "0", "0"} << 2;
        QTest::newRow("partly answered")
            << Counts{2, 3, 4} << Texts{"1", "", "24"} << Texts{"1", "0", "24"} << 2;
        // Unlike the completeness check, a wholly open respondent does not give question 1.
        QTest::newRow("only numeric open")
            << Counts{1, 2} << Texts{"", "2"} << Texts{"0", "2"} << 0;
    }
    void hitoribun() {
        QFETCH(Counts, choices);
        QFETCH(Texts, answers);
        QFETCH(Texts, shown);
        QFETCH(int, firstOpen);
        SurveyDocument doc;
        setUp(doc, choices, answers, 7);
        const std::int32_t before = doc.RespondentCount;
        vev::hitoribun(doc);
        Texts after;
        for (int q = 1; q <= doc.QuestionCount; ++q) after << bytes(doc.Answers[7][q]);
        QCOMPARE(after, shown);
        QCOMPARE(doc.FirstOpenQuestion, firstOpen);
        QCOMPARE(doc.RespondentCount, before);
    }
};

QTEST_GUILESS_MAIN(TestRecording)
#include "tst_recording.moc"
