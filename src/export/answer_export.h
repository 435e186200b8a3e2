#pragma once

// Exporting the answers, one row per respondent, for the analysis tools: the CSV pair (answers
// and codebook, see answer_csv.h) or the SPSS system file (sav_writer.h). One entry for the
// window's command and for vev-tally's export.

#include "model/survey_document.h"

#include <QString>

#include <optional>
#include <string>

namespace vev {

enum class ExportFormat { Csv, Sav };

// The format named by the file name's extension (".csv" or ".sav", either case); none otherwise.
std::optional<ExportFormat> exportFormatOf(const QString& fileName);

// Writes the document's answers to path (native) in the format; byteOrderMark applies to CSV.
// Throws VevError; nothing is written when there is nothing to export, and a failed write leaves
// no partial file.
void exportAnswers(const SurveyDocument& doc, const std::string& path, ExportFormat format,
                   bool byteOrderMark);

} // namespace vev
