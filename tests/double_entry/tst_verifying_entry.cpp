// Re-keying against the stored answers, without a window: what each keying does to the cell,
// the tally (recounted from the stored answers after every step) and the counters.
//
// The survey: 1 (5 choices), 2 (5, several at once), 3 (1, a number), 4 (2 choices).
// Respondent 1 answered 3, 135, 7 and left question 4 never recorded; respondent 2 answered
// 2, 24, 3, 0. RespondentCount is 2.
#include "double_entry/verifying_entry.h"

#include "core_test_util.h"
#include "model/recording.h"
#include "survey_fixtures.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

using namespace vev;
using test::u;
using Action = VerifyingEntry::Action;

namespace {

std::unique_ptr<SurveyDocument> survey() {
    auto doc = std::make_unique<SurveyDocument>();
    doc->QuestionCount = 4;
    const int choices[] = {5, 5, 1, 2};
    for (int q = 1; q <= 4; ++q) doc->ChoiceCount[q] = choices[q - 1];
    doc->MultiSelect[2] = true;
    const char* answers[2][4] = {{"3", "135", "7", nullptr}, {"2", "24", "3", "0"}};
    for (int r = 1; r <= 2; ++r)
        for (int q = 1; q <= 4; ++q) {
            if (!answers[r - 1][q - 1]) continue;
            doc->CurrentRespondent = r;
            doc->CurrentQuestion = q;
            doc->EntryBuffer = answers[r - 1][q - 1];
            dataIN(*doc);
        }
    return doc;
}

// Tally equals the contributions of the stored answers.
bool tallyMatchesAnswers(const SurveyDocument& doc) {
    for (int q = 1; q <= doc.QuestionCount; ++q)
        if (!test::tallyMatchesAnswers(doc, q)) return false;
    return true;
}

QString name(Action action) {
    switch (action) {
    case Action::RecordedAsUsual:
        return u("usual");
    case Action::Agreed:
        return u("agreed");
    case Action::Mismatch:
        return u("mismatch");
    case Action::KeyedWins:
        return u("keyed wins");
    case Action::StoredStands:
        return u("stored stands");
    }
    return {};
}

VerifyingEntry::Step keyInto(SurveyDocument& doc, VerifyingEntry& verifier, int r, int q,
                             const QByteArray& buffer) {
    doc.CurrentRespondent = r;
    doc.CurrentQuestion = q;
    doc.EntryBuffer = buffer.toStdString();
    return verifier.key(doc);
}

} // namespace

