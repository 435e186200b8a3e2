#pragma once

#include "double_entry/double_entry.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace vev {

class Platform;
class DifferenceModel;

// "入力照合": the differences between the open survey and another data file of the same
// questionnaire, keyed by a second operator. Modeless: the operator double-clicks a row (or
// presses Enter on it), the main window shows that respondent with the focus in that
// question's answer box, the operator corrects the answer from the paper, and "再照合"
// compares again. The open survey is compared as it is in memory; the other file is re-read
// from disk on every refresh and never written.
class CompareDialog : public QDialog {
    Q_OBJECT

public:
    // Shows respondent r in the main window with the focus in question q's answer box.
    using Jump = std::function<void(int respondent, int question)>;

    // other: the other file already read (the command reads it to check it); null reads it now.
    CompareDialog(SurveyDocument& doc, Platform& platform, QString otherPath, Jump jump,
                  QWidget* parent = nullptr, std::unique_ptr<SurveyDocument> other = nullptr);
    ~CompareDialog() override;

    // Re-reads the other file and compares again; a refused file or a questionnaire that no
    // longer matches is shown in a message box and empties the list. False then.
    bool refresh();
    // "相違一覧を保存": the report CSV through the save dialog.
    void saveReport();
    // Double-click or Enter on a row.
    void rowActivated(const QModelIndex& index);

    const Comparison& comparison() const { return comparison_; }
    const QString& otherPath() const { return otherPath_; }

    QLabel* filesLabel = nullptr;       // the two files
    QLabel* respondentsLabel = nullptr; // respondents compared
    QLabel* answersLabel = nullptr;     // answers compared
    QLabel* differencesLabel = nullptr; // differing answers
    QLabel* oneSidedLabel = nullptr;    // respondents in one file only
    QLabel* agreementLabel = nullptr;   // agreement in per cent
    QLabel* shiftLabel = nullptr;       // in red: from which respondent one file seems shifted
    // One row per difference; the rows are drawn from the comparison as they are shown, so
    // even a list of every answer of the largest survey opens at once.
    QTreeView* differenceList = nullptr;
    QPushButton* refreshButton = nullptr;
    QPushButton* reportButton = nullptr;
    QPushButton* closeButton = nullptr;

    // Column captions of the list.
    static QStringList columnCaptions();

private:
    void compareWith(const SurveyDocument& other);
    void fill();
    void showRefusal(const QString& text);
    // Runs a button's handler; a VevError ends it with the general error report.
    void guarded(const std::function<void()>& handler);

    SurveyDocument& doc_;
    Platform& platform_;
    QString otherPath_;
    Jump jump_;
    Comparison comparison_;
    DifferenceModel* model_ = nullptr;
};

// The open survey's name as the comparison messages show it: its file name, or "開いている
// アンケート" when it was never saved.
QString openSurveyName(const SurveyDocument& doc);

} // namespace vev
