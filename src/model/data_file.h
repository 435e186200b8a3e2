#pragma once

#include "model/core_events.h"
#include "model/survey_document.h"

#include <QString>

namespace vev {

// Writes the document to DataFilePath (which must not be empty) and clears Modified. Throws
// VevError. The save itself, hozon, also writes the results file when WWrite is checked: it
// lives above both writers, in results/results_file.h.
void writeDataFile(SurveyDocument& doc, const QString& shortDate);

// The data file as Shift-JIS bytes with CR LF line ends, as hozon writes it.
std::string dataFileContents(const SurveyDocument& doc, const QString& shortDate);

// Whether Save writes DataFilePath in place: it names a file the survey was loaded from or saved
// to, not `proposal`, the name Save As proposed for a survey never saved (relative to whatever
// folder a dialog last moved to). Otherwise Save asks for a name first.
bool savesInPlace(const SurveyDocument& doc, const std::string& proposal);

enum class LoadOutcome {
    Loaded,  // the document now holds the file (notices about linked files may have been given)
    Refused, // not a survey file or a bad question count: notice given, document unchanged
};

// Reads OpenRequestPath into the document: questionnaire, answers replayed through recording,
// linked tally files merged, options restored, and the respondent to show chosen and shown
// (document side of hitoribun), CurrentQuestion set. The file is read into a fresh document
// that replaces this one only on success: a refusal or a VevError leaves it exactly as it was.
// The linked data files the file names are read after it and checked (followDataLinks).
LoadOutcome Loaddatafile(SurveyDocument& doc, CoreEvents& events);

// The questionnaire and answers of path alone, into doc, for a file whose answers count in
// another survey: its linked tally files are not read, so Tally holds its answers' counts only,
// and the data files it links are listed in LinkedDataFiles without being read.
LoadOutcome readDataFileAnswers(const std::string& path, SurveyDocument& doc, CoreEvents& events);

} // namespace vev
