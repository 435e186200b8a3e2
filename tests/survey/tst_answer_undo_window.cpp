#include "survey/answer_undo.h"

#include "core_test_util.h"
#include "survey/journal.h"
#include "model/recording.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <memory>
#include <vector>

using namespace vev;

namespace {

using Doc = std::unique_ptr<SurveyDocument>;

Doc survey() {
    auto doc = std::make_unique<SurveyDocument>();
    doc->SurveyTitle = "Lunch";
    const int choices[] = {2, 5, 1, 0, 8};
    doc->QuestionCount = 5;
    for (int q = 1; q <= 5; ++q) doc->ChoiceCount[q] = choices[q - 1];
    doc->MultiSelect[5] = true;
    return doc;
}

// The tally the stored answers give when they are recorded afresh.
OneBased<OneBased<std::int32_t, TallySlots>, MaxQuestions> recount(const SurveyDocument& doc) {
    Doc fresh = survey();
    for (int r = 1; r <= MaxRespondents; ++r)
        for (int q = 1; q <= doc.QuestionCount; ++q) {
            if (doc.Answers[r][q].empty()) continue;
            fresh->CurrentRespondent = r;
            fresh->CurrentQuestion = q;
            fresh->EntryBuffer = doc.Answers[r][q].view();
            dataIN(*fresh);
        }
    return fresh->Tally;
}

// Answers as the data file gives them back: never recorded and "0" are both unanswered, and
// showing a respondent (not an undo step) turns one into the other.
std::vector<std::string> answers(const SurveyDocument& doc) {
    std::vector<std::string> out;
    for (int r = 1; r <= 40; ++r)
        for (int q = 1; q <= MaxQuestions; ++q)
            out.push_back(doc.Answers[r][q].empty() ? "0" : doc.Answers[r][q].str());
    return out;
}

struct Step {
    std::vector<std::string> answers; // after the step
    int countBefore = 0;              // RespondentCount when the step was recorded
    int countAfter = 0;               // and right after it
};

// The window's entry path: show the respondent, withdraw, record, push the step.
bool enter(QUndoStack& stack, SurveyDocument& doc, int r, int q, const char* typed,
           AnswerCommand::Changed changed) {
    doc.CurrentRespondent = r;
    hitoribun(doc);
    doc.CurrentQuestion = q;
    const std::string before(doc.Answers[r][q].view());
    const int countBefore = doc.RespondentCount;
    doc.EntryBuffer = typed;
    dataDEL(doc);
    dataIN(doc);
    return pushRecordedAnswer(stack, doc, r, q, before, countBefore, std::move(changed));
}

} // namespace

