#include "platform/qt_platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QUrl>

namespace vev {

namespace {

QMessageBox::Icon qtIcon(Platform::Icon icon) {
    switch (icon) {
    case Platform::Icon::Information:
        return QMessageBox::Information;
    case Platform::Icon::Question:
        return QMessageBox::Question;
    case Platform::Icon::Warning:
        return QMessageBox::Warning;
    case Platform::Icon::Error:
        return QMessageBox::Critical;
    case Platform::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A carriage return separates a message from a file name; Qt breaks lines at '\n'.
QString withLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void setUpDialog(QFileDialog& box, const Platform::FileDialog& dialog) {
    box.setWindowTitle(dialog.title);
    box.setNameFilters(QtPlatform::nameFilters(dialog.filter));
    box.setDefaultSuffix(dialog.defaultSuffix);
    // With no folder in the proposed name the dialog starts in the current folder.
    box.setDirectory(QDir::current());
    if (!dialog.fileName.isEmpty()) box.selectFile(dialog.fileName);
}

} // namespace

QStringList QtPlatform::nameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
        const QString shown = QLatin1Char('(') + parts[i + 1] + QLatin1Char(')');
        // Labels already name their patterns ("(*.dat)"): replace that part with Qt's form.
        if (label.endsWith(shown)) label.chop(shown.size());
        result << label + QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    if (result.isEmpty()) result << QStringLiteral("(*)");
    return result;
}

Platform::Answer QtPlatform::messageBox(QWidget* parent, const QString& caption,
                                        const QString& text, Icon icon, Buttons buttons) {
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == Buttons::OkCancel) qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == Buttons::YesNo) qtButtons = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    if (buttons == Buttons::ReadOnlyCancel) qtButtons = QMessageBox::Cancel;
    QMessageBox box(qtIcon(icon), caption, withLineBreaks(text), qtButtons, parent);
    QPushButton* readOnly = nullptr;
    if (buttons == Buttons::ReadOnlyCancel)
        readOnly = box.addButton(QString::fromUtf8("読み取り専用で開く"), QMessageBox::AcceptRole);
    if (buttons == Buttons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    else if (buttons != Buttons::Ok)
        box.setEscapeButton(QMessageBox::Cancel);
    const int result = box.exec();
    if (readOnly && box.clickedButton() == readOnly) return Answer::ReadOnly;
    switch (result) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        if (buttons == Buttons::YesNo) return Answer::No;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

void QtPlatform::positionedMessage(QWidget* mainWindow, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VEV"), withLineBreaks(text),
                    QMessageBox::Ok, mainWindow);
    if (mainWindow) box.move(mainWindow->frameGeometry().topLeft() + QPoint(100, 100));
    box.exec();
}

QStringList QtPlatform::openFiles(QWidget* parent, const FileDialog& dialog) {
    QFileDialog box(parent);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    // A single file may be typed by name even when it does not exist: the load then reports
    // "File not found" like any other read failure.
    box.setFileMode(dialog.multiple ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    setUpDialog(box, dialog);
    if (box.exec() != QDialog::Accepted) return {};
    return box.selectedFiles();
}

QString QtPlatform::saveFile(QWidget* parent, const FileDialog& dialog) {
    QFileDialog box(parent);
    box.setAcceptMode(QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
    setUpDialog(box, dialog);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return {};
    return box.selectedFiles().first();
}

void QtPlatform::shellOpen(const QString& target) {
    const QUrl url(target);
    if (!url.isRelative() && url.scheme().size() > 1 && !QDir::isAbsolutePath(target))
        QDesktopServices::openUrl(url);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

void QtPlatform::startProgram(const QString& program, const QStringList& arguments) {
    QProcess::startDetached(program, arguments);
}

void QtPlatform::beep() {
    QApplication::beep();
}

void QtPlatform::pause100ms() {
    QThread::msleep(100);
}

QString QtPlatform::shortDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString QtPlatform::programDirectory() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

} // namespace vev
