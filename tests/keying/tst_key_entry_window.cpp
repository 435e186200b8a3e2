// Keying answers into the question grid: digits and Enter in the answer boxes, multi-select
// entry, the arrow keys and the mouse stepping on the question labels, typed into the real
// widgets of the main window.
//
// entry_survey.dat: 1 性別 (2 choices), 2 年代 (5), 3 機能 (5, several at once), 4 人数 (1, a
// number), 5 空き (no choices, hidden), 6 満足 (4); respondent 1 answered 1,3,135,7,0,2 and
// respondent 2 answered 2,9,24,3,0,4. Both are complete; the loader shows respondent 2.
#include "app/main_window.h"
#include "keying/h_spinner.h"
#include "keying/tally_text.h"
#include "survey_fixtures.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace vev;

namespace {

struct Session : test::EntrySession {
    // The row's counts recounted from every stored answer, as the tally must hold them.
    bool tallyMatchesAnswers(int q) const {
        return test::tallyMatchesAnswers(*doc, q) &&
               ad(q)->text() == QString::fromLatin1(TallyLine(*doc, q));
    }
    // Row n as the screen shows it after the repaints the keys caused equals a fresh rendering
    // of the window: a count line repainted in part leaves no stale digit.
    bool rowOnScreenIsWhole(int n) const {
        QCoreApplication::processEvents();
        const QRect row(q(n)->mapTo(form.get(), QPoint(0, 0)), q(n)->size());
        const QImage shown = form->screen()->grabWindow(form->winId()).toImage().copy(row);
        const QImage fresh = form->grab(row).toImage();
        return !shown.isNull() && shown.convertToFormat(QImage::Format_RGB32) ==
                                      fresh.convertToFormat(QImage::Format_RGB32);
    }
};

bool isYellow(const QLineEdit* box) {
    return box->palette().color(QPalette::Base) == QColor(255, 255, 0);
}

} // namespace

class TestKeyEntry : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void singleChoiceDigit_data();
    void singleChoiceDigit();
    void multiSelectEntry_data();
    void multiSelectEntry();
    void enterWithoutDigitsMovesOn();
    void pendingEntryKeepsKeysInItsBox();
    void arrowKeys_data();
    void arrowKeys();
    void leftDropsAllZeroLastRespondent();
    void focusMovedByTabLeavesCurrentQuestion();
    void mouseStepping_data();
    void mouseStepping();
    void mouseOnEmptiedBoxReportsError();
    void hoverWhitensQuestionLabel();
    void wheelScrollsOneLine();
    void realKeyboard_data();
    void realKeyboard();
    void labelPressDuringEntryMovesTheYellow();
    void keysWhileNumberBoxIsOpen();
};

void TestKeyEntry::singleChoiceDigit_data() {
    QTest::addColumn<int>("respondent");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("focusRow");
    QTest::addColumn<int>("respondentCount");
    QTest::addColumn<bool>("modified");

    QTest::newRow("choice on a new respondent") << 3 << 2 << "3"
                                                << "3" << 3 << 3 << true;
    QTest::newRow("digit above the choices is NG") << 3 << 2 << "7"
                                                   << "9" << 3 << 3 << true;
    QTest::newRow("nine is NG") << 3 << 1 << "9"
                                << "9" << 2 << 3 << true;
    QTest::newRow("zero on a new respondent") << 3 << 2 << "0"
                                              << "0" << 3 << 2 << true;
    QTest::newRow("zero on an earlier respondent is ignored") << 1 << 2 << "0"
                                                              << "3" << 2 << 2 << false;
    QTest::newRow("replacing an earlier answer") << 1 << 1 << "2"
                                                 << "2" << 2 << 2 << true;
    QTest::newRow("number question, hidden row below") << 1 << 4 << "5"
                                                       << "5" << 4 << 2 << true;
    QTest::newRow("zero blanks a number answer") << 1 << 4 << "0"
                                                 << "0" << 4 << 2 << true;
    QTest::newRow("last question keeps the focus") << 1 << 6 << "4"
                                                   << "4" << 6 << 2 << true;
    QTest::newRow("letters and backspace do nothing") << 1 << 2 << "a \b"
                                                      << "3" << 2 << 2 << false;
}

