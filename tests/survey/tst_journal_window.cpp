// The main window's recovery journal and undo: the journal follows the keying and goes with a
// save, the recovery prompt at Open, Ctrl+Z / Ctrl+Y against a recount, what ends the undo
// history, and a journal that cannot be written.
#include "app/main_window.h"
#include "editor/choice_texts_dialog.h"
#include "editor/clear_document.h"
#include "editor/editor_dialog.h"
#include "linked/linked_list_dialog.h"
#include "model/data_file.h"
#include "survey/journal.h"
#include "survey/journal_recovery.h"
#include "survey_fixtures.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace vev;
using Answer = Platform::Answer;
using test::u;

namespace {

constexpr char DataFile[] = "entry_survey.dat";

QString journalOf(const test::WindowSession& s) {
    return s.path(QString::fromLatin1(DataFile) + QStringLiteral(".journal"));
}

// Never recorded and "0" are both unanswered.
QString shown(const SurveyDocument& doc, int r, int q) {
    const std::string_view a = doc.Answers[r][q].view();
    return a == "0" ? QString() : QString::fromLatin1(a);
}

QStringList answers(const SurveyDocument& doc) {
    QStringList all;
    for (int r = 1; r <= 6; ++r)
        for (int q = 1; q <= doc.QuestionCount; ++q) all << shown(doc, r, q);
    return all;
}

// The data file as a fresh start loads it, with the journal (by default the one beside it)
// replayed as recovery replays it.
std::unique_ptr<SurveyDocument> replayed(const test::WindowSession& s, QString journal = {}) {
    return test::replayedSurvey(s.path(QString::fromLatin1(DataFile)),
                                journal.isEmpty() ? journalOf(s) : journal);
}

void ctrl(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
}

} // namespace

class TestJournalWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void journalFollowsKeying_data();
    void journalFollowsKeying();
    void recoveryAtOpen_data();
    void recoveryAtOpen();
    void undoRedoKeys();
    void historyEnds_data();
    void historyEnds();
    void replayEqualsLive_data();
    void replayEqualsLive();
    void journalCannotBeWritten_data();
    void journalCannotBeWritten();
};

// How the session ends decides whether the journal stays.
void TestJournalWindow::journalFollowsKeying_data() {
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("journalStays");
    QTest::addColumn<QString>("savedAnswer"); // respondent 3, question 1 in the data file
    QTest::newRow("Save") << "save" << false << "1";
    QTest::newRow("close, save: yes") << "close yes" << false << "1";
    QTest::newRow("close, save: no") << "close no" << false << "";
    QTest::newRow("still open (a crash)") << "none" << true << "";
}

void TestJournalWindow::journalFollowsKeying() {
    QFETCH(QString, ending);
    QFETCH(bool, journalStays);
    QFETCH(QString, savedAnswer);
    test::EntrySession s;
    QVERIFY(s.ready());
    QVERIFY(!QFile::exists(journalOf(s))); // nothing typed, no journal
    s.stand(3, 1);
    QVERIFY(s.type(QStringLiteral("1")));
    s.stand(3, 2);
    QVERIFY(s.type(QStringLiteral("4")));

    // Each answer is in the file at once, without waiting for a flush.
    const JournalContents contents = readJournal(test::native(journalOf(s)));
    QVERIFY(contents.belongsTo(*s.doc));
    QCOMPARE(contents.records.size(), std::size_t(2));
    QCOMPARE(contents.records[0].kind, JournalKind::Answer);
    QCOMPARE(contents.records[0].respondent, 3);
    QCOMPARE(contents.records[0].question, 1);
    QCOMPARE(contents.records[0].text, std::string("1"));
    QCOMPARE(contents.records[1].text, std::string("4"));
    QCOMPARE(answers(*replayed(s)), answers(*s.doc));

    if (ending == QLatin1String("save")) {
        s.Save1()->trigger();
    } else if (ending.startsWith(QLatin1String("close"))) {
        s.platform.expectMessage(ending.endsWith(QLatin1String("yes")) ? Answer::Yes : Answer::No);
        s.form->close();
    }
    QCOMPARE(QFile::exists(journalOf(s)), journalStays);
    if (ending == QLatin1String("save") || !journalStays) {
        auto saved = std::make_unique<SurveyDocument>();
        saved->OpenRequestPath = test::native(s.path(QString::fromLatin1(DataFile)));
        SilentEvents events;
        QCOMPARE(Loaddatafile(*saved, events), LoadOutcome::Loaded);
        QCOMPARE(shown(*saved, 3, 1), savedAnswer);
    }
    QVERIFY(s.finish());
}

