#include "export/export_command.h"

#include "model/paths.h"
#include "model/sjis.h"
#include "model/vev_error.h"
#include "export/answer_export.h"
#include "export/answer_table.h"

namespace vev {

void ExportCommands::Export1Click() {
    SurveyDocument& doc = doc_;
    checkExportable(doc); // refused before the dialog: there is nothing to choose a name for

    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("回答データに名前をつけて書き出し");
    dialog.filter = exportFileFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = paths::toQString(
        doc.DataFilePath.empty() ? sjis::toNativePath(doc.SurveyTitle.view()) + "_回答.csv"
                                 : paths::withExtension(doc.DataFilePath, "_回答.csv"));
    const QString chosen = platform_.chooseSaveFile(view_.dialogParent(), dialog);
    if (chosen.isEmpty()) return;

    const ExportFormat format = exportFormatOf(chosen).value_or(ExportFormat::Csv);
    exportAnswers(doc, paths::fromQString(chosen), format, /*byteOrderMark=*/true);
}

QString exportFileFilter() {
    return QString::fromUtf8("CSV (UTF-8)(*.csv)|*.csv|SPSS(*.sav)|*.sav");
}

} // namespace vev
