#include "app/main_window.h"

#include "model/paths.h"
#include "model/sjis.h"
#include "results/results_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vev {

QString TForm1::tallyFileFilter() {
    return QString::fromUtf8("集計ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
}

namespace {

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
                                  : paths::withExtension(doc.DataFilePath, ".csv");
    }
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("集計結果に名前をつけて保存");
    dialog.filter = tallyFileFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = paths::toQString(doc.ResultsFilePath);
    const QString chosen = platform.chooseSaveFile(this, dialog);
    if (chosen.isEmpty()) return;

    doc.ResultsFilePath = paths::fromQString(chosen);
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
    dialog.filter = tallyFileFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    const QStringList chosen = platform.chooseOpenFiles(this, dialog);
    if (chosen.isEmpty()) return;

    // From now on this is the results file: proposed by the save command, refused for linking.
    doc.ResultsFilePath = paths::fromQString(chosen.first());
    platform.shellOpen(chosen.first());
}

} // namespace vev
