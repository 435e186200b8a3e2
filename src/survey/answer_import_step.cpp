// The answer import as one change of the open survey: File menu "回答データ読み込み(&I)..."
// (export/answer_import_dialog.h) journals every imported answer and the respondent count, and
// becomes one undo step, so a crash keeps the import and one undo takes all of it back.

#include "export/answer_import_dialog.h"
#include "survey/open_survey.h"

#include <QUndoCommand>

#include <algorithm>

namespace vev {

namespace {

// The whole import: undo withdraws its respondents, redo records the same rows again (the
// survey is as it was before the import, as the steps after it were undone first).
class ImportStep : public QUndoCommand {
public:
    ImportStep(SurveyDocument& doc, SurveyView& view, OpenSurvey& survey, ImportPreview preview,
               ImportedRange range)
        : doc_(doc), view_(view), survey_(survey), preview_(std::move(preview)), range_(range) {}

    void undo() override {
        undoAnswerImport(doc_, range_, view_);
        changed();
    }
    void redo() override {
        if (recorded_) {
            recorded_ = false; // the command recorded the rows already
            return;
        }
        applyAnswerImport(doc_, preview_, view_);
        changed();
    }

private:
    void changed() {
        doc_.Modified = true;
        view_.showCurrentRespondent();
        view_.linkedFilesChanged(); // a chart follows the counts
        survey_.respondentsChanged(range_.First, range_.Last);
    }

    SurveyDocument& doc_;
    SurveyView& view_;
    OpenSurvey& survey_;
    ImportPreview preview_;
    ImportedRange range_;
    bool recorded_ = true;
};

} // namespace

void OpenSurvey::Import1Click() {
    if (doc_.EntryPending) return view_.informationBeep(); // a multi-select entry is open
    ImportPreview kept;
    const ImportedRange range = importAnswersCommand(
        doc_, platform_, view_, [&](const ImportPreview& preview, const QString& name) {
            kept = preview;
            AnswerImportDialog box(preview, name, view_.dialogParent());
            return box.exec() == QDialog::Accepted;
        });
    if (range.Last < range.First) return;
    respondentsChanged(range.First, range.Last);
    undo_.push(new ImportStep(doc_, view_, *this, std::move(kept), range));
    view_.linkedFilesChanged(); // the counts a chart or the list shows
}

void OpenSurvey::respondentsChanged(int first, int last) {
    const int questions = std::min(doc_.QuestionCount, MaxQuestions);
    for (int r = first; r <= last; ++r)
        for (int q = 1; q <= questions; ++q) journal(JournalRecord::answer(doc_, r, q));
    journal(JournalRecord::respondentCount(doc_.RespondentCount));
    journaledCount_ = doc_.RespondentCount;
}

} // namespace vev
