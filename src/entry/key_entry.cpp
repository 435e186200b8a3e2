#include "app/main_window.h"

#include "entry/h_spinner.h"

#include "entry/recording.h"
#include "entry/tally_text.h"
#include "model/sjis.h"
#include "model/vev_error.h"

#include <QAbstractSlider>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <string>

namespace vev {

namespace {

constexpr char Enter = 13;
constexpr char Backspace = 8;

// Set by the event filter around snKeyPress: a character that the answer-box rules hand to the
// box unchanged is then delivered as the original key event (so that Backspace, a pasted text
// or a wide character behave as the box itself makes them). Without it (a direct call) the
// handler puts the character into the box itself.
bool* passToBox = nullptr;
// The event filter is forwarding a key event to the current answer box.
bool forwardingKey = false;

// A question is keyed in as several choices only with the flag and at least two choices.
bool enteredAsMultiSelect(const SurveyDocument& doc, int q) {
    return doc.MultiSelect[q] && doc.ChoiceCount[q] >= 2;
}

// The row below q takes the focus only when it is a question with choices.
bool nextRowTakesFocus(const SurveyDocument& doc, int q) {
    return q < MaxQuestions && q + 1 <= doc.QuestionCount && doc.ChoiceCount[q + 1] > 0;
}

void setBoxBackground(QLineEdit* box, const QColor& colour) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colour);
    box->setPalette(palette);
}

