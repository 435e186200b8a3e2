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
    const NormalisedEntry normal = normaliseEntry(choiceCount, buffer);
    AnswerString answer;
    for (std::size_t i = 0; i < 8 && i < normal.size; ++i)
        if (normal.bytes[i] != '0') answer.push_back(normal.bytes[i]);
    if (answer.empty()) answer = "0";
    return answer;
}

void VerifyingEntry::start(const SurveyDocument& doc) {
    *this = VerifyingEntry();
    checkedRespondents_ = std::clamp(doc.RespondentCount, 0, MaxRespondents);
    cells_.assign(static_cast<std::size_t>(checkedRespondents_) + 1, 0);
    // The respondent on screen counts as shown once it is keyed or shown again, not before.
    shownRespondent_ = 0;
}

bool VerifyingEntry::keyed(int r, int q) const {
    return (cells_[static_cast<std::size_t>(r)] >> q) & 1;
}

bool VerifyingEntry::checks(const SurveyDocument& doc) const {
    const int r = doc.CurrentRespondent;
    return r >= 1 && r <= std::min(checkedRespondents_, doc.RespondentCount) &&
           !doc.Answers[r][doc.CurrentQuestion].empty();
}

bool VerifyingEntry::hides(const SurveyDocument& doc, int r, int q) const {
    return r >= 1 && r <= std::min(checkedRespondents_, doc.RespondentCount) && q >= 1 &&
           q <= MaxQuestions && !doc.Answers[r][q].empty() && !keyed(r, q);
}

void VerifyingEntry::shown(int r) {
    const int left = shownRespondent_;
    if (r != left && left >= 1 && left <= checkedRespondents_)
        cells_[static_cast<std::size_t>(left)] |= 1;
    shownRespondent_ = r;
}

long VerifyingEntry::unverified(const SurveyDocument& doc) const {
    long count = 0;
    const int questions = std::min(doc.QuestionCount, MaxQuestions);
    for (int r = 1; r <= std::min(checkedRespondents_, doc.RespondentCount); ++r) {
        if (!(cells_[static_cast<std::size_t>(r)] & 1)) continue;
        for (int q = 1; q <= questions; ++q)
            count += doc.ChoiceCount[q] > 0 && !doc.Answers[r][q].empty() && !keyed(r, q);
    }
    return count;
}

VerifyingEntry::Step VerifyingEntry::key(SurveyDocument& doc,
                                         const std::function<void()>& recordKeyed) {
    const int r = doc.CurrentRespondent;
    const int q = doc.CurrentQuestion;
    Step step;
    step.stored = doc.Answers[r][q];
    step.keyed = normalisedAnswer(doc.ChoiceCount[q], doc.EntryBuffer.view());

    checkedRespondents_ = std::min(checkedRespondents_, doc.RespondentCount);
    shown(r);
    if (r > checkedRespondents_ || step.stored.empty()) {
        pending_ = false;
        recordKeyed ? recordKeyed() : record(doc);
        step.action = Action::RecordedAsUsual;
        if (r <= checkedRespondents_) cells_[static_cast<std::size_t>(r)] |= std::uint64_t(1) << q;
        return step;
    }
    const bool again = pending_ && pendingR_ == r && pendingQ_ == q;
    const auto keyedCell = [&] { cells_[static_cast<std::size_t>(r)] |= std::uint64_t(1) << q; };
    if (step.keyed == step.stored) {
        keyedCell();
        step.action = again ? Action::StoredStands : Action::Agreed;
        pending_ = false;
        ++verified_;
        if (again) ++differences_;
        return step;
    }
    if (again && step.keyed == pendingKeyed_) {
        recordKeyed ? recordKeyed() : record(doc);
        keyedCell();
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

QString VerifyingEntry::statusText(const SurveyDocument& doc) const {
    QString rate = QString::fromUtf8("－");
    if (verified_ > 0) {
        const long long hundredths = (differences_ * 10000LL + verified_ - 1) / verified_;
        rate = QStringLiteral("%1.%2%")
                   .arg(hundredths / 100)
                   .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    }
    return QString::fromUtf8("照合入力　確認 %1件　相違 %2件　誤り率 %3　未照合 %4件")
        .arg(verified_)
        .arg(differences_)
        .arg(rate)
        .arg(unverified(doc));
}

QString VerifyingEntry::mismatchText(const Step& step) {
    return QString::fromUtf8("登録済み %1　入力 %2　もう一度入力してください")
        .arg(answerText(step.stored), answerText(step.keyed));
}

} // namespace vev
