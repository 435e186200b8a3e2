#pragma once

#include "model/survey_document.h"

#include <QWidget>

#include <array>
#include <functional>

class QColor;
class QFont;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QRect;
class QString;

namespace vev {

class AnswerEntry;
class Platform;
struct EntryOutcome;

// The fonts and colours of the main window's client area, shared by the grid and the header
// controls the window places above it.
namespace look {
QFont proportionalFont(int pixels, bool bold);
// Monospaced, with half-width characters exactly 8 px wide so the 7-character columns of the
// choice header and the count line line up.
QFont monospacedFont(int pixels, bool bold);
void setColours(QWidget* widget, const QColor& text, const QColor& background);
void setColours(QWidget* widget, const QColor& text);
// A label named `name` at a fixed place on `parent`.
QLabel* placedLabel(QWidget* parent, const QString& name, const QRect& geometry,
                    const QString& text = QString());
// A label lower than its font's line centres the line on itself and cuts off what lies below the
// baseline (an underscore). This grows it about its middle to the whole line: the text stays
// where it was and shows whole.
void fitLineHeight(QLabel* label);
} // namespace look

// The question grid: the main window's client area ("canvas", inside its scroll area) with the
// 40 question rows q<n>, each holding the question label no<n>, the answer box sn<n>, the choice
// header af<n>, the count line ad<n> and an NG label. It redraws rows from the document (hyoji's
// rows, hitoribun's answer boxes, TallyLine count lines), gives the keyboard to the current row
// (SetFcs) and turns the rows' keys and mouse presses into the entry rules of AnswerEntry,
// showing what they changed. What lies outside the rows (the respondent number, the spinner,
// the jump box, scrolling) the window does through the hooks.
class QuestionGrid : public QWidget {
    Q_OBJECT

public:
    struct Hooks {
        // Runs a handler; a VevError ends it with the general error report.
        std::function<void(const std::function<void()>&)> runGuarded;
        // CurrentRespondent is shown: the "No." label and the spinner follow it.
        std::function<void()> respondentShown;
        std::function<void()> scrollToTop;
        // The grid follows the focus: the answer box being keyed is scrolled into view.
        std::function<void(QWidget*)> ensureVisible;
        // The window's key preview (off while the jump box is open).
        std::function<bool()> keyPreview;
        // A click into an answer box closes an open jump box.
        std::function<void()> closeJumpBox;
        // The keyboard left the cell marked with markMismatch (the mark is gone already).
        std::function<void()> mismatchLeft;
        // Whether the answer box of respondent r's question q shows nothing in place of the
        // stored answer (blind re-keying).
        std::function<bool(int r, int q)> hidesAnswer;
        // Row q's answer box took the keyboard (the status bar names its choices).
        std::function<void(int q)> questionFocused;
    };

    QuestionGrid(SurveyDocument& doc, Platform& platform, AnswerEntry& entry,
                 QWidget* parent = nullptr);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // Builds rows 1..40, hidden. Called once the grid is in its window, after the header
    // controls, so that the rows follow them in the focus chain.
    void createRows();

    // hyoji's rows: rows 1..max(QuestionCount, RowsToRefresh) rebuilt, rows without choices
    // hidden; the grid is then as tall as its lowest shown row.
    void hyoji();
    // hitoribun's answer boxes: sn<q> := Answers[CurrentRespondent][q] for q = 1..QuestionCount.
    void showAnswers();
    // SetFcs (set focus): sn<CurrentQuestion> takes the keyboard when its row is shown.
    void SetFcs();
    // ad<q> := TallyLine(q).
    void redrawCounts(int q);
    void hideRows(int from, int to);
    bool rowShown(int q) const;
    // The grid is as tall as its lowest shown row, so the window scrolls only when needed.
    void fitToRows();
    // Shows what an entry rule changed: answer box, count line, respondent, beep, focus, scroll.
    void apply(const EntryOutcome& outcome);

    // A keyed answer that differs from the stored one: the current cell's answer box turns red
    // and shows `keyed`, with `text` (the stored answer beside the keyed one) as its tool tip,
    // until clearMismatch() or until the keyboard leaves the cell - to another question, another
    // respondent or another control - which hooks.mismatchLeft reports.
    void markMismatch(const QString& keyed, const QString& text);
    // The mark goes: the box shows the stored answer in its own colour again.
    void clearMismatch();
    bool mismatchMarked() const { return markRow_ != 0; }

    // Keys that an answer box or the jump box leaves alone and the scroll area would take.
    static bool scrollsGrid(const QKeyEvent* event);
    // The row number of an sn<n> or no<n> control, from its object name; 0 for any other.
    static int rowOf(const QObject* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rows' handlers, named after the control and event.
    void snKeyPress(char key); // a character typed in the current answer box (13 = Enter)
    void FormKeyDown(int key); // the window's key preview, for keys typed into answer boxes
    void snClick(int row);
    void noMouseDown(int row, bool leftButton);
    void noMouseEnter(int row);
    void noMouseLeave();
    void guarded(const std::function<void()>& handler);
    // The marked cell is no longer the current one: the mark goes and the window hears of it.
    void leaveMismatch();
    // Scrolls `box` into view through the hook unless it is wholly in view already.
    void followFocus(QWidget* box);
    // What the answer box of the current respondent's question q shows: its stored answer, or
    // nothing while hooks.hidesAnswer says so.
    QString shownAnswer(int q) const;

    SurveyDocument& doc_;
    Platform& platform_;
    AnswerEntry& entry_;
    Hooks hooks_;
    // Rows 1..40 (index 0 unused): panel, question label, answer box, choice header, counts, NG.
    std::array<QWidget*, MaxQuestions + 1> q_{};
    std::array<QLabel*, MaxQuestions + 1> no_{};
    std::array<QLineEdit*, MaxQuestions + 1> sn_{};
    std::array<QLabel*, MaxQuestions + 1> af_{};
    std::array<QLabel*, MaxQuestions + 1> ad_{};
    std::array<QLabel*, MaxQuestions + 1> ng_{};
    // Set around snKeyPress by the event filter: a character the multi-select rules hand to the
    // box is then delivered as the original key event (so that Backspace, a pasted text or a
    // wide character behave as the box itself makes them).
    bool* passToBox_ = nullptr;
    // The filter is forwarding a key event to the current answer box.
    bool forwardingKey_ = false;
    // The cell marked by markMismatch; row 0 when none is.
    int markRespondent_ = 0;
    int markRow_ = 0;
};

} // namespace vev
