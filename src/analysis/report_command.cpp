#include "analysis/report_command.h"

#include "model/output_target.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "analysis/results_report.h"

namespace vev {

void saveResultsReportAs(QWidget* parent, const SurveyDocument& doc, Platform& platform) {
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("集計レポートに名前をつけて保存");
    dialog.filter = QString::fromUtf8("PDFファイル(*.pdf)|*.pdf|すべてのファイル(*.*)|*.*");
    dialog.defaultSuffix = QStringLiteral("pdf");
    dialog.fileName = paths::toQString(doc.DataFilePath.empty()
                                           ? sjis::toNativePath(doc.SurveyTitle.view()) + ".pdf"
                                           : paths::withExtension(doc.DataFilePath, ".pdf"));
    const QString chosen = platform.chooseSaveFile(parent, dialog);
    if (chosen.isEmpty()) return;
    checkOutputTarget(doc, paths::fromQString(chosen), OutputRole::Other);
    writeResultsReport(doc, paths::fromQString(chosen), platform.shortDate());
}

} // namespace vev