void TestKeyEntry::singleChoiceDigit() {
    QFETCH(int, respondent);
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(QString, stored);
    QFETCH(int, focusRow);
    QFETCH(int, respondentCount);
    QFETCH(bool, modified);

    Session s;
    QVERIFY(s.ready());
    s.stand(respondent, row);
    QCOMPARE(s.doc->CurrentQuestion, row);
    s.type(keys);

    QCOMPARE(s.answer(respondent, row), stored);
    QCOMPARE(s.sn(row)->text(), stored);
    QVERIFY(s.tallyMatchesAnswers(row));
    QVERIFY(s.rowOnScreenIsWhole(row));
    QCOMPARE(s.doc->RespondentCount, respondentCount);
    QCOMPARE(s.doc->CurrentRespondent, respondent);
    QCOMPARE(s.doc->CurrentQuestion, focusRow);
    QCOMPARE(s.focused(), s.sn(focusRow));
    QCOMPARE(s.focused()->selectedText(), s.focused()->text());
    QCOMPARE(s.doc->Modified, modified);
    QVERIFY(s.platform.verifyDone());
}

void TestKeyEntry::multiSelectEntry_data() {
    QTest::addColumn<int>("respondent");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("boxWhilePending");
    QTest::addColumn<QString>("stored");

    QTest::newRow("sorted") << 3 << "531"
                            << "531"
                            << "135";
    QTest::newRow("duplicates collapse") << 3 << "33311"
                                         << "33311"
                                         << "13";
    QTest::newRow("box holds five characters") << 3 << "1234512"
                                               << "12345"
                                               << "12345";
    QTest::newRow("digits above the choices vanish") << 3 << "79"
                                                     << "79"
                                                     << "0";
    QTest::newRow("lone digit above the choices is NG") << 3 << "7"
                                                        << "7"
                                                        << "9";
    QTest::newRow("backspace edits the box") << 3 << "12\b3"
                                             << "13"
                                             << "13";
    QTest::newRow("blank passes into the box") << 3 << "2 4"
                                               << "2 4"
                                               << "24";
    QTest::newRow("zero on a new respondent starts an entry") << 3 << "02"
                                                              << "02"
                                                              << "2";
    QTest::newRow("zero on an earlier respondent is swallowed") << 1 << "0"
                                                                << ""
                                                                << "135";
    QTest::newRow("earlier respondent replaced") << 1 << "42"
                                                 << "42"
                                                 << "24";
}

void TestKeyEntry::multiSelectEntry() {
    QFETCH(int, respondent);
    QFETCH(QString, keys);
    QFETCH(QString, boxWhilePending);
    QFETCH(QString, stored);

    Session s;
    QVERIFY(s.ready());
    s.stand(respondent, 3);
    QLineEdit* box = s.sn(3);
    s.type(keys);
    const bool pending = !boxWhilePending.isEmpty();
    QCOMPARE(s.doc->EntryPending, pending);
    QCOMPARE(isYellow(box), pending);
    if (!pending) return; // nothing was typed into the box; Enter would move on
    QCOMPARE(box->text(), boxWhilePending);
    QCOMPARE(s.doc->CurrentQuestion, 3);
    QCOMPARE(s.focused(), box);

    s.type(QStringLiteral("\r"));
    QVERIFY(!s.doc->EntryPending);
    QVERIFY(!isYellow(box));
    QCOMPARE(s.answer(respondent, 3), stored);
    QCOMPARE(box->text(), stored);
    QVERIFY(s.tallyMatchesAnswers(3));
    QVERIFY(s.doc->Modified);
    QCOMPARE(s.doc->CurrentRespondent, respondent);
    QCOMPARE(s.doc->CurrentQuestion, 4);
    QCOMPARE(s.focused(), s.sn(4));
    QVERIFY(!s.focused()->hasSelectedText());
    QVERIFY(s.platform.verifyDone());
}

