// Linked data files: a survey keyed on four machines counts, writes its results, exports and
// cross-tabulates as one; the refusals; unlinking and Apply keep the counts right. Every
// expected value is counted here from the generated answers.
#include "core_test_util.h"
#include "multi_file_survey.h"

#include "analysis/cross_table.h"
#include "editor/questionnaire_apply.h"
#include "export/answer_table.h"
#include "model/data_file.h"
#include "model/linked_data.h"
#include "results/results_file.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

const std::vector<MultiQuestion> Qs = multiQuestionnaire();
const int Sizes[4] = {999, 999, 999, 503};

// The counts held in the document, in the shape of MultiTally.
MultiTally tallyOf(const SurveyDocument& doc) {
    MultiTally t(Qs.size());
    for (std::size_t q = 0; q < Qs.size(); ++q)
        for (int c = 1; c <= 9; ++c) t[q][static_cast<std::size_t>(c - 1)] = doc.Tally[int(q) + 1][c];
    return t;
}

} // namespace

class TestLinkedData : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::vector<std::vector<Respondent>> answers_;
    MultiTally expected_;

    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    std::unique_ptr<SurveyDocument> load(const char* name, RecordedEvents& events) {
        auto doc = std::make_unique<SurveyDocument>();
        doc->VersionString = VevVersion;
        doc->OpenRequestPath = native(path(name));
        if (Loaddatafile(*doc, events) != LoadOutcome::Loaded) return nullptr;
        return doc;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        const char* names[4] = {"a.dat", "b.dat", "c.dat", "d.dat"};
        for (int i = 0; i < 4; ++i) {
            answers_.push_back(randomAnswers(Qs, Sizes[i], 11u + unsigned(i)));
            addCounts(expected_, Qs, answers_.back());
            const QStringList links = i == 0 ? QStringList{u("b.dat"), u("c.dat"), u("d.dat")} : QStringList{};
            QVERIFY(writeMultiFile(path(names[i]), multiDataFile(Qs, answers_.back(), links)));
        }
    }

    // The counts, the results file and the export of the four files as one.
    void fourFilesAsOne() {
        RecordedEvents events;
        auto doc = load("a.dat", events);
        QVERIFY(doc);
        QCOMPARE(events.notices, QStringList());
        QCOMPARE(int(doc->LinkedDataFiles.size()), 3);
        QCOMPARE(totalRespondents(*doc), 3500);
        QVERIFY(!doc->Modified);
        QVERIFY(tallyOf(*doc) == expected_);

        // The results file's count lines: "n,"text",c1,...,c8,NG".
        doc->ResultsFilePath = native(path("a.csv"));
        csvhozon(*doc, QStringLiteral("2026/12/07"));
        const QList<QByteArray> lines = readAll(path("a.csv")).split('\n');
        for (std::size_t q = 0; q < Qs.size(); ++q) {
            const QList<QByteArray> cells = lines[int(q) + 3].trimmed().split(',');
            QCOMPARE(cells.size(), 11);
            for (int c = 1; c <= Qs[q].choices; ++c)
                QCOMPARE(cells[c + 1].trimmed().toLongLong(), expected_[q][std::size_t(c - 1)]);
            QCOMPARE(cells[10].trimmed().toLongLong(), expected_[q][8]);
        }

        // The export: 3,500 rows of file, id and every answer as generated.
        const AnswerTable table = answerTable(*doc);
        QCOMPARE(table.rows, 3500);
        QCOMPARE(table.variables[0].name, std::string("file"));
        QCOMPARE(table.variables[1].name, std::string("id"));
        QCOMPARE(table.fileNames, (QStringList{u("a.dat"), u("b.dat"), u("c.dat"), u("d.dat")}));
        int row = 0;
        for (int f = 0; f < 4; ++f)
            for (int r = 1; r <= Sizes[f]; ++r, ++row) {
                QCOMPARE(table.value(row, 0), f + 1);
                QCOMPARE(table.value(row, 1), r);
                const Respondent& given = answers_[std::size_t(f)][std::size_t(r - 1)];
                for (std::size_t v = 2; v < table.variables.size(); ++v) {
                    const AnswerVariable& var = table.variables[v];
                    const std::string& a = given[std::size_t(var.question - 1)];
                    int want = a == "0" ? AnswerTable::Missing : a[0] - '0';
                    if (var.kind == AnswerKind::Indicator && a != "0")
                        want = a.find(char('0' + var.choice)) != std::string::npos ? 1 : 0;
                    QCOMPARE(table.value(row, int(v)), want);
                }
            }

        // A cross table of question 1 by question 2 (multi-select): every chosen pair.
        const CrossTable cross = crossTabulate(*doc, 1, 2);
        std::int64_t want[10][10] = {};
        for (const auto& file : answers_)
            for (const Respondent& r : file) {
                const int a = r[0] == "0" ? 6 : r[0] == "9" ? 7 : r[0][0] - '0';
                if (r[1] == "0") ++want[a - 1][4];
                for (const char c : r[1])
                    if (c != '0') ++want[a - 1][c - '1'];
            }
        for (int a = 0; a < 7; ++a)
            for (int b = 0; b < 6; ++b) QCOMPARE(std::int64_t(cross.count[a][b]), want[a][b]);
    }

    // Unlinking takes out exactly the file's share; saving writes the links back last.
    void unlinkAndSave() {
        RecordedEvents events;
        auto doc = load("a.dat", events);
        QVERIFY(doc);
        QVERIFY(unlinkDataFile(*doc, doc->LinkedDataFiles[1].Path, events));
        QVERIFY(doc->Modified);
        MultiTally without;
        addCounts(without, Qs, answers_[0]);
        addCounts(without, Qs, answers_[1]);
        addCounts(without, Qs, answers_[3]);
        QVERIFY(tallyOf(*doc) == without);
        QVERIFY(!unlinkDataFile(*doc, native(path("c.dat")), events));

        const std::string saved = dataFileContents(*doc, QStringLiteral("2026/12/07"));
        const std::string tail = sjis::fromUtf8("集計結果：別に保存\r\n結合データ,b.dat\r\n"
                                                "結合データ,d.dat\r\n\r\n");
        QVERIFY(saved.find(tail) != std::string::npos);
    }

    // Apply records the linked answers again under the new rules: question 1 cut to three
    // choices turns the answers 4 and 5 of every file into NG.
    void applyRecountsLinkedAnswers() {
        RecordedEvents events;
        auto doc = load("a.dat", events);
        QVERIFY(doc);
        Questionnaire edited = Questionnaire::of(*doc);
        edited.ChoiceCount[1] = 3;
        applyQuestionnaire(*doc, edited, events);
        MultiTally want = expected_;
        want[0][8] += want[0][3] + want[0][4];
        want[0][3] = want[0][4] = 0;
        QVERIFY(tallyOf(*doc) == want);
        QCOMPARE(doc->LinkedDataFiles[2].Doc->ChoiceCount[1], 3);
    }

    void refusals_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("says");
        QTest::newRow("self") << u("a.dat") << int(DataLinkRefusal::Self) << u("自身");
        QTest::newRow("already linked") << u("b.dat") << int(DataLinkRefusal::AlreadyLinked)
                                        << u("既に結合済み");
        QTest::newRow("choices differ") << u("other.dat") << int(DataLinkRefusal::OtherQuestionnaire)
                                        << u("質問2の選択肢の数が違います。");
        QTest::newRow("title differs") << u("title.dat") << int(DataLinkRefusal::OtherQuestionnaire)
                                       << u("アンケート名が違います。");
        QTest::newRow("links data files") << u("chain.dat") << int(DataLinkRefusal::LinksDataFiles)
                                          << u("二重に数える");
        QTest::newRow("not a data file") << u("junk.dat") << int(DataLinkRefusal::Unreadable)
                                         << u("アンケートファイルではありません");
        QTest::newRow("texts may differ") << u("texts.dat") << int(DataLinkRefusal::None) << QString();
    }
    void refusals() {
        QFETCH(QString, file);
        QFETCH(int, refusal);
        QFETCH(QString, says);
        std::vector<MultiQuestion> other = Qs;
        other[1].choices = 5;
        const std::vector<Respondent> few = randomAnswers(Qs, 3, 5);
        QVERIFY(writeMultiFile(path("other.dat"), multiDataFile(other, few)));
        QVERIFY(writeMultiFile(path("title.dat"), multiDataFile(Qs, few, {}, "Another")));
        QVERIFY(writeMultiFile(path("chain.dat"), multiDataFile(Qs, few, {u("b.dat")})));
        QVERIFY(writeMultiFile(path("junk.dat"), "hello\r\n"));
        QByteArray texts = multiDataFile(Qs, few);
        texts.replace("Question 1,", "Question one,");
        QVERIFY(writeMultiFile(path("texts.dat"), texts));

        RecordedEvents events;
        auto doc = load("a.dat", events);
        QVERIFY(doc);
        const DataLinkCandidate c = readDataLink(*doc, native(path(file.toUtf8().constData())));
        QCOMPARE(int(c.Refusal), refusal);
        QCOMPARE(c.Link.Doc != nullptr, refusal == int(DataLinkRefusal::None));
        if (refusal != int(DataLinkRefusal::None)) {
            QVERIFY2(c.Message.startsWith(file + u("は結合できません。\r")), qPrintable(c.Message));
            QVERIFY2(c.Message.contains(says), qPrintable(c.Message));
        }
    }

    // A linked file gone or changed since it was linked is reported at load and left out; the
    // survey is then modified, so the next save drops its line.
    void goneOrChangedAtLoad() {
        const std::vector<Respondent> few = randomAnswers(Qs, 4, 9);
        std::vector<MultiQuestion> changed = Qs;
        changed[0].choices = 4;
        QVERIFY(writeMultiFile(path("e.dat"), multiDataFile(changed, few)));
        QVERIFY(writeMultiFile(path("f.dat"), multiDataFile(Qs, answers_[3], {u("gone.dat"), u("e.dat"), u("d.dat")})));
        RecordedEvents events;
        auto doc = load("f.dat", events);
        QVERIFY(doc);
        QCOMPARE(events.notices.size(), 2);
        QVERIFY(events.notices[0].contains(u("gone.datが見つかりません。")));
        QVERIFY(events.notices[1].startsWith(u("e.datは結合できません。")));
        QVERIFY(events.notices[1].contains(u("質問1の選択肢の数が違います。")));
        QCOMPARE(int(doc->LinkedDataFiles.size()), 1);
        MultiTally twice;
        addCounts(twice, Qs, answers_[3]);
        addCounts(twice, Qs, answers_[3]);
        QVERIFY(tallyOf(*doc) == twice);
        QVERIFY(doc->Modified);
    }
};

QTEST_GUILESS_MAIN(TestLinkedData)
#include "tst_linked_data.moc"
