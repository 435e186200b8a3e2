#include "keying/respondent_bar.h"

#include "keying/answer_entry.h"
#include "keying/h_spinner.h"
#include "keying/question_grid.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace vev {

namespace {

void setLabelColours(QLabel* label, const QColor& text, const QColor& background) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, background);
    label->setPalette(palette);
}

} // namespace

RespondentBar::RespondentBar(SurveyDocument& doc, AnswerEntry& entry, QuestionGrid& grid,
                             Guard runGuarded)
    : QObject(&grid), doc_(doc), entry_(entry), grid_(grid), runGuarded_(std::move(runGuarded)) {
    Label3 = new QLabel(QStringLiteral("No.1"), &grid);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(10, 0, 58, 19);
    Label3->setFont(look::proportionalFont(17, true));
    look::setColours(Label3, QColor(255, 0, 0), QColor(255, 255, 255));
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->hide();

    Edit2 = new QLineEdit(&grid);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(35, 0, 33, 19);
    Edit2->setFont(look::proportionalFont(16, true));
    Edit2->setMaxLength(3);
    Edit2->setTextMargins(0, 0, 0, 0);
    Edit2->setAcceptDrops(false);
    look::setColours(Edit2, QColor(255, 0, 0));
    Edit2->hide();

    UpDown1 = new HSpinner(&grid);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(67, 0, 29, 19);
    UpDown1->setRange(1, MaxRespondents);
    UpDown1->setPosition(1);
    UpDown1->hide();

    Button1 = new QPushButton(QString::fromUtf8("≫"), &grid);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(67, 0, 29, 19);
    Button1->setFont(look::proportionalFont(15, true));
    Button1->hide();

    connect(UpDown1, &HSpinner::clicked, this, [this] { runGuarded_([this] { UpDown1Click(); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { runGuarded_([this] { Button1Click(); }); });
    Label3->installEventFilter(this);
    Edit2->installEventFilter(this);
}

void RespondentBar::raise() {
    Label3->raise();
    Edit2->raise();
    UpDown1->raise();
    Button1->raise();
}

void RespondentBar::show() {
    Label3->show();
    UpDown1->show();
}

void RespondentBar::hide() {
    Label3->hide();
    UpDown1->hide();
    closeJumpBox();
}

void RespondentBar::showNumber() {
    const QString number = QStringLiteral("No.") + QString::number(doc_.CurrentRespondent);
    if (Label3->text() != number) Label3->setText(number);
}

void RespondentBar::setSpinner(int position) {
    UpDown1->setPosition(position);
}

void RespondentBar::followRespondent() {
    UpDown1->setPosition(doc_.CurrentRespondent);
    showNumber();
}

void RespondentBar::closeJumpBox() {
    Edit2->hide();
    Button1->hide();
    KeyPreview = true;
}

void RespondentBar::UpDown1Click() {
    // The spinner's arrows never take the focus, so the keys stay where they were.
    const EntryOutcome outcome = entry_.spinnerClick(UpDown1->position());
    UpDown1->setPosition(doc_.CurrentRespondent); // a refused or pending step snaps back
    grid_.apply(outcome);
}

void RespondentBar::Label3MouseEnter() {
    if (doc_.EntryPending || !Edit2->isHidden()) return;
    setLabelColours(Label3, QColor(255, 255, 255), QColor(255, 0, 0));
}

void RespondentBar::Label3MouseLeave() {
    if (doc_.EntryPending) return;
    setLabelColours(Label3, QColor(255, 0, 0), QColor(255, 255, 255));
}

void RespondentBar::Label3Click() {
    if (doc_.EntryPending) {
        grid_.apply({.focus = EntryOutcome::Focus::Plain});
        return;
    }
    // A respondent number is typed in half-width digits: no input method composes it.
    Edit2->setAttribute(Qt::WA_InputMethodEnabled, false);
    Edit2->setText(QString::number(doc_.CurrentRespondent));
    Edit2->show();
    Edit2->raise();
    Edit2->setFocus();
    Edit2->selectAll();
    Button1->show();
    Button1->raise();
    KeyPreview = false;
}

void RespondentBar::Button1Click() {
    bool whole = false;
    const int number = Edit2->text().toInt(&whole);
    const EntryOutcome outcome = entry_.jump(whole ? number : doc_.CurrentRespondent);
    closeJumpBox();
    UpDown1->update();
    grid_.apply(outcome);
}

void RespondentBar::Edit2KeyPress(char key) {
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

bool RespondentBar::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Label3) {
        if (type == QEvent::Enter) runGuarded_([this] { Label3MouseEnter(); });
        if (type == QEvent::Leave) runGuarded_([this] { Label3MouseLeave(); });
        if (type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                Label3->rect().contains(mouse->position().toPoint()))
                runGuarded_([this] { Label3Click(); });
        }
        return false;
    }
    if (watched == Edit2 && type == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (QuestionGrid::scrollsGrid(key)) return true; // the box has no use for them
        // Either Enter key without Alt or Ctrl (as the answer boxes read it) jumps; the box
        // takes every other key itself.
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                           !key->modifiers().testFlag(Qt::AltModifier) &&
                           !key->modifiers().testFlag(Qt::ControlModifier);
        if (!enter) return false;
        runGuarded_([this] { Edit2KeyPress(13); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vev

#include "moc_respondent_bar.cpp"
