#pragma once

#include "editor/questionnaire_apply.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QPushButton;
class QTableWidget;

namespace vev {

// The table of the questionnaire's texts, "選択肢の内容": one row per question (its number in
// the row header, its text read-only), a column for the wording (質問文) and one for each
// choice 1..8; the cells past a question's choice count are disabled. A block copied from a
// spreadsheet (tab-separated cells, one row a line) pastes with Ctrl+V from the current cell.
//
// Entry rules: a character that Shift-JIS cannot hold is refused where it is typed or pasted,
// with a message (a whole pasted block is refused then, so that no half of it lands). A typed
// text stops at its limit (200 bytes for a wording, 40 for a choice) like a full box, with a
// beep; a pasted text is cut to the limit on a character boundary, with a beep, because the
// rest of the block should still land where the operator aimed it.
class ChoiceTextsDialog : public QDialog {
    Q_OBJECT

public:
    ChoiceTextsDialog(const Questionnaire& questionnaire, Platform& platform,
                      QWidget* parent = nullptr);

    // The texts as the table holds them.
    SurveyTexts texts() const;
    // Pastes a block of tab-separated rows from the current cell (the first wording cell when
    // there is none); cells that fall on the question text, on a disabled cell or outside the
    // table are left out. Returns false when the block was refused.
    bool pasteBlock(const QString& block);

    QTableWidget* table() const { return table_; }

    static constexpr int QuestionTextColumn = 0;
    static constexpr int WordingColumn = 1;
    static constexpr int FirstChoiceColumn = 2; // choice c is column c + 1

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the refusal of a character; several refusals of one keystroke give one message.
    void refuseCharacter(const QString& character);

    Platform& platform_;
    QTableWidget* table_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool refusalPending_ = false;
};

// Opens the table modally on the questionnaire: the edited texts after OK, nothing after Cancel.
std::optional<SurveyTexts> editChoiceTexts(const Questionnaire& questionnaire, Platform& platform,
                                           QWidget* parent);

// The Edit menu's "選択肢の内容(&L)...": the table on the document's questionnaire; OK applies
// the texts to the document (marking it modified when any text changed), then calls the
// applied callback (the journal records a questionnaire change there).
class ChoiceTextsCommand {
public:
    ChoiceTextsCommand(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}

    void ChoiceTexts1Click();
    void setApplied(std::function<void()> applied) { applied_ = std::move(applied); }

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    std::function<void()> applied_;
};

} // namespace vev