void TestJournalWindow::recoveryAtOpen_data() {
    QTest::addColumn<Answer>("reply");
    QTest::newRow("Yes") << Answer::Yes;
    QTest::newRow("No") << Answer::No;
}

// A journal left by a session that never saved is offered when the survey is opened.
void TestJournalWindow::recoveryAtOpen() {
    QFETCH(Answer, reply);
    QByteArray journal;
    QStringList typed;
    {
        test::EntrySession crashed;
        QVERIFY(crashed.ready());
        crashed.stand(3, 1);
        QVERIFY(crashed.type(QStringLiteral("2")));
        crashed.stand(3, 3);
        QVERIFY(crashed.type(QStringLiteral("14\r")));
        typed = answers(*crashed.doc);
        journal = test::readAll(journalOf(crashed));
        QVERIFY(crashed.finish());
    }
    test::WindowSession s;
    s.enterFolder();
    const QString data = s.place(DataFile);
    QVERIFY(test::writeFile(journalOf(s), journal));
    s.start();
    QVERIFY(s.showActive());
    s.platform.expectOpenFiles({data});
    s.platform.expectMessage(reply);
    s.Open1()->trigger();
    QVERIFY(s.done());
    const auto& prompt = s.platform.messages.last();
    QCOMPARE(prompt.caption, u("復元確認"));
    QCOMPARE(prompt.text, u("前回保存されていない入力が見つかりました。復元しますか？"));
    QCOMPARE(prompt.icon, Platform::Icon::Question);
    QCOMPARE(prompt.buttons, Platform::Buttons::YesNo);

    const bool yes = reply == Answer::Yes;
    QCOMPARE(answers(*s.doc) == typed, yes);
    QCOMPARE(s.doc->Modified, yes);
    QVERIFY(test::tallyMatchesAnswers(*s.doc));
    QCOMPARE(shown(*s.doc, 3, 1), yes ? QStringLiteral("2") : QString());
    // No keeps the journal aside; Yes goes on writing it.
    QCOMPARE(QFile::exists(journalOf(s)), yes);
    const QStringList aside =
        QDir(s.dir.path())
            .entryList({QString::fromLatin1(DataFile) + QStringLiteral(".journal.*")});
    QCOMPARE(aside.size(), yes ? 0 : 1);
    if (yes) {
        s.stand(3, 2);
        QVERIFY(s.type(QStringLiteral("5")));
        QCOMPARE(answers(*replayed(s)), answers(*s.doc));
    }
    QVERIFY(s.finish());
}

// Random answers keyed in, then undone with Ctrl+Z and redone with Ctrl+Y from the answer box:
// each step shows its cell, the tally is always the recount, and the journal follows.
void TestJournalWindow::undoRedoKeys() {
    test::EntrySession s;
    QVERIFY(s.ready());
    QRandomGenerator random(16);
    struct Step {
        int r, q;
        QStringList before;
        int countBefore;
    };
    QList<Step> steps;
    const int questions[] = {1, 2, 3, 6};
    const int choices[] = {2, 5, 5, 4};
    for (int n = 0; n < 14; ++n) {
        const int pick = random.bounded(4);
        const int r = 1 + random.bounded(4);
        const int q = questions[pick];
        s.stand(r, q);
        const QStringList before = answers(*s.doc);
        const int countBefore = s.doc->RespondentCount;
        QString keys = QString::number(1 + random.bounded(choices[pick]));
        if (q == 3) keys += QString::number(1 + random.bounded(5)) + QLatin1Char('\r');
        QVERIFY(s.type(keys));
        if (answers(*s.doc) != before) steps.append({r, q, before, countBefore});
    }
    QVERIFY(steps.size() >= 8);
    const QStringList last = answers(*s.doc);
    const int lastCount = s.doc->RespondentCount;

    for (qsizetype k = steps.size() - 1; k >= 0; --k) {
        QVERIFY(s.action("Undo1")->isEnabled());
        ctrl(Qt::Key_Z);
        const Step& step = steps[k];
        QCOMPARE(answers(*s.doc), step.before);
        QCOMPARE(s.doc->RespondentCount, step.countBefore);
        QVERIFY(test::tallyMatchesAnswers(*s.doc));
        QCOMPARE(s.doc->CurrentRespondent, step.r);
        QCOMPARE(s.focused(), s.sn(step.q));
        QCOMPARE(s.sn(step.q)->text(), QString::fromLatin1(s.doc->Answers[step.r][step.q].view()));
    }
    QVERIFY(!s.action("Undo1")->isEnabled());
    QCOMPARE(answers(*replayed(s)), answers(*s.doc));
    for (qsizetype k = 0; k < steps.size(); ++k) ctrl(Qt::Key_Y);
    QCOMPARE(answers(*s.doc), last);
    QCOMPARE(s.doc->RespondentCount, lastCount);
    QVERIFY(test::tallyMatchesAnswers(*s.doc));
    QVERIFY(!s.action("Redo1")->isEnabled());
    const auto again = replayed(s);
    QCOMPARE(answers(*again), last);
    QVERIFY(again->Tally == s.doc->Tally);

    QVERIFY(s.finish());
}

