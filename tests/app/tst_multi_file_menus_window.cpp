// The main window's "データファイルの追加(&D)..." and "回答データ読み込み(&I)...": a data file
// linked and answers imported through the scripted file dialogs and the preview, the import
// undone and redone as one step, and the journal bringing back what the window shows.
#include "analysis/question_summary.h"
#include "app/main_window.h"
#include "export/answer_import_dialog.h"
#include "linked/linked_list_dialog.h"
#include "model/linked_data.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <cstring>

using namespace vev;
using namespace vev::test;

namespace {

std::unique_ptr<SurveyDocument> replayed(const WindowSession& s) {
    return replayedSurvey(s.path(QStringLiteral("vev.dat")),
                          s.path(QStringLiteral("vev.dat.journal")));
}

// What the journal must bring back: the respondents, their answers, the counts, the links.
bool sameSurvey(const SurveyDocument& a, const SurveyDocument& b) {
    if (a.RespondentCount != b.RespondentCount ||
        std::memcmp(&a.Tally, &b.Tally, sizeof a.Tally) != 0 ||
        a.LinkedDataFiles.size() != b.LinkedDataFiles.size())
        return false;
    for (int r = 1; r <= a.RespondentCount; ++r)
        for (int q = 1; q <= a.QuestionCount; ++q)
            if (a.Answers[r][q].view() != b.Answers[r][q].view()) return false;
    return true;
}

} // namespace

class TestMultiFileMenus : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void linkImportUndoRemove() {
        // The sample survey: Q1 two choices, Q2 six, Q3 multi-select of five; two respondents.
        WindowSession s;
        s.enterFolder();
        s.place("window_sample.dat", QStringLiteral("vev.dat"));
        s.place("window_sample.dat", QStringLiteral("other.dat"));
        s.start({s.path(QStringLiteral("vev.dat"))});
        s.platform.expectOpenFiles({s.path(QStringLiteral("other.dat"))});
        s.action("DataAdd1")->trigger();
        QCOMPARE(totalRespondents(*s.doc), 4);
        // The chart window and the report say whose respondents they count.
        QVERIFY(basesLines(*s.doc).contains(u("結合データファイル other.dat：回答者 2人")));
        QVERIFY(basesLines(*s.doc).contains(u("回答者数（全ファイル）：4人")));

        const auto tallyLinked = s.doc->Tally;
        // Line 3 is refused (Q1 has no choice 3); lines 2 and 4 become respondents 3 and 4.
        writeFile(s.path(QStringLiteral("in.csv")), "id,q1,q2,q3\n1,2,5,13\n2,3,1,\n3,9,,4\n");
        s.platform.expectOpenFiles({s.path(QStringLiteral("in.csv"))});
        QString summary;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<AnswerImportDialog*>(QApplication::activeModalWidget());
            if (!box) return;
            summary = box->Summary->text();
            box->accept();
        });
        s.action("Import1")->trigger();
        QVERIFY(summary.contains(u("2人の回答者を追加します（回答者番号3～4）。")));
        QVERIFY(summary.contains(u("次の1行は読み込みません。")));
        QCOMPARE(s.doc->RespondentCount, 4);
        QCOMPARE(std::string(s.doc->Answers[3][2].view()) +
                     std::string(s.doc->Answers[4][1].view()),
                 "59");
        QVERIFY(sameSurvey(*replayed(s), *s.doc));

        // One undo takes the whole import back (the link ended the history before it).
        s.action("Undo1")->trigger();
        QCOMPARE(s.doc->RespondentCount, 2);
        QCOMPARE(std::memcmp(&s.doc->Tally, &tallyLinked, sizeof tallyLinked), 0);
        QVERIFY(!s.form->survey().undoStack().canUndo());
        QVERIFY(sameSurvey(*replayed(s), *s.doc));
        s.action("Redo1")->trigger();
        QCOMPARE(s.doc->RespondentCount, 4);
        QVERIFY(sameSurvey(*replayed(s), *s.doc));

        // The linked-file list shows the data file with its respondents and takes it out.
        s.form->linked().CsvL1Click();
        QCOMPARE(s.list->ListBox1->item(0)->text(), u("other.dat（2人）"));
        s.list->ListBox1->setCurrentRow(0);
        s.list->Button2Click();
        QVERIFY(s.doc->LinkedDataFiles.empty() && s.list->ListBox1->count() == 0);
        QCOMPARE(totalRespondents(*s.doc), 4);
        QVERIFY(sameSurvey(*replayed(s), *s.doc));
        s.doc->Modified = false; // closing without the save question
        QVERIFY(s.finish());
    }
};

QTEST_MAIN(TestMultiFileMenus)
#include "tst_multi_file_menus_window.moc"
