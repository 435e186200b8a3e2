#include "editor/questionnaire_apply.h"

#include "model/paths.h"
#include "model/recording.h"
#include "model/tally_file_reader.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace vev {

namespace {

// The answer as a save writes it and a load hands it to recording: a multi-select column is
// cut to the question's number of choices (and its padding dropped again).
std::string answerAsReloaded(std::string_view answer, bool multiSelect, int choices) {
    if (multiSelect) answer = answer.substr(0, static_cast<std::size_t>(std::max(choices, 0)));
    return std::string(answer);
}

void addSaturated(std::int32_t& slot, std::int64_t delta) {
    slot = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        std::int64_t{slot} + delta, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max()));
}

} // namespace

bool applyQuestionnaire(SurveyDocument& doc, const Questionnaire& edited, CoreEvents& events) {
    const int oldCount = doc.QuestionCount;
    const int newCount = std::clamp(edited.QuestionCount, 0, MaxQuestions);
    const int rows = std::max(oldCount, newCount);

    // Every read comes first: a linked file that cannot be read leaves the document as it was.
    struct Share {
        TallyFileCounts before;
        TallyFileCounts after;
    };
    std::vector<std::unique_ptr<Share>> shares;
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i) {
        const std::string& path = doc.LinkedTallyFile[i];
        if (!QFile::exists(paths::toQString(path))) continue;
        auto share = std::make_unique<Share>();
        share->before = tallyFileCounts(path, oldCount, doc.ChoiceCount);
        share->after = tallyFileCounts(path, newCount, edited.ChoiceCount);
        shares.push_back(std::move(share));
    }

    bool changed = doc.SurveyTitle != edited.SurveyTitle || oldCount != newCount;
    doc.SurveyTitle = edited.SurveyTitle;

    const int keepRespondent = doc.CurrentRespondent;
    const int keepQuestion = doc.CurrentQuestion;
    const ShortString keepBuffer = doc.EntryBuffer;
    for (int q = 1; q <= rows; ++q) {
        if (doc.QuestionText[q] != edited.QuestionText[q]) {
            doc.QuestionText[q] = edited.QuestionText[q];
            changed = true;
        }
        const bool ruleChanged = doc.ChoiceCount[q] != edited.ChoiceCount[q] ||
                                 doc.MultiSelect[q] != edited.MultiSelect[q];
        if (!ruleChanged) continue;
        changed = true;
        doc.CurrentQuestion = q;
        if (q <= oldCount && q <= newCount) {
            for (int r = 1; r <= doc.RespondentCount; ++r) {
                doc.CurrentRespondent = r;
                dataDEL(doc);
            }
        }
        doc.ChoiceCount[q] = edited.ChoiceCount[q];
        doc.MultiSelect[q] = edited.MultiSelect[q];
        if (q <= oldCount && q <= newCount) {
            for (int r = 1; r <= doc.RespondentCount; ++r) {
                const AnswerString& answer = doc.Answers[r][q];
                if (answer.empty() || answer == "0") continue; // nothing to count
                doc.CurrentRespondent = r;
                doc.EntryBuffer =
                    answerAsReloaded(answer.view(), doc.MultiSelect[q], doc.ChoiceCount[q]);
                dataIN(doc);
            }
        }
    }
    doc.CurrentRespondent = keepRespondent;
    doc.CurrentQuestion = keepQuestion;
    doc.EntryBuffer = keepBuffer;
    doc.QuestionCount = newCount;

    SurveyTexts texts = edited.Texts;
    texts.keepWithin(newCount, doc.ChoiceCount);
    if (doc.Texts != texts) {
        doc.Texts = texts;
        changed = true;
    }

    // A question that is not (or no longer) part of the old questionnaire holds nothing; one
    // added now starts from its linked files' counts alone.
    for (int q = std::min(oldCount, newCount) + 1; q <= MaxQuestions; ++q) {
        for (int r = 1; r <= MaxRespondents; ++r) doc.Answers[r][q].clear();
        doc.Tally[q].fill(0);
    }
    for (const auto& share : shares)
        for (int q = 1; q <= newCount; ++q)
            for (int c = 1; c <= TallySlots; ++c)
                addSaturated(doc.Tally[q][c],
                             std::int64_t{share->after.Count[q][c]} - share->before.Count[q][c]);
    // A linked data file's answers are recorded again under the new questionnaire, as the
    // survey's own are; their share moves from the old counts to the new ones.
    for (LinkedDataFile& link : doc.LinkedDataFiles) {
        if (!link.Doc) continue;
        auto after = std::make_shared<SurveyDocument>(*link.Doc);
        SilentEvents silent;
        applyQuestionnaire(*after, edited, silent);
        for (int q = 1; q <= newCount; ++q)
            for (int c = 1; c <= TallySlots; ++c)
                addSaturated(doc.Tally[q][c],
                             std::int64_t{after->Tally[q][c]} - link.Doc->Tally[q][c]);
        link.Doc = std::move(after);
    }

    for (int q = 1; q <= rows; ++q) events.tallyChanged(q);
    if (changed) {
        doc.Modified = true;
        doc.QuestionnaireModified = true;
    }
    return changed;
}

bool applyTexts(SurveyDocument& doc, const SurveyTexts& edited) {
    SurveyTexts texts = edited;
    texts.keepWithin(doc.QuestionCount, doc.ChoiceCount);
    if (texts == doc.Texts) return false;
    doc.Texts = texts;
    doc.Modified = true;
    doc.QuestionnaireModified = true;
    return true;
}

} // namespace vev
