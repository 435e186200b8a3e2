#include "survey/journal_recovery.h"

#include "core_test_util.h"
#include "model/recording.h"
#include "fake_platform.h"
#include "model/data_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using test::u;

namespace {

using Doc = std::unique_ptr<SurveyDocument>;

enum class Journal {
    None,
    TwoAnswers,         // respondent 3 answers question 1 and 2
    TwoAnswersCut,      // the same and a record cut by the crash
    Foreign,            // two answers journaled for another questionnaire
    Empty,              // a file of no bytes
    HeaderOnly,         // created, never written to
    HeaderCut,          // the crash came while the file was made
    HeaderAndCutRecord, // the first change was cut
    NotAJournal,        // some other file under the journal's name
    Bound,              // two answers, begun on sample.dat as it is
    Changed,            // two answers, begun on a data file of other bytes
    Damaged,            // two answers, a third with a changed byte, a fourth whole one
};

// sample.dat as the window loads it: three questions, two respondents.
Doc loadSample(const QString& folder) {
    const QString path = folder + QStringLiteral("/sample.dat");
    QFile::copy(test::testData("sample.dat"), path);
    auto doc = std::make_unique<SurveyDocument>();
    doc->OpenRequestPath = test::native(path);
    SilentEvents events;
    Loaddatafile(*doc, events);
    return doc;
}

QByteArray journalBytes(Journal kind, const SurveyDocument& loaded) {
    SurveyDocument doc = loaded;
    if (kind == Journal::Foreign) doc.ChoiceCount[2] = 4;
    auto frame = [](const JournalRecord& r) { return test::bytes(encodeJournalRecord(r)); };
    JournalRecord header;
    header.kind = JournalKind::Header;
    header.questionnaire = std::make_shared<Questionnaire>(Questionnaire::of(doc));
    if (kind == Journal::Bound) header.stamp = stampOf(doc.DataFilePath);
    if (kind == Journal::Changed) header.stamp = {true, 1, 0, 0};
    auto answer = [&](int q, const char* text) {
        doc.CurrentRespondent = 3;
        hitoribun(doc);
        doc.CurrentQuestion = q;
        doc.EntryBuffer = text;
        dataDEL(doc);
        dataIN(doc);
        return frame(JournalRecord::answer(doc, 3, q));
    };
    switch (kind) {
    case Journal::None:
        return {};
    case Journal::Damaged:
        return frame(header) + answer(1, "2") + answer(2, "5") +
               answer(3, "2").replace(11, 1, "3") + answer(3, "1");
    case Journal::TwoAnswers:
    case Journal::Bound:
    case Journal::Changed:
    case Journal::Foreign:
        return frame(header) + answer(1, "2") + answer(2, "5");
    case Journal::TwoAnswersCut:
        return frame(header) + answer(1, "2") + answer(2, "5") + answer(3, "24").left(9);
    case Journal::Empty:
        return QByteArray("");
    case Journal::HeaderOnly:
        return frame(header);
    case Journal::HeaderCut:
        return frame(header).left(20);
    case Journal::HeaderAndCutRecord:
        return frame(header) + answer(1, "2").left(12);
    case Journal::NotAJournal:
        return QByteArray("VEV v1.11  \r\n");
    }
    return {};
}

QStringList asideFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("sample.dat.journal.*")}, QDir::Files);
}

} // namespace

