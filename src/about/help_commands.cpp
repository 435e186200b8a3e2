#include "app/main_window.h"

#include "about/about_dialog.h"
#include "model/sjis.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace vev {

namespace {

// The maker's timer tool, looked for beside the program (the window enables its menu item at
// start-up only when it is there).
#ifdef Q_OS_WIN
const QString timerToolName = QStringLiteral("Davad.exe");
#else
const QString timerToolName = QStringLiteral("davad");
#endif

const QString latestVersionAddress = QStringLiteral("https://vev.example.org/latest");

} // namespace

void TForm1::About1Click() {
    // A fresh dialog each time; it blocks the main window until it closes.
    auto* about = new TForm3(platform, this);
    about->Label2->setText(sjis::toQString(doc.VersionString.view()));
    about->exec();
    delete about;
}

void TForm1::ManualClick() {
    // A missing help document is not reported: the command just does nothing.
    const QString help = findBesideProgram(QStringLiteral("vev.htm"));
    if (!help.isEmpty()) platform.shellOpen(help);
}

void TForm1::ZAMwebClick() {
    platform.shellOpen(latestVersionAddress);
}

void TForm1::DAVADClick() {
    // Not waited for and not checked; the switches are three separate arguments.
    const QString tool = findBesideProgram(timerToolName);
    if (!tool.isEmpty())
        platform.startProgram(tool,
                              {QStringLiteral("/w"), QStringLiteral("/s"), QStringLiteral("/n")});
}

QString TForm1::findBesideProgram(const QString& name) const {
    const QString appDirectory = QString::fromStdString(doc.AppDirectory);
    if (appDirectory.isEmpty()) return {};
    for (const QString& candidate :
         {appDirectory + name, appDirectory + QStringLiteral("../share/vev/") + name}) {
        const QFileInfo file(candidate);
        if (file.isFile()) return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

} // namespace vev
