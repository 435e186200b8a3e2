#include "double_entry/double_entry.h"

#include "model/csv_writer.h"
#include "model/data_file.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"
#include "model/vev_error.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// "" and "0" are both no answer.
std::string_view normalAnswer(std::string_view stored) {
    return stored.empty() ? std::string_view("0") : stored;
}

// Notices of the loader kept for the refusal; linking notices are not the comparison's concern.
class KeptNotices : public CoreEvents {
public:
    QString last;
    void notice(const QString& text) override { last = text; }
    void informationBeep() override {}
    void tallyChanged(int) override {}
};

// Answers of a's respondent ra and b's respondent rb that agree, over the keyed questions.
int agreeing(const SurveyDocument& a, int ra, const SurveyDocument& b, int rb, const int* keyed,
             int keyedCount) {
    int same = 0;
    for (int i = 0; i < keyedCount; ++i)
        same += normalAnswer(a.Answers[ra][keyed[i]].view()) ==
                normalAnswer(b.Answers[rb][keyed[i]].view());
    return same;
}

// The first respondent j from which s's rows agree with l's next ones (s[j] with l[j+1]): l has
// a paper s lacks just before, or s skipped one. A shift holds at j when row j agrees better
// with l's next row than with its own, and over a window of rows from j (at least 3, and enough
// for 12 answers) the next rows agree on 90% of the answers or more, at least a quarter of the
// answers more than the own rows do, with 8 answers at least to judge by. 0 when none holds.
int shiftStart(const SurveyDocument& s, int inS, const SurveyDocument& l, int inL, const int* keyed,
               int keyedCount) {
    const int last = std::min(inS, inL - 1);
    if (keyedCount == 0 || last < 1) return 0;
    std::vector<int> shifted(static_cast<std::size_t>(last) + 1);
    std::vector<int> own(static_cast<std::size_t>(last) + 1);
    for (int j = 1; j <= last; ++j) {
        shifted[j] = agreeing(s, j, l, j + 1, keyed, keyedCount);
        own[j] = agreeing(s, j, l, j, keyed, keyedCount);
    }
    const int window = std::max(3, (12 + keyedCount - 1) / keyedCount);
    for (int j = 1; j <= last; ++j) {
        if (shifted[j] <= own[j]) continue;
        long next = 0, same = 0;
        const int end = std::min(last, j + window - 1);
        for (int i = j; i <= end; ++i) {
            next += shifted[i];
            same += own[i];
        }
        const long answers = static_cast<long>(end - j + 1) * keyedCount;
        if (answers >= 8 && next * 10 >= answers * 9 && (next - same) * 4 >= answers) return j;
    }
    return 0;
}

} // namespace

Comparison compareSurveys(const SurveyDocument& a, const SurveyDocument& b, const QString& nameA,
                          const QString& nameB) {
    Comparison c;
    c.QuestionnaireDifference = questionnaireDifference(a, b, nameA, nameB);
    if (!c.questionnairesMatch()) return c;

    // The rows an operator keys; a slot without choices is hidden and never keyed.
    int keyed[MaxQuestions];
    int keyedCount = 0;
    for (int q = 1; q <= std::min(a.QuestionCount, MaxQuestions); ++q)
        if (a.ChoiceCount[q] >= 1) keyed[keyedCount++] = q;

    const int inA = std::clamp(a.RespondentCount, 0, MaxRespondents);
    const int inB = std::clamp(b.RespondentCount, 0, MaxRespondents);
    const int both = std::min(inA, inB);
    // Counted first, so that the rows are allocated once even when every answer differs.
    std::size_t differing = 0;
    for (int r = 1; r <= both; ++r)
        for (int i = 0; i < keyedCount; ++i)
            differing += normalAnswer(a.Answers[r][keyed[i]].view()) !=
                         normalAnswer(b.Answers[r][keyed[i]].view());
    c.Differences.reserve(differing + static_cast<std::size_t>(std::abs(inA - inB)));
    for (int r = 1; r <= both; ++r) {
        const auto& rowA = a.Answers[r];
        const auto& rowB = b.Answers[r];
        for (int i = 0; i < keyedCount; ++i) {
            const int q = keyed[i];
            if (normalAnswer(rowA[q].view()) == normalAnswer(rowB[q].view())) continue;
            AnswerDifference& d = c.Differences.emplace_back();
            d.Respondent = r;
            d.Question = q;
            d.AnswerA = rowA[q];
            d.AnswerB = rowB[q];
        }
    }
    c.RespondentsCompared = both;
    c.AnswersCompared = static_cast<long>(both) * keyedCount;
    c.AnswersDiffering = static_cast<long>(c.Differences.size());
    for (int r = both + 1; r <= std::max(inA, inB); ++r) {
        AnswerDifference& d = c.Differences.emplace_back();
        d.Respondent = r;
        d.OnlyIn = inA > inB ? 'A' : 'B';
    }
    c.OnlyInA = std::max(inA - inB, 0);
    c.OnlyInB = std::max(inB - inA, 0);
    c.AnswersOneSided = static_cast<long>(c.OnlyInA + c.OnlyInB) * keyedCount;
    // B one paper ahead of A (A skipped one, or B has one more), or A one ahead of B; the
    // earlier of the two is named.
    const int bAhead = shiftStart(a, inA, b, inB, keyed, keyedCount);
    const int aAhead = shiftStart(b, inB, a, inA, keyed, keyedCount);
    c.ShiftFrom =
        (bAhead == 0 || aAhead == 0) ? std::max(bAhead, aAhead) : std::min(bAhead, aAhead);
    return c;
}

