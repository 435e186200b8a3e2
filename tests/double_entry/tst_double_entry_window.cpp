// Double entry in the main window: its three menu items, re-keying answers against the stored
// ones typed into the real answer boxes, the comparison's jump to a cell and the blank copy for
// a second operator, all with the scripted fake platform.
//
// entry_survey.dat: 1 性別 (2 choices), 2 年代 (5), 3 機能 (5, several at once), 4 人数 (1, a
// number), 5 空き (no choices, hidden), 6 満足 (4); respondent 1 answered 1,3,135,7,0,2 and
// respondent 2 answered 2,9,24,3,0,4. The loader shows respondent 2.
#include "app/main_window.h"
#include "double_entry/compare_dialog.h"
#include "keying/tally_text.h"
#include "model/sjis.h"
#include "survey_fixtures.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

using namespace vev;
using test::u;
using Answer = Platform::Answer;

namespace {

const QColor Red(255, 0, 0);

struct Session : test::EntrySession {
    QStatusBar* statusBar() const { return form->findChild<QStatusBar*>(u("StatusBar1")); }
    QString statusText() const { return form->findChild<QLabel*>(u("VerifyStatus"))->text(); }
    QString mismatchText() const { return form->findChild<QLabel*>(u("VerifyMismatch"))->text(); }
    bool red(int q) const { return sn(q)->palette().color(QPalette::Base) == Red; }

    // Every count line equals a recount of the stored answers.
    bool tallyMatchesAnswers() const {
        for (int q = 1; q <= doc->QuestionCount; ++q) {
            if (!test::tallyMatchesAnswers(*doc, q)) return false;
            if (q != 5 && ad(q)->text() != QString::fromLatin1(TallyLine(*doc, q))) return false;
        }
        return true;
    }
    CompareDialog* compareDialog() const { return form->findChild<CompareDialog*>(); }
};

// "verified differences rate unverified" as the status bar shows it.
QString status(const QString& counts) {
    const QStringList c = counts.split(QLatin1Char(' '));
    return u("照合入力　確認 %1件　相違 %2件　誤り率 %3　未照合 %4件").arg(c[0], c[1], c[2], c[3]);
}

int indexOf(const QMenu* menu, const char* name) {
    const QList<QAction*> items = menu->actions();
    for (int i = 0; i < items.size(); ++i)
        if (items[i]->objectName() == QLatin1String(name)) return i;
    return -1;
}

} // namespace

class TestDoubleEntryWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void menuItems_data();
    void menuItems();
    void verifying_data();
    void verifying();
    void countsStartAgain_data();
    void countsStartAgain();
    void compareJump_data();
    void compareJump();
    void secondEntryFile_data();
    void secondEntryFile();
    void statusBarRoom();
};

void TestDoubleEntryWindow::menuItems_data() {
    QTest::addColumn<bool>("survey");
    QTest::newRow("survey open") << true;
    QTest::newRow("no survey") << false;
}

void TestDoubleEntryWindow::menuItems() {
    QFETCH(bool, survey);
    test::WindowSession s;
    s.enterFolder();
    s.start(survey ? QStringList{s.place("entry_survey.dat")} : QStringList{});
    s.form->File1Click();
    s.form->Edit1Click();

    const QAction* second = s.action("SecondEntry1");
    const QAction* compare = s.action("Compare1");
    const QAction* verify = s.action("Verify1");
    QCOMPARE(second->text(), u("照合用に新規作成(&V)..."));
    QCOMPARE(compare->text(), u("入力照合(&C)..."));
    QCOMPARE(verify->text(), u("照合入力(&K)"));
    QCOMPARE(indexOf(s.File1(), "SecondEntry1"), indexOf(s.File1(), "SaveAs1") + 1);
    QCOMPARE(indexOf(s.Edit1(), "Compare1"), s.Edit1()->actions().size() - 1);
    QVERIFY(s.Edit1()->actions().at(indexOf(s.Edit1(), "Compare1") - 1)->isSeparator());
    QCOMPARE(indexOf(s.Option1(), "Verify1"), s.Option1()->actions().size() - 1);
    QCOMPARE(second->isEnabled(), survey);
    QCOMPARE(compare->isEnabled(), survey);
    QVERIFY(verify->isCheckable() && !verify->isChecked());
    QVERIFY(s.form->findChild<QStatusBar*>(u("StatusBar1"))->isHidden());
    QVERIFY(s.finish());
}

