#include "linked/linked_commands.h"

#include "linked/linked_list_dialog.h"
#include "linked/tally_file.h"
#include "model/output_target.h"
#include "model/paths.h"

namespace vev {

void LinkedCommands::CsvI1Click() {
    Platform::FileDialog dialog = Platform::tallyFileDialog("追加集計ファイル作成");
    const QString chosen = platform_.chooseSaveFile(view_.dialogParent(), dialog);
    if (chosen.isEmpty()) return;

    // A sheet over the survey's data, linked or results file would destroy it.
    checkOutputTarget(doc_, paths::fromQString(chosen), OutputRole::Other);
    doc_.CurrentTallyFilePath = paths::fromQString(chosen);
    csvRhozon(doc_, platform_.shortDate()); // a failure ends here: nothing is opened
    platform_.shellOpen(chosen);
}

void LinkedCommands::CsvR1Click() {
    // The survey's own results file is never linked; make sure there is one to compare with.
    if (doc_.ResultsFilePath.empty())
        doc_.ResultsFilePath = paths::withExtension(doc_.DataFilePath, ".csv");

    Platform::FileDialog dialog = Platform::tallyFileDialog("集計ファイル追加");
    dialog.multiple = true;
    const QStringList chosen = platform_.chooseOpenFiles(view_.dialogParent(), dialog);

    for (const QString& file : chosen) {
        const std::string path = paths::fromQString(file);
        doc_.CurrentTallyFilePath = path;
        const AddRefusal refusal = addRefusal(doc_, path);
        if (refusal != AddRefusal::None) {
            platform_.beep();
            platform_.positionedMessage(view_.dialogParent(), addRefusalMessage(refusal, path));
            continue; // the other chosen files are still linked
        }
        csvRead(doc_, view_);
        if (!doc_.LastOperationSucceeded) continue;
        doc_.Modified = true;
        if (linked_) linked_(path);
        if (list_ != nullptr && list_->isVisible()) list_->addLinked(path);
    }
}

void LinkedCommands::setList(TForm4* list) {
    list_ = list;
    if (list_) list_->setDataCommands(&data_);
}

void LinkedCommands::CsvL1Click() {
    if (list_ == nullptr) return;
    list_->refill();
    list_->showActive();
}

} // namespace vev
