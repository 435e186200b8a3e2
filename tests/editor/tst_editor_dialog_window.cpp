// The questionnaire editor driven like an operator does: keys into the focused control, clicks
// on its buttons, with the main window and the scripted fake platform around it.
#include "app/main_window.h"
#include "editor/editor_dialog.h"
#include "model/recording.h"
#include "model/sjis.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace vev;

namespace {

struct QuestionLine {
    const char* text; // UTF-8
    int choices;
    bool multi = false;
};

// The main window with its editor, as main() builds them, around a fresh document.
struct Windows : test::WindowSession {
    Windows() {
        start();
        form->show();
    }

    // A questionnaire as the loader leaves it: the grid shows respondent 1.
    void load(const char* title, std::initializer_list<QuestionLine> questions) {
        doc->SurveyTitle = sjis::fromUtf8(title);
        int q = 0;
        for (const QuestionLine& line : questions) {
            ++q;
            doc->QuestionText[q] = sjis::fromUtf8(line.text);
            doc->ChoiceCount[q] = line.choices;
            doc->MultiSelect[q] = line.multi;
        }
        doc->QuestionCount = q;
        doc->CurrentQuestion = 1;
        form->hyoji();
        form->hitoribun();
    }

    // The editor opened by File > New, or by Edit > Questionnaire on a loaded questionnaire.
    TForm2& create() {
        form->New1Click();
        return *editor;
    }
    TForm2& edit(const char* title, std::initializer_list<QuestionLine> questions) {
        load(title, questions);
        form->AEdit1Click();
        return *editor;
    }

    // Records an answer as typing would, without the main window's keys.
    void answer(int respondent, int question, const char* digits) {
        doc->CurrentRespondent = respondent;
        doc->CurrentQuestion = question;
        dataDEL(*doc);
        doc->EntryBuffer = digits;
        dataIN(*doc);
        doc->CurrentRespondent = 1;
        doc->CurrentQuestion = 1;
    }

    QWidget* focused() const { return editor->focusWidget(); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(focused(), k, mods);
    }
};

using test::typeInto;
using test::u;

std::string sj(const char* utf8) {
    return sjis::fromUtf8(utf8);
}

} // namespace

class TestEditorDialog : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void newQuestionnaireByKeyboard();
    void mnemonicsAndTabOrder();
    void newCommandPrompts_data();
    void newCommandPrompts();
    void stepsStayInRange_data();
    void stepsStayInRange();
    void newQuestionCountedAtOnce();
    void deleteLastQuestion();
    void closeCheck_data();
    void closeCheck();
    void titleAloneOfEmptyQuestionnaireAsksNothing();
    void applyWithoutQuestions();
    void deletingEveryQuestionEmptiesGridAndNewStartsFresh_data();
    void deletingEveryQuestionEmptiesGridAndNewStartsFresh();
    void recordingCutsTexts_data();
    void recordingCutsTexts();
    void textBoxTakesAtMost20Bytes();
    void refusedCharacters_data();
    void refusedCharacters();
    void countBoxKeys_data();
    void countBoxKeys();
    void multiSelectFollowsCount();
    void loweringCountRecountsAnswers();
    void deletedColumnReusedStartsEmpty();
    void applyMarksModified_data();
    void applyMarksModified();
    void endingProgramDropsUnappliedChanges();
};