class TestVerifyingEntry : public QObject {
    Q_OBJECT

private slots:
    void keying_data() {
        QTest::addColumn<QStringList>("keys");    // "respondent:question:buffer"
        QTest::addColumn<QStringList>("actions"); // one per key
        QTest::addColumn<QString>("answer");      // of the last keyed cell afterwards
        QTest::addColumn<int>("respondentCount");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("status");

        const auto status = [](const char* counts) {
            return u("照合入力　") + u(counts) + u("　未照合 0件");
        };
        QTest::newRow("equal") << QStringList{u("1:1:3")} << QStringList{u("agreed")} << u("3") << 2
                               << false << status("確認 1件　相違 0件　誤り率 0.00%");
        QTest::newRow("different then confirmed")
            << QStringList{u("1:1:4"), u("1:1:4")} << QStringList{u("mismatch"), u("keyed wins")}
            << u("4") << 2 << true << status("確認 1件　相違 1件　誤り率 100.00%");
        QTest::newRow("different then corrected")
            << QStringList{u("1:1:4"), u("1:1:3")} << QStringList{u("mismatch"), u("stored stands")}
            << u("3") << 2 << false << status("確認 1件　相違 1件　誤り率 100.00%");
        QTest::newRow("different twice, then confirmed")
            << QStringList{u("1:1:4"), u("1:1:5"), u("1:1:5")}
            << QStringList{u("mismatch"), u("mismatch"), u("keyed wins")} << u("5") << 2 << true
            << status("確認 1件　相違 1件　誤り率 100.00%");
        QTest::newRow("several choices compared in stored form")
            << QStringList{u("1:2:531")} << QStringList{u("agreed")} << u("135") << 2 << false
            << status("確認 1件　相違 0件　誤り率 0.00%");
        QTest::newRow("several choices confirmed in another order")
            << QStringList{u("1:2:13"), u("1:2:31")} << QStringList{u("mismatch"), u("keyed wins")}
            << u("13") << 2 << true << status("確認 1件　相違 1件　誤り率 100.00%");
        QTest::newRow("two digits above the choices are the same NG")
            << QStringList{u("2:1:7"), u("2:1:8")} << QStringList{u("mismatch"), u("keyed wins")}
            << u("9") << 2 << true << status("確認 1件　相違 1件　誤り率 100.00%");
        QTest::newRow("number") << QStringList{u("2:3:3")} << QStringList{u("agreed")} << u("3")
                                << 2 << false << status("確認 1件　相違 0件　誤り率 0.00%");
        QTest::newRow("stored unanswered is checked too")
            << QStringList{u("2:4:1"), u("2:4:1")} << QStringList{u("mismatch"), u("keyed wins")}
            << u("1") << 2 << true << status("確認 1件　相違 1件　誤り率 100.00%");
        QTest::newRow("never recorded cell records as usual")
            << QStringList{u("1:4:2")} << QStringList{u("usual")} << u("2") << 2 << true
            << status("確認 0件　相違 0件　誤り率 －");
        QTest::newRow("new respondent records as usual")
            << QStringList{u("3:1:4"), u("3:1:2")} << QStringList{u("usual"), u("usual")} << u("2")
            << 3 << true << status("確認 0件　相違 0件　誤り率 －");
        QTest::newRow("keying another cell drops the pending mismatch")
            << QStringList{u("1:1:4"), u("1:2:135"), u("1:1:4")}
            << QStringList{u("mismatch"), u("agreed"), u("mismatch")} << u("3") << 2 << false
            << status("確認 1件　相違 0件　誤り率 0.00%");
        QTest::newRow("error rate rounded up")
            << QStringList{u("1:1:3"), u("1:2:135"), u("1:3:5"), u("1:3:5")}
            << QStringList{u("agreed"), u("agreed"), u("mismatch"), u("keyed wins")} << u("5") << 2
            << true << status("確認 3件　相違 1件　誤り率 33.34%");
    }
    void keying() {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, actions);
        QFETCH(QString, answer);
        QFETCH(int, respondentCount);
        QFETCH(bool, modified);
        QFETCH(QString, status);

