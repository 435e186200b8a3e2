#include "app/main_window.h"

#include "linked/linked_list_dialog.h"
#include "linked/tally_file.h"
#include "model/paths.h"

namespace vev {

void TForm1::CsvI1Click() {
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("追加集計ファイル作成");
    dialog.filter = tallyFileFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    const QString chosen = platform.chooseSaveFile(this, dialog);
    if (chosen.isEmpty()) return;

    doc.CurrentTallyFilePath = paths::fromQString(chosen);
    csvRhozon(doc, platform.shortDate()); // a failure ends here: nothing is opened
    platform.shellOpen(chosen);
}

void TForm1::CsvR1Click() {
    // The survey's own results file is never linked; make sure there is one to compare with.
    if (doc.ResultsFilePath.empty())
        doc.ResultsFilePath = paths::withExtension(doc.DataFilePath, ".csv");

    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("集計ファイル追加");
    dialog.filter = tallyFileFilter();
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.multiple = true;
    const QStringList chosen = platform.chooseOpenFiles(this, dialog);

    for (const QString& file : chosen) {
        const std::string path = paths::fromQString(file);
        doc.CurrentTallyFilePath = path;
        const AddRefusal refusal = addRefusal(doc, path);
        if (refusal != AddRefusal::None) {
            platform.beep();
            platform.positionedMessage(this, addRefusalMessage(refusal, path));
            continue; // the other chosen files are still linked
        }
        csvRead(doc, *this);
        if (!doc.LastOperationSucceeded) continue;
        doc.Modified = true;
        if (Form4 != nullptr && Form4->isVisible()) Form4->addLinked(path);
    }
}

void TForm1::CsvL1Click() {
    if (Form4 == nullptr) return;
    Form4->refill();
    Form4->show(); // it stays on top, so there is no need to raise it
}

} // namespace vev
