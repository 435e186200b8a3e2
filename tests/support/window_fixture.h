#pragma once

#include "core_test_util.h"
#include "fake_platform.h"
#include "model/survey_document.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
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
class TForm1;
class TForm2;
class TForm4;

namespace test {

// The filter of every dialog that shows results and tally files.
QString tallyFilter();
// A shown file dialog as {"save"/"open", title, filter, suffix, file name, "single"/"multiple"},
// and what a results or tally-file dialog is expected to look like in that form.
QStringList fields(const FakePlatform::ShownDialog& shown);
QStringList tallyDialog(bool save, const char* title, const QString& fileName = {},
                        bool multiple = false);

// Characters as a keyboard or an input method delivers them: one key event per character
// (a surrogate pair is one character).
void typeInto(QWidget* widget, const QString& text);

// The captions of a menu's items in order, "-" for a separator.
QStringList menuCaptions(const QMenu* menu);

// The controls the focus visits as Tab is pressed from `from` (which gets the focus first), in
// order, up to and including the return to `from`; at most `limit` presses.
QList<QWidget*> tabWalk(QWidget* from, int limit = 40);
// Alt+letter pressed in `window` (which must be active), as an operator presses a mnemonic.
void pressMnemonic(QWidget* window, char letter);
// The mnemonic letters of the window's own labels, buttons and menu bar titles (not those of
// windows it owns), sorted, one per control that has one: a letter shown twice is a clash.
QString mnemonicLetters(const QWidget* window);

// "Lunch survey": Q-one with 2 choices, Q-two with 3.
void setLunchQuestionnaire(SurveyDocument& doc);
// A tally file of the lunch survey written on another machine: the counts of Q-one (1, 2, NG)
// and of Q-two (1, 2, 3, NG).
QByteArray lunchTallyFile(const QByteArray& title, const QList<int>& one, const QList<int>& two);

// The data file as a fresh start loads it, with the journal replayed onto it as recovery
// replays it: what a crash of the window would bring back.
std::unique_ptr<SurveyDocument> replayedSurvey(const QString& dataFile, const QString& journal);

// One run of the program in a temporary folder that is also the program's folder: the document,
// the scripted platform and, once started, the main window with the editor and the linked-file
// list attached as at start-up.
struct WindowSession {
    QTemporaryDir dir;
    QString previousFolder;
    std::unique_ptr<SurveyDocument> doc = std::make_unique<SurveyDocument>();
    FakePlatform platform;
    std::unique_ptr<TForm1> form;
    TForm2* editor = nullptr; // owned by the main window
    TForm4* list = nullptr;   // owned by the main window

    WindowSession();
    ~WindowSession();

    QString path(const QString& name) const { return dir.filePath(name); }
    std::string nativePath(const char* name) const;
    // Makes the folder the current one too, as when the program is started from it.
    void enterFolder() { QDir::setCurrent(dir.path()); }
    // Copies a file of tests/data into the folder (under its own name unless given one) and
    // returns its path there; empty when it cannot be copied.
    QString place(const char* testDataName, const QString& as = {}) const;
    // Builds the windows (the main window's start-up load runs here).
    void start(const QStringList& arguments = {});
    // Shows the main window and waits until it is active; false when it never is.
    bool showActive();

    // Keying into the grid: shows respondent r and clicks row q's label, as navigation and a
    // click would; then types into whatever has the focus ('\r' is Enter, '\b' Backspace),
    // false when a key found no answer box focused.
    void stand(int r, int q);
    bool type(const QString& keys);
    void key(Qt::Key k);
    QLineEdit* focused() const;

    // The main window's controls, found by their names as the window gives them.
    QWidget* canvas() const; // the client area: the question grid and the header controls
    QScrollArea* scrollArea() const;
    QWidget* control(const char* name) const; // a control of the client area
    QAction* action(const char* name) const;  // a menu item
    QMenu* menu(const char* name) const;
    QWidget* q(int n) const; // row n's panel
    QLabel* no(int n) const;
    QLineEdit* sn(int n) const;
    QLabel* af(int n) const;
    QLabel* ad(int n) const;
    QLabel* Label1() const;
    QLabel* Label2() const;
    QLabel* Label3() const;
    QLabel* Label4() const;
    QLabel* Label5() const;
    HSpinner* UpDown1() const;
    QLineEdit* Edit2() const;
    QPushButton* Button1() const;
#define VEV_MENU_ITEM(name)                                                                        \
    QAction* name() const {                                                                        \
        return action(#name);                                                                      \
    }
    VEV_MENU_ITEM(New1)
    VEV_MENU_ITEM(Open1)
    VEV_MENU_ITEM(Save1)
    VEV_MENU_ITEM(SaveAs1)
    VEV_MENU_ITEM(Print1)
    VEV_MENU_ITEM(CsvW1)
    VEV_MENU_ITEM(Ex1)
    VEV_MENU_ITEM(Exit1)
    VEV_MENU_ITEM(AEdit1)
    VEV_MENU_ITEM(AClear1)
    VEV_MENU_ITEM(DClear1)
    VEV_MENU_ITEM(CsvI1)
    VEV_MENU_ITEM(csvR1)
    VEV_MENU_ITEM(CsvL1)
    VEV_MENU_ITEM(WWrite)
    VEV_MENU_ITEM(Frac1)
    VEV_MENU_ITEM(About1)
    VEV_MENU_ITEM(Manual)
    VEV_MENU_ITEM(ZAMweb)
    VEV_MENU_ITEM(DAVAD)
#undef VEV_MENU_ITEM
    QMenu* File1() const {
        return menu("File1");
    }
    QMenu* Edit1() const {
        return menu("Edit1");
    }
    QMenu* Option1() const {
        return menu("Option1");
    }
    QMenu* Help1() const {
        return menu("Help1");
    }
    QString answer(int r, int q) const {
        return QString::fromLatin1(doc->Answers[r][q].view());
    }
    // True when every scripted answer was used and nothing unexpected was shown; says why not.
    bool done() const;
    // Closes the windows and restores the current folder; true when every scripted answer was
    // used, nothing unexpected was shown and no top-level window is left. Without `why` the
    // reason is printed. A session that ends without it calls it and fails the running test
    // when it returns false, so no window test passes over a dialog it did not expect.
    bool finish(QString* why = nullptr);

private:
    bool finished_ = false;
};

// The main window started on a copy of entry_survey.dat in a folder of its own, which is also
// the current folder; ready() shows it and waits until it is active.
struct EntrySession : WindowSession {
    EntrySession() {
        enterFolder();
        start({place("entry_survey.dat")});
    }
    bool ready() { return showActive(); }
};

} // namespace test
} // namespace vev
