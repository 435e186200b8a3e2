#include "double_entry/verifying_entry.h"

#include "double_entry/double_entry.h"
#include "model/recording.h"

#include <algorithm>

namespace vev {

namespace {

// The window's usual recording of a keyed answer.
void record(SurveyDocument& doc) {
    dataDEL(doc);
    dataIN(doc);
    doc.Modified = true;
}

} // namespace

AnswerString normalisedAnswer(int choiceCount, std::string_view buffer) {
    char normal[ShortString::capacity()];
    std::size_t len = 0;
    if (buffer.size() == 1) {
        const char c = buffer[0];
        const int value = (c >= '0' && c <= '9') ? c - '0' : 9;
        normal[len++] = (choiceCount >= 2 && value > choiceCount) ? '9' : c;
    } else {
        bool present[10] = {};
        for (const char c : buffer)
            if (c >= '1' && c <= '9') present[c - '0'] = true;
        for (int n = 1; n <= choiceCount && n <= 9; ++n)
            if (present[n]) normal[len++] = static_cast<char>('0' + n);
    }
    AnswerString answer;
    for (std::size_t i = 0; i < 8 && i < len; ++i)
        if (normal[i] != '0') answer.push_back(normal[i]);
    if (answer.empty()) answer = "0";
    return answer;
}

void VerifyingEntry::start(const SurveyDocument& doc) {
    *this = VerifyingEntry();
    checkedRespondents_ = doc.RespondentCount;
}

VerifyingEntry::Step VerifyingEntry::key(SurveyDocument& doc,
                                         const std::function<void()>& recordKeyed) {
    const int r = doc.CurrentRespondent;
    const int q = doc.CurrentQuestion;
    Step step;
    step.stored = doc.Answers[r][q];
    step.keyed = normalisedAnswer(doc.ChoiceCount[q], doc.EntryBuffer.view());

    checkedRespondents_ = std::min(checkedRespondents_, doc.RespondentCount);
    if (r > checkedRespondents_ || step.stored.empty()) {
        pending_ = false;
        recordKeyed ? recordKeyed() : record(doc);
        step.action = Action::RecordedAsUsual;
        return step;
    }
    const bool again = pending_ && pendingR_ == r && pendingQ_ == q;
    if (step.keyed == step.stored) {
        step.action = again ? Action::StoredStands : Action::Agreed;
        pending_ = false;
        ++verified_;
        if (again) ++differences_;
        return step;
    }
    if (again && step.keyed == pendingKeyed_) {
        recordKeyed ? recordKeyed() : record(doc);
        step.action = Action::KeyedWins;
        pending_ = false;
        ++verified_;
        ++differences_;
        return step;
    }
    pending_ = true;
    pendingR_ = r;
    pendingQ_ = q;
    pendingKeyed_ = step.keyed;
    step.action = Action::Mismatch;
    return step;
}

QString VerifyingEntry::statusText() const {
    QString rate = QString::fromUtf8("－");
    if (verified_ > 0) {
        const long long hundredths = (differences_ * 10000LL + verified_ - 1) / verified_;
        rate = QStringLiteral("%1.%2%")
                   .arg(hundredths / 100)
                   .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    }
    return QString::fromUtf8("照合入力　確認 %1件　相違 %2件　誤り率 %3")
        .arg(verified_)
        .arg(differences_)
        .arg(rate);
}

QString VerifyingEntry::mismatchText(const Step& step) {
    return QString::fromUtf8("登録済み %1　入力 %2　もう一度入力してください")
        .arg(answerText(step.stored), answerText(step.keyed));
}

} // namespace vev
