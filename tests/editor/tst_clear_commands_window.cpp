// The Edit menu's enabling and the two clear commands with their confirmations.
#include "app/main_window.h"
#include "editor/editor_dialog.h"
#include "keying/h_spinner.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace vev;
using Answer = Platform::Answer;

namespace {

using test::u;

// The documented sample survey loaded: three questions, two respondents.
struct Loaded : test::WindowSession {
    explicit Loaded(bool load = true) {
        enterFolder();
        if (load) place("window_sample.dat", QStringLiteral("vev.dat"));
        start();
    }
    QList<bool> editMenu() {
        emit Edit1()->aboutToShow();
        return {AEdit1()->isEnabled(), AClear1()->isEnabled(), DClear1()->isEnabled(),
                CsvI1()->isEnabled(),  csvR1()->isEnabled(),   CsvL1()->isEnabled()};
    }
};

// The two answers of a clear command's confirmation.
void okOrCancel() {
    QTest::addColumn<int>("answer");
    QTest::newRow("ok") << int(Answer::Ok);
    QTest::newRow("cancel") << int(Answer::Cancel);
}

} // namespace

class TestClearCommands : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void editMenuEnabling();
    void clearAnswers_data();
    void clearAnswers();
    void clearAll_data();
    void clearAll();
    void clearAllWithoutQuestionnaireChangesNothing();
    void clearedAnswersNeedNoSave();
    void clearedAnswersOfNewSurveyStillNeedSave();
};

void TestClearCommands::editMenuEnabling() {
    Loaded nothing(false);
    QCOMPARE(nothing.editMenu(), (QList<bool>{false, false, false, false, false, false}));
    // The answers-only item follows the respondents alone.
    nothing.doc->RespondentCount = 1;
    QCOMPARE(nothing.editMenu(), (QList<bool>{false, false, true, false, false, false}));

    Loaded s;
    QCOMPARE(s.editMenu(), (QList<bool>{true, true, true, true, true, true}));
    s.form->clear().DClear();
    QCOMPARE(s.editMenu(), (QList<bool>{true, true, false, true, true, true}));
}

void TestClearCommands::clearAnswers_data() {
    okOrCancel();
}

void TestClearCommands::clearAnswers() {
    QFETCH(int, answer);
    const bool ok = answer == int(Answer::Ok);

    Loaded s;
    s.doc->Modified = true;
    s.doc->LinkedTallyFileCount = 1;
    // An answer in the column of a question removed since the load goes with the others.
    s.doc->Answers[1][4] = "7";
    s.doc->Answers[999][3] = "1";
    s.platform.expectMessage(Answer(answer));

    s.DClear1()->trigger();

    QVERIFY(s.platform.verifyDone());
    const FakePlatform::ShownMessage& box = s.platform.messages.first();
    QCOMPARE(box.caption, u("データ削除"));
    QCOMPARE(box.text, u("データのみ削除します"));
    QCOMPARE(box.icon, Platform::Icon::Question);
    QCOMPARE(box.buttons, Platform::Buttons::OkCancel);

    QCOMPARE(s.doc->RespondentCount, ok ? 0 : 2);
    QCOMPARE(s.doc->Modified, !ok);
    QCOMPARE(s.doc->LinkedTallyFileCount, ok ? 0 : 1);
    QCOMPARE(s.doc->QuestionCount, 3);
    QCOMPARE(s.doc->Answers[1][4].str(), std::string(ok ? "" : "7"));
    QCOMPARE(s.doc->Answers[999][3].str(), std::string(ok ? "" : "1"));
    const QString zeroLine = u("  0      0") + QString(42, QLatin1Char(' ')) + u("      0");
    QCOMPARE(s.ad(1)->text() == zeroLine, ok);
    if (ok) {
        QCOMPARE(s.doc->Answers[2][1].str(), std::string());
        QCOMPARE(s.doc->CurrentRespondent, 1);
        QCOMPARE(s.UpDown1()->position(), 1);
        QCOMPARE(s.Label3()->text(), QStringLiteral("No.1"));
        for (int n = 1; n <= 3; ++n) QCOMPARE(s.sn(n)->text(), QStringLiteral("0"));
        QVERIFY(!s.q(1)->isHidden());
    }
}

