#pragma once

// The double-entry commands of the main window: the blank copy for a second operator, the
// comparison with the other operator's file, and dependent verification while keying. Failures
// to write (VevError) go to the caller's handler wrapper.

#include "double_entry/compare_dialog.h"
#include "double_entry/verifying_entry.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QMainWindow;
class QStatusBar;
class QWidget;

namespace vev {

class AnswerEntry;
class QuestionGrid;

// File menu "照合用に新規作成(&V)...": a Save dialog proposing "<data file>_2.dat"; writes the
// open questionnaire with no answers there and calls openFile with the written path, which opens
// it the way Open does after its dialog (the caller asks about unsaved changes first). The open
// survey's own file is never overwritten: choosing it shows a message and writes nothing.
// Returns the written path, empty when nothing was written.
QString newSecondEntryFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                           const std::function<void(const QString& path)>& openFile);

// Edit menu "入力照合(&C)...": an Open dialog for the other data file; a refused file or a
// different questionnaire is shown in a message box (the open survey is untouched), otherwise
// the modeless comparison dialog opens (deleted when closed), raised and active with the keyboard
// in its list, and is returned.
CompareDialog* compareWithOtherFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                                    CompareDialog::Jump jump);

// The menu items' work for the main window. It owns the re-keying rule, the status bar shown
// while verifying (StatusBar1 with VerifyStatus and VerifyMismatch) or while a survey with
// choice texts is open (ChoiceTexts: the focused question's choices), and the one comparison
// window, which follows the survey it was opened for: surveyReplaced() closes it.
class DoubleEntryCommands {
public:
    // What only the main window can do.
    struct Hooks {
        // Offers unsaved changes for saving before the survey is replaced; false: keep it.
        std::function<bool()> mayReplaceSurvey;
        // Loads the data file at path as Open does after its dialog.
        std::function<void(const QString& path)> openSurvey;
        // Closes the respondent number box when it is open.
        std::function<void()> closeJumpBox;
    };

    DoubleEntryCommands(SurveyDocument& doc, Platform& platform, SurveyView& view,
                        AnswerEntry& entry);
    ~DoubleEntryCommands();
    DoubleEntryCommands(const DoubleEntryCommands&) = delete;
    DoubleEntryCommands& operator=(const DoubleEntryCommands&) = delete;

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // Gives window its status bar, hidden, and takes the grid whose boxes verification marks.
    void attach(QMainWindow* window, QuestionGrid* grid);

    // "照合用に新規作成(&V)...": the blank copy, then opened as Open does.
    void SecondEntry1Click();
    // "入力照合(&C)...": the comparison window; a new one replaces the one open.
    void Compare1Click();
    // A row of the comparison: respondent r shown with the keyboard in question q's answer box;
    // a pending multi-select entry keeps the keyboard in its box instead.
    void showComparedAnswer(int r, int q);
    // "照合入力(&K)" switched: keyed answers of the respondents already there are checked against
    // the stored ones, which their boxes do not show; the status bar shows the counts and the
    // window grows by its height (and shrinks back when it goes).
    void Verify1Click(bool on);
    // The window's survey was replaced (opened, New) or cleared: the comparison window closes
    // and verification starts afresh.
    void surveyReplaced();
    // Question q has the keyboard or the questionnaire was redrawn: the status bar names q's
    // choices; it is shown while verifying or while the survey has texts.
    void showChoices(int q);

    // The grid's hooks.
    void mismatchLeft();    // the keyboard left the red box: its mismatch is dropped
    void respondentShown(); // the respondent left before counts as passed
    bool hidesAnswer(int r, int q) const;

    CompareDialog* compareDialog() const { return compare_; }

private:
    bool verifyKeyedAnswer(const std::function<void()>& record);
    void showVerifyStatus();
    // The bar shown when it has something to show; the window grows or shrinks by its height.
    void fitStatusBar();
    // The boxes of the current respondent shown again (blind or not), unless an entry is pending.
    void showAnswers();

    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    AnswerEntry& entry_;
    Hooks hooks_;
    QMainWindow* window_ = nullptr;
    QuestionGrid* grid_ = nullptr;
    QStatusBar* statusBar_ = nullptr; // StatusBar1, shown while verifying
    QLabel* status_ = nullptr;        // VerifyStatus: the counts
    QLabel* mismatch_ = nullptr;      // VerifyMismatch: stored and keyed answer, in red
    QLabel* choices_ = nullptr;       // ChoiceTexts: the focused question's choices
    int grownBy_ = 0;                 // the height the window grew when the bar came
    bool verifying_ = false;          // "照合入力" is checked
    VerifyingEntry verifier_;         // the re-keying rule while verifying
    QString mismatchText_;            // the pending mismatch: stored and keyed answer
    QPointer<CompareDialog> compare_; // the comparison window, while it is open
};

} // namespace vev
