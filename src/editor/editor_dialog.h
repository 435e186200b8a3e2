#pragma once

#include "editor/questionnaire_apply.h"
#include "model/fixed_string.h"
#include "model/one_based.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vev {

// The editor's working copy of the questionnaire. It lives as long as the dialog and is empty
// whenever the dialog is hidden; the document changes only when the operator applies.
struct PendingQuestions {
    OneBased<ShortString, MaxQuestions> PendingText;  // Shift-JIS bytes, at most 20 kept
    OneBased<int, MaxQuestions> PendingChoiceCount{}; // 0..8
    OneBased<bool, MaxQuestions> PendingMultiSelect{};
    SurveyTexts PendingTexts;     // edited in the texts table ("選択肢(&L)...")
    int PendingQuestionCount = 0; // 0..40
    int ShownQuestion = 1;        // 1..min(PendingQuestionCount + 1, 40)
};

// A vertical pair of arrow buttons attached to a count box: a click reads the box, steps the
// number by one within the range (no wrap) and writes it back into the box.
class UpDownButtons : public QWidget {
    Q_OBJECT

public:
    UpDownButtons(QLineEdit& buddy, QWidget* parent);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setMinimum(int minimum) { minimum_ = minimum; }
    // The position, read from the box as the spinner sees it (clamped to the range).
    int position() const;
    void setPosition(int position); // writes the box
    // What a click on an arrow does: +1 up, -1 down.
    void step(int direction);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit& buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 0;
    int maximum_ = 8;
};

// The questionnaire editor "アンケート編集": modeless, on top of the main window, created hidden
// at start-up and kept for the whole run. The title, question texts, choice counts and
// multi-select flags are edited in the working copy; Apply copies it into the document and
// redraws the main window's grid through SurveyView. Answers and counts are never touched here.
//
// Keys reach the dialog before the focused control (an event filter on every child): Enter and
// Down go to the next question, Up to the previous one.
class TForm2 : public QDialog, public PendingQuestions {
    Q_OBJECT

public:
    TForm2(SurveyDocument& doc, Platform& platform, SurveyView& view, QWidget* parent = nullptr);

    void Bhyoji();       // (display B) show ShownQuestion's fields
    void kiroku();       // (record) the shown fields into the working copy
    void Button1Click(); // previous question
    void Button2Click(); // next question
    void Button6Click(); // delete the last question
    void Button4Click(); // Apply
    void Button3Click(); // Apply, then close
    void Button7Click(); // the texts table on the working copy
    void Button5Click(); // close (the close check runs)
    void Edit1KeyPress(QChar key);
    void Edit1Change();
    bool LabeledEdit2KeyPress(QChar key); // true: the character is swallowed
    bool FormKeyDown(int key);            // Qt key code; true: consumed
    bool FormCloseQuery();                // true: the dialog may close

    // Opening: for the document's questionnaire, or for a new, empty one.
    void openForDocument();
    void openForNew();
    // The texts were applied to the document from elsewhere (the Edit menu): the working copy
    // takes them, so that the next Apply does not put the old ones back.
    void takeDocumentTexts() { PendingTexts = doc_.Texts; }
    // Called after every Apply has changed the document, before the window is redrawn.
    void setApplied(std::function<void()> applied) { applied_ = std::move(applied); }

    QLineEdit* LabeledEdit1 = nullptr;
    QLabel* LabeledEdit1Label = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* LabeledEdit2 = nullptr;
    QLabel* LabeledEdit2Label = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    UpDownButtons* UpDown1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr; // "選択肢(&L)...": the texts table

    // The count box's number; anything unreadable counts as 0.
    int countInBox() const;

public slots:
    void reject() override; // Escape closes through the close check

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createWidgets();
    void setCountText(const QString& text);
    Questionnaire workingQuestionnaire() const;
    void showCentred();
    bool keyIsCountCharacter(const QKeyEvent& key) const;

    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    std::function<void()> applied_;
};

} // namespace vev
