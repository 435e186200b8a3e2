#pragma once

#include "fake_platform.h"
#include "model/survey_document.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>

class QMenu;

namespace vev {

class TForm1;
class TForm2;
class TForm4;

namespace test {

// Shift-JIS bytes of a UTF-8 text.
QByteArray sj(const char* utf8);
QString u(const char* utf8);
// The whole file; empty when it cannot be read.
QByteArray readAll(const QString& path);
// Writes the file whole; false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);
// The absolute path of a file of tests/data.
QString testData(const char* name);

// The filter of every dialog that shows results and tally files.
QString tallyFilter();
// A shown file dialog as {"save"/"open", title, filter, suffix, file name, "single"/"multiple"},
// and what a results or tally-file dialog is expected to look like in that form.
QStringList fields(const FakePlatform::ShownDialog& shown);
QStringList tallyDialog(bool save, const char* title, const QString& fileName = {},
                        bool multiple = false);

// The captions of a menu's items in order, "-" for a separator.
QStringList menuCaptions(const QMenu* menu);

// "Lunch survey": Q-one with 2 choices, Q-two with 3.
void setLunchQuestionnaire(SurveyDocument& doc);
// A tally file of the lunch survey written on another machine: the counts of Q-one (1, 2, NG)
// and of Q-two (1, 2, 3, NG).
QByteArray lunchTallyFile(const QByteArray& title, const QList<int>& one, const QList<int>& two);

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
    // Builds the windows (the main window's start-up load runs here).
    void start(const QStringList& arguments = {});
    // Closes the windows and restores the current folder; true when every scripted answer was
    // used, nothing unexpected was shown and no top-level window is left.
    bool finish(QString* why);
};

} // namespace test
} // namespace vev