void TestEditorDialog::cleanup() {
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestEditorDialog::newQuestionnaireByKeyboard() {
    Windows w;
    w.form->New1Click();

    TForm2& e = *w.editor;
    QVERIFY(e.isVisible());
    QCOMPARE(w.Label1()->text(), u("ｱﾝｹｰﾄ：新規作成"));
    QCOMPARE(e.Label1->text(), QStringLiteral(" 1"));
    QCOMPARE(e.LabeledEdit2->text(), QString());
    QCOMPARE(e.Edit1->text(), QStringLiteral("0"));
    QVERIFY(!e.CheckBox1->isEnabled());
    QVERIFY(e.Button6->isHidden());
    QCOMPARE(w.focused(), e.LabeledEdit2);

    typeInto(w.focused(), u("性別"));
    w.key(Qt::Key_Tab);
    QCOMPARE(w.focused(), e.Edit1);
    typeInto(w.focused(), QStringLiteral("3"));
    QCOMPARE(e.PendingQuestionCount, 1);
    QVERIFY(!e.Button6->isHidden());
    QVERIFY(e.CheckBox1->isEnabled());

    w.key(Qt::Key_Return);
    QCOMPARE(e.ShownQuestion, 2);
    QCOMPARE(e.Label1->text(), QStringLiteral(" 2"));
    QCOMPARE(e.LabeledEdit2->text(), QString());
    QCOMPARE(e.Edit1->text(), QStringLiteral("0"));
    QVERIFY(e.Button6->isHidden());
    QCOMPARE(w.focused(), e.LabeledEdit2);

    typeInto(w.focused(), u("年代"));
    w.key(Qt::Key_Tab);
    typeInto(w.focused(), QStringLiteral("2"));
    QTest::mouseClick(e.Button3, Qt::LeftButton);

    const SurveyDocument& doc = *w.doc;
    QCOMPARE(doc.QuestionCount, 2);
    QCOMPARE(doc.CurrentQuestion, 2);
    QCOMPARE(doc.SurveyTitle.str(), sj("無題"));
    QCOMPARE(doc.QuestionText[1].str(), sj("性別"));
    QCOMPARE(doc.QuestionText[2].str(), sj("年代"));
    QCOMPARE(doc.ChoiceCount[1], 3);
    QCOMPARE(doc.ChoiceCount[2], 2);
    QVERIFY(doc.Modified);
    QVERIFY(e.isHidden());
    QCOMPARE(e.LabeledEdit1->text(), u("無題"));
    QVERIFY(!w.q(1)->isHidden());
    QVERIFY(!w.q(2)->isHidden());
    QVERIFY(w.done());
}

// Tab keeps to the question's three fields; the title and every button answer to Alt+letter.
void TestEditorDialog::mnemonicsAndTabOrder() {
    Windows w;
    TForm2& e = w.edit("old", {{"A", 2}});
    QTRY_COMPARE(QApplication::activeWindow(), &e);
    // The main window's menu letters reach through the editor: none of them may be the editor's.
    QCOMPARE(test::mnemonicLetters(&e), QStringLiteral("ACDLNPQS"));
    for (const QChar letter : test::mnemonicLetters(w.form.get()))
        QVERIFY2(!test::mnemonicLetters(&e).contains(letter), qPrintable(QString(letter)));
    QCOMPARE(test::tabWalk(e.LabeledEdit2),
             (QList<QWidget*>{e.Edit1, e.CheckBox1, e.LabeledEdit2}));

    test::pressMnemonic(&e, 'S');
    QCOMPARE(w.focused(), e.LabeledEdit1);
    e.LabeledEdit1->selectAll();
    typeInto(w.focused(), u("新"));
    test::pressMnemonic(&e, 'N');
    QTRY_COMPARE(e.ShownQuestion, 2);
    typeInto(w.focused(), u("B"));
    w.key(Qt::Key_Tab);
    typeInto(w.focused(), QStringLiteral("3"));
    test::pressMnemonic(&e, 'D'); // question 2 is the last one: it goes
    QTRY_COMPARE(e.PendingQuestionCount, 1);
    test::pressMnemonic(&e, 'P');
    QTRY_COMPARE(e.ShownQuestion, 1);
    test::pressMnemonic(&e, 'A');
    QTRY_COMPARE(w.doc->SurveyTitle.str(), sj("新"));
    QVERIFY(e.isVisible());

    e.activateWindow(); // Apply gave the keyboard back to the grid
    QTRY_COMPARE(QApplication::activeWindow(), &e);
    test::pressMnemonic(&e, 'C'); // nothing left unapplied: no question
    QTRY_VERIFY(e.isHidden());
    w.form->AEdit1Click();
    QTRY_COMPARE(QApplication::activeWindow(), &e);
    w.key(Qt::Key_End);
    typeInto(w.focused(), u("2"));
    test::pressMnemonic(&e, 'Q');
    QTRY_VERIFY(e.isHidden());
    QCOMPARE(QString::fromStdString(w.doc->QuestionText[1].str()), u("A2"));
    QVERIFY(w.done());
}

void TestEditorDialog::newCommandPrompts_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // Platform::Answer to the one question asked
    QTest::addColumn<bool>("opens");

    QTest::newRow("clear-all confirmed") << false << int(Platform::Answer::Ok) << true;
    QTest::newRow("clear-all cancelled") << false << int(Platform::Answer::Cancel) << false;
    QTest::newRow("save question: No") << true << int(Platform::Answer::No) << true;
    QTest::newRow("save question: Cancel") << true << int(Platform::Answer::Cancel) << false;
}

