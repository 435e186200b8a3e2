#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <functional>
#include <string>

namespace vev {

// The linked data file commands (model/linked_data.h): Edit menu "データファイルの追加(&D)..."
// links the data files chosen (several at once); the linked-file list takes them out again.
// Each refusal is shown on its own, naming the file and why; the other chosen files are still
// linked.
class DataLinkCommands {
public:
    DataLinkCommands(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}
    // Called after each data file linked or taken out, with its path (the journal's hook).
    void setLinked(std::function<void(const std::string&)> linked) { linked_ = std::move(linked); }
    void setUnlinked(std::function<void(const std::string&)> unlinked) {
        unlinked_ = std::move(unlinked);
    }

    void AddDataFilesClick(); // "データファイルの追加(&D)..."
    // Takes a linked data file out of the counts; false when it is not linked.
    bool removeDataFile(const std::string& path);

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    std::function<void(const std::string&)> linked_;
    std::function<void(const std::string&)> unlinked_;
};

} // namespace vev
