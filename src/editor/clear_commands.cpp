#include "editor/clear_commands.h"

#include "editor/clear_document.h"

#include <algorithm>

namespace vev {

void ClearCommands::DClear1Click() {
    if (platform_.messageBox(view_.dialogParent(), QString::fromUtf8("データ削除"),
                             QString::fromUtf8("データのみ削除します"), Platform::Icon::Question,
                             Platform::Buttons::OkCancel) == Platform::Answer::Ok)
        DClear();
}

void ClearCommands::AClear1Click() {
    if (platform_.messageBox(view_.dialogParent(), QString::fromUtf8("アンケート削除"),
                             QString::fromUtf8("アンケートを削除します"), Platform::Icon::Question,
                             Platform::Buttons::OkCancel) == Platform::Answer::Ok)
        AClear();
}

void ClearCommands::DClear() {
    vev::DClear(doc_);
    if (cleared_) cleared_(false);
    for (int n = 1; n <= std::min(doc_.QuestionCount, MaxQuestions); ++n) view_.tallyChanged(n);
    view_.showCurrentRespondent();
    view_.linkedFilesChanged();
}

void ClearCommands::AClear() {
    if (!doc_.questionnaireLoaded()) return;
    DClear();
    vev::AClear(doc_);
    if (cleared_) cleared_(true);
    view_.showEmptyLook();
}

} // namespace vev
