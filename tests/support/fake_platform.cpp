#include "fake_platform.h"

#include <QDir>

namespace vev {

namespace {
const char* kindName(int kind) {
    static const char* names[] = {"message box", "positioned message", "open dialog",
                                  "save dialog"};
    return names[kind];
}
} // namespace

FakePlatform::FakePlatform() : programDir(QDir::currentPath() + QLatin1Char('/')) {}

void FakePlatform::expectMessage(Answer answer) {
    script_.append({Kind::Message, answer, {}});
}
void FakePlatform::expectPositionedMessage() {
    script_.append({Kind::Positioned, Answer::Ok, {}});
}
void FakePlatform::expectOpenFiles(const QStringList& files) {
    script_.append({Kind::Open, Answer::Ok, files});
}
void FakePlatform::expectSaveFile(const QString& file) {
    script_.append({Kind::Save, Answer::Ok, file.isEmpty() ? QStringList{} : QStringList{file}});
}

FakePlatform::Script FakePlatform::take(Kind kind, const QString& what) {
    if (script_.isEmpty() || script_.first().kind != kind) {
        failures << QStringLiteral("unexpected %1: %2")
                        .arg(QLatin1String(kindName(static_cast<int>(kind))), what);
        return {kind, Answer::Cancel, {}};
    }
    return script_.takeFirst();
}

bool FakePlatform::verifyDone(QString* why) const {
    QStringList problems = failures;
    for (const Script& s : script_)
        problems << QStringLiteral("expected %1 never shown")
                        .arg(QLatin1String(kindName(static_cast<int>(s.kind))));
    if (why) *why = problems.join(QStringLiteral("; "));
    return problems.isEmpty();
}

Platform::Answer FakePlatform::messageBox(QWidget*, const QString& caption, const QString& text,
                                          Icon icon, Buttons buttons) {
    messages.append({caption, text, icon, buttons, false});
    const Answer answer = take(Kind::Message, caption + QStringLiteral(": ") + text).answer;
    // A Yes/No box has no Cancel: an unexpected one is answered No.
    return buttons == Buttons::YesNo && answer == Answer::Cancel ? Answer::No : answer;
}

void FakePlatform::positionedMessage(QWidget*, const QString& text) {
    messages.append({QStringLiteral("VEV"), text, Icon::None, Buttons::Ok, true});
    take(Kind::Positioned, text);
}

QStringList FakePlatform::openFiles(QWidget*, const FileDialog& dialog) {
    dialogs.append({false, dialog});
    return take(Kind::Open, dialog.title).files;
}

QString FakePlatform::saveFile(QWidget*, const FileDialog& dialog) {
    dialogs.append({true, dialog});
    const QStringList files = take(Kind::Save, dialog.title).files;
    return files.isEmpty() ? QString() : files.first();
}

} // namespace vev