void TestEditorDialog::newCommandPrompts() {
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, opens);

    Windows w;
    w.load("満足度調査", {{"性別", 2}});
    w.doc->Modified = modified;
    w.platform.expectMessage(static_cast<Platform::Answer>(answer));
    w.form->New1Click();

    QCOMPARE(w.platform.messages.size(), 1);
    QCOMPARE(w.platform.messages.first().caption, modified ? u("保存確認") : u("アンケート削除"));
    QCOMPARE(w.editor->isVisible(), opens);
    QCOMPARE(w.doc->questionnaireLoaded(), !opens);
    if (opens) {
        QCOMPARE(w.editor->PendingQuestionCount, 0);
        QCOMPARE(w.editor->LabeledEdit1->text(), QString());
        QCOMPARE(w.Label1()->text(), u("ｱﾝｹｰﾄ：新規作成"));
    }
    QVERIFY(w.done());
}

void TestEditorDialog::stepsStayInRange_data() {
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("downs"); // Down presses after opening on question 1
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("shown");

    QTest::newRow("previous button on question 1") << 2 << 0 << "Button1" << 1;
    QTest::newRow("Up key on question 1") << 2 << 0 << "Up" << 1;
    QTest::newRow("next button onto the new place") << 2 << 1 << "Button2" << 3;
    QTest::newRow("Enter past the new place stays") << 2 << 2 << "Return" << 3;
    QTest::newRow("Down past the new place stays") << 2 << 5 << "Down" << 3;
    QTest::newRow("Down on 40 of 40 stays") << 40 << 39 << "Down" << 40;
    QTest::newRow("Up key from the count box") << 3 << 2 << "UpInCount" << 2;
    QTest::newRow("Down key from the count box") << 3 << 0 << "DownInCount" << 2;
}

void TestEditorDialog::stepsStayInRange() {
    QFETCH(int, questions);
    QFETCH(int, downs);
    QFETCH(QString, step);
    QFETCH(int, shown);

    Windows w;
    w.load("t", {});
    for (int q = 1; q <= questions; ++q) {
        w.doc->QuestionText[q] = "Q" + std::to_string(q);
        w.doc->ChoiceCount[q] = 3;
    }
    w.doc->QuestionCount = questions;
    w.form->AEdit1Click();
    TForm2& e = *w.editor;
    for (int i = 0; i < downs; ++i) w.key(Qt::Key_Down);

    if (step == QLatin1String("Button1")) QTest::mouseClick(e.Button1, Qt::LeftButton);
    if (step == QLatin1String("Button2")) QTest::mouseClick(e.Button2, Qt::LeftButton);
    if (step == QLatin1String("Up")) w.key(Qt::Key_Up);
    if (step == QLatin1String("Down")) w.key(Qt::Key_Down);
    if (step == QLatin1String("Return")) w.key(Qt::Key_Return);
    if (step.endsWith(QLatin1String("InCount"))) {
        e.Edit1->setFocus();
        QTest::keyClick(e.Edit1, step.startsWith(QLatin1Char('U')) ? Qt::Key_Up : Qt::Key_Down);
    }

    QCOMPARE(e.ShownQuestion, shown);
    QCOMPARE(e.Label1->text(), QString::number(shown).rightJustified(2));
    QCOMPARE(e.PendingQuestionCount, questions);
    QCOMPARE(e.Edit1->text(), shown <= questions ? QStringLiteral("3") : QStringLiteral("0"));
    QCOMPARE(e.LabeledEdit2->text(),
             shown <= questions ? QStringLiteral("Q%1").arg(shown) : QString());
    QCOMPARE(w.focused(), e.LabeledEdit2);
    QTest::mouseClick(e.Button5, Qt::LeftButton); // nothing changed: closes without a question
    QVERIFY(e.isHidden());
    QVERIFY(w.done());
}

