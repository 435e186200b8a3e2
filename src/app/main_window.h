#pragma once

// The main window of VEV: the frame around the question grid, the menus and their wiring.
//
// How an event flows. A key or mouse press on a question row reaches the QuestionGrid
// (entry/question_grid.h), which asks the entry rules (entry/answer_entry.h, in the core) what
// it means; the rules change the one SurveyDocument - every answer the operator records passes
// AnswerEntry::recordAnswer, which runs dataDEL/dataIN (model/recording.h) and keeps Tally in
// step - and return what changed, and the grid redraws exactly that: one answer box sn<q>, one
// count line ad<q> (TallyLine), the respondent shown, the focus. Whatever must follow every
// recorded answer (a journal, undo) observes that one gate: entry_.setObserver(). A menu
// command runs a command object of its folder (results/, linked/, editor/, about/) that works
// on the document and the platform and refreshes the window through the narrow SurveyView
// interface (platform/survey_view.h) that this window implements; after a load or an edit of
// the questionnaire the whole grid is rebuilt (hyoji). There are no change signals.
//
// Every handler runs through runGuarded(), which turns a VevError into the general error report
// and lets the program go on. Dialogs (editor Form2, linked-file list Form4, About Form3) know
// the document, the platform and SurveyView, never this class.

#include "about/help_commands.h"
#include "editor/clear_commands.h"
#include "keying/answer_entry.h"
#include "survey/journal.h"
#include "double_entry/verifying_entry.h"
#include "linked/linked_commands.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"
#include "results/results_commands.h"

#include <QMainWindow>

