// The per-respondent export: the table's rules, the CSV pair against hand-written files, the
// .sav read back with ReadStat's own reader, and refusals that write nothing.
#include "core_test_util.h"
#include "export/answer_csv.h"
#include "export/answer_export.h"
#include "export/answer_table.h"
#include "export/sav_writer.h"
#include "model/data_file.h"
#include "model/recording.h"
#include "model/sjis.h"
#include "model/vev_error.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <readstat.h>

#include <cmath>
#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

constexpr int M = AnswerTable::Missing;

// tests/data/export.dat: 性別 (2 choices), 年代 (6), よく使う"機能" (5, multi-select), 満足度
// (numeric); six respondents with unanswered and NG answers in every kind.
std::unique_ptr<SurveyDocument> fixture() {
    auto doc = std::make_unique<SurveyDocument>();
    doc->OpenRequestPath = native(testData("export.dat"));
    SilentEvents events;
    if (Loaddatafile(*doc, events) != LoadOutcome::Loaded) return nullptr;
    return doc;
}

// The answers of the fixture by hand (id first; M where the value is missing).
const QList<QList<int>> FixtureRows = {
    {1, 1, 3, 1, 0, 1, 0, 1, 5}, {2, 2, 9, M, M, M, M, M, 9}, {3, 1, 2, 9, 9, 9, 9, 9, M},
    {4, M, 3, 0, 1, 0, 1, 0, 3}, {5, 2, 3, 0, 0, 0, 0, 1, 8}, {6, 1, 6, 1, 1, 1, 1, 1, 1},
};

// What ReadStat's reader finds in a .sav file.
struct SavVariable {
    QString name, label, labelSet;
    readstat_measure_t measure = READSTAT_MEASURE_UNKNOWN;
    QList<double> missing; // user-missing values (ranges of one value)
};
struct SavContents {
    QString fileLabel, encoding;
    int rows = -1;
    QList<SavVariable> variables;
    QMap<QString, QMap<double, QString>> valueLabels; // label set -> value -> label
    QList<QList<int>> values;                         // M for system-missing
};

SavContents readSav(const QString& path) {
    SavContents sav;
    readstat_parser_t* parser = readstat_parser_init();
    readstat_set_metadata_handler(parser, [](readstat_metadata_t* m, void* ctx) {
        auto* s = static_cast<SavContents*>(ctx);
        s->fileLabel = QString::fromUtf8(readstat_get_file_label(m));
        s->encoding = QString::fromUtf8(readstat_get_file_encoding(m));
        s->rows = readstat_get_row_count(m);
        return int(READSTAT_HANDLER_OK);
    });
    readstat_set_variable_handler(parser, [](int, readstat_variable_t* v, const char* labels,
                                             void* ctx) {
        SavVariable var;
        var.name = QString::fromUtf8(readstat_variable_get_name(v));
        var.label = QString::fromUtf8(readstat_variable_get_label(v));
        var.labelSet = QString::fromUtf8(labels ? labels : "");
        var.measure = readstat_variable_get_measure(v);
        for (int i = 0; i < readstat_variable_get_missing_ranges_count(v); ++i) {
            const double lo = readstat_double_value(readstat_variable_get_missing_range_lo(v, i));
            const double hi = readstat_double_value(readstat_variable_get_missing_range_hi(v, i));
            if (lo == hi) var.missing << lo;
        }
        static_cast<SavContents*>(ctx)->variables << var;
        return int(READSTAT_HANDLER_OK);
    });
    readstat_set_value_label_handler(
        parser, [](const char* set, readstat_value_t value, const char* label, void* ctx) {
            static_cast<SavContents*>(ctx)
                ->valueLabels[QString::fromUtf8(set)][readstat_double_value(value)] =
                QString::fromUtf8(label);
            return int(READSTAT_HANDLER_OK);
        });
    readstat_set_value_handler(
        parser, [](int row, readstat_variable_t* v, readstat_value_t value, void* ctx) {
            auto* s = static_cast<SavContents*>(ctx);
            while (s->values.size() <= row) s->values.append(QList<int>());
            const double d = readstat_double_value(value);
            s->values[row] << (readstat_value_is_system_missing(value) || std::isnan(d)
                                   ? M
                                   : static_cast<int>(d));
            Q_UNUSED(v);
            return int(READSTAT_HANDLER_OK);
        });
    const QByteArray file = QFile::encodeName(path);
    const readstat_error_t error = readstat_parse_sav(parser, file.constData(), &sav);
    readstat_parser_free(parser);
    if (error != READSTAT_OK) sav.rows = -2;
    return sav;
}

