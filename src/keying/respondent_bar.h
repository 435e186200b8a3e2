#pragma once

#include "model/survey_document.h"

#include <QObject>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vev {

class AnswerEntry;
class HSpinner;
class QuestionGrid;

// The respondent controls at the top left of the main window's client area, over the left end
// of the survey line: the "No." label Label3 with the respondent shown, the spinner UpDown1, and
// the jump box Edit2 with its button Button1 ("≫"), which Label3 opens. Their handlers ask the
// navigation rules of AnswerEntry and the grid shows the respondent they move to. While the
// jump box is open the window's key preview is off, so keys typed into it stay there.
class RespondentBar : public QObject {
    Q_OBJECT

public:
    using Guard = std::function<void(const std::function<void()>&)>;

    // Creates the controls, hidden, on `canvas` (the grid) at their fixed places.
    RespondentBar(SurveyDocument& doc, AnswerEntry& entry, QuestionGrid& grid, Guard runGuarded);

    // Above every other control of the client area.
    void raise();
    // With a questionnaire (hyoji): the "No." label and the spinner.
    void show();
    // Without one: every control hidden, the jump box closed.
    void hide();
    // Label3 := "No." and CurrentRespondent.
    void showNumber();
    void setSpinner(int position);
    // The spinner and Label3 follow CurrentRespondent.
    void followRespondent();
    // The jump box and its button hidden, the window's key preview on again.
    void closeJumpBox();
    // The window's key preview: off while the jump box is open.
    bool keyPreview() const { return KeyPreview; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpDown1Click();
    void Label3MouseEnter();
    void Label3MouseLeave();
    void Label3Click();
    void Button1Click();
    void Edit2KeyPress(char key);

    SurveyDocument& doc_;
    AnswerEntry& entry_;
    QuestionGrid& grid_;
    Guard runGuarded_;
    bool KeyPreview = true;

    QLabel* Label3 = nullptr;       // "No." and the respondent shown; a click opens Edit2
    QLineEdit* Edit2 = nullptr;     // jump box: a respondent number to show
    HSpinner* UpDown1 = nullptr;    // respondent spinner, 1..999
    QPushButton* Button1 = nullptr; // "≫" beside Edit2: jump to that respondent
};

} // namespace vev
