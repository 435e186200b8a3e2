// The comparison dialog and the two double-entry commands, driven through their widgets with the
// scripted platform: what the dialog counts and lists, the jump to a cell, refreshing, the
// report, the refusals, and the blank copy for the second operator.
//
// a.dat is the example survey (性別 2 choices, 年代 6, よく使う機能 5 several at once;
// respondents 1,3,135 and 2,9,0); b.dat is a second keying of it with two differences.
#include "double_entry/compare_dialog.h"
#include "double_entry/double_entry_commands.h"

#include "fake_platform.h"
#include "model/data_file.h"
#include "model/recording.h"
#include "survey_fixtures.h"
#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <memory>

using namespace vev;
using test::sampleSurveyLines;
using test::u;

namespace {

const QStringList Answers{u("  1  ,1,3,135  "), u("  2  ,2,9,0    ")};
const QStringList Keyed{u("  1  ,1,3,13   "), u("  2  ,2,3,0    ")};

// The rows of the list, columns joined with "|".
QStringList rowsOf(const QTreeView* list) {
    const QAbstractItemModel* model = list->model();
    QStringList rows;
    for (int i = 0; i < model->rowCount(); ++i) {
        QStringList columns;
        for (int c = 0; c < model->columnCount(); ++c)
            columns << model->index(i, c).data().toString();
        rows << columns.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList summaryOf(const CompareDialog& dialog) {
    QStringList texts;
    for (const char* name : {"respondentsLabel", "answersLabel", "differencesLabel",
                             "oneSidedLabel", "agreementLabel"})
        texts << dialog.findChild<QLabel*>(QLatin1String(name))->text();
    return texts;
}

QStringList summary(int differing, int oneSided, const char* agreement) {
    return {u("照合した回答者：2人"), u("照合した回答：6件"), u("相違：%1件").arg(differing),
            u("一方のファイルだけの回答者：%1人").arg(oneSided), u("一致率：") + u(agreement)};
}

// The survey a.dat open, the scripted platform, the jumps the dialog asked for.
struct Session {
    QTemporaryDir dir;
    QString previousFolder = QDir::currentPath();
    FakePlatform platform;
    std::unique_ptr<SurveyDocument> doc;
    QList<QPair<int, int>> jumps;

    Session() {
        write("a.dat", sampleSurveyLines(u("満足度調査"), Answers));
        write("b.dat", sampleSurveyLines(u("満足度調査"), Keyed));
        doc = readSurveyForComparison(test::native(path("a.dat"))).Doc;
    }
    ~Session() { QDir::setCurrent(previousFolder); }
    QString path(const char* name) const { return dir.filePath(u(name)); }
    void write(const char* name, const QStringList& lines) const {
        QVERIFY(test::writeLines(path(name), lines));
    }
    CompareDialog::Jump jump() {
        return [this](int r, int q) { jumps.append({r, q}); };
    }
    std::unique_ptr<CompareDialog> dialog(const char* other) {
        return std::make_unique<CompareDialog>(*doc, platform, path(other), jump());
    }
    bool done() {
        QString why;
        const bool ok = platform.verifyDone(&why);
        if (!ok) qWarning("%s", qPrintable(why));
        return ok;
    }
};

void activate(QTreeView* list, int row) {
    const QModelIndex index = list->model()->index(row, 2);
    QVERIFY(index.isValid());
    const QPoint at = list->visualRect(index).center();
    // A double-click as the mouse makes it: a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestCompareDialog : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void counts_data() {
        QTest::addColumn<QStringList>("other");
        QTest::addColumn<QStringList>("summary");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("two answers differ")
            << Keyed << summary(2, 0, "66.6%")
            << QStringList{u("1|3|よく使う機能|135|13"), u("2|2|年代|NG|3")};
        QTest::newRow("a respondent in the other file only")
            << (Answers + QStringList{u("  3  ,1,1,1    ")}) << summary(0, 1, "66.6%")
            << QStringList{u("3||一方のファイルだけにある回答者|回答者なし|回答あり")};
        QTest::newRow("unanswered")
            << QStringList{Answers[0], u("  2  ,0,9,0    ")} << summary(1, 0, "83.3%")
            << QStringList{u("2|1|性別|2|無回答")};
        QTest::newRow("the same answers") << Answers << summary(0, 0, "100.0%") << QStringList();
    }
    void counts() {
        QFETCH(QStringList, other);
        QFETCH(QStringList, summary);
        QFETCH(QStringList, rows);
        Session s;
        s.write("other.dat", sampleSurveyLines(u("満足度調査"), other));
        const auto dialog = s.dialog("other.dat");
        QCOMPARE(summaryOf(*dialog), summary);
        const auto* list = dialog->findChild<QTreeView*>(QStringLiteral("differenceList"));
        QCOMPARE(rowsOf(list), rows);
        QCOMPARE(list->model()->headerData(3, Qt::Horizontal).toString(), u("このファイルの回答"));
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("filesLabel"))->text(),
                 u("このファイル：a.dat　　照合ファイル：other.dat"));
        QVERIFY(s.jumps.isEmpty());
        QVERIFY(s.done());
    }

