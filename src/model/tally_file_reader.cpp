#include "model/tally_file_reader.h"

#include "model/byte_text.h"
#include "model/paths.h"
#include "model/text_file.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vev {

namespace {

// A decimal number with an optional sign, after any leading spaces; anything else, a trailing
// space included, counts as 0. Trimmed choice cells and the untrimmed NG cell both go here.
int countOrZero(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i == text.size()) return 0;
    // The most negative count, -2147483648, has one more unit of magnitude than the most positive.
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
        if (value > limit) return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

// Drops everything up to and including the first comma; a line without one stays whole.
void dropThroughComma(std::string_view& line) {
    const std::size_t comma = line.find(',');
    if (comma != std::string_view::npos) line.remove_prefix(comma + 1);
}

// The counts of one question line. The line is split at commas only: quotes mean nothing, so
// a question text holding a comma shifts every later cell.
struct LineCounts {
    int choice[TallySlots + 1] = {};
    int ng = 0;
};

LineCounts splitQuestionLine(std::string_view line, int columns) {
    LineCounts counts;
    dropThroughComma(line); // question number
    dropThroughComma(line); // question text
    for (int c = 1; c <= columns; ++c) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) continue; // a missing cell counts 0
        counts.choice[c] = countOrZero(trimmed(line.substr(0, comma)));
        line.remove_prefix(comma + 1);
    }
    // The rest is the NG cell; a file with more choice columns leaves commas in it, so 0.
    counts.ng = countOrZero(line);
    return counts;
}

// The counts of the question lines that follow line 3, under the rules of a questionnaire with
// these question and choice counts.
TallyFileCounts readQuestionLines(TextFileReader& reader, int questionCount,
                                  const OneBased<int, MaxQuestions>& choiceCount) {
    TallyFileCounts result;
    int columns = 1;
    for (int q = 1; q <= questionCount; ++q) columns = std::max(columns, choiceCount[q]);
    columns = std::min(columns, TallySlots);
    for (int q = 1; q <= questionCount; ++q) {
        const std::string_view line = reader.readLine();
        if (line.empty()) break;
        const LineCounts counts = splitQuestionLine(line, columns);
        const int own = std::clamp(choiceCount[q], 0, columns);
        for (int c = 1; c <= own; ++c) result.Count[q][c] = counts.choice[c];
        result.Count[q][NgSlot] = counts.ng;
    }
    return result;
}

// Adds (sign +1) or takes out (sign -1) the counts of the question lines that follow line 3.
void mergeQuestionLines(SurveyDocument& doc, CoreEvents& events, TextFileReader& reader, int sign) {
    const int columns = std::min(ChoiceColumnCount(doc), TallySlots);
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        const std::string_view line = reader.readLine();
        if (line.empty()) break;
        const LineCounts counts = splitQuestionLine(line, columns);
        // Cells beyond the question's own choices are read and ignored.
        const int own = std::clamp(doc.ChoiceCount[q], 0, columns);
        // Counts from a file are the operator's; absurd ones saturate instead of wrapping.
        const auto merge = [sign](std::int32_t& slot, int count) {
            slot = static_cast<std::int32_t>(
                std::clamp<std::int64_t>(std::int64_t{slot} + std::int64_t{sign} * count,
                                         std::numeric_limits<std::int32_t>::min(),
                                         std::numeric_limits<std::int32_t>::max()));
        };
        for (int c = 1; c <= own; ++c) merge(doc.Tally[q][c], counts.choice[c]);
        merge(doc.Tally[q][NgSlot], counts.ng);
        events.tallyChanged(q);
    }
}

} // namespace

QString tallyFileNotice(const char* utf8Message, const std::string& path) {
    return QString::fromUtf8(utf8Message) + QLatin1Char('\r') + paths::toQString(path);
}

void csvRead(SurveyDocument& doc, CoreEvents& events) {
    TextFileReader reader(doc.CurrentTallyFilePath);
    csvRead(doc, events, reader);
}

