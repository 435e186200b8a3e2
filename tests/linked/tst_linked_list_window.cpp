#include "app/main_window.h"

#include "linked/linked_list_dialog.h"
#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace vev;
using namespace vev::test;

namespace {

// "a b" -> {"a.csv", "b.csv"}
QStringList names(const char* letters) {
    QStringList files = QString::fromLatin1(letters).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& file : files) file += QStringLiteral(".csv");
    return files;
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

} // namespace

class TestLinkedList : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> s;
    SurveyDocument* doc = nullptr;
    TForm4* list = nullptr;

    // A tally file of the lunch survey whose only count is `count` in Q-one's first choice.
    void writeTally(const QString& name, int count) {
        QVERIFY(
            writeFile(s->path(name), "Lunch survey,,2026/12/07\r\n\r\n  ,Q,1,2,NG\r\n 1,Q-one," +
                                         QByteArray::number(count) + ",0,0\r\n\r\n"));
    }

    // Links the named files of the temporary folder (each counts 2^index in Q-one).
    void link(const QStringList& names) {
        QStringList paths;
        for (const QString& name : names) paths << s->path(name);
        s->platform.expectOpenFiles(paths);
        s->form->linked().CsvR1Click();
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
                s->dir.path())
                return false;
        return true;
    }

