#include "model/data_file.h"

#include "model/byte_text.h"
#include "model/linked_data.h"
#include "model/number_text.h"
#include "model/paths.h"
#include "model/recording.h"
#include "model/sjis.h"
#include "model/survey_texts.h"
#include "model/tally_file_reader.h"
#include "model/text_file.h"
#include "model/vev_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <optional>

namespace vev {

namespace {

// What follows the version on line 1; no reader looks at it.
constexpr std::string_view AuthorNotice = "(C) VEV developers";

// Markers of the data file, as Shift-JIS bytes.
struct Words {
    std::string countLine = sjis::fromUtf8("質問数 ,");
    std::string multiSuffix = sjis::fromUtf8("　（複数選択）");
    std::string multiWord = sjis::fromUtf8("複数選択");
    std::string linkedLine = sjis::fromUtf8("追加用集計ファイル,");
    std::string fracLine = sjis::fromUtf8("百分率：小数");
    std::string intLine = sjis::fromUtf8("百分率：整数");
    std::string togetherLine = sjis::fromUtf8("集計結果：同時保存");
    std::string separateLine = sjis::fromUtf8("集計結果：別に保存");
    std::string respondentBaseLine = sjis::fromUtf8("割合基数：回答者");
    std::string dataLinkLine = sjis::fromUtf8("結合データ,");
    std::string dataLinkPrefix = sjis::fromUtf8("結合デ");
    std::string linkedPrefix = sjis::fromUtf8("追加用");
    std::string percentPrefix = sjis::fromUtf8("百分率");
    std::string resultsPrefix = sjis::fromUtf8("集計結");
    std::string basePrefix = sjis::fromUtf8("割合基");
    std::string respondents = sjis::fromUtf8("回答者");
    std::string small = sjis::fromUtf8("小");
    std::string separate = sjis::fromUtf8("別");
    std::string wideSpace = sjis::fromUtf8("　");
};

const Words& words() {
    static const Words w;
    return w;
}

std::string_view withoutSpaces(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// A decimal number with an optional sign; anything else counts as 0.
int numberOrZero(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return 0;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
        if (value > 0x7fffffffL) return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

// The rest of the line after its first comma (the whole line when it has none). Commas,
// spaces and control characters are never part of a two-byte character, so a byte search
// finds them exactly where a walk over the characters would; any other word is searched for
// with sjis::find.
std::string_view afterFirstComma(std::string_view line) {
    const std::size_t comma = line.find(',');
    return comma == std::string_view::npos ? line : line.substr(comma + 1);
}

// The fields of a document that a load keeps: the program's own settings and the options.
// RBase1 is not kept: it is on exactly when the file says so, because only files with it on
// carry its line, and an older file saved again must stay as it was.
void carryOver(const SurveyDocument& from, SurveyDocument& to) {
    to.OpenRequestPath = from.OpenRequestPath;
    to.AppDirectory = from.AppDirectory;
    to.PrintDirectory = from.PrintDirectory;
    to.VersionString = from.VersionString;
    to.ScalePercent = from.ScalePercent;
    to.WWrite = from.WWrite;
    to.Frac1 = from.Frac1;
    to.ResultsSeparator = from.ResultsSeparator;
    to.ResultsQuote = from.ResultsQuote;
    to.CurrentTallyFilePath = from.CurrentTallyFilePath;
    to.LastOperationSucceeded = from.LastOperationSucceeded;
    to.EntryPending = from.EntryPending;
    to.HoverRow = from.HoverRow;
    to.RowsToRefresh = from.RowsToRefresh;
}

// One question line: "nn ,text,k" with an optional multi-select suffix.
void readQuestionLine(SurveyDocument& doc, int q, std::string_view line) {
    // Without a comma the number takes the first 4 bytes, and a character that starts in them
    // goes with them: the text never starts with the second half of a character.
    const std::size_t comma = line.find(',');
    std::size_t start = comma + 1;
    if (comma == std::string_view::npos)
        for (start = 0; start < 4 && start < line.size();) start += sjis::charLength(line, start);
    line.remove_prefix(start);
    // The text ends at a comma, else at a full-width space, else after 17 bytes (one fewer
    // when byte 17 starts a character); the choice count follows a one-byte separator, or the
    // two-byte full-width space, or stands at byte 19.
    std::string_view field;
    std::size_t countAt = 0;
    if (const std::size_t end = line.find(','); end != std::string_view::npos) {
        field = line.substr(0, end);
        countAt = end + 1;
    } else if (const std::size_t wide = sjis::find(line, words().wideSpace);
               wide != std::string_view::npos) {
        field = line.substr(0, wide);
        countAt = wide + 2;
    } else {
        field = sjis::cutBytes(line, 17);
        countAt = 18;
    }
    doc.QuestionText[q] = sjis::cutBytes(trimmed(field), MaxQuestionTextBytes);
    const std::string_view count =
        countAt < line.size() ? line.substr(countAt, 1) : std::string_view();
    if (count.size() != 1 || count[0] < '0' || count[0] > '9') throwConversionError(count);
    doc.ChoiceCount[q] = count[0] - '0';
    const std::string_view rest =
        countAt + 1 < line.size() ? line.substr(countAt + 1) : std::string_view();
    doc.MultiSelect[q] = sjis::contains(rest, words().multiWord) && doc.ChoiceCount[q] >= 2;
}

// Where the first comma of text stands, npos without one. An answer is a few bytes long: a loop
// finds its end sooner than a call to memchr.
std::size_t commaIn(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == ',') return i;
    return std::string_view::npos;
}

// One respondent line, recorded for CurrentRespondent; gives the number of open fields, and in
// last the answer to the last question as recorded.
int readRespondentLine(SurveyDocument& doc, std::string_view line, std::string_view& last) {
    int open = 0;
    const std::size_t first = line.find(',');
    if (first != std::string_view::npos) line.remove_prefix(first + 1);
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        const std::size_t comma = commaIn(line);
        const std::size_t width = comma == std::string_view::npos ? 8 : comma;
        const std::string_view field = line.substr(0, std::min(width, line.size()));
        line.remove_prefix(std::min(width + 1, line.size()));
        if (field.empty() || field == "0") ++open;
        // A multi-select answer is padded to a fixed width; recorded with its padding, a
        // stored "9" would come back as "0".
        doc.CurrentQuestion = q;
        last = doc.MultiSelect[q] ? withoutSpaces(field) : field;
        recordEntry(doc, last);
    }
    return open;
}

// The document a load reads into, reset to a fresh one. Kept for the whole run: the answer grid
// is large, and fresh pages for it on every load would cost more than reading the file.
SurveyDocument& scratchDocument() {
    static const auto scratch = std::make_unique<SurveyDocument>();
    // Made again in place: filling it afresh writes the grid once, where copying a fresh one
    // over it would read a second grid as well.
    std::destroy_at(scratch.get());
    std::construct_at(scratch.get());
    return *scratch;
}

QString fileNameNotice(const std::string& path, const char* utf8Message) {
    return paths::toQString(paths::fileNamePart(path)) + QString::fromUtf8(utf8Message);
}

} // namespace

std::string dataFileContents(const SurveyDocument& doc, const QString& shortDate) {
    const Words& w = words();
    std::string out;
    out.reserve(64 * 1024);
    auto endLine = [&out] { out += "\r\n"; };

    out += doc.VersionString.empty() ? std::string_view(VevVersion) : doc.VersionString.view();
    out += "  ";
    out += AuthorNotice;
    endLine();
    out += doc.SurveyTitle.view();
    endLine();
    out += w.countLine;
    out += std::to_string(doc.QuestionCount);
    endLine();
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        appendRightAligned(out, q, 2);
        out += " ,";
        out += sjis::paddedField(doc.QuestionText[q], 16, MaxQuestionTextBytes);
        out += ',';
        out += std::to_string(doc.ChoiceCount[q]);
        if (doc.MultiSelect[q]) out += w.multiSuffix;
        endLine();
    }
    for (int r = 1; r <= doc.RespondentCount; ++r) {
        appendRightAligned(out, r, 3);
        out += "  ";
        for (int q = 1; q <= doc.QuestionCount; ++q) {
            out += ',';
            const std::string_view answer = doc.Answers[r][q].view();
            if (doc.MultiSelect[q]) {
                // Multi-select columns have a fixed width: the answer padded to ChoiceCount bytes.
                const auto width = static_cast<std::size_t>(std::max(doc.ChoiceCount[q], 0));
                const std::size_t kept = std::min(answer.size(), width);
                out += answer.substr(0, kept);
                out.append(std::min(width - kept, std::size_t(8)), ' ');
            } else {
                out += answer;
            }
        }
        endLine();
    }
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i) {
        out += w.linkedLine;
        out += sjis::fromNativePath(paths::fileNamePart(doc.LinkedTallyFile[i]));
        endLine();
    }
    out += doc.Frac1 ? w.fracLine : w.intLine;
    endLine();
    out += doc.WWrite ? w.togetherLine : w.separateLine;
    endLine();
    // Written only when on, after the lines that end the answers: a reader that does not know
    // it skips it as an unknown trailer line, and a file with the option off is as it always was.
    if (doc.RBase1) {
        out += w.respondentBaseLine;
        endLine();
    }
    // The same holds for the texts: a survey without them is saved as it always was.
    appendTextTrailerLines(out, doc);
    // The linked data files come last, and only when there are any: older readers skip them.
    for (const LinkedDataFile& link : doc.LinkedDataFiles) {
        out += w.dataLinkLine;
        out += sjis::fromNativePath(paths::fileNamePart(link.Path));
        endLine();
    }
    endLine();
    out += sjis::fromNativePath(paths::fileNamePart(doc.DataFilePath));
    out += "  ";
    out += sjis::fromQString(shortDate);
    endLine();
    return out;
}