void TestKeyEntry::enterWithoutDigitsMovesOn() {
    Session s;
    QVERIFY(s.ready());
    s.stand(1, 3);
    s.type(QStringLiteral("\r"));
    QCOMPARE(s.answer(1, 3), QStringLiteral("135"));
    QCOMPARE(s.doc->CurrentRespondent, 2);
    QVERIFY(!s.doc->Modified);
}

void TestKeyEntry::pendingEntryKeepsKeysInItsBox() {
    Session s;
    QVERIFY(s.ready());
    s.stand(3, 3);
    QLineEdit* box = s.sn(3);
    s.type(QStringLiteral("12"));
    QCOMPARE(box->cursorPosition(), 2);

    // The arrows move the caret; neither respondent nor question changes.
    s.key(Qt::Key_Left);
    s.key(Qt::Key_Right);
    s.key(Qt::Key_Left);
    s.key(Qt::Key_Down);
    s.key(Qt::Key_Up);
    QCOMPARE(box->cursorPosition(), 1);
    s.type(QStringLiteral("3"));
    QCOMPARE(box->text(), QStringLiteral("132"));
    s.key(Qt::Key_Delete);
    QCOMPARE(box->text(), QStringLiteral("13"));
    QCOMPARE(s.doc->CurrentRespondent, 3);
    QCOMPARE(s.doc->CurrentQuestion, 3);

    // A click into another box returns the focus to the pending one.
    QTest::mouseClick(s.sn(1), Qt::LeftButton);
    QCOMPARE(s.focused(), box);
    QCOMPARE(s.doc->CurrentQuestion, 3);
    QVERIFY(s.doc->EntryPending);

    s.type(QStringLiteral("\r"));
    QCOMPARE(s.answer(3, 3), QStringLiteral("13"));
    QVERIFY(s.platform.verifyDone());
}

void TestKeyEntry::arrowKeys_data() {
    QTest::addColumn<int>("respondent");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("toRespondent");
    QTest::addColumn<int>("toRow");

    QTest::newRow("left on the first respondent") << 1 << 2 << int(Qt::Key_Left) << 1 << 2;
    QTest::newRow("left") << 2 << 2 << int(Qt::Key_Left) << 1 << 2;
    QTest::newRow("left from the new respondent") << 3 << 6 << int(Qt::Key_Left) << 2 << 6;
    QTest::newRow("right from an earlier respondent") << 1 << 4 << int(Qt::Key_Right) << 2 << 4;
    QTest::newRow("right from a complete last respondent")
        << 2 << 1 << int(Qt::Key_Right) << 3 << 1;
    QTest::newRow("right from an empty new respondent") << 3 << 1 << int(Qt::Key_Right) << 3 << 1;
    QTest::newRow("up on the first question") << 1 << 1 << int(Qt::Key_Up) << 1 << 1;
    QTest::newRow("up") << 1 << 3 << int(Qt::Key_Up) << 1 << 2;
    QTest::newRow("up skips a hidden row") << 1 << 6 << int(Qt::Key_Up) << 1 << 4;
    QTest::newRow("down") << 1 << 1 << int(Qt::Key_Down) << 1 << 2;
    QTest::newRow("down onto a hidden row") << 1 << 4 << int(Qt::Key_Down) << 1 << 4;
    QTest::newRow("down on the last question") << 1 << 6 << int(Qt::Key_Down) << 1 << 6;
    QTest::newRow("other keys stay") << 1 << 3 << int(Qt::Key_Home) << 1 << 3;
}

