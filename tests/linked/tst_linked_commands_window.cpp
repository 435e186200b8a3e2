#include "app/main_window.h"

#include "fake_platform.h"
#include "linked/linked_list_dialog.h"
#include "linked/tally_file.h"
#include "model/sjis.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;

namespace {

const QString Filter = QString::fromUtf8("集計ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");

QByteArray sj(const char* utf8) {
    return QByteArray::fromStdString(sjis::fromUtf8(utf8));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// A tally file of the lunch survey: counts of Q-one (1, 2, NG) and Q-two (1, 2, 3, NG).
void writeTally(const QString& path, const QByteArray& title, QList<int> one, QList<int> two) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray lines[] = {
        title + ",," + sj("　") + "2026/12/07",
        "",
        "  ,\"" + sj("質問内容            ") + "\",   1,   2,   3,  NG",
        QByteArray(" 1,\"Q-one               \",") + QByteArray::number(one[0]) + "," +
            QByteArray::number(one[1]) + ",    ," + QByteArray::number(one[2]),
        QByteArray(" 2,\"Q-two               \",") + QByteArray::number(two[0]) + "," +
            QByteArray::number(two[1]) + "," + QByteArray::number(two[2]) + "," +
            QByteArray::number(two[3]),
        "",
        "other.dat by VEV",
    };
    for (const QByteArray& line : lines) file.write(line + "\r\n");
}

QList<int> tallyOf(const SurveyDocument& doc) {
    return {doc.Tally[1][1], doc.Tally[1][2], doc.Tally[1][9], doc.Tally[2][1],
            doc.Tally[2][2], doc.Tally[2][3], doc.Tally[2][9]};
}

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

class TestLinkedCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<SurveyDocument> doc;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm4> list;
    std::unique_ptr<QTemporaryDir> dir;
    QString startFolder;

    QString inDir(const QString& name) const { return dir->filePath(name); }
    std::string pathOf(const char* name) const { return inDir(QLatin1String(name)).toStdString(); }

    // Chooses the files in the add command; `refused` of them are expected to be refused.
    void linkFiles(const QStringList& paths, int refused = 0) {
        platform->expectOpenFiles(paths);
        for (int i = 0; i < refused; ++i) platform->expectPositionedMessage();
        form->CsvR1Click();
    }

private slots:
    void initTestCase() { startFolder = QDir::currentPath(); }

    void init() {
        QDir::setCurrent(startFolder);
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        doc = std::make_unique<SurveyDocument>();
        platform = std::make_unique<FakePlatform>();
        platform->programDir = dir->path() + QLatin1Char('/');
        form = std::make_unique<TForm1>(*doc, *platform, QStringList{});
        list = std::make_unique<TForm4>(*form);
        form->attachDialogs(nullptr, list.get());
        doc->SurveyTitle = "Lunch survey";
        doc->QuestionCount = 2;
        doc->QuestionText[1] = "Q-one";
        doc->QuestionText[2] = "Q-two";
        doc->ChoiceCount[1] = 2;
        doc->ChoiceCount[2] = 3;
        doc->Tally[1][1] = 4;
        doc->Tally[2][3] = 2;
        doc->DataFilePath = pathOf("lunch.dat");
        writeTally(inDir(QStringLiteral("a.csv")), "Lunch survey", {1, 2, 3}, {4, 5, 6, 7});
        writeTally(inDir(QStringLiteral("lunch.csv")), "Lunch survey", {9, 9, 9}, {9, 9, 9, 9});
        writeTally(inDir(QStringLiteral("other.csv")), "Dinner survey", {1, 1, 1}, {1, 1, 1, 1});
    }

    void cleanup() {
        QString why;
        const bool done = platform->verifyDone(&why);
        list.reset();
        form.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
        QDir::setCurrent(startFolder);
        QVERIFY2(done, qPrintable(why));
    }

    void addDialog() {
        linkFiles({});
        QCOMPARE(platform->dialogs.size(), 1);
        const Platform::FileDialog& shown = platform->dialogs.first().dialog;
        QCOMPARE(shown.title, u("集計ファイル追加"));
        QCOMPARE(shown.filter, Filter);
        QCOMPARE(shown.defaultSuffix, QStringLiteral("csv"));
        QVERIFY(shown.fileName.isEmpty());
        QVERIFY(shown.multiple);
        // Even a cancelled add fixes the results file it will refuse.
        QCOMPARE(doc->ResultsFilePath, pathOf("lunch.csv"));
    }

