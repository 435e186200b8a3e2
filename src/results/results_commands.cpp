#include "app/main_window.h"

#include "model/sjis.h"
#include "results/results_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vev {

namespace {

const QString& resultsFilter() {
    static const QString filter =
        QString::fromUtf8("集計ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
    return filter;
}

// The path with the extension of its file name replaced (or added when it has none); a dot in
// a folder name is not an extension.
std::string withExtension(const std::string& path, const std::string& extension) {
    const std::size_t nameStart = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart))
        return path + extension;
    return path.substr(0, dot) + extension;
}

// The folder the print file goes to: the program's folder when it may be written to, otherwise
// the user's cache folder for the program (an installed program's folder is read-only).
std::string printDirectoryFor(const std::string& appDirectory) {
    const QFileInfo appDir(QString::fromStdString(appDirectory));
    if (!appDirectory.empty() && appDir.isDir() && appDir.isWritable()) return appDirectory;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return QDir(cache).absolutePath().toStdString() + '/';
}

} // namespace

void TForm1::CsvW1Click() {
    // The proposal is kept even when the dialog is cancelled.
    if (doc.ResultsFilePath.empty()) {
        doc.ResultsFilePath = doc.DataFilePath.empty()
                                  ? sjis::toNativePath(doc.SurveyTitle.view()) + ".csv"
                                  : withExtension(doc.DataFilePath, ".csv");
    }
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("集計結果に名前をつけて保存");
    dialog.filter = resultsFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = QString::fromStdString(doc.ResultsFilePath);
    const QString chosen = platform.chooseSaveFile(this, dialog);
    if (chosen.isEmpty()) return;

    doc.ResultsFilePath = chosen.toStdString();
    doc.ResultsSeparator = ',';
    doc.ResultsQuote = '"';
    csvhozon(doc, platform.shortDate());
}

void TForm1::Print1Click() {
    doc.PrintDirectory = printDirectoryFor(doc.AppDirectory);
    doc.ResultsSeparator = ' ';
    doc.ResultsQuote = ' ';
    csvhozon(doc, platform.shortDate()); // a failure ends here: no viewer is started

    // The print file is one argument, spaces in its folder and all.
    const QString printFile = QString::fromStdString(doc.printFilePath());
#ifdef Q_OS_WIN
    const QFileInfo viewer(QString::fromStdString(doc.AppDirectory) + QStringLiteral("Ziduvo.exe"));
    if (viewer.isFile())
        platform.startProgram(viewer.absoluteFilePath(), {printFile});
    else
        platform.startProgram(QStringLiteral("Notepad.exe"), {printFile});
#else
    const QFileInfo viewer(QString::fromStdString(doc.AppDirectory) + QStringLiteral("ziduvo"));
    if (viewer.isFile() && viewer.isExecutable())
        platform.startProgram(viewer.absoluteFilePath(), {printFile});
    else
        platform.shellOpen(printFile); // the desktop's application for text files
#endif
}

void TForm1::Ex1Click() {
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("集計ファイルを開く");
    dialog.filter = resultsFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    const QStringList chosen = platform.chooseOpenFiles(this, dialog);
    if (chosen.isEmpty()) return;

    // From now on this is the results file: proposed by the save command, refused for linking.
    doc.ResultsFilePath = chosen.first().toStdString();
    platform.shellOpen(chosen.first());
}

} // namespace vev
