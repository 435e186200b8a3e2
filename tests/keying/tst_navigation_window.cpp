// Moving between respondents: Enter on a respondent, the spinner, the "No." label with its
// number box, and the end of the answer grid, through the real widgets of the main window.
//
// entry_survey.dat: 1 性別 (2 choices), 2 年代 (5), 3 機能 (5, several at once), 4 人数 (1, a
// number), 5 空き (no choices, hidden), 6 満足 (4); respondents 1 and 2 are complete.
#include "app/main_window.h"
#include "keying/h_spinner.h"
#include "model/recording.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

using namespace vev;

namespace {

struct Session : test::EntrySession {
    void spin(int direction) {
        HSpinner* spinner = UpDown1();
        QTest::mouseClick(direction > 0 ? spinner->forwardButton() : spinner->backButton(),
                          Qt::LeftButton);
    }
    // Where the grid shows respondent r: number label, spinner and answer boxes agree.
    bool shows(int r) const {
        if (doc->CurrentRespondent != r || UpDown1()->position() != r) return false;
        if (Label3()->text() != QStringLiteral("No.%1").arg(r)) return false;
        for (int q = 1; q <= doc->QuestionCount; ++q)
            if (sn(q)->text() != answer(r, q)) return false;
        return true;
    }
    QScrollBar* scrollBar() const { return scrollArea()->verticalScrollBar(); }
    // The widget lies wholly inside the visible part of the grid.
    bool inView(const QWidget* widget) const {
        const QWidget* viewport = scrollArea()->viewport();
        return viewport->rect().contains(
            QRect(widget->mapTo(viewport, QPoint(0, 0)), widget->size()));
    }
};

enum Step { EnterKey, RightArrow, SpinnerForward };

} // namespace

Q_DECLARE_METATYPE(Step)

class TestNavigation : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void enterMoves_data();
    void enterMoves();
    void spinnerRefusesIncompleteLast();
    void spinnerSnapsBackWhilePending();
    void jumpBox_data();
    void jumpBox();
    void jumpBoxClosedByClickIntoAnswerBox();
    void pendingEntryBlocksNumberLabel();
    void numberLabelHover_data();
    void numberLabelHover();
    void noStepBeyondLastRow_data();
    void noStepBeyondLastRow();
    void gridFollowsFocus();
    void verticalKeysLeaveGridAlone_data();
    void verticalKeysLeaveGridAlone();
};

void TestNavigation::enterMoves_data() {
    QTest::addColumn<int>("respondent");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys"); // typed before the final Enter
    QTest::addColumn<int>("toRespondent");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("respondentCount");

    QTest::newRow("open question with choices") << 3 << 1 << "132\r5" << 3 << 6 << 3;
    QTest::newRow("first open question") << 3 << 6 << "3" << 3 << 1 << 3;
    QTest::newRow("complete earlier respondent") << 1 << 3 << "" << 2 << 1 << 2;
    QTest::newRow("complete last respondent") << 2 << 4 << "" << 3 << 1 << 2;
    QTest::newRow("all-zero last respondent is dropped") << 3 << 1 << "1" << 3 << 1 << 2;
    QTest::newRow("empty new respondent stays") << 3 << 6 << "" << 3 << 1 << 2;
}

void TestNavigation::enterMoves() {
    QFETCH(int, respondent);
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(int, toRespondent);
    QFETCH(int, toRow);
    QFETCH(int, respondentCount);

    Session s;
    QVERIFY(s.ready());
    s.form->resize(s.form->width(), 120); // small enough to scroll
    s.stand(respondent, row);
    s.type(keys);
    if (keys == QStringLiteral("1")) {
        // The last respondent blanks its only answer again.
        s.key(Qt::Key_Up);
        s.type(QStringLiteral("0"));
    }
    s.scrollBar()->setValue(s.scrollBar()->maximum());
    QVERIFY(s.scrollBar()->value() > 0);
    s.type(QStringLiteral("\r"));

    QVERIFY(s.shows(toRespondent));
    QCOMPARE(s.doc->RespondentCount, respondentCount);
    QCOMPARE(s.doc->CurrentQuestion, toRow);
    QCOMPARE(s.focused(), s.sn(toRow));
    QCOMPARE(s.focused()->selectedText(), s.focused()->text());
    // Back to the top, unless the focused box is further down than the first page.
    QVERIFY(s.inView(s.focused()));
    if (toRow == 1) QCOMPARE(s.scrollBar()->value(), 0);
    for (int q = 1; q <= 6; ++q) QCOMPARE(s.answer(toRespondent, q).isEmpty(), false);
    QCOMPARE(s.platform.beeps, 0);
}