void TestEditorDialog::newQuestionCountedAtOnce() {
    Windows w;
    TForm2& e = w.edit("t", {{"A", 3}});
    w.key(Qt::Key_Down);
    QCOMPARE(e.ShownQuestion, 2);

    // A text alone does not make a question.
    typeInto(w.focused(), QStringLiteral("B"));
    QCOMPARE(e.PendingQuestionCount, 1);
    QVERIFY(e.Button6->isHidden());

    typeInto(e.Edit1, QStringLiteral("5"));
    QCOMPARE(e.PendingQuestionCount, 2);
    QVERIFY(!e.Button6->isHidden());

    // Spun back to 0 before leaving, it stays counted as a slot with no choices.
    for (int i = 0; i < 6; ++i) QTest::mouseClick(e.UpDown1->downButton(), Qt::LeftButton);
    QCOMPARE(e.Edit1->text(), QStringLiteral("0"));
    QCOMPARE(e.PendingQuestionCount, 2);
    QTest::mouseClick(e.Button4, Qt::LeftButton);
    QCOMPARE(w.doc->QuestionCount, 2);
    QCOMPARE(w.doc->ChoiceCount[2], 0);
    QVERIFY(w.q(2)->isHidden());
    QVERIFY(e.isVisible()); // Apply leaves the dialog open

    // A question shown with choices cannot be spun below 1.
    w.key(Qt::Key_Up);
    QCOMPARE(e.Edit1->text(), QStringLiteral("3"));
    for (int i = 0; i < 5; ++i) QTest::mouseClick(e.UpDown1->downButton(), Qt::LeftButton);
    QCOMPARE(e.Edit1->text(), QStringLiteral("1"));
    for (int i = 0; i < 9; ++i) QTest::mouseClick(e.UpDown1->upButton(), Qt::LeftButton);
    QCOMPARE(e.Edit1->text(), QStringLiteral("8"));

    w.platform.expectMessage(Platform::Answer::No);
    e.close();
    QVERIFY(e.isHidden());
    QCOMPARE(w.doc->ChoiceCount[1], 3);
}

void TestEditorDialog::deleteLastQuestion() {
    Windows w;
    w.load("t", {{"A", 2}, {"B", 2}, {"C", 4, true}});
    w.answer(1, 3, "24");
    w.doc->CurrentQuestion = 3;
    w.form->AEdit1Click();
    TForm2& e = *w.editor;
    QCOMPARE(e.ShownQuestion, 3);
    QVERIFY(!e.Button6->isHidden());
    QVERIFY(e.CheckBox1->isChecked());

    QTest::mouseClick(e.Button6, Qt::LeftButton);
    QCOMPARE(e.PendingQuestionCount, 2);
    QCOMPARE(e.ShownQuestion, 3);
    QCOMPARE(e.Label1->text(), QStringLiteral(" 3"));
    QCOMPARE(e.LabeledEdit2->text(), QString());
    QCOMPARE(e.Edit1->text(), QStringLiteral("0"));
    QVERIFY(!e.CheckBox1->isChecked());
    QVERIFY(e.Button6->isHidden());
    QCOMPARE(w.focused(), e.LabeledEdit2);

    QTest::mouseClick(e.Button3, Qt::LeftButton);
    const SurveyDocument& doc = *w.doc;
    QCOMPARE(doc.QuestionCount, 2);
    QCOMPARE(doc.CurrentQuestion, 2);
    QCOMPARE(doc.RowsToRefresh, 3);
    QCOMPARE(doc.ChoiceCount[3], 0);
    QVERIFY(doc.QuestionText[3].empty());
    QVERIFY(!doc.MultiSelect[3]);
    // The deleted question's answers and counts go with it.
    QCOMPARE(doc.Answers[1][3].str(), std::string());
    QCOMPARE(doc.Tally[3][2], 0);
    QCOMPARE(doc.Tally[3][4], 0);
    QVERIFY(w.q(3)->isHidden());
    QVERIFY(e.isHidden());
}

