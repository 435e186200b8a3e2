#pragma once

#include "linked/data_link_commands.h"
#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <functional>
#include <string>

namespace vev {

class TForm4;

// The tally-file commands of the Edit menu: write an addition sheet, link tally files, show the
// list of linked files; and the linked data files' commands (data()). `list` is the linked-file
// list dialog Form4 when it exists.
class LinkedCommands {
public:
    LinkedCommands(SurveyDocument& doc, Platform& platform, SurveyView& view,
                   TForm4* list = nullptr)
        : doc_(doc), platform_(platform), view_(view), list_(list), data_(doc, platform, view) {}
    void setList(TForm4* list);
    // Called after each tally file the add command linked, with its path.
    void setLinked(std::function<void(const std::string&)> linked) { linked_ = std::move(linked); }

    void CsvI1Click(); // "追加集計ファイル作成(&I)...": the addition sheet
    void CsvR1Click(); // "集計ファイル追加(&R)...": link chosen tally files
    void CsvL1Click(); // "追加集計ファイル一覧(&L)": the list dialog
    DataLinkCommands& data() { return data_; } // "データファイルの追加(&D)..." and removal

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    TForm4* list_;
    std::function<void(const std::string&)> linked_;
    DataLinkCommands data_;
};

} // namespace vev
