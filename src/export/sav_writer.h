#pragma once

// The answer table as an SPSS system file (.sav), written with ReadStat: variable names, labels
// (UTF-8, declared as the file's encoding), measure levels, the value label 9 = "NG" with 9
// declared user-missing on single-choice and numeric variables, system-missing for an unanswered
// question, and the survey title as the file label.
//
// Multiple-response sets: ReadStat 1.1.8 has no call that writes them (its writer API has
// variables, value labels, missing values, notes and the file label, but no multiple-response
// set record), and the format is never written by hand here. The indicators q<n>_1..q<n>_k are
// in the file; the set $q<n> (multiple dichotomy, counted value 1, labelled with the question
// text) is listed in the CSV codebook, and the help document gives the one MRSETS command that
// defines it in SPSS or PSPP.
//
// Kept apart from vev_core in the library vev_sav, so that the core links Qt6::Core alone.

#include "model/survey_document.h"
#include "export/answer_table.h"

#include <QByteArray>

#include <string>

namespace vev {

// The whole file. Throws VevError when ReadStat refuses the table.
QByteArray savBytes(const AnswerTable& table);

// Writes the document's answers to path atomically: the file is made in memory and put in place
// only when ReadStat has finished without error. Throws VevError (nothing to export, or the
// system's input/output error).
void writeAnswersSav(const SurveyDocument& doc, const std::string& path);

} // namespace vev
