#include "app/main_window.h"

#include "entry/h_spinner.h"
#include "entry/recording.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace vev {

namespace {

void setLabelColours(QLabel* label, const QColor& text, const QColor& background) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, background);
    label->setPalette(palette);
}

} // namespace

void TForm1::tugie() {
    int& r = doc.CurrentRespondent;
    int& q = doc.CurrentQuestion;
    kensa(doc);
    if (doc.FirstOpenQuestion > 0) {
        q = doc.FirstOpenQuestion;
    } else if (r >= MaxRespondents) {
        // The grid has no row after the last respondent: the operator hears it and nothing
        // else changes.
        platform.beep();
        return;
    } else {
        ++r;
        UpDown1->setPosition(r);
        hitoribun();
        q = doc.FirstOpenQuestion > 0 ? doc.FirstOpenQuestion : 1;
    }
    sn[q]->setFocus();
    sn[q]->selectAll();
    scrollArea->verticalScrollBar()->setValue(0);
    scrollArea->ensureWidgetVisible(sn[q], 0, 0); // a first open question far down stays in view
}

void TForm1::UpDown1Click() {
    int& r = doc.CurrentRespondent;
    // The spinner's arrows never take the focus, so the keys stay where they were.
    if (doc.EntryPending) {
        UpDown1->setPosition(r);
        return;
    }
    const int wanted = UpDown1->position();
    if (r >= MaxRespondents && wanted >= r) {
        platform.beep(); // a step forward from the last row of the grid
        UpDown1->setPosition(r);
        return;
    }
    if (r < doc.RespondentCount)
        doc.FirstOpenQuestion = 0;
    else
        kensa(doc);
    // Past the last respondent only when it is complete; the spinner keeps its whole range,
    // so the next click is judged afresh.
    r = (wanted > r && doc.FirstOpenQuestion > 0) ? r : wanted;
    UpDown1->setPosition(r);
    hitoribun();
    int& q = doc.CurrentQuestion;
    q = doc.FirstOpenQuestion > 0 ? doc.FirstOpenQuestion : 1;
    sn[q]->setFocus();
    sn[q]->selectAll();
}

void TForm1::Label3MouseEnter() {
    if (doc.EntryPending || !Edit2->isHidden()) return;
    setLabelColours(Label3, QColor(255, 255, 255), QColor(255, 0, 0));
}

void TForm1::Label3MouseLeave() {
    if (doc.EntryPending) return;
    setLabelColours(Label3, QColor(255, 0, 0), QColor(255, 255, 255));
}

void TForm1::Label3Click() {
    if (doc.EntryPending) {
        sn[doc.CurrentQuestion]->setFocus();
        return;
    }
    // A respondent number is typed in half-width digits: no input method composes it.
    Edit2->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit2->setText(QString::number(doc.CurrentRespondent));
    Edit2->show();
    Edit2->raise();
    Edit2->setFocus();
    Edit2->selectAll();
    Button1->show();
    Button1->raise();
    KeyPreview = false;
}

void TForm1::Button1Click() {
    int& r = doc.CurrentRespondent;
    int& q = doc.CurrentQuestion;
    bool whole = false;
    int v = Edit2->text().toInt(&whole);
    if (!whole) v = r;
    if (v >= 1 && v <= doc.RespondentCount) {
        r = v;
        UpDown1->setPosition(v);
    }
    hitoribun();
    q = doc.FirstOpenQuestion > 0 ? doc.FirstOpenQuestion : 1;
    Edit2->hide();
    Button1->hide();
    KeyPreview = true;
    UpDown1->update();
    sn[q]->setFocus();
    sn[q]->deselect();
}

void TForm1::Edit2KeyPress(char key) {
    if (key == 13) {
        Button1Click();
        return;
    }
    // The event filter lets the box take these keys itself; a direct call types them here.
    if (key == 8)
        Edit2->backspace();
    else if (static_cast<unsigned char>(key) >= ' ')
        Edit2->insert(QString(QLatin1Char(key)));
}

} // namespace vev
