#include "results/results_file.h"

#include "model/number_text.h"

#include "model/sjis.h"
#include "model/text_file.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vev {

namespace {

// Percentages are worked out in binary floating point with a 64-bit significand and rounded
// half to even: 23 of 40 prints 58 and 59 of 200 prints 29, where double would give 57 and 30.
// x86-64's 80-bit long double is exactly that; another platform would need a software 64-bit
// significand type (or exact rational arithmetic emulating its rounding) in its place.
static_assert(std::numeric_limits<long double>::digits == 64,
              "percentages need a 64-bit significand (x86 extended precision)");

constexpr std::string_view NoticeText = "  (c) VEV developers";

// Tenths are shown with a point before the last character of their text: "523" -> " 52.3".
// A text wider than four characters keeps all its characters.
void appendWithPoint(std::string& out, std::string_view t) {
    out.append(t.substr(0, t.size() - 1));
    out += '.';
    out += t.back();
}

// A cell in tenths of a per cent, right-aligned in 5 with a leading zero below one per cent:
// 5 -> "  0.5", 523 -> " 52.3", 1000 -> "100.0". A negative value (a base below zero, possible
// only after merged NG counts) keeps its sign and digits: -5 -> " -0.5".
void appendTenths(std::string& out, long long v) {
    std::string t;
    if (v < 0) t += '-';
    const long long magnitude = v < 0 ? -v : v;
    appendDecimal(t, magnitude / 10);
    t += '.';
    t += static_cast<char>('0' + magnitude % 10);
    if (t.size() < 5) out.append(5 - t.size(), ' ');
    out += t;
}

// count / base x scale, each step rounded to 64 significant bits, then to the nearest integer
// with halves to even (the default rounding mode, which nothing in the program changes).
long long percentValue(std::int32_t count, std::int32_t base, long double scale) {
    const long double quotient = static_cast<long double>(count) / base;
    const long double product = quotient * scale;
    return static_cast<long long>(std::nearbyint(product));
}

std::int32_t computePercentBase(const SurveyDocument& doc, int q) {
    const int k = doc.ChoiceCount[q];
    std::int64_t base = 0;
    if (k <= 1) {
        base = std::int64_t{doc.RespondentCount} - doc.Tally[q][NgSlot];
    } else {
        for (int c = 1; c <= k; ++c) base += doc.Tally[q][c];
    }
    // Kept to 32 bits like the counts themselves.
    auto narrow = static_cast<std::int32_t>(base);
    return narrow == 0 ? 1 : narrow;
}

void appendQuestionStart(std::string& out, const SurveyDocument& doc, int q) {
    const char sep = doc.ResultsSeparator;
    const char quote = doc.ResultsQuote;
    appendRightAligned(out, q, 2);
    out += sep;
    out += quote;
    // The text padded to, or cut at, exactly 20 bytes, even through a two-byte character.
    const std::string_view text = doc.QuestionText[q].view();
    const std::size_t take = std::min<std::size_t>(text.size(), MaxQuestionTextBytes);
    out.append(text.substr(0, take));
    out.append(MaxQuestionTextBytes - take, ' ');
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

    const std::string& path = doc.DataFilePath;
    const std::size_t slash = path.find_last_of('/');
    line = sjis::fromNativePath(slash == std::string::npos ? path : path.substr(slash + 1));
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

    const long double scale = tenths ? 1000.0L : 100.0L;
    std::string t;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        const int k = doc.ChoiceCount[q];
        doc.PercentBase[q] = computePercentBase(doc, q);
        line.clear();
        appendQuestionStart(line, doc, q);
        long long sum = 0;
        for (int c = 1; c <= columns; ++c) {
            if (c > k) {
                line.append(tenths ? 5 : 4, ' ');
            } else {
                const long long v = percentValue(doc.Tally[q][c], doc.PercentBase[q], scale);
                sum += v;
                if (!tenths) {
                    appendRightAligned(line, v, 4);
                } else {
                    appendTenths(line, v);
                }
            }
            line += sep;
        }
        line.append(2, ' ');
        t = tenths ? "1000" : " 100";
        if (k >= 2) {
            t.clear();
            appendRightAligned(t, sum, 4);
        }
        if (tenths)
            appendWithPoint(line, t);
        else
            line += t;
        file.line(line);
    }
    file.line({});

    line = doc.VersionString.view();
    line += NoticeText;
    file.line(line);
}

} // namespace

long long percentCell(const SurveyDocument& doc, int q, int c) {
    return percentValue(doc.Tally[q][c], computePercentBase(doc, q), doc.Frac1 ? 1000.0L : 100.0L);
}

void csvhozon(SurveyDocument& doc, const QString& shortDate) {
    TextFileWriter file(doc.ResultsSeparator == ',' ? doc.ResultsFilePath : doc.printFilePath());
    writeResults(file, doc, shortDate);
    file.commit();
}

std::string resultsFileContents(SurveyDocument& doc, const QString& shortDate) {
    TextFileWriter file({});
    writeResults(file, doc, shortDate);
    return file.contents();
}

} // namespace vev
