#pragma once

// The answer table as UTF-8 comma-separated files: the answers (a header row of variable names,
// one row per respondent, an empty field where a value is missing) and, beside them, the codebook
// "<name>_codebook.csv" with one row per variable and one per multiple-response set, under the
// column headers "変数名,ラベル,質問番号,種類,値".

#include "model/survey_document.h"
#include "export/answer_table.h"

#include <QByteArray>

#include <string>

namespace vev {

QByteArray answersCsv(const AnswerTable& table, bool byteOrderMark);
QByteArray codebookCsv(const AnswerTable& table, bool byteOrderMark);

// "<folder>/<name>_codebook.csv" for "<folder>/<name>.<ext>" (native paths).
std::string codebookPath(const std::string& csvPath);

// Writes the answers to path and the codebook beside it, both or neither: a failure leaves the
// files that were there as they were. Throws VevError (nothing to export, or a file that could
// not be written, named with its path).
void writeAnswersCsv(const SurveyDocument& doc, const std::string& path, bool byteOrderMark);

} // namespace vev