// Each step: "what is done;stored;box;modified;focus;status". What is done: "@r:q" stands on
// respondent r's question q, "on"/"off" switch verification, "↓", "→" and "⇥" are keys, "<" is
// a left click on the question label, anything else is typed ('\r' is Enter). stored: the answer of
// the cell stood on; box: what its answer box shows (nothing while verifying until the cell is
// keyed), "!" before it when the box is red (a pending mismatch, which beeps once and shows the
// stored answer beside the keyed one); focus: the row with the keyboard; status: "verified
// differences rate unverified", "" with verification off (status bar hidden).
void TestDoubleEntryWindow::verifying_data() {
    QTest::addColumn<QStringList>("steps");
    const QString on = u("on;3;;0;2;0 0 － 0");
    const QString stand = u("@1:2;3;;0;2;0 0 － 0");
    const QString differs = u("4;3;!4;0;2;0 0 － 0");
    QTest::newRow("equal") << QStringList{on, stand, u("3;3;3;0;3;1 0 0.00% 0")};
    QTest::newRow("different then confirmed")
        << QStringList{on, stand, differs, u("4;4;4;1;3;1 1 100.00% 0")};
    QTest::newRow("different then corrected")
        << QStringList{on, stand, differs, u("3;3;3;0;3;1 1 100.00% 0")};
    QTest::newRow("different twice, then confirmed")
        << QStringList{on, stand, differs, u("5;3;!5;0;2;0 0 － 0"), u("5;5;5;1;3;1 1 100.00% 0")};
    QTest::newRow("several choices, in another order, then confirmed")
        << QStringList{on,
                       u("@1:3;135;;0;3;0 0 － 0"),
                       u("531\r;135;135;0;4;1 0 0.00% 0"),
                       u("@1:3;135;135;0;3;1 0 0.00% 0"),
                       u("13\r;135;!13;0;3;1 0 0.00% 0"),
                       u("31\r;13;13;1;4;2 1 50.00% 0")};
    QTest::newRow("number") << QStringList{on, u("@1:4;7;;0;4;0 0 － 0"), u("8;7;!8;0;4;0 0 － 0"),
                                           u("8;8;8;1;4;1 1 100.00% 0")};
    QTest::newRow("another question drops the mismatch")
        << QStringList{on, stand, differs, u("↓;3;;0;3;0 0 － 0"), stand, differs};
    QTest::newRow("Tab to another box drops the mismatch")
        << QStringList{on, stand, differs, u("⇥;3;;0;3;0 0 － 0"), differs};
    // Respondent 1 is passed with its 5 answers unverified; standing on it again passes 2.
    QTest::newRow("another respondent drops the mismatch")
        << QStringList{on,
                       stand,
                       differs,
                       u("→;3;;0;2;0 0 － 5"),
                       u("@1:2;3;;0;2;0 0 － 5"),
                       u("4;3;!4;0;2;0 0 － 10")};
    QTest::newRow("the mouse steps from the stored answer, unverified")
        << QStringList{on, stand, differs, u("<;4;4;1;2;0 0 － 0")};
    QTest::newRow("switched off drops the mismatch")
        << QStringList{on, stand, differs, u("off;3;3;0;2;"), u("4;4;4;1;3;")};
    QTest::newRow("new respondent records as usual")
        << QStringList{on, u("@3:1;0;0;0;1;0 0 － 0"), u("1;1;1;1;2;0 0 － 0"),
                       u("@3:1;1;1;1;1;0 0 － 0"), u("2;2;2;1;2;0 0 － 0")};
    QTest::newRow("off records as usual") << QStringList{u("@1:2;3;3;0;2;"), u("4;4;4;1;3;")};
    // A blank on the paper: "0", or Enter on an empty box of several choices.
    QTest::newRow("zero over an answer differs")
        << QStringList{on, stand, u("0;3;!0;0;2;0 0 － 0"), u("0;0;0;1;3;1 1 100.00% 0")};
    QTest::newRow("Enter on an empty box of several choices differs") << QStringList{
        on, u("@1:3;135;;0;3;0 0 － 0"), u("\r;135;!;0;3;0 0 － 0"), u("\r;0;0;1;4;1 1 100.00% 0")};
    QTest::newRow("boxes left unkeyed count once the respondent is passed")
        << QStringList{on, stand, u("3;3;3;0;3;1 0 0.00% 0"), u("→;3;;0;3;1 0 0.00% 4")};
}

