#include "export/export_command.h"

#include "model/paths.h"
#include "model/sjis.h"
#include "model/vev_error.h"
#include "export/answer_export.h"
#include "export/answer_table.h"

namespace vev {

namespace {

void runExport(SurveyDocument& doc, Platform& platform, QWidget* parent) {
    checkExportable(doc); // refused before the dialog: there is nothing to choose a name for

    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("回答データに名前をつけて書き出し");
    dialog.filter = exportFileFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = paths::toQString(
        doc.DataFilePath.empty() ? sjis::toNativePath(doc.SurveyTitle.view()) + "_回答.csv"
                                 : paths::withExtension(doc.DataFilePath, "_回答.csv"));
    const QString chosen = platform.chooseSaveFile(parent, dialog);
    if (chosen.isEmpty()) return;

    const ExportFormat format = exportFormatOf(chosen).value_or(ExportFormat::Csv);
    exportAnswers(doc, paths::fromQString(chosen), format, /*byteOrderMark=*/true);
}

} // namespace

QString exportFileFilter() {
    return QString::fromUtf8("CSV (UTF-8)(*.csv)|*.csv|SPSS(*.sav)|*.sav");
}

void exportAnswersCommand(SurveyDocument& doc, Platform& platform, QWidget* parent) {
    // Wired by the main window on its own, so the command shows its failures itself.
    try {
        runExport(doc, platform, parent);
    } catch (const VevError& error) {
        platform.errorReport(parent, QString::fromUtf8(error.what()));
    }
}

} // namespace vev
