#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vev {

// Everything the platform does for the program: message boxes, file dialogs, shell open,
// starting programs, beep, the 100 ms pause, today's short date, the program's folder.
// QtPlatform does it for real; the window tests use a scripted fake that fails on any dialog
// it was not told to expect, so no test ever blocks on a modal window.
class Platform {
public:
    virtual ~Platform() = default;

    enum class Icon { None, Information, Question, Warning, Error };
    // ReadOnlyCancel: "読み取り専用で開く" (Answer::ReadOnly) and Cancel, for a file another holds.
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, ReadOnlyCancel };
    enum class Answer { Ok, Cancel, Yes, No, ReadOnly };

    // A standard message box (confirmations and the error report).
    virtual Answer messageBox(QWidget* parent, const QString& caption, const QString& text,
                              Icon icon, Buttons buttons) = 0;
    // The positioned message: caption "VEV", no icon, OK, top-left corner 100 px right of and
    // below the main window's top-left corner. A carriage return in the text is a line break.
    virtual void positionedMessage(QWidget* mainWindow, const QString& text) = 0;

    struct FileDialog {
        QString title;
        QString filter;        // "label|pattern|label|pattern", as the program states it
        QString defaultSuffix; // added to a typed name without extension
        QString fileName;      // proposed name (may hold a folder)
        bool multiple = false; // open dialog: several files at once
    };
    // Returns the chosen files (empty when cancelled). After a choice the process's current
    // folder is the chosen file's folder: see chooseOpenFiles / chooseSaveFile.
    virtual QStringList openFiles(QWidget* parent, const FileDialog& dialog) = 0;
    // Asks before replacing an existing file. Empty when cancelled.
    virtual QString saveFile(QWidget* parent, const FileDialog& dialog) = 0;

    virtual void shellOpen(const QString& target) = 0; // document or web address
    virtual void startProgram(const QString& program, const QStringList& arguments) = 0;
    virtual void beep() = 0;
    virtual void pause100ms() = 0;
    virtual QString shortDate() = 0;        // today, in the system's short date format
    virtual QString programDirectory() = 0; // ends in a path separator

    // The filters of the file dialogs: survey data files, and results and tally files.
    static QString dataFileFilter();
    static QString tallyFileFilter();
    // A file dialog for survey data files (.dat) or tally files (.csv), titled as given (UTF-8).
    static FileDialog dataFileDialog(const char* title);
    static FileDialog tallyFileDialog(const char* title);

    // The general error report: caption "VEV", error icon, OK, the text with a full stop.
    void errorReport(QWidget* parent, const QString& text);
    // The one guard of the handlers the operator starts (the main window's SurveyView, the
    // chart window, the dialogs): a VevError ends the handler and shows the error report over
    // parent, and the program goes on.
    void runGuarded(QWidget* parent, const std::function<void()>& handler);
    // The dialogs, leaving the current folder at the chosen file's folder.
    QStringList chooseOpenFiles(QWidget* parent, const FileDialog& dialog);
    QString chooseSaveFile(QWidget* parent, const FileDialog& dialog);
};

} // namespace vev
