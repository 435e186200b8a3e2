#include "app/main_window.h"

#include "fake_platform.h"
#include "linked/linked_list_dialog.h"
#include "model/sjis.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;

namespace {

// A tally file of the lunch survey whose only count is `count` in Q-one's first choice.
void writeTally(const QString& path, int count) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Lunch survey,,2026/12/07\r\n\r\n  ,Q,1,2,NG\r\n");
    file.write(" 1,Q-one," + QByteArray::number(count) + ",0,0\r\n\r\n");
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

} // namespace

class TestLinkedList : public QObject {
    Q_OBJECT

    std::unique_ptr<SurveyDocument> doc;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm4> list;
    std::unique_ptr<QTemporaryDir> dir;
    QString startFolder;

    QString inDir(const QString& name) const { return dir->filePath(name); }

    // Links the named files of the temporary folder (each counts 2^index in Q-one).
    void link(const QStringList& names) {
        QStringList paths;
        for (const QString& name : names) paths << inDir(name);
        platform->expectOpenFiles(paths);
        form->CsvR1Click();
    }

    QStringList linkedNames() const {
        QStringList names;
        for (int i = 1; i <= doc->LinkedTallyFileCount; ++i)
            names << QFileInfo(QString::fromStdString(doc->LinkedTallyFile[i])).fileName();
        return names;
    }

    // Every link is the full path in the survey's folder.
    bool linksAreFullPaths() const {
        for (int i = 1; i <= doc->LinkedTallyFileCount; ++i)
            if (QFileInfo(QString::fromStdString(doc->LinkedTallyFile[i])).absolutePath() !=
                dir->path())
                return false;
        return true;
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
        doc->QuestionCount = 1;
        doc->QuestionText[1] = "Q-one";
        doc->ChoiceCount[1] = 2;
        doc->Tally[1][1] = 1000;
        doc->DataFilePath = inDir(QStringLiteral("lunch.dat")).toStdString();
        const QStringList names = {QStringLiteral("a.csv"), QStringLiteral("b.csv"),
                                   QStringLiteral("c.csv"), QStringLiteral("d.csv")};
        for (int i = 0; i < names.size(); ++i) writeTally(inDir(names[i]), 1 << i);
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

    void layout() {
        QCOMPARE(list->objectName(), QStringLiteral("Form4"));
        QCOMPARE(list->windowTitle(), QString::fromUtf8("集計ファイルの追加と削除"));
        QCOMPARE(list->size(), QSize(292, 126));
        QCOMPARE(list->minimumSize(), list->maximumSize());
        QVERIFY(list->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!list->isModal());
        QVERIFY(list->isHidden());
        QCOMPARE(list->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QString::fromUtf8("追加してある集計ファイル"));
        auto* box = list->findChild<QListWidget*>(QStringLiteral("ListBox1"));
        QCOMPARE(box->geometry(), QRect(15, 30, 175, 81));
        QCOMPARE(box->selectionMode(), QAbstractItemView::ExtendedSelection);
        auto* add = list->findChild<QPushButton*>(QStringLiteral("Button1"));
        auto* remove = list->findChild<QPushButton*>(QStringLiteral("Button2"));
        QCOMPARE(add->text(), QString::fromUtf8("一覧に追加"));
        QCOMPARE(add->geometry(), QRect(200, 40, 81, 21));
        QCOMPARE(remove->text(), QString::fromUtf8("一覧から削除"));
        QCOMPARE(remove->geometry(), QRect(200, 80, 81, 21));
    }

    void listIsSortedAndTheLinksFollowIt() {
        link({QStringLiteral("c.csv"), QStringLiteral("a.csv")});
        // While the list is closed the links stay in linking order.
        QCOMPARE(linkedNames(), (QStringList{QStringLiteral("c.csv"), QStringLiteral("a.csv")}));

        form->CsvL1Click();
        QVERIFY(list->isVisible());
        const QStringList sorted = {QStringLiteral("a.csv"), QStringLiteral("c.csv")};
        QCOMPARE(itemsOf(list->ListBox1), sorted);
        QCOMPARE(linkedNames(), sorted);
        QVERIFY(linksAreFullPaths());

        // Linking through the list's own button while it shows.
        platform->expectOpenFiles({inDir(QStringLiteral("b.csv"))});
        QTest::mouseClick(list->Button1, Qt::LeftButton);
        const QStringList three = {QStringLiteral("a.csv"), QStringLiteral("b.csv"),
                                   QStringLiteral("c.csv")};
        QCOMPARE(itemsOf(list->ListBox1), three);
        QCOMPARE(linkedNames(), three);
        QVERIFY(linksAreFullPaths());
        QCOMPARE(doc->Tally[1][1], 1000 + 1 + 2 + 4);
    }

    void removal_data() {
        QTest::addColumn<QStringList>("linked");
        QTest::addColumn<QList<int>>("selectedRows");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<QString>("selectedAfter"); // "" = nothing selected

        const QStringList four = {QStringLiteral("a.csv"), QStringLiteral("b.csv"),
                                  QStringLiteral("c.csv"), QStringLiteral("d.csv")};
        QTest::newRow("one in the middle")
            << four << QList<int>{1}
            << QStringList{QStringLiteral("a.csv"), QStringLiteral("c.csv"),
                           QStringLiteral("d.csv")}
            << "c.csv";
        QTest::newRow("several, one after another")
            << four << QList<int>{0, 2}
            << QStringList{QStringLiteral("b.csv"), QStringLiteral("d.csv")} << "d.csv";
        QTest::newRow("the last item selects the new last")
            << four << QList<int>{3}
            << QStringList{QStringLiteral("a.csv"), QStringLiteral("b.csv"),
                           QStringLiteral("c.csv")}
            << "c.csv";
        QTest::newRow("all of them") << four << QList<int>{0, 1, 2, 3} << QStringList{} << "";
        QTest::newRow("the only item")
            << QStringList{QStringLiteral("b.csv")} << QList<int>{0} << QStringList{} << "";
    }
    void removal() {
        QFETCH(QStringList, linked);
        QFETCH(QList<int>, selectedRows);
        QFETCH(QStringList, remaining);
        QFETCH(QString, selectedAfter);
        link(linked);
        form->CsvL1Click();
        doc->Modified = false;
        list->ListBox1->setCurrentRow(selectedRows.first(), QItemSelectionModel::ClearAndSelect);
        for (int row : selectedRows) list->ListBox1->item(row)->setSelected(true);

        QTest::mouseClick(list->Button2, Qt::LeftButton);

        QCOMPARE(itemsOf(list->ListBox1), remaining);
        QCOMPARE(linkedNames(), remaining);
        QVERIFY(linksAreFullPaths());
        int expected = 1000;
        for (const QString& name : remaining) expected += 1 << (name.at(0).unicode() - 'a');
        QCOMPARE(doc->Tally[1][1], expected);
        QVERIFY(doc->Modified);
        const QList<QListWidgetItem*> selected = list->ListBox1->selectedItems();
        if (selectedAfter.isEmpty()) {
            QVERIFY(selected.isEmpty());
        } else {
            QCOMPARE(selected.size(), 1);
            QCOMPARE(selected.first()->text(), selectedAfter);
        }
    }

    void removalWithoutACurrentItemDoesNothing() {
        link({QStringLiteral("a.csv")});
        form->CsvL1Click();
        list->ListBox1->setCurrentItem(nullptr);
        list->Button2Click();
        QCOMPARE(doc->LinkedTallyFileCount, 1);
        QCOMPARE(doc->Tally[1][1], 1001);
    }

    void showingListFollowsDroppedLinks() {
        link({QStringLiteral("a.csv"), QStringLiteral("b.csv")});
        form->CsvL1Click();
        // A load, New or clear drops the links together with the tally.
        doc->LinkedTallyFileCount = 0;
        doc->Tally[1][1] = 0;
        list->refillIfShowing();
        QCOMPARE(list->ListBox1->count(), 0);

        list->ListBox1->setCurrentRow(0);
        list->Button2Click();
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->Tally[1][1], 0);
    }

