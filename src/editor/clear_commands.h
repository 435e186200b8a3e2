#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "platform/survey_view.h"

#include <functional>

namespace vev {

// The clear commands of the Edit menu: every answer and count ("データのみ全削除"), or the whole
// questionnaire ("アンケート全削除"), each after its confirmation; the document side is
// editor/clear_document.h.
class ClearCommands {
public:
    ClearCommands(SurveyDocument& doc, Platform& platform, SurveyView& view)
        : doc_(doc), platform_(platform), view_(view) {}

    void DClear1Click(); // confirm, then DClear
    void AClear1Click(); // confirm, then AClear
    // Answers and counts cleared, respondent 1 shown, linked files dropped.
    void DClear();
    // The questionnaire cleared too and the window without a questionnaire; nothing when none
    // is loaded.
    void AClear();
    // Called after each clear: false for the answers only, true for the questionnaire too.
    void setCleared(std::function<void(bool all)> cleared) { cleared_ = std::move(cleared); }

private:
    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    std::function<void(bool all)> cleared_;
};

} // namespace vev
