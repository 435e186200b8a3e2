#pragma once

// Exporting the answers, one row per respondent, for the analysis tools: the CSV pair (answers
// and codebook, see answer_csv.h) or the SPSS system file (sav_writer.h). One entry for the
// window's command and for vev-tally's export.

#include "model/survey_document.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace vev {

enum class ExportFormat { Csv, Sav };

// The format named by the file name's extension (".csv" or ".sav", either case); none otherwise.
std::optional<ExportFormat> exportFormatOf(const QString& fileName);

// The files an export to path writes: path, then its codebook (CSV) or its syntax file (.sav).
std::vector<std::string> exportedFiles(const std::string& path, ExportFormat format);

// Writes the document's answers to path (native) in the format; byteOrderMark applies to CSV.
// Throws VevError; nothing is written when there is nothing to export or when one of the files
// would replace the survey's data, linked tally or results file (checkOutputTarget), and a
// failed write leaves the files that were there as they were.
void exportAnswers(const SurveyDocument& doc, const std::string& path, ExportFormat format,
                   bool byteOrderMark);

} // namespace vev
