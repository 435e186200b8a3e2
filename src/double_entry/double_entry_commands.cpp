#include "double_entry/double_entry_commands.h"

#include "double_entry/double_entry.h"
#include "model/paths.h"
#include "platform/platform.h"

#include <QFileInfo>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

QString newSecondEntryFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                           const std::function<void(const QString& path)>& openFile) {
    if (!doc.questionnaireLoaded()) return {};
    Platform::FileDialog dialog;
    dialog.title = u8("照合用のアンケートファイルを保存");
    dialog.filter = Platform::dataFileFilter();
    dialog.defaultSuffix = QStringLiteral("dat");
    dialog.fileName = paths::toQString(secondEntryFileName(doc));
    const QString chosen = platform.chooseSaveFile(parent, dialog);
    if (chosen.isEmpty()) return {};
    if (sameFile(chosen, paths::toQString(doc.DataFilePath))) {
        platform.messageBox(parent, u8("照合用に新規作成"),
                            u8("開いているアンケートのファイルには保存できません。"
                               "別の名前を選んでください。"),
                            Platform::Icon::Warning, Platform::Buttons::Ok);
        return {};
    }
    writeSecondEntryFile(doc, paths::fromQString(chosen), platform.shortDate());
    if (openFile) openFile(chosen);
    return chosen;
}

CompareDialog* compareWithOtherFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                                    CompareDialog::Jump jump) {
    if (!doc.questionnaireLoaded()) return nullptr;
    Platform::FileDialog dialog;
    dialog.title = u8("照合するアンケートファイルを開く");
    dialog.filter = Platform::dataFileFilter();
    dialog.defaultSuffix = QStringLiteral("dat");
    const QStringList files = platform.chooseOpenFiles(parent, dialog);
    if (files.isEmpty()) return nullptr;
    const QString path = files.first();

    SurveyForComparison other = readSurveyForComparison(paths::fromQString(path));
    QString refusal = other.Refusal;
    if (other.Doc)
        refusal = questionnaireDifference(doc, *other.Doc, openSurveyName(doc),
                                          QFileInfo(path).fileName());
    if (!refusal.isEmpty()) {
        platform.messageBox(parent, u8("入力照合"), refusal, Platform::Icon::Warning,
                            Platform::Buttons::Ok);
        return nullptr;
    }
    auto* shown =
        new CompareDialog(doc, platform, path, std::move(jump), parent, std::move(other.Doc));
    shown->setAttribute(Qt::WA_DeleteOnClose);
    // Escape ends the dialog without closing it: it goes then too.
    QObject::connect(shown, &QDialog::finished, shown, &QObject::deleteLater);
    shown->show();
    return shown;
}

} // namespace vev