void TestDoubleEntryWindow::verifying() {
    QFETCH(QStringList, steps);
    Session s;
    QVERIFY(s.ready());
    int r = 1, q = 2, beeps = 0;
    s.stand(r, q);
    for (const QString& step : steps) {
        const QStringList f = step.split(QLatin1Char(';'));
        QCOMPARE(f.size(), 6);
        const QString& done = f[0];
        if (done == u("on") || done == u("off")) {
            s.action("Verify1")->trigger();
        } else if (done.startsWith(QLatin1Char('@'))) {
            r = done.mid(1).section(QLatin1Char(':'), 0, 0).toInt();
            q = done.section(QLatin1Char(':'), 1).toInt();
            s.stand(r, q);
        } else if (done == u("<")) {
            QTest::mouseClick(s.no(q), Qt::LeftButton);
        } else if (done == u("↓") || done == u("→") || done == u("⇥")) {
            s.key(done == u("↓") ? Qt::Key_Down : done == u("→") ? Qt::Key_Right : Qt::Key_Tab);
        } else {
            QVERIFY(s.type(done));
            if (f[2].startsWith(QLatin1Char('!'))) ++beeps;
        }
        const QByteArray where = step.toUtf8();
        const bool red = f[2].startsWith(QLatin1Char('!'));
        QVERIFY2(s.answer(r, q) == f[1], where);
        QVERIFY2(s.sn(q)->text() == (red ? f[2].mid(1) : f[2]), where);
        QVERIFY2(s.red(q) == red, where);
        QVERIFY2(s.doc->Modified == (f[3] == u("1")), where);
        QVERIFY2(s.focused() == s.sn(f[4].toInt()), where);
        QVERIFY2(s.statusBar()->isHidden() == f[5].isEmpty(), where);
        QVERIFY2(s.statusText() == (f[5].isEmpty() ? QString() : status(f[5])), where);
        const QString keyed = f[2].mid(1);
        const QString mismatch =
            red ? u("登録済み %1　入力 %2　もう一度入力してください")
                      .arg(f[1], keyed.isEmpty() || keyed == u("0") ? u("無回答") : keyed)
                : QString();
        QVERIFY2(s.mismatchText() == mismatch, where);
        QVERIFY2(s.sn(q)->toolTip() == mismatch, where);
        QVERIFY2(s.platform.beeps == beeps, where);
        QVERIFY2(s.tallyMatchesAnswers(), where);
    }
    s.doc->Modified = false; // no save question on closing
    QVERIFY(s.finish());
}

// A load or a clear starts the counts afresh, the respondents then in the survey being the ones
// verified, and closes the comparison window (which opened with the keyboard): it belongs to the
// survey it compared.
void TestDoubleEntryWindow::countsStartAgain_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("keyedAfter"); // respondent 1's question 2 keyed "4" afterwards
    QTest::newRow("open") << u("open") << u("0 0 － 0") << u("!4");
    QTest::newRow("clear the answers") << u("clear") << u("0 0 － 0") << u("4");
    QTest::newRow("clear cancelled") << u("cancel") << u("1 1 100.00% 0") << u("!4");
    QTest::newRow("clear all") << u("clear all") << QString() << QString();
    QTest::newRow("new") << u("new") << QString() << QString();
}

