#pragma once

#include "model/core_events.h"
#include "model/survey_document.h"

#include <QString>

#include <string>

// Linked data files: the data files of other operators who keyed the same questionnaire on
// other machines, so that one survey of more than 999 returns is counted, exported and
// cross-tabulated as one. Each file's answers are read, never written; what they add to Tally is
// their own file's Tally as recorded (its linked tally files are not read), so taking a link out
// again takes out exactly what it put in. A file may be linked when it has the same
// questionnaire (question texts may differ), lies in the survey's folder (the data file names
// it without a folder), is neither the survey itself nor linked already, and links no data files
// itself: its links would count their respondents twice.
namespace vev {

constexpr int MaxLinkedDataFiles = 40;

// Why a data file cannot be linked, checked in this order.
enum class DataLinkRefusal {
    None,
    Self,              // the survey's own data file
    AlreadyLinked,
    OtherFolder,       // not in the survey's folder
    TooMany,           // MaxLinkedDataFiles are linked
    Unreadable,        // cannot be read, or not a data file
    OtherQuestionnaire,
    LinksDataFiles,    // it links data files itself
};

// A file read and checked for linking: the refusal and its notice (the file's name, that it
// cannot be linked, a carriage return, why), or the link ready to add.
struct DataLinkCandidate {
    DataLinkRefusal Refusal = DataLinkRefusal::None;
    QString Message;
    LinkedDataFile Link;
};

// Reads path (native, made absolute) and checks it against the survey; doc is not changed.
DataLinkCandidate readDataLink(const SurveyDocument& doc, const std::string& path);

// Adds a checked file's counts into Tally (tallyChanged per question) and appends its link.
// Does not set Modified: the loader links without modifying, the commands set it.
void linkDataFile(SurveyDocument& doc, LinkedDataFile link, CoreEvents& events);

// Takes the linked file's counts out of Tally and drops its link; sets Modified. False when
// path is not linked (nothing changes).
bool unlinkDataFile(SurveyDocument& doc, const std::string& path, CoreEvents& events);

// After a load: reads the data files the survey names (LinkedDataFiles without Doc) and links
// those that pass; a file gone or no longer fitting (its questionnaire changed since it was
// linked) is reported through events.notice and left out, and the survey is then Modified, so
// that the next save leaves its line out.
void followDataLinks(SurveyDocument& doc, CoreEvents& events);

// The open file's respondents and every linked data file's.
int totalRespondents(const SurveyDocument& doc);

// The refusal notice of a file that is not linked. Empty for None.
QString dataLinkRefusalMessage(DataLinkRefusal refusal, const std::string& path,
                               const QString& detail = {});

} // namespace vev