        const auto doc = survey();
        VerifyingEntry verifier;
        verifier.start(*doc);
        int r = 0, q = 0;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const QStringList parts = keys[i].split(QLatin1Char(':'));
            r = parts[0].toInt();
            q = parts[1].toInt();
            const auto step = keyInto(*doc, verifier, r, q, parts[2].toLatin1());
            QCOMPARE(name(step.action), actions[i]);
            QVERIFY2(tallyMatchesAnswers(*doc), qPrintable(keys[i]));
            QCOMPARE(verifier.pending(), step.action == Action::Mismatch);
        }
        QCOMPARE(QString::fromLatin1(doc->Answers[r][q].view()), answer);
        QCOMPARE(doc->RespondentCount, respondentCount);
        QCOMPARE(doc->Modified, modified);
        QCOMPARE(verifier.statusText(*doc), status);
    }

    // Blind re-keying: which boxes of the respondents checked show nothing after the keys, and
    // how many answers of the respondents left count as unverified.
    void blind_data() {
        QTest::addColumn<QStringList>("keys"); // "respondent:question:buffer"; "r" shows r
        QTest::addColumn<QString>("hidden");   // "r:q" cells of respondents 1 and 2
        QTest::addColumn<int>("unverified");
        const QString all = u("1:1 1:2 1:3 2:1 2:2 2:3 2:4");
        QTest::newRow("nothing keyed") << QStringList() << all << 0;
        QTest::newRow("agreed, kept and mismatched keyings")
            << QStringList{u("1:1:3"), u("1:2:4"), u("1:2:4"), u("1:3:8")}
            << u("1:3 2:1 2:2 2:3 2:4") << 0;
        QTest::newRow("respondent 1 left for 2")
            << QStringList{u("1:1:3"), u("2")} << u("1:2 1:3 2:1 2:2 2:3 2:4") << 2;
        QTest::newRow("both passed") << QStringList{u("1"), u("2"), u("1")} << all << 7;
        QTest::newRow("a new respondent is not hidden")
            << QStringList{u("3:1:4"), u("2")} << all << 0;
    }
    void blind() {
        QFETCH(QStringList, keys);
        const auto doc = survey();
        VerifyingEntry verifier;
        verifier.start(*doc);
        for (const QString& key : keys) {
            const QStringList parts = key.split(QLatin1Char(':'));
            if (parts.size() == 1)
                verifier.shown(parts[0].toInt());
            else
                keyInto(*doc, verifier, parts[0].toInt(), parts[1].toInt(), parts[2].toLatin1());
        }
        QStringList hidden;
        for (int r = 1; r <= 3; ++r)
            for (int q = 1; q <= 4; ++q)
                if (verifier.hides(*doc, r, q)) hidden << u("%1:%2").arg(r).arg(q);
        QTEST(hidden.join(QLatin1Char(' ')), "hidden");
        QTEST(int(verifier.unverified(*doc)), "unverified");
    }

    void mismatchShowsBothAnswers() {
        const auto doc = survey();
        VerifyingEntry verifier;
        verifier.start(*doc);
        const auto step = keyInto(*doc, verifier, 2, 2, "5");
        QCOMPARE(step.action, Action::Mismatch);
        QCOMPARE(VerifyingEntry::mismatchText(step),
                 u("登録済み 24　入力 5　もう一度入力してください"));
        QCOMPARE(verifier.pendingRespondent(), 2);
        QCOMPARE(verifier.pendingQuestion(), 2);
        verifier.abandon();
        // After the operator moved away, the same keying is a first keying again.
        QCOMPARE(keyInto(*doc, verifier, 2, 2, "5").action, Action::Mismatch);
        QCOMPARE(verifier.differences(), 0L);
    }

    // Random keyings over the cells: the tally always matches the answers, an answer changes
    // only when the rule records, and a keyed answer wins only when it was keyed just before.
    void randomKeyings() {
        const auto doc = survey();
        VerifyingEntry verifier;
        verifier.start(*doc);
        QRandomGenerator random(20261208);
        const char* buffers[] = {"0", "1", "2", "3", "5", "7", "9", "24", "42", "135", "13"};
        QString lastKeyed;
        int lastR = 0, lastQ = 0;
        long recorded = 0;
        for (int i = 0; i < 3000; ++i) {
            const int r = random.bounded(1, 4);
            const int q = random.bounded(1, 5);
            const QByteArray buffer(buffers[random.bounded(11)]);
            const AnswerString before = doc->Answers[r][q];
            const bool newRespondent = r > 2;
            const auto step = keyInto(*doc, verifier, r, q, buffer);
            QVERIFY(tallyMatchesAnswers(*doc));
            const bool records =
                step.action == Action::RecordedAsUsual || step.action == Action::KeyedWins;
            if (!records) QVERIFY(doc->Answers[r][q] == before);
            if (records) ++recorded;
            if (newRespondent) QCOMPARE(step.action, Action::RecordedAsUsual);
            if (step.action == Action::KeyedWins) {
                QCOMPARE(lastR, r);
                QCOMPARE(lastQ, q);
                QCOMPARE(QString::fromLatin1(step.keyed.view()), lastKeyed);
            }
            lastKeyed = step.action == Action::Mismatch ? QString::fromLatin1(step.keyed.view())
                                                        : QString();
            lastR = r;
            lastQ = q;
            QVERIFY(verifier.differences() <= verifier.verified());
        }
        QVERIFY(recorded > 0);
        QVERIFY(verifier.differences() > 0);
    }

    // The keyed answer is compared in the form recording would store it.
    void normalisedLikeRecording() {
        const auto doc = std::make_unique<SurveyDocument>();
        doc->QuestionCount = 1;
        doc->CurrentRespondent = 1;
        doc->CurrentQuestion = 1;
        QRandomGenerator random(7);
        const char alphabet[] = "0123456789 x";
        for (int i = 0; i < 5000; ++i) {
            const int k = random.bounded(0, 9);
            std::string buffer;
            for (int n = random.bounded(0, 11); n > 0; --n) buffer += alphabet[random.bounded(12)];
            if (buffer.size() == 1 && k < 2 && (buffer[0] < '0' || buffer[0] > '9'))
                continue; // no value to record: recording refuses it
            doc->ChoiceCount[1] = k;
            dataDEL(*doc);
            doc->EntryBuffer = buffer;
            dataIN(*doc);
            QCOMPARE(QString::fromLatin1(normalisedAnswer(k, buffer).view()),
                     QString::fromLatin1(doc->Answers[1][1].view()));
        }
    }
};

QTEST_GUILESS_MAIN(TestVerifyingEntry)
#include "tst_verifying_entry.moc"