#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QStatusBar;
class QTimer;
class QUndoStack;

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
    ~TForm1() override;

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

    // The handlers, public as the menus and the tests run them.
    // File menu and frame
    void FormActivate();
    void FormDropFiles(const QStringList& files);
    bool FormCloseQuery(); // true: the window may close
    void File1Click();     // the File menu opens: which items are enabled
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    // hozonsyori (save handling): offers to save before the document is discarded; true when
    // the caller may go on.
    bool hozonsyori();
    // DataFilePath names a file the survey was loaded from or saved to (not Save As's proposal).
    bool hasDataFile() const;
    void Loaddatafile(); // core load of OpenRequestPath, then the window's part
    void hozon();        // core save with today's date
    // The grid
    void hyoji();     // (display) header texts, caption and rows rebuilt from the document
    void hitoribun(); // (one respondent's worth) CurrentRespondent shown: number and answers
    void SetFcs();    // (set focus) the keyboard to the current row's answer box
    // Edit menu
    void Edit1Click(); // the Edit menu opens: which items are enabled
    void AEdit1Click();
    void AClear1Click();
    void DClear1Click();
    void AClear() { clear_.AClear(); }
    void DClear() { clear_.DClear(); }
    void CsvI1Click() { linked_.CsvI1Click(); }
    void CsvR1Click() { linked_.CsvR1Click(); }
    void CsvL1Click() { linked_.CsvL1Click(); }
    // Results
    void CsvW1Click() { results_.CsvW1Click(); }
    void Print1Click() { results_.Print1Click(); }
    void Ex1Click() { results_.Ex1Click(); }
    // Answer export and the results menu
    void Export1Click();
    void Results1Click(); // the results menu opens: which items are enabled
    void Chart1Click();   // the one chart window, refreshed and raised
    void CrossTab1Click();
    void Report1Click();
    // Help menu
    void About1Click() { help_.About1Click(); }
    void ManualClick() { help_.ManualClick(); }
    void ZAMwebClick() { help_.ZAMwebClick(); }
    void DAVADClick() { help_.DAVADClick(); }

    // For the tests: the window's key preview, off while the jump box Edit2 is open.
    bool keyPreview() const;

    // Double entry
    // "照合用に新規作成(&V)...": the blank copy for a second operator, then opened as Open does.
    void SecondEntry1Click();
    // "入力照合(&C)...": the comparison with another data file, modeless; its rows jump here.
    void Compare1Click();
    // Respondent r shown with the keyboard in question q's answer box; a pending multi-select
    // entry keeps the keyboard in its box instead.
    void showComparedAnswer(int r, int q);
    // "照合入力(&K)": keyed answers of the respondents already there are checked against the
    // stored ones before they are recorded.
    void Verify1Click(bool on);
    // Undo and redo of recorded answers (Edit menu), and the recovery journal.
    void Undo1Click();
    void Redo1Click();
    const JournalWriter& journalWriter() const { return journal_; }

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
    // The one save prompt: "データが変更されています。" + question, caption "保存確認".
    Platform::Answer askToSave(const char* utf8Question, Platform::Icon icon);
    void fitHeightToQuestions();
    // The look without a questionnaire for rows 1..rows.
    void showEmptyLook(int rows);
    void FormMouseWheel(int delta);
    // Dependent verification: the check of every keyed answer, a fresh start after a load or a
    // clear, and the status bar's texts.
    bool verifyKeyedAnswer(const std::function<void()>& record);
    void restartVerifying();
    void showVerifyStatus();
    // The counts or the questionnaire changed: a shown chart window is refreshed once the
    // current event is handled (a clear or a link reports every question; one refresh follows).
    void resultsChanged();

    // The recovery journal: every change the data file would carry is appended at once.
    void recoverJournalAfterLoad();
    JournalReplayHooks journalReplayHooks();
    void journal(const JournalRecord& record); // append, report a failure once, flush soon
    void journalRespondentCount();             // when navigation or undo changed the count
    void answerRecorded(const RecordedAnswer& change);
    void answerUndone(int respondent, int question);
    void respondentFinished(); // the journal goes to the disk now
    void flushJournal();
    void discardJournal(); // the operator gave up the changes
    void journalSaved();   // the data file holds everything: a fresh journal beside it
    void surveyCleared();  // the questionnaire was cleared: its journal goes aside
    void endUndoHistory();

    SurveyDocument& doc;
    Platform& platform;
    QStringList arguments_;
    // The name Save As proposed for a survey never saved; Save does not write to it.
    std::string proposedDataFile_;
    AnswerEntry entry_;
    ResultsCommands results_;
    LinkedCommands linked_;
    ClearCommands clear_;
    HelpCommands help_;
    TForm2* Form2 = nullptr; // the questionnaire editor
    TForm4* Form4 = nullptr; // the linked tally file list

    QWidget* chart_ = nullptr;       // the results charts, created when first opened
    QTimer* chartRefresh_ = nullptr; // coalesces the chart's refreshes

    // Widgets; each carries its name as objectName.
    QScrollArea* scrollArea = nullptr; // vertical scrolling of the grid
    QuestionGrid* grid_ = nullptr;     // the client area ("canvas") with the 40 question rows
    QLabel* Label1 = nullptr;          // survey line: "ｱﾝｹｰﾄ：" and the title
    QLabel* Label2 = nullptr;          // file line: "ﾌｧｲﾙ：" and the data file's name
    // Label3 ("No."), the spinner UpDown1, the jump box Edit2 and its button Button1.
    RespondentBar* respondents_ = nullptr;
    QLabel* Label4 = nullptr;    // column header over the counts, "集 計 結 果"
    QLabel* Label5 = nullptr;    // column header over question texts and answer boxes
    QLabel* TestLabel = nullptr; // measures the realised window font for ScalePercent

    // Menus and their items; the names are the items' objectName.
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Option1 = nullptr;
    QMenu* Results1 = nullptr; // "集計(&T)": charts, cross table, report
    QMenu* Help1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* CsvW1 = nullptr;
    QAction* Ex1 = nullptr;
    QAction* Export1 = nullptr; // the answers, one row per respondent, as CSV or .sav
    QAction* Exit1 = nullptr;
    QAction* AEdit1 = nullptr;
    QAction* AClear1 = nullptr;
    QAction* DClear1 = nullptr;
    QAction* CsvI1 = nullptr;
    QAction* csvR1 = nullptr;
    QAction* CsvL1 = nullptr;
    QAction* WWrite = nullptr; // option: save the results file with the data file
    QAction* Frac1 = nullptr;  // option: percentages in tenths

    QAction* RBase1 = nullptr;    // option: multi-select per cent of respondents, not of answers
    QAction* Chart1 = nullptr;    // the results chart window
    QAction* CrossTab1 = nullptr; // the cross table dialog
    QAction* Report1 = nullptr;   // the results report as PDF
    QAction* About1 = nullptr;
    QAction* Manual = nullptr; // the help document vev.htm
    QAction* ZAMweb = nullptr; // the maker's web page with the latest version
    QAction* DAVAD = nullptr;  // the maker's timer tool (Davad.exe), when it is installed

    // Double entry: its menu items, the status bar shown while Verify1 is checked, the rule.
    QAction* SecondEntry1 = nullptr;  // File: the blank copy for a second operator
    QAction* Compare1 = nullptr;      // Edit: compare with a second operator's data file
    QAction* Verify1 = nullptr;       // Option: keyed answers checked against the stored ones
    QStatusBar* StatusBar1 = nullptr; // the window's status bar
    QLabel* VerifyStatus = nullptr;   // "照合入力　確認 n件　相違 n件　誤り率 x%"
    QLabel* VerifyMismatch = nullptr; // "登録済み s　入力 k　もう一度入力してください"
    VerifyingEntry verifier_;         // the re-keying rule while Verify1 is checked
    QString mismatchText_;            // the pending mismatch: stored and keyed answer
    // Recovery journal and undo.
    JournalWriter journal_;
    int journaledCount_ = 0;         // RespondentCount as a replay of the journal would leave it
    int windowNumber_ = 0;           // names the journal of a survey without a data file
    QTimer* journalTimer_ = nullptr; // flushes at most 2 seconds after a change
    QUndoStack* undo_ = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
};

} // namespace vev