    void jump() {
        Session s;
        s.write("other.dat",
                sampleSurveyLines(u("満足度調査"),
                                  Keyed + QStringList{u("  3  ,1,1,1    "), u("  4  ,1,1,1    ")}));
        const auto dialog = s.dialog("other.dat");
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto* list = dialog->findChild<QTreeView*>(QStringLiteral("differenceList"));
        QCOMPARE(list->model()->rowCount(), 4);

        activate(list, 1); // respondent 2, question 2
        QCOMPARE(s.jumps, (QList<QPair<int, int>>{{2, 2}}));
        // A respondent of the other file only: the new respondent after the last one can be
        // shown, from its first question; one further on cannot.
        activate(list, 2);
        activate(list, 3);
        QCOMPARE(s.jumps, (QList<QPair<int, int>>{{2, 2}, {3, 1}}));
        QCOMPARE(s.platform.beeps, 1);
        // Enter on the current row works as a double-click does.
        list->setCurrentIndex(list->model()->index(0, 0));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(s.jumps.last(), (QPair<int, int>{1, 3}));
        QVERIFY(s.done());
    }

    // The operator corrects the open survey, the other file changes on disk: refresh compares
    // both as they are now.
    void refresh() {
        Session s;
        const auto dialog = s.dialog("b.dat");
        QCOMPARE(dialog->comparison().AnswersDiffering, 2L);

        s.doc->CurrentRespondent = 2;
        s.doc->CurrentQuestion = 2;
        s.doc->EntryBuffer = "3";
        dataDEL(*s.doc);
        dataIN(*s.doc);
        s.write("b.dat", sampleSurveyLines(u("満足度調査"), {Answers[0], Keyed[1]}));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("refreshButton")),
                          Qt::LeftButton);
        QCOMPARE(summaryOf(*dialog), summary(0, 0, "100.0%"));
        QCOMPARE(rowsOf(dialog->differenceList), QStringList());

        // The other file is no survey any more: said once, and nothing listed.
        QVERIFY(test::writeFile(s.path("b.dat"), "hello\r\n"));
        s.platform.expectMessage(Platform::Answer::Ok);
        QTest::mouseClick(dialog->refreshButton, Qt::LeftButton);
        QCOMPARE(s.platform.messages.last().text, u("b.datはアンケートファイルではありません。"));
        QCOMPARE(s.platform.messages.last().caption, u("入力照合"));
        QCOMPARE(dialog->differenceList->model()->rowCount(), 0);
        QCOMPARE(dialog->agreementLabel->text(), QString());
        QVERIFY(!dialog->reportButton->isEnabled());
        QVERIFY(s.done());
    }

    void report() {
        Session s;
        const auto dialog = s.dialog("b.dat");
        auto* button = dialog->findChild<QPushButton*>(QStringLiteral("reportButton"));

        s.platform.expectSaveFile(s.path("report.csv"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(test::readAll(s.path("report.csv")),
                 QByteArray("\xEF\xBB\xBF"
                            "回答者番号,質問番号,質問内容,Aの回答,Bの回答\r\n"
                            "1,3,よく使う機能,135,13\r\n"
                            "2,2,年代,NG,3\r\n"));
        const Platform::FileDialog& shown = s.platform.dialogs.last().dialog;
        QVERIFY(s.platform.dialogs.last().save);
        QCOMPARE(shown.title, u("相違一覧を保存"));
        QCOMPARE(shown.filter, u("CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*"));
        QCOMPARE(shown.defaultSuffix, u("csv"));
        QCOMPARE(shown.fileName, s.path("a_相違.csv"));

        // Never over a data file.
        const QByteArray b = test::readAll(s.path("b.dat"));
        s.platform.expectSaveFile(s.path("b.dat"));
        s.platform.expectMessage(Platform::Answer::Ok);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(s.platform.messages.last().text,
                 u("データファイルには書き込めません。別の名前を選んでください。"));
        QCOMPARE(test::readAll(s.path("b.dat")), b);

        // Cancelled: nothing.
        s.platform.expectSaveFile(QString());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(s.done());
    }

    void compareCommand_data() {
        QTest::addColumn<QString>("chosen"); // empty: the dialog is cancelled
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << QString() << QString();
        QTest::newRow("not a survey")
            << u("bad.dat") << u("bad.datはアンケートファイルではありません。");
        QTest::newRow("missing file") << u("none.dat")
                                      << u("データファイルを読み込めません：@none."
                                           "dat（ファイルまたはフォルダが見つかりません）。");
        QTest::newRow("other questionnaire")
            << u("q.dat")
            << u("アンケートが同じではないため照合できません。\nアンケート名が違います。\n"
                 "a.dat：「満足度調査」\nq.dat：「別の調査」");
        QTest::newRow("itself") << u("a.dat") << QString();
        QTest::newRow("second keying") << u("b.dat") << QString();
    }
    void compareCommand() {
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        Session s;
        QVERIFY(test::writeFile(s.path("bad.dat"), "hello\r\nworld\r\n"));
        s.write("q.dat", sampleSurveyLines(u("別の調査"), Answers));
        const std::string before = dataFileContents(*s.doc, s.platform.today);

        s.platform.expectOpenFiles(chosen.isEmpty() ? QStringList()
                                                    : QStringList{s.dir.filePath(chosen)});
        if (!message.isEmpty()) s.platform.expectMessage(Platform::Answer::Ok);
        CompareDialog* dialog = compareWithOtherFile(*s.doc, s.platform, nullptr, s.jump());

        const Platform::FileDialog& shown = s.platform.dialogs.first().dialog;
        QCOMPARE(shown.title, u("照合するアンケートファイルを開く"));
        QCOMPARE(shown.filter, u("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"));
        QCOMPARE(shown.defaultSuffix, u("dat"));
        if (!message.isEmpty()) {
            QCOMPARE(s.platform.messages.last().caption, u("入力照合"));
            QCOMPARE(s.platform.messages.last().text,
                     QString(message).replace(QLatin1Char('@'), s.dir.path() + QLatin1Char('/')));
            QCOMPARE(s.platform.messages.last().icon, Platform::Icon::Warning);
        }
        QCOMPARE(dialog != nullptr, !chosen.isEmpty() && message.isEmpty());
        if (dialog) {
            QVERIFY(dialog->isVisible());
            QVERIFY(!dialog->isModal());
            QCOMPARE(dialog->comparison().AnswersDiffering, chosen == u("b.dat") ? 2L : 0L);
            QTest::keyClick(dialog, Qt::Key_Escape); // goes as Close does
        }
        QCOMPARE(dataFileContents(*s.doc, s.platform.today), before);
        QVERIFY(s.done());
    }

    void secondEntryCommand() {
        Session s;
        QStringList opened;
        const auto open = [&](const QString& path) { opened << path; };
        const QByteArray survey = test::readAll(s.path("a.dat"));

        s.platform.expectSaveFile(s.path("a_2.dat"));
        QCOMPARE(newSecondEntryFile(*s.doc, s.platform, nullptr, open), s.path("a_2.dat"));
        QCOMPARE(opened, QStringList{s.path("a_2.dat")});
        QCOMPARE(test::readAll(s.path("a_2.dat")),
                 test::sj("VEV v1.11  (C) VEV developers\r\n"
                          "満足度調査\r\n"
                          "質問数 ,3\r\n"
                          " 1 ,性別                ,2\r\n"
                          " 2 ,年代                ,6\r\n"
                          " 3 ,よく使う機能        ,5　（複数選択）\r\n"
                          "百分率：整数\r\n"
                          "集計結果：同時保存\r\n"
                          "\r\n"
                          "a_2.dat  2026/12/07\r\n"));
        const Platform::FileDialog& shown = s.platform.dialogs.first().dialog;
        QVERIFY(s.platform.dialogs.first().save);
        QCOMPARE(shown.title, u("照合用のアンケートファイルを保存"));
        QCOMPARE(shown.filter, u("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"));
        QCOMPARE(shown.defaultSuffix, u("dat"));
        QCOMPARE(shown.fileName, s.path("a_2.dat"));

        // The open survey's own file: refused, nothing written, nothing opened.
        s.platform.expectSaveFile(s.path("a.dat"));
        s.platform.expectMessage(Platform::Answer::Ok);
        QCOMPARE(newSecondEntryFile(*s.doc, s.platform, nullptr, open), QString());
        QCOMPARE(s.platform.messages.last().text,
                 u("開いているアンケートのファイルには保存できません。別の名前を選んでください。"));
        QCOMPARE(test::readAll(s.path("a.dat")), survey);

        s.platform.expectSaveFile(QString());
        QCOMPARE(newSecondEntryFile(*s.doc, s.platform, nullptr, open), QString());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(s.doc->RespondentCount, 2);
        QVERIFY(s.done());
    }
};

QTEST_MAIN(TestCompareDialog)
#include "tst_compare_dialog_window.moc"
