#pragma once

// The answer table as an SPSS system file (.sav), written with ReadStat: variable names, labels
// (UTF-8, declared as the file's encoding), measure levels, the value label 9 = "NG" with 9
// declared user-missing on single-choice and numeric variables (with the choices' texts as the
// other value labels when the questionnaire has them), system-missing for an unanswered
// question, and the survey title as the file label.
//
// Multiple-response sets: ReadStat 1.1.8 has no call that writes them (its writer API has
// variables, value labels, missing values, notes and the file label, but no multiple-response
// set record), and the format is never written by hand here. The indicators q<n>_1..q<n>_k are
// in the file, and beside it "<name>.sps" holds the syntax that defines every set $q<n>
// (multiple dichotomy, counted value 1, labelled with the question text): run in SPSS or PSPP
// after opening the .sav.
//
// Kept apart from vev_core in the library vev_sav, so that the core links Qt6::Core alone.

#include "model/survey_document.h"
#include "export/answer_table.h"

#include <QByteArray>

#include <string>

namespace vev {

// The whole file. Throws VevError when ReadStat refuses the table.
QByteArray savBytes(const AnswerTable& table);

// The syntax file that goes with the .sav (UTF-8 with a byte order mark, so that SPSS reads it
// as Unicode): a comment on how to use it, then one MRSETS /MDGROUP command per multi-select
// question, and one VALUE LABELS command per variable whose values have texts.
QByteArray savSyntax(const AnswerTable& table, const QString& savFileName);

// "<folder>/<name>.sps" for "<folder>/<name>.sav" (native paths).
std::string savSyntaxPath(const std::string& savPath);

// Writes the document's answers to path and the syntax file beside it, both or neither: they
// are made in memory and put in place only when ReadStat has finished without error. Throws
// VevError (nothing to export, or a file that could not be written, named with its path).
void writeAnswersSav(const SurveyDocument& doc, const std::string& path);

} // namespace vev
