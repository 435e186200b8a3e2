#include "keying/answer_entry.h"

#include "model/recording.h"

#include <string>

namespace vev {

namespace {

constexpr char Enter = 13;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

void AnswerEntry::recordAnswer(std::string_view entry) {
    const int r = doc_.CurrentRespondent;
    const int q = doc_.CurrentQuestion;
    RecordedAnswer change{r, q, doc_.Answers[r][q], {}, doc_.RespondentCount};
    const std::string text(entry); // entry may be a view of EntryBuffer itself
    dataDEL(doc_);
    doc_.EntryBuffer = text;
    dataIN(doc_);
    doc_.Modified = true;
    change.after = doc_.Answers[r][q];
    if (observer_) observer_(change);
}

bool AnswerEntry::recordKeyed(std::string_view entry) {
    if (!keyedCheck_) {
        recordAnswer(entry);
        return true;
    }
    const std::string text(entry);
    doc_.EntryBuffer = text;
    return keyedCheck_([this, &text] { recordAnswer(text); });
}

bool AnswerEntry::entersMultiSelect(int q) const {
    return doc_.MultiSelect[q] && doc_.ChoiceCount[q] >= 2;
}

bool AnswerEntry::nextRowTakesFocus(int q) const {
    return q < MaxQuestions && q + 1 <= doc_.QuestionCount && doc_.ChoiceCount[q + 1] > 0;
}

EntryOutcome AnswerEntry::singleChoiceKey(char key) {
    if (key == Enter) return tugie();
    if (!isDigit(key)) return {};
    const int q = doc_.CurrentQuestion;
    doc_.EntryBuffer = std::string(1, key);
    // A "0" does not blank the answer of a respondent before the last one, unless the answer is
    // being verified: there it is the blank on the paper.
    if (doc_.ChoiceCount[q] >= 2 && doc_.CurrentRespondent < doc_.RespondentCount && key == '0' &&
        !checksBlank())
        return {};
    if (!recordKeyed(std::string(1, key)))
        return {.focus = EntryOutcome::Focus::SelectAll, .beep = true};
    if (nextRowTakesFocus(q)) doc_.CurrentQuestion = q + 1;
    return {.answerRow = q, .countsRow = q, .focus = EntryOutcome::Focus::SelectAll};
}

MultiSelectKey AnswerEntry::multiSelectKey(char key, bool boxEmpty) {
    if (key == Enter)
        return doc_.EntryPending || (boxEmpty && checksBlank()) ? MultiSelectKey::Confirm
                                                                : MultiSelectKey::Next;
    if (!isDigit(key)) return MultiSelectKey::ToBox;
    if (key == '0' && doc_.CurrentRespondent < doc_.RespondentCount && !checksBlank())
        return MultiSelectKey::Swallow;
    doc_.EntryPending = true;
    return MultiSelectKey::Digit;
}

EntryOutcome AnswerEntry::confirm(std::string_view boxText) {
    const int q = doc_.CurrentQuestion;
    const bool goesOn = recordKeyed(boxText);
    doc_.EntryPending = false;
    if (!goesOn) return {.focus = EntryOutcome::Focus::SelectAll, .beep = true};
    if (nextRowTakesFocus(q)) doc_.CurrentQuestion = q + 1;
    return {.answerRow = q, .countsRow = q, .focus = EntryOutcome::Focus::Deselect};
}

void AnswerEntry::showNextRespondent(EntryOutcome& outcome) {
    ++doc_.CurrentRespondent;
    hitoribun(doc_);
    outcome.respondentShown = true;
}

EntryOutcome AnswerEntry::keyDown(EntryKey key) {
    if (doc_.EntryPending) return {};
    EntryOutcome outcome{.focus = EntryOutcome::Focus::SelectAll};
    int& r = doc_.CurrentRespondent;
    int& q = doc_.CurrentQuestion;
    switch (key) {
    case EntryKey::Left:
        if (r >= doc_.RespondentCount) kensa(doc_);
        if (r > 1) {
            --r;
            hitoribun(doc_);
            outcome.respondentShown = true;
        }
        break;
    case EntryKey::Up:
        // Rows of questions without choices are hidden; the focus skips them.
        for (int above = q - 1; above >= 1; --above) {
            if (doc_.ChoiceCount[above] > 0) {
                q = above;
                break;
            }
        }
        break;
    case EntryKey::Right:
        if (r < doc_.RespondentCount)
            doc_.FirstOpenQuestion = 0;
        else
            kensa(doc_);
        if (doc_.FirstOpenQuestion == 0) {
            if (r >= MaxRespondents)
                outcome.beep = true; // there is no respondent after the last row of the grid
            else
                showNextRespondent(outcome);
        }
        break;
    case EntryKey::Down:
        if (nextRowTakesFocus(q)) ++q;
        break;
    case EntryKey::Other:
        break;
    }
    return outcome;
}

EntryOutcome AnswerEntry::tugie() {
    EntryOutcome outcome;
    kensa(doc_);
    if (doc_.FirstOpenQuestion > 0) {
        doc_.CurrentQuestion = doc_.FirstOpenQuestion;
    } else if (doc_.CurrentRespondent >= MaxRespondents) {
        // The grid has no row after the last respondent: the operator hears it and nothing
        // else changes.
        outcome.beep = true;
        return outcome;
    } else {
        showNextRespondent(outcome);
        doc_.CurrentQuestion = doc_.FirstOpenQuestion > 0 ? doc_.FirstOpenQuestion : 1;
    }
    outcome.focus = EntryOutcome::Focus::SelectAll;
    outcome.scrollToTop = true;
    return outcome;
}

EntryOutcome AnswerEntry::clickAnswerBox(int row) {
    if (doc_.EntryPending) return {.focus = EntryOutcome::Focus::Plain};
    doc_.CurrentQuestion = row;
    return {.focus = EntryOutcome::Focus::SelectAll};
}

void AnswerEntry::pressLabel(int row) {
    doc_.HoverRow = row;
    doc_.CurrentQuestion = row;
}

int AnswerEntry::stepValue(int b, int k, bool leftButton, int respondent, int respondentCount) {
    int v = 0;
    if (leftButton) {
        v = b + 1;
        if (k >= 2 && k < v && v < 9) v = 9;
        if (v > 9) v = (k == 1 || respondent == respondentCount) ? 0 : 1;
    } else {
        v = b - 1;
        if (k >= 2 && k < v && v < 9) v = k;
        if (v == 0 && k >= 2 && respondent < respondentCount) v = 9;
        if (v < 0) v = 9;
    }
    return v;
}

int AnswerEntry::stepLabel(int row, int current, bool leftButton) {
    const int v = stepValue(current, doc_.ChoiceCount[row], leftButton, doc_.CurrentRespondent,
                            doc_.RespondentCount);
    doc_.EntryBuffer = std::to_string(v);
    return v;
}

EntryOutcome AnswerEntry::recordLabelPress(int row) {
    recordAnswer(doc_.EntryBuffer.view());
    return {.countsRow = row};
}

EntryOutcome AnswerEntry::spinnerClick(int wanted) {
    int& r = doc_.CurrentRespondent;
    if (doc_.EntryPending) return {};
    if (r >= MaxRespondents && wanted >= r) return {.beep = true}; // no row after the last
    if (r < doc_.RespondentCount)
        doc_.FirstOpenQuestion = 0;
    else
        kensa(doc_);
    // Past the last respondent only when it is complete.
    r = (wanted > r && doc_.FirstOpenQuestion > 0) ? r : wanted;
    hitoribun(doc_);
    doc_.CurrentQuestion = doc_.FirstOpenQuestion > 0 ? doc_.FirstOpenQuestion : 1;
    return {.respondentShown = true, .focus = EntryOutcome::Focus::SelectAll};
}

EntryOutcome AnswerEntry::jump(int number) {
    if (number >= 1 && number <= doc_.RespondentCount) doc_.CurrentRespondent = number;
    hitoribun(doc_);
    doc_.CurrentQuestion = doc_.FirstOpenQuestion > 0 ? doc_.FirstOpenQuestion : 1;
    return {.respondentShown = true, .focus = EntryOutcome::Focus::Deselect};
}

} // namespace vev
