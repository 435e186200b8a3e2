#include "model/recording.h"

#include "model/vev_error.h"

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

} // namespace

void dataIN(SurveyDocument& doc) {
    const int r = doc.CurrentRespondent;
    const int q = doc.CurrentQuestion;
    const int k = doc.ChoiceCount[q];
    AnswerString& answer = doc.Answers[r][q];
    answer.clear();

    // Normalise the buffer in place; the result is never longer than the buffer.
    char normal[ShortString::capacity()];
    std::size_t len = 0;
    const std::string_view buffer = doc.EntryBuffer.view();
    if (buffer.size() == 1) {
        const char c = buffer[0];
        if (k >= 2) {
            const int value = (c >= '0' && c <= '9') ? c - '0' : 9;
            normal[len++] = value > k ? '9' : c;
        } else {
            normal[len++] = c;
        }
    } else {
        bool present[10] = {};
        for (char c : buffer)
            if (c >= '1' && c <= '9') present[c - '0'] = true;
        for (int n = 1; n <= k && n <= 9; ++n)
            if (present[n]) normal[len++] = static_cast<char>('0' + n);
    }
    doc.EntryBuffer.assign(std::string_view(normal, len));

    for (std::size_t i = 0; i < 8; ++i) {
        if (i >= len) {
            if (answer.empty()) answer.assign("0");
            return;
        }
        const char c = normal[i];
        if (c == '0') continue;
        if (c < '1' || c > '9') throwConversionError(std::string_view(&normal[i], 1));
        contribute(doc, q, c, +1);
        answer.push_back(c);
        if (r > doc.RespondentCount) doc.RespondentCount = r;
    }
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
