#include "entry/tally_text.h"

#include <charconv>

namespace vev {

namespace {

// n right-aligned in a field of width: blanks in front, a wider number written whole.
void appendRightAligned(std::string& out, std::int32_t n, std::size_t width) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    const auto len = static_cast<std::size_t>(end - digits);
    if (len < width) out.append(width - len, ' ');
    out.append(digits, len);
}

} // namespace

std::string TallyLine(const SurveyDocument& doc, int q) {
    std::string line;
    line.reserve(64);
    appendRightAligned(line, doc.Tally[q][1], 3);
    for (int j = 2; j <= 8; ++j) {
        if (j <= doc.ChoiceCount[q])
            appendRightAligned(line, doc.Tally[q][j], 7);
        else
            line.append(7, ' ');
    }
    appendRightAligned(line, doc.Tally[q][NgSlot], 7);
    return line;
}

std::string ChoiceLine(const SurveyDocument& doc, int q) {
    std::string line = " 1)";
    line.reserve(52);
    for (int j = 2; j <= 8; ++j) {
        if (j <= doc.ChoiceCount[q]) {
            line.append(5, ' ');
            line += static_cast<char>('0' + j);
            line += ')';
        } else {
            line.append(7, ' ');
        }
    }
    return line;
}

} // namespace vev
