#include "editor/editor_dialog.h"

#include "editor/choice_texts_dialog.h"
#include "editor/questionnaire_apply.h"
#include "model/sjis.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QValidator>

#include <algorithm>
#include <functional>
#include <string>

namespace vev {

namespace {

constexpr int TitleBytes = 255;

QFont fontOf(const char* utf8Family, int pixels, bool bold = false) {
    QFont font(QString::fromUtf8(utf8Family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

const char* const ProportionalFont = "ＭＳ Ｐゴシック";
const char* const FixedFont = "ＭＳ ゴシック";

// What a title or question text box accepts. Every character must have a Shift-JIS form
// (refused with a beep: the operator may not see why an emoji does not appear); a question text
// also takes no half-width comma, which would end the text field of the data file, and no more
// than 20 Shift-JIS bytes. Those two are refused silently, as a full box is.
class SurveyTextValidator : public QValidator {
public:
    SurveyTextValidator(std::size_t maxBytes, bool refuseComma, std::function<void()> beep,
                        QObject* parent)
        : QValidator(parent), maxBytes_(maxBytes), refuseComma_(refuseComma),
          beep_(std::move(beep)) {}

    State validate(QString& input, int&) const override {
        if (refuseComma_ && input.contains(QLatin1Char(','))) return Invalid;
        if (!sjis::canEncode(input)) {
            beep_();
            return Invalid;
        }
        if (sjis::fromQString(input).size() > maxBytes_) return Invalid;
        return Acceptable;
    }

private:
    std::size_t maxBytes_;
    bool refuseComma_;
    std::function<void()> beep_;
};

QLabel* makeLabel(QWidget* parent, const char* name, const char* utf8Text, const QFont& font,
                  int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(utf8Text), parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->adjustSize();
    label->move(left, top);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* utf8Text, QRect place) {
    auto* button = new QPushButton(QString::fromUtf8(utf8Text), parent);
    button->setObjectName(QLatin1String(name));
    // The mnemonic's "(&X)" lengthens the caption: a button too narrow for it widens about its
    // centre rather than cut the letter off.
    // (Frame and margin: about five pixels each side.)
    QString shown = button->text();
    shown.remove(QLatin1Char('&'));
    const int missing = button->fontMetrics().horizontalAdvance(shown) + 10 - place.width();
    if (missing > 0) place.adjust(-missing / 2, 0, missing - missing / 2, 0);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::ClickFocus); // the Tab key skips every button
    button->setAutoDefault(false);
    return button;
}

} // namespace

// ---------------------------------------------------------------------------------------------

UpDownButtons::UpDownButtons(QLineEdit& buddy, QWidget* parent)
    : QWidget(parent), buddy_(buddy), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

int UpDownButtons::position() const {
    bool ok = false;
    const int value = buddy_.text().toInt(&ok);
    return std::clamp(ok ? value : 0, minimum_, maximum_);
}

void UpDownButtons::setPosition(int position) {
    buddy_.setText(QString::number(std::clamp(position, minimum_, maximum_)));
}

void UpDownButtons::step(int direction) {
    setPosition(position() + direction);
}

void UpDownButtons::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

// ---------------------------------------------------------------------------------------------

TForm2::TForm2(SurveyDocument& doc, Platform& platform, SurveyView& view, QWidget* parent)
    : QDialog(parent), doc_(doc), platform_(platform), view_(view) {
    setObjectName(QStringLiteral("Form2"));
    // A tool window stays above the main window; the main window stays usable.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    setWindowTitle(QString::fromUtf8("アンケート編集"));
    setFont(fontOf(ProportionalFont, 12));
    setFixedSize(442, 173);
    createWidgets();
}

void TForm2::createWidgets() {
    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit1->setFont(fontOf(FixedFont, 16));
    LabeledEdit1->setFocusPolicy(Qt::ClickFocus); // skipped by the Tab key
    LabeledEdit1->setValidator(new SurveyTextValidator(
        TitleBytes, false, [this] { platform_.beep(); }, this));
    // Alt+S reaches the title, which the Tab key skips.
    LabeledEdit1Label = makeLabel(this, "LabeledEdit1Label", "アンケート名(&S)",
                                  fontOf(ProportionalFont, 12), 0, 0);
    LabeledEdit1Label->setBuddy(LabeledEdit1);
    // The box gives way when the label with its mnemonic does not fit left of it.
    const int titleLeft = std::max(80, 4 + LabeledEdit1Label->width() + 3);
    LabeledEdit1->setGeometry(titleLeft, 10, 345 - titleLeft, 21); // the texts button to its right
    LabeledEdit1Label->move(titleLeft - 3 - LabeledEdit1Label->width(),
                            10 + (21 - LabeledEdit1Label->height()) / 2);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(10, 50, 365, 61);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(1);

    Label1 = new QLabel(QStringLiteral("1"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(fontOf(ProportionalFont, 19, true));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setStyleSheet(QStringLiteral("color: black"));
    Label1->setGeometry(10, 24, 25, 21);

    LabeledEdit2 = new QLineEdit(Panel1);
    LabeledEdit2->setObjectName(QStringLiteral("LabeledEdit2"));
    LabeledEdit2->setFont(fontOf(FixedFont, 15));
    LabeledEdit2->setGeometry(50, 24, 171, 21);
    LabeledEdit2->setValidator(new SurveyTextValidator(
        MaxQuestionTextBytes, true, [this] { platform_.beep(); }, this));
    LabeledEdit2Label =
        makeLabel(Panel1, "LabeledEdit2Label", "質問内容", fontOf(ProportionalFont, 13), 50, 0);
    LabeledEdit2Label->move(50, 24 - 3 - LabeledEdit2Label->height());

    Label4 = makeLabel(Panel1, "Label4", "（10字まで）", fontOf(ProportionalFont, 12), 110, 10);
    Label4->setStyleSheet(QStringLiteral("color: grey"));
    Label2 = makeLabel(Panel1, "Label2", "選択肢の数", fontOf(ProportionalFont, 13), 225, 8);
    Label3 = makeLabel(Panel1, "Label3", "複数選択", fontOf(ProportionalFont, 13), 305, 8);

    Edit1 = new QLineEdit(QStringLiteral("0"), Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFont(fontOf(ProportionalFont, 16));
    Edit1->setGeometry(240, 24, 21, 21);
    Edit1->setMaxLength(1);
    // Keys are filtered in Edit1KeyPress; this keeps pasted or dropped text to one count.
    Edit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-8]?")), Edit1));
    Edit1->setDragEnabled(false);
    Edit1->setAcceptDrops(false);

    UpDown1 = new UpDownButtons(*Edit1, Panel1);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(261, 24, 16, 21);

    CheckBox1 = new QCheckBox(Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(325, 24, 21, 20);

    // The Tab key skips the buttons; each has its Alt+letter instead. The main
    // window's menu letters (F E O T H) reach through this tool window, so none of them is used.
    Button1 = makeButton(this, "Button1", "↑前へ(&P)", {380, 50, 50, 20});
    Button6 = makeButton(this, "Button6", "←削除(&D)", {380, 70, 50, 20});
    Button6->hide();
    Button2 = makeButton(this, "Button2", "↓次へ(&N)", {380, 90, 50, 20});
    Button4 = makeButton(this, "Button4", "適  用(&A)", {60, 130, 85, 25});
    Button3 = makeButton(this, "Button3", "適用して終了(&Q)", {190, 130, 85, 25});
    Button5 = makeButton(this, "Button5", "キャンセル(&C)", {320, 130, 85, 25});

    setTabOrder(LabeledEdit2, Edit1);
    setTabOrder(Edit1, CheckBox1);

    auto guarded = [this](void (TForm2::*handler)()) {
        return [this, handler] { view_.runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(Button1, &QPushButton::clicked, this, guarded(&TForm2::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guarded(&TForm2::Button2Click));
    connect(Button3, &QPushButton::clicked, this, guarded(&TForm2::Button3Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&TForm2::Button4Click));
    connect(Button5, &QPushButton::clicked, this, guarded(&TForm2::Button5Click));
    connect(Button6, &QPushButton::clicked, this, guarded(&TForm2::Button6Click));
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });

    Button7 = makeButton(this, "Button7", "選択肢(&L)...", {350, 9, 80, 23});
    connect(Button7, &QPushButton::clicked, this, guarded(&TForm2::Button7Click));

    // The dialog sees every key before the focused control.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

int TForm2::countInBox() const {
    bool ok = false;
    const int value = Edit1->text().toInt(&ok);
    return ok ? std::clamp(value, 0, 8) : 0;
}

// Sets the count box; the count rule runs also when the text stays the same.
void TForm2::setCountText(const QString& text) {
    if (Edit1->text() == text)
        Edit1Change();
    else
        Edit1->setText(text);
}

void TForm2::Bhyoji() {
    const int q = ShownQuestion;
    Label1->setText(QString::number(q).rightJustified(2, QLatin1Char(' ')));
    LabeledEdit2->setText(sjis::toQString(PendingText[q]));
    UpDown1->setMinimum(PendingChoiceCount[q] > 0 ? 1 : 0);
    setCountText(QString::number(PendingChoiceCount[q]));
    CheckBox1->setEnabled(UpDown1->position() >= 2);
    CheckBox1->setChecked(PendingMultiSelect[q]);
    Button6->setVisible(q == PendingQuestionCount);
}

void TForm2::kiroku() {
    const int q = ShownQuestion;
    const std::string typed = sjis::fromQString(LabeledEdit2->text());
    // 20 bytes, or 19 when byte 20 would start a two-byte character.
    const std::string kept(sjis::cutBytes(typed, MaxQuestionTextBytes));
    if (kept.size() != typed.size()) LabeledEdit2->setText(sjis::toQString(kept));
    PendingText[q] = kept;
    PendingChoiceCount[q] = countInBox();
    PendingMultiSelect[q] = CheckBox1->isChecked();
    if (q > PendingQuestionCount && PendingChoiceCount[q] > 0) PendingQuestionCount = q;
}

void TForm2::Button1Click() {
    kiroku();
    ShownQuestion = std::max(ShownQuestion - 1, 1);
    Bhyoji();
    LabeledEdit2->setFocus();
}

void TForm2::Button2Click() {
    kiroku();
    ShownQuestion = std::min({ShownQuestion + 1, PendingQuestionCount + 1, MaxQuestions});
    Bhyoji();
    LabeledEdit2->setFocus();
}

void TForm2::Button6Click() {
    const int q = ShownQuestion;
    if (q != PendingQuestionCount) return; // only the last question can go
    LabeledEdit2->clear();
    UpDown1->setMinimum(0);
    setCountText(QStringLiteral("0"));
    CheckBox1->setChecked(false);
    PendingQuestionCount = q - 1;
    PendingTexts.keepWithin(PendingQuestionCount, PendingChoiceCount); // its texts go with it
    kiroku();
    Bhyoji();
    LabeledEdit2->setFocus();
}

void TForm2::Button4Click() {
    SurveyDocument& doc = doc_;
    kiroku();
    LabeledEdit2->setFocus();

    doc.RowsToRefresh = std::max(doc.QuestionCount, PendingQuestionCount);
    if (LabeledEdit1->text().isEmpty()) LabeledEdit1->setText(QString::fromUtf8("無題"));
    // A new title is a change worth saving, like any change of the questions.
    applyQuestionnaire(doc, workingQuestionnaire(), view_);
    PendingTexts = doc.Texts; // without the texts of choices the Apply dropped
    if (applied_) applied_();
    doc.CurrentQuestion = ShownQuestion;
    if (doc.CurrentQuestion > doc.QuestionCount)
        doc.CurrentQuestion = std::max(doc.QuestionCount, 1);

    if (!doc.questionnaireLoaded()) {
        // Nothing left to key in: the grid looks as after the clear-all command.
        view_.showEmptyLook();
        return;
    }

    view_.refreshQuestionnaire();
    view_.showCurrentRespondent();
    view_.focusCurrentQuestion();
    // The keyboard goes back to the grid when the current row is shown; the dialog stays on top.
    if (view_.currentRowShown()) view_.dialogParent()->activateWindow();
}

Questionnaire TForm2::workingQuestionnaire() const {
    Questionnaire edited;
    edited.SurveyTitle =
        std::string(sjis::cutBytes(sjis::fromQString(LabeledEdit1->text()), TitleBytes));
    edited.QuestionCount = PendingQuestionCount;
    edited.QuestionText = PendingText;
    edited.ChoiceCount = PendingChoiceCount;
    edited.MultiSelect = PendingMultiSelect;
    edited.Texts = PendingTexts;
    return edited;
}

void TForm2::Button7Click() {
    kiroku();
    if (const auto texts = editChoiceTexts(workingQuestionnaire(), platform_, this))
        PendingTexts = *texts;
    LabeledEdit2->setFocus();
}

void TForm2::Button3Click() {
    Button4Click();
    close();
}

void TForm2::Button5Click() {
    close();
}

void TForm2::reject() {
    close();
}

void TForm2::Edit1KeyPress(QChar key) {
    if (key >= QLatin1Char('1') && key <= QLatin1Char('8')) {
        setCountText(QString(key));
        Edit1->end(false);
    }
}

void TForm2::Edit1Change() {
    // The box never stays empty: an emptied box reads 0 (the nested change runs the rule).
    if (Edit1->text().isEmpty()) {
        Edit1->setText(QStringLiteral("0"));
        return;
    }
    // A new question counts as soon as it has choices, before the operator moves on.
    if (ShownQuestion > PendingQuestionCount && Edit1->text() != QLatin1String("0")) {
        PendingQuestionCount = ShownQuestion;
        Button6->show();
    }
    if (countInBox() < 2) {
        CheckBox1->setChecked(false);
        CheckBox1->setEnabled(false);
    } else {
        CheckBox1->setEnabled(true);
    }
}

bool TForm2::LabeledEdit2KeyPress(QChar key) {
    return key == QChar(13);
}

bool TForm2::FormKeyDown(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        Button2Click();
        return true;
    case Qt::Key_Up:
        Button1Click();
        return true;
    default:
        return false;
    }
}

// A key that the count box would take as a typed character: printable keys, Backspace and the
// control-key editing commands. Delete and the cursor keys are not characters.
bool TForm2::keyIsCountCharacter(const QKeyEvent& key) const {
    if (key.key() == Qt::Key_Delete || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false;
    if (key.key() == Qt::Key_Backspace) return true;
    if (key.matches(QKeySequence::Paste) || key.matches(QKeySequence::Cut) ||
        key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo))
        return true;
    return !key.text().isEmpty();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    bool consumed = false;
    view_.runGuarded([&] {
        if (FormKeyDown(key->key())) {
            consumed = true;
        } else if (watched == Edit1 && keyIsCountCharacter(*key)) {
            Edit1KeyPress(key->text().isEmpty() ? QChar() : key->text().front());
            consumed = true;
        } else if (watched == LabeledEdit2 && !key->text().isEmpty() &&
                   LabeledEdit2KeyPress(key->text().front())) {
            consumed = true;
        }
    });
    return consumed || QDialog::eventFilter(watched, event);
}

bool TForm2::FormCloseQuery() {
    const SurveyDocument& doc = doc_;
    kiroku();

    bool changed = PendingQuestionCount != doc.QuestionCount;
    const std::string title(sjis::cutBytes(sjis::fromQString(LabeledEdit1->text()), TitleBytes));
    if (title != doc.SurveyTitle.view() && PendingQuestionCount > 0) changed = true;
    for (int q = 1; q <= PendingQuestionCount && !changed; ++q)
        changed = PendingText[q] != doc.QuestionText[q] ||
                  PendingChoiceCount[q] != doc.ChoiceCount[q] ||
                  PendingMultiSelect[q] != doc.MultiSelect[q];
    SurveyTexts texts = PendingTexts;
    texts.keepWithin(PendingQuestionCount, PendingChoiceCount);
    if (texts != doc.Texts) changed = true;

    if (changed) {
        const Platform::Answer answer =
            platform_.messageBox(this, QString::fromUtf8("適用確認"),
                                 QString::fromUtf8("データが変更されています。適用しますか？"),
                                 Platform::Icon::Warning, Platform::Buttons::YesNoCancel);
        if (answer == Platform::Answer::Yes)
            Button4Click();
        else if (answer != Platform::Answer::No)
            return false; // Cancel: the dialog stays with everything it holds
    }

    if (PendingQuestionCount == 0)
        view_.setSurveyLine(QString::fromUtf8("アンケート：ファイルを開いて下さい"));

    for (int q = 1; q <= MaxQuestions; ++q) {
        PendingText[q].clear();
        PendingChoiceCount[q] = 0;
        PendingMultiSelect[q] = false;
    }
    PendingTexts = SurveyTexts{};
    LabeledEdit2->clear();
    UpDown1->setMinimum(0);
    setCountText(QStringLiteral("0"));
    CheckBox1->setChecked(false);
    Button6->hide();
    return true;
}

void TForm2::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    view_.runGuarded([&] { mayClose = FormCloseQuery(); });
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------------------------------------
// Opening

void TForm2::openForDocument() {
    const SurveyDocument& doc = doc_;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        PendingText[q] = doc.QuestionText[q];
        PendingChoiceCount[q] = std::clamp(doc.ChoiceCount[q], 0, 8);
        PendingMultiSelect[q] = doc.MultiSelect[q];
    }
    PendingTexts = doc.Texts;
    ShownQuestion = std::clamp(doc.CurrentQuestion, 1, std::min(doc.QuestionCount + 1, 40));
    PendingQuestionCount = doc.QuestionCount;
    LabeledEdit1->setText(sjis::toQString(doc.SurveyTitle));
    Bhyoji();
    showCentred();
}

void TForm2::openForNew() {
    // A new questionnaire starts empty, also when the dialog was still open on the old one.
    for (int q = 1; q <= MaxQuestions; ++q) {
        PendingText[q].clear();
        PendingChoiceCount[q] = 0;
        PendingMultiSelect[q] = false;
    }
    PendingTexts = SurveyTexts{};
    ShownQuestion = 1;
    PendingQuestionCount = 0;
    LabeledEdit1->clear();
    Bhyoji();
    showCentred();
}

void TForm2::showCentred() {
    const QRect owner = view_.dialogParent()->frameGeometry();
    const QSize mine = frameGeometry().size();
    move(owner.center() - QPoint(mine.width() / 2, mine.height() / 2));
    show();
    raise();
    activateWindow();
    LabeledEdit2->setFocus();
}

} // namespace vev

#include "moc_editor_dialog.cpp"
