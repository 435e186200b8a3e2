// The main window's answer export, respondent-base option and results menu: where the items
// stand, when they are enabled, and that each reaches its command, driven through the scripted
// fake platform.
#include "analysis/cross_table_dialog.h"
#include "app/main_window.h"
#include "window_fixture.h"

#include <QAbstractBarSeries>
#include <QAction>
#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vev;
using namespace vev::test;

namespace {

// The sample survey (Q1 two choices, Q2 six, Q3 multi-select of five; two respondents) as
// vev.dat in a folder of its own, loaded at start-up.
struct Session : WindowSession {
    Session() {
        enterFolder();
        place("window_sample.dat", QStringLiteral("vev.dat"));
        place("sample_rbase.dat", QStringLiteral("rbase.dat"));
        start({path(QStringLiteral("vev.dat"))});
    }
    QStringList itemNames(const char* menuName) const {
        QStringList names;
        for (const QAction* a : menu(menuName)->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return names;
    }
    // The chart window comes from the charts module, whose classes this test does not share:
    // it is found by its name.
    QWidget* chart() const {
        return form->findChild<QWidget*>(QStringLiteral("ResultsChartWindow"));
    }
};

QStringList names(const char* list) {
    return QString::fromLatin1(list).split(QLatin1Char(' '));
}

// The counts the chart shows, from the top bar down.
QList<qreal> bars(QWidget* window) {
    QChart* chart = window->findChild<QChartView*>(QStringLiteral("chartView"))->chart();
    auto* series = qobject_cast<QAbstractBarSeries*>(chart->series().value(0));
    if (!series) return {};
    QList<qreal> values;
    const QBarSet* answers = series->barSets().first();
    for (int i = 0; i < answers->count(); ++i) values.prepend(answers->at(i));
    return values;
}

} // namespace

class TestResultsMenus : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // Every menu: its items by name and their captions, in order.
    void places_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("File") << QStringLiteral("File1")
                              << names("New1 Open1 Recover1 - Save1 SaveAs1 SecondEntry1 - Print1 "
                                       "CsvW1 Ex1 Export1 Import1 - Exit1")
                              << QStringList{u("新規作成(&N)"),
                                             u("開く(&O)..."),
                                             u("復元できる入力(&R)..."),
                                             u("-"),
                                             u("上書き保存(&S)"),
                                             u("名前をつけて保存(&A)..."),
                                             u("照合用に新規作成(&V)..."),
                                             u("-"),
                                             u("集計結果印刷(&P)..."),
                                             u("集計結果保存(&C)..."),
                                             u("集計結果を開く(&E)..."),
                                             u("回答データ書き出し(&X)..."),
                                             u("回答データ読み込み(&I)..."),
                                             u("-"),
                                             u("終了(&X)")};
        QTest::newRow("Edit") << QStringLiteral("Edit1")
                              << names("Undo1 Redo1 - AEdit1 Texts1 - AClear1 DClear1 - CsvI1 "
                                       "csvR1 DataAdd1 CsvL1 - Compare1")
                              << QStringList{u("元に戻す(&U)"),
                                             u("やり直し(&Y)"),
                                             u("-"),
                                             u("アンケート項目編集(&E)"),
                                             u("選択肢の内容(&L)..."),
                                             u("-"),
                                             u("アンケート全削除(&A)"),
                                             u("データのみ全削除(&D)"),
                                             u("-"),
                                             u("追加集計ファイル作成(&I)..."),
                                             u("集計ファイル追加(&R)..."),
                                             u("データファイルの追加(&D)..."),
                                             u("追加集計ファイル一覧(&L)"),
                                             u("-"),
                                             u("入力照合(&C)...")};
        QTest::newRow("Option") << QStringLiteral("Option1") << names("WWrite Frac1 RBase1 Verify1")
                                << QStringList{
                                       u("集計結果も同時保存(&W)"), u("百分率を小数にする(&F)"),
                                       u("複数選択は回答者数で割合(&R)"), u("照合入力(&K)")};
        QTest::newRow("results") << QStringLiteral("Results1") << names("Chart1 CrossTab1 Report1")
                                 << QStringList{u("集計グラフ(&G)..."), u("クロス集計(&T)..."),
                                                u("集計レポート(PDF)(&D)...")};
        QTest::newRow("Help") << QStringLiteral("Help1") << names("About1 Manual ZAMweb - DAVAD")
                              << QStringList{u("バージョン情報(&A)"), u("解説(&M)"),
                                             u("VEV最新版(&V)"), u("-"), u("タイマーを表示(&T)")};
    }
    void places() {
        QFETCH(QString, menu);
        QFETCH(QStringList, names);
        QFETCH(QStringList, captions);
        Session s;
        QCOMPARE(s.itemNames(qPrintable(menu)), names);
        QCOMPARE(menuCaptions(s.menu(qPrintable(menu))), captions);
        QStringList bar;
        for (const QAction* a : s.form->menuBar()->actions()) bar << a->text();
        QCOMPARE(bar, (QStringList{u("ファイル(&F)"), u("編集(&E)"), u("設定(&O)"), u("集計(&T)"),
                                   u("ヘルプ(&H)")}));
        QVERIFY(!s.action("RBase1")->isChecked() && s.action("RBase1")->isCheckable());
        QVERIFY(s.finish());
    }

    // Export1, Chart1, CrossTab1, Report1, Import1, DataAdd1 as their menus open.
    void enabling_data() {
        QTest::addColumn<int>("state"); // 0 questionnaire cleared, 1 loaded, 2 no respondents
        QTest::addColumn<QList<bool>>("enabled");
        QTest::newRow("no questionnaire")
            << 0 << QList<bool>{false, false, false, false, false, false};
        QTest::newRow("loaded") << 1 << QList<bool>{true, true, true, true, true, true};
        QTest::newRow("no respondents") << 2 << QList<bool>{false, true, false, true, true, true};
    }
    void enabling() {
        QFETCH(int, state);
        QFETCH(QList<bool>, enabled);
        Session s;
        if (state == 0) s.form->clear().AClear();
        if (state == 2) s.form->clear().DClear();
        emit s.File1()->aboutToShow();
        emit s.menu("Results1")->aboutToShow();
        emit s.menu("Edit1")->aboutToShow();
        QCOMPARE((QList<bool>{s.action("Export1")->isEnabled(), s.action("Chart1")->isEnabled(),
                              s.action("CrossTab1")->isEnabled(), s.action("Report1")->isEnabled(),
                              s.action("Import1")->isEnabled(), s.action("DataAdd1")->isEnabled()}),
                 enabled);
        QVERIFY(s.finish());
    }

    void exportWritesTheChosenFile() {
        Session s;
        s.platform.expectSaveFile(s.path(QStringLiteral("out.csv")));
        s.action("Export1")->trigger();
        QCOMPARE(QFileInfo(s.platform.dialogs.value(0).dialog.fileName).fileName(),
                 u("vev_回答.csv"));
        QVERIFY(readAll(s.path(QStringLiteral("out.csv")))
                    .startsWith("\xEF\xBB\xBF"
                                "id,q1"));
        QVERIFY(QFileInfo::exists(s.path(QStringLiteral("out_codebook.csv"))));
        QVERIFY(s.finish());
    }

    // The option follows each load and the toggle, and never marks the survey changed.
    void respondentBaseOption() {
        Session s;
        s.action("RBase1")->trigger();
        QVERIFY(s.doc->RBase1);
        QVERIFY(!s.doc->Modified);
        for (const char* file : {"vev.dat", "rbase.dat", "vev.dat"}) {
            s.platform.expectOpenFiles({s.path(QLatin1String(file))});
            s.Open1()->trigger();
            const bool on = QLatin1String(file) == QLatin1String("rbase.dat");
            QCOMPARE(s.action("RBase1")->isChecked(), on);
            QCOMPARE(s.doc->RBase1, on);
            QVERIFY(!s.doc->Modified);
        }
        QVERIFY(s.finish());
    }

    // The one chart window follows a typed answer, a clear and the option.
    void chartFollowsTheCounts() {
        Session s;
        QVERIFY(s.showActive());
        s.action("Chart1")->trigger();
        QWidget* chart = s.chart();
        QVERIFY(chart && chart->isVisible());
        QCOMPARE(chart->findChild<QListWidget*>(QStringLiteral("questionList"))->currentRow(), 0);
        const QList<qreal> before = bars(chart);
        QCOMPARE(before.size(), 3); // choices 1, 2, then NG
        s.stand(3, 1);
        QVERIFY(s.type(QStringLiteral("2")));
        QTRY_COMPARE(bars(chart), (QList<qreal>{before[0], before[1] + 1, before[2]}));
        s.form->clear().DClear();
        QTRY_COMPARE(bars(chart), (QList<qreal>{0, 0, 0}));
        chart->close();
        s.action("Chart1")->trigger();
        QCOMPARE(s.chart(), chart);
        QVERIFY(chart->isVisible());
        QVERIFY(s.finish());
    }

    void crossTableOpens() {
        Session s;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CrossTableDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = dialog->windowTitle();
            QTest::mouseClick(dialog->CloseButton, Qt::LeftButton);
        });
        s.action("CrossTab1")->trigger();
        QCOMPARE(shown, u("クロス集計"));
        QVERIFY(s.finish());
    }

    void reportWritesAPdf_data() {
        QTest::addColumn<bool>("respondents");
        QTest::newRow("answers") << true;
        QTest::newRow("no respondents") << false;
    }
    void reportWritesAPdf() {
        QFETCH(bool, respondents);
        Session s;
        if (!respondents) s.form->clear().DClear();
        s.platform.expectSaveFile(s.path(QStringLiteral("out.pdf")));
        s.action("Report1")->trigger();
        QVERIFY(readAll(s.path(QStringLiteral("out.pdf"))).startsWith("%PDF"));
        QVERIFY(s.finish());
    }
};

QTEST_MAIN(TestResultsMenus)
#include "tst_results_menus_window.moc"