bool savesInPlace(const SurveyDocument& doc, const std::string& proposal) {
    return !doc.DataFilePath.empty() && doc.DataFilePath != proposal &&
           QFileInfo(paths::toQString(doc.DataFilePath)).isAbsolute();
}

void writeDataFile(SurveyDocument& doc, const QString& shortDate) {
    writeTextFile(doc.DataFilePath, dataFileContents(doc, shortDate));
    doc.Modified = false;
    doc.QuestionnaireModified = false;
}

namespace {

// The load; with answersOnly the linked tally files are not read (their counts are not the
// file's answers) and the linked data files are only listed, for a file whose answers count in
// another survey.
LoadOutcome loadDataFile(SurveyDocument& doc, CoreEvents& events, bool answersOnly) {
    const Words& w = words();
    const std::string& requested = doc.OpenRequestPath;
    TextFileReader reader(requested);

    const std::string_view first = reader.readLine();
    if (!sjis::contains(first, "VEV") && !sjis::contains(first, "ANK")) {
        events.notice(fileNameNotice(requested, "はアンケートファイルではありません。"));
        return LoadOutcome::Refused;
    }
    const std::string_view title = reader.readLine();
    const std::string_view countLine = reader.readLine();
    const std::size_t countComma = countLine.find(',');
    const std::size_t countAt = countComma == std::string::npos ? 8 : countComma + 1;
    const int count = countAt < countLine.size()
                          ? numberOrZero(trimmed(std::string_view(countLine).substr(countAt, 2)))
                          : 0;
    if (count == 0) {
        events.notice(fileNameNotice(requested, "が異常です。"));
        return LoadOutcome::Refused;
    }

    // The file is read into a fresh document: a refusal or a failure half way leaves the
    // survey in memory as it was, so a later save cannot write a partly read survey.
    SurveyDocument& d = scratchDocument();
    carryOver(doc, d);
    d.DataFilePath = requested;
    d.SurveyTitle = sjis::cutBytes(title, ShortString::capacity());
    d.QuestionCount = std::min(count & 0xff, MaxQuestions);

    for (int q = 1; q <= d.QuestionCount; ++q) readQuestionLine(d, q, reader.readLine());

    d.CurrentRespondent = 0;
    d.RespondentCount = 0;
    int lastOpen = 0;
    std::string_view lastAnswer;
    bool anyRespondent = false;
    std::string_view line;
    std::string_view prefix;
    auto isPrefix = [&prefix](const std::string& word) { return prefix == word; };
    for (;;) {
        line = reader.readLine();
        prefix = std::string_view(line).substr(0, std::min<std::size_t>(6, line.size()));
        if (line.empty() || isPrefix(w.linkedPrefix) || isPrefix(w.percentPrefix) ||
            isPrefix(w.resultsPrefix))
            break;
        if (d.CurrentRespondent == MaxRespondents) {
            // The answer grid has room for 999 respondents; a longer file is not a survey of ours.
            events.notice(fileNameNotice(requested, "が異常です。"));
            return LoadOutcome::Refused;
        }
        ++d.CurrentRespondent;
        anyRespondent = true;
        lastOpen = readRespondentLine(d, line, lastAnswer);
        if (reader.atEnd()) break;
    }
    // What recording the answers one by one through the entry buffer leaves there.
    if (anyRespondent && d.QuestionCount >= 1)
        d.EntryBuffer = normaliseEntry(d.ChoiceCount[d.QuestionCount], lastAnswer).view();
    d.Modified = false;

    // Absolute before the trailer, which compares linked paths with the results file beside it.
    d.DataFilePath = paths::absolutePath(d.DataFilePath);
    const std::string folder = paths::folderPart(requested);
    // After the 40th linked file the other trailer lines are not acted on, but the texts are
    // still read: they belong to the questionnaire, wherever a writer put them.
    bool linkedFull = false;
    for (;;) {
        if (readTextTrailerLine(d, line)) {
            // a wording or a choice text: read wherever it stands
        } else if (isPrefix(w.dataLinkPrefix) && sjis::contains(line, w.dataLinkLine)) {
            // A linked data file, wherever it stands; read after the load (followDataLinks),
            // where the files are checked against this one.
            d.LinkedDataFiles.push_back(
                {folder + sjis::toNativePath(afterFirstComma(line)), nullptr});
        } else if (linkedFull) {
            // past the 40th linked file nothing else is acted on
        } else if (isPrefix(w.linkedPrefix) && answersOnly) {
            // not this file's answers
        } else if (isPrefix(w.linkedPrefix)) {
            const std::string name(afterFirstComma(line));
            const std::string path = folder + sjis::toNativePath(name);
            // A name with a folder in it would reach outside the survey's folder.
            std::optional<TextFileReader> file;
            if (!sjis::hasPathSeparator(name)) file = TextFileReader::ofRegularFile(path);
            if (file) {
                d.CurrentTallyFilePath = paths::absolutePath(path);
                if (isOwnResultsFile(d, d.CurrentTallyFilePath)) {
                    // Its counts are this survey's own: it is not linked, and the next save
                    // leaves the line out.
                    events.informationBeep();
                    events.notice(
                        addRefusalMessage(AddRefusal::OwnResultsFile, d.CurrentTallyFilePath));
                    d.Modified = true;
                } else {
                    csvRead(d, events, *file);
                    if (!d.LastOperationSucceeded) d.Modified = true;
                    linkedFull = d.LinkedTallyFileCount >= MaxLinkedTallyFiles;
                }
            } else {
                events.notice(QString::fromUtf8("集計ファイル") + paths::toQString(path) +
                              QString::fromUtf8("が見つかりません。"));
                d.Modified = true;
            }
        } else if (isPrefix(w.percentPrefix) && sjis::contains(line, w.small)) {
            d.Frac1 = true;
        } else if (isPrefix(w.resultsPrefix) && sjis::contains(line, w.separate)) {
            d.WWrite = false;
        } else if (isPrefix(w.basePrefix) && sjis::contains(line, w.respondents)) {
            d.RBase1 = true;
        }
        line = reader.readLine();
        if (line.empty()) break;
        prefix = std::string_view(line).substr(0, std::min<std::size_t>(6, line.size()));
        if (reader.atEnd()) break; // the last line is never acted on
    }

    if (!anyRespondent) {
        d.CurrentRespondent = 1;
    } else if (lastOpen == 0) {
        // The respondent after a complete last line, within the room of the grid.
        d.CurrentRespondent = std::min(d.CurrentRespondent + 1, MaxRespondents);
    }
    hitoribun(d);
    d.CurrentQuestion = d.FirstOpenQuestion != 0 ? d.FirstOpenQuestion : 1;

    doc = std::move(d);
    return LoadOutcome::Loaded;
}

} // namespace

LoadOutcome Loaddatafile(SurveyDocument& doc, CoreEvents& events) {
    const LoadOutcome outcome = loadDataFile(doc, events, /*answersOnly=*/false);
    if (outcome == LoadOutcome::Loaded) followDataLinks(doc, events);
    return outcome;
}

LoadOutcome readDataFileAnswers(const std::string& path, SurveyDocument& doc, CoreEvents& events) {
    doc.OpenRequestPath = path;
    return loadDataFile(doc, events, /*answersOnly=*/true);
}

} // namespace vev
