#include "app/main_window.h"

#include "linked/linked_list_dialog.h"
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>

using namespace vev;
using namespace vev::test;

namespace {

QList<int> tallyOf(const SurveyDocument& doc) {
    return {doc.Tally[1][1], doc.Tally[1][2], doc.Tally[1][9], doc.Tally[2][1],
            doc.Tally[2][2], doc.Tally[2][3], doc.Tally[2][9]};
}

} // namespace

class TestLinkedCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> s;
    SurveyDocument* doc = nullptr;

    // Chooses the files in the add command; `refused` of them are expected to be refused.
    void linkFiles(const QStringList& paths, int refused = 0) {
        s->platform.expectOpenFiles(paths);
        for (int i = 0; i < refused; ++i) s->platform.expectPositionedMessage();
        s->form->linked().CsvR1Click();
    }
    void writeTally(const char* name, const QByteArray& title, QList<int> one, QList<int> two) {
        QVERIFY(writeFile(s->path(QLatin1String(name)), lunchTallyFile(title, one, two)));
    }

private slots:
    void init() {
        s = std::make_unique<WindowSession>();
        QVERIFY(s->dir.isValid());
        s->start();
        doc = s->doc.get();
        setLunchQuestionnaire(*doc);
        doc->Tally[1][1] = 4;
        doc->Tally[2][3] = 2;
        doc->DataFilePath = s->nativePath("lunch.dat");
        writeTally("a.csv", "Lunch survey", {1, 2, 3}, {4, 5, 6, 7});
        writeTally("lunch.csv", "Lunch survey", {9, 9, 9}, {9, 9, 9, 9});
        writeTally("other.csv", "Dinner survey", {1, 1, 1}, {1, 1, 1, 1});
    }

    void cleanup() { QVERIFY(s->finish()); }

    void addDialog() {
        linkFiles({});
        QCOMPARE(s->platform.dialogs.size(), 1);
        QCOMPARE(fields(s->platform.dialogs.first()),
                 tallyDialog(false, "集計ファイル追加", {}, true));
        // Even a cancelled add fixes the results file it will refuse.
        QCOMPARE(doc->ResultsFilePath, s->nativePath("lunch.csv"));
    }

    void refusals_data() {
        QTest::addColumn<QString>("dataFile"); // "" = never saved; otherwise a name in the folder
        QTest::addColumn<QString>("resultsFile"); // "" = none yet; otherwise a name in the folder
        QTest::addColumn<QStringList>("before");  // linked first
        QTest::addColumn<QString>("chosen");      // a name in the folder
        QTest::addColumn<QString>("message");     // %1 = the chosen file's name, %2 = its full path

        const QString own =
            u("このアンケートの出力先となる集計結果ファイルを二重に追加することはできません。\r%1");
        QTest::newRow("already linked") << "lunch.dat"
                                        << "" << QStringList{QStringLiteral("a.csv")} << "a.csv"
                                        << u("既に、追加済みです。\r%1");
        QTest::newRow("the survey's own results file") << "lunch.dat"
                                                       << "" << QStringList{} << "lunch.csv" << own;
        // After the results were opened or saved under another name, every save still writes
        // lunch.csv beside the data file.
        QTest::newRow("own results file while another is the results path")
            << "lunch.dat"
            << "elsewhere.csv" << QStringList{} << "lunch.csv" << own;
        QTest::newRow("the results path chosen elsewhere")
            << "lunch.dat"
            << "elsewhere.csv" << QStringList{} << "elsewhere.csv" << own;
        QTest::newRow("another folder")
            << "lunch.dat"
            << "" << QStringList{} << "sub/a.csv"
            << u("アンケートと異なるパスにある集計結果ファイルを追加することはできません。\r%2");
        QTest::newRow("survey never saved")
            << ""
            << "" << QStringList{} << "a.csv"
            << u("アンケートと異なるパスにある集計結果ファイルを追加することはできません。\r%2");
        QTest::newRow("another survey's title")
            << "lunch.dat"
            << "" << QStringList{} << "other.csv"
            << u("アンケートタイトルが違うので追加できません。\r%1");
        QStringList forty;
        for (int i = 1; i <= MaxLinkedTallyFiles; ++i)
            forty << QStringLiteral("t%1.csv").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow("a 41st file")
            << "lunch.dat"
            << "" << forty << "t41.csv" << u("追加できる集計ファイルは40個までです。\r%1");
    }
    void refusals() {
        QFETCH(QString, dataFile);
        QFETCH(QString, resultsFile);
        QFETCH(QStringList, before);
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        QVERIFY(QDir(s->dir.path()).mkpath(QStringLiteral("sub")));
        QStringList paths;
        for (const QString& name : before + QStringList{chosen}) {
            paths << s->path(name);
            if (!QFile::exists(paths.last()))
                QVERIFY(writeFile(paths.last(),
                                  lunchTallyFile("Lunch survey", {1, 0, 0}, {0, 0, 0, 0})));
        }
        const QString path = paths.takeLast();
        if (!paths.isEmpty()) linkFiles(paths);
        QCOMPARE(doc->LinkedTallyFileCount, before.size());
        QCOMPARE(doc->Tally[1][1], 4 + before.size()); // each linked file counts one there
        doc->DataFilePath = dataFile.isEmpty() ? std::string() : s->nativePath("lunch.dat");
        if (!resultsFile.isEmpty()) doc->ResultsFilePath = native(s->path(resultsFile));
        s->form->linked().CsvL1Click(); // a refused file does not reach the showing list either
        const QList<int> tally = tallyOf(*doc);
        doc->Modified = false;
        s->platform.beeps = 0;
        s->platform.messages.clear();

        linkFiles({path}, 1);

        QCOMPARE(s->platform.beeps, 1);
        QCOMPARE(s->platform.messages.size(), 1);
        QVERIFY(s->platform.messages.first().positioned);
        QCOMPARE(s->platform.messages.first().text,
                 QString(message)
                     .replace(QStringLiteral("%1"), QFileInfo(path).fileName())
                     .replace(QStringLiteral("%2"), path));
        QCOMPARE(doc->CurrentTallyFilePath, path.toStdString());
        QCOMPARE(tallyOf(*doc), tally);
        QCOMPARE(doc->LinkedTallyFileCount, before.size());
        QCOMPARE(s->list->ListBox1->count(), before.size());
        QVERIFY(!doc->Modified);
        if (dataFile.isEmpty()) QCOMPARE(doc->ResultsFilePath, std::string(".csv"));
    }

    // 表, ソ and 能 end in the byte 0x5C, the code of '\' in Shift-JIS: their names are linked,
    // saved into the data file and linked again on load like any other.
    void namesWithSecondByte5C() {
        const QStringList names{u("表.csv"), u("ソフト.csv"), u("能力.csv"), u("集計表.csv")};
        QStringList paths;
        for (const QString& name : names) {
            paths << s->path(name);
            QVERIFY(
                writeFile(paths.last(), lunchTallyFile("Lunch survey", {1, 2, 0}, {0, 0, 1, 0})));
        }
        s->form->linked().CsvL1Click(); // the names also pass through the showing list
        linkFiles(paths);
        QCOMPARE(doc->LinkedTallyFileCount, 4);
        QCOMPARE(s->list->ListBox1->count(), 4);
        QCOMPARE(tallyOf(*doc), (QList<int>{4 + 4, 8, 0, 0, 0, 2 + 4, 0}));

        doc->WWrite = false;
        s->form->survey().hozon();
        const QByteArray saved = readAll(s->path(u("lunch.dat")));
        for (const QString& name : names)
            QVERIFY2(saved.contains(sj("追加用集計ファイル,") +
                                    QByteArray::fromStdString(sjis::fromQString(name)) + "\r\n"),
                     qPrintable(name));

        doc->OpenRequestPath = doc->DataFilePath;
        s->form->Loaddatafile();
        QCOMPARE(doc->LinkedTallyFileCount, 4);
        QStringList linked;
        for (int i = 1; i <= 4; ++i)
            linked << QFileInfo(QString::fromStdString(doc->LinkedTallyFile[i])).fileName();
        linked.sort();
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(linked, sorted);
        QVERIFY(!doc->Modified);
        QCOMPARE(tallyOf(*doc), (QList<int>{4, 8, 0, 0, 0, 4, 0})); // no answers were saved
    }

    void refusalDoesNotStopTheOtherFiles() {
        writeTally("b.csv", "Lunch survey", {10, 20, 30}, {1, 1, 1, 1});
        linkFiles({s->path(QStringLiteral("a.csv")), s->path(QStringLiteral("other.csv")),
                   s->path(QStringLiteral("b.csv"))},
                  1);

        QCOMPARE(doc->LinkedTallyFileCount, 2);
        QCOMPARE(doc->LinkedTallyFile[1], s->nativePath("a.csv"));
        QCOMPARE(doc->LinkedTallyFile[2], s->nativePath("b.csv"));
        QCOMPARE(tallyOf(*doc),
                 (QList<int>{4 + 1 + 10, 2 + 20, 3 + 30, 4 + 1, 5 + 1, 2 + 6 + 1, 7 + 1}));
        QVERIFY(doc->Modified);
        // The grid's count line follows the merged counts.
        QVERIFY(s->ad(1)->text().contains(QStringLiteral("15")));
    }

    void linkingThenUnlinkingRestoresTheCounts() {
        const QList<int> before = tallyOf(*doc);
        linkFiles({s->path(QStringLiteral("a.csv"))});
        QCOMPARE(tallyOf(*doc), (QList<int>{5, 2, 3, 4, 5, 8, 7}));

        s->form->linked().CsvL1Click();
        s->list->ListBox1->setCurrentRow(0);
        s->list->Button2Click();

        QCOMPARE(tallyOf(*doc), before);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(s->list->ListBox1->count(), 0);
        QVERIFY(doc->Modified);
    }

    void additionSheet_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("made and opened") << false;
        QTest::newRow("cancelled") << true;
    }
    void additionSheet() {
        QFETCH(bool, cancel);
        const QString sheet = s->path(QStringLiteral("add1.csv"));
        s->platform.expectSaveFile(cancel ? QString() : sheet);

        s->form->linked().CsvI1Click();

        QCOMPARE(fields(s->platform.dialogs.first()), tallyDialog(true, "追加集計ファイル作成"));
        QVERIFY(!doc->Modified);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        if (cancel) {
            QVERIFY(!QFile::exists(sheet));
            QVERIFY(s->platform.shellOpened.isEmpty());
            return;
        }
        QCOMPARE(s->platform.shellOpened, QStringList{sheet});
        const QByteArray written = readAll(sheet);
        QVERIFY(written.startsWith("Lunch survey,," + sj("　") + "2026/12/07\r\n" +
                                   sj("◆追加用（データ入力後、CSVファイルのまま上書き保存"
                                      "してください)") +
                                   "\r\n"));
        QVERIFY(written.contains(" 1,\"Q-one               \",   0,   0,    ,   0\r\n"));
        QVERIFY(written.contains("\r\n\r\nadd1.csv by VEV v1.11  "));
    }
};

QTEST_MAIN(TestLinkedCommands)
#include "tst_linked_commands_window.moc"