// A question label in white (the mouse is over it or it was pressed), yellow (a press is being
// recorded) or, with an invalid colour, the panel's own colour again.
void setLabelBackground(QLabel* label, const QColor& colour) {
    if (!colour.isValid()) {
        label->setAutoFillBackground(false);
        return;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

// The character a key event types into a box: 13 for either Enter key, 0 for keys that type
// nothing (arrows, Delete, function keys). A character outside ASCII counts as "anything
// else": it is never a digit. A printable key held with Ctrl or Alt alone types nothing, as
// on Windows (Ctrl+1 is no "1"); Ctrl+Alt together is AltGr and types its character.
char typedCharacter(const QKeyEvent* event) {
    const Qt::KeyboardModifiers held = event->modifiers();
    const bool ctrl = held.testFlag(Qt::ControlModifier);
    const bool alt = held.testFlag(Qt::AltModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (alt) return 0;
        return ctrl ? '\n' : Enter; // Ctrl+Enter types a line feed, which no handler takes
    }
    const QString text = event->text();
    if (text.isEmpty()) return 0;
    const char16_t c = text.front().unicode();
    if (c == 0x7f) return 0; // Delete types nothing
    if (c >= ' ' && (ctrl != alt || held.testFlag(Qt::MetaModifier))) return 0;
    if (c >= 0x80) return '\x7f';
    return static_cast<char>(c);
}

// Keys that an answer box or the number box leaves alone and the scroll area would take.
bool scrollsGrid(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

void TForm1::snKeyPress(char key) {
    const int r = doc.CurrentRespondent;
    const int q = doc.CurrentQuestion;
    QLineEdit* box = sn[q];

    if (!enteredAsMultiSelect(doc, q)) {
        if (key == Enter) {
            tugie();
            return;
        }
        if (key < '0' || key > '9') return;
        doc.EntryBuffer = std::string(1, key);
        // A "0" does not blank the answer of a respondent before the last one.
        if (doc.ChoiceCount[q] >= 2 && r < doc.RespondentCount && key == '0') return;
        dataDEL(doc);
        dataIN(doc);
        doc.Modified = true;
        box->setText(QString::fromLatin1(doc.Answers[r][q].view()));
        ad[q]->setText(QString::fromLatin1(TallyLine(doc, q)));
        if (nextRowTakesFocus(doc, q)) doc.CurrentQuestion = q + 1;
        QLineEdit* next = sn[doc.CurrentQuestion];
        next->setFocus();
        next->selectAll();
        return;
    }

    if (key == Enter) {
        if (doc.EntryPending)
            confirmMultiSelect();
        else
            tugie();
        return;
    }
    if (key >= '0' && key <= '9') {
        if (key == '0' && r < doc.RespondentCount) return;
        doc.EntryPending = true;
        // Every digit colours the box it goes into: after a press on another question's label
        // that is no longer the box where the entry began.
        setBoxBackground(box, QColor(255, 255, 0));
        box->insert(QString(QLatin1Char(key))); // replaces the selection, within the box's length
        return;
    }
    // Backspace, letters and blanks: the box edits itself; the entry state stays as it is.
    if (passToBox) {
        *passToBox = true;
    } else if (key == Backspace) {
        box->backspace();
    } else if (static_cast<unsigned char>(key) >= ' ') {
        box->insert(QString(QLatin1Char(key)));
    }
}

void TForm1::confirmMultiSelect() {
    const int r = doc.CurrentRespondent;
    const int q = doc.CurrentQuestion;
    QLineEdit* box = sn[q];
    setBoxBackground(box, palette().color(QPalette::Base));
    dataDEL(doc);
    doc.EntryBuffer = sjis::fromQString(box->text());
    dataIN(doc);
    doc.EntryPending = false;
    box->setText(QString::fromLatin1(doc.Answers[r][q].view()));
    ad[q]->setText(QString::fromLatin1(TallyLine(doc, q)));
    if (nextRowTakesFocus(doc, q)) doc.CurrentQuestion = q + 1;
    QLineEdit* next = sn[doc.CurrentQuestion];
    next->setFocus();
    next->deselect();
    doc.Modified = true;
}

void TForm1::FormKeyDown(int key) {
    if (doc.EntryPending) return;
    int& r = doc.CurrentRespondent;
    int& q = doc.CurrentQuestion;
    switch (key) {
    case Qt::Key_Left:
        if (r >= doc.RespondentCount) kensa(doc);
        if (r > 1) {
            --r;
            UpDown1->setPosition(r);
            hitoribun();
        }
        break;
    case Qt::Key_Up:
        // Rows of questions without choices are hidden; the focus skips them.
        for (int above = q - 1; above >= 1; --above) {
            if (doc.ChoiceCount[above] > 0) {
                q = above;
                break;
            }
        }
        break;
    case Qt::Key_Right:
        if (r < doc.RespondentCount)
            doc.FirstOpenQuestion = 0;
        else
            kensa(doc);
        if (doc.FirstOpenQuestion == 0) {
            if (r >= MaxRespondents) {
                platform.beep(); // there is no respondent after the last row of the grid
            } else {
                ++r;
                UpDown1->setPosition(r);
                hitoribun();
            }
        }
        break;
    case Qt::Key_Down:
        if (nextRowTakesFocus(doc, q)) ++q;
        break;
    default:
        break;
    }
    sn[q]->setFocus();
    sn[q]->selectAll();
}

void TForm1::snClick(int row) {
    if (doc.EntryPending) {
        sn[doc.CurrentQuestion]->setFocus();
        return;
    }
    if (!Edit2->isHidden()) {
        Edit2->hide();
        Button1->hide();
        KeyPreview = true;
    }
    doc.CurrentQuestion = row;
    sn[row]->setFocus();
    sn[row]->selectAll();
}

void TForm1::noMouseDown(int row, bool leftButton) {
    doc.HoverRow = row;
    doc.CurrentQuestion = row;
    const QString text = sn[row]->text();
    bool whole = false;
    const int b = text.toInt(&whole);
    if (!whole) throwConversionError(sjis::fromQString(text));

    const int k = doc.ChoiceCount[row];
    const bool last = doc.CurrentRespondent == doc.RespondentCount;
    int v = 0;
    if (leftButton) {
        v = b + 1;
        if (k >= 2 && k < v && v < 9) v = 9;
        if (v > 9) v = (k == 1 || last) ? 0 : 1;
    } else {
        v = b - 1;
        if (k >= 2 && k < v && v < 9) v = k;
        if (v == 0 && k >= 2 && doc.CurrentRespondent < doc.RespondentCount) v = 9;
        if (v < 0) v = 9;
    }
    doc.EntryBuffer = std::to_string(v);
    QLineEdit* box = sn[row];
    box->setText(QString::number(v));
    box->setFocus();
    box->selectAll();

    // The operator sees the yellow label while the press is recorded.
    setLabelBackground(no[row], QColor(255, 255, 0));
    no[row]->repaint();
    platform.pause100ms();

    dataDEL(doc);
    dataIN(doc);
    doc.Modified = true;
    ad[row]->setText(QString::fromLatin1(TallyLine(doc, row)));
    setLabelBackground(no[row], QColor(255, 255, 255));
}

void TForm1::noMouseEnter(int row) {
    doc.HoverRow = row;
    setLabelBackground(no[row], QColor(255, 255, 255));
}

void TForm1::noMouseLeave() {
    const int row = doc.HoverRow;
    if (row >= 1 && row <= MaxQuestions) setLabelBackground(no[row], QColor());
}

void TForm1::FormMouseWheel(int delta) {
    scrollArea->verticalScrollBar()->triggerAction(
        delta > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Wheel:
    case QEvent::FocusIn:
        break;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
    if (forwardingKey) return false;

    if (type == QEvent::FocusIn) {
        // The grid follows the focus: the answer box being keyed is always in view.
        const int row = rowOf(watched);
        if (row != 0 && watched == sn[row]) scrollArea->ensureWidgetVisible(sn[row], 0, 0);
        return false;
    }

    if (watched == canvas) {
        if (type != QEvent::Wheel) return false;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        runGuarded([&] { FormMouseWheel(delta); });
        return true;
    }

    if (watched == Label3) {
        if (type == QEvent::Enter) runGuarded([this] { Label3MouseEnter(); });
        if (type == QEvent::Leave) runGuarded([this] { Label3MouseLeave(); });
        if (type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                Label3->rect().contains(mouse->position().toPoint()))
                runGuarded([this] { Label3Click(); });
        }
        return false;
    }

    if (watched == Edit2) {
        if (type != QEvent::KeyPress) return false;
        if (scrollsGrid(static_cast<QKeyEvent*>(event))) return true; // the box has no use for them
        const char key = typedCharacter(static_cast<QKeyEvent*>(event));
        if (key != Enter) return false; // the box takes every other key itself
        runGuarded([this] { Edit2KeyPress(Enter); });
        return true;
    }

    const int row = rowOf(watched);
    if (row == 0) return QMainWindow::eventFilter(watched, event);

    if (watched == no[row]) {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const bool left = static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton;
            runGuarded([&] { noMouseDown(row, left); });
            return true;
        }
        case QEvent::Enter:
            runGuarded([&] { noMouseEnter(row); });
            return false;
        case QEvent::Leave:
            runGuarded([this] { noMouseLeave(); });
            return false;
        default:
            return false;
        }
    }

    if (watched != sn[row]) return QMainWindow::eventFilter(watched, event);

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        runGuarded([&] { snClick(row); });
        // The pending box itself still places its caret where it was clicked.
        return !(doc.EntryPending && row == doc.CurrentQuestion);
    }
    if (type != QEvent::KeyPress) return false;

    auto* keyEvent = static_cast<QKeyEvent*>(event);
    // Tab moves the focus as in any dialog; no handler sees it.
    if (keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab) return false;

    const char key = typedCharacter(keyEvent);
    bool pass = false;
    runGuarded([&] {
        if (KeyPreview) FormKeyDown(keyEvent->key());
        if (key == 0) {
            // Arrows, Delete and the like edit only a pending box, or any box while the
            // respondent number box has the window's key preview off.
            pass = doc.EntryPending || !KeyPreview;
            return;
        }
        passToBox = &pass;
        try {
            snKeyPress(key);
        } catch (...) {
            passToBox = nullptr;
            throw;
        }
        passToBox = nullptr;
    });
    // A box ignores the vertical keys, which would then scroll the grid away from it.
    if (!pass || scrollsGrid(keyEvent)) return true;

    // Keys act on the current question even when the focus was moved elsewhere (Tab).
    QLineEdit* box = sn[doc.CurrentQuestion];
    if (box == watched) return false;
    box->setFocus();
    forwardingKey = true;
    QCoreApplication::sendEvent(box, event);
    forwardingKey = false;
    return true;
}

} // namespace vev