void TestNavigation::spinnerRefusesIncompleteLast() {
    Session s;
    QVERIFY(s.ready());
    s.stand(3, 1);
    s.type(QStringLiteral("1")); // respondent 3 is now the last, question 2 still open
    QCOMPARE(s.doc->RespondentCount, 3);

    s.spin(+1);
    QVERIFY(s.shows(3));
    QCOMPARE(s.UpDown1()->minimum(), 1);
    QCOMPARE(s.UpDown1()->maximum(), 999);
    QCOMPARE(s.doc->CurrentQuestion, 2);
    QCOMPARE(s.focused(), s.sn(2));
    s.key(Qt::Key_Right);
    QVERIFY(s.shows(3));

    s.spin(-1);
    QVERIFY(s.shows(2));
    QCOMPARE(s.doc->CurrentQuestion, 1); // respondent 2 is complete
    s.spin(+1);                          // from an earlier respondent the step is always allowed
    QVERIFY(s.shows(3));
    s.spin(+1);
    QVERIFY(s.shows(3));
    QCOMPARE(s.platform.beeps, 0);
}

void TestNavigation::spinnerSnapsBackWhilePending() {
    Session s;
    QVERIFY(s.ready());
    s.stand(1, 3);
    s.type(QStringLiteral("12"));
    QVERIFY(s.doc->EntryPending);
    s.spin(+1);
    s.spin(-1);
    QCOMPARE(s.doc->CurrentRespondent, 1);
    QCOMPARE(s.UpDown1()->position(), 1);
    QCOMPARE(s.sn(3)->text(), QStringLiteral("12"));
    QVERIFY(s.doc->EntryPending);
    s.type(QStringLiteral("\r"));
    QCOMPARE(s.answer(1, 3), QStringLiteral("12"));
}

void TestNavigation::jumpBox_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<int>("toRespondent");

    QTest::newRow("existing respondent") << "1" << false << 1;
    QTest::newRow("existing respondent, button") << "1" << true << 1;
    QTest::newRow("zero") << "0" << false << 2;
    QTest::newRow("above the respondent count") << "5" << false << 2;
    QTest::newRow("the new respondent after the last") << "3" << true << 2;
    QTest::newRow("letters") << "ab" << true << 2;
    QTest::newRow("emptied") << "\b" << false << 2;
}

void TestNavigation::jumpBox() {
    QFETCH(QString, keys);
    QFETCH(bool, byButton);
    QFETCH(int, toRespondent);

    Session s;
    QVERIFY(s.ready());
    QVERIFY(s.shows(2)); // the loader shows the last respondent, whose question 5 is open
    QTest::mouseClick(s.Label3(), Qt::LeftButton);
    QLineEdit* box = s.Edit2();
    QVERIFY(box->isVisible());
    QVERIFY(s.Button1()->isVisible());
    QCOMPARE(s.focused(), box);
    QCOMPARE(box->selectedText(), QStringLiteral("2"));
    QVERIFY(!s.form->keyPreview());

    s.type(keys);
    s.key(Qt::Key_Left); // stays in the box: the window does not see it
    QVERIFY(s.shows(2));
    if (byButton)
        QTest::mouseClick(s.Button1(), Qt::LeftButton);
    else
        s.type(QStringLiteral("\r"));

    QVERIFY(s.shows(toRespondent));
    QVERIFY(box->isHidden());
    QVERIFY(s.Button1()->isHidden());
    QVERIFY(s.form->keyPreview());
    QCOMPARE(s.doc->CurrentQuestion, 1);
    QCOMPARE(s.focused(), s.sn(1));
    QVERIFY(!s.focused()->hasSelectedText());
    QCOMPARE(s.doc->RespondentCount, 2);
}