void TestKeyEntry::arrowKeys() {
    QFETCH(int, respondent);
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(int, toRespondent);
    QFETCH(int, toRow);

    Session s;
    QVERIFY(s.ready());
    s.stand(respondent, row);
    s.sn(row)->setCursorPosition(0);
    s.key(Qt::Key(key));

    QCOMPARE(s.doc->CurrentRespondent, toRespondent);
    QCOMPARE(s.UpDown1()->position(), toRespondent);
    QCOMPARE(s.Label3()->text(), QStringLiteral("No.%1").arg(toRespondent));
    QCOMPARE(s.doc->CurrentQuestion, toRow);
    QCOMPARE(s.focused(), s.sn(toRow));
    QCOMPARE(s.focused()->selectedText(), s.focused()->text());
    QCOMPARE(s.doc->RespondentCount, 2);
    for (int q = 1; q <= 6; ++q) QCOMPARE(s.sn(q)->text(), s.answer(toRespondent, q));
}

void TestKeyEntry::leftDropsAllZeroLastRespondent() {
    Session s;
    QVERIFY(s.ready());
    s.stand(3, 1);
    s.type(QStringLiteral("1"));
    QCOMPARE(s.doc->RespondentCount, 3);
    s.key(Qt::Key_Up);
    s.type(QStringLiteral("0")); // the last respondent may blank its own answer
    QCOMPARE(s.answer(3, 1), QStringLiteral("0"));
    QCOMPARE(s.doc->RespondentCount, 3);

    s.key(Qt::Key_Left);
    QCOMPARE(s.doc->RespondentCount, 2);
    QCOMPARE(s.doc->CurrentRespondent, 2);
    QCOMPARE(s.Label3()->text(), QStringLiteral("No.2"));
}

void TestKeyEntry::focusMovedByTabLeavesCurrentQuestion() {
    Session s;
    QVERIFY(s.ready());
    s.stand(3, 1);
    s.key(Qt::Key_Tab);
    QCOMPARE(s.focused(), s.sn(2));
    QCOMPARE(s.doc->CurrentQuestion, 1);
    s.type(QStringLiteral("2"));
    QCOMPARE(s.answer(3, 1), QStringLiteral("2"));
    QCOMPARE(s.answer(3, 2), QStringLiteral("0"));
    QCOMPARE(s.focused(), s.sn(2));
}

void TestKeyEntry::mouseStepping_data() {
    QTest::addColumn<int>("respondent");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QStringList>("cycle"); // the answers after each press

    const auto list = [](const char* s) { return QString::fromLatin1(s).split(QLatin1Char(' ')); };
    QTest::newRow("4 choices, last respondent, left") << 2 << 6 << true << list("9 0 1 2 3 4 9");
    QTest::newRow("4 choices, last respondent, right") << 2 << 6 << false << list("3 2 1 0 9 4");
    QTest::newRow("4 choices, earlier respondent, left") << 1 << 6 << true << list("3 4 9 1 2");
    QTest::newRow("4 choices, earlier respondent, right") << 1 << 6 << false << list("1 9 4 3 2");
    QTest::newRow("number, last respondent, left") << 2 << 4 << true << list("4 5 6 7 8 9 0 1 2 3");
    QTest::newRow("number, earlier respondent, left") << 1 << 4 << true << list("8 9 0 1");
    QTest::newRow("number, earlier respondent, right")
        << 1 << 4 << false << list("6 5 4 3 2 1 0 9 8");
    QTest::newRow("several choices, left") << 1 << 3 << true << list("1 2");
    QTest::newRow("several choices, right") << 1 << 3 << false << list("134 133");
}

void TestKeyEntry::mouseStepping() {
    QFETCH(int, respondent);
    QFETCH(int, row);
    QFETCH(bool, left);
    QFETCH(QStringList, cycle);

    Session s;
    QVERIFY(s.ready());
    s.stand(respondent, 1);
    QLabel* label = s.no(row);
    int pauses = 0;
    for (const QString& expected : cycle) {
        QTest::mouseClick(label, left ? Qt::LeftButton : Qt::RightButton);
        QCOMPARE(s.platform.pauses, ++pauses);
        QCOMPARE(s.doc->CurrentQuestion, row);
        QCOMPARE(s.doc->HoverRow, row);
        QCOMPARE(s.sn(row)->text(), expected);
        // A two-digit answer of a question with several choices is normalised when stored.
        const QString stored = expected == QStringLiteral("133") ? QStringLiteral("13") : expected;
        QCOMPARE(s.answer(respondent, row), stored);
        QVERIFY(s.tallyMatchesAnswers(row));
        QCOMPARE(s.focused(), s.sn(row));
        QCOMPARE(s.focused()->selectedText(), expected);
        QCOMPARE(label->palette().color(QPalette::Window), QColor(255, 255, 255));
    }
    QVERIFY(s.doc->Modified);
    QCOMPARE(s.doc->RespondentCount, 2);
    QVERIFY(s.platform.verifyDone());
}

