#pragma once

// The main window of VEV: the frame around the question grid, the menus and their enabling, the
// window events, and SurveyView (platform/survey_view.h), through which everything else shows
// the survey.
//
// How an event flows. A key or mouse press on a question row reaches the QuestionGrid
// (keying/question_grid.h), which asks the entry rules (keying/answer_entry.h, in the core) what
// it means; the rules change the one SurveyDocument - every recorded answer passes
// AnswerEntry::recordAnswer, which runs dataDEL/dataIN (model/recording.h) and keeps Tally in
// step - and the grid redraws exactly what changed. The recording gate has one observer: the
// open survey (journal, undo) and the chart. A menu item runs a command object of its folder:
// OpenSurvey (survey/: the File commands, the save prompt, the recovery journal, undo),
// ResultsCommands, ExportCommands, AnalysisCommands, LinkedCommands, ClearCommands,
// HelpCommands; each works on the document and the platform and refreshes the window through
// SurveyView. There are no change signals. Every handler runs through runGuarded(), the one
// guard (Platform::runGuarded), which turns a VevError into the general error report.

#include "about/help_commands.h"
#include "analysis/analysis_commands.h"
#include "double_entry/double_entry_commands.h"
#include "editor/choice_texts_dialog.h"
#include "editor/clear_commands.h"
#include "export/export_command.h"
#include "keying/answer_entry.h"
#include "keying/grid_header.h"
#include "linked/linked_commands.h"
#include "results/results_commands.h"
#include "survey/open_survey.h"

#include <QMainWindow>

class QAction;
class QScrollArea;

namespace vev {

class QuestionGrid;
class RespondentBar;
class TForm2;
class TForm4;

// Form1, the main window.
class TForm1 : public QMainWindow, public SurveyView {
    Q_OBJECT

public:
    TForm1(SurveyDocument& doc, Platform& platform, QStringList arguments,
           QWidget* parent = nullptr);

    // The long-lived dialogs, created hidden right after the main window (see main.cpp).
    void attachDialogs(TForm2* editor, TForm4* linkedList);

    // SurveyView (and CoreEvents: what the core reports while it loads or links).
    QWidget* dialogParent() override { return this; }
    void runGuarded(const std::function<void()>& handler) override;
    void notice(const QString& text) override; // the positioned message
    void informationBeep() override;
    void tallyChanged(int q) override; // ad<q> := TallyLine(q)
    void refreshQuestionnaire() override;
    void showCurrentRespondent() override;
    void showRespondent(int r, int q) override;
    void focusCurrentQuestion() override { SetFcs(); }
    bool currentRowShown() const override;
    void showEmptyLook() override;
    void setCaption(const QString& text) override;
    void setSurveyLine(const QString& text) override;
    void setFileLine(const QString& text) override;
    void linkedFilesChanged() override;
    void showLoadedSurvey(bool hadQuestionnaire, int previousRows) override;
    void showReplayedSurvey() override;
    void showNewSurvey() override;

    // The command objects behind the menus.
    OpenSurvey& survey() { return survey_; }
    ResultsCommands& results() { return results_; }
    LinkedCommands& linked() { return linked_; }
    ClearCommands& clear() { return clear_; }
    HelpCommands& help() { return help_; }

    // The handlers the window keeps, public as the menus and the tests run them.
    void FormActivate() { SetFcs(); }
    void FormDropFiles(const QStringList& files);
    void File1Click();    // the menus open: which items are enabled
    void Edit1Click();
    void Results1Click();
    void New1Click() { survey_.New1Click([this] { AClear1Click(); }); }
    bool hozonsyori() { return survey_.hozonsyori(); }
    void Loaddatafile() { survey_.Loaddatafile(); }
    void AEdit1Click(); // "アンケート項目編集(&E)": the editor on the document's questionnaire
    void AClear1Click();
    void DClear1Click();
    void hyoji();     // (display) header texts, caption and rows rebuilt from the document
    void hitoribun(); // (one respondent's worth) CurrentRespondent shown: number and answers
    void SetFcs();    // (set focus) the keyboard to the current row's answer box
    // For the tests: the window's key preview, off while the jump box Edit2 is open.
    bool keyPreview() const;
    void Verify1Click(bool on) { double_.Verify1Click(on); } // double entry: verified re-keying

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override; // activation -> FormActivate
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWidgets();
    void createMenus();
    void FormCreate();
    void fitHeightToQuestions();
    void showEmptyLook(int rows); // the look without a questionnaire for rows 1..rows

    SurveyDocument& doc;
    Platform& platform;
    QStringList arguments_;
    AnswerEntry entry_;
    OpenSurvey survey_;
    ResultsCommands results_;
    ExportCommands export_;
    AnalysisCommands analysis_;
    LinkedCommands linked_;
    ClearCommands clear_;
    HelpCommands help_;
    ChoiceTextsCommand texts_;   // "選択肢の内容(&L)...": the texts of every question
    DoubleEntryCommands double_; // blank copy, comparison window, verification and its status bar
    TForm2* Form2 = nullptr; // the questionnaire editor
    TForm4* Form4 = nullptr; // the linked tally file list
    // Widgets; each carries its name as objectName.
    QScrollArea* scrollArea = nullptr; // vertical scrolling of the grid
    QuestionGrid* grid_ = nullptr;     // the client area ("canvas") with the 40 question rows
    GridHeader header_;                // Label1, Label2, Label4, Label5 and TestLabel
    // Label3 ("No."), the spinner UpDown1, the jump box Edit2 and its button Button1.
    RespondentBar* respondents_ = nullptr;
    // The menu items the menus enable or check; each carries its name as objectName.
    QAction *Save1 = nullptr, *SaveAs1 = nullptr, *Print1 = nullptr, *CsvW1 = nullptr;
    QAction *Export1 = nullptr, *Undo1 = nullptr, *Redo1 = nullptr, *AEdit1 = nullptr;
    QAction *Texts1 = nullptr, *AClear1 = nullptr, *DClear1 = nullptr, *CsvI1 = nullptr;
    QAction* csvR1 = nullptr;
    QAction *CsvL1 = nullptr, *Chart1 = nullptr, *CrossTab1 = nullptr, *Report1 = nullptr;
    QAction* DAVAD = nullptr; // the maker's timer tool, when it is installed
    // Options: the results file saved with the data file, percentages in tenths, multi-select
    // per cent of respondents; they are not changes to the survey.
    QAction *WWrite = nullptr, *Frac1 = nullptr, *RBase1 = nullptr;
    QAction* SecondEntry1 = nullptr; // double entry, File: the blank copy for a second operator
    QAction* Compare1 = nullptr;     // Edit: compare with a second operator's data file
    QAction* Verify1 = nullptr;      // Option: keyed answers checked against the stored ones
};

} // namespace vev