void TestEditorDialog::closeCheck_data() {
    QTest::addColumn<QString>("how"); // Button5, Escape or the title bar's close button
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("applied");

    QTest::newRow("Yes applies and closes")
        << "Button5" << int(Platform::Answer::Yes) << true << true;
    QTest::newRow("No closes, document as it was")
        << "Button5" << int(Platform::Answer::No) << true << false;
    QTest::newRow("Cancel keeps everything open")
        << "Button5" << int(Platform::Answer::Cancel) << false << false;
    QTest::newRow("Escape asks too") << "Escape" << int(Platform::Answer::Cancel) << false << false;
    QTest::newRow("title bar close asks too")
        << "close" << int(Platform::Answer::Yes) << true << true;
}

void TestEditorDialog::closeCheck() {
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, applied);

    Windows w;
    TForm2& e = w.edit("満足度調査", {{"性別", 2}, {"年代", 6}});
    e.LabeledEdit1->setText(u("新しい調査"));
    typeInto(e.LabeledEdit2, QStringLiteral("X"));

    w.platform.expectMessage(static_cast<Platform::Answer>(answer));
    if (how == QLatin1String("Button5"))
        QTest::mouseClick(e.Button5, Qt::LeftButton);
    else if (how == QLatin1String("Escape"))
        w.key(Qt::Key_Escape);
    else
        e.close();
    QCOMPARE(w.platform.messages.size(), 1);
    const FakePlatform::ShownMessage& shown = w.platform.messages.first();
    QCOMPARE(shown.caption, u("適用確認"));
    QCOMPARE(shown.text, u("データが変更されています。適用しますか？"));
    QCOMPARE(shown.icon, Platform::Icon::Warning);
    QCOMPARE(shown.buttons, Platform::Buttons::YesNoCancel);

    QCOMPARE(e.isHidden(), closes);
    QCOMPARE(w.doc->Modified, applied);
    QCOMPARE(w.doc->SurveyTitle.str(), applied ? sj("新しい調査") : sj("満足度調査"));
    QCOMPARE(w.doc->QuestionText[1].str(), applied ? sj("性別X") : sj("性別"));
    if (closes) {
        QCOMPARE(e.PendingQuestionCount, 2); // kept until the next opening
        QVERIFY(e.PendingText[1].empty());
        QCOMPARE(e.PendingChoiceCount[2], 0);
        QVERIFY(e.Button6->isHidden());
    } else {
        QCOMPARE(e.LabeledEdit1->text(), u("新しい調査"));
        QCOMPARE(e.LabeledEdit2->text(), u("性別X"));
        w.platform.expectMessage(Platform::Answer::No);
        e.close();
    }
    QVERIFY(w.done());
}

void TestEditorDialog::titleAloneOfEmptyQuestionnaireAsksNothing() {
    Windows w;
    TForm2& e = w.create();
    typeInto(e.LabeledEdit1, u("題"));
    QTest::mouseClick(e.Button5, Qt::LeftButton);
    QVERIFY(e.isHidden());
    QVERIFY(w.doc->SurveyTitle.empty());
    QCOMPARE(w.Label1()->text(), u("アンケート：ファイルを開いて下さい"));
    QVERIFY(w.done());
}

void TestEditorDialog::applyWithoutQuestions() {
    Windows w;
    TForm2& e = w.create();
    typeInto(e.LabeledEdit2, QStringLiteral("x")); // a text alone is no question
    QTest::mouseClick(e.Button4, Qt::LeftButton);
    QCOMPARE(w.doc->QuestionCount, 0);
    QCOMPARE(w.doc->CurrentQuestion, 1);
    QVERIFY(!w.doc->questionnaireLoaded());
    QCOMPARE(w.doc->SurveyTitle.str(), sj("無題"));
    QCOMPARE(e.LabeledEdit1->text(), u("無題"));
    QVERIFY(w.doc->Modified); // the title alone changed
    QTest::mouseClick(e.Button5, Qt::LeftButton);
    QVERIFY(e.isHidden());
    QVERIFY(e.PendingText[1].empty());
    QVERIFY(w.done());
}

void TestEditorDialog::deletingEveryQuestionEmptiesGridAndNewStartsFresh_data() {
    QTest::addColumn<int>("answer"); // to the save question of New
    QTest::addColumn<bool>("opens");
    QTest::newRow("no") << int(Platform::Answer::No) << true;
    QTest::newRow("cancel") << int(Platform::Answer::Cancel) << false;
}

