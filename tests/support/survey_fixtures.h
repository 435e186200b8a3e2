#pragma once

// Surveys and recording shared by the core tests and the window tests: recording an answer as
// the keying does, the small surveys several tests count, and a recount of the stored answers
// that checks the tally independently of the recording. Header-only, core only.
#include "core_test_util.h"
#include "model/recording.h"
#include "model/survey_document.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vev::test {

// Records `text` (Shift-JIS bytes) as respondent r's answer to question q, taking back what was
// stored there before.
inline void record(SurveyDocument& doc, int r, int q, std::string_view text) {
    doc.CurrentRespondent = r;
    doc.CurrentQuestion = q;
    doc.EntryBuffer = text;
    dataDEL(doc);
    dataIN(doc);
}

// Six respondents: question 1 "A" single choice (2 choices), question 2 "B" multi-select
// (3 choices), question 3 "C" numeric.
//   r1: 1, 12    r2: 2, 3    r3: 1, 0    r4: 9, 123    r5: 0, 9    r6: 2, 23
inline std::unique_ptr<SurveyDocument> smallCrossSurvey() {
    auto doc = std::make_unique<SurveyDocument>();
    doc->QuestionCount = 3;
    const char* texts[] = {"A", "B", "C"};
    const int choices[] = {2, 3, 1};
    for (int q = 1; q <= 3; ++q) {
        doc->QuestionText[q] = texts[q - 1];
        doc->ChoiceCount[q] = choices[q - 1];
    }
    doc->MultiSelect[2] = true;
    const char* answers[6][3] = {{"1", "12", "3"},  {"2", "3", "1"}, {"1", "0", "2"},
                                 {"9", "123", "0"}, {"0", "9", "4"}, {"2", "23", "5"}};
    for (int r = 1; r <= 6; ++r)
        for (int q = 1; q <= 3; ++q) record(*doc, r, q, answers[r - 1][q - 1]);
    return doc;
}

// The charts' and the report's survey "昼食アンケート", counts only (20 respondents): Q1 three
// choices (12, 7, 0; NG 1), Q2 multi-select of four (9, 14, 3, 6), Q3 numeric (sum 30, NG 2),
// Q4 without choices; Q3 as keyed: 3 by six, 2 by six, NG by two (n 12, sum 30, mean 2.50).
inline void fillLunchSurvey(SurveyDocument& doc, const std::string& dataFile) {
    doc.SurveyTitle = sjis::fromUtf8("昼食アンケート");
    doc.DataFilePath = dataFile;
    doc.RespondentCount = 20;
    doc.QuestionCount = 4;
    const char* texts[] = {"昼食の満足度", "好きな飲み物", "外食の回数", "予備"};
    const int choices[] = {3, 4, 1, 0};
    for (int q = 1; q <= 4; ++q) {
        doc.QuestionText[q] = sjis::fromUtf8(texts[q - 1]);
        doc.ChoiceCount[q] = choices[q - 1];
    }
    doc.MultiSelect[2] = true;
    doc.Tally[1][1] = 12;
    doc.Tally[1][2] = 7;
    doc.Tally[1][9] = 1;
    doc.Tally[2][1] = 9;
    doc.Tally[2][2] = 14;
    doc.Tally[2][3] = 3;
    doc.Tally[2][4] = 6;
    doc.Tally[3][1] = 30;
    doc.Tally[3][9] = 2;
    // Q3 as keyed: 3 by respondents 1-6, 2 by 7-12, NG by 13 and 14 (n 12, sum 30, mean 2.50).
    for (int r = 1; r <= 20; ++r)
        doc.Answers[r][3] = r <= 6 ? "3" : r <= 12 ? "2" : r <= 14 ? "9" : "0";
}

// Texts for the lunch survey (UTF-8), wording first, then the choices; an empty choice text
// leaves the choice bare. Characters a writer or a chart could mangle: 0x5C trail bytes (表,
// ソ), a comma, markup characters, a radical look-alike (日), full-width punctuation.
inline const std::vector<std::vector<const char*>>& lunchTexts() {
    static const std::vector<std::vector<const char*>> texts{
        {"昼食にどのくらい満足していますか（日替わり定食を含む）", "満足", "やや不満, 不満",
         "<無回答> & その他"},
        {"好きな飲み物を全て選んでください", "表示価格のお茶", "ソーダ", "", "コーヒー"}};
    return texts;
}
inline void addLunchTexts(SurveyDocument& doc) {
    for (std::size_t q = 1; q <= lunchTexts().size(); ++q) {
        const auto& texts = lunchTexts()[q - 1];
        doc.Texts.Wording[int(q)] = sjis::fromUtf8(texts[0]);
        for (std::size_t c = 1; c < texts.size(); ++c)
            doc.Texts.Choice[int(q)][int(c)] = sjis::fromUtf8(texts[c]);
    }
}

// The lines (UTF-8) of tests/data/sample.dat - Q1 two choices, Q2 six, Q3 multi-select of five -
// with its title and respondent lines replaced: the two sides of the comparison tests.
inline QStringList sampleSurveyLines(const QString& title, const QStringList& respondents) {
    return QStringList{u("VEV v1.11  (C) VEV developers"),
                       title,
                       u("質問数 ,3"),
                       u(" 1 ,性別                ,2"),
                       u(" 2 ,年代                ,6"),
                       u(" 3 ,よく使う機能        ,5　（複数選択）")} +
           respondents +
           QStringList{u("百分率：整数"), u("集計結果：同時保存"), QString(),
                       u("sample.dat  2026/12/07")};
}

// Question q's counts equal a recount of every stored answer under the question's rule: a
// choice or NG counts one, a numeric answer adds its digit. Linked files are not counted.
inline bool tallyMatchesAnswers(const SurveyDocument& doc, int q) {
    int expected[10] = {};
    for (int r = 1; r <= MaxRespondents; ++r) {
        const std::string_view a = doc.Answers[r][q].view();
        for (std::size_t i = 0; i < a.size() && i < 8 && a[i] != '0'; ++i) {
            const int d = a[i] - '0';
            if (doc.ChoiceCount[q] >= 2 || d == 9)
                ++expected[d];
            else
                expected[1] += d;
        }
    }
    for (int c = 1; c <= 9; ++c)
        if (doc.Tally[q][c] != expected[c]) return false;
    return true;
}
// Every question's counts equal that recount.
inline bool tallyMatchesAnswers(const SurveyDocument& doc) {
    for (int q = 1; q <= MaxQuestions; ++q)
        if (!tallyMatchesAnswers(doc, q)) return false;
    return true;
}

} // namespace vev::test
