#pragma once

#include "export/answer_import.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <QDialog>

#include <functional>

class QDialogButtonBox;
class QLabel;
class QTableWidget;

namespace vev {

// The preview of an answer import: how many respondents will be added (from which number) and
// every refused row with its line number and why; OK imports, Cancel adds nothing. OK is off
// when no row would be added.
class AnswerImportDialog : public QDialog {
    Q_OBJECT

public:
    AnswerImportDialog(const ImportPreview& preview, const QString& fileName,
                       QWidget* parent = nullptr);

    QLabel* Summary = nullptr;       // "…人の回答者を追加します。"
    QTableWidget* Refused = nullptr; // line, reason
    QDialogButtonBox* Buttons = nullptr;
};

// File menu "回答データ読み込み(&I)...": asks for a CSV file, shows the preview and, when the
// operator confirms, records the rows as new respondents; then the window shows the respondent
// after them. `confirm` shows the preview (the dialog by default; tests give their own).
// Returns what was added (none when cancelled or refused); the window journals it as one step
// and keeps it for undo (undoAnswerImport).
ImportedRange importAnswersCommand(
    SurveyDocument& doc, Platform& platform, SurveyView& view,
    const std::function<bool(const ImportPreview&, const QString&)>& confirm = {});

} // namespace vev