class TestAnswerUndo : public QObject {
    Q_OBJECT

private slots:
    // Random entries, undos, redos and moves between respondents: after every undo or redo the
    // answers are those after the step the stack stands on, RespondentCount is what it was
    // before the step undone or after the step redone (a move in between may have lowered it),
    // the tally is the recount of the stored answers, and the changed cell is current and was
    // reported. Journaled as the window journals them (each change and each undo or redo), the
    // steps replay to the same survey.
    void randomSequences_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 10; ++seed) QTest::addRow("seed %u", seed) << seed;
    }
    void randomSequences() {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        Doc doc = survey();
        QUndoStack stack;
        std::vector<Step> history{{answers(*doc), 0, 0}}; // history[i]: step i
        QTemporaryDir dir;
        JournalWriter journal;
        journal.start(dir.filePath(QStringLiteral("lunch.dat.journal")).toStdString(),
                      Questionnaire::of(*doc));
        int reportedR = 0, reportedQ = 0;
        auto changed = [&](int r, int q) {
            reportedR = r;
            reportedQ = q;
            journal.append(JournalRecord::answer(*doc, r, q));
            journal.append(JournalRecord::respondentCount(doc->RespondentCount));
        };
        static const char* typed[] = {"0", "1", "2", "3", "7", "9", "135", "8642", ""};
        for (int i = 0; i < 600; ++i) {
            const int op = rng.bounded(10);
            if (op < 5) {
                const int r = 1 + rng.bounded(std::min(doc->RespondentCount + 1, 30));
                const int q = 1 + rng.bounded(doc->QuestionCount);
                const int before = stack.count();
                const int countBefore = doc->RespondentCount;
                const bool pushed = enter(stack, *doc, r, q, typed[rng.bounded(9)], changed);
                journal.append(JournalRecord::answer(*doc, r, q));
                QCOMPARE(stack.count(), pushed ? stack.index() : before);
                if (pushed) {
                    history.resize(std::size_t(stack.index()));
                    history.push_back({answers(*doc), countBefore, doc->RespondentCount});
                }
                continue;
            }
            if (op == 5) { // the operator moves on: the completeness check may drop the last one
                doc->CurrentRespondent = std::max(1, doc->RespondentCount);
                const int before = doc->RespondentCount;
                kensa(*doc);
                if (doc->RespondentCount != before)
                    journal.append(JournalRecord::respondentCount(doc->RespondentCount));
                continue;
            }
            const bool undo = op < 8;
            if (undo ? !stack.canUndo() : !stack.canRedo()) continue;
            const int index = stack.index() + (undo ? -1 : 1);
            const int count = undo ? history[std::size_t(index + 1)].countBefore
                                   : history[std::size_t(index)].countAfter;
            doc->Modified = false;
            undo ? stack.undo() : stack.redo();
            QCOMPARE(stack.index(), index);
            QVERIFY(answers(*doc) == history[std::size_t(index)].answers);
            QCOMPARE(doc->RespondentCount, count);
            QVERIFY(doc->Tally == recount(*doc));
            QCOMPARE(reportedR, doc->CurrentRespondent);
            QCOMPARE(reportedQ, doc->CurrentQuestion);
            QVERIFY(doc->Modified);
        }
        QCOMPARE(journal.state(), JournalWriter::State::Open);
        journal.close();
        Doc replayed = survey();
        const JournalContents read =
            readJournal(dir.filePath(QStringLiteral("lunch.dat.journal")).toStdString());
        QVERIFY(!read.cut());
        SilentEvents events;
        replayJournal(*replayed, read.records, events);
        QVERIFY(answers(*replayed) == answers(*doc));
        QVERIFY(replayed->Tally == doc->Tally);
        QCOMPARE(replayed->RespondentCount, doc->RespondentCount);
    }

    // One step per answer, never merged; the same answer again is no step; undoing a first
    // recording leaves the cell never recorded.
    void steps() {
        Doc doc = survey();
        QUndoStack stack;
        QList<QPair<int, int>> reported;
        auto changed = [&](int r, int q) { reported << qMakePair(r, q); };
        QVERIFY(enter(stack, *doc, 1, 5, "531", changed));
        QVERIFY(enter(stack, *doc, 1, 5, "2", changed));
        QVERIFY(!enter(stack, *doc, 1, 5, "2", changed));
        QVERIFY(enter(stack, *doc, 2, 3, "7", changed));
        QCOMPARE(stack.count(), 3);
        QVERIFY(reported.isEmpty()); // recording itself reports nothing
        doc->EntryBuffer = "46";     // the operator's unfinished entry survives an undo
        stack.undo();
        stack.undo();
        QCOMPARE(doc->Answers[1][5].str(), std::string("135"));
        QCOMPARE(doc->Tally[5][1], 1);
        QCOMPARE(doc->Tally[5][2], 0);
        QCOMPARE(doc->Tally[3][1], 0);
        QCOMPARE(doc->RespondentCount, 1);
        stack.undo();
        QCOMPARE(doc->Answers[1][5].str(), std::string("0")); // shown before it was typed
        QCOMPARE(doc->RespondentCount, 0);
        QCOMPARE(doc->EntryBuffer.str(), std::string("46"));
        stack.redo();
        stack.redo();
        stack.redo();
        QCOMPARE(doc->Tally[3][1], 7);
        QCOMPARE(doc->RespondentCount, 2);
        const QList<QPair<int, int>> expected{{2, 3}, {1, 5}, {1, 5}, {1, 5}, {1, 5}, {2, 3}};
        QCOMPARE(reported, expected);
    }
};

QTEST_MAIN(TestAnswerUndo)
#include "tst_answer_undo_window.moc"
