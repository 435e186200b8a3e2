#include "survey/journal.h"

#include "core_test_util.h"
#include "editor/clear_document.h"
#include "editor/questionnaire_apply.h"
#include "model/recording.h"
#include "linked/tally_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace vev;

namespace {

using Doc = std::unique_ptr<SurveyDocument>;

// A survey as a load leaves it: questions with 0, 1, 2, 5 and 8 choices, the last multi-select.
Doc sampleSurvey(const QString& folder) {
    auto doc = std::make_unique<SurveyDocument>();
    doc->SurveyTitle = "Lunch";
    doc->DataFilePath = test::native(folder + QStringLiteral("/lunch.dat"));
    const int choices[] = {2, 5, 1, 0, 8};
    doc->QuestionCount = 5;
    for (int q = 1; q <= 5; ++q) {
        doc->QuestionText[q] = "Q" + std::to_string(q);
        doc->ChoiceCount[q] = choices[q - 1];
    }
    doc->MultiSelect[5] = true;
    hitoribun(*doc);
    return doc;
}

// A tally file titled "Lunch" with counts 1..8 and NG 1 on each of 8 question lines.
QString writeTallyFile(const QString& folder, int n) {
    const QString path = folder + QStringLiteral("/add%1.csv").arg(n);
    QStringList lines{QStringLiteral("Lunch,"), QString(), QStringLiteral("No,Q,1,2")};
    for (int q = 1; q <= 8; ++q) lines << QStringLiteral("%1,Q,%2,2,3,4,5,6,7,8,1").arg(q).arg(n);
    return test::writeLines(path, lines) ? path : QString();
}

// The live side of the model test: each change is made the way the window makes it and
// journaled.
class LiveSurvey {
public:
    LiveSurvey(const QString& folder, JournalWriter& writer)
        : doc(sampleSurvey(folder)), folder_(folder), writer_(writer) {}

    Doc doc;
    std::vector<JournalRecord> records;

    void step(QRandomGenerator& rng) {
        SurveyDocument& d = *doc;
        const int op = rng.bounded(1000);
        if (op < 750) {
            if (d.QuestionCount == 0) return;
            d.CurrentRespondent = 1 + rng.bounded(std::min(d.RespondentCount + 1, MaxRespondents));
            hitoribun(d);
            d.CurrentQuestion = 1 + rng.bounded(d.QuestionCount);
            static const char* typed[] = {"0", "1", "2", "3", "7", "9", "x", "135", "8642", ""};
            d.EntryBuffer = typed[rng.bounded(10)];
            if (d.ChoiceCount[d.CurrentQuestion] < 2 && d.EntryBuffer.size() == 1 &&
                d.EntryBuffer[0] == 'x')
                d.EntryBuffer = "4";
            dataDEL(d);
            dataIN(d);
            add(JournalRecord::answer(d, d.CurrentRespondent, d.CurrentQuestion));
        } else if (op < 850) {
            // The operator moves on (the completeness check runs), at times after answering
            // "0" to every question of the last respondent, which drops that respondent.
            if (op < 790 && d.RespondentCount > 0 && d.QuestionCount > 0) {
                d.CurrentRespondent = d.RespondentCount;
                for (int q = 1; q <= d.QuestionCount; ++q) {
                    d.CurrentQuestion = q;
                    d.EntryBuffer = "0";
                    dataDEL(d);
                    dataIN(d);
                    add(JournalRecord::answer(d, d.CurrentRespondent, q));
                }
            }
            const int before = d.RespondentCount;
            kensa(d);
            if (d.RespondentCount != before) add(JournalRecord::respondentCount(d.RespondentCount));
        } else if (op < 890) {
            const std::string path = test::native(writeTallyFile(folder_, 1 + rng.bounded(3)));
            if (addRefusal(d, path) != AddRefusal::None) return;
            d.CurrentTallyFilePath = path;
            SilentEvents events;
            csvRead(d, events);
            if (d.LastOperationSucceeded) add(JournalRecord::link(path));
        } else if (op < 920 && d.LinkedTallyFileCount > 0) {
            const std::string path = d.LinkedTallyFile[1 + rng.bounded(d.LinkedTallyFileCount)];
            SilentEvents events;
            unlinkTallyFile(d, path, events);
            add(JournalRecord::unlink(path));
        } else if (op < 960) {
            Questionnaire qn;
            qn.SurveyTitle = rng.bounded(4) == 0 ? "Dinner" : "Lunch";
            qn.QuestionCount = 1 + rng.bounded(8);
            for (int q = 1; q <= qn.QuestionCount; ++q) {
                qn.QuestionText[q] = "T" + std::to_string(rng.bounded(100));
                qn.ChoiceCount[q] = q == 1 ? 1 + rng.bounded(8) : rng.bounded(9);
                qn.MultiSelect[q] = qn.ChoiceCount[q] >= 2 && rng.bounded(2) == 0;
            }
            SilentEvents events;
            applyQuestionnaire(d, qn, events);
            add(JournalRecord::apply(d));
        } else if (op < 970) {
            DClear(d);
            add(JournalRecord::clearAnswers());
        } else if (op < 975) {
            AClear(d);
            add(JournalRecord::clearAll());
        }
    }

private:
    void add(const JournalRecord& record) {
        QVERIFY(writer_.append(record));
        records.push_back(record);
    }
    QString folder_;
    JournalWriter& writer_;
};

std::string fileBytes(const QString& path) {
    return test::readAll(path).toStdString();
}

} // namespace