QString answerText(std::string_view stored) {
    stored = normalAnswer(stored);
    if (stored == "0") return u8("無回答");
    if (stored == "9") return QStringLiteral("NG");
    return QString::fromLatin1(stored.data(), static_cast<qsizetype>(stored.size()));
}

QString agreementText(const Comparison& c) {
    if (c.AnswersCompared == 0) return u8("照合した回答がありません");
    const long long tenths = (c.AnswersCompared - c.AnswersDiffering) * 1000LL /
                             static_cast<long long>(c.AnswersCompared + c.AnswersOneSided);
    return QStringLiteral("%1.%2%").arg(tenths / 10).arg(tenths % 10);
}

QString shiftText(const Comparison& c) {
    if (c.ShiftFrom == 0) return {};
    return u8("回答者%1以降が1人ずれている可能性があります").arg(c.ShiftFrom);
}

QStringList comparisonSummary(const Comparison& c) {
    QStringList lines{
        u8("照合した回答者：%1人").arg(c.RespondentsCompared),
        u8("照合した回答：%1件").arg(c.AnswersCompared),
        u8("相違：%1件").arg(c.AnswersDiffering),
        u8("一方のファイルだけの回答者：%1人").arg(c.OnlyInA + c.OnlyInB),
        c.AnswersCompared == 0 ? agreementText(c) : u8("一致率：") + agreementText(c),
    };
    if (c.ShiftFrom != 0) lines << shiftText(c);
    return lines;
}

QString oneSidedText() {
    return u8("一方のファイルだけにある回答者");
}
QString presentText() {
    return u8("回答あり");
}
QString absentText() {
    return u8("回答者なし");
}

QByteArray differencesReport(const Comparison& c, const SurveyDocument& a) {
    CsvWriter csv(true);
    csv.record({u8("回答者番号"), u8("質問番号"), u8("質問内容"), u8("Aの回答"), u8("Bの回答")});
    for (const AnswerDifference& d : c.Differences) {
        csv.field(d.Respondent);
        if (d.Question == 0) {
            csv.emptyField().field(oneSidedText());
            csv.field(d.OnlyIn == 'A' ? presentText() : absentText());
            csv.field(d.OnlyIn == 'B' ? presentText() : absentText());
        } else {
            csv.field(d.Question).field(sjis::toQString(a.QuestionText[d.Question].view()));
            csv.field(answerText(d.AnswerA)).field(answerText(d.AnswerB));
        }
        csv.endRecord();
    }
    return csv.bytes();
}

SurveyForComparison readSurveyForComparison(const std::string& path) {
    SurveyForComparison out;
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->OpenRequestPath = path;
    KeptNotices notices;
    try {
        if (Loaddatafile(*doc, notices) != LoadOutcome::Loaded) {
            out.Refusal = notices.last;
            return out;
        }
    } catch (const VevError& e) {
        out.Refusal =
            e.systemError() != 0
                ? QString::fromUtf8(withFullStop(
                      fileFailureText("データファイルを読み込めません", path, e.systemError())))
                : paths::toQString(paths::fileNamePart(path)) + u8("を読み込めません。\n") +
                      QString::fromUtf8(withFullStop(e.what()));
        return out;
    }
    out.Doc = std::move(doc);
    return out;
}

std::unique_ptr<SurveyDocument> secondEntryDocument(const SurveyDocument& doc,
                                                    const std::string& path) {
    auto copy = std::make_unique<SurveyDocument>();
    copy->VersionString = doc.VersionString.empty() ? ShortString(VevVersion) : doc.VersionString;
    copy->SurveyTitle = doc.SurveyTitle;
    copy->QuestionCount = doc.QuestionCount;
    copy->QuestionText = doc.QuestionText;
    copy->ChoiceCount = doc.ChoiceCount;
    copy->MultiSelect = doc.MultiSelect;
    copy->Texts = doc.Texts;
    copy->WWrite = doc.WWrite;
    copy->Frac1 = doc.Frac1;
    copy->DataFilePath = path;
    return copy;
}

void writeSecondEntryFile(const SurveyDocument& doc, const std::string& path,
                          const QString& shortDate) {
    writeTextFile(path, dataFileContents(*secondEntryDocument(doc, path), shortDate));
}

std::string secondEntryFileName(const SurveyDocument& doc) {
    std::string stem = doc.DataFilePath.empty() ? sjis::toNativePath(doc.SurveyTitle.view())
                                                : paths::withExtension(doc.DataFilePath, "");
    if (paths::fileNamePart(stem).empty()) stem += "vev";
    return stem + "_2.dat";
}

} // namespace vev
