#pragma once

#include "model/core_events.h"
#include "model/survey_document.h"

#include <QString>

#include <string>

// Reading tally files (results files and filled-in addition sheets) into the tally. The loader
// links the files a data file names with csvRead; the linked-file commands add and take out
// files with csvRead and csvDel.
namespace vev {

// Links the tally file CurrentTallyFilePath: when its title matches SurveyTitle its counts are
// added into Tally (events.tallyChanged per question), the path is appended to
// LinkedTallyFile and LastOperationSucceeded is set; otherwise beep + notice, nothing added,
// LastOperationSucceeded cleared. Does not set Modified. Throws VevError on read failures.
void csvRead(SurveyDocument& doc, CoreEvents& events);

// Takes the counts of CurrentTallyFilePath out of Tally again, lowers LinkedTallyFileCount
// (never below 0) and sets Modified. The caller then rebuilds LinkedTallyFile from its list.
void csvDel(SurveyDocument& doc, CoreEvents& events);

// A notice about a tally file: the message, a carriage return, then the path as text.
QString tallyFileNotice(const char* utf8Message, const std::string& path);

} // namespace vev
