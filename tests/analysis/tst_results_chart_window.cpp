// The results bar charts and their window: what each chart shows (counts, percentages, NG apart),
// chart images, stepping through the questions and saving the chart shown.
#include "analysis/results_chart_window.h"
#include "results/percentages.h"

#include "analysis/results_chart.h"
#include "model/sjis.h"
#include "results/results_file.h"
#include "survey_fixtures.h"
#include "window_fixture.h"

#include <QAbstractBarSeries>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <numeric>

using namespace vev;
using namespace vev::test;

namespace {

// What a chart shows, from the top down: category, value, and the NG bar's value.
struct Bars {
    QStringList categories;
    QList<qreal> values;
    QList<qreal> ng;
    QString valuesLabel;
    QString ngLabel;
};

Bars barsOf(QChart* chart) {
    Bars bars;
    if (!chart || chart->series().isEmpty()) return bars;
    auto* series = qobject_cast<QAbstractBarSeries*>(chart->series().first());
    auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    if (!series || series->count() != 2 || !axis) return bars;
    const QBarSet* values = series->barSets()[0];
    const QBarSet* ng = series->barSets()[1];
    for (int i = axis->count() - 1; i >= 0; --i) {
        bars.categories << axis->at(i);
        bars.values << values->at(i);
        bars.ng << ng->at(i);
    }
    bars.valuesLabel = values->label();
    bars.ngLabel = ng->label();
    return bars;
}

// The same, worked out from the document by the rules a reader is promised: choices from the
// top, then NG in its own set (counts only); percentages are the results file's cells. A numeric
// question: respondents per keyed value 1..8 from the answers, per cents of those who keyed one.
Bars expectedBars(const SurveyDocument& doc, int q, ChartValues values) {
    Bars bars;
    const bool percent = values == ChartValues::Percentages;
    const int k = doc.ChoiceCount[q];
    if (k == 1) {
        int per[9] = {}, n = 0, ng = 0;
        for (int r = 1; r <= doc.RespondentCount; ++r) {
            const std::string_view a = doc.Answers[r][q].view();
            if (a == "9") ++ng;
            if (a.size() == 1 && a[0] >= '1' && a[0] <= '8') ++per[a[0] - '0'], ++n;
        }
        for (int v = 1; v <= 8; ++v) {
            bars.categories << QString::number(v);
            bars.values << (percent ? percentOf(per[v], std::max(n, 1), doc.Frac1) /
                                          (doc.Frac1 ? 10.0 : 1.0)
                                    : per[v]);
            bars.ng << 0;
        }
        if (!percent) bars.categories << QStringLiteral("NG"), bars.values << 0, bars.ng << ng;
        bars.valuesLabel = percent ? u("割合（％）") : u("人数");
        bars.ngLabel = u("NG %1件").arg(ng);
        return bars;
    }
    for (int c = 1; c <= k; ++c) {
        bars.categories << (k == 1 ? u("合計") : QString::number(c));
        bars.values << (percent ? percentCellValue(doc, q, c) / (doc.Frac1 ? 10.0 : 1.0)
                                : doc.Tally[q][c]);
        bars.ng << 0;
    }
    if (!percent) {
        bars.categories << QStringLiteral("NG");
        bars.values << 0;
        bars.ng << doc.Tally[q][9];
    }
    if (bars.categories.isEmpty()) return {};
    bars.valuesLabel = percent ? u("割合（％）") : u("件数");
    bars.ngLabel = u("NG %1件").arg(doc.Tally[q][9]);
    return bars;
}

bool operator==(const Bars& a, const Bars& b) {
    return a.categories == b.categories && a.values == b.values && a.ng == b.ng &&
           a.valuesLabel == b.valuesLabel && a.ngLabel == b.ngLabel;
}

QString describe(const Bars& b) {
    QStringList parts;
    for (qsizetype i = 0; i < b.categories.size(); ++i)
        parts << QStringLiteral("%1=%2/%3").arg(b.categories[i]).arg(b.values[i]).arg(b.ng[i]);
    return parts.join(QLatin1Char(' ')) + QStringLiteral(" [%1|%2]").arg(b.valuesLabel, b.ngLabel);
}

// Pixels of the NG bar's red and of the answers' blue.
int pixelsLike(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAbs(qRed(p) - qRed(colour)) < 12 && qAbs(qGreen(p) - qGreen(colour)) < 12 &&
                qAbs(qBlue(p) - qBlue(colour)) < 12)
                ++n;
        }
    return n;
}
const QRgb NgRed = qRgb(0xc8, 0x3e, 0x2e);
const QRgb AnswerBlue = qRgb(0x2f, 0x6d, 0xb5);

} // namespace

class TestResultsChartWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<SurveyDocument> doc;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<ResultsChartWindow> window;

    template <typename T> T* child(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found) qWarning("no control %s", name);
        return found;
    }
    QChart* chart() { return child<QChartView>("chartView")->chart(); }
    // The chart shown is the question's chart and the controls agree with it.
    bool shows(int q, ChartValues values, QString* why) {
        const Bars got = barsOf(chart());
        const Bars want = expectedBars(*doc, q, values);
        QStringList problems;
        if (window->currentQuestion() != q)
            problems << QStringLiteral("question %1").arg(window->currentQuestion());
        if (chart()->title() != questionCaption(*doc, q)) problems << chart()->title();
        if (!(got == want)) problems << describe(got) + QStringLiteral(" != ") + describe(want);
        if (child<QListWidget>("questionList")->currentRow() != q - 1) problems << u("list row");
        if (child<QPushButton>("previousQuestion")->isEnabled() != (q > 1))
            problems << u("previous");
        if (child<QPushButton>("nextQuestion")->isEnabled() != (q < 3 && q < doc->QuestionCount))
            problems << u("next");
        *why = problems.join(QStringLiteral("; "));
        return problems.isEmpty();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        doc = std::make_unique<SurveyDocument>();
        fillLunchSurvey(*doc, native(dir->filePath(QStringLiteral("lunch.dat"))));
        platform = std::make_unique<FakePlatform>();
        window = std::make_unique<ResultsChartWindow>(*doc, *platform);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() {
        window.reset();
        QString why;
        QVERIFY2(platform->verifyDone(&why), qPrintable(why));
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // Every question kind, counts and percentages, whole and tenths.
    void chartBars_data() {
        QTest::addColumn<int>("q");
        QTest::addColumn<bool>("percent");
        QTest::addColumn<bool>("tenths");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QList<qreal>>("values");
        QTest::addColumn<qreal>("ng");
        const QStringList three{u("1"), u("2"), u("3")};
        QTest::newRow("counts, NG apart") << 1 << false << false << (three + QStringList{u("NG")})
                                          << QList<qreal>{12, 7, 0, 0} << qreal(1);
        QTest::newRow("percentages leave NG out")
            << 1 << true << false << three << QList<qreal>{63, 37, 0} << qreal(0);
        QTest::newRow("percentages in tenths")
            << 1 << true << true << three << QList<qreal>{63.2, 36.8, 0.0} << qreal(0);
        QTest::newRow("multi-select: shares of the answers")
            << 2 << true << false << QStringList{u("1"), u("2"), u("3"), u("4")}
            << QList<qreal>{28, 44, 9, 19} << qreal(0);
        const QStringList values{u("1"), u("2"), u("3"), u("4"), u("5"), u("6"), u("7"), u("8")};
        QTest::newRow("numeric: respondents per keyed value, NG apart")
            << 3 << false << false << (values + QStringList{u("NG")})
            << QList<qreal>{0, 6, 6, 0, 0, 0, 0, 0, 0} << qreal(2);
        QTest::newRow("numeric: share of the 12 who keyed a value")
            << 3 << true << false << values << QList<qreal>{0, 50, 50, 0, 0, 0, 0, 0} << qreal(0);
        QTest::newRow("unused: no bars")
            << 4 << false << false << QStringList() << QList<qreal>{} << qreal(0);
    }
    void chartBars() {
        QFETCH(int, q);
        QFETCH(bool, percent);
        QFETCH(bool, tenths);
        QFETCH(QStringList, categories);
        QFETCH(QList<qreal>, values);
        QFETCH(qreal, ng);
        doc->Frac1 = tenths;
        const auto chart =
            makeResultsChart(*doc, q, percent ? ChartValues::Percentages : ChartValues::Counts);
        const Bars bars = barsOf(chart.get());
        QCOMPARE(bars.categories, categories);
        QCOMPARE(bars.values, values);
        QCOMPARE(bars.ng.value(bars.ng.size() - 1), ng);
        QCOMPARE(std::accumulate(bars.ng.begin(), bars.ng.end(), qreal(0)), ng);
        QCOMPARE(chart->title(), questionCaption(*doc, q));
    }

    void chartImage_data() {
        QTest::addColumn<int>("q");
        QTest::addColumn<bool>("percent");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("ngBar");
        QTest::newRow("counts with NG") << 1 << false << QSize(640, 400) << true;
        QTest::newRow("percentages: no NG bar") << 1 << true << QSize(640, 400) << false;
        QTest::newRow("multi-select, small") << 2 << false << QSize(320, 240) << false;
        QTest::newRow("wide") << 3 << false << QSize(1200, 300) << true;
    }
    void chartImage() {
        QFETCH(int, q);
        QFETCH(bool, percent);
        QFETCH(QSize, size);
        QFETCH(bool, ngBar);
        const QImage image = resultsChartImage(
            *doc, q, percent ? ChartValues::Percentages : ChartValues::Counts, size);
        QCOMPARE(image.size(), size);
        QVERIFY(pixelsLike(image, AnswerBlue) > 50);
        // The legend's NG marker is far smaller than a bar.
        QCOMPARE(pixelsLike(image, NgRed) > 400, ngBar);
    }

    // With texts the title is the wording and each bar names its choice ("1 満足"), as the
    // reader sees them: Qt Charts draws rich text, so markup characters must come out as typed.
    void textsInTheChart() {
        addLunchTexts(*doc);
        for (int q = 1; q <= 2; ++q) {
            QChartView view(makeResultsChart(*doc, q, ChartValues::Counts).release());
            view.resize(880, 500);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QStringList shown;
            for (QGraphicsItem* item : view.scene()->items())
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                    shown << text->toPlainText();
            const auto& texts = lunchTexts()[std::size_t(q - 1)];
            QVERIFY2(shown.contains(QStringLiteral("Q%1. ").arg(q) + u(texts[0])),
                     qPrintable(shown.join(QLatin1Char('|'))));
            for (std::size_t c = 1; c < texts.size(); ++c) {
                const QString label =
                    QString::number(c) + (*texts[c] ? QLatin1Char(' ') + u(texts[c]) : QString());
                QVERIFY2(shown.contains(label), qPrintable(label));
            }
        }
    }

    void listsEveryQuestion() {
        const auto* list = child<QListWidget>("questionList");
        QCOMPARE(list->count(), 3); // Q4 is unused
        QCOMPARE(list->item(0)->text(), u("Q1. 昼食の満足度"));
        QCOMPARE(list->item(2)->text(), u("Q3. 外食の回数"));
        // What the numbers are of: respondents, base, n; a numeric question's sum and mean.
        const QString note = child<QLabel>("baseNote")->text();
        QCOMPARE(note, u("回答者数（データファイル）：20人\n"
                         "割合の基数：回答数（NGを除く。複数選択の質問は選ばれた数の合計）\n"
                         "Q1. 昼食の満足度：n＝19（回答者数）"));
        window->showQuestion(3);
        QVERIFY(
            child<QLabel>("baseNote")
                ->text()
                .endsWith(u("Q3. 外食の回数：n＝12（値を入力した回答者。NG・無回答を除く）\n"
                            "n＝12、合計 30、平均 2.50（値を入力した回答者。NG・無回答を除く）")));
        window->showQuestion(1);
        QCOMPARE(window->windowTitle(), u("集計グラフ - 昼食アンケート"));
        QString why;
        QVERIFY2(shows(1, ChartValues::Counts, &why), qPrintable(why));
    }

    // Random steps through the questions by every road (buttons, page keys, the list, the
    // values switch, refresh) always leave the chart of the question the model expects.
    void switchingQuestions() {
        QRandomGenerator random(20261208);
        int q = 1;
        ChartValues values = ChartValues::Counts;
        auto* list = child<QListWidget>("questionList");
        for (int step = 0; step < 150; ++step) {
            const int n = 3; // the questions in use
            switch (random.bounded(7)) {
            case 0:
                QTest::mouseClick(child<QPushButton>("nextQuestion"), Qt::LeftButton);
                if (q < n) ++q;
                break;
            case 1:
                QTest::mouseClick(child<QPushButton>("previousQuestion"), Qt::LeftButton);
                if (q > 1) --q;
                break;
            case 2:
                QTest::keyClick(window.get(), Qt::Key_PageDown);
                q = std::min(q + 1, n);
                break;
            case 3:
                QTest::keyClick(window.get(), Qt::Key_PageUp);
                q = std::max(q - 1, 1);
                break;
            case 4: {
                const int row = static_cast<int>(random.bounded(n));
                list->setFocus();
                list->setCurrentRow(row);
                q = row + 1;
                break;
            }
            case 5:
                if (values == ChartValues::Counts) {
                    QTest::mouseClick(child<QRadioButton>("showPercentages"), Qt::LeftButton);
                    values = ChartValues::Percentages;
                } else {
                    QTest::mouseClick(child<QRadioButton>("showCounts"), Qt::LeftButton);
                    values = ChartValues::Counts;
                }
                break;
            default:
                ++doc->Tally[q][9];
                window->refresh();
                break;
            }
            QString why;
            QVERIFY2(shows(q, values, &why),
                     qPrintable(QStringLiteral("step %1: ").arg(step) + why));
            QCOMPARE(window->values(), values);
        }
    }

    // The questionnaire changes under the window: refresh() follows it and keeps the question
    // shown, or shows the last one when it is gone.
    void refreshFollowsTheDocument() {
        window->showQuestion(3);
        doc->QuestionCount = 2;
        window->refresh();
        QCOMPARE(child<QListWidget>("questionList")->count(), 2);
        QString why;
        QVERIFY2(shows(2, ChartValues::Counts, &why), qPrintable(why));
        doc->QuestionText[2] = sjis::fromUtf8("好きな飲み物は");
        doc->Tally[2][1] = 40;
        window->refresh();
        QCOMPARE(child<QListWidget>("questionList")->item(1)->text(), u("Q2. 好きな飲み物は"));
        QVERIFY2(shows(2, ChartValues::Counts, &why), qPrintable(why));
        doc->QuestionCount = 0;
        window->refresh();
        QCOMPARE(window->currentQuestion(), 0);
        QVERIFY(!child<QPushButton>("saveChart")->isEnabled());
        QVERIFY(!child<QPushButton>("nextQuestion")->isEnabled());
    }

    void saveChart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("PNG") << QStringLiteral("chart.png") << QByteArray("\x89PNG");
        QTest::newRow("SVG by its extension") << QStringLiteral("chart.SVG") << QByteArray("<?xml");
    }
    void saveChart() {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QTest::keyClick(window.get(), Qt::Key_PageDown);
        const QString path = dir->filePath(name);
        platform->expectSaveFile(path);
        QTest::mouseClick(child<QPushButton>("saveChart"), Qt::LeftButton);

        QCOMPARE(platform->dialogs.size(), 1);
        QCOMPARE(fields(platform->dialogs[0]),
                 (QStringList{u("save"), u("グラフに名前をつけて保存"),
                              u("PNG画像(*.png)|*.png|SVG画像(*.svg)|*.svg"), u("png"),
                              dir->filePath(u("lunch_Q2.png")), u("single")}));
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith(start));
        if (start.startsWith("\x89PNG")) {
            QImage image;
            QVERIFY(image.loadFromData(bytes, "PNG"));
            QCOMPARE(image.size(), child<QChartView>("chartView")->size());
        } else {
            QVERIFY(bytes.contains(u("Q2. 好きな飲み物").toUtf8()));
        }
    }

    void saveCancelled() {
        platform->expectSaveFile({});
        QTest::mouseClick(child<QPushButton>("saveChart"), Qt::LeftButton);
        QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
    }

    void saveFailureIsReported() {
        platform->expectSaveFile(dir->filePath(QStringLiteral("no/such/folder/chart.png")));
        platform->expectMessage(Platform::Answer::Ok);
        QTest::mouseClick(child<QPushButton>("saveChart"), Qt::LeftButton);
        QCOMPARE(platform->messages.size(), 1);
        QCOMPARE(platform->messages[0].caption, u("VEV"));
        QCOMPARE(platform->messages[0].text,
                 u("書き込めません：%1（ファイルまたはフォルダが見つかりません）。")
                     .arg(dir->filePath(QStringLiteral("no/such/folder/chart.png"))));
        QCOMPARE(platform->messages[0].icon, Platform::Icon::Error);
    }

    void escapeCloses() {
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestResultsChartWindow)
#include "tst_results_chart_window.moc"
