#include "results/results_file.h"

#include "model/data_file.h"
#include "model/number_text.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"
#include "results/percentages.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace vev {

namespace {

constexpr std::string_view NoticeText = "  (c) VEV developers";

void appendQuestionStart(std::string& out, const SurveyDocument& doc, int q) {
    const char sep = doc.ResultsSeparator;
    const char quote = doc.ResultsQuote;
    appendRightAligned(out, q, 2);
    out += sep;
    out += quote;
    // The text padded to exactly 20 bytes; cut, it never ends in half a character.
    out += sjis::paddedField(doc.QuestionText[q], MaxQuestionTextBytes, MaxQuestionTextBytes);
    out += quote;
    out += sep;
}

void appendHeaderStart(std::string& out, const SurveyDocument& doc, const std::string& h0,
                       const std::string& questionHeader) {
    out += h0;
    out += doc.ResultsSeparator;
    out += doc.ResultsQuote;
    out += questionHeader;
    out += doc.ResultsQuote;
}

void writeResults(TextFileWriter& file, SurveyDocument& doc, const QString& shortDate) {
    const char sep = doc.ResultsSeparator;
    const bool resultsForm = sep == ',';
    const bool tenths = doc.Frac1;
    const int columns = ChoiceColumnCount(doc);
    const std::string h0 = resultsForm ? std::string("  ") : std::string("No");
    const std::string questionHeader = sjis::fromUtf8("質問内容            ");
    std::string line;
    line.reserve(256);

    line = doc.SurveyTitle.view();
    line += sep;
    line += sep;
    line += sjis::fromUtf8("　");
    line += sjis::fromQString(shortDate);
    file.line(line);
    file.line({});

    line.clear();
    appendHeaderStart(line, doc, h0, questionHeader);
    for (int c = 1; c <= columns; ++c) {
        line += sep;
        line.append(3, ' ');
        appendDecimal(line, c);
    }
    line += sep;
    line += "  NG";
    file.line(line);

    for (int q = 1; q <= doc.QuestionCount; ++q) {
        line.clear();
        appendQuestionStart(line, doc, q);
        for (int c = 1; c <= columns; ++c) {
            if (c <= doc.ChoiceCount[q])
                appendRightAligned(line, doc.Tally[q][c], 4);
            else
                line.append(4, ' ');
            line += sep;
        }
        appendRightAligned(line, doc.Tally[q][NgSlot], 4);
        file.line(line);
    }
    file.line({});

    line = sjis::fromNativePath(paths::fileNamePart(doc.DataFilePath));
    line += " by VEV";
    file.line(line);
    file.line({});
    file.line(sjis::fromUtf8("割合（％）"));

    line.clear();
    appendHeaderStart(line, doc, h0, questionHeader);
    for (int c = 1; c <= columns; ++c) {
        line += sep;
        line.append(tenths ? 4 : 3, ' ');
        appendDecimal(line, c);
    }
    line += sep;
    line += sjis::fromUtf8("    計");
    file.line(line);

    const PercentBasis basis = percentBasisOf(doc);
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        const int k = doc.ChoiceCount[q];
        doc.PercentBase[q] = percentBase(doc, q, basis);
        line.clear();
        appendQuestionStart(line, doc, q);
        long long sum = 0;
        for (int c = 1; c <= columns; ++c) {
            if (c > k) {
                line.append(tenths ? 5 : 4, ' ');
            } else {
                const long long v = percentOf(doc.Tally[q][c], doc.PercentBase[q], tenths);
                sum += v;
                appendPercentCell(line, v, tenths);
            }
            line += sep;
        }
        line.append(2, ' ');
        appendPercentTotal(line, sum, k, tenths);
        file.line(line);
    }
    file.line({});

    line = doc.VersionString.view();
    line += NoticeText;
    file.line(line);
}

} // namespace

void csvhozon(SurveyDocument& doc, const QString& shortDate) {
    TextFileWriter file(doc.ResultsSeparator == ',' ? doc.ResultsFilePath : doc.printFilePath());
    writeResults(file, doc, shortDate);
    file.commit();
}

void hozon(SurveyDocument& doc, const QString& shortDate) {
    writeDataFile(doc, shortDate);
    if (doc.WWrite) {
        doc.ResultsFilePath = paths::withExtension(doc.DataFilePath, ".csv");
        doc.ResultsSeparator = ',';
        doc.ResultsQuote = '"';
        csvhozon(doc, shortDate);
    }
}

std::string resultsFileContents(SurveyDocument& doc, const QString& shortDate) {
    TextFileWriter file({});
    writeResults(file, doc, shortDate);
    return file.contents();
}

} // namespace vev
