#include "results/percentages.h"

#include "model/linked_data.h"
#include "model/number_text.h"
#include "model/respondent_set.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace vev {

namespace {

// Percentages are worked out in binary floating point with a 64-bit significand and rounded
// half to even: 23 of 40 prints 58 and 59 of 200 prints 29, where double would give 57 and 30.
// x86-64's 80-bit long double is exactly that; another platform would need a software 64-bit
// significand type (or exact rational arithmetic emulating its rounding) in its place.
static_assert(std::numeric_limits<long double>::digits == 64,
              "percentages need a 64-bit significand (x86 extended precision)");

// Tenths are shown with a point before the last character of their text: "523" -> " 52.3".
// A text wider than four characters keeps all its characters.
void appendWithPoint(std::string& out, std::string_view t) {
    out.append(t.substr(0, t.size() - 1));
    out += '.';
    out += t.back();
}

// The choice digits 1..k of a stored answer, as recording counts them: its first 8 characters,
// up to a "0".
int choiceDigits(std::string_view answer, int k) {
    int n = 0;
    for (std::size_t i = 0; i < answer.size() && i < 8 && answer[i] != '0'; ++i) {
        const int d = answer[i] - '0';
        if (d >= 1 && d <= k) ++n;
    }
    return n;
}

} // namespace

std::int32_t percentBase(const SurveyDocument& doc, int q, PercentBasis basis) {
    const int k = doc.ChoiceCount[q];
    std::int64_t base = 0;
    if (k <= 1) {
        base = std::int64_t{totalRespondents(doc)} - doc.Tally[q][NgSlot];
    } else {
        for (int c = 1; c <= k; ++c) base += doc.Tally[q][c];
        if (basis == PercentBasis::Respondents && doc.MultiSelect[q]) {
            std::int64_t respondents = 0;
            std::int64_t localAnswers = 0;
            RespondentSet(doc).forEach([&](int, int, const auto& answers) {
                const int n = choiceDigits(answers[q].view(), k);
                localAnswers += n;
                respondents += n > 0;
            });
            // What the tally holds beyond the local answers came from linked files.
            base = respondents + std::max<std::int64_t>(base - localAnswers, 0);
        }
    }
    // Kept to 32 bits like the counts themselves.
    const auto narrow = static_cast<std::int32_t>(base);
    return narrow == 0 ? 1 : narrow;
}

// count / base x scale, each step rounded to 64 significant bits, then to the nearest integer
// with halves to even (the default rounding mode, which nothing in the program changes).
long long percentOf(std::int32_t count, std::int32_t base, bool tenths) {
    const long double quotient = static_cast<long double>(count) / base;
    const long double product = quotient * (tenths ? 1000.0L : 100.0L);
    return static_cast<long long>(std::nearbyint(product));
}

void appendPercentCell(std::string& out, long long v, bool tenths) {
    if (!tenths) {
        appendRightAligned(out, v, 4);
        return;
    }
    // Right-aligned in 5 with a leading zero below one per cent: 5 -> "  0.5", 523 -> " 52.3",
    // 1000 -> "100.0". A negative value (a base below zero, possible only after merged NG
    // counts) keeps its sign and digits: -5 -> " -0.5".
    std::string t;
    if (v < 0) t += '-';
    const long long magnitude = v < 0 ? -v : v;
    appendDecimal(t, magnitude / 10);
    t += '.';
    t += static_cast<char>('0' + magnitude % 10);
    if (t.size() < 5) out.append(5 - t.size(), ' ');
    out += t;
}

void appendPercentTotal(std::string& out, long long sum, int k, bool tenths) {
    std::string t = tenths ? "1000" : " 100";
    if (k >= 2) {
        t.clear();
        appendRightAligned(t, sum, 4);
    }
    if (tenths)
        appendWithPoint(out, t);
    else
        out += t;
}

long long percentCellValue(const SurveyDocument& doc, int q, int c) {
    if (c < 1 || c > doc.ChoiceCount[q]) return 0;
    return percentOf(doc.Tally[q][c], percentBase(doc, q, percentBasisOf(doc)), doc.Frac1);
}

std::string percentCellText(const SurveyDocument& doc, int q, int c) {
    std::string out;
    if (c < 1 || c > doc.ChoiceCount[q])
        out.append(doc.Frac1 ? 5 : 4, ' ');
    else
        appendPercentCell(out, percentCellValue(doc, q, c), doc.Frac1);
    return out;
}

std::string percentTotalText(const SurveyDocument& doc, int q) {
    const int k = doc.ChoiceCount[q];
    long long sum = 0;
    if (k >= 2) {
        const std::int32_t base = percentBase(doc, q, percentBasisOf(doc));
        for (int c = 1; c <= k; ++c) sum += percentOf(doc.Tally[q][c], base, doc.Frac1);
    }
    std::string out;
    appendPercentTotal(out, sum, k, doc.Frac1);
    return out;
}

} // namespace vev
