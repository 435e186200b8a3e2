#pragma once

#include "model/survey_document.h"

#include <QString>

#include <optional>
#include <string>

// Texts of the questionnaire as entered (editor table, imported lists) and as the data file's
// trailer holds them.
namespace vev {

// Why an entered text cannot be stored.
enum class TextRefusal {
    None,
    NotShiftJis, // a character that Shift-JIS cannot hold (never stored as "?")
    LineBreak,   // a CR or LF would end the trailer line that holds the text
};

// An entered text made ready for the document: its Shift-JIS bytes cut to limit on a character
// boundary (Cut tells), or the refusal. A tab becomes a space: the trailer line keeps no
// control characters.
struct StoredText {
    std::string Bytes;
    TextRefusal Refusal = TextRefusal::None;
    bool Cut = false;
};
StoredText storedText(const QString& entered, std::size_t limit);

// The first character of the text that Shift-JIS cannot hold (a surrogate pair is one
// character); nullopt when every one can be held.
std::optional<QString> firstCharacterWithoutShiftJis(const QString& text);

// Appends the trailer lines "質問文：q,text" and "選択肢：q,c,text" (Shift-JIS, CR LF) for every
// text of an existing question or choice, question by question, the wording first.
void appendTextTrailerLines(std::string& out, const SurveyDocument& doc);

// Reads one trailer line into the document when it is a text line: true when it was one
// (stored, or skipped because its question or choice does not exist or a number is bad).
bool readTextTrailerLine(SurveyDocument& doc, std::string_view line);

// The label of choice c of question q wherever an output names a choice: its number, and its
// text after a space when it has one ("1 男性"). A numeric question's values are numbers, not
// choices: they stay bare.
QString choiceLabel(const SurveyDocument& doc, int q, int c);
// Question q's choices as the keying window names them ("1 男性　2 女性", an ideographic space
// between), empty when none of them has a text.
QString choicesLine(const SurveyDocument& doc, int q);

} // namespace vev
