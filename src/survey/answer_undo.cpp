#include "survey/answer_undo.h"

#include "model/recording.h"

#include <QUndoStack>

namespace vev {

AnswerCommand::AnswerCommand(SurveyDocument& doc, int respondent, int question, std::string before,
                             int countBefore, Changed changed)
    : doc_(doc), respondent_(respondent), question_(question), before_(std::move(before)),
      after_(doc.Answers[respondent][question].view()), countBefore_(countBefore),
      countAfter_(doc.RespondentCount), changed_(std::move(changed)) {}

void AnswerCommand::undo() {
    set(before_, countBefore_);
}

void AnswerCommand::redo() {
    if (recorded_) {
        recorded_ = false;
        return;
    }
    set(after_, countAfter_);
}

void AnswerCommand::set(const std::string& answer, int count) {
    // The entry buffer belongs to the answer box the operator may be typing in.
    const ShortString entry = doc_.EntryBuffer;
    doc_.CurrentRespondent = respondent_;
    doc_.CurrentQuestion = question_;
    dataDEL(doc_);
    if (answer.empty()) {
        doc_.Answers[respondent_][question_].clear(); // never recorded: no contribution
    } else {
        doc_.EntryBuffer = answer;
        dataIN(doc_);
    }
    doc_.EntryBuffer = entry;
    doc_.RespondentCount = count;
    doc_.Modified = true;
    if (changed_) changed_(respondent_, question_);
}

bool pushRecordedAnswer(QUndoStack& stack, SurveyDocument& doc, int respondent, int question,
                        std::string_view before, int countBefore, AnswerCommand::Changed changed) {
    if (doc.Answers[respondent][question].view() == before && doc.RespondentCount == countBefore)
        return false;
    stack.push(new AnswerCommand(doc, respondent, question, std::string(before), countBefore,
                                 std::move(changed)));
    return true;
}

} // namespace vev
