#include "platform/platform.h"

#include "model/vev_error.h"

#include <QDir>
#include <QFileInfo>

namespace vev {

void Platform::errorReport(QWidget* parent, const QString& text) {
    messageBox(parent, QStringLiteral("VEV"),
               QString::fromStdString(withFullStop(text.toStdString())), Icon::Error, Buttons::Ok);
}

void Platform::runGuarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const VevError& error) {
        errorReport(parent, QString::fromUtf8(error.what()));
    }
}

QString Platform::dataFileFilter() {
    return QString::fromUtf8("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*");
}

QString Platform::tallyFileFilter() {
    return QString::fromUtf8("集計ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
}

namespace {
Platform::FileDialog fileDialog(const char* title, const QString& filter, const char* suffix) {
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8(title);
    dialog.filter = filter;
    dialog.defaultSuffix = QString::fromLatin1(suffix);
    return dialog;
}
} // namespace

Platform::FileDialog Platform::dataFileDialog(const char* title) {
    return fileDialog(title, dataFileFilter(), "dat");
}

Platform::FileDialog Platform::tallyFileDialog(const char* title) {
    return fileDialog(title, tallyFileFilter(), "csv");
}

QStringList Platform::chooseOpenFiles(QWidget* parent, const FileDialog& dialog) {
    QStringList files = openFiles(parent, dialog);
    if (!files.isEmpty()) QDir::setCurrent(QFileInfo(files.first()).absolutePath());
    return files;
}

QString Platform::chooseSaveFile(QWidget* parent, const FileDialog& dialog) {
    QString file = saveFile(parent, dialog);
    if (!file.isEmpty()) QDir::setCurrent(QFileInfo(file).absolutePath());
    return file;
}

} // namespace vev
