#pragma once

#include "model/survey_document.h"

#include <functional>
#include <string_view>

namespace vev {

// One answer the operator recorded: the cell and what it held before and after.
struct RecordedAnswer {
    int respondent = 0;
    int question = 0;
    AnswerString before;
    AnswerString after;
    int countBefore = 0; // RespondentCount before the recording
};

// What an entry or navigation rule changed, for the window to show. The document side is done
// when a rule returns; the window only redraws and moves the keyboard.
struct EntryOutcome {
    enum class Focus {
        None,      // the keyboard stays where it is
        Plain,     // sn<CurrentQuestion> takes the keyboard, its selection untouched
        SelectAll, // ... and all its text selected
        Deselect,  // ... and its text not selected
    };
    int answerRow = 0;            // sn<row> shows the stored answer again
    int countsRow = 0;            // ad<row> := TallyLine(row)
    bool respondentShown = false; // CurrentRespondent changed or was shown again (hitoribun done)
    Focus focus = Focus::None;
    bool beep = false;
    bool scrollToTop = false;

    friend bool operator==(const EntryOutcome&, const EntryOutcome&) = default;
};

// The keys of the window's key preview (FormKeyDown).
enum class EntryKey { Left, Up, Right, Down, Other };

// What a character typed into a multi-select answer box does.
enum class MultiSelectKey {
    Confirm, // Enter with digits pending: confirm()
    Next,    // Enter with nothing pending: tugie()
    Swallow, // a "0" on a respondent before the last: nothing
    Digit,   // EntryPending is now set: the digit goes into the box, which turns yellow
    ToBox,   // Backspace, letters, blanks: the box edits itself
};

// The entry and navigation rules of the question grid over one SurveyDocument: digit entry in
// single-choice, multi-select and numeric boxes, confirming a multi-select entry, the mouse
// step cycle on a question label, the arrow keys, Enter (tugie), the spinner and the jump box.
// All of them act on CurrentRespondent / CurrentQuestion.
//
// Every answer the operator records passes through recordAnswer(); an observer set with
// setObserver() sees each one (respondent, question, the stored answer before and after), after
// the tally and Modified are updated.
class AnswerEntry {
public:
    using Observer = std::function<void(const RecordedAnswer&)>;

    explicit AnswerEntry(SurveyDocument& doc) : doc_(doc) {}

    void setObserver(Observer observer) { observer_ = std::move(observer); }

    // A check that every keyed answer (a digit, a confirmed multi-select entry; not a label
    // press) passes before it is recorded, set while keyed answers are verified against the
    // stored ones. The keyed text is in EntryBuffer; the check records it by calling `record`
    // (recordAnswer) or leaves the stored answer as it is. It returns false to hold the cell:
    // the operator hears a beep and keys the answer again in the same box, nothing moves on.
    using KeyedCheck = std::function<bool(const std::function<void()>& record)>;
    // checksCell: whether the check verifies the current cell against a stored answer. There a
    // "0", and Enter on an empty multi-select box, are keyed blanks checked like any answer,
    // where elsewhere they leave the stored answer alone.
    void setKeyedCheck(KeyedCheck check, std::function<bool()> checksCell = {}) {
        keyedCheck_ = std::move(check);
        checksCell_ = std::move(checksCell);
    }

    // Records `entry` as the answer of (CurrentRespondent, CurrentQuestion): the old answer's
    // counts go (dataDEL), EntryBuffer := entry, the normalised answer and its counts come in
    // (dataIN), Modified is set, then the observer is told.
    void recordAnswer(std::string_view entry);

    // A question is keyed in as several choices only with the flag and at least two choices.
    bool entersMultiSelect(int q) const;
    // The row below q takes the focus only when it is a question with choices.
    bool nextRowTakesFocus(int q) const;

    // A character typed into the answer box of a single-choice (or numeric) question: Enter is
    // tugie, a digit is recorded and the focus moves on, anything else does nothing.
    EntryOutcome singleChoiceKey(char key);
    // A character typed into the answer box of a multi-select question; boxEmpty: the box shows
    // nothing.
    MultiSelectKey multiSelectKey(char key, bool boxEmpty = false);
    // Enter on a pending multi-select box: its text (Shift-JIS bytes) is recorded.
    EntryOutcome confirm(std::string_view boxText);

    // The window's key preview: arrows move between respondents and questions; every key then
    // focuses the current box. Nothing while a multi-select entry is pending.
    EntryOutcome keyDown(EntryKey key);
    // tugie ("to the next"), the step Enter takes: to the first open question of the current
    // respondent, or, when there is none, on to the next respondent.
    EntryOutcome tugie();
    // A click into the answer box of `row` (a pending entry keeps the keyboard in its box).
    EntryOutcome clickAnswerBox(int row);

    // A press on question label `row`: HoverRow and CurrentQuestion move there first, before
    // the box's text is read (which may fail).
    void pressLabel(int row);
    // The answer the press steps to from the whole number `current` the box showed; it goes
    // into EntryBuffer, to be recorded by recordLabelPress().
    int stepLabel(int row, int current, bool leftButton);
    EntryOutcome recordLabelPress(int row);
    // The step cycle of a question label: left button up, any other button down.
    static int stepValue(int current, int choices, bool leftButton, int respondent,
                         int respondentCount);

    // A click on the spinner that asks for respondent `wanted`: forward past the last
    // respondent only when it is complete; nothing while a multi-select entry is pending.
    EntryOutcome spinnerClick(int wanted);
    // The jump box asks for respondent `number`: only existing respondents are reached; the
    // current one is shown again in every case.
    EntryOutcome jump(int number);

private:
    // The respondent after the current one is shown (the window's spinner follows it).
    void showNextRespondent(EntryOutcome& outcome);
    // A keyed answer through the check, when one is set; false when the cell is held.
    bool recordKeyed(std::string_view entry);

    // A keyed blank over the current cell's stored answer is checked, not left alone.
    bool checksBlank() const { return keyedCheck_ && checksCell_ && checksCell_(); }

    SurveyDocument& doc_;
    Observer observer_;
    KeyedCheck keyedCheck_;
    std::function<bool()> checksCell_;
};

} // namespace vev
