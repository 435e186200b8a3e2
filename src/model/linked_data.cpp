#include "model/linked_data.h"

#include "model/data_file.h"
#include "model/paths.h"
#include "model/questionnaire_difference.h"
#include "model/vev_error.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// The loader's refusal ("….datはアンケートファイルではありません。"), kept for the notice.
class KeptNotice : public CoreEvents {
public:
    QString last;
    void notice(const QString& text) override { last = text; }
    void informationBeep() override {}
    void tallyChanged(int) override {}
};

bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const QFileInfo fa(paths::toQString(a)), fb(paths::toQString(b));
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

bool isFile(const std::string& path) {
    return QFileInfo(paths::toQString(path)).isFile();
}

// Adds (sign +1) or takes out (sign -1) what a linked file's answers count.
void addShare(SurveyDocument& doc, const SurveyDocument& share, int sign, CoreEvents& events) {
    const int questions = std::min(doc.QuestionCount, MaxQuestions);
    for (int q = 1; q <= questions; ++q) {
        for (int c = 1; c <= TallySlots; ++c) doc.Tally[q][c] += sign * share.Tally[q][c];
        events.tallyChanged(q);
    }
}

} // namespace

QString dataLinkRefusalMessage(DataLinkRefusal refusal, const std::string& path,
                               const QString& detail) {
    const QString name = paths::toQString(paths::fileNamePart(path));
    const QString head = name + u8("は結合できません。\r");
    switch (refusal) {
    case DataLinkRefusal::None:
        return {};
    case DataLinkRefusal::Self:
        return head + u8("このアンケート自身のデータファイルです。");
    case DataLinkRefusal::AlreadyLinked:
        return head + u8("既に結合済みです。");
    case DataLinkRefusal::OtherFolder:
        return head + u8("アンケートと異なるフォルダにあるデータファイルは結合できません。\r") +
               paths::toQString(path);
    case DataLinkRefusal::TooMany:
        return head + u8("結合できるデータファイルは40個までです。");
    case DataLinkRefusal::Unreadable:
        return head + detail;
    case DataLinkRefusal::OtherQuestionnaire:
        return head + u8("アンケートが同じではありません。\n") + detail;
    case DataLinkRefusal::LinksDataFiles:
        return head +
               u8("他のデータファイルを結合しているファイルを結合すると、回答者を二重に数えることになります。");
    }
    return {};
}

DataLinkCandidate readDataLink(const SurveyDocument& doc, const std::string& path) {
    DataLinkCandidate out;
    out.Link.Path = paths::absolutePath(path);
    const std::string& full = out.Link.Path;
    const auto refuse = [&](DataLinkRefusal refusal, const QString& detail = {}) {
        out.Refusal = refusal;
        out.Message = dataLinkRefusalMessage(refusal, full, detail);
        out.Link.Doc.reset();
        return out;
    };
    if (!doc.DataFilePath.empty() && sameFile(full, doc.DataFilePath))
        return refuse(DataLinkRefusal::Self);
    for (const LinkedDataFile& link : doc.LinkedDataFiles)
        if (link.Doc && sameFile(full, link.Path)) return refuse(DataLinkRefusal::AlreadyLinked);
    if (!doc.DataFilePath.empty() &&
        paths::folderPart(paths::absolutePath(doc.DataFilePath)) != paths::folderPart(full))
        return refuse(DataLinkRefusal::OtherFolder);
    const auto linked = std::count_if(doc.LinkedDataFiles.begin(), doc.LinkedDataFiles.end(),
                                      [](const LinkedDataFile& l) { return l.Doc != nullptr; });
    if (linked >= MaxLinkedDataFiles) return refuse(DataLinkRefusal::TooMany);

    auto read = std::make_shared<SurveyDocument>();
    read->VersionString = VevVersion;
    KeptNotice notice;
    try {
        if (readDataFileAnswers(full, *read, notice) != LoadOutcome::Loaded)
            return refuse(DataLinkRefusal::Unreadable, notice.last);
    } catch (const VevError& e) {
        return refuse(DataLinkRefusal::Unreadable, QString::fromUtf8(withFullStop(e.what())));
    }
    const QString difference = questionnaireDifferenceDetail(
        doc, *read, u8("このアンケート"), paths::toQString(paths::fileNamePart(full)),
        QuestionTexts::MayDiffer);
    if (!difference.isEmpty()) return refuse(DataLinkRefusal::OtherQuestionnaire, difference);
    if (!read->LinkedDataFiles.empty()) return refuse(DataLinkRefusal::LinksDataFiles);
    read->LinkedDataFiles.clear();
    out.Link.Doc = std::move(read);
    return out;
}

void linkDataFile(SurveyDocument& doc, LinkedDataFile link, CoreEvents& events) {
    addShare(doc, *link.Doc, +1, events);
    doc.LinkedDataFiles.push_back(std::move(link));
}

bool unlinkDataFile(SurveyDocument& doc, const std::string& path, CoreEvents& events) {
    const auto at = std::find_if(doc.LinkedDataFiles.begin(), doc.LinkedDataFiles.end(),
                                 [&path](const LinkedDataFile& l) { return l.Path == path; });
    if (at == doc.LinkedDataFiles.end()) return false;
    if (at->Doc) addShare(doc, *at->Doc, -1, events);
    doc.LinkedDataFiles.erase(at);
    doc.Modified = true;
    return true;
}

void followDataLinks(SurveyDocument& doc, CoreEvents& events) {
    std::vector<LinkedDataFile> named = std::move(doc.LinkedDataFiles);
    doc.LinkedDataFiles.clear();
    for (const LinkedDataFile& name : named) {
        const std::string path = paths::absolutePath(name.Path);
        if (!isFile(path)) {
            events.notice(u8("結合データファイル") + paths::toQString(path) +
                          u8("が見つかりません。"));
            doc.Modified = true;
            continue;
        }
        DataLinkCandidate candidate = readDataLink(doc, path);
        if (candidate.Refusal != DataLinkRefusal::None) {
            events.informationBeep();
            events.notice(candidate.Message);
            doc.Modified = true;
            continue;
        }
        linkDataFile(doc, std::move(candidate.Link), events);
    }
}

int totalRespondents(const SurveyDocument& doc) {
    int n = std::clamp(doc.RespondentCount, 0, MaxRespondents);
    for (const LinkedDataFile& link : doc.LinkedDataFiles)
        if (link.Doc) n += std::clamp(link.Doc->RespondentCount, 0, MaxRespondents);
    return n;
}

} // namespace vev
