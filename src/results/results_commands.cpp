#include "results/results_commands.h"

#include "model/output_target.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "results/results_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vev {

namespace {

// The folder the print file goes to: the program's folder when it may be written to, otherwise
// the user's cache folder for the program (an installed program's folder is read-only).
std::string printDirectoryFor(const std::string& appDirectory) {
    const QFileInfo appDir(paths::toQString(appDirectory));
    if (!appDirectory.empty() && appDir.isDir() && appDir.isWritable()) return appDirectory;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return paths::fromQString(QDir(cache).absolutePath()) + '/';
}

} // namespace

void ResultsCommands::CsvW1Click() {
    // The proposal is kept even when the dialog is cancelled.
    if (doc_.ResultsFilePath.empty()) {
        doc_.ResultsFilePath = doc_.DataFilePath.empty()
                                   ? sjis::toNativePath(doc_.SurveyTitle.view()) + ".csv"
                                   : paths::withExtension(doc_.DataFilePath, ".csv");
    }
    Platform::FileDialog dialog = Platform::tallyFileDialog("集計結果に名前をつけて保存");
    dialog.fileName = paths::toQString(doc_.ResultsFilePath);
    const QString chosen = platform_.chooseSaveFile(view_.dialogParent(), dialog);
    if (chosen.isEmpty()) return;

    // The results table may replace an earlier results file, never the data or a linked file.
    checkOutputTarget(doc_, paths::fromQString(chosen), OutputRole::ResultsTable);
    doc_.ResultsFilePath = paths::fromQString(chosen);
    doc_.ResultsSeparator = ',';
    doc_.ResultsQuote = '"';
    csvhozon(doc_, platform_.shortDate());
}

void ResultsCommands::Print1Click() {
    doc_.PrintDirectory = printDirectoryFor(doc_.AppDirectory);
    doc_.ResultsSeparator = ' ';
    doc_.ResultsQuote = ' ';
    csvhozon(doc_, platform_.shortDate()); // a failure ends here: no viewer is started

    // The print file is one argument, spaces in its folder and all.
    const QString printFile = paths::toQString(doc_.printFilePath());
#ifdef Q_OS_WIN
    const QFileInfo viewer(paths::toQString(doc_.AppDirectory) + QStringLiteral("Ziduvo.exe"));
    if (viewer.isFile())
        platform_.startProgram(viewer.absoluteFilePath(), {printFile});
    else
        platform_.startProgram(QStringLiteral("Notepad.exe"), {printFile});
#else
    const QFileInfo viewer(paths::toQString(doc_.AppDirectory) + QStringLiteral("ziduvo"));
    if (viewer.isFile() && viewer.isExecutable())
        platform_.startProgram(viewer.absoluteFilePath(), {printFile});
    else
        platform_.shellOpen(printFile); // the desktop's application for text files
#endif
}

void ResultsCommands::Ex1Click() {
    Platform::FileDialog dialog = Platform::tallyFileDialog("集計ファイルを開く");
    const QStringList chosen = platform_.chooseOpenFiles(view_.dialogParent(), dialog);
    if (chosen.isEmpty()) return;

    // From now on this is the results file: proposed by the save command, refused for linking.
    doc_.ResultsFilePath = paths::fromQString(chosen.first());
    platform_.shellOpen(chosen.first());
}

} // namespace vev
