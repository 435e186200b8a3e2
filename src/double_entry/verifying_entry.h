#pragma once

// Dependent verification: a second operator re-keys papers that are already in the survey, and
// every keyed answer is checked against the stored one before anything is recorded.
//
//   stored answer   keyed answer                    what happens
//   none ("")       anything                        recorded as always (nothing to check)
//   any, on a respondent the survey did not have    recorded as always (a new paper)
//   when verification started
//   S               S                               agreed: nothing recorded, Modified untouched
//   S               K != S                          pending mismatch: the window beeps, turns
//                                                   the box red and shows S beside K
//   then, keying the same cell again:
//                   K (the same value twice)        K wins: recorded through dataDEL/dataIN
//                   S                               S stands: the first keying was the slip
//                   anything else, K2               a new pending mismatch with K2
//
// A new paper stays new while it is keyed: its first answer raises RespondentCount, and the
// answers after it must not be checked against the "0" its other cells show. So the papers
// checked are respondents 1..N, N being RespondentCount when start() was called, lowered
// whenever RespondentCount falls below it (a clear, an empty last respondent dropped).
//
// Both resolved mismatches count as one difference found; agreed and resolved cells count as
// verified answers. A pending mismatch belongs to its cell: keying another cell, or abandon(),
// drops it and the stored answer stays. Only keyed answers are verified; the mouse stepping
// on a question label records as always.
//
// A blank on the paper is keyed like any answer: "0" (or an empty multi-select box) over a
// stored answer is checked against it.
//
// Verification is blind: the answer boxes of the papers checked show nothing until their cell
// is keyed (hides()), so that the operator reads the paper, not the screen. A cell never keyed
// stays unverified; once the operator has left a respondent (shown()), its unverified answers
// are counted in the status text.

#include "model/survey_document.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vev {

// The answer recording would store for this buffer on a question with choiceCount choices
// (the normalisation of dataIN: one digit above the choices becomes "9", several digits become
// the ascending distinct choices, nothing valid becomes "0").
AnswerString normalisedAnswer(int choiceCount, std::string_view buffer);

class VerifyingEntry {
public:
    enum class Action {
        RecordedAsUsual, // nothing to verify: recorded with dataDEL/dataIN, Modified set
        Agreed,          // keyed = stored: nothing recorded; the entry goes on
        Mismatch,        // beep, red box, stored answer shown; the cell waits for a new keying
        KeyedWins,       // the same answer keyed twice: recorded with dataDEL/dataIN, Modified set
        StoredStands,    // the stored answer keyed again: nothing recorded; the entry goes on
    };
    struct Step {
        Action action = Action::RecordedAsUsual;
        AnswerString stored; // the cell's answer before the keying
        AnswerString keyed;  // the normalised keyed answer
    };

    // Takes the keying of EntryBuffer into the current cell (CurrentRespondent,
    // CurrentQuestion) in place of the window's "dataDEL, dataIN, Modified := true": records
    // exactly when the action says so, with `record` when given (the window's one recording
    // gate, which records EntryBuffer into the current cell), else with those three steps. A
    // VevError of recording leaves the counters as they were.
    Step key(SurveyDocument& doc, const std::function<void()>& record = {});

    // Starts afresh on the survey as it is: the window calls it when verification is switched
    // on and after every load. Before it, every keying records as always.
    void start(const SurveyDocument& doc);
    // Whether a keying of the current cell is checked against its stored answer.
    bool checks(const SurveyDocument& doc) const;
    // Whether the answer box of (r, q) shows nothing: a stored answer of a paper checked whose
    // cell was not keyed since start().
    bool hides(const SurveyDocument& doc, int r, int q) const;
    // The window shows respondent r: the one shown before it counts as passed.
    void shown(int r);
    // Answers of the respondents passed that were never keyed.
    long unverified(const SurveyDocument& doc) const;
    // Drops a pending mismatch (the operator moved away or switched verification off).
    void abandon() { pending_ = false; }

    bool pending() const { return pending_; }
    int pendingRespondent() const { return pending_ ? pendingR_ : 0; }
    int pendingQuestion() const { return pending_ ? pendingQ_ : 0; }

    long verified() const { return verified_; }
    long differences() const { return differences_; }
    // "照合入力　確認 120件　相違 3件　誤り率 2.50%　未照合 4件": the error rate is differences
    // / verified in per cent, rounded up to two decimals so that a difference never shows as
    // 0.00%; "－" before the first verified answer; 未照合 counts unverified().
    QString statusText(const SurveyDocument& doc) const;
    // What the window shows beside the red box: "登録済み 2　入力 3　もう一度入力してください".
    static QString mismatchText(const Step& step);

private:
    bool keyed(int r, int q) const;

    int checkedRespondents_ = 0; // respondents 1..this are verified
    // Per respondent checked: bit q set when cell q was keyed, bit 0 when the respondent was
    // passed.
    std::vector<std::uint64_t> cells_;
    int shownRespondent_ = 0;
    bool pending_ = false;
    int pendingR_ = 0;
    int pendingQ_ = 0;
    AnswerString pendingKeyed_;
    long verified_ = 0;
    long differences_ = 0;
};

} // namespace vev
