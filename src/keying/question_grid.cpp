#include "keying/question_grid.h"

#include "keying/answer_entry.h"
#include "keying/tally_text.h"
#include "model/sjis.h"
#include "model/survey_texts.h"
#include "model/vev_error.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStaticText>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace vev {

namespace look {

QFont proportionalFont(int pixels, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The choice header and the count line share 7-character columns and the count line starts
// 24 px (three half-width characters) right of the header, so a half-width character must be
// 8 px wide; letter spacing makes up what the font lacks.
QFont monospacedFont(int pixels, bool bold) {
    QFont font(QStringLiteral("Noto Sans Mono CJK JP"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixels);
    font.setBold(bold);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    if (advance > 0 && advance < 8) font.setLetterSpacing(QFont::AbsoluteSpacing, 8 - advance);
    return font;
}

void setColours(QWidget* widget, const QColor& text, const QColor& background) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

void setColours(QWidget* widget, const QColor& text) {
    setColours(widget, text, QColor());
}

QLabel* placedLabel(QWidget* parent, const QString& name, const QRect& geometry,
                    const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

void fitLineHeight(QLabel* label) {
    const QRect at = label->geometry();
    const int line = QFontMetrics(label->font()).height();
    if (at.height() >= line) return;
    // Twice the middle, so that an odd difference keeps it exactly.
    const int middle2 = 2 * at.y() + at.height();
    const int top = (middle2 - line) >= 0 ? (middle2 - line) / 2 : -((line - middle2 + 1) / 2);
    label->setGeometry(at.x(), top, at.width(), middle2 - 2 * top);
}

} // namespace look

namespace {

constexpr char Enter = 13;
constexpr char Backspace = 8;

void makeLine(QWidget* parent, const QRect& geometry, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setGeometry(geometry);
    look::setColours(line, colour, colour);
}

void setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

// Left edge and width of a row's answer box. From six choices on, a multi-select box keeps
// its right edge at 252 and grows leftwards over the question text.
QRect answerBoxGeometry(bool multiSelect, int choices) {
    if (!multiSelect) return {200, 0, 20, 19};
    if (choices <= 5) return {200, 0, 8 * choices + 12, 19};
    return {245 - 9 * choices, 0, 9 * choices + 7, 19};
}

// A label of one line of plain text (left-aligned, centred vertically, no frame) that keeps
// its text laid out between paints. A row's labels are repainted whenever a key changes a
// count or the view scrolls; a plain label shapes its text again at each paint, which costs
// more than drawing it.
class LaidOutLabel : public QLabel {
public:
    using QLabel::QLabel;

    // The label lies on its row's plain background alone (nothing under it but the row): its
    // drawing, background and text, is kept and copied until the text, the font or a colour
    // changes. The rows are drawn again whenever the view scrolls.
    void keepDrawing() { keepsDrawing_ = true; }

protected:
    // Where the text's line starts within a label's height.
    qreal lineTop(const QRectF& area) const {
        return area.top() + (area.height() - lineHeight_) / 2;
    }

    void paintEvent(QPaintEvent* event) override {
        if (text() != laidOut_.text() || font() != laidOutFont_) {
            laidOut_.setText(text());
            laidOut_.setTextFormat(Qt::PlainText);
            laidOut_.prepare(QTransform(), font());
            laidOutFont_ = font();
            lineHeight_ = QFontMetricsF(font()).height();
        }
        if (!keepsDrawing_) {
            QPainter painter(this);
            drawText(painter);
            return;
        }
        const QWidget* filled = autoFillBackground() ? this : parentWidget();
        const QColor background = filled->palette().color(filled->backgroundRole());
        const qreal ratio = devicePixelRatioF();
        const Drawing now{
            text(), font(), palette().color(foregroundRole()).rgba(), background.rgba(),
            size(), ratio};
        if (drawn_.isNull() || !(now == drawing_)) {
            drawn_ = QPixmap(size() * ratio);
            drawn_.setDevicePixelRatio(ratio);
            drawn_.fill(background);
            QPainter onPixmap(&drawn_);
            drawText(onPixmap);
            drawing_ = now;
        }
        QPainter painter(this);
        const QRect area = event->rect();
        painter.drawPixmap(area, drawn_,
                           QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    }

private:
    void drawText(QPainter& painter) const {
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        const QRectF area = contentsRect();
        painter.drawStaticText(QPointF(area.left(), lineTop(area)), laidOut_);
    }

    QStaticText laidOut_;
    QFont laidOutFont_;
    qreal lineHeight_ = 0;
    bool keepsDrawing_ = false;
    // What the kept drawing shows.
    struct Drawing {
        QString text;
        QFont font;
        QRgb pen = 0;
        QRgb background = 0;
        QSize size;
        qreal ratio = 0;
        bool operator==(const Drawing&) const = default;
    };
    Drawing drawing_;
    QPixmap drawn_;
};

// A count line: half-width characters in cells of one width, over its choice header. A new text
// repaints only the characters that changed; a repaint of a few cells (a key changes one or two
// counts) draws the characters of those cells and of the cells beside them, each laid out once
// for the line's font, where laying out or drawing the whole line would cost more than the rest
// of the key. A whole repaint draws the line as a label does.
class CountLine : public LaidOutLabel {
public:
    using LaidOutLabel::LaidOutLabel;

    void showCounts(const QString& line) {
        const QString old = text();
        if (old == line) return;
        if (old.size() != line.size() || !isVisible()) return setText(line);
        setAttribute(Qt::WA_UpdatesDisabled, true);
        setText(line);
        setAttribute(Qt::WA_UpdatesDisabled, false);
        // A glyph may reach a little past its cell, so each run of changed characters is
        // repainted a cell wider on either side.
        const qreal cell = cellWidth();
        for (qsizetype at = 0; at < line.size();) {
            if (old[at] == line[at]) {
                ++at;
                continue;
            }
            qsizetype end = at;
            while (end < line.size() && old[end] != line[end]) ++end;
            const qreal left = contentsRect().left() + cell * static_cast<qreal>(at - 1);
            update(
                QRectF(left, 0, cell * static_cast<qreal>(end - at + 2), height()).toAlignedRect());
            at = end;
        }
    }

protected:
    qreal cellWidth() {
        if (font() != cellFont_) {
            cellFont_ = font();
            cell_ = QFontMetricsF(font()).horizontalAdvance(QStringLiteral("0000000000")) / 10;
            glyphs_.clear();
        }
        return cell_;
    }

    void paintEvent(QPaintEvent* event) override {
        const QRect area = event->rect();
        const QString line = text();
        const QRectF content = contentsRect();
        const qreal cell = cellWidth();
        if (area.width() >= width() || cell <= 0 || !halfWidth(line))
            return LaidOutLabel::paintEvent(event);
        const auto cellAt = [&](qreal x) { return (x - content.left()) / cell; };
        const auto first =
            std::max(static_cast<qsizetype>(std::floor(cellAt(area.left()))) - 1, qsizetype{0});
        const auto end =
            std::min(static_cast<qsizetype>(std::ceil(cellAt(area.right() + 1))) + 1, line.size());
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        const qreal top = lineTop(content);
        for (qsizetype at = first; at < end; ++at) {
            const QChar c = line[at];
            if (c == QLatin1Char(' ')) continue;
            QStaticText& glyph = glyphs_[c.unicode()];
            if (glyph.text().isEmpty()) {
                glyph.setText(QString(c));
                glyph.setTextFormat(Qt::PlainText);
                glyph.prepare(QTransform(), font());
            }
            painter.drawStaticText(QPointF(content.left() + cell * static_cast<qreal>(at), top),
                                   glyph);
        }
    }

private:
    static bool halfWidth(const QString& line) {
        return std::all_of(line.begin(), line.end(),
                           [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
    }

    QFont cellFont_;
    qreal cell_ = 0;
    std::map<char16_t, QStaticText> glyphs_;
};

LaidOutLabel* laidOutLabel(QWidget* parent, const QString& name, const QRect& geometry,
                           const QString& text = {}) {
    auto* label = new LaidOutLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

// The answer boxes' style: the application's, but a box's frame and background are drawn
// once per size, state and colour and then copied. The frame is an antialiased rounded
// rectangle, and stroking it again costs more than the rest of the box at every key.
class AnswerBoxStyle : public QProxyStyle {
public:
    AnswerBoxStyle() : QProxyStyle(QApplication::style()->name()) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_PanelLineEdit ||
            painter->deviceTransform().type() > QTransform::TxTranslate)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const qreal ratio = painter->device()->devicePixelRatioF();
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        // An opaque box brings the colour of its row along, in the corners the frame leaves.
        const QWidget* row = widget && widget->testAttribute(Qt::WA_OpaquePaintEvent)
                                 ? widget->parentWidget()
                                 : nullptr;
        const QColor behind =
            row ? row->palette().color(row->backgroundRole()) : QColor(Qt::transparent);
        const Key key{option->rect.size(),
                      static_cast<uint>(option->state & (State_HasFocus | State_Enabled |
                                                         State_ReadOnly | State_Sunken)),
                      option->palette.color(QPalette::Base).rgba(),
                      option->palette.color(QPalette::Window).rgba(),
                      option->palette.color(QPalette::Highlight).rgba(),
                      behind.rgba(),
                      frame ? frame->lineWidth : -1,
                      ratio};
        QPixmap& drawn = drawn_[key];
        if (drawn.isNull()) {
            drawn = QPixmap(option->rect.size() * ratio);
            drawn.setDevicePixelRatio(ratio);
            drawn.fill(behind);
            QPainter onPixmap(&drawn);
            // The option moved to the pixmap's origin, kept as the type it came as.
            QStyleOptionFrame movedFrame = frame ? *frame : QStyleOptionFrame();
            QStyleOption movedOption = *option;
            QStyleOption& moved = frame ? movedFrame : movedOption;
            moved.rect.moveTopLeft(QPoint(0, 0));
            QProxyStyle::drawPrimitive(element, &moved, &onPixmap, widget);
            onPixmap.end();
        }
        painter->drawPixmap(option->rect.topLeft(), drawn);
    }

private:
    // What the drawing depends on. A survey has a few box sizes, each in a few states and
    // colours, so the drawings kept stay few.
    struct Key {
        QSize size;
        uint state;
        QRgb base;
        QRgb window;
        QRgb highlight;
        QRgb behind;
        int lineWidth;
        qreal ratio;
        auto tied() const {
            return std::make_tuple(size.width(), size.height(), state, base, window, highlight,
                                   behind, lineWidth, ratio);
        }
        bool operator<(const Key& o) const { return tied() < o.tied(); }
    };
    mutable std::map<Key, QPixmap> drawn_;
};

// The answer box's length limit binds what the operator types, not what the program shows:
// an answer stored before the editor cut the question's choices still shows whole, where a
// QLineEdit maximum length would cut it.
class AnswerLength : public QValidator {
public:
    AnswerLength(int limit, QObject* parent) : QValidator(parent), limit(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() <= limit ? Acceptable : Invalid;
    }
    int limit;
};

void setAnswerLength(QLineEdit* box, int limit) {
    if (const auto* current = dynamic_cast<const AnswerLength*>(box->validator())) {
        const_cast<AnswerLength*>(current)->limit = limit;
        return;
    }
    box->setValidator(new AnswerLength(limit, box));
}

// A digit of the 15 px font must fit the 19 px answer box: the text takes the box's whole height
// and keeps three pixels from its sides, the style's frame taken back through negative text
// margins. (A style sheet's padding does the same but slows down every paint of the box, and
// keying repaints boxes at every key.)
void setBoxPadding(QLineEdit* box) {
    QStyleOptionFrame option;
    option.initFrom(box);
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    box->setTextMargins(3 - frame, -frame, 3 - frame, -frame);
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

EntryKey entryKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        return EntryKey::Left;
    case Qt::Key_Up:
        return EntryKey::Up;
    case Qt::Key_Right:
        return EntryKey::Right;
    case Qt::Key_Down:
        return EntryKey::Down;
    default:
        return EntryKey::Other;
    }
}

} // namespace

QuestionGrid::QuestionGrid(SurveyDocument& doc, Platform& platform, AnswerEntry& entry,
                           QWidget* parent)
    : QWidget(parent), doc_(doc), platform_(platform), entry_(entry) {
    setObjectName(QStringLiteral("canvas"));
    setMinimumSize(784, 56);
}

void QuestionGrid::createRows() {
    const QFont rowFont = look::monospacedFont(15, false);
    const QFont questionFont = look::monospacedFont(15, true);
    const QFont answerFont = look::proportionalFont(15, true);
    for (int n = 1; n <= MaxQuestions; ++n) {
        const QString number = QString::number(n);
        auto* panel = new QWidget(this);
        panel->setObjectName(QStringLiteral("q") + number);
        panel->setGeometry(10, 40 + 20 * (n - 1), 764, 20);
        panel->setAutoFillBackground(true);
        panel->hide();
        q_[n] = panel;

        auto* question = laidOutLabel(panel, QStringLiteral("no") + number, {0, 0, 200, 20});
        question->keepDrawing();
        no_[n] = question;
        no_[n]->setFont(questionFont);
        no_[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        // The choice header lies under the count line.
        auto* header = new LaidOutLabel(panel);
        header->keepDrawing();
        af_[n] = header;
        af_[n]->setObjectName(QStringLiteral("af") + number);
        af_[n]->setGeometry(256, 0, 508, 20);
        af_[n]->setFont(rowFont);
        af_[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        look::setColours(af_[n], QColor(0, 255, 0), QColor(0, 0, 128));

        ad_[n] = new CountLine(panel);
        ad_[n]->setObjectName(QStringLiteral("ad") + number);
        ad_[n]->setGeometry(280, 0, 484, 20);
        ad_[n]->setFont(rowFont);
        ad_[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        look::setColours(ad_[n], QColor(255, 255, 255));

        // The NG labels keep their designer names: Label6 in row 1 ... Label45 in row 40.
        ng_[n] = laidOutLabel(panel, QStringLiteral("Label") + QString::number(n + 5),
                              {712, 0, 21, 20}, QStringLiteral("NG"));
        ng_[n]->setFont(rowFont);
        ng_[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        look::setColours(ng_[n], QColor(255, 255, 0));

        makeLine(panel, {0, 19, 251, 1}, QColor(255, 255, 255));
        makeLine(panel, {260, 19, 500, 1}, QColor(128, 128, 128));

        // Created last: a wide multi-select box lies over the question text.
        sn_[n] = new QLineEdit(QStringLiteral("0"), panel);
        sn_[n]->setObjectName(QStringLiteral("sn") + number);
        sn_[n]->setGeometry(200, 0, 19, 19);
        sn_[n]->setFont(answerFont);
        setBoxPadding(sn_[n]);
        // A file dropped on an answer box is a survey to load, not text to insert.
        sn_[n]->setAcceptDrops(false);
        // The box paints every pixel it covers (its style brings the row's colour into the
        // frame's corners), so a key repaints the box alone and not the row behind it.
        sn_[n]->setAttribute(Qt::WA_OpaquePaintEvent);

        sn_[n]->installEventFilter(this);
        no_[n]->installEventFilter(this);
    }
    // Made after the rows, so that it is deleted after them.
    auto* boxStyle = new AnswerBoxStyle;
    boxStyle->setParent(this);
    for (int n = 1; n <= MaxQuestions; ++n) sn_[n]->setStyle(boxStyle);
    // The rows take the tab order 1 to 40.
    for (int n = 1; n < MaxQuestions; ++n) setTabOrder(sn_[n], sn_[n + 1]);
}

void QuestionGrid::hyoji() {
    const int rows = std::min(std::max(doc_.QuestionCount, doc_.RowsToRefresh), MaxQuestions);
    for (int n = 1; n <= rows; ++n) {
        const int choices = doc_.ChoiceCount[n];
        if (choices == 0) {
            q_[n]->hide();
            continue;
        }
        setTextIfChanged(no_[n], QString::number(n).rightJustified(2) + QLatin1Char('.') +
                                     sjis::toQString(doc_.QuestionText[n].view()));
        setAnswerLength(sn_[n], choices);
        // Answers are half-width digits typed straight into the box; an input method would
        // compose full-width text that never reaches the key handlers.
        sn_[n]->setAttribute(Qt::WA_InputMethodEnabled, false);
        const QRect box = answerBoxGeometry(doc_.MultiSelect[n], choices);
        if (sn_[n]->geometry() != box) sn_[n]->setGeometry(box);
        setTextIfChanged(af_[n], QString::fromLatin1(ChoiceLine(doc_, n)));
        setTextIfChanged(ad_[n], QString::fromLatin1(TallyLine(doc_, n)));
        const QString named = choicesLine(doc_, n);
        if (ad_[n]->toolTip() != named) ad_[n]->setToolTip(named);
        q_[n]->show();
    }
    fitToRows();
}

void QuestionGrid::showAnswers() {
    const int r = doc_.CurrentRespondent;
    for (int n = 1; n <= std::min(doc_.QuestionCount, MaxQuestions); ++n) {
        const QString answer = shownAnswer(n);
        if (sn_[n]->text() != answer) sn_[n]->setText(answer);
    }
    if (markRow_ != 0 && markRespondent_ != r) leaveMismatch();
}

void QuestionGrid::SetFcs() {
    const int row = doc_.CurrentQuestion;
    if (row < 1 || row > MaxQuestions) return;
    if (!q_[row]->isHidden()) sn_[row]->setFocus();
}

void QuestionGrid::redrawCounts(int row) {
    if (row < 1 || row > MaxQuestions) return;
    static_cast<CountLine*>(ad_[row])->showCounts(QString::fromLatin1(TallyLine(doc_, row)));
}

void QuestionGrid::hideRows(int from, int to) {
    for (int n = std::max(from, 1); n <= std::min(to, MaxQuestions); ++n)
        if (!q_[n]->isHidden()) q_[n]->hide();
}

bool QuestionGrid::rowShown(int row) const {
    return row >= 1 && row <= MaxQuestions && !q_[row]->isHidden();
}

void QuestionGrid::fitToRows() {
    int bottom = 40;
    for (int n = 1; n <= MaxQuestions; ++n)
        if (!q_[n]->isHidden()) bottom = 40 + 20 * n;
    setMinimumHeight(bottom + 16);
}

void QuestionGrid::apply(const EntryOutcome& outcome) {
    const int r = doc_.CurrentRespondent;
    if (outcome.answerRow != 0) sn_[outcome.answerRow]->setText(shownAnswer(outcome.answerRow));
    if (outcome.countsRow != 0) redrawCounts(outcome.countsRow);
    if (outcome.respondentShown) {
        if (hooks_.respondentShown) hooks_.respondentShown();
        showAnswers();
    }
    if (outcome.beep) platform_.beep();
    QLineEdit* box = sn_[doc_.CurrentQuestion];
    switch (outcome.focus) {
    case EntryOutcome::Focus::None:
        break;
    case EntryOutcome::Focus::Plain:
        box->setFocus();
        break;
    case EntryOutcome::Focus::SelectAll:
        box->setFocus();
        box->selectAll();
        break;
    case EntryOutcome::Focus::Deselect:
        box->setFocus();
        box->deselect();
        break;
    }
    if (outcome.scrollToTop && hooks_.scrollToTop) {
        hooks_.scrollToTop();
        // A first open question far down stays in view.
        followFocus(box);
    }
    if (markRow_ != 0 && (markRespondent_ != r || markRow_ != doc_.CurrentQuestion))
        leaveMismatch();
}

void QuestionGrid::markMismatch(const QString& keyed, const QString& text) {
    const int row = doc_.CurrentQuestion;
    if (row < 1 || row > MaxQuestions) return;
    if (markRow_ != 0 && markRow_ != row) clearMismatch();
    markRespondent_ = doc_.CurrentRespondent;
    markRow_ = row;
    QLineEdit* box = sn_[row];
    setBoxBackground(box, QColor(255, 0, 0));
    box->setText(keyed);
    box->setToolTip(text);
}

void QuestionGrid::clearMismatch() {
    const int row = markRow_;
    if (row == 0) return;
    markRow_ = markRespondent_ = 0;
    QLineEdit* box = sn_[row];
    setBoxBackground(box, palette().color(QPalette::Base));
    box->setToolTip(QString());
    const QString answer = shownAnswer(row);
    if (box->text() != answer) box->setText(answer);
}

QString QuestionGrid::shownAnswer(int q) const {
    const int r = doc_.CurrentRespondent;
    if (hooks_.hidesAnswer && hooks_.hidesAnswer(r, q)) return {};
    return sjis::toQString(doc_.Answers[r][q].view());
}

void QuestionGrid::leaveMismatch() {
    clearMismatch();
    if (hooks_.mismatchLeft) hooks_.mismatchLeft();
}

void QuestionGrid::followFocus(QWidget* box) {
    if (!hooks_.ensureVisible) return;
    // A box wholly in view stays where it is: nothing scrolls and nothing is repainted. The
    // view is the part of the grid its parent (the scrolled viewport) shows.
    const QRect boxInGrid(box->mapTo(this, QPoint(0, 0)), box->size());
    const QWidget* port = parentWidget();
    const QRect inView = port ? QRect(mapFrom(port, QPoint(0, 0)), port->size()) & rect() : rect();
    if (inView.contains(boxInGrid)) return;
    hooks_.ensureVisible(box);
}

bool QuestionGrid::scrollsGrid(const QKeyEvent* event) {
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

int QuestionGrid::rowOf(const QObject* control) {
    if (!control) return 0;
    const QString name = control->objectName();
    bool ok = false;
    const int row = name.mid(2).toInt(&ok);
    if (!ok || row < 1 || row > MaxQuestions) return 0;
    if (!name.startsWith(QStringLiteral("sn")) && !name.startsWith(QStringLiteral("no"))) return 0;
    return row;
}

// ---------------------------------------------------------------------------------------------
// The rows' handlers: read the event, ask the entry rules, show what they changed.

void QuestionGrid::snKeyPress(char key) {
    if (doc_.ReadOnly && key >= '0' && key <= '9') return platform_.beep(); // no entry
    const int q = doc_.CurrentQuestion;
    QLineEdit* box = sn_[q];
    if (!entry_.entersMultiSelect(q)) {
        apply(entry_.singleChoiceKey(key));
        return;
    }
    switch (entry_.multiSelectKey(key, box->text().isEmpty())) {
    case MultiSelectKey::Confirm:
        setBoxBackground(box, palette().color(QPalette::Base));
        apply(entry_.confirm(sjis::fromQString(box->text())));
        return;
    case MultiSelectKey::Next:
        apply(entry_.tugie());
        return;
    case MultiSelectKey::Swallow:
        return;
    case MultiSelectKey::Digit:
        // Every digit colours the box it goes into: after a press on another question's label
        // that is no longer the box where the entry began.
        setBoxBackground(box, QColor(255, 255, 0));
        box->insert(QString(QLatin1Char(key))); // replaces the selection, within the box's length
        return;
    case MultiSelectKey::ToBox:
        // Backspace, letters and blanks: the box edits itself; the entry state stays as it is.
        if (passToBox_) {
            *passToBox_ = true;
        } else if (key == Backspace) {
            box->backspace();
        } else if (static_cast<unsigned char>(key) >= ' ') {
            box->insert(QString(QLatin1Char(key)));
        }
        return;
    }
}

void QuestionGrid::FormKeyDown(int key) {
    apply(entry_.keyDown(entryKey(key)));
}

void QuestionGrid::snClick(int row) {
    if (!doc_.EntryPending && hooks_.closeJumpBox) hooks_.closeJumpBox();
    apply(entry_.clickAnswerBox(row));
}

void QuestionGrid::noMouseDown(int row, bool leftButton) {
    if (doc_.ReadOnly) return platform_.beep();
    // The mouse steps from the stored answer, never from a keyed one waiting to be confirmed.
    if (markRow_ != 0) leaveMismatch();
    entry_.pressLabel(row);
    QLineEdit* box = sn_[row];
    // A blind box steps from the answer it does not show.
    const QString text = box->text().isEmpty() && shownAnswer(row).isEmpty()
                             ? sjis::toQString(doc_.Answers[doc_.CurrentRespondent][row].view())
                             : box->text();
    bool whole = false;
    const int current = text.toInt(&whole);
    if (!whole) throwConversionError(sjis::fromQString(text));

    // The box shows the stepped number itself, not the stored answer.
    box->setText(QString::number(entry_.stepLabel(row, current, leftButton)));
    box->setFocus();
    box->selectAll();

    // The operator sees the yellow label while the press is recorded.
    setLabelBackground(no_[row], QColor(255, 255, 0));
    no_[row]->repaint();
    platform_.pause100ms();

    apply(entry_.recordLabelPress(row));
    setLabelBackground(no_[row], QColor(255, 255, 255));
}

void QuestionGrid::noMouseEnter(int row) {
    doc_.HoverRow = row;
    setLabelBackground(no_[row], QColor(255, 255, 255));
}

void QuestionGrid::noMouseLeave() {
    const int row = doc_.HoverRow;
    if (row >= 1 && row <= MaxQuestions) setLabelBackground(no_[row], QColor());
}

void QuestionGrid::guarded(const std::function<void()>& handler) {
    if (hooks_.runGuarded)
        hooks_.runGuarded(handler);
    else
        handler();
}

bool QuestionGrid::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Ctrl+Z and Ctrl+Y are the window's undo and redo, not the answer box's own.
    if (type == QEvent::ShortcutOverride && rowOf(watched) != 0) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Z || key->key() == Qt::Key_Y))
            return true;
    }
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }
    if (forwardingKey_) return false;

    const int row = rowOf(watched);
    if (row == 0) return QWidget::eventFilter(watched, event);

    if (type == QEvent::FocusOut) {
        // The keyboard leaving a marked box drops the mark; a menu, a dialog or another window
        // taking it for a while does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == sn_[row] && row == markRow_ && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason)
            guarded([this] { leaveMismatch(); });
        return false;
    }

    if (type == QEvent::FocusIn) {
        // The grid follows the focus: the answer box being keyed is always in view.
        if (watched == sn_[row]) followFocus(sn_[row]);
        if (watched == sn_[row] && hooks_.questionFocused) hooks_.questionFocused(row);
        return false;
    }

    if (watched == no_[row]) {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const bool left = static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton;
            guarded([&] { noMouseDown(row, left); });
            return true;
        }
        case QEvent::Enter:
            guarded([&] { noMouseEnter(row); });
            return false;
        case QEvent::Leave:
            guarded([this] { noMouseLeave(); });
            return false;
        default:
            return false;
        }
    }

    if (watched != sn_[row]) return QWidget::eventFilter(watched, event);

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        guarded([&] { snClick(row); });
        // The pending box itself still places its caret where it was clicked.
        return !(doc_.EntryPending && row == doc_.CurrentQuestion);
    }
    if (type != QEvent::KeyPress) return false;

    auto* keyEvent = static_cast<QKeyEvent*>(event);
    // Tab moves the focus as in any dialog; no handler sees it.
    if (keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab) return false;

    const char key = typedCharacter(keyEvent);
    const bool keyPreview = !hooks_.keyPreview || hooks_.keyPreview();
    bool pass = false;
    guarded([&] {
        if (keyPreview) FormKeyDown(keyEvent->key());
        if (key == 0) {
            // Arrows, Delete and the like edit only a pending box, or any box while the
            // respondent number box has the window's key preview off.
            pass = doc_.EntryPending || !keyPreview;
            return;
        }
        passToBox_ = &pass;
        try {
            snKeyPress(key);
        } catch (...) {
            passToBox_ = nullptr;
            throw;
        }
        passToBox_ = nullptr;
    });
    // A box ignores the vertical keys, which would then scroll the grid away from it.
    if (!pass || scrollsGrid(keyEvent)) return true;

    // Keys act on the current question even when the focus was moved elsewhere (Tab).
    QLineEdit* box = sn_[doc_.CurrentQuestion];
    if (box == watched) return false;
    box->setFocus();
    forwardingKey_ = true;
    QCoreApplication::sendEvent(box, event);
    forwardingKey_ = false;
    return true;
}

} // namespace vev

#include "moc_question_grid.cpp"
