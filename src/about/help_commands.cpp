#include "about/help_commands.h"

#include "about/about_dialog.h"
#include "model/paths.h"
#include "model/sjis.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace vev {

namespace {

const QString latestVersionAddress = QStringLiteral("https://vev.example.org/latest");

} // namespace

QString timerToolName() {
#ifdef Q_OS_WIN
    return QStringLiteral("Davad.exe");
#else
    return QStringLiteral("davad");
#endif
}

QString findBesideProgram(const SurveyDocument& doc, const QString& name) {
    const QString appDirectory = paths::toQString(doc.AppDirectory);
    if (appDirectory.isEmpty()) return {};
    for (const QString& candidate :
         {appDirectory + name, appDirectory + QStringLiteral("../share/vev/") + name}) {
        const QFileInfo file(candidate);
        if (file.isFile()) return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

void HelpCommands::About1Click() {
    // A fresh dialog each time; it blocks the main window until it closes.
    auto* about = new TForm3(platform_, view_.dialogParent());
    about->Label2->setText(sjis::toQString(doc_.VersionString.view()));
    about->exec();
    delete about;
}

void HelpCommands::ManualClick() {
    // A missing help document is not reported: the command just does nothing.
    const QString help = findBesideProgram(doc_, QStringLiteral("vev.htm"));
    if (!help.isEmpty()) platform_.shellOpen(help);
}

void HelpCommands::ZAMwebClick() {
    platform_.shellOpen(latestVersionAddress);
}

void HelpCommands::DAVADClick() {
    // Not waited for and not checked; the switches are three separate arguments.
    const QString tool = findBesideProgram(doc_, timerToolName());
    if (!tool.isEmpty())
        platform_.startProgram(tool,
                               {QStringLiteral("/w"), QStringLiteral("/s"), QStringLiteral("/n")});
}

} // namespace vev