    void hiddenListIsLeftAlone() {
        link({QStringLiteral("b.csv"), QStringLiteral("a.csv")});
        list->refillIfShowing();
        QCOMPARE(list->ListBox1->count(), 0);
        QCOMPARE(linkedNames(), (QStringList{QStringLiteral("b.csv"), QStringLiteral("a.csv")}));
    }

    void removalSubtractsTheLinkedFileWhereverTheCurrentFolderIs() {
        link({QStringLiteral("a.csv")});
        form->CsvL1Click();
        // Another command's dialog left the current folder where another a.csv lies.
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("elsewhere")));
        writeTally(inDir(QStringLiteral("elsewhere/a.csv")), 500);
        QDir::setCurrent(inDir(QStringLiteral("elsewhere")));
        form->CsvL1Click();
        QVERIFY(linksAreFullPaths());

        list->ListBox1->setCurrentRow(0);
        list->Button2Click();

        QCOMPARE(doc->Tally[1][1], 1000);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
    }

    void unreadableFileStaysListedAndLinked() {
        link({QStringLiteral("a.csv"), QStringLiteral("b.csv")});
        form->CsvL1Click();
        QVERIFY(QFile::remove(inDir(QStringLiteral("a.csv"))));
        list->ListBox1->setCurrentRow(0);
        platform->expectMessage(Platform::Answer::Ok);

        QTest::mouseClick(list->Button2, Qt::LeftButton);

        QCOMPARE(platform->messages.last().icon, Platform::Icon::Error);
        const QStringList both = {QStringLiteral("a.csv"), QStringLiteral("b.csv")};
        QCOMPARE(itemsOf(list->ListBox1), both);
        QCOMPARE(linkedNames(), both);
        QCOMPARE(doc->Tally[1][1], 1003);
    }
};

QTEST_MAIN(TestLinkedList)
#include "tst_linked_list_window.moc"
