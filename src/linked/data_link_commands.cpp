#include "linked/data_link_commands.h"

#include "model/linked_data.h"
#include "model/paths.h"

namespace vev {

void DataLinkCommands::AddDataFilesClick() {
    Platform::FileDialog dialog = Platform::dataFileDialog("データファイルの追加");
    dialog.multiple = true;
    const QStringList chosen = platform_.chooseOpenFiles(view_.dialogParent(), dialog);

    bool any = false;
    for (const QString& file : chosen) {
        DataLinkCandidate candidate = readDataLink(doc_, paths::fromQString(file));
        if (candidate.Refusal != DataLinkRefusal::None) {
            platform_.beep();
            platform_.positionedMessage(view_.dialogParent(), candidate.Message);
            continue;
        }
        const std::string path = candidate.Link.Path;
        linkDataFile(doc_, std::move(candidate.Link), view_);
        doc_.Modified = true;
        any = true;
        if (linked_) linked_(path);
    }
    if (any) view_.linkedFilesChanged();
}

bool DataLinkCommands::removeDataFile(const std::string& path) {
    if (!unlinkDataFile(doc_, path, view_)) return false;
    if (unlinked_) unlinked_(path);
    view_.linkedFilesChanged();
    return true;
}

} // namespace vev
