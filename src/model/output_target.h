#pragma once

#include "model/survey_document.h"

#include <string>

namespace vev {

// Which output is being written: the results table (whose own file it may replace) or any other
// (export, cross table, report, chart, addition sheet, re-saved copy, comparison report).
enum class OutputRole { ResultsTable, Other };

// Refuses a target that would destroy what the survey is made of: its data file or one of its
// linked tally files (the next load reads them again), and, for every output but the results
// table, the survey's own results file. Paths are native; the target need not exist. Throws
// VevError with a message naming the file; returns when the target may be written.
void checkOutputTarget(const SurveyDocument& doc, const std::string& target, OutputRole role);

} // namespace vev
