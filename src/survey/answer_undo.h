#pragma once

#include "model/survey_document.h"

#include <QUndoCommand>

#include <functional>
#include <string>
#include <string_view>

class QUndoStack;

namespace vev {

// One recorded answer as an undo step: the cell, its stored answer and RespondentCount before
// and after. Undo and redo go through dataDEL/dataIN, so the tally stays the sum of the stored
// answers; both make the cell current, set Modified and call `changed` so the window shows the
// respondent, focuses the question and journals the answer. Steps are never merged.
class AnswerCommand : public QUndoCommand {
public:
    using Changed = std::function<void(int respondent, int question)>;

    AnswerCommand(SurveyDocument& doc, int respondent, int question, std::string before,
                  int countBefore, Changed changed);

    void undo() override;
    void redo() override; // the first redo does nothing: the answer was recorded already

private:
    void set(const std::string& answer, int count);

    SurveyDocument& doc_;
    int respondent_;
    int question_;
    std::string before_;
    std::string after_;
    int countBefore_;
    int countAfter_;
    Changed changed_;
    bool recorded_ = true;
};

// Pushes the answer that was just recorded in the cell (respondent, question), whose stored
// answer was `before` and RespondentCount `countBefore` before the recording. Recording the
// same answer again changes nothing and pushes nothing. Returns whether a step was pushed.
bool pushRecordedAnswer(QUndoStack& stack, SurveyDocument& doc, int respondent, int question,
                        std::string_view before, int countBefore, AnswerCommand::Changed changed);

} // namespace vev
