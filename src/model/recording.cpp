#include "model/recording.h"

#include "model/vev_error.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace vev {

namespace {

// Adds (sign +1) or takes back (sign -1) the contribution of one answer character.
inline void contribute(SurveyDocument& doc, int q, char c, int sign) {
    const int d = c - '0';
    if (doc.ChoiceCount[q] >= 2 || c == '9') {
        doc.Tally[q][d] += sign;
    } else {
        doc.Tally[q][1] += sign * d;
    }
}

// What EntryBuffer would hold of a keyed text: its first 255 bytes.
std::string_view asBuffered(std::string_view keyed) {
    return {keyed.data(), std::min(keyed.size(), ShortString::capacity())};
}

// The one-character rule: a digit above the choice count is NG when there are two or more.
char singleNormalised(int choiceCount, char c) {
    const int value = (c >= '0' && c <= '9') ? c - '0' : 9;
    return (choiceCount >= 2 && value > choiceCount) ? '9' : c;
}

// The digits 1..9 in a text, as bits 1..9 of a set. A loaded file has tens of thousands of
// answers, and a branch per character would be mispredicted at every other one.
unsigned digitSet(std::string_view text) {
    unsigned set = 0;
    for (const char c : text) {
        const unsigned d = static_cast<unsigned char>(c) - unsigned{'0'};
        set |= (d - 1 < 9 ? 1u : 0u) << (d & 15);
    }
    return set;
}

// The choices 1..choiceCount, as bits 1..9.
unsigned choicesUpTo(int choiceCount) {
    return (2u << std::clamp(choiceCount, 0, 9)) - 2;
}

// The choices 1..choiceCount that a longer text names.
unsigned namedChoices(int choiceCount, std::string_view keyed) {
    return digitSet(keyed) & choicesUpTo(choiceCount);
}

// What recording keeps of a set of choices (bit n-1 for choice n): the digits of its first eight
// choices in order, as one block.
struct KeptChoices {
    char digits[8] = {};
    std::uint8_t size = 0;
    unsigned set = 0; // the choices kept, in the same bits
};
constexpr auto keptChoices = [] {
    std::array<KeptChoices, 512> table{};
    for (unsigned set = 0; set < table.size(); ++set)
        for (unsigned n = 1; n <= 9 && table[set].size < 8; ++n)
            if ((set >> (n - 1)) & 1) {
                table[set].digits[table[set].size++] = static_cast<char>('0' + n);
                table[set].set |= 1u << (n - 1);
            }
    return table;
}();

} // namespace

NormalisedEntry normaliseEntry(int choiceCount, std::string_view keyed) {
    keyed = asBuffered(keyed);
    NormalisedEntry normal;
    if (keyed.size() == 1) {
        normal.bytes[normal.size++] = singleNormalised(choiceCount, keyed[0]);
        return normal;
    }
    for (unsigned named = namedChoices(choiceCount, keyed); named != 0; named &= named - 1)
        normal.bytes[normal.size++] = static_cast<char>('0' + std::countr_zero(named));
    return normal;
}

namespace {

// recordEntry's two kinds of text: one character, and several naming choices.
void recordSingle(SurveyDocument& doc, char keyed) {
    const int q = doc.CurrentQuestion;
    AnswerString& answer = doc.Answers[doc.CurrentRespondent][q];
    answer.clear();
    const char c = singleNormalised(doc.ChoiceCount[q], keyed);
    if (c == '0') return answer.assign("0");
    if (c < '1' || c > '9') throwConversionError(std::string_view(&c, 1));
    contribute(doc, q, c, +1);
    answer.push_back(c);
    doc.RespondentCount = std::max(doc.RespondentCount, doc.CurrentRespondent);
}

void recordChoices(SurveyDocument& doc, unsigned named) {
    const int q = doc.CurrentQuestion;
    AnswerString& answer = doc.Answers[doc.CurrentRespondent][q];
    // Every kept choice counts in its own slot. Without a branch per choice, as above.
    const KeptChoices& kept = keptChoices[named >> 1];
    for (unsigned set = kept.set; set != 0; set &= set - 1)
        ++doc.Tally[q][std::countr_zero(set) + 1];
    if (kept.size == 0) return answer.assign("0");
    answer.assignBlock(kept.digits, kept.size);
    doc.RespondentCount = std::max(doc.RespondentCount, doc.CurrentRespondent);
}

} // namespace

void recordEntry(SurveyDocument& doc, std::string_view keyed) {
    keyed = asBuffered(keyed);
    if (keyed.size() == 1) return recordSingle(doc, keyed[0]);
    recordChoices(doc, namedChoices(doc.ChoiceCount[doc.CurrentQuestion], keyed));
}

void dataIN(SurveyDocument& doc) {
    const NormalisedEntry normal =
        normaliseEntry(doc.ChoiceCount[doc.CurrentQuestion], doc.EntryBuffer.view());
    recordEntry(doc, doc.EntryBuffer.view());
    doc.EntryBuffer.assign(normal.view());
}

void dataDEL(SurveyDocument& doc) {
    const int q = doc.CurrentQuestion;
    const std::string_view answer = doc.Answers[doc.CurrentRespondent][q].view();
    for (std::size_t i = 0; i < 8 && i < answer.size(); ++i) {
        const char c = answer[i];
        // Recording stores digits only; anything else put there by hand is not a contribution.
        if (c < '1' || c > '9') break;
        contribute(doc, q, c, -1);
    }
}

void kensa(SurveyDocument& doc) {
    const int r = doc.CurrentRespondent;
    doc.FirstOpenQuestion = 0;
    int open = 0;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        const AnswerString& answer = doc.Answers[r][q];
        if (answer.empty() || answer == "0") {
            ++open;
            if (doc.FirstOpenQuestion == 0 && doc.ChoiceCount[q] >= 2) doc.FirstOpenQuestion = q;
        }
    }
    if (open == doc.QuestionCount) doc.FirstOpenQuestion = 1;
    if (r == doc.RespondentCount && open == doc.QuestionCount) --doc.RespondentCount;
}

void hitoribun(SurveyDocument& doc) {
    const int r = doc.CurrentRespondent;
    doc.FirstOpenQuestion = 0;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        AnswerString& answer = doc.Answers[r][q];
        if (answer.empty() || answer == "0") {
            answer.assign("0");
            if (doc.FirstOpenQuestion == 0 && doc.ChoiceCount[q] >= 2) doc.FirstOpenQuestion = q;
        }
    }
}

} // namespace vev