void TestNavigation::jumpBoxClosedByClickIntoAnswerBox() {
    Session s;
    QVERIFY(s.ready());
    s.stand(1, 1);
    QTest::mouseClick(s.Label3(), Qt::LeftButton);
    QVERIFY(s.Edit2()->isVisible());
    s.type(QStringLiteral("2"));
    QTest::mouseClick(s.sn(2), Qt::LeftButton);
    QVERIFY(s.Edit2()->isHidden());
    QVERIFY(s.Button1()->isHidden());
    QVERIFY(s.form->keyPreview());
    QVERIFY(s.shows(1));
    QCOMPARE(s.doc->CurrentQuestion, 2);
    QCOMPARE(s.focused(), s.sn(2));
    s.key(Qt::Key_Right); // the window sees keys again
    QVERIFY(s.shows(2));
}

void TestNavigation::pendingEntryBlocksNumberLabel() {
    Session s;
    QVERIFY(s.ready());
    s.stand(3, 3);
    s.type(QStringLiteral("4"));
    QVERIFY(s.doc->EntryPending);
    QTest::mouseClick(s.Label3(), Qt::LeftButton);
    QVERIFY(s.Edit2()->isHidden());
    QCOMPARE(s.focused(), s.sn(3));
    QVERIFY(s.form->keyPreview());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(s.Label3(), &enter);
    QCOMPARE(s.Label3()->palette().color(QPalette::Window), QColor(255, 255, 255));
    s.type(QStringLiteral("\r"));
    QCOMPARE(s.answer(3, 3), QStringLiteral("4"));
}

void TestNavigation::numberLabelHover_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("enterTurnsRed");
    QTest::addColumn<bool>("leaveTurnsWhite");

    QTest::newRow("normal") << "normal" << true << true;
    QTest::newRow("number box open") << "box" << false << true;
    QTest::newRow("entry pending") << "pending" << false << false;
}

void TestNavigation::numberLabelHover() {
    QFETCH(QString, state);
    QFETCH(bool, enterTurnsRed);
    QFETCH(bool, leaveTurnsWhite);

    Session s;
    QVERIFY(s.ready());
    QLabel* label = s.Label3();
    const QColor red(255, 0, 0);
    const QColor white(255, 255, 255);
    const auto colours = [&] {
        return qMakePair(label->palette().color(QPalette::Window),
                         label->palette().color(QPalette::WindowText));
    };
    const auto send = [&](QEvent::Type type) {
        QEvent event(type);
        QApplication::sendEvent(label, &event);
    };
    if (state == QStringLiteral("box")) QTest::mouseClick(label, Qt::LeftButton);
    if (state == QStringLiteral("pending")) {
        s.stand(3, 3);
        s.type(QStringLiteral("2"));
        QVERIFY(s.doc->EntryPending);
    }
    send(QEvent::Leave);
    QCOMPARE(colours(), qMakePair(white, red));

    send(QEvent::Enter);
    QCOMPARE(colours(), enterTurnsRed ? qMakePair(red, white) : qMakePair(white, red));
    // The mouse is over the label whatever the state when it came in.
    if (!enterTurnsRed) {
        s.doc->EntryPending = false;
        s.Edit2()->hide();
        send(QEvent::Enter);
        s.doc->EntryPending = state == QStringLiteral("pending");
    }
    send(QEvent::Leave);
    QCOMPARE(colours(), leaveTurnsWhite ? qMakePair(white, red) : qMakePair(red, white));
}

