#pragma once

#include "platform/platform.h"

namespace vev {

// The platform as Qt provides it: message boxes, file dialogs, the desktop's open action,
// detached programs, the beep, the pause, the short date and the program's folder.
class QtPlatform : public Platform {
public:
    Answer messageBox(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                      Buttons buttons) override;
    void positionedMessage(QWidget* mainWindow, const QString& text) override;
    QStringList openFiles(QWidget* parent, const FileDialog& dialog) override;
    QString saveFile(QWidget* parent, const FileDialog& dialog) override;
    void shellOpen(const QString& target) override;
    void startProgram(const QString& program, const QStringList& arguments) override;
    void beep() override;
    void pause100ms() override;
    QString shortDate() override;
    QString programDirectory() override;

    // "label|pattern|label|pattern" as the program states its filters, in Qt's name-filter
    // form. "*.*" means every file, which on this platform is "*" (names need no dot).
    static QStringList nameFilters(const QString& filter);
};

} // namespace vev