void TestEditorDialog::deletingEveryQuestionEmptiesGridAndNewStartsFresh() {
    QFETCH(int, answer);
    QFETCH(bool, opens);
    Windows w;
    w.load("t", {{"A", 2}});
    w.answer(1, 1, "2");
    w.answer(2, 1, "1");
    w.doc->DataFilePath = w.nativePath("old.dat");
    w.doc->LinkedTallyFileCount = 1;
    w.doc->LinkedTallyFile[1] = w.nativePath("other.csv");
    w.doc->Modified = false;
    w.form->AEdit1Click();
    TForm2& e = *w.editor;
    QTest::mouseClick(e.Button6, Qt::LeftButton);
    QTest::mouseClick(e.Button3, Qt::LeftButton);

    // No question left: the grid looks as after the clear-all command.
    QCOMPARE(w.doc->QuestionCount, 0);
    QVERIFY(w.q(1)->isHidden());
    QVERIFY(w.Label3()->isHidden());
    QVERIFY(w.Label4()->isHidden());
    QCOMPARE(w.form->windowTitle(), QStringLiteral("VEV"));
    // The editor's close writes its own, full-width words over the clear-all ones.
    QCOMPARE(w.Label1()->text(), u("アンケート：ファイルを開いて下さい"));
    QVERIFY(w.doc->Modified);

    w.platform.expectMessage(static_cast<Platform::Answer>(answer));
    w.form->New1Click();
    QCOMPARE(w.platform.messages.first().text, u("データが変更されています。保存しますか？"));
    QCOMPARE(e.isVisible(), opens);
    // Nothing of the old survey is left to be saved over its file.
    QCOMPARE(w.doc->DataFilePath.empty(), opens);
    QCOMPARE(w.doc->LinkedTallyFileCount, opens ? 0 : 1);
    QCOMPARE(w.doc->RespondentCount, opens ? 0 : 2);
    QVERIFY(w.doc->Answers[2][1].empty());
    QVERIFY(w.done());
    if (opens) QTest::mouseClick(e.Button5, Qt::LeftButton);
    w.doc->Modified = false;
}

void TestEditorDialog::recordingCutsTexts_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("kept");

    const QByteArray a18(18, 'a');
    const QByteArray a19(19, 'a');
    const QByteArray a(sj("あ").c_str());
    QTest::newRow("two-byte character at byte 20") << a19 + a << a19;
    QTest::newRow("20 single-byte characters") << QByteArray(20, 'a') << QByteArray(20, 'a');
    QTest::newRow("two-byte character ending at byte 20") << a18 + a << a18 + a;
    QTest::newRow("eleven full-width characters")
        << QByteArray(sj("一二三四五六七八九十あ").c_str())
        << QByteArray(sj("一二三四五六七八九十").c_str());
}

void TestEditorDialog::recordingCutsTexts() {
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, kept);

    Windows w;
    w.load("t", {{"x", 2}, {"y", 2}});
    w.doc->QuestionText[1] = stored.toStdString(); // a longer text from elsewhere
    w.form->AEdit1Click();
    TForm2& e = *w.editor;
    w.key(Qt::Key_Down);
    QCOMPARE(QByteArray::fromStdString(e.PendingText[1].str()), kept);
    w.key(Qt::Key_Up);
    QCOMPARE(e.LabeledEdit2->text(), sjis::toQString(kept.toStdString()));

    // Closing asks to apply only when the text was cut, which changed the questionnaire.
    if (kept != stored) w.platform.expectMessage(Platform::Answer::No);
    e.close();
}

void TestEditorDialog::textBoxTakesAtMost20Bytes() {
    Windows w;
    TForm2& e = w.create();
    typeInto(e.LabeledEdit2, QString(19, QLatin1Char('b')) + u("あ"));
    QCOMPARE(e.LabeledEdit2->text(), QString(19, QLatin1Char('b')));
    typeInto(e.LabeledEdit2, QStringLiteral("cd"));
    QCOMPARE(e.LabeledEdit2->text(), QString(19, QLatin1Char('b')) + QLatin1Char('c'));
    QCOMPARE(w.platform.beeps, 0);
    e.close();
}