void TestKeyEntry::mouseOnEmptiedBoxReportsError() {
    Session s;
    QVERIFY(s.ready());
    s.stand(1, 3);
    s.type(QStringLiteral("\b")); // Backspace empties the selected box without an entry
    QCOMPARE(s.sn(3)->text(), QString());
    QVERIFY(!s.doc->EntryPending);

    s.platform.expectMessage(Platform::Answer::Ok);
    QTest::mouseClick(s.no(3), Qt::LeftButton);
    QVERIFY(s.platform.verifyDone());
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(s.platform.messages[0].text, QStringLiteral("'' is not a valid integer value."));
    QCOMPARE(s.platform.messages[0].icon, Platform::Icon::Error);
    QCOMPARE(s.doc->CurrentQuestion, 3);
    QCOMPARE(s.answer(1, 3), QStringLiteral("135"));
    QVERIFY(s.tallyMatchesAnswers(3));
    QCOMPARE(s.platform.pauses, 0);
}

void TestKeyEntry::hoverWhitensQuestionLabel() {
    Session s;
    QVERIFY(s.ready());
    QLabel* label = s.no(2);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(label, &enter);
    QCOMPARE(s.doc->HoverRow, 2);
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->palette().color(QPalette::Window), QColor(255, 255, 255));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label, &leave);
    QVERIFY(!label->autoFillBackground());
}

void TestKeyEntry::wheelScrollsOneLine() {
    Session s;
    QVERIFY(s.ready());
    s.form->resize(s.form->width(), 120);
    QScrollBar* bar = s.scrollArea()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > bar->singleStep());
    // A wheel step over the window's client area (the controls on it ignore the wheel).
    const auto wheel = [&](int delta) {
        QWidget* over = s.canvas();
        const QPointF at(300, 50);
        QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    };
    wheel(-120);
    QCOMPARE(bar->value(), bar->singleStep());
    wheel(-120);
    QCOMPARE(bar->value(), 2 * bar->singleStep());
    wheel(120);
    QCOMPARE(bar->value(), bar->singleStep());
}

void TestKeyEntry::realKeyboard_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<QString>("stored"); // answer of question 2 (5 choices), respondent 3
    QTest::addColumn<int>("focusRow");

    QTest::newRow("keypad digit") << int(Qt::Key_3) << int(Qt::KeypadModifier) << false << "3" << 3;
    QTest::newRow("repeated digit") << int(Qt::Key_4) << int(Qt::NoModifier) << true << "4" << 3;
    QTest::newRow("shifted digit as typed")
        << int(Qt::Key_2) << int(Qt::ShiftModifier) << false << "2" << 3;
    QTest::newRow("Ctrl with a digit types nothing")
        << int(Qt::Key_2) << int(Qt::ControlModifier) << false << "0" << 2;
    QTest::newRow("Alt with a digit types nothing")
        << int(Qt::Key_2) << int(Qt::AltModifier) << false << "0" << 2;
    QTest::newRow("AltGr types its character")
        << int(Qt::Key_2) << int(Qt::ControlModifier | Qt::AltModifier) << false << "2" << 3;
    QTest::newRow("Ctrl+Enter does not move on")
        << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << "0" << 2;
    QTest::newRow("keypad Enter goes to the first open question")
        << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << "0" << 1;
}