// A questionnaire Apply or a clear ends the undo history, and is journaled.
void TestJournalWindow::historyEnds_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<JournalKind>("record");
    QTest::newRow("Apply") << "apply" << JournalKind::Apply;
    QTest::newRow("choice texts") << "texts" << JournalKind::Apply;
    QTest::newRow("clear the answers") << "clear" << JournalKind::ClearAnswers;
}

void TestJournalWindow::historyEnds() {
    QFETCH(QString, command);
    QFETCH(JournalKind, record);
    test::EntrySession s;
    QVERIFY(s.ready());
    QCOMPARE(s.Edit1()->actions().first(), s.action("Undo1"));
    QCOMPARE(s.Edit1()->actions().at(1), s.action("Redo1"));
    QCOMPARE(s.action("Undo1")->text(), u("元に戻す(&U)"));
    QCOMPARE(s.action("Redo1")->text(), u("やり直し(&Y)"));
    s.stand(3, 1);
    QVERIFY(s.type(QStringLiteral("1")));
    QVERIFY(s.action("Undo1")->isEnabled());
    if (command == QLatin1String("apply")) {
        s.AEdit1()->trigger();
        s.editor->Button4Click();
        s.editor->hide();
    } else if (command == QLatin1String("texts")) {
        QTimer::singleShot(0, [] {
            auto* table = qobject_cast<ChoiceTextsDialog*>(QApplication::activeModalWidget());
            QVERIFY(table);
            table->table()->item(0, ChoiceTextsDialog::FirstChoiceColumn)->setText(u("男性"));
            table->accept();
        });
        emit s.Edit1()->aboutToShow(); // the menu opens: the item is enabled on a questionnaire
        s.action("Texts1")->trigger();
        // The editor's next Apply keeps the texts applied from the menu.
        s.AEdit1()->trigger();
        s.editor->Button4Click();
        s.editor->hide();
        QCOMPARE(sjis::toQString(replayed(s)->Texts.Choice[1][1]), u("男性"));
        QVERIFY(s.showActive());
        s.stand(3, 1);
    } else {
        s.platform.expectMessage(Answer::Ok);
        s.DClear1()->trigger();
    }
    QVERIFY(!s.action("Undo1")->isEnabled());
    ctrl(Qt::Key_Z); // nothing to undo: the answers stay
    const JournalContents contents = readJournal(test::native(journalOf(s)));
    QCOMPARE(contents.records.back().kind, record);
    QCOMPARE(answers(*replayed(s)), answers(*s.doc));
    QVERIFY(s.finish());
}

// Each kind of record, made by the live command and journaled by the window, replays through
// the recovery's replay onto the survey as loaded to the very document the window holds.
void TestJournalWindow::replayEqualsLive_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<JournalKind>("record");
    QTest::newRow("answer") << "answer" << JournalKind::Answer;
    QTest::newRow("Apply: question 2 cut to 2 choices") << "apply" << JournalKind::Apply;
    QTest::newRow("link") << "link" << JournalKind::Link;
    QTest::newRow("unlink") << "unlink" << JournalKind::Unlink;
    QTest::newRow("clear answers") << "clear" << JournalKind::ClearAnswers;
    QTest::newRow("clear all") << "clear all" << JournalKind::ClearAll;
    QTest::newRow("respondent count: a new respondent undone")
        << "count" << JournalKind::RespondentCount;
}

