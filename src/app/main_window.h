#pragma once

// The main window of VEV: the question grid of one survey and every menu command.
//
// How an event flows: a key, mouse or menu event reaches one handler of TForm1 (all of them run
// through runGuarded(), which turns a VevError into the general error report and lets the
// program go on). The handler changes the one SurveyDocument directly - through dataDEL/dataIN
// for answers, the loader or the editor for the questionnaire - and then refreshes exactly what
// it changed: one answer box sn<q>, one count line ad<q> (TallyLine), the "No." label, or, after
// a load or an edit of the questionnaire, the whole grid (hyoji). There are no change signals.
//
// The handlers live in the files of their subsystem: file commands in app/, the grid and
// answer entry in entry/, clear and editor commands in editor/, results commands in results/,
// tally-file commands in linked/, help commands in about/.

#include "model/core_events.h"
#include "model/survey_document.h"
#include "platform/platform.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QWidget;

namespace vev {

class HSpinner;
class TForm2;
class TForm4;

class TForm1 : public QMainWindow, public CoreEvents {
    Q_OBJECT

public:
    TForm1(SurveyDocument& doc, Platform& platform, QStringList arguments,
           QWidget* parent = nullptr);
    ~TForm1() override;

    SurveyDocument& doc;
    Platform& platform;

    // The long-lived dialogs, created hidden right after the main window (see main.cpp).
    void attachDialogs(TForm2* editor, TForm4* linkedList);
    TForm2* Form2 = nullptr;
    TForm4* Form4 = nullptr;

    // Runs a handler; a VevError ends it and shows the general error report.
    void runGuarded(const std::function<void()>& handler);

    // CoreEvents: what the core reports while it loads or links.
    void notice(const QString& text) override; // the positioned message
    void informationBeep() override;
    void tallyChanged(int q) override; // ad<q> := TallyLine(q)

    // --- app/main_window.cpp: start-up, frame and File menu ---
    void FormCreate();
    void FormActivate();
    void FormDropFiles(const QStringList& paths);
    bool FormCloseQuery(); // true: the window may close
    void File1Click();
    void New1Click(); // editor/editor_commands.cpp
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    bool hozonsyori();
    // DataFilePath names a file the survey was loaded from or saved to (not Save As's proposal).
    bool hasDataFile() const;
    void Loaddatafile(); // core load of OpenRequestPath, then the window's part
    void hozon();        // core save with today's date
    void fitHeightToQuestions();

    // --- entry/question_grid.cpp: the grid ---
    void hyoji();
    void hitoribun();
    void SetFcs();

    // --- editor/clear_commands.cpp: Edit menu and clear commands ---
    void Edit1Click();
    void DClear1Click();
    void AClear1Click();
    void DClear();
    void AClear();
    void AEdit1Click(); // editor/editor_commands.cpp
    // The look without a questionnaire: header controls and rows 1..rows hidden, start texts.
    void showEmptyLook(int rows);

    // --- entry/key_entry.cpp: keyboard and mouse entry ---
    bool eventFilter(QObject* watched, QEvent* event) override;
    void snKeyPress(char key); // a character typed in the current answer box (13 = Enter)
    void confirmMultiSelect();
    void FormKeyDown(int key); // key preview; Qt key codes
    void snClick(int row);
    void noMouseDown(int row, bool leftButton);
    void noMouseEnter(int row);
    void noMouseLeave();
    void FormMouseWheel(int delta);

    // --- entry/navigation.cpp: respondent navigation ---
    void tugie();
    void UpDown1Click();
    void Label3MouseEnter();
    void Label3MouseLeave();
    void Label3Click();
    void Button1Click();
    void Edit2KeyPress(char key);
    bool KeyPreview = true;

    // --- results/results_commands.cpp ---
    static QString tallyFileFilter(); // results and tally files in the file dialogs
    void CsvW1Click();
    void Print1Click();
    void Ex1Click();

    // --- linked/linked_commands.cpp ---
    void CsvI1Click();
    void CsvR1Click();
    void CsvL1Click();

    // --- about/help_commands.cpp ---
    void About1Click();
    void ManualClick();
    void ZAMwebClick();
    void DAVADClick();
    // A file the program looks for beside itself: the program's folder, then ../share/vev/.
    QString findBesideProgram(const QString& name) const;

    // --- widgets (object names as the controls' names) ---
    QScrollArea* scrollArea = nullptr; // vertical scrolling of the grid
    QWidget* canvas = nullptr;         // the window's client area inside the scroll area
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* TestLabel = nullptr;
    HSpinner* UpDown1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    // Rows 1..40 (index 0 unused): panel, question label, answer box, choice header, counts, NG.
    std::array<QWidget*, MaxQuestions + 1> q{};
    std::array<QLabel*, MaxQuestions + 1> no{};
    std::array<QLineEdit*, MaxQuestions + 1> sn{};
    std::array<QLabel*, MaxQuestions + 1> af{};
    std::array<QLabel*, MaxQuestions + 1> ad{};
    std::array<QLabel*, MaxQuestions + 1> ng{};

    // --- menus ---
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Option1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* CsvW1 = nullptr;
    QAction* Ex1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* AEdit1 = nullptr;
    QAction* AClear1 = nullptr;
    QAction* DClear1 = nullptr;
    QAction* CsvI1 = nullptr;
    QAction* csvR1 = nullptr;
    QAction* CsvL1 = nullptr;
    QAction* WWrite = nullptr;
    QAction* Frac1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Manual = nullptr;
    QAction* ZAMweb = nullptr;
    QAction* DAVAD = nullptr;

    // The row number of an sn<n> or no<n> control, from its object name.
    static int rowOf(const QObject* control);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override; // activation -> FormActivate
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createWidgets();
    void createMenus();
    // The canvas is as tall as the lowest shown row, so the window scrolls only when needed.
    void fitCanvasToRows();
    QStringList arguments_;
    // The name Save As proposed for a survey never saved; Save does not write to it.
    std::string proposedDataFile_;
};

} // namespace vev