void TestDoubleEntryWindow::countsStartAgain() {
    QFETCH(QString, how);
    QFETCH(QString, status);
    QFETCH(QString, keyedAfter);
    Session s;
    QVERIFY(s.ready());
    s.action("Verify1")->trigger();
    s.stand(1, 2);
    QVERIFY(s.type(u("43")));
    QCOMPARE(s.statusText(), ::status(u("1 1 100.00% 0")));
    s.form->Edit1Click();
    s.platform.expectOpenFiles({s.path(u("entry_survey.dat"))});
    s.action("Compare1")->trigger();
    const QPointer<CompareDialog> dialog = s.compareDialog();
    QTRY_COMPARE(QApplication::activeWindow(), dialog.data());
    QCOMPARE(QApplication::focusWidget(), dialog->differenceList);
    QTest::keyClick(QApplication::focusWidget(), '1');
    QCOMPARE(s.answer(1, 2), u("3"));

    if (how == u("open")) {
        s.platform.expectOpenFiles({s.path(u("entry_survey.dat"))});
        s.Open1()->trigger();
    } else if (how == u("new")) {
        s.platform.expectMessage(Answer::Ok);
        s.form->New1Click();
    } else {
        s.platform.expectMessage(how == u("cancel") ? Answer::Cancel : Answer::Ok);
        (how == u("clear all") ? s.AClear1() : s.DClear1())->trigger();
    }
    QTRY_COMPARE(dialog.isNull(), how != u("cancel"));
    if (dialog) dialog->close();
    if (!status.isEmpty()) {
        QCOMPARE(s.statusText(), ::status(status));
        QVERIFY(!s.statusBar()->isHidden());
        QVERIFY(s.showActive());
        s.stand(1, 2);
        QVERIFY(s.type(u("4")));
        QCOMPARE(s.red(2), keyedAfter.startsWith(QLatin1Char('!')));
        QCOMPARE(s.sn(2)->text(), keyedAfter.mid(keyedAfter.startsWith(QLatin1Char('!')) ? 1 : 0));
    }
    s.doc->Modified = false;
    QVERIFY(s.finish());
}

// A row of the comparison shows its cell in the main window; a pending multi-select entry keeps
// the keyboard in its own box.
void TestDoubleEntryWindow::compareJump_data() {
    QTest::addColumn<bool>("pendingEntry");
    QTest::addColumn<int>("respondent"); // shown afterwards
    QTest::addColumn<int>("focusRow");
    QTest::newRow("jump") << false << 1 << 6;
    QTest::newRow("pending entry stays") << true << 2 << 3;
}

void TestDoubleEntryWindow::compareJump() {
    QFETCH(bool, pendingEntry);
    QFETCH(int, respondent);
    QFETCH(int, focusRow);
    Session s;
    QVERIFY(s.ready());
    // The second keying differs in respondent 1's question 6.
    QByteArray other = test::readAll(test::testData("entry_survey.dat"));
    other.replace("  1  ,1,3,135  ,7,0,2", "  1  ,1,3,135  ,7,0,3");
    QVERIFY(test::writeFile(s.path(u("other.dat")), other));
    s.stand(2, 3);
    if (pendingEntry) QVERIFY(s.type(u("1")));

    s.form->Edit1Click();
    s.platform.expectOpenFiles({s.path(u("other.dat"))});
    s.action("Compare1")->trigger();
    CompareDialog* dialog = s.compareDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->comparison().AnswersDiffering, 1L);
    QVERIFY(QTest::qWaitForWindowActive(dialog));

    dialog->rowActivated(dialog->differenceList->model()->index(0, 0));
    QTRY_VERIFY(s.form->isActiveWindow());
    QCOMPARE(s.doc->CurrentRespondent, respondent);
    QCOMPARE(s.doc->CurrentQuestion, focusRow);
    QTRY_COMPARE(s.focused(), s.sn(focusRow));
    QCOMPARE(s.sn(6)->text(), respondent == 1 ? u("2") : u("4"));
    QCOMPARE(s.doc->EntryPending, pendingEntry);
    QVERIFY(!s.doc->Modified);
    s.doc->EntryPending = false;
    dialog->close();
    QVERIFY(s.finish());
}