private slots:
    void init() {
        s = std::make_unique<WindowSession>();
        QVERIFY(s->dir.isValid());
        s->start();
        doc = s->doc.get();
        list = s->list;
        doc->SurveyTitle = "Lunch survey";
        doc->QuestionCount = 1;
        doc->QuestionText[1] = "Q-one";
        doc->ChoiceCount[1] = 2;
        doc->Tally[1][1] = 1000;
        doc->DataFilePath = s->nativePath("lunch.dat");
        const QStringList files = names("a b c d");
        for (int i = 0; i < files.size(); ++i) writeTally(files[i], 1 << i);
    }

    void cleanup() { QVERIFY(s->finish()); }

    void layout() {
        QCOMPARE(list->objectName(), QStringLiteral("Form4"));
        QCOMPARE(list->windowTitle(), QString::fromUtf8("集計ファイルの追加と削除"));
        QCOMPARE(list->size(), QSize(292, 126));
        QCOMPARE(list->minimumSize(), list->maximumSize());
        QVERIFY(list->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!list->isModal());
        QVERIFY(list->isHidden());
        QCOMPARE(list->font().family(), u("ＭＳ Ｐゴシック"));
        QCOMPARE(list->font().pixelSize(), 12);
        auto* label = list->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), u("追加してある集計ファイル"));
        QCOMPARE(label->pos(), QPoint(20, 10));
        QCOMPARE(label->font().pixelSize(), 13);
        auto* box = list->findChild<QListWidget*>(QStringLiteral("ListBox1"));
        QCOMPARE(box->geometry(), QRect(15, 30, 175, 81));
        QCOMPARE(box->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(box->isSortingEnabled());
        QCOMPARE(box->font().pixelSize(), 15);
        auto* add = list->findChild<QPushButton*>(QStringLiteral("Button1"));
        auto* remove = list->findChild<QPushButton*>(QStringLiteral("Button2"));
        QCOMPARE(add->text(), QString::fromUtf8("一覧に追加"));
        QCOMPARE(add->geometry(), QRect(200, 40, 81, 21));
        QCOMPARE(remove->text(), QString::fromUtf8("一覧から削除"));
        QCOMPARE(remove->geometry(), QRect(200, 80, 81, 21));
        QCOMPARE(add->font().pixelSize(), 12);
    }

    // The list opens with the keyboard: the next key goes to it, not to the grid behind it;
    // Tab reaches both buttons; Escape closes it and the main window takes the keys again.
    void opensActive() {
        QVERIFY(s->showActive());
        s->form->linked().CsvL1Click();
        QVERIFY(QTest::qWaitForWindowActive(list));
        QCOMPARE(list->focusWidget(), list->ListBox1);
        QCOMPARE(tabWalk(list->ListBox1),
                 (QList<QWidget*>{list->Button1, list->Button2, list->ListBox1}));
        QTest::keyClick(list->ListBox1, Qt::Key_Escape);
        QVERIFY(list->isHidden());
        QTRY_COMPARE(QApplication::activeWindow(), s->form.get());
    }

    void listIsSortedAndTheLinksFollowIt() {
        link(names("c a"));
        // While the list is closed the links stay in linking order.
        QCOMPARE(linkedNames(), names("c a"));

        s->form->linked().CsvL1Click();
        QVERIFY(list->isVisible());
        QCOMPARE(itemsOf(list->ListBox1), names("a c"));
        QCOMPARE(linkedNames(), names("a c"));
        QVERIFY(linksAreFullPaths());

        // Linking through the list's own button while it shows.
        s->platform.expectOpenFiles({s->path(QStringLiteral("b.csv"))});
        QTest::mouseClick(list->Button1, Qt::LeftButton);
        QCOMPARE(itemsOf(list->ListBox1), names("a b c"));
        QCOMPARE(linkedNames(), names("a b c"));
        QVERIFY(linksAreFullPaths());
        QCOMPARE(doc->Tally[1][1], 1000 + 1 + 2 + 4);
    }

    void removal_data() {
        QTest::addColumn<QStringList>("linked");
        QTest::addColumn<QList<int>>("selectedRows");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<QString>("selectedAfter"); // "" = nothing selected

        QTest::newRow("one in the middle")
            << names("a b c d") << QList<int>{1} << names("a c d") << "c.csv";
        QTest::newRow("several, one after another")
            << names("a b c d") << QList<int>{0, 2} << names("b d") << "d.csv";
        QTest::newRow("the last item selects the new last")
            << names("a b c d") << QList<int>{3} << names("a b c") << "c.csv";
        QTest::newRow("all of them")
            << names("a b c d") << QList<int>{0, 1, 2, 3} << names("") << "";
        QTest::newRow("the only item") << names("b") << QList<int>{0} << names("") << "";
    }
    void removal() {
        QFETCH(QStringList, linked);
        QFETCH(QList<int>, selectedRows);
        QFETCH(QStringList, remaining);
        QFETCH(QString, selectedAfter);
        link(linked);
        s->form->linked().CsvL1Click();
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
        QStringList selected;
        for (const QListWidgetItem* item : list->ListBox1->selectedItems())
            selected << item->text();
        QCOMPARE(selected, selectedAfter.isEmpty() ? QStringList{} : QStringList{selectedAfter});
    }

    void removalWithoutACurrentItemDoesNothing() {
        link(names("a"));
        s->form->linked().CsvL1Click();
        list->ListBox1->setCurrentItem(nullptr);
        list->Button2Click();
        QCOMPARE(doc->LinkedTallyFileCount, 1);
        QCOMPARE(doc->Tally[1][1], 1001);
    }

    void showingListFollowsDroppedLinks_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("clear the answers") << "DClear";
        QTest::newRow("clear the questionnaire") << "AClear";
        QTest::newRow("load another survey") << "load";
    }
    void showingListFollowsDroppedLinks() {
        QFETCH(QString, command);
        link(names("a b"));
        s->form->linked().CsvL1Click();

        if (command == QStringLiteral("DClear")) {
            s->form->clear().DClear();
        } else if (command == QStringLiteral("AClear")) {
            s->form->clear().AClear();
        } else {
            const QString other = s->path(QStringLiteral("sample.dat"));
            QVERIFY(QFile::copy(testData("sample.dat"), other));
            s->doc->OpenRequestPath = other.toStdString();
            s->form->Loaddatafile();
        }

        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(itemsOf(list->ListBox1), QStringList{});
        const int tally = doc->Tally[1][1];
        list->ListBox1->setCurrentRow(0);
        list->Button2Click(); // nothing is left to take out
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->Tally[1][1], tally);
    }

    void linksDroppedBehindTheListAreNeverTakenOutTwice() {
        link(names("a b"));
        s->form->linked().CsvL1Click();
        doc->LinkedTallyFileCount = 0; // dropped without the list hearing of it
        doc->Tally[1][1] = 0;
        list->ListBox1->setCurrentRow(0);
        list->Button2Click();
        QCOMPARE(doc->LinkedTallyFileCount, 0);
        QCOMPARE(doc->Tally[1][1], 0);
    }

    void hiddenListIsLeftAlone() {
        link(names("b a"));
        list->refillIfShowing();
        QCOMPARE(list->ListBox1->count(), 0);
        QCOMPARE(linkedNames(), names("b a"));
    }

    void removalSubtractsTheLinkedFileWhereverTheCurrentFolderIs() {
        link(names("a"));
        s->form->linked().CsvL1Click();
        // Another command's dialog left the current folder where another a.csv lies.
        QVERIFY(QDir(s->dir.path()).mkdir(QStringLiteral("elsewhere")));
        writeTally(QStringLiteral("elsewhere/a.csv"), 500);
        QDir::setCurrent(s->path(QStringLiteral("elsewhere")));
        s->form->linked().CsvL1Click();
        QVERIFY(linksAreFullPaths());

        list->ListBox1->setCurrentRow(0);
        list->Button2Click();

        QCOMPARE(doc->Tally[1][1], 1000);
        QCOMPARE(doc->LinkedTallyFileCount, 0);
    }

    void unreadableFileStaysListedAndLinked() {
        link(names("a b"));
        s->form->linked().CsvL1Click();
        QVERIFY(QFile::remove(s->path(QStringLiteral("a.csv"))));
        list->ListBox1->setCurrentRow(0);
        s->platform.expectMessage(Platform::Answer::Ok);

        QTest::mouseClick(list->Button2, Qt::LeftButton);

        QCOMPARE(s->platform.messages.last().icon, Platform::Icon::Error);
        QCOMPARE(itemsOf(list->ListBox1), names("a b"));
        QCOMPARE(linkedNames(), names("a b"));
        QCOMPARE(doc->Tally[1][1], 1003);
    }
};

QTEST_MAIN(TestLinkedList)
#include "tst_linked_list_window.moc"
