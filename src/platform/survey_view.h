#pragma once

#include "model/core_events.h"

#include <QString>

#include <functional>

class QWidget;

namespace vev {

// What the commands of every menu, the open survey and the long-lived dialogs may ask of the
// window that shows the survey. The main window implements it; the commands
// change the SurveyDocument themselves and then call here to refresh what shows it. It sits
// beside Platform because both are the window side of the seam: the core never sees it, and
// every command folder may include it.
//
// As CoreEvents it also takes the core's notices, beeps and changed count lines.
class SurveyView : public CoreEvents {
public:
    // The window that owns dialogs and message boxes.
    virtual QWidget* dialogParent() = 0;
    // Runs a handler; a VevError ends it and shows the general error report.
    virtual void runGuarded(const std::function<void()>& handler) = 0;

    // The questionnaire changed: header texts, caption and rows 1..max(QuestionCount,
    // RowsToRefresh) are rebuilt (hyoji).
    virtual void refreshQuestionnaire() = 0;
    // Shows CurrentRespondent: the document side of hitoribun, then its number, the spinner and
    // the answer boxes.
    virtual void showCurrentRespondent() = 0;
    // Shows respondent r with the keyboard in question q's answer box, its text selected.
    virtual void showRespondent(int r, int q) = 0;
    // Focuses the answer box of CurrentQuestion when its row is shown (SetFcs).
    virtual void focusCurrentQuestion() = 0;
    // Whether the row of CurrentQuestion is shown (a question with choices).
    virtual bool currentRowShown() const = 0;
    // The look without a questionnaire: header controls and rows hidden, start texts.
    virtual void showEmptyLook() = 0;

    // The window caption and the two header lines (survey line Label1, file line Label2).
    virtual void setCaption(const QString& text) = 0;
    virtual void setSurveyLine(const QString& text) = 0;
    virtual void setFileLine(const QString& text) = 0;

    // The linked tally files were dropped or replaced: the list dialog shows them again.
    virtual void linkedFilesChanged() = 0;

    // The open survey's turns (survey/open_survey.h). A load replaced the document: the old
    // survey's look goes (its first previousRows rows, when it had a questionnaire), then the
    // new one shows whole: option check marks, respondent, rows, height, the linked list.
    virtual void showLoadedSurvey(bool hadQuestionnaire, int previousRows) = 0;
    // A journal replay changed the loaded document: rows, counts, respondent, height, links.
    virtual void showReplayedSurvey() = 0;
    // File > New emptied the document: the empty look, survey line "ｱﾝｹｰﾄ：新規作成", and the
    // editor open on an empty questionnaire.
    virtual void showNewSurvey() = 0;
};

} // namespace vev
