// The PDF results report, checked from the outside with poppler's tools: pages, the text a
// reader can copy out (title, date, every question, counts and percentages), embedded fonts,
// and blocks that never break across pages. Skipped where poppler-utils is not installed.
#include "analysis/results_report.h"

#include "analysis/report_command.h"
#include "core_test_util.h"
#include "fake_platform.h"
#include "model/sjis.h"
#include "model/vev_error.h"
#include "survey_fixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

const QString Date = QStringLiteral("2026/12/08");

// Standard output of a poppler tool; empty when it failed.
QString run(const QString& tool, const QStringList& args) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(tool), args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of one page (0: all of them), exactly as the PDF's text map gives it: no
// normalisation, so a kanji mapped to the Kangxi radical that shares its glyph would fail.
// In layout mode a chart's labels can share a line with a table row; raw mode keeps the order
// in which the page was drawn, one table row after the other.
QString pageText(const QString& pdf, int page = 0, bool layout = true) {
    QStringList args{layout ? QStringLiteral("-layout") : QStringLiteral("-raw")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    return run(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
}

int pageCount(const QString& pdf) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                                         QRegularExpression::MultilineOption)
                                          .match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// n questions of the given choices, "設問1".."設問n", with counts in every slot.
void fillMany(SurveyDocument& doc, int n, int choices) {
    doc.SurveyTitle = "Many";
    doc.DataFilePath = "/surveys/many.dat";
    doc.RespondentCount = 999;
    doc.QuestionCount = n;
    for (int q = 1; q <= n; ++q) {
        doc.QuestionText[q] = sjis::fromUtf8("設問") + std::to_string(q);
        doc.ChoiceCount[q] = choices;
        for (int c = 1; c <= choices; ++c) doc.Tally[q][c] = 100 + q + c;
        doc.Tally[q][9] = q;
    }
}

} // namespace