void TestKeyEntry::realKeyboard() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, autoRepeat);
    QFETCH(QString, stored);
    QFETCH(int, focusRow);

    Session s;
    QVERIFY(s.ready());
    s.stand(3, 2);
    QVERIFY(!s.sn(2)->testAttribute(Qt::WA_InputMethodEnabled));
    const bool enter = key == Qt::Key_Enter || key == Qt::Key_Return;
    const QString text = enter ? QStringLiteral("\r") : QString(QChar(key));
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text, autoRepeat);
    QApplication::sendEvent(s.sn(2), &press);

    QCOMPARE(s.answer(3, 2), stored);
    QCOMPARE(s.sn(2)->text(), stored);
    QVERIFY(s.tallyMatchesAnswers(2));
    QCOMPARE(s.doc->CurrentRespondent, 3);
    QCOMPARE(s.doc->CurrentQuestion, focusRow);
    QCOMPARE(s.focused(), s.sn(focusRow));
}

void TestKeyEntry::labelPressDuringEntryMovesTheYellow() {
    Session s;
    QVERIFY(s.ready());
    s.doc->MultiSelect[2] = true;
    s.form->hyoji();
    s.stand(3, 3);
    s.type(QStringLiteral("12"));
    QVERIFY(isYellow(s.sn(3)));

    // The press works regardless of the pending entry and leaves the flag set.
    QTest::mouseClick(s.no(2), Qt::LeftButton);
    QCOMPARE(s.answer(3, 2), QStringLiteral("1"));
    QCOMPARE(s.doc->CurrentQuestion, 2);
    QVERIFY(s.doc->EntryPending);
    s.type(QStringLiteral("4"));
    QCOMPARE(s.sn(2)->text(), QStringLiteral("4"));
    QVERIFY(isYellow(s.sn(2)));

    // Enter confirms the row of the current question; the box where the entry began keeps
    // its typed text and its colour.
    s.type(QStringLiteral("\r"));
    QCOMPARE(s.answer(3, 2), QStringLiteral("4"));
    QVERIFY(!isYellow(s.sn(2)));
    QVERIFY(isYellow(s.sn(3)));
    QCOMPARE(s.sn(3)->text(), QStringLiteral("12"));
    QCOMPARE(s.answer(3, 3), QStringLiteral("0"));
    QVERIFY(!s.doc->EntryPending);
    QCOMPARE(s.doc->CurrentQuestion, 3);
    QVERIFY(s.tallyMatchesAnswers(2));
    QVERIFY(s.tallyMatchesAnswers(3));
}

void TestKeyEntry::keysWhileNumberBoxIsOpen() {
    Session s;
    QVERIFY(s.ready());
    s.stand(1, 3);
    QTest::mouseClick(s.Label3(), Qt::LeftButton);
    QVERIFY(!s.form->keyPreview());
    QVERIFY(!s.Edit2()->testAttribute(Qt::WA_InputMethodEnabled));
    // A press on a question label puts the focus into its box; the number box stays open.
    QTest::mouseClick(s.no(3), Qt::LeftButton);
    QCOMPARE(s.answer(1, 3), QStringLiteral("1"));
    QVERIFY(s.Edit2()->isVisible());
    QLineEdit* box = s.sn(3);
    QCOMPARE(s.focused(), box);

    // Without the window's key preview the box does its own key-down work.
    box->setCursorPosition(1);
    s.key(Qt::Key_Left);
    QCOMPARE(box->cursorPosition(), 0);
    QCOMPARE(s.doc->CurrentRespondent, 1);
    s.type(QStringLiteral("2"));
    QVERIFY(s.doc->EntryPending);
    QCOMPARE(box->text(), QStringLiteral("21"));

    // The jump still happens: the number box takes no notice of the pending entry.
    QTest::mouseClick(s.Button1(), Qt::LeftButton);
    QVERIFY(s.Edit2()->isHidden());
    QVERIFY(s.form->keyPreview());
    QCOMPARE(s.doc->CurrentRespondent, 1);
    QCOMPARE(box->text(), QStringLiteral("1"));
    QVERIFY(s.doc->EntryPending);
}

QTEST_MAIN(TestKeyEntry)
#include "tst_key_entry_window.moc"