class TestJournal : public QObject {
    Q_OBJECT

private slots:
    // Each kind of record goes through the file and comes back with its fields.
    void recordKinds_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("answer") << int(JournalKind::Answer);
        QTest::newRow("answer undone to never recorded") << 0;
        QTest::newRow("apply") << int(JournalKind::Apply);
        QTest::newRow("link") << int(JournalKind::Link);
        QTest::newRow("unlink") << int(JournalKind::Unlink);
        QTest::newRow("link data file") << int(JournalKind::LinkData);
        QTest::newRow("unlink data file") << int(JournalKind::UnlinkData);
        QTest::newRow("clear answers") << int(JournalKind::ClearAnswers);
        QTest::newRow("clear all") << int(JournalKind::ClearAll);
        QTest::newRow("respondent count") << int(JournalKind::RespondentCount);
    }
    void recordKinds() {
        QFETCH(int, kind);
        QTemporaryDir dir;
        Doc doc = sampleSurvey(dir.path());
        doc->CurrentRespondent = 999;
        doc->CurrentQuestion = 40;
        doc->EntryBuffer = "8531";
        doc->ChoiceCount[40] = 8;
        dataIN(*doc);
        JournalRecord record;
        if (kind == 0)
            record = JournalRecord::answer(*doc, 7, 1);
        else
            switch (JournalKind(kind)) {
            case JournalKind::Answer:
                record = JournalRecord::answer(*doc, 999, 40);
                break;
            case JournalKind::Apply:
                record = JournalRecord::apply(*doc);
                break;
            case JournalKind::Link:
                record = JournalRecord::link("/tmp/\x8f\x57\x8c\x76.csv");
                break;
            case JournalKind::Unlink:
                record = JournalRecord::unlink("/a b/c.csv");
                break;
            case JournalKind::LinkData:
                record = JournalRecord::linkData("/a b/\x8f\x57\x8c\x76.dat");
                break;
            case JournalKind::UnlinkData:
                record = JournalRecord::unlinkData("/a/b.dat");
                break;
            case JournalKind::ClearAnswers:
                record = JournalRecord::clearAnswers();
                break;
            case JournalKind::ClearAll:
                record = JournalRecord::clearAll();
                break;
            default:
                record = JournalRecord::respondentCount(998);
                break;
            }
        const std::string path = test::native(dir.filePath(QStringLiteral("lunch.dat.journal")));
        JournalWriter writer;
        writer.start(path, Questionnaire::of(*doc));
        QVERIFY(!QFile::exists(QString::fromStdString(path))); // nothing until a change
        QVERIFY(writer.append(record));
        QVERIFY(writer.flush());
        writer.close();

        const JournalContents read = readJournal(path);
        QVERIFY(read.belongsTo(*doc));
        QVERIFY(!read.cut());
        QCOMPARE(read.records.size(), std::size_t(1));
        const JournalRecord& back = read.records[0];
        QCOMPARE(back.kind, record.kind);
        QCOMPARE(back.respondent, record.respondent);
        QCOMPARE(back.question, record.question);
        QCOMPARE(back.count, record.count);
        QCOMPARE(back.text, record.text);
        QCOMPARE(bool(back.questionnaire), bool(record.questionnaire));
        if (record.questionnaire) QVERIFY(*back.questionnaire == *record.questionnaire);
    }

    // The frame as documented, checked against bytes worked out by hand (CRC-32 of
    // 07 00 00 00 02 0c 00 03 02 '1' '3' by an outside tool: zlib.crc32 = 0xca5d6819).
    void frameBytes() {
        JournalRecord record;
        record.kind = JournalKind::Answer;
        record.respondent = 12;
        record.question = 3;
        record.text = "13";
        const QByteArray expected = QByteArray::fromHex("564a07000000020c000302313319685dca");
        QCOMPARE(test::bytes(encodeJournalRecord(record)).toHex(), expected.toHex());
    }

    // Random sequences of changes, journaled as the window journals them, replay into a fresh
    // copy of the survey as it was loaded to the same answers, counts and links.
    void replayEqualsJournaled_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 12; ++seed) QTest::addRow("seed %u", seed) << seed;
    }
    void replayEqualsJournaled() {
        QFETCH(quint32, seed);
        QTemporaryDir dir;
        const std::string path = test::native(dir.filePath(QStringLiteral("lunch.dat.journal")));
        JournalWriter writer;
        LiveSurvey live(dir.path(), writer);
        writer.start(path, Questionnaire::of(*live.doc));
        QRandomGenerator rng(seed);
        for (int i = 0; i < 800; ++i) {
            live.step(rng);
            if (QTest::currentTestFailed()) return;
        }
        writer.close();

        Doc fresh = sampleSurvey(dir.path());
        const JournalContents read = readJournal(path);
        QVERIFY(read.belongsTo(*fresh));
        QVERIFY(!read.cut());
        QCOMPARE(read.records.size(), live.records.size());
        SilentEvents events;
        replayJournal(*fresh, read.records, events);
        QCOMPARE(test::documentDifferences(*fresh, *live.doc), QString());
    }

    // Cut after any byte, the journal gives exactly the records that are whole before the cut,
    // and they replay to the document as it stood after the last of them. A byte changed
    // anywhere stops the reading at the record that holds it.
    void cutAtEveryOffset() {
        QTemporaryDir dir;
        const std::string path = test::native(dir.filePath(QStringLiteral("lunch.dat.journal")));
        JournalWriter writer;
        LiveSurvey live(dir.path(), writer);
        writer.start(path, Questionnaire::of(*live.doc));
        QRandomGenerator rng(7);
        std::map<std::size_t, Doc> states; // the document after a step, by records so far
        while (live.records.size() < 60) {
            const std::size_t before = live.records.size();
            live.step(rng);
            if (live.records.size() > before)
                states[live.records.size()] = std::make_unique<SurveyDocument>(*live.doc);
        }
        writer.close();
        const std::string bytes = fileBytes(QString::fromStdString(path));
        std::vector<std::int64_t> ends{std::int64_t(bytes.size())}; // header, then each record
        for (const JournalRecord& record : live.records)
            ends[0] -= std::int64_t(encodeJournalRecord(record).size());
        for (const JournalRecord& record : live.records)
            ends.push_back(ends.back() + std::int64_t(encodeJournalRecord(record).size()));

        std::size_t whole = 0; // records whole before the cut
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            while (whole + 1 < ends.size() && ends[whole + 1] <= std::int64_t(cut)) ++whole;
            const JournalContents read = parseJournal(std::string_view(bytes).substr(0, cut));
            QCOMPARE(read.hasHeader, std::int64_t(cut) >= ends[0]);
            QCOMPARE(read.records.size(), whole);
            QCOMPARE(read.wholeEnd, std::int64_t(cut) >= ends[0] ? ends[whole] : 0);
            QCOMPARE(read.cut(), std::int64_t(cut) != read.wholeEnd);
            if (ends[whole] == std::int64_t(cut) && states.count(whole)) {
                Doc fresh = sampleSurvey(dir.path());
                SilentEvents events;
        replayJournal(*fresh, read.records, events);
                QCOMPARE(test::documentDifferences(*fresh, *states[whole]), QString());
            }
        }
        std::size_t holder = 0; // the record holding the changed byte (0: the header)
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            while (ends[holder] <= std::int64_t(at)) ++holder;
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
            const JournalContents read = parseJournal(damaged);
            QCOMPARE(read.hasHeader, holder > 0);
            QCOMPARE(read.records.size(), holder > 0 ? holder - 1 : 0);
        }
    }

    // Journals that hold nothing to replay or belong elsewhere.
    void oddJournals_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hasHeader");
        QTest::addColumn<bool>("belongs");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("unfinished"); // empty, or only the start of a first record
        const Doc lunch = sampleSurvey(QStringLiteral("/x"));
        const Doc other = sampleSurvey(QStringLiteral("/x"));
        other->ChoiceCount[2] = 4;
        auto header = [](const SurveyDocument& d) {
            JournalRecord h;
            h.kind = JournalKind::Header;
            h.questionnaire = std::make_shared<Questionnaire>(Questionnaire::of(d));
            return test::bytes(encodeJournalRecord(h));
        };
        const QByteArray answer = test::bytes(encodeJournalRecord(JournalRecord::clearAll()));
        QTest::newRow("empty file") << QByteArray() << false << false << 0 << false << true;
        QTest::newRow("header only") << header(*lunch) << true << true << 0 << false << false;
        QTest::newRow("header cut")
            << header(*lunch).left(30) << false << false << 0 << true << true;
        QTest::newRow("header damaged")
            << header(*lunch).replace(12, 1, "?") << false << false << 0 << true << false;
        QTest::newRow("another questionnaire")
            << header(*other) + answer << true << false << 1 << false << false;
        QTest::newRow("not a journal")
            << QByteArray("VEV v1.11\r\n") << false << false << 0 << true << false;
        QTest::newRow("zeros after a record") << header(*lunch) + answer + QByteArray(4096, '\0')
                                              << true << true << 1 << true << false;
        QTest::newRow("a second header is not a record")
            << header(*lunch) + header(*lunch) << true << true << 0 << true << false;
    }
    void oddJournals() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hasHeader);
        QFETCH(bool, belongs);
        QFETCH(int, records);
        QFETCH(bool, cut);
        QFETCH(bool, unfinished);
        const Doc lunch = sampleSurvey(QStringLiteral("/x"));
        const JournalContents read =
            parseJournal(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        QCOMPARE(read.hasHeader, hasHeader);
        QCOMPARE(read.belongsTo(*lunch), belongs);
        QCOMPARE(int(read.records.size()), records);
        QCOMPARE(read.cut(), cut);
        QCOMPARE(read.unfinishedStart, unfinished);
    }

    // Twelve answer records after a header, one byte of one record changed: the records before
    // it are read, it and every one after it are counted as not read.
    void damagedCounts_data() {
        QTest::addColumn<int>("damaged"); // 1-based record whose body byte changes; 0: none
        QTest::addColumn<int>("restored");
        QTest::addColumn<int>("unread");
        QTest::newRow("intact") << 0 << 12 << 0;
        QTest::newRow("4th of 12") << 4 << 3 << 9;
        QTest::newRow("last") << 12 << 11 << 1;
        QTest::newRow("first") << 1 << 0 << 12;
    }
    void damagedCounts() {
        QFETCH(int, damaged);
        QFETCH(int, restored);
        QFETCH(int, unread);
        const Doc lunch = sampleSurvey(QStringLiteral("/x"));
        JournalRecord h;
        h.kind = JournalKind::Header;
        h.questionnaire = std::make_shared<Questionnaire>(Questionnaire::of(*lunch));
        QByteArray bytes = test::bytes(encodeJournalRecord(h));
        for (int i = 1; i <= 12; ++i) {
            JournalRecord a;
            a.kind = JournalKind::Answer;
            a.respondent = i;
            a.question = 1;
            a.text = "1";
            const QByteArray frame = test::bytes(encodeJournalRecord(a)); // 15 bytes each
            bytes += i == damaged ? QByteArray(frame).replace(7, 1, "\x7f") : frame;
        }
        const JournalContents read =
            parseJournal(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        QCOMPARE(int(read.records.size()), restored);
        QCOMPARE(read.unread, unread);
    }

    // The data file's stamp rides in a version 2 header; a version 1 header is bound to none.
    // Header of an empty questionnaire bound to size 5, time 0x0102, checksum 0xAABBCCDD: the
    // body starts 01 02 | 05 00*7 | 02 01 00*6 | dd cc bb aa.
    void headerStamp_data() {
        QTest::addColumn<bool>("bound");
        QTest::addColumn<QByteArray>("bodyStart");
        QTest::newRow("unbound") << false << QByteArray::fromHex("0101");
        QTest::newRow("bound")
            << true << QByteArray::fromHex("0102" "0500000000000000" "0201000000000000" "ddccbbaa");
    }
    void headerStamp() {
        QFETCH(bool, bound);
        QFETCH(QByteArray, bodyStart);
        JournalRecord h;
        h.kind = JournalKind::Header;
        h.questionnaire = std::make_shared<Questionnaire>();
        if (bound) h.stamp = {true, 5, 0x0102, 0xAABBCCDDu};
        const QByteArray frame = test::bytes(encodeJournalRecord(h));
        QCOMPARE(frame.mid(6, bodyStart.size()).toHex(), bodyStart.toHex());
        const JournalContents read =
            parseJournal(std::string_view(frame.constData(), std::size_t(frame.size())));
        QVERIFY(read.hasHeader);
        QCOMPARE(read.stamp.known, bound);
        QCOMPARE(read.stamp.size, bound ? 5 : 0);
        QCOMPARE(read.stamp.modified, bound ? 0x0102 : 0);
        QCOMPARE(read.stamp.checksum, bound ? 0xAABBCCDDu : 0u);
    }

    // A journal that cannot be written turns recording off once, quietly afterwards.
    void unwritableFolder() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("ro"));
        QVERIFY(QDir().mkdir(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QString path = folder + QStringLiteral("/lunch.dat.journal");
        if (test::writeFile(folder + QStringLiteral("/probe"), "x"))
            path = QStringLiteral("/proc/vev-test/lunch.dat.journal"); // permissions do not bind
        JournalWriter writer;
        writer.start(test::native(path), {});
        QCOMPARE(writer.state(), JournalWriter::State::Armed);
        QVERIFY(!writer.failedNow());
        QVERIFY(!writer.append(JournalRecord::clearAll()));
        QCOMPARE(writer.state(), JournalWriter::State::Off);
        QVERIFY(writer.error() != 0);
        QVERIFY(writer.failedNow());
        QVERIFY(!writer.failedNow());
        QVERIFY(!writer.append(JournalRecord::clearAll()));
        QVERIFY(!writer.flush());
        QVERIFY(!writer.failedNow());
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Starting over an existing file keeps it aside; resuming cuts a damaged tail off and goes on
    // after the last whole record; remove deletes only the journal.
    void startResumeRemove() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lunch.dat.journal"));
        const Doc lunch = sampleSurvey(dir.path());
        JournalWriter writer;
        writer.start(test::native(path), Questionnaire::of(*lunch));
        QVERIFY(writer.append(JournalRecord::respondentCount(3)));
        QVERIFY(writer.append(JournalRecord::respondentCount(4)));
        writer.close();
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("VJ\x10\0", 4); // a record cut by a crash
        file.close();

        JournalContents read = readJournal(test::native(path));
        QVERIFY(read.cut());
        writer.resume(test::native(path), read.base, read.wholeEnd);
        QVERIFY(writer.append(JournalRecord::respondentCount(5)));
        writer.close();
        read = readJournal(test::native(path));
        QVERIFY(!read.cut());
        QCOMPARE(read.records.size(), std::size_t(3));
        QCOMPARE(read.records[2].count, 5);

        const QByteArray before = test::readAll(path);
        writer.start(test::native(path), Questionnaire::of(*lunch));
        QVERIFY(!QFile::exists(path));
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("*.journal.*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(test::readAll(dir.filePath(aside[0])), before);
        QVERIFY(writer.append(JournalRecord::clearAnswers()));
        QVERIFY(writer.needsFlush());
        QVERIFY(writer.flushSoon());
        QVERIFY(!writer.needsFlush());
        QVERIFY(writer.append(JournalRecord::clearAll()));
        QVERIFY(writer.flush());
        QVERIFY(!writer.needsFlush());
        QCOMPARE(readJournal(test::native(path)).records.size(), std::size_t(2));
        writer.remove();
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(dir.filePath(aside[0])));
    }

    // Records appended and not yet flushed survive the program being killed.
    void survivesKill() {
        QTemporaryDir dir;
        const std::string path = test::native(dir.filePath(QStringLiteral("lunch.dat.journal")));
        const Doc lunch = sampleSurvey(dir.path());
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            JournalWriter writer;
            writer.start(path, Questionnaire::of(*lunch));
            for (int r = 1; r <= 50; ++r) writer.append(JournalRecord::respondentCount(r));
            ::raise(SIGKILL);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const JournalContents read = readJournal(path);
        QVERIFY(read.belongsTo(*lunch));
        QVERIFY(!read.cut());
        QCOMPARE(read.records.size(), std::size_t(50));
        QCOMPARE(read.records.back().count, 50);
    }

    void paths() {
        QTemporaryDir dir;
        const std::string data = test::native(dir.filePath(QStringLiteral("a.dat")));
        QCOMPARE(journalPathFor(data), data + ".journal");
        const QDateTime when(QDate(2026, 12, 8), QTime(7, 5, 9));
        QCOMPARE(asidePath(data, when), data + ".20261208-070509");
        QVERIFY(test::writeFile(QString::fromStdString(data + ".20261208-070509"), "x"));
        QCOMPARE(asidePath(data, when), data + ".20261208-070509-2");

        qputenv("XDG_STATE_HOME", dir.path().toUtf8());
        const QString untitled = QString::fromStdString(untitledJournalPath(2));
        QVERIFY(untitled.startsWith(dir.path() + QStringLiteral("/vev/untitled-")));
        QVERIFY(untitled.endsWith(QStringLiteral("-2.journal")));
        QVERIFY(QFileInfo(untitled).dir().exists());
        QVERIFY(untitled != QString::fromStdString(untitledJournalPath(3)));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