class TestResultsReport : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString pdf;

    void write(const SurveyDocument& doc) {
        writeResultsReport(doc, native(pdf), Date);
        QVERIFY(readAll(pdf).startsWith("%PDF-"));
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"pdftotext", "pdfinfo", "pdffonts"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP("poppler-utils is not installed");
    }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        pdf = dir->filePath(QStringLiteral("report.pdf"));
    }

    // The first page holds the title and three question blocks, every later page four; a block
    // is never split, so each page holds whole blocks: as many tables as headings (one "NG" row
    // each) and as many charts (one "NG" bar label each).
    void pages_data() {
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("choices");
        QTest::addColumn<int>("pages");
        QTest::newRow("no questions") << 0 << 2 << 1;
        QTest::newRow("three fit the first page") << 3 << 2 << 1;
        QTest::newRow("the fourth goes over") << 4 << 5 << 2;
        QTest::newRow("seven: three and four") << 7 << 8 << 2;
        QTest::newRow("eight choices, forty questions") << 40 << 8 << 11;
    }
    void pages() {
        QFETCH(int, questions);
        QFETCH(int, choices);
        QFETCH(int, pages);
        SurveyDocument doc;
        fillMany(doc, questions, choices);
        write(doc);
        QCOMPARE(pageCount(pdf), pages);

        const QRegularExpression heading(QStringLiteral("^\\s*Q(\\d+)\\. 設問(\\d+)(?!\\d)"),
                                         QRegularExpression::MultilineOption);
        const QRegularExpression ng(QStringLiteral("\\bNG\\b"));
        QList<int> seen;
        for (int page = 1; page <= pages; ++page) {
            const QString text = pageText(pdf, page);
            QVERIFY(text.contains(
                QRegularExpression(QStringLiteral("\\b%1 ?/ ?%2\\b").arg(page).arg(pages))));
            int headings = 0;
            for (auto it = heading.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                QCOMPARE(m.captured(1), m.captured(2));
                seen << m.captured(1).toInt();
                ++headings;
            }
            // Page 1 also names NG in its percentage base line.
            QCOMPARE(static_cast<int>(text.count(ng)), 2 * headings + (page == 1 ? 1 : 0));
        }
        QList<int> all;
        for (int q = 1; q <= questions; ++q) all << q;
        QCOMPARE(seen, all);
    }

    void textOfTheReport() {
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        write(doc);
        const QString text = pageText(pdf).simplified();
        for (const char* wanted :
             {"集計レポート", "昼食アンケート", "作成日：2026/12/08", "データファイル：lunch.dat",
              "回答者数（データファイル）：20人",
              "割合の基数：回答数（NGを除く。複数選択の質問は選ばれた数の合計）",
              "Q1. 昼食の満足度 n＝19（回答者数）", "Q2. 好きな飲み物 （複数選択） n＝32（回答数）",
              "Q3. 外食の回数 （数値） n＝12（値を入力した回答者。NG・無回答を除く）"})
            QVERIFY2(text.contains(u(wanted)), wanted);
        QVERIFY(!text.contains(u("Q4."))); // unused
    }

    // Every wording under its heading and every choice text in its table row, exactly as
    // written; a wording of the full 200 bytes is wrapped and loses nothing.
    void choiceTextsInTheReport() {
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        addLunchTexts(doc);
        const QString longWording = u("外食の回数を数字で教えて").repeated(8) + u("ください");
        doc.Texts.Wording[3] = sjis::fromQString(longWording);
        QCOMPARE(doc.Texts.Wording[3].view().size(), std::size_t(200));
        write(doc);
        const QString raw = pageText(pdf, 0, false);
        for (std::size_t q = 1; q <= lunchTexts().size(); ++q) {
            const auto& texts = lunchTexts()[q - 1];
            QVERIFY2(raw.contains(QLatin1Char('\n') + u(texts[0]) + QLatin1Char('\n')),
                     qPrintable(raw));
            for (std::size_t c = 1; c < texts.size(); ++c)
                if (*texts[c])
                    QVERIFY2(raw.contains(QStringLiteral("\n%1 ").arg(c) + u(texts[c]) +
                                          QLatin1Char(' ')),
                             texts[c]);
        }
        QVERIFY2(QString(raw).remove(QLatin1Char('\n')).contains(longWording), qPrintable(raw));
    }

    // Texts whose glyphs Noto Sans CJK shares with radicals or other punctuation come out of
    // the PDF as they were written.
    void textLayerIsExact_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("kanji with a radical look-alike") << u("満足度日月人行用示力二目長");
        QTest::newRow("punctuation") << u("無回答・NG～〈質問〉");
        QTest::newRow("the example's questions") << u("品揃えの満足度・友人に勧めたいか");
    }
    void textLayerIsExact() {
        QFETCH(QString, text);
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        doc.SurveyTitle = sjis::fromQString(text);
        doc.QuestionText[1] = sjis::fromQString(text);
        write(doc);
        const QString raw = pageText(pdf, 0, false);
        QVERIFY2(raw.contains(QLatin1Char('\n') + text + QLatin1Char('\n')), qPrintable(raw));
        QVERIFY2(raw.contains(u("Q1. ") + text), qPrintable(raw));
    }

    // Table rows as a reader sees them: choice, count, percentage (the results file's cell);
    // NG has a count and no percentage.
    void tableRows_data() {
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("whole per cent")
            << false << QStringList{u("1 12 63"), u("2 7 37"),  u("3 0 0"),     u("NG 1"),
                                    u("1 9 28"),  u("2 14 44"), u("4 6 19"),    u("2 6 50"),
                                    u("n 12"),    u("合計 30"), u("平均 2.50"), u("NG 2")};
        QTest::newRow("tenths") << true << QStringList{u("1 12 63.2"), u("2 7 36.8"),  u("3 0 0.0"),
                                                       u("1 9 28.1"),  u("2 14 43.8"), u("3 3 9.4"),
                                                       u("3 6 50.0"),  u("8 0 0.0")};
    }
    void tableRows() {
        QFETCH(bool, tenths);
        QFETCH(QStringList, rows);
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        doc.Frac1 = tenths;
        write(doc);
        QStringList lines;
        for (const QString& line : pageText(pdf, 0, false).split(QLatin1Char('\n')))
            lines << line.simplified();
        for (const QString& row : rows) {
            const QRegularExpression whole(QStringLiteral("^") + QRegularExpression::escape(row) +
                                           QStringLiteral("$"));
            QVERIFY2(lines.indexOf(whole) >= 0, qPrintable(row));
        }
    }

    void fontsAreEmbedded() {
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        write(doc);
        const QStringList lines = run(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'));
        QVERIFY(lines.size() > 3);
        bool japanese = false;
        for (const QString& line : lines.mid(2)) {
            if (line.isEmpty()) continue;
            // name, type..., encoding, then "emb sub uni" as yes/no
            const QStringList cells = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QVERIFY2(cells.size() >= 6, qPrintable(line));
            QCOMPARE(cells[cells.size() - 5], QStringLiteral("yes"));
            japanese = japanese || cells[0].contains(QStringLiteral("CJK"));
        }
        QVERIFY(japanese);
    }

    // The menu command: the save dialog, then the report with today's date.
    void saveAsCommand_data() {
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("beside the data file") << u("/surveys/lunch.dat") << u("/surveys/lunch.pdf");
        QTest::newRow("never saved: the title") << QString() << u("昼食アンケート.pdf");
    }
    void saveAsCommand() {
        QFETCH(QString, dataFile);
        QFETCH(QString, proposed);
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        doc.DataFilePath = native(dataFile);
        FakePlatform platform;
        platform.today = QStringLiteral("2027/01/05");
        platform.expectSaveFile(pdf);
        saveResultsReportAs(nullptr, doc, platform);
        platform.expectSaveFile({});
        saveResultsReportAs(nullptr, doc, platform); // cancelled: nothing more
        QString why;
        QVERIFY2(platform.verifyDone(&why), qPrintable(why));
        QCOMPARE(platform.dialogs.size(), 2);
        const Platform::FileDialog& shown = platform.dialogs[0].dialog;
        QVERIFY(platform.dialogs[0].save);
        QCOMPARE(shown.title, u("集計レポートに名前をつけて保存"));
        QCOMPARE(shown.filter, u("PDFファイル(*.pdf)|*.pdf|すべてのファイル(*.*)|*.*"));
        QCOMPARE(shown.defaultSuffix, u("pdf"));
        QCOMPARE(shown.fileName, proposed);
        QVERIFY(pageText(pdf).contains(u("作成日：2027/01/05")));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{u("report.pdf")});
    }

    void saveAsRefusesTheDataFile() {
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        const QString dataFile = dir->filePath(QStringLiteral("lunch.dat"));
        QVERIFY(writeFile(dataFile, "survey"));
        doc.DataFilePath = native(dataFile);
        FakePlatform platform;
        platform.expectSaveFile(dataFile);
        QCOMPARE(vevErrorOf([&] { saveResultsReportAs(nullptr, doc, platform); }),
                 dataFile + u(" はこのアンケートのデータファイルです。上書きできません。"));
        QString why;
        QVERIFY2(platform.verifyDone(&why), qPrintable(why));
        QCOMPARE(readAll(dataFile), QByteArray("survey"));
    }

    void writeFailure_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing folder")
            << QStringLiteral("no/such/report.pdf") << u("ファイルまたはフォルダが見つかりません");
        QTest::newRow("a folder in its place")
            << QStringLiteral("folder") << u("同じ名前のフォルダがあります");
    }
    void writeFailure() {
        QFETCH(QString, target);
        QFETCH(QString, error);
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("folder")));
        SurveyDocument doc;
        fillLunchSurvey(doc, "/surveys/lunch.dat");
        QCOMPARE(vevErrorOf([&] { writeResultsReport(doc, native(dir->filePath(target)), Date); }),
                 u("書き込めません：%1（%2）").arg(dir->filePath(target), error));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestResultsReport)
#include "tst_results_report_window.moc"