void csvRead(SurveyDocument& doc, CoreEvents& events, TextFileReader& reader) {
    doc.LastOperationSucceeded = true;
    const std::string name = paths::fileNamePart(doc.CurrentTallyFilePath);
    const std::string_view first = reader.readLine();
    const std::string_view title = trimmed(first.substr(0, first.find(',')));
    if (title != doc.SurveyTitle.view()) {
        events.informationBeep();
        events.notice(tallyFileNotice("アンケートタイトルが違うので追加できません。", name));
        doc.LastOperationSucceeded = false;
        return;
    }
    if (doc.LinkedTallyFileCount >= MaxLinkedTallyFiles) {
        // There is no room for a 41st link; counts without a link could never be taken out.
        events.informationBeep();
        events.notice(tallyFileNotice("追加できる集計ファイルは40個までです。", name));
        doc.LastOperationSucceeded = false;
        return;
    }
    reader.readLine();
    reader.readLine();
    mergeQuestionLines(doc, events, reader, +1);
    ++doc.LinkedTallyFileCount;
    doc.LinkedTallyFile[doc.LinkedTallyFileCount] = doc.CurrentTallyFilePath;
}

void csvDel(SurveyDocument& doc, CoreEvents& events) {
    TextFileReader reader(doc.CurrentTallyFilePath);
    for (int i = 0; i < 3; ++i) reader.readLine();
    mergeQuestionLines(doc, events, reader, -1);
    doc.LinkedTallyFileCount = std::max(doc.LinkedTallyFileCount - 1, 0);
    doc.Modified = true;
}

bool isLinkedTallyFile(const SurveyDocument& doc, const std::string& path) {
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i)
        if (doc.LinkedTallyFile[i] == path) return true;
    return false;
}

bool unlinkTallyFile(SurveyDocument& doc, const std::string& path, CoreEvents& events) {
    const int count = doc.LinkedTallyFileCount;
    int at = 1;
    while (at <= count && doc.LinkedTallyFile[at] != path) ++at;
    if (at > count) return false;
    doc.CurrentTallyFilePath = path;
    csvDel(doc, events);
    for (int i = at; i < count; ++i) doc.LinkedTallyFile[i] = doc.LinkedTallyFile[i + 1];
    doc.LinkedTallyFile[count].clear();
    return true;
}

TallyFileCounts tallyFileCounts(const std::string& path, int questionCount,
                                const OneBased<int, MaxQuestions>& choiceCount) {
    TextFileReader reader(path);
    for (int i = 0; i < 3; ++i) reader.readLine();
    return readQuestionLines(reader, questionCount, choiceCount);
}

bool isOwnResultsFile(const SurveyDocument& doc, const std::string& path) {
    if (path == doc.ResultsFilePath) return true;
    return !doc.DataFilePath.empty() && path == paths::withExtension(doc.DataFilePath, ".csv");
}

AddRefusal addRefusal(const SurveyDocument& doc, const std::string& path) {
    if (isLinkedTallyFile(doc, path)) return AddRefusal::AlreadyLinked;
    if (isOwnResultsFile(doc, path)) return AddRefusal::OwnResultsFile;
    if (paths::folderPart(doc.DataFilePath) != paths::folderPart(path))
        return AddRefusal::OtherFolder;
    if (doc.LinkedTallyFileCount >= MaxLinkedTallyFiles) return AddRefusal::TooMany;
    return AddRefusal::None;
}

QString addRefusalMessage(AddRefusal refusal, const std::string& path) {
    const std::string name = paths::fileNamePart(path);
    switch (refusal) {
    case AddRefusal::None:
        return {};
    case AddRefusal::AlreadyLinked:
        return tallyFileNotice("既に、追加済みです。", name);
    case AddRefusal::OwnResultsFile:
        return tallyFileNotice(
            "このアンケートの出力先となる集計結果ファイルを二重に追加することはできません。", name);
    case AddRefusal::OtherFolder:
        return tallyFileNotice(
            "アンケートと異なるパスにある集計結果ファイルを追加することはできません。", path);
    case AddRefusal::TooMany:
        return tallyFileNotice("追加できる集計ファイルは40個までです。", name);
    }
    return {};
}

} // namespace vev
