#include "analysis/cross_table_dialog.h"

#include "core_test_util.h"
#include "fake_platform.h"
#include "model/recording.h"
#include "survey_fixtures.h"

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
            << u(" 1 2 3 無回答 NG 計\n1 1 1 0 1 0 3\n2 0 1 2 0 0 3\n無回答 0 0 0 0 1 1\n"
                 "NG 1 1 1 0 0 3\n計 2 3 3 1 1 10");
        QTest::newRow("row per cent without unanswered and NG")
            << 0 << 1 << 1 << false
            << u(" 1 2 3 計\n1 50 50 0 100\n2 0 33 67 100\n計 20 40 40 100");
        QTest::newRow("B by itself, column per cent")
            << 1 << 1 << 2 << false
            << u(" 1 2 3 計\n1 40 29 17 28\n2 40 43 33 39\n3 20 29 50 33\n計 100 100 100 100");
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
    }

    void copyAndSave() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        doc->DataFilePath = native(dir.filePath(QStringLiteral("small.dat")));
        CrossTableDialog dialog(*doc, *platform);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString counts = u(",1,2,3,無回答,NG,計\r\n1,1,1,0,1,0,3\r\n2,0,1,2,0,0,3\r\n"
                                 "無回答,0,0,0,0,1,1\r\nNG,1,1,1,0,0,3\r\n計,2,3,3,1,1,10\r\n");

        QTest::mouseClick(dialog.CopyButton, Qt::LeftButton);
        QString tabs = counts;
        tabs.replace(u("\r\n"), u("\n")).replace(QLatin1Char(','), QLatin1Char('\t'));
        QCOMPARE(QGuiApplication::clipboard()->text(), tabs);

        const QString target = dir.filePath(QStringLiteral("out.csv"));
        platform->expectSaveFile(target);
        QTest::mouseClick(dialog.SaveButton, Qt::LeftButton);
        QCOMPARE(readAll(target), counts.toUtf8());
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
        QCOMPARE(platform->messages.last().text, u("File not found."));
        QCOMPARE(platform->messages.last().icon, Platform::Icon::Error);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{QStringLiteral("out.csv")}));
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
