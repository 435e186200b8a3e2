#pragma once

#include "model/fixed_string.h"
#include "model/one_based.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vev {

constexpr int MaxRespondents = 999;
constexpr int MaxQuestions = 40;
constexpr int TallySlots = 9; // slots 1..8 count choices, slot 9 counts NG answers
constexpr int NgSlot = 9;
constexpr int MaxLinkedTallyFiles = 40;
constexpr int MaxQuestionTextBytes = 20;
constexpr int MaxTextChoices = 8; // choice texts exist for choices 1..8 only
constexpr int MaxWordingBytes = 200;
constexpr int MaxChoiceTextBytes = 40;

inline constexpr const char* VevVersion = "VEV v1.11";

// A stored answer never holds more than eight choice digits (recording keeps at most eight), so
// the answer grid uses a narrow string; it still keeps the first bytes of anything longer.
using AnswerString = FixedString<15>;

// The full question wording ("質問文") beside the 20-byte question text, and the text of each
// choice ("選択肢"), Shift-JIS bytes; empty means no text. Part of the questionnaire: they travel
// with it through the editor, the data file's trailer, the blank copy and the journal, but
// answers and counts never look at them, and two keyings that differ only in them compare.
struct SurveyTexts {
    OneBased<FixedString<MaxWordingBytes>, MaxQuestions> Wording;
    OneBased<OneBased<FixedString<MaxChoiceTextBytes>, MaxTextChoices>, MaxQuestions> Choice;

    bool empty() const;
    // Drops what belongs to no question or choice: questions above questionCount, choices above
    // choiceCount[q], so that a choice or question added again later starts without a text.
    void keepWithin(int questionCount, const OneBased<int, MaxQuestions>& choiceCount);
    friend bool operator==(const SurveyTexts&, const SurveyTexts&) = default;
};

struct SurveyDocument;

// A linked data file: another operator's keying of the same questionnaire (model/linked_data.h).
// Its answers are read, never written; Doc->Tally is exactly what they add to the survey's Tally.
struct LinkedDataFile {
    std::string Path;                          // full native path
    std::shared_ptr<const SurveyDocument> Doc; // its questionnaire and answers; null until read
};

// The one survey of the program: questionnaire, answers, tally, linked tally files, the paths
// of the files in use and the entry state of the main window. A plain record of fixed tables:
// every handler reads and writes the fields directly and refreshes what shows them.
//
// Texts that come from or go to survey files (title, question texts, answers, the entry buffer)
// are Shift-JIS bytes. Paths are native (UTF-8) and are converted only where they are written
// into or read from a Shift-JIS file.
struct SurveyDocument {
    // Questionnaire
    ShortString SurveyTitle;
    int QuestionCount = 0; // 0..40
    OneBased<ShortString, MaxQuestions> QuestionText;
    OneBased<int, MaxQuestions> ChoiceCount{}; // 0..9 (the reader stores any single digit)
    OneBased<bool, MaxQuestions> MultiSelect{};
    SurveyTexts Texts; // wordings and choice texts, in the trailer of the data file

    // AnswerGrid
    OneBased<OneBased<AnswerString, MaxQuestions>, MaxRespondents> Answers;
    std::int32_t RespondentCount = 0;
    std::int32_t CurrentRespondent = 1; // 1..999
    int CurrentQuestion = 1;            // 1..40
    int FirstOpenQuestion = 0;          // 0..40

    // TallyTable. 32-bit: merged tally files may push counts past what 16 bits hold.
    OneBased<OneBased<std::int32_t, TallySlots>, MaxQuestions> Tally{};
    OneBased<std::int32_t, MaxQuestions> PercentBase{};

    // LinkedTallyFiles: full native paths, kept whole.
    int LinkedTallyFileCount = 0; // 0..40
    OneBased<std::string, MaxLinkedTallyFiles> LinkedTallyFile;
    std::string CurrentTallyFilePath;
    // LinkedDataFiles: data files whose respondents count with this survey's own.
    std::vector<LinkedDataFile> LinkedDataFiles;

    // Files, paths and texts (native paths)
    std::string DataFilePath;
    std::string ResultsFilePath;
    std::string OpenRequestPath;
    std::string AppDirectory;   // ends in a path separator
    std::string PrintDirectory; // where the print file goes; AppDirectory unless that is read-only
    ShortString VersionString;
    char ResultsSeparator = ',';
    char ResultsQuote = '"';

    // Entry state and flags
    ShortString EntryBuffer;
    bool EntryPending = false;
    int HoverRow = 0;
    int RowsToRefresh = 0;
    bool Modified = false;
    // Opened while another window or program holds the file: nothing is keyed, nothing journaled,
    // and Save goes to Save As.
    bool ReadOnly = false;
    // The questionnaire itself (title, questions) changed since the last save or load: clearing
    // the answers then leaves the survey modified.
    bool QuestionnaireModified = false;
    bool LastOperationSucceeded = false;
    std::int32_t ScalePercent = 100;

    // Options of the Option menu, saved in each data file's trailer
    bool WWrite = true; // "集計結果も同時保存(&W)"
    bool Frac1 = false; // "百分率を小数にする(&F)"
    bool RBase1 = false; // "複数選択は回答者数で割合(&R)": multi-select per cent of respondents

    // A questionnaire is loaded exactly when question 1 has choices; never ask QuestionCount.
    bool questionnaireLoaded() const { return ChoiceCount[1] > 0; }

    // A pixel size scaled by ScalePercent, truncated toward zero.
    std::int32_t BAI(std::int32_t x) const {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(x) * ScalePercent / 100);
    }

    // The print file: "vev_prn.txt" in PrintDirectory.
    std::string printFilePath() const { return PrintDirectory + "vev_prn.txt"; }
};

// The number of choice columns of results files, addition sheets and the tally-file reader:
// the largest ChoiceCount over the survey's questions, at least 1.
int ChoiceColumnCount(const SurveyDocument& doc);

} // namespace vev
