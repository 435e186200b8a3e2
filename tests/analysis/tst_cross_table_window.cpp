#include "analysis/cross_table_dialog.h"

#include "core_test_util.h"
#include "fake_platform.h"
#include "model/recording.h"
#include "survey_fixtures.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vev;
using namespace vev::test;

namespace {

// What the table widget shows, one line per row, cells separated by spaces, headers included.
QString shown(const QTableWidget* table) {
    QStringList lines;
    QStringList header{QString()};
    for (int b = 0; b < table->columnCount(); ++b) header << table->horizontalHeaderItem(b)->text();
    lines << header.join(QLatin1Char(' '));
    for (int a = 0; a < table->rowCount(); ++a) {
        QStringList line{table->verticalHeaderItem(a)->text()};
        for (int b = 0; b < table->columnCount(); ++b) line << table->item(a, b)->text();
        lines << line.join(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i) list << box->itemText(i);
    return list;
}

} // namespace

class TestCrossTableWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<SurveyDocument> doc;
    std::unique_ptr<FakePlatform> platform;
    QString previousFolder;

private slots:
    void init() {
        previousFolder = QDir::currentPath();
        doc = smallCrossSurvey();
        platform = std::make_unique<FakePlatform>();
    }
    void cleanup() {
        QDir::setCurrent(previousFolder);
        QString why;
        QVERIFY2(platform->verifyDone(&why), qPrintable(why));
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // The dialog offers the choice and multi-select questions and recounts on every change.
    void choices_data() {
        QTest::addColumn<int>("row"); // combo index
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("view"); // combo index: counts, row %, column %, total %
        QTest::addColumn<bool>("showOpen");
        QTest::addColumn<QString>("expected");
        QTest::newRow("at first: A by B, counts, unanswered and NG shown")
            << 0 << 1 << 0 << true
            << u(" 1 2 3 無回答 NG 計\n1 1 1 0 1 0 2\n2 0 1 2 0 0 2\n無回答 0 0 0 0 1 1\n"
                 "NG 1 1 1 0 0 1\n計 2 3 3 1 1 6");
        QTest::newRow("row per cent without unanswered and NG")
            << 0 << 1 << 1 << false
            << u(" 1 2 3 計\n1 100 100 0 200\n2 0 50 100 150\n計 33 67 67 167");
        QTest::newRow("B by itself, column per cent")
            << 1 << 1 << 2 << false
            << u(" 1 2 3 計\n1 100 67 33 50\n2 100 100 67 75\n3 50 67 100 75\n"
                 "計 250 234 200 200");
    }
    void choices() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, view);
        QFETCH(bool, showOpen);
        QFETCH(QString, expected);
        CrossTableDialog dialog(*doc, *platform);
        QCOMPARE(items(dialog.RowQuestion), (QStringList{u("1  A"), u("2  B（複数選択）")}));
        QCOMPARE(items(dialog.ColumnQuestion), items(dialog.RowQuestion));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.RowQuestion->setCurrentIndex(row);
        dialog.ColumnQuestion->setCurrentIndex(column);
        dialog.ViewBox->setCurrentIndex(view);
        if (!showOpen) {
            dialog.ShowOpen->setFocus();
            QTest::keyClick(dialog.ShowOpen, Qt::Key_Space);
        }
        QCOMPARE(dialog.ShowOpen->isChecked(), showOpen);
        QCOMPARE(shown(dialog.Table), expected);
        QVERIFY(dialog.LinkedNote->isHidden());
        QVERIFY(dialog.BaseNote->text().startsWith(
            u("計は回答者数（複数選択の質問は、いくつ選んでも1人と数えます）です。")));
    }

    void copyAndSave() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        doc->DataFilePath = native(dir.filePath(QStringLiteral("small.dat")));
        CrossTableDialog dialog(*doc, *platform);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString counts = u(",1,2,3,無回答,NG,計\r\n1,1,1,0,1,0,2\r\n2,0,1,2,0,0,2\r\n"
                                 "無回答,0,0,0,0,1,1\r\nNG,1,1,1,0,0,1\r\n計,2,3,3,1,1,6\r\n");

        QTest::mouseClick(dialog.CopyButton, Qt::LeftButton);
        QString tabs = counts;
        tabs.replace(u("\r\n"), u("\n")).replace(QLatin1Char(','), QLatin1Char('\t'));
        QCOMPARE(QGuiApplication::clipboard()->text(), tabs);

        const QString target = dir.filePath(QStringLiteral("out.csv"));
        platform->expectSaveFile(target);
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
        // For a spreadsheet: the byte order mark, the two questions, the base.
        QCOMPARE(readAll(target),
                 "\xEF\xBB\xBF" + (u("Q1 A × Q2 B") + counts +
                                   u("\r\n計は回答者数（複数選択の質問は、いくつ選んでも1人と"
                                     "数えます）です。\r\n"))
                                      .toUtf8());
        const Platform::FileDialog& shownDialog = platform->dialogs.last().dialog;
        QVERIFY(platform->dialogs.last().save);
        QCOMPARE(shownDialog.title, u("クロス集計を保存"));
        QCOMPARE(shownDialog.filter, u("CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*"));
        QCOMPARE(shownDialog.defaultSuffix, u("csv"));
        QCOMPARE(shownDialog.fileName, dir.filePath(QStringLiteral("small_cross_1_2.csv")));

        // Cancelled: nothing written. Refused by the file system: the error report.
        platform->expectSaveFile(QString());
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
        platform->expectSaveFile(dir.filePath(QStringLiteral("missing/out.csv")));
        platform->expectMessage(Platform::Answer::Ok);
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
        QCOMPARE(platform->messages.size(), 1);
        QCOMPARE(platform->messages.last().text,
                 u("書き込めません：%1（ファイルまたはフォルダが見つかりません）。")
                     .arg(dir.filePath(QStringLiteral("missing/out.csv"))));
        QCOMPARE(platform->messages.last().icon, Platform::Icon::Error);
        // Never over the survey itself.
        platform->expectSaveFile(dir.filePath(QStringLiteral("small.dat")));
        platform->expectMessage(Platform::Answer::Ok);
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
        QCOMPARE(platform->messages.last().text,
                 u("%1 はこのアンケートのデータファイルです。上書きできません。")
                     .arg(dir.filePath(QStringLiteral("small.dat"))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{QStringLiteral("out.csv")}));
    }

    // Keyboard alone: Tab passes through the table to the buttons; every mnemonic acts.
    void keyboard() {
        CrossTableDialog dialog(*doc, *platform);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        const QList<QWidget*> walk{dialog.ColumnQuestion, dialog.ViewBox,    dialog.ShowOpen,
                                   dialog.Table,          dialog.CopyButton, dialog.SaveButton,
                                   dialog.CloseButton,    dialog.RowQuestion};
        QCOMPARE(tabWalk(dialog.RowQuestion), walk);
        QCOMPARE(mnemonicLetters(&dialog), QStringLiteral("CLNRSV"));

        const QList<std::pair<char, QWidget*>> focusing{
            {'L', dialog.ColumnQuestion}, {'V', dialog.ViewBox}, {'R', dialog.RowQuestion}};
        for (const auto& [letter, box] : focusing) {
            pressMnemonic(&dialog, letter);
            QCOMPARE(dialog.focusWidget(), box);
        }
        pressMnemonic(&dialog, 'N');
        QTRY_VERIFY(!dialog.ShowOpen->isChecked());
        QGuiApplication::clipboard()->clear();
        pressMnemonic(&dialog, 'C');
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), crossGridText(dialog.grid()));
        platform->expectSaveFile(QString());
        pressMnemonic(&dialog, 'S');
        QTRY_COMPARE(platform->dialogs.size(), 1);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        QVERIFY(dialog.isHidden());
    }

    // The menu command: the dialog over the window, or a message when nothing can be crossed.
    void command() {
        QWidget window;
        window.show();
        doc->LinkedTallyFileCount = 1;
        QString title;
        bool noteShown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CrossTableDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            title = dialog->windowTitle();
            noteShown = dialog->LinkedNote->isVisible();
            QTest::mouseClick(dialog->CloseButton, Qt::LeftButton);
        });
        CrossTab1Click(&window, *doc, *platform);
        QCOMPARE(title, u("クロス集計"));
        QVERIFY(noteShown);

        doc->ChoiceCount[1] = 1;
        doc->ChoiceCount[2] = 1;
        platform->expectMessage(Platform::Answer::Ok);
        CrossTab1Click(&window, *doc, *platform);
        QCOMPARE(platform->messages.last().text, u("クロス集計できる選択肢の質問がありません。"));
        QCOMPARE(platform->messages.last().caption, u("VEV"));
    }
};

QTEST_MAIN(TestCrossTableWindow)
#include "tst_cross_table_window.moc"