    void refusals_data() {
        QTest::addColumn<QString>("dataFile"); // "" = never saved; otherwise a name in the folder
        QTest::addColumn<QString>("chosen");   // a name in the folder, or an absolute path
        QTest::addColumn<bool>("linkFirst");   // link the chosen file once before
        QTest::addColumn<QString>("message");  // %1 = the chosen file's name, %2 = its full path

        QTest::newRow("already linked") << "lunch.dat"
                                        << "a.csv" << true << u("既に、追加済みです。\r%1");
        QTest::newRow("the survey's own results file")
            << "lunch.dat"
            << "lunch.csv" << false
            << u("このアンケートの出力先となる集計結果ファイルを二重に追加することはできません。"
                 "\r%1");
        QTest::newRow("another folder")
            << "lunch.dat"
            << "sub/a.csv" << false
            << u("アンケートと異なるパスにある集計結果ファイルを追加することはできません。\r%2");
        QTest::newRow("survey never saved")
            << ""
            << "a.csv" << false
            << u("アンケートと異なるパスにある集計結果ファイルを追加することはできません。\r%2");
        QTest::newRow("another survey's title")
            << "lunch.dat"
            << "other.csv" << false << u("アンケートタイトルが違うので追加できません。\r%1");
    }
    void refusals() {
        QFETCH(QString, dataFile);
        QFETCH(QString, chosen);
        QFETCH(bool, linkFirst);
        QFETCH(QString, message);
        doc->DataFilePath = dataFile.isEmpty() ? std::string() : inDir(dataFile).toStdString();
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("sub")));
        writeTally(inDir(QStringLiteral("sub/a.csv")), "Lunch survey", {1, 1, 1}, {1, 1, 1, 1});
        const QString path = inDir(chosen);
        if (linkFirst) linkFiles({path});
        const QList<int> before = tallyOf(*doc);
        const int linked = doc->LinkedTallyFileCount;
        doc->Modified = false;
        platform->beeps = 0;
        platform->messages.clear();

        linkFiles({path}, 1);

        QCOMPARE(platform->beeps, 1);
        QCOMPARE(platform->messages.size(), 1);
        QVERIFY(platform->messages.first().positioned);
        QCOMPARE(platform->messages.first().text,
                 QString(message)
                     .replace(QStringLiteral("%1"), QFileInfo(path).fileName())
                     .replace(QStringLiteral("%2"), path));
        QCOMPARE(tallyOf(*doc), before);
        QCOMPARE(doc->LinkedTallyFileCount, linked);
        QVERIFY(!doc->Modified);
        if (dataFile.isEmpty()) QCOMPARE(doc->ResultsFilePath, std::string(".csv"));
    }

    void refusalDoesNotStopTheOtherFiles() {
        writeTally(inDir(QStringLiteral("b.csv")), "Lunch survey", {10, 20, 30}, {1, 1, 1, 1});
        linkFiles({inDir(QStringLiteral("a.csv")), inDir(QStringLiteral("other.csv")),
                   inDir(QStringLiteral("b.csv"))},
                  1);

        QCOMPARE(doc->LinkedTallyFileCount, 2);
        QCOMPARE(doc->LinkedTallyFile[1], pathOf("a.csv"));
        QCOMPARE(doc->LinkedTallyFile[2], pathOf("b.csv"));
        QCOMPARE(tallyOf(*doc),
                 (QList<int>{4 + 1 + 10, 2 + 20, 3 + 30, 4 + 1, 5 + 1, 2 + 6 + 1, 7 + 1}));
        QVERIFY(doc->Modified);
        // The grid's count line follows the merged counts.
        QVERIFY(form->ad[1]->text().contains(QStringLiteral("15")));
    }

    void linkingThenUnlinkingRestoresTheCounts() {
        const QList<int> before = tallyOf(*doc);
        linkFiles({inDir(QStringLiteral("a.csv"))});
        QCOMPARE(tallyOf(*doc), (QList<int>{5, 2, 3, 4, 5, 8, 7}));

        form->CsvL1Click();
        list->ListBox1->setCurrentRow(0);
        list->Button2Click();

        QCOMPARE(tallyOf(*doc), before);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(list->ListBox1->count(), 0);
        QVERIFY(doc->Modified);
    }

    void fortyFirstFileRefused() {
        QStringList forty;
        for (int i = 1; i <= MaxLinkedTallyFiles + 1; ++i) {
            const QString path = inDir(QStringLiteral("t%1.csv").arg(i, 2, 10, QLatin1Char('0')));
            writeTally(path, "Lunch survey", {1, 0, 0}, {0, 0, 0, 0});
            forty << path;
        }
        const QString last = forty.takeLast();
        linkFiles(forty);
        QCOMPARE(doc->LinkedTallyFileCount, MaxLinkedTallyFiles);
        QCOMPARE(doc->Tally[1][1], 4 + 40);
        linkFiles({last}, 1);

        QCOMPARE(doc->LinkedTallyFileCount, MaxLinkedTallyFiles);
        QCOMPARE(doc->Tally[1][1], 4 + 40);
        QCOMPARE(platform->messages.last().text,
                 u("追加できる集計ファイルは40個までです。\rt41.csv"));
    }

    void additionSheet_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("made and opened") << false;
        QTest::newRow("cancelled") << true;
    }
    void additionSheet() {
        QFETCH(bool, cancel);
        doc->VersionString = VevVersion;
        const QString sheet = inDir(QStringLiteral("add1.csv"));
        platform->expectSaveFile(cancel ? QString() : sheet);

        form->CsvI1Click();

        const Platform::FileDialog& shown = platform->dialogs.first().dialog;
        QCOMPARE(shown.title, u("追加集計ファイル作成"));
        QCOMPARE(shown.filter, Filter);
        QCOMPARE(shown.defaultSuffix, QStringLiteral("csv"));
        QVERIFY(shown.fileName.isEmpty());
        QVERIFY(!doc->Modified);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        if (cancel) {
            QVERIFY(!QFile::exists(sheet));
            QVERIFY(platform->shellOpened.isEmpty());
            return;
        }
        QCOMPARE(platform->shellOpened, QStringList{sheet});
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