void TestEditorDialog::refusedCharacters_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");

    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QTest::newRow("comma typed in a question") << "LabeledEdit2"
                                               << "a,b" << false << "ab" << 0;
    QTest::newRow("comma pasted in a question") << "LabeledEdit2"
                                                << "x,y" << true << "" << 0;
    QTest::newRow("full-width comma is fine")
        << "LabeledEdit2" << u("a，b") << false << u("a，b") << 0;
    QTest::newRow("emoji typed in a question")
        << "LabeledEdit2" << u("a") + emoji + u("b") << false << "ab" << 1;
    QTest::newRow("emoji pasted in a title")
        << "LabeledEdit1" << u("題") + emoji << true << "" << 1;
    QTest::newRow("outside CP932 in a title") << "LabeledEdit1" << u("A한B") << false << "AB" << 1;
    QTest::newRow("title keeps a comma") << "LabeledEdit1"
                                         << "A,B" << false << "A,B" << 0;
}

void TestEditorDialog::refusedCharacters() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, pasted);
    QFETCH(QString, shown);
    QFETCH(int, beeps);

    Windows w;
    w.form->New1Click();
    auto* edit = w.editor->findChild<QLineEdit*>(box);
    QVERIFY(edit);
    if (pasted) {
        QApplication::clipboard()->setText(typed);
        edit->paste();
    } else {
        typeInto(edit, typed);
    }
    QCOMPARE(edit->text(), shown);
    QCOMPARE(w.platform.beeps, beeps);
    w.editor->close();
}

void TestEditorDialog::countBoxKeys_data() {
    QTest::addColumn<QString>("keys"); // d: digit text, B: Backspace, H: Home, D: Delete
    QTest::addColumn<QString>("count");

    QTest::newRow("digit replaces the count") << "5"
                                              << "5";
    QTest::newRow("0 ignored") << "0"
                               << "3";
    QTest::newRow("9 ignored") << "9"
                               << "3";
    QTest::newRow("letter ignored") << "x"
                                    << "3";
    QTest::newRow("Backspace ignored") << "B"
                                       << "3";
    QTest::newRow("last digit wins") << "128"
                                     << "8";
    QTest::newRow("Delete empties: reads 0") << "HD"
                                             << "0";
}

void TestEditorDialog::countBoxKeys() {
    QFETCH(QString, keys);
    QFETCH(QString, count);

    Windows w;
    TForm2& e = w.edit("t", {{"A", 3}});
    e.Edit1->setFocus();
    for (QChar c : keys) {
        if (c == QLatin1Char('B'))
            QTest::keyClick(e.Edit1, Qt::Key_Backspace);
        else if (c == QLatin1Char('H'))
            QTest::keyClick(e.Edit1, Qt::Key_Home);
        else if (c == QLatin1Char('D'))
            QTest::keyClick(e.Edit1, Qt::Key_Delete);
        else
            typeInto(e.Edit1, QString(c));
    }
    QCOMPARE(e.Edit1->text(), count);
    QCOMPARE(e.countInBox(), count.toInt());
    if (count != QLatin1String("3")) w.platform.expectMessage(Platform::Answer::No);
    w.editor->close();
    QVERIFY(w.editor->isHidden());
}

void TestEditorDialog::multiSelectFollowsCount() {
    Windows w;
    TForm2& e = w.edit("t", {{"A", 3, true}});
    QVERIFY(e.CheckBox1->isEnabled());
    QVERIFY(e.CheckBox1->isChecked());
    typeInto(e.Edit1, QStringLiteral("1"));
    QVERIFY(!e.CheckBox1->isEnabled());
    QVERIFY(!e.CheckBox1->isChecked());
    typeInto(e.Edit1, QStringLiteral("4"));
    QVERIFY(e.CheckBox1->isEnabled());
    QVERIFY(!e.CheckBox1->isChecked());
    QTest::mouseClick(e.Button3, Qt::LeftButton);
    QCOMPARE(w.doc->ChoiceCount[1], 4);
    QVERIFY(!w.doc->MultiSelect[1]);
}

