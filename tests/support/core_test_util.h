#pragma once

// Small helpers shared by the core tests and the window tests: Shift-JIS literals, reading and
// writing whole files, paths of tests/data, how two documents differ. Header-only, so the core
// tests use them without linking the window support library.
#include "model/core_events.h"
#include "model/questionnaire.h"
#include "model/sjis.h"
#include "model/survey_document.h"
#include "model/vev_error.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <string>
#include <string_view>

namespace vev::test {

// The message of the VevError that action throws; empty when it throws none.
template <typename Action> QString vevErrorOf(Action&& action) {
    try {
        action();
    } catch (const VevError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

inline QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Shift-JIS bytes of a UTF-8 text.
inline QByteArray sj(const char* utf8) {
    return QByteArray::fromStdString(sjis::fromUtf8(utf8));
}

inline QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The whole file; empty when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// Writes the file whole; false when it cannot.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lines given in UTF-8, written as Shift-JIS with CR LF; false when the file cannot be written.
inline bool writeLines(const QString& path, const QStringList& lines) {
    QByteArray contents;
    for (const QString& line : lines)
        contents += QByteArray::fromStdString(sjis::fromQString(line)) + "\r\n";
    return writeFile(path, contents);
}

// A path as the document keeps it.
inline std::string native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The absolute path of a file of tests/data.
inline QString testData(const char* name) {
    return QStringLiteral(VEV_TEST_DATA "/") + QLatin1String(name);
}

// How two documents differ in what the data file and the tally would show ("" when alike): the
// questionnaire, the count, answers, tally, links. An answer never recorded ("") and "0" both
// mean unanswered, and showing a respondent (not journaled) turns one into the other.
inline QString documentDifferences(const SurveyDocument& a, const SurveyDocument& b) {
    QStringList out;
    if (!(Questionnaire::of(a) == Questionnaire::of(b))) out << QStringLiteral("qn");
    if (a.RespondentCount != b.RespondentCount)
        out << QStringLiteral("RespondentCount %1 %2")
                   .arg(a.RespondentCount)
                   .arg(b.RespondentCount);
    auto open = [](const AnswerString& s) { return s.empty() ? std::string("0") : s.str(); };
    for (int r = 1; r <= MaxRespondents; ++r)
        for (int q = 1; q <= MaxQuestions; ++q)
            if (open(a.Answers[r][q]) != open(b.Answers[r][q]))
                out << QStringLiteral("answer %1/%2").arg(r).arg(q);
    for (int q = 1; q <= MaxQuestions; ++q)
        for (int c = 1; c <= TallySlots; ++c)
            if (a.Tally[q][c] != b.Tally[q][c]) out << QStringLiteral("tally %1/%2").arg(q).arg(c);
    if (a.LinkedTallyFileCount != b.LinkedTallyFileCount) out << QStringLiteral("links");
    for (int i = 1; i <= std::min(a.LinkedTallyFileCount, b.LinkedTallyFileCount); ++i)
        if (a.LinkedTallyFile[i] != b.LinkedTallyFile[i]) out << QStringLiteral("link %1").arg(i);
    return out.join(QLatin1Char(' '));
}

// What the core reported while a test ran.
class RecordedEvents : public CoreEvents {
public:
    QStringList notices;
    int beeps = 0;
    QList<int> changed;
    void notice(const QString& text) override { notices << text; }
    void informationBeep() override { ++beeps; }
    void tallyChanged(int q) override { changed << q; }
};

} // namespace vev::test
