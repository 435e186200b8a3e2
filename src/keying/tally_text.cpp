#include "keying/tally_text.h"

#include "model/number_text.h"

#include <charconv>

namespace vev {

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
