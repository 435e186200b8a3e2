#pragma once

// A survey keyed on several machines, built outside the program: seeded random answers, the
// data files written here line by line (not by the program's writer) and the counts worked out
// here from the answers, so that the core's loading, linking and outputs are checked against an
// independent count. Header-only: the core tests and the benchmarks share it.
#include "model/sjis.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vev::test {

struct MultiQuestion {
    int choices = 0;
    bool multi = false;
};

// The questionnaire: single choice, multi-select, numeric, single choice, multi-select,
// yes/no; `wide` repeats it to 40 questions.
inline std::vector<MultiQuestion> multiQuestionnaire(bool wide = false) {
    const std::vector<MultiQuestion> six{{5, false}, {4, true}, {1, false},
                                         {3, false}, {8, true}, {2, false}};
    std::vector<MultiQuestion> out;
    for (int q = 0; q < (wide ? 40 : 6); ++q) out.push_back(six[static_cast<std::size_t>(q % 6)]);
    return out;
}

using Respondent = std::vector<std::string>; // answer of question q at q - 1; "0" unanswered

// Seeded answers of every kind: choices, NG ("9"), unanswered, several choices of a
// multi-select question (never NG there: the export cannot tell NG from unanswered), numbers.
inline std::vector<Respondent> randomAnswers(const std::vector<MultiQuestion>& qs, int count,
                                             unsigned seed) {
    std::mt19937 random(seed);
    const auto below = [&random](int n) { return static_cast<int>(random() % unsigned(n)); };
    std::vector<Respondent> out(static_cast<std::size_t>(count));
    for (Respondent& r : out) {
        bool any = false;
        for (const MultiQuestion& q : qs) {
            std::string a;
            const int roll = below(20);
            if (roll == 0) {
                a = "0";
            } else if (q.multi) {
                for (int c = 1; c <= q.choices; ++c)
                    if (below(3) == 0) a += static_cast<char>('0' + c);
                if (a.empty()) a = "1";
            } else if (roll == 1) {
                a = "9";
            } else {
                a = std::string(1, static_cast<char>('0' + 1 + below(q.choices < 2 ? 8 : q.choices)));
            }
            any = any || a != "0";
            r.push_back(a);
        }
        if (!any) r[0] = "1"; // an all-open respondent is not counted by the program
    }
    return out;
}

// The data file as the program writes one, in Shift-JIS; `links` become the data-link lines.
inline QByteArray multiDataFile(const std::vector<MultiQuestion>& qs,
                                const std::vector<Respondent>& answers,
                                const QStringList& links = {}, const char* title = "Multi") {
    std::string out = "VEV v1.11  (C) VEV developers\r\n";
    out += title;
    out += "\r\n" + sjis::fromUtf8("質問数 ,") + std::to_string(qs.size()) + "\r\n";
    for (std::size_t q = 0; q < qs.size(); ++q) {
        out += (q + 1 < 10 ? " " : "") + std::to_string(q + 1) + " ,Question " +
               std::to_string(q + 1) + "," + std::to_string(qs[q].choices);
        if (qs[q].multi) out += sjis::fromUtf8("　（複数選択）");
        out += "\r\n";
    }
    for (std::size_t r = 0; r < answers.size(); ++r) {
        std::string number = std::to_string(r + 1);
        out += std::string(3 - number.size(), ' ') + number + "  ";
        for (const std::string& a : answers[r]) out += "," + a;
        out += "\r\n";
    }
    out += sjis::fromUtf8("百分率：整数\r\n集計結果：別に保存\r\n");
    for (const QString& link : links) out += sjis::fromUtf8("結合データ,") + link.toStdString() + "\r\n";
    out += "\r\nmulti.dat  2026/12/07\r\n";
    return QByteArray::fromStdString(out);
}

inline bool writeMultiFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Counts as the results file shows them: [q - 1][c - 1] for c = 1..8, [q - 1][8] NG. A
// numeric question sums its digits in c = 1.
using MultiTally = std::vector<std::array<std::int64_t, 9>>;
inline void addCounts(MultiTally& tally, const std::vector<MultiQuestion>& qs,
                      const std::vector<Respondent>& answers) {
    tally.resize(qs.size());
    for (const Respondent& r : answers)
        for (std::size_t q = 0; q < qs.size(); ++q)
            for (const char c : r[q]) {
                if (c == '0') continue;
                if (c == '9') ++tally[q][8];
                else if (qs[q].choices < 2) tally[q][0] += c - '0';
                else ++tally[q][static_cast<std::size_t>(c - '1')];
            }
}

} // namespace vev::test