void TestNavigation::noStepBeyondLastRow_data() {
    QTest::addColumn<Step>("step");
    QTest::newRow("Enter") << EnterKey;
    QTest::newRow("right arrow") << RightArrow;
    QTest::newRow("spinner") << SpinnerForward;
}

void TestNavigation::noStepBeyondLastRow() {
    QFETCH(Step, step);

    Session s;
    QVERIFY(s.ready());
    // Every row of the grid answered: respondents 3..999 copy respondent 1.
    SurveyDocument& doc = *s.doc;
    for (int r = 3; r <= MaxRespondents; ++r) {
        doc.CurrentRespondent = r;
        for (int q = 1; q <= doc.QuestionCount; ++q) {
            doc.CurrentQuestion = q;
            doc.EntryBuffer = doc.Answers[1][q].view();
            dataIN(doc);
        }
    }
    QCOMPARE(doc.RespondentCount, MaxRespondents);
    const int tally = doc.Tally[1][1];
    s.stand(MaxRespondents, 2);

    switch (step) {
    case EnterKey:
        s.type(QStringLiteral("\r"));
        break;
    case RightArrow:
        s.key(Qt::Key_Right);
        break;
    case SpinnerForward:
        s.spin(+1);
        break;
    }
    QVERIFY(s.shows(MaxRespondents));
    QCOMPARE(s.platform.beeps, 1);
    QCOMPARE(doc.RespondentCount, MaxRespondents);
    QCOMPARE(doc.Tally[1][1], tally);
    QCOMPARE(s.UpDown1()->maximum(), MaxRespondents);
    QCOMPARE(s.focused(), s.sn(2));

    s.spin(-1); // and back as usual
    QVERIFY(s.shows(MaxRespondents - 1));
}

// Keying down the questions of a window too small for them: the focused box stays in view.
void TestNavigation::gridFollowsFocus() {
    Session s;
    QVERIFY(s.ready());
    s.form->resize(s.form->width(), 120);
    s.stand(3, 1);
    QCOMPARE(s.scrollBar()->value(), 0);
    QVERIFY(s.type(QStringLiteral("13")));
    QCOMPARE(s.focused(), s.sn(3));
    QVERIFY(s.inView(s.focused()));
    QVERIFY(s.type(QStringLiteral("1\r")));
    QCOMPARE(s.focused(), s.sn(4));
    QVERIFY(s.inView(s.focused()));
    QVERIFY(s.scrollBar()->value() > 0);
    for (int i = 0; i < 3; ++i) s.key(Qt::Key_Up);
    QCOMPARE(s.focused(), s.sn(1));
    QVERIFY(s.inView(s.focused()));
}

void TestNavigation::verticalKeysLeaveGridAlone_data() {
    QTest::addColumn<bool>("pending"); // else the respondent number box is open
    QTest::newRow("entry pending") << true;
    QTest::newRow("number box open") << false;
}

void TestNavigation::verticalKeysLeaveGridAlone() {
    QFETCH(bool, pending);
    Session s;
    QVERIFY(s.ready());
    s.form->resize(s.form->width(), 120);
    s.stand(3, 3);
    if (pending) {
        s.type(QStringLiteral("4"));
        QVERIFY(s.doc->EntryPending);
    } else {
        QTest::mouseClick(s.Label3(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), s.Edit2());
    }
    QVERIFY(s.scrollBar()->maximum() > 2);
    s.scrollBar()->setValue(s.scrollBar()->maximum() / 2);
    const int value = s.scrollBar()->value();
    QWidget* focused = QApplication::focusWidget();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Down, Qt::Key_PageDown}) {
        QTest::keyClick(focused, key);
        QCOMPARE(s.scrollBar()->value(), value);
        QCOMPARE(QApplication::focusWidget(), focused);
    }
    QCOMPARE(s.doc->CurrentRespondent, 3);
    if (pending) {
        s.type(QStringLiteral("\r"));
        QCOMPARE(s.answer(3, 3), QStringLiteral("4"));
    }
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation_window.moc"