class TestJournalRecovery : public QObject {
    Q_OBJECT

private slots:
    void recovery_data() {
        QTest::addColumn<int>("journal");
        QTest::addColumn<int>("answer"); // to the prompt; -1: no prompt expected
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("notice"); // the start of the positioned message, if any
        QTest::addColumn<bool>("journalLeft");
        QTest::addColumn<int>("asideCount");
        QTest::addColumn<bool>("replayed");
        const int none = -1;
        const int yes = int(Platform::Answer::Yes);
        const int no = int(Platform::Answer::No);
        const QString cut = u("入力の記録の末尾が途中で切れていた");
        QTest::newRow("no journal") << int(Journal::None) << none << int(RecoveryOutcome::NoJournal)
                                    << QString() << false << 0 << false;
        QTest::newRow("Yes replays")
            << int(Journal::TwoAnswers) << yes << int(RecoveryOutcome::Replayed) << QString()
            << true << 0 << true;
        QTest::newRow("No keeps it aside")
            << int(Journal::TwoAnswers) << no << int(RecoveryOutcome::KeptAside) << QString()
            << false << 1 << false;
        QTest::newRow("cut, Yes replays the whole records and keeps a copy")
            << int(Journal::TwoAnswersCut) << yes << int(RecoveryOutcome::Replayed) << cut << true
            << 1 << true;
        QTest::newRow("cut, No") << int(Journal::TwoAnswersCut) << no
                                 << int(RecoveryOutcome::KeptAside) << QString() << false << 1
                                 << false;
        QTest::newRow("another questionnaire")
            << int(Journal::Foreign) << none << int(RecoveryOutcome::Foreign)
            << u("見つかった入力の記録は別のアンケートのもの") << false << 1 << false;
        QTest::newRow("bound to the file as it is")
            << int(Journal::Bound) << yes << int(RecoveryOutcome::Replayed) << QString() << true
            << 0 << true;
        QTest::newRow("data file changed since")
            << int(Journal::Changed) << none << int(RecoveryOutcome::Changed)
            << u("sample.datのデータファイルが記録の開始後に変わっているため、復元しません。")
            << false << 1 << false;
        QTest::newRow("damaged inside: counts")
            << int(Journal::Damaged) << yes << int(RecoveryOutcome::Replayed)
            << u("入力の記録の一部が壊れていたため、2件を復元し、2件は読み取れませんでした。")
            << true << 1 << true;
        QTest::newRow("empty") << int(Journal::Empty) << none << int(RecoveryOutcome::NoJournal)
                               << QString() << false << 0 << false;
        QTest::newRow("header only")
            << int(Journal::HeaderOnly) << none << int(RecoveryOutcome::NoJournal) << QString()
            << false << 0 << false;
        QTest::newRow("header cut")
            << int(Journal::HeaderCut) << none << int(RecoveryOutcome::NoJournal) << QString()
            << false << 0 << false;
        QTest::newRow("first change cut")
            << int(Journal::HeaderAndCutRecord) << none << int(RecoveryOutcome::Unreadable) << cut
            << false << 1 << false;
        QTest::newRow("not a journal")
            << int(Journal::NotAJournal) << none << int(RecoveryOutcome::Unreadable)
            << u("見つかった入力の記録を読み取れない") << false << 1 << false;
    }
    void recovery() {
        QFETCH(int, journal);
        QFETCH(int, answer);
        QFETCH(int, outcome);
        QFETCH(QString, notice);
        QFETCH(bool, journalLeft);
        QFETCH(int, asideCount);
        QFETCH(bool, replayed);
        QTemporaryDir dir;
        Doc doc = loadSample(dir.path());
        QCOMPARE(doc->RespondentCount, 2);
        const std::string path = journalPathFor(doc->DataFilePath);
        const QByteArray bytes = journalBytes(Journal(journal), *doc);
        if (Journal(journal) != Journal::None)
            QVERIFY(test::writeFile(QString::fromStdString(path), bytes));
        const SurveyDocument before = *doc;

        FakePlatform platform;
        SilentEvents events;
        if (answer >= 0) platform.expectMessage(Platform::Answer(answer));
        if (!notice.isEmpty()) platform.expectPositionedMessage();
        const RecoveryResult result = recoverJournal(*doc, platform, nullptr, events, path);
        QString why;
        QVERIFY2(platform.verifyDone(&why), qPrintable(why));
        QCOMPARE(int(result.outcome), outcome);
        if (answer >= 0) {
            const FakePlatform::ShownMessage& prompt = platform.messages.first();
            QCOMPARE(prompt.caption, u("復元確認"));
            QCOMPARE(prompt.text, u("前回保存されていない入力が見つかりました。復元しますか？"));
            QCOMPARE(prompt.icon, Platform::Icon::Question);
            QCOMPARE(prompt.buttons, Platform::Buttons::YesNo);
        }
        if (!notice.isEmpty()) {
            const QString shown = platform.messages.last().text;
            QVERIFY2(shown.startsWith(notice), qPrintable(shown));
            QVERIFY(shown.endsWith(QLatin1Char('\r') + asideFiles(dir.path()).value(0)));
        }
        QCOMPARE(QFile::exists(QString::fromStdString(path)), journalLeft);
        const QStringList aside = asideFiles(dir.path());
        QCOMPARE(aside.size(), asideCount);
        if (asideCount == 1) QCOMPARE(test::readAll(dir.filePath(aside[0])), bytes); // whole

        if (replayed) {
            QCOMPARE(result.replayed, 2);
            QCOMPARE(doc->Answers[3][1].str(), std::string("2"));
            QCOMPARE(doc->Answers[3][2].str(), std::string("5"));
            QCOMPARE(doc->Answers[3][3].str(), std::string("0"));
            QCOMPARE(doc->RespondentCount, 3);
            QCOMPARE(doc->Tally[1][2], before.Tally[1][2] + 1);
            QCOMPARE(doc->Tally[2][5], before.Tally[2][5] + 1);
            QVERIFY(doc->Modified);
        } else {
            QCOMPARE(doc->RespondentCount, 2);
            QVERIFY(doc->Answers == before.Answers);
            QVERIFY(doc->Tally == before.Tally);
            QVERIFY(!doc->Modified);
        }
    }