void TestClearCommands::clearAll_data() {
    okOrCancel();
}

void TestClearCommands::clearAll() {
    QFETCH(int, answer);
    const bool ok = answer == int(Answer::Ok);

    Loaded s;
    s.platform.expectMessage(Answer(answer));

    s.AClear1()->trigger();

    QVERIFY(s.platform.verifyDone());
    const FakePlatform::ShownMessage& box = s.platform.messages.first();
    QCOMPARE(box.caption, u("アンケート削除"));
    QCOMPARE(box.text, u("アンケートを削除します"));
    QCOMPARE(box.icon, Platform::Icon::Question);
    QCOMPARE(box.buttons, Platform::Buttons::OkCancel);

    QCOMPARE(s.doc->questionnaireLoaded(), !ok);
    if (!ok) {
        QVERIFY(!s.q(1)->isHidden());
        return;
    }
    QCOMPARE(s.form->windowTitle(), QStringLiteral("VEV"));
    QCOMPARE(s.Label1()->text(), u("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    QCOMPARE(s.Label2()->text(), QString());
    for (QWidget* w : {static_cast<QWidget*>(s.Label3()), static_cast<QWidget*>(s.Label4()),
                       static_cast<QWidget*>(s.Label5()), static_cast<QWidget*>(s.Edit2()),
                       static_cast<QWidget*>(s.Button1()), static_cast<QWidget*>(s.UpDown1()),
                       s.q(1), s.q(2), s.q(3)})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    QCOMPARE(s.editMenu(), (QList<bool>{false, false, false, false, false, false}));
    QVERIFY(s.doc->DataFilePath.empty());

    // A later load shows the grid again.
    s.doc->OpenRequestPath = s.dir.filePath(QStringLiteral("vev.dat")).toStdString();
    s.form->Loaddatafile();
    QVERIFY(!s.q(3)->isHidden());
    QVERIFY(!s.Label3()->isHidden());
}

void TestClearCommands::clearAllWithoutQuestionnaireChangesNothing() {
    Loaded s(false);
    s.doc->Answers[1][1] = "2";
    s.doc->Tally[1][2] = 1;
    s.doc->RespondentCount = 1;
    s.form->clear().AClear();
    QCOMPARE(s.doc->Answers[1][1].str(), std::string("2"));
    QCOMPARE(s.doc->Tally[1][2], 1);
    QCOMPARE(s.doc->RespondentCount, 1);
}

void TestClearCommands::clearedAnswersNeedNoSave() {
    Loaded s;
    s.doc->Modified = true;
    s.platform.expectMessage(Answer::Ok);
    s.DClear1()->trigger();
    s.form->show();
    QVERIFY(s.form->close()); // no save prompt
    QVERIFY(s.platform.verifyDone());
}

// A questionnaire that was never saved is not thrown away with its answers.
void TestClearCommands::clearedAnswersOfNewSurveyStillNeedSave() {
    Loaded s(false);
    s.form->show();
    s.form->New1Click();
    TForm2& e = *s.editor;
    test::typeInto(e.LabeledEdit2, u("性別"));
    test::typeInto(e.Edit1, QStringLiteral("2"));
    QTest::mouseClick(e.Button3, Qt::LeftButton);
    QVERIFY(s.doc->Modified);

    s.platform.expectMessage(Answer::Ok);
    s.DClear1()->trigger();
    QVERIFY(s.doc->Modified);
    s.platform.expectMessage(Answer::Cancel);
    QVERIFY(!s.form->close());
    QCOMPARE(s.platform.messages.last().text, u("データが変更されています。保存しますか？"));
    QVERIFY(s.platform.verifyDone());
    s.doc->Modified = false;
    QVERIFY(s.form->close());
}

QTEST_MAIN(TestClearCommands)
#include "tst_clear_commands_window.moc"
