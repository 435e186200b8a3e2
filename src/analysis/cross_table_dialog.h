#pragma once

#include "analysis/cross_table.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vev {

class Platform;
struct SurveyDocument;

// The cross table dialog "クロス集計": a row question and a column question (the survey's
// choice and multi-select questions), a view (counts or one of the three per cents), whether
// unanswered and NG get their own row and column, and the table. The table is worked out afresh
// from the document whenever a choice changes; the dialog never changes the document.
class CrossTableDialog : public QDialog {
    Q_OBJECT

public:
    CrossTableDialog(const SurveyDocument& doc, Platform& platform, QWidget* parent = nullptr);

    // Whether the survey has a question the dialog can offer.
    static bool hasChoiceQuestion(const SurveyDocument& doc);

    void refresh();   // counts and shows the table of the current choices
    void CopyClick(); // the table to the clipboard as tab-separated text
    // The table to a UTF-8 CSV file chosen in the save dialog, with the byte order mark that a
    // spreadsheet opened by double click needs; never over the survey's own files.
    void SaveClick();
    const CrossGrid& grid() const { return grid_; }

    QComboBox* RowQuestion = nullptr;    // questions by number and text
    QComboBox* ColumnQuestion = nullptr; // likewise
    QComboBox* ViewBox = nullptr;        // counts, row %, column %, total %
    QCheckBox* ShowOpen = nullptr;       // "無回答・NGを表示(&N)", on at first
    QTableWidget* Table = nullptr;       // the cross table, totals included
    QLabel* LinkedNote = nullptr;        // shown when linked tally files are not in the table
    QLabel* BaseNote = nullptr;          // what the totals and per cents count (crossBaseNote)
    QPushButton* CopyButton = nullptr;   // "コピー(&C)"
    QPushButton* SaveButton = nullptr;   // "CSV保存(&S)..."
    QPushButton* CloseButton = nullptr;  // "閉じる"

private:
    QString proposedFileName() const;

    const SurveyDocument& doc_;
    Platform& platform_;
    CrossGrid grid_;
};

// The cross-tabulation command "クロス集計(&T)...": shows the dialog modally over parent, or,
// when the survey has no choice question, says so in a message box.
void CrossTab1Click(QWidget* parent, const SurveyDocument& doc, Platform& platform);

} // namespace vev