    // After Yes the journal goes on from its last whole record.
    void resumeAfterYes() {
        QTemporaryDir dir;
        Doc doc = loadSample(dir.path());
        const std::string path = journalPathFor(doc->DataFilePath);
        QVERIFY(test::writeFile(QString::fromStdString(path),
                                journalBytes(Journal::TwoAnswersCut, *doc)));
        const SurveyDocument before = *doc;
        FakePlatform platform;
        SilentEvents events;
        platform.expectMessage(Platform::Answer::Yes);
        platform.expectPositionedMessage();
        const RecoveryResult result = recoverJournal(*doc, platform, nullptr, events, path);
        QVERIFY(platform.verifyDone());
        JournalWriter writer;
        writer.resume(path, result.contents.base, result.contents.wholeEnd);
        QVERIFY(writer.append(JournalRecord::respondentCount(3)));
        writer.close();
        const JournalContents read = readJournal(path);
        QVERIFY(!read.cut());
        QVERIFY(read.belongsTo(before));
        QCOMPARE(read.records.size(), std::size_t(3));
    }

    // A journal that cannot be written is reported once; entry goes on.
    void failureReportedOnce() {
        JournalWriter writer;
        writer.start("/proc/vev-test/sample.dat.journal", {});
        FakePlatform platform;
        reportJournalFailure(writer, platform, nullptr);
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(!writer.append(JournalRecord::clearAnswers()));
        platform.expectPositionedMessage();
        reportJournalFailure(writer, platform, nullptr);
        QVERIFY(!writer.append(JournalRecord::clearAnswers()));
        reportJournalFailure(writer, platform, nullptr);
        QVERIFY(platform.verifyDone());
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].text,
                 u("入力の記録を書き込めないため、このアンケートでは入力の復元ができません。"
                   "入力はこのまま続けられます。\r/proc/vev-test/sample.dat.journal"));
    }
};

QTEST_MAIN(TestJournalRecovery)
#include "tst_journal_recovery_window.moc"