void TestJournalWindow::replayEqualsLive() {
    QFETCH(QString, command);
    QFETCH(JournalKind, record);
    test::EntrySession s;
    QVERIFY(s.ready());
    s.stand(2, 2);
    QVERIFY(s.type(QStringLiteral("4")));
    QStringList lines{u("エントリ試験,"), QString(), QStringLiteral("No,Q,1,2")};
    for (int q = 1; q <= 6; ++q) lines << QStringLiteral("%1,Q,1,2,3,4,5,1").arg(q);
    QVERIFY(test::writeLines(s.path(QStringLiteral("add.csv")), lines));
    if (command == QLatin1String("link") || command == QLatin1String("unlink")) {
        s.platform.expectOpenFiles({s.path(QStringLiteral("add.csv"))});
        s.csvR1()->trigger();
    }
    if (command == QLatin1String("answer")) {
        s.stand(1, 3);
        QVERIFY(s.type(QStringLiteral("25\r")));
    } else if (command == QLatin1String("apply")) {
        s.AEdit1()->trigger();
        s.editor->PendingChoiceCount[2] = 2; // respondent 2's "4" becomes NG
        s.editor->Button4Click();
        s.editor->hide();
    } else if (command == QLatin1String("unlink")) {
        s.CsvL1()->trigger();
        s.list->ListBox1->setCurrentRow(0);
        s.list->Button2Click();
        s.list->hide();
    } else if (command.startsWith(QLatin1String("clear"))) {
        s.platform.expectMessage(Answer::Ok);
        (command == QLatin1String("clear") ? s.DClear1() : s.AClear1())->trigger();
    } else if (command == QLatin1String("count")) {
        s.stand(3, 1);
        QVERIFY(s.type(QStringLiteral("1")));
        ctrl(Qt::Key_Z);
    }
    // Clearing the questionnaire sets its journal aside.
    QString journal = journalOf(s);
    if (record == JournalKind::ClearAll) {
        const QStringList aside = QDir(s.dir.path()).entryList({QStringLiteral("*.journal.*")});
        QCOMPARE(aside.size(), 1);
        journal = s.path(aside[0]);
    }
    const JournalContents contents = readJournal(test::native(journal));
    QVERIFY(!contents.records.empty());
    QCOMPARE(contents.records.back().kind, record);
    QCOMPARE(test::documentDifferences(*replayed(s, journal), *s.doc), QString());
    QVERIFY(s.finish());
}

// The journal cannot be written: the operator hears it once and keys on.
void TestJournalWindow::journalCannotBeWritten_data() {
    QTest::addColumn<bool>("readOnlyFolder"); // else a folder already holds the journal's name
    QTest::newRow("read-only folder") << true;
    QTest::newRow("name taken by a folder") << false;
}

void TestJournalWindow::journalCannotBeWritten() {
    QFETCH(bool, readOnlyFolder);
    if (readOnlyFolder && geteuid() == 0) QSKIP("permissions do not bind the super-user");
    test::EntrySession s;
    QVERIFY(s.ready());
    const QString folder = s.dir.path();
    if (readOnlyFolder)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    else
        QVERIFY(QDir(folder).mkdir(QString::fromLatin1(DataFile) + QStringLiteral(".journal")));
    s.platform.expectPositionedMessage();
    s.stand(3, 1);
    QVERIFY(s.type(QStringLiteral("1")));
    QVERIFY(s.done());
    QCOMPARE(s.platform.messages.last().text, journalOffMessage(test::native(journalOf(s))));
    s.stand(3, 2);
    QVERIFY(s.type(QStringLiteral("3\r")));
    QVERIFY(s.done()); // said once
    QCOMPARE(s.answer(3, 1), QStringLiteral("1"));
    QCOMPARE(s.answer(3, 2), QStringLiteral("3"));
    QCOMPARE(s.form->survey().journalWriter().state(), JournalWriter::State::Off);
    if (readOnlyFolder)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(s.finish());
}

QTEST_MAIN(TestJournalWindow)
#include "tst_journal_window.moc"