QStringList L(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) list << QString::fromUtf8(t);
    return list;
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestAnswerExport : public QObject {
    Q_OBJECT

private slots:
    // Every stored answer form, by kind, becomes its value (question 2; question 1 is filler).
    void answerValues_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("values"); // row by row, the question's variables only

        QTest::newRow("single choice: choice, NG, unanswered, never recorded")
            << 3 << false << L({"2", "9", "0", ""}) << L({"q2"}) << QList<int>{2, 9, M, M};
        QTest::newRow("numeric: digit, NG, unanswered")
            << 1 << false << L({"7", "9", "0"}) << L({"q2"}) << QList<int>{7, 9, M};
        QTest::newRow("unused (no choices): no variable")
            << 0 << false << L({"4", "0"}) << QStringList() << QList<int>{};
        QTest::newRow("multi-select: chosen set, NG 9 in every indicator, unanswered missing")
            << 3 << true << L({"13", "9", "0", "2", ""}) << L({"q2_1", "q2_2", "q2_3"})
            << QList<int>{1, 0, 1, 9, 9, 9, M, M, M, 0, 1, 0, M, M, M};
        QTest::newRow("single choice holding several choices keeps them all")
            << 3 << false << L({"13", "2", "9"}) << L({"q2_1", "q2_2", "q2_3"})
            << QList<int>{1, 0, 1, 0, 1, 0, 9, 9, 9};
    }
    void answerValues() {
        QFETCH(int, choices);
        QFETCH(bool, multi);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, values);

        auto doc = std::make_unique<SurveyDocument>();
        doc->QuestionCount = 2;
        doc->ChoiceCount[1] = 2;
        doc->ChoiceCount[2] = choices;
        doc->MultiSelect[2] = multi;
        doc->RespondentCount = static_cast<int>(answers.size());
        for (int r = 1; r <= doc->RespondentCount; ++r) {
            doc->Answers[r][1] = "1";
            doc->Answers[r][2] = answers[r - 1].toStdString();
        }
        const AnswerTable table = answerTable(*doc);
        QStringList gotNames;
        for (std::size_t v = 2; v < table.variables.size(); ++v)
            gotNames << QString::fromStdString(table.variables[v].name);
        QCOMPARE(gotNames, names);
        QList<int> got;
        for (int r = 0; r < table.rows; ++r)
            for (int v = 2; v < static_cast<int>(table.variables.size()); ++v)
                got << table.value(r, v);
        QCOMPARE(got, values);
        QCOMPARE(table.sets.size(), std::size_t(names.size() > 1 ? 1 : 0));
    }

    // Random surveys typed through recording: whatever the kinds and answers, the table counts
    // what the tally counts - per choice, per numeric sum and per NG - and the CSV has one line
    // per respondent with one field per variable.
    void randomSurveysAgreeWithTally() {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 200; ++round) {
            auto doc = std::make_unique<SurveyDocument>();
            doc->QuestionCount = random.bounded(1, 7);
            for (int q = 1; q <= doc->QuestionCount; ++q) {
                doc->ChoiceCount[q] = q == 1 ? random.bounded(1, 9) : random.bounded(0, 9);
                doc->MultiSelect[q] = doc->ChoiceCount[q] >= 2 && random.bounded(2) == 1;
            }
            const int respondents = random.bounded(1, 30);
            for (int r = 1; r <= respondents; ++r)
                for (int q = 1; q <= doc->QuestionCount; ++q) {
                    std::string buffer;
                    const int length = random.bounded(3) == 0 ? random.bounded(2, 5) : 1;
                    for (int i = 0; i < length; ++i)
                        buffer += static_cast<char>('0' + random.bounded(10));
                    doc->CurrentRespondent = r;
                    doc->CurrentQuestion = q;
                    doc->EntryBuffer = buffer;
                    dataIN(*doc);
                }
            doc->RespondentCount = respondents; // every row, open ones included
            const AnswerTable table = answerTable(*doc);

            for (int q = 1; q <= doc->QuestionCount; ++q) {
                if (doc->ChoiceCount[q] == 0) continue; // unused: not exported
                QList<int> counts(10, 0);               // per value, or per indicator's 1s
                int sum = 0, ngRows = 0;
                for (int r = 0; r < table.rows; ++r) {
                    bool ng = false;
                    for (int v = 0; v < int(table.variables.size()); ++v) {
                        const AnswerVariable& var = table.variables[std::size_t(v)];
                        const int value = table.value(r, v);
                        if (var.question != q || value == M) continue;
                        if (var.kind == AnswerKind::Indicator) {
                            ng = ng || value == 9;
                            counts[var.choice] += value == 1;
                        } else {
                            ++counts[value];
                            if (value != 9) sum += value;
                        }
                    }
                    ngRows += ng;
                }
                const auto& tally = doc->Tally[q];
                const bool indicators =
                    std::any_of(table.variables.begin(), table.variables.end(), [&](auto& v) {
                        return v.question == q && v.kind == AnswerKind::Indicator;
                    });
                const QByteArray where = QByteArray::number(round) + " q" + QByteArray::number(q);
                if (doc->ChoiceCount[q] < 2) {
                    QVERIFY2(sum == tally[1], where);
                } else {
                    for (int c = 1; c <= doc->ChoiceCount[q]; ++c)
                        QVERIFY2(counts[c] == tally[c], where);
                }
                QVERIFY2((indicators ? ngRows : counts[9]) == tally[9], where);
            }
            for (int r = 0; r < table.rows; ++r) QCOMPARE(table.value(r, 0), r + 1);
            const QList<QByteArray> lines = answersCsv(table, false).split('\n');
            QCOMPARE(lines.size(), qsizetype(table.rows) + 2); // header, rows, nothing after
            for (const QByteArray& line : lines.mid(0, table.rows + 1))
                QCOMPARE(line.count(',') + 1, qsizetype(table.variables.size()));
        }
    }

    // The answers and the codebook, byte for byte; a question text with a comma and a quote.
    void csvFiles_data() {
        QTest::addColumn<bool>("bom");
        QTest::newRow("plain") << false;
        QTest::newRow("byte order mark") << true;
    }
    void csvFiles() {
        QFETCH(bool, bom);
        auto doc = fixture();
        QVERIFY(doc);
        doc->QuestionText[1] = sjis::fromUtf8("性別,区分"); // the editor allows a comma
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("回答.csv"));
        writeAnswersCsv(*doc, native(out), bom);

        const QByteArray mark = bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        QCOMPARE(readAll(out), mark + readAll(testData("export_answers.csv")));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("回答_codebook.csv"))),
                 mark + readAll(testData("export_codebook.csv")));
        QCOMPARE(filesIn(dir.path()).size(), 2);
    }

    // The .sav file read back with ReadStat, field by field.
    void savReadBack() {
        auto doc = fixture();
        QVERIFY(doc);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("回答.sav"));
        exportAnswers(*doc, native(out), ExportFormat::Sav, false);
        QCOMPARE(filesIn(dir.path()), (QStringList{u("回答.sav"), u("回答.sps")}));
        QCOMPARE(readAll(dir.filePath(u("回答.sps"))),
                 u("\uFEFF* VEV: 回答.sav の複数回答セット。SPSS または PSPP で 回答.sav を"
                   "開いたあとに、このファイルを実行してください.\n"
                   "MRSETS /MDGROUP NAME=$q3 VARIABLES=q3_1 TO q3_5 VALUE=1 "
                   "LABEL='よく使う\"機能\"'.\n")
                     .toUtf8());

        const SavContents sav = readSav(out);
        QCOMPARE(sav.rows, 6);
        QCOMPARE(sav.fileLabel, u("ランチ調査 \"2026秋\", 本店"));
        QCOMPARE(sav.encoding, QStringLiteral("UTF-8"));

        struct Expected {
            const char* name;
            const char* label;
            readstat_measure_t measure;
            bool ng; // value label 9 = "NG", 9 user-missing
        };
        const QString q3 = u("よく使う\"機能\"");
        const Expected expected[] = {
            {"id", "回答者番号", READSTAT_MEASURE_SCALE, false},
            {"q1", "性別", READSTAT_MEASURE_NOMINAL, true},
            {"q2", "年代", READSTAT_MEASURE_NOMINAL, true},
            {"q3_1", "よく使う\"機能\": 1", READSTAT_MEASURE_NOMINAL, true},
            {"q3_2", "よく使う\"機能\": 2", READSTAT_MEASURE_NOMINAL, true},
            {"q3_3", "よく使う\"機能\": 3", READSTAT_MEASURE_NOMINAL, true},
            {"q3_4", "よく使う\"機能\": 4", READSTAT_MEASURE_NOMINAL, true},
            {"q3_5", "よく使う\"機能\": 5", READSTAT_MEASURE_NOMINAL, true},
            {"q4", "満足度", READSTAT_MEASURE_SCALE, true},
        };
        QCOMPARE(sav.variables.size(), qsizetype(std::size(expected)));
        for (qsizetype i = 0; i < sav.variables.size(); ++i) {
            const SavVariable& v = sav.variables[i];
            const Expected& e = expected[i];
            QCOMPARE(v.name, QString::fromUtf8(e.name));
            QCOMPARE(v.label, QString::fromUtf8(e.label));
            QCOMPARE(v.measure, e.measure);
            QCOMPARE(v.missing, e.ng ? QList<double>{9.0} : QList<double>{});
            QCOMPARE(v.labelSet.isEmpty(), !e.ng);
            if (e.ng)
                QCOMPARE(sav.valueLabels.value(v.labelSet),
                         (QMap<double, QString>{{9.0, QStringLiteral("NG")}}));
        }
        QCOMPARE(sav.values, FixtureRows);
    }

    // The questionnaire's texts in the codebook and the syntax: the wording as q1's label, the
    // choices' texts as values, an indicator named and valued by them.
    void textsInCodebookAndSyntax() {
        auto doc = fixture();
        QVERIFY(doc);
        doc->Texts.Wording[1] = sjis::fromUtf8("あなたの性別は？");
        doc->Texts.Choice[1][1] = sjis::fromUtf8("男性");
        doc->Texts.Choice[1][2] = sjis::fromUtf8("女'性");
        doc->Texts.Choice[3][2] = sjis::fromUtf8("価格");
        const AnswerTable table = answerTable(*doc);
        const QString codebook = QString::fromUtf8(codebookCsv(table, false));
        QVERIFY(codebook.contains(u("q1,あなたの性別は？,1,単一選択,1 = 男性; 2 = 女'性; "
                                    "1-2 = 選択肢番号; 9 = NG; 空欄 = 無回答\r\n")));
        QVERIFY(codebook.contains(u("q2,年代,2,")));
        QVERIFY(codebook.contains(u("q3_1,\"よく使う\"\"機能\"\": 1\",3,")));
        QVERIFY(codebook.contains(u("q3_2,\"よく使う\"\"機能\"\": 価格\",3,複数選択,0 = 非選択; "
                                    "1 = 選択; 9 = NG; 空欄 = 無回答\r\n")));
        const QString syntax = QString::fromUtf8(savSyntax(table, u("a.sav")));
        QVERIFY(syntax.endsWith(u("VALUE LABELS q1 1 '男性' 2 '女''性' 9 'NG'.\n"
                                  "VALUE LABELS q3_1 0 '非選択' 1 '選択' 9 'NG'.\n"
                                  "VALUE LABELS q3_2 0 '非選択' 1 '選択' 9 'NG'.\n"
                                  "VALUE LABELS q3_3 0 '非選択' 1 '選択' 9 'NG'.\n"
                                  "VALUE LABELS q3_4 0 '非選択' 1 '選択' 9 'NG'.\n"
                                  "VALUE LABELS q3_5 0 '非選択' 1 '選択' 9 'NG'.\n")));
    }

    // The header holds 64 bytes of file label: a long title is cut there, between characters.
    void savFileLabelCut() {
        auto doc = fixture();
        QVERIFY(doc);
        doc->SurveyTitle = sjis::fromUtf8(u("調").repeated(30).toStdString()); // 90 UTF-8 bytes
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("a.sav"));
        exportAnswers(*doc, native(out), ExportFormat::Sav, false);
        QCOMPARE(readSav(out).fileLabel, u("調").repeated(21));
    }

    // Nothing to export, or a target that cannot be written: a message, and no file at all.
    void refusedOrFailed_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("target"); // inside the temporary folder
        QTest::addColumn<bool>("questionnaire");
        QTest::addColumn<bool>("respondents");
        QTest::addColumn<QString>("message");
        for (const ExportFormat format : {ExportFormat::Csv, ExportFormat::Sav}) {
            const QString ext =
                format == ExportFormat::Csv ? QStringLiteral("csv") : QStringLiteral("sav");
            const auto row = [&](const char* what) -> QTestData& {
                return QTest::addRow("%s %s", what, qPrintable(ext)) << int(format);
            };
            row("no questionnaire")
                << QStringLiteral("a.") + ext << false << true << noQuestionnaireMessage();
            row("no respondents") << QStringLiteral("a.") + ext << true << false
                                  << noRespondentsMessage();
            row("folder in the way") << QStringLiteral("sub") << true << true
                                     << u("書き込めません：@sub（同じ名前のフォルダがあります）");
            row("missing folder")
                << QStringLiteral("none/a.") + ext << true << true
                << u("書き込めません：@none/a.%1（ファイルまたはフォルダが見つかりません）")
                       .arg(ext);
        }
    }
    void refusedOrFailed() {
        QFETCH(int, format);
        QFETCH(QString, target);
        QFETCH(bool, questionnaire);
        QFETCH(bool, respondents);
        QFETCH(QString, message);
        auto doc = fixture();
        QVERIFY(doc);
        if (!questionnaire) // every question unused
            for (int q = 1; q <= doc->QuestionCount; ++q) doc->ChoiceCount[q] = 0;
        if (!respondents) doc->RespondentCount = 0;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QCOMPARE(vevErrorOf([&] {
                     exportAnswers(*doc, native(dir.filePath(target)),
                                   static_cast<ExportFormat>(format), false);
                 }),
                 message.replace(QLatin1Char('@'), dir.path() + QLatin1Char('/')));
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("sub")});
        QVERIFY(filesIn(dir.filePath(QStringLiteral("sub"))).isEmpty());
    }

    // Both files or neither: a folder where the second file goes leaves the first file that
    // was there as it was, and no temporary file behind.
    void allOrNothing_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("second");
        QTest::newRow("csv: codebook") << int(ExportFormat::Csv) << u("res_codebook.csv");
        QTest::newRow("sav: syntax") << int(ExportFormat::Sav) << u("res.sps");
    }
    void allOrNothing() {
        QFETCH(int, format);
        QFETCH(QString, second);
        auto doc = fixture();
        QVERIFY(doc);
        QTemporaryDir dir;
        const QString first =
            dir.filePath(format == int(ExportFormat::Csv) ? u("res.csv") : u("res.sav"));
        QVERIFY(writeFile(first, "old"));
        QVERIFY(QDir(dir.path()).mkdir(second));
        QCOMPARE(
            vevErrorOf([&] { exportAnswers(*doc, native(first), ExportFormat(format), false); }),
            u("書き込めません：%1（同じ名前のフォルダがあります）").arg(dir.filePath(second)));
        QCOMPARE(readAll(first), QByteArray("old"));
        QCOMPARE(filesIn(dir.path()).size(), 2);
    }

    void formatOfName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format"); // -1: none
        QTest::newRow("csv") << QStringLiteral("a.csv") << int(ExportFormat::Csv);
        QTest::newRow("SAV") << QStringLiteral("/x/a.SAV") << int(ExportFormat::Sav);
        QTest::newRow("other") << QStringLiteral("a.txt") << -1;
        QTest::newRow("none") << QStringLiteral("sav") << -1;
    }
    void formatOfName() {
        QFETCH(QString, name);
        QFETCH(int, format);
        const auto got = exportFormatOf(name);
        QCOMPARE(got ? int(*got) : -1, format);
    }
};

QTEST_GUILESS_MAIN(TestAnswerExport)
#include "tst_answer_export.moc"
