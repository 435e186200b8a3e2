#pragma once

#include "model/paths.h"
#include "model/sjis.h"
#include "model/survey_document.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace vev {

// Every respondent the outputs cover, as one set: the open file's 1..RespondentCount, then
// each linked data file's, file by file. A respondent is known by its file (0 = the open one)
// and its number within that file. All files share the questionnaire rules (choice counts,
// multi-select flags) of the open one: linking makes sure of it.
class RespondentSet {
public:
    explicit RespondentSet(const SurveyDocument& doc) {
        files_.push_back(&doc);
        for (const LinkedDataFile& link : doc.LinkedDataFiles)
            if (link.Doc) files_.push_back(link.Doc.get());
    }

    int fileCount() const { return static_cast<int>(files_.size()); }
    bool hasLinkedFiles() const { return files_.size() > 1; }
    const SurveyDocument& file(int i) const { return *files_[static_cast<std::size_t>(i)]; }
    int respondents(int i) const { return std::clamp(file(i).RespondentCount, 0, MaxRespondents); }
    int total() const {
        int n = 0;
        for (int i = 0; i < fileCount(); ++i) n += respondents(i);
        return n;
    }
    // The file's name without its folder; the title for a survey never saved.
    QString fileName(int i) const {
        const SurveyDocument& d = file(i);
        if (d.DataFilePath.empty()) return sjis::toQString(d.SurveyTitle.view());
        return paths::toQString(paths::fileNamePart(d.DataFilePath));
    }

    // f(file, respondent, answers) for every respondent, file by file, in number order;
    // answers[q] is the stored answer to question q.
    template <typename F>
    void forEach(F&& f) const {
        for (int i = 0; i < fileCount(); ++i) {
            const SurveyDocument& d = file(i);
            for (int r = 1; r <= respondents(i); ++r) f(i, r, d.Answers[r]);
        }
    }

private:
    std::vector<const SurveyDocument*> files_;
};

} // namespace vev
