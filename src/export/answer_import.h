#pragma once

// Answers brought in from a CSV file in the layout the export writes (answer_table.h): a header
// row naming the columns `id`, `file` (both ignored: the rows become new respondents after the
// survey's last one), `q<n>` (the answer: a choice number, several choice digits of a
// multi-select question, a number 1..8 for a numeric question, 9 = NG) or `q<n>_1..q<n>_k`
// (the indicators of a multi-select question: 1 chosen, 0 not, 9 = NG); an empty field is no
// answer. UTF-8, with or without a byte order mark, or Shift-JIS (told by bytes that are not
// UTF-8).
//
// Two steps, so that the operator sees what will happen before anything does: the preview reads
// the file and checks every row, refusing rows with their line number and why; the import then
// records the accepted rows through recording, as keying would, so the counts stay equal to the
// answers. A file whose header names a column the questionnaire does not have is refused whole
// (its line 1), and nothing is added.

#include "model/core_events.h"
#include "model/survey_document.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace vev {

struct ImportRefusal {
    int Line = 0; // 1 = the header row
    QString Reason;
};

struct ImportPreview {
    int FirstRespondent = 1; // the number the first accepted row will get
    // The accepted rows: the answer of question q at [q - 1], as the operator would key it.
    std::vector<std::vector<std::string>> Rows;
    std::vector<ImportRefusal> Refused;
    int added() const { return static_cast<int>(Rows.size()); }
};

// Reads and checks the CSV bytes against the survey; the survey is not changed.
ImportPreview previewAnswerImport(const SurveyDocument& doc, const QByteArray& bytes);
// The same for a file (native path). Throws VevError when it cannot be read.
ImportPreview previewAnswerImportFile(const SurveyDocument& doc, const std::string& path);

// The respondents an import added, first..last (none when last < first).
struct ImportedRange {
    int First = 1;
    int Last = 0;
};

// Records the preview's rows as respondents FirstRespondent.. through recording (dataIN), then
// shows the respondent after them as a load does (hitoribun) and sets Modified. events gets
// tallyChanged for every question. The preview must have been made on this document as it is.
ImportedRange applyAnswerImport(SurveyDocument& doc, const ImportPreview& preview,
                                CoreEvents& events);

// Takes an import back: withdraws the range's answers (dataDEL), empties them and shows the
// respondent at its start: the undo of the whole import as one step.
void undoAnswerImport(SurveyDocument& doc, ImportedRange range, CoreEvents& events);

} // namespace vev
