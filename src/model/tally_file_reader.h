#pragma once

#include "model/core_events.h"
#include "model/one_based.h"
#include "model/survey_document.h"
#include "model/text_file.h"

#include <QString>

#include <cstdint>
#include <string>

// Reading tally files (results files and filled-in addition sheets) into the tally, and which
// files may be linked. The loader links the files a data file names; the linked-file commands
// add and take out files; the editor's Apply reads linked files again under a new
// questionnaire.
namespace vev {

// Links the tally file CurrentTallyFilePath: when its title matches SurveyTitle its counts are
// added into Tally (events.tallyChanged per question), the path is appended to
// LinkedTallyFile and LastOperationSucceeded is set; otherwise beep + notice, nothing added,
// LastOperationSucceeded cleared. Does not set Modified. Throws VevError on read failures.
void csvRead(SurveyDocument& doc, CoreEvents& events);
// The same, with CurrentTallyFilePath already open in reader.
void csvRead(SurveyDocument& doc, CoreEvents& events, TextFileReader& reader);

// Takes the counts of CurrentTallyFilePath out of Tally again, lowers LinkedTallyFileCount
// (never below 0) and sets Modified; the list of links is left as it was (unlinkTallyFile).
void csvDel(SurveyDocument& doc, CoreEvents& events);

// Whether path is one of LinkedTallyFile[1..LinkedTallyFileCount].
bool isLinkedTallyFile(const SurveyDocument& doc, const std::string& path);
// Unlinks the tally file at path: its counts out of Tally (csvDel, with CurrentTallyFilePath
// := path), the link removed and the links after it moved up, the freed last entry emptied.
// A path not linked changes nothing and gives false. Throws VevError when the file cannot be
// read; then it stays linked.
bool unlinkTallyFile(SurveyDocument& doc, const std::string& path, CoreEvents& events);

// What one tally file adds to each question under the rules of a questionnaire with these
// question and choice counts: Count[q][c] for the question's own choices, Count[q][9] its NG
// cell; questions after the file's last question line count 0. Throws VevError when the file
// cannot be read.
struct TallyFileCounts {
    OneBased<OneBased<std::int32_t, TallySlots>, MaxQuestions> Count{};
};
TallyFileCounts tallyFileCounts(const std::string& path, int questionCount,
                                const OneBased<int, MaxQuestions>& choiceCount);

// Whether path is the survey's own results file: ResultsFilePath, or the data file's path with
// the extension ".csv", which every save with WWrite writes. Its counts are the survey's own,
// so linking it would count them twice; the add command and the loader refuse it.
bool isOwnResultsFile(const SurveyDocument& doc, const std::string& path);

// Why the add command refuses a chosen tally file, checked in this order.
enum class AddRefusal { None, AlreadyLinked, OwnResultsFile, OtherFolder, TooMany };
AddRefusal addRefusal(const SurveyDocument& doc, const std::string& path);
// The refusal's notice: message, a carriage return, then the file name (the full path for
// OtherFolder). Empty for None.
QString addRefusalMessage(AddRefusal refusal, const std::string& path);

// A notice about a tally file: the message, a carriage return, then the path as text.
QString tallyFileNotice(const char* utf8Message, const std::string& path);

} // namespace vev