// The blank copy is written where the Save dialog says and opened; changes to the open survey
// are offered for saving first.
void TestDoubleEntryWindow::secondEntryFile_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("saveAnswer"); // to the save question, when asked
    QTest::addColumn<bool>("written");
    QTest::newRow("unchanged survey") << false << 0 << true;
    QTest::newRow("changes not saved") << true << int(Answer::No) << true;
    QTest::newRow("cancelled at the save question") << true << int(Answer::Cancel) << false;
}

void TestDoubleEntryWindow::secondEntryFile() {
    QFETCH(bool, modified);
    QFETCH(int, saveAnswer);
    QFETCH(bool, written);
    Session s;
    QVERIFY(s.ready());
    if (modified) {
        s.stand(1, 2);
        QVERIFY(s.type(u("4")));
        s.platform.expectMessage(Answer(saveAnswer));
    }
    const QString copy = s.path(u("entry_survey_2.dat"));
    if (written) s.platform.expectSaveFile(copy);
    s.form->File1Click();
    s.action("SecondEntry1")->trigger();

    if (modified) QCOMPARE(s.platform.messages.first().caption, u("保存確認"));
    QCOMPARE(QFile::exists(copy), written);
    if (written) {
        QCOMPARE(s.platform.dialogs.last().dialog.fileName, copy);
        QCOMPARE(s.doc->DataFilePath, test::native(copy));
        QCOMPARE(s.doc->QuestionCount, 6);
        QCOMPARE(s.doc->RespondentCount, 0);
        QCOMPARE(sjis::toQString(s.doc->SurveyTitle.view()), u("エントリ試験"));
        QCOMPARE(s.Label2()->text(), u("ﾌｧｲﾙ：entry_survey_2.dat"));
        QCOMPARE(s.sn(2)->text(), u("0"));
        QVERIFY(!s.doc->Modified);
        QCOMPARE(s.focused(), s.sn(1));
    } else {
        QCOMPARE(s.answer(1, 2), u("4"));
        QVERIFY(s.doc->Modified);
        s.doc->Modified = false;
    }
    QVERIFY(s.finish());
}

// The status bar of verification takes its height from the window, not from the rows: the last
// question stays in view, also after a load, and the window shrinks back when the bar goes. The
// header labels hold their font's whole line (the file name's underscore), centred as before.
void TestDoubleEntryWindow::statusBarRoom() {
    Session s;
    QVERIFY(s.ready());
    const int before = s.form->height();
    s.action("Verify1")->trigger();
    const int grown = before + s.statusBar()->sizeHint().height();
    QTRY_COMPARE(s.form->height(), grown);
    const QWidget* viewport = s.scrollArea()->viewport();
    QVERIFY(s.sn(6)->mapTo(viewport, QPoint(0, s.sn(6)->height())).y() <= viewport->height());
    s.platform.expectOpenFiles({s.path(u("entry_survey.dat"))});
    s.Open1()->trigger();
    QTRY_COMPARE(s.form->height(), grown);
    s.action("Verify1")->trigger();
    QTRY_COMPARE(s.form->height(), before);

    QCOMPARE(s.Label2()->text(), u("ﾌｧｲﾙ：entry_survey.dat"));
    for (const QLabel* label : {s.Label1(), s.Label2()}) {
        QVERIFY(label->height() >= QFontMetrics(label->font()).height());
        QCOMPARE(2 * label->y() + label->height(), 2 * 3 + 15);
    }
    QVERIFY(s.finish());
}

QTEST_MAIN(TestDoubleEntryWindow)
#include "tst_double_entry_window.moc"
