#include "analysis/question_summary.h"

#include "model/linked_data.h"
#include "model/paths.h"
#include "model/tally_file_reader.h"
#include "model/vev_error.h"
#include "results/percentages.h"

#include <algorithm>

namespace vev {

namespace {

// The answers a tally holds for the choice questions: every choice count and NG.
long long choiceAnswers(const SurveyDocument& doc,
                        const OneBased<OneBased<std::int32_t, TallySlots>, MaxQuestions>& tally) {
    long long n = 0;
    for (const int q : questionsInUse(doc)) {
        if (doc.ChoiceCount[q] < 2) continue;
        for (int c = 1; c <= std::min(doc.ChoiceCount[q], 8); ++c) n += tally[q][c];
        n += tally[q][NgSlot];
    }
    return n;
}

QString shareText(long long part, long long whole) {
    const auto clamp32 = [](long long v) {
        return static_cast<std::int32_t>(std::clamp<long long>(v, -2147483647, 2147483647));
    };
    return QString::number(percentOf(clamp32(part), whole == 0 ? 1 : clamp32(whole), false));
}

} // namespace

std::vector<int> questionsInUse(const SurveyDocument& doc) {
    std::vector<int> questions;
    for (int q = 1; q <= std::clamp(doc.QuestionCount, 0, MaxQuestions); ++q)
        if (questionInUse(doc, q)) questions.push_back(q);
    return questions;
}

NumericSummary numericSummary(const SurveyDocument& doc, int q) {
    NumericSummary s;
    for (int r = 1; r <= std::clamp(doc.RespondentCount, 0, MaxRespondents); ++r) {
        const std::string_view a = doc.Answers[r][q].view();
        if (a == "9") {
            ++s.ng;
        } else if (a.size() == 1 && a[0] >= '1' && a[0] <= '8') {
            ++s.answered;
            s.sum += a[0] - '0';
            ++s.values[static_cast<std::size_t>(a[0] - '0')];
        }
    }
    s.linkedSum = std::max<long long>(doc.Tally[q][1] - s.sum, 0);
    return s;
}

QString meanText(const NumericSummary& summary) {
    return QString::number(summary.mean(), 'f', 2);
}

QString numericSummaryText(const SurveyDocument& doc, int q) {
    const NumericSummary s = numericSummary(doc, q);
    QString text =
        QString::fromUtf8("n＝%1、合計 %2、平均 %3（値を入力した回答者。NG・無回答を除く）")
            .arg(s.answered)
            .arg(s.sum)
            .arg(meanText(s));
    if (s.linkedSum > 0)
        text += QString::fromUtf8("。追加集計ファイルの合計 %1 は含みません").arg(s.linkedSum);
    return text;
}

QStringList basesLines(const SurveyDocument& doc) {
    QStringList lines{
        QString::fromUtf8("回答者数（データファイル）：%1人").arg(doc.RespondentCount)};
    // Linked data files' respondents are in every count, cross table and base: say whose.
    for (const LinkedDataFile& link : doc.LinkedDataFiles)
        lines << QString::fromUtf8("結合データファイル %1：回答者 %2人")
                     .arg(paths::toQString(paths::fileNamePart(link.Path)))
                     .arg(link.Doc ? link.Doc->RespondentCount : 0);
    if (!doc.LinkedDataFiles.empty())
        lines << QString::fromUtf8("回答者数（全ファイル）：%1人").arg(totalRespondents(doc));
    const long long all = choiceAnswers(doc, doc.Tally);
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i) {
        const QString name = paths::toQString(paths::fileNamePart(doc.LinkedTallyFile[i]));
        try {
            const TallyFileCounts file =
                tallyFileCounts(doc.LinkedTallyFile[i], doc.QuestionCount, doc.ChoiceCount);
            const long long n = choiceAnswers(doc, file.Count);
            lines << QString::fromUtf8("追加集計ファイル %1：回答 %2件（全回答の %3％）")
                         .arg(name)
                         .arg(n)
                         .arg(shareText(n, all));
        } catch (const VevError&) {
            lines << QString::fromUtf8("追加集計ファイル %1：読めません").arg(name);
        }
    }
    lines << (percentBasisOf(doc) == PercentBasis::Respondents
                  ? QString::fromUtf8("割合の基数：回答者数（NGを除く。複数選択の質問は答えた"
                                      "回答者の数）")
                  : QString::fromUtf8("割合の基数：回答数（NGを除く。複数選択の質問は選ばれた"
                                      "数の合計）"));
    return lines;
}

QString questionBaseText(const SurveyDocument& doc, int q) {
    if (doc.ChoiceCount[q] == 1)
        return QString::fromUtf8("n＝%1（値を入力した回答者。NG・無回答を除く）")
            .arg(numericSummary(doc, q).answered);
    const bool people = doc.MultiSelect[q] && percentBasisOf(doc) == PercentBasis::Respondents;
    return QString::fromUtf8("n＝%1（%2）")
        .arg(percentBase(doc, q, percentBasisOf(doc)))
        .arg(people || !doc.MultiSelect[q] ? QString::fromUtf8("回答者数")
                                           : QString::fromUtf8("回答数"));
}

} // namespace vev
