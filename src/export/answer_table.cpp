#include "export/answer_table.h"

#include "model/linked_data.h"
#include "model/respondent_set.h"
#include "model/sjis.h"
#include "model/vev_error.h"

#include <algorithm>
#include <string_view>

namespace vev {

QString noQuestionnaireMessage() {
    return QString::fromUtf8("書き出す質問がありません。アンケートを開いてください。");
}

QString noRespondentsMessage() {
    return QString::fromUtf8("書き出す回答がありません。回答を入力してください。");
}

namespace {

bool isChoiceDigit(char c) {
    return c >= '1' && c <= '9';
}

// Whether the answer holds two or more choices ("135").
bool severalChoices(std::string_view answer) {
    return std::count_if(answer.begin(), answer.end(), isChoiceDigit) >= 2;
}

bool unanswered(std::string_view answer) {
    return answer.empty() || answer == "0";
}

// A one-digit answer's value ("9" is NG); Missing for an open answer or anything else.
int oneDigit(std::string_view answer) {
    if (answer.size() == 1 && isChoiceDigit(answer[0])) return answer[0] - '0';
    return AnswerTable::Missing;
}

AnswerKind kindOf(const RespondentSet& set, int q) {
    const SurveyDocument& doc = set.file(0);
    if (doc.ChoiceCount[q] == 1) return AnswerKind::Numeric;
    if (doc.MultiSelect[q]) return AnswerKind::Indicator;
    bool several = false;
    set.forEach([&several, q](int, int, const auto& answers) {
        several = several || severalChoices(answers[q].view());
    });
    return several ? AnswerKind::Indicator : AnswerKind::SingleChoice;
}

} // namespace

void checkExportable(const SurveyDocument& doc) {
    bool anyInUse = false;
    for (int q = 1; q <= std::min(doc.QuestionCount, MaxQuestions); ++q)
        anyInUse = anyInUse || doc.ChoiceCount[q] > 0;
    if (!anyInUse) throw VevError(noQuestionnaireMessage().toStdString());
    if (totalRespondents(doc) < 1) throw VevError(noRespondentsMessage().toStdString());
}

AnswerTable answerTable(const SurveyDocument& doc) {
    checkExportable(doc);

    const RespondentSet respondents(doc);
    AnswerTable table;
    table.title = sjis::toQString(doc.SurveyTitle.view());
    table.rows = respondents.total();
    if (respondents.hasLinkedFiles()) {
        table.variables.push_back(
            {"file", QString::fromUtf8("データファイル"), {}, AnswerKind::File, 0, 0, 0});
        for (int i = 0; i < respondents.fileCount(); ++i)
            table.fileNames << respondents.fileName(i);
    }
    table.variables.push_back({"id", QString::fromUtf8("回答者番号"), {}, AnswerKind::Id, 0, 0, 0});
    const int questions = std::min(doc.QuestionCount, MaxQuestions);
    for (int q = 1; q <= questions; ++q) {
        if (doc.ChoiceCount[q] == 0) continue; // unused: nothing was keyed for it
        const QString text = sjis::toQString(doc.QuestionText[q].view());
        const std::string name = "q" + std::to_string(q);
        const AnswerKind kind = kindOf(respondents, q);
        const int choices = doc.ChoiceCount[q];
        // The choices' texts (numeric questions have values, not choices).
        std::vector<std::pair<int, QString>> texts;
        for (int c = 1; choices > 1 && c <= std::min(choices, MaxTextChoices); ++c)
            if (!doc.Texts.Choice[q][c].empty())
                texts.emplace_back(c, sjis::toQString(doc.Texts.Choice[q][c].view()));
        if (kind != AnswerKind::Indicator) {
            const auto& wording = doc.Texts.Wording[q];
            table.variables.push_back({name,
                                       wording.empty() ? text : sjis::toQString(wording.view()),
                                       kind == AnswerKind::SingleChoice ? texts : decltype(texts){},
                                       kind, q, 0, choices});
            continue;
        }
        AnswerSet set{"$" + name, text, q, static_cast<int>(table.variables.size()), choices};
        for (int c = 1; c <= choices; ++c) {
            const auto own = std::find_if(texts.begin(), texts.end(),
                                          [c](const auto& t) { return t.first == c; });
            decltype(texts) zeroOne;
            if (!texts.empty())
                zeroOne = {{0, QString::fromUtf8("非選択")}, {1, QString::fromUtf8("選択")}};
            table.variables.push_back({name + "_" + std::to_string(c),
                                       text + QStringLiteral(": ") +
                                           (own != texts.end() ? own->second : QString::number(c)),
                                       std::move(zeroOne), kind, q, c, choices});
        }
        table.sets.push_back(std::move(set));
    }

    table.values.reserve(static_cast<std::size_t>(table.rows) * table.variables.size());
    respondents.forEach([&table](int file, int r, const auto& answers) {
        for (const AnswerVariable& v : table.variables) {
            if (v.kind == AnswerKind::File || v.kind == AnswerKind::Id) {
                table.values.push_back(v.kind == AnswerKind::File ? file + 1 : r);
                continue;
            }
            const std::string_view answer = answers[v.question].view();
            if (v.kind != AnswerKind::Indicator) {
                table.values.push_back(oneDigit(answer));
            } else if (unanswered(answer)) {
                table.values.push_back(AnswerTable::Missing);
            } else if (answer == "9") {
                table.values.push_back(AnswerTable::NgValue);
            } else {
                const char digit = static_cast<char>('0' + v.choice);
                table.values.push_back(answer.find(digit) == std::string_view::npos ? 0 : 1);
            }
        }
    });
    return table;
}

} // namespace vev