void TestEditorDialog::loweringCountRecountsAnswers() {
    Windows w;
    w.load("t", {{"A", 5}});
    w.answer(1, 1, "5");
    w.answer(2, 1, "3");
    w.doc->Modified = false;
    const auto tally = w.doc->Tally;
    const int respondents = w.doc->RespondentCount;

    w.form->AEdit1Click();
    typeInto(w.editor->Edit1, QStringLiteral("2"));
    QTest::mouseClick(w.editor->Button3, Qt::LeftButton);

    QCOMPARE(w.doc->ChoiceCount[1], 2);
    QVERIFY(w.doc->Modified);
    // Answers above the new number of choices are NG now, as after a save and load.
    QCOMPARE(w.doc->Answers[1][1].str(), std::string("9"));
    QCOMPARE(w.doc->Answers[2][1].str(), std::string("9"));
    QVERIFY(w.doc->Tally != tally);
    QCOMPARE(w.doc->Tally[1][3], 0);
    QCOMPARE(w.doc->Tally[1][5], 0);
    QCOMPARE(w.doc->Tally[1][9], 2);
    QCOMPARE(w.doc->RespondentCount, respondents);
    QCOMPARE(w.sn(1)->text(),
             QString::fromLatin1(w.doc->Answers[w.doc->CurrentRespondent][1].view()));
}

void TestEditorDialog::deletedColumnReusedStartsEmpty() {
    Windows w;
    w.load("t", {{"A", 2}, {"B", 3}});
    w.answer(1, 2, "3");
    w.doc->CurrentQuestion = 2;
    w.form->AEdit1Click();
    TForm2& e = *w.editor;
    QTest::mouseClick(e.Button6, Qt::LeftButton);
    QTest::mouseClick(e.Button4, Qt::LeftButton);
    QCOMPARE(w.doc->QuestionCount, 1);

    typeInto(e.LabeledEdit2, QStringLiteral("C"));
    typeInto(e.Edit1, QStringLiteral("4"));
    QTest::mouseClick(e.Button3, Qt::LeftButton);
    QCOMPARE(w.doc->QuestionCount, 2);
    QCOMPARE(w.doc->QuestionText[2].str(), std::string("C"));
    QCOMPARE(w.doc->Tally[2][3], 0);
    QCOMPARE(w.doc->Answers[1][2].str(), std::string("0")); // shown, so marked unanswered
    QCOMPARE(w.sn(2)->text(), QStringLiteral("0"));
}

void TestEditorDialog::applyMarksModified_data() {
    QTest::addColumn<QString>("title"); // typed over the title; empty: left as it was
    QTest::addColumn<QString>("text");  // typed after question 1's text
    QTest::addColumn<bool>("modified");

    QTest::newRow("nothing changed") << ""
                                     << "" << false;
    QTest::newRow("title alone") << u("別の題") << "" << true;
    QTest::newRow("question text") << ""
                                   << "x" << true;
}

void TestEditorDialog::applyMarksModified() {
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, modified);

    Windows w;
    w.load("満足度調査", {{"性別", 2}});
    w.doc->Modified = false;
    w.form->AEdit1Click();
    TForm2& e = *w.editor;
    if (!title.isEmpty()) e.LabeledEdit1->setText(title);
    typeInto(e.LabeledEdit2, text);

    // With a question in the working copy, a title change alone is a change to apply too.
    if (modified) {
        w.platform.expectMessage(Platform::Answer::Cancel);
        QTest::mouseClick(e.Button5, Qt::LeftButton);
        QVERIFY(e.isVisible());
    }

    QTest::mouseClick(e.Button4, Qt::LeftButton);
    QCOMPARE(w.doc->Modified, modified);
    QCOMPARE(w.Label1()->text(),
             u("　　　　　　　 　ｱﾝｹｰﾄ：") + (title.isEmpty() ? u("満足度調査") : title));
    QTest::mouseClick(e.Button5, Qt::LeftButton); // nothing left to apply: no question
    QVERIFY(e.isHidden());
    QVERIFY(w.done());
}

void TestEditorDialog::endingProgramDropsUnappliedChanges() {
    Windows w;
    w.load("満足度調査", {{"性別", 2}});
    w.form->AEdit1Click();
    typeInto(w.editor->LabeledEdit2, QStringLiteral("x"));

    // The main window's own check looks at Modified alone; the editor asks nothing.
    QVERIFY(w.form->close());
    QVERIFY(w.editor->isHidden());
    QCOMPARE(w.doc->QuestionText[1].str(), sj("性別"));
    QVERIFY(w.done());
}

QTEST_MAIN(TestEditorDialog)
#include "tst_editor_dialog_window.moc"
