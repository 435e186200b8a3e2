#pragma once

#include "model/survey_document.h"
#include "model/tally_file_reader.h" // csvRead, csvDel, the linking rules

#include <QString>
#include <QStringList>

namespace vev {

// Writes the addition sheet for the questionnaire to CurrentTallyFilePath. Throws VevError.
void csvRhozon(SurveyDocument& doc, const QString& shortDate);
std::string additionSheetContents(const SurveyDocument& doc, const QString& shortDate);

// LinkedTallyFile[1..n] := the names made absolute against the current folder, for callers
// that hold bare names (the window's list keeps full paths and does not need it).
void relinkFromNames(SurveyDocument& doc, const QStringList& names);

} // namespace vev
