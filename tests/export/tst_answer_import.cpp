// Answers from CSV: the preview refuses bad rows with their line numbers and changes nothing;
// the import adds the accepted rows only, through recording; export, import into a blank copy
// and compare agree completely.
#include "core_test_util.h"
#include "multi_file_survey.h"

#include "double_entry/double_entry.h"
#include "export/answer_csv.h"
#include "export/answer_import.h"
#include "export/answer_table.h"
#include "model/data_file.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

const std::vector<MultiQuestion> Qs = multiQuestionnaire();

// A survey of `count` generated respondents, loaded as the window loads it.
std::unique_ptr<SurveyDocument> survey(const QTemporaryDir& dir, int count) {
    const QString path = dir.filePath(QStringLiteral("s%1.dat").arg(count));
    if (!writeMultiFile(path, multiDataFile(Qs, randomAnswers(Qs, count, 3)))) return nullptr;
    auto doc = std::make_unique<SurveyDocument>();
    doc->VersionString = VevVersion;
    doc->OpenRequestPath = native(path);
    SilentEvents events;
    if (Loaddatafile(*doc, events) != LoadOutcome::Loaded) return nullptr;
    return doc;
}

} // namespace

class TestAnswerImport : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void roundTrip() {
        auto doc = survey(dir_, 999);
        QVERIFY(doc);
        const QByteArray csv = answersCsv(answerTable(*doc), /*byteOrderMark=*/true);
        auto blank = secondEntryDocument(*doc, native(dir_.filePath(QStringLiteral("b.dat"))));
        const ImportPreview preview = previewAnswerImport(*blank, csv);
        QCOMPARE(int(preview.Refused.size()), 0);
        QCOMPARE(preview.added(), 999);
        RecordedEvents events;
        const ImportedRange range = applyAnswerImport(*blank, preview, events);
        QCOMPARE(range.First, 1);
        QCOMPARE(range.Last, 999);
        const Comparison c = compareSurveys(*doc, *blank);
        QVERIFY(c.agree());
        QCOMPARE(agreementText(c), QStringLiteral("100.0%"));
        QVERIFY(blank->Tally == doc->Tally);
        QVERIFY(blank->Modified);
        QCOMPARE(events.changed.size(), int(Qs.size()));

        undoAnswerImport(*blank, range, events);
        QCOMPARE(blank->RespondentCount, 0);
        QVERIFY(blank->Tally == SurveyDocument().Tally);
    }

    // Questions: 1 single of 5, 2 multi of 4, 3 numeric, 4 single of 3, 5 multi of 8, 6 of 2.
    void refusedRows_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("start"); // respondents already in the survey
        QTest::addColumn<QStringList>("added");   // the answers added, "q1 q2 ... q6" each
        QTest::addColumn<QList<int>>("lines");    // the refused rows
        QTest::addColumn<QString>("reason");      // said by the first refusal
        QTest::newRow("out of range") << QByteArray("id,q1,q2_1,q2_2,q3\r\n1,6,1,,4\r\n2,5,0,1,\r\n")
                                      << 0 << QStringList{u("5 2 0 0 0 0")} << QList<int>{2}
                                      << u("q1：値「6」は範囲外です（1～5、9）。");
        QTest::newRow("indicator not 0 1 9") << QByteArray("q2_1,q2_3\r\n2,1\r\n9,\r\n1,1\r\n")
                                             << 0 << QStringList{u("0 9 0 0 0 0"), u("0 13 0 0 0 0")}
                                             << QList<int>{2} << u("q2_1：値「2」");
        QTest::newRow("multi digits in one column, sjis")
            << QByteArray("file,q2,q5,q6\n" + sj("札幌.dat") + ",31,86,2\n,,,\n,5,,\n") << 0
            << QStringList{u("0 13 0 0 68 2")} << QList<int>{3, 4} << u("回答がありません。");
        QTest::newRow("unknown column refuses the file")
            << QByteArray("id,q1,q7\r\n1,1,1\r\n") << 0 << QStringList{} << QList<int>{1}
            << u("列「q7」はこのアンケートにありません。");
        QTest::newRow("unheaded field") << QByteArray("q1\r\n1,2\r\n\"2\"\r\n") << 0
                                        << QStringList{u("2 0 0 0 0 0")} << QList<int>{2}
                                        << u("見出しのない列");
        QTest::newRow("beyond 999") << QByteArray("q4\r\n1\r\n2\r\n3\r\n") << 997
                                    << QStringList{u("0 0 0 1 0 0"), u("0 0 0 2 0 0")}
                                    << QList<int>{4} << u("999人を超える");
    }
    void refusedRows() {
        QFETCH(QByteArray, csv);
        QFETCH(int, start);
        QFETCH(QStringList, added);
        QFETCH(QList<int>, lines);
        QFETCH(QString, reason);
        auto doc = survey(dir_, start);
        QVERIFY(doc);
        const auto before = doc->Tally;
        const ImportPreview preview = previewAnswerImport(*doc, csv);
        QVERIFY(doc->Tally == before); // nothing added before it is confirmed
        QCOMPARE(doc->RespondentCount, start);
        QList<int> refusedLines;
        for (const ImportRefusal& r : preview.Refused) refusedLines << r.Line;
        QCOMPARE(refusedLines, lines);
        QVERIFY2(preview.Refused[0].Reason.contains(reason), qPrintable(preview.Refused[0].Reason));
        QCOMPARE(preview.added(), int(added.size()));

        SilentEvents events;
        applyAnswerImport(*doc, preview, events);
        QCOMPARE(doc->RespondentCount, start + int(added.size()));
        MultiTally want;
        std::vector<Respondent> rows;
        for (int r = 1; r <= start; ++r) {
            rows.emplace_back();
            for (int q = 1; q <= int(Qs.size()); ++q) rows.back().push_back(std::string(doc->Answers[r][q].view()));
        }
        for (const QString& row : added) {
            rows.emplace_back();
            for (const QString& a : row.split(QLatin1Char(' '))) rows.back().push_back(a.toStdString());
        }
        for (int i = 0; i < int(added.size()); ++i)
            for (int q = 1; q <= int(Qs.size()); ++q)
                QCOMPARE(std::string(doc->Answers[start + 1 + i][q].view()),
                         rows[std::size_t(start + i)][std::size_t(q - 1)]);
        addCounts(want, Qs, rows);
        for (int q = 1; q <= int(Qs.size()); ++q)
            for (int c = 1; c <= 9; ++c)
                QCOMPARE(std::int64_t(doc->Tally[q][c]), want[std::size_t(q - 1)][std::size_t(c - 1)]);
    }
};

QTEST_GUILESS_MAIN(TestAnswerImport)
#include "tst_answer_import.moc"
