// The texts table ("選択肢の内容"): what only the window can get wrong — disabled cells, the
// block paste, the refusal where a character is typed, OK and Cancel — and its two ways in,
// the editor's button and the Edit menu's command.
#include "app/main_window.h"
#include "editor/choice_texts_dialog.h"
#include "editor/editor_dialog.h"
#include "model/sjis.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace vev;
using test::u;

namespace {

// Q1 with 2 choices, Q2 with 5, Q3 numeric (1 choice); Q1's first choice has a text.
Questionnaire questionnaire() {
    Questionnaire q;
    q.QuestionCount = 3;
    q.ChoiceCount[1] = 2;
    q.ChoiceCount[2] = 5;
    q.ChoiceCount[3] = 1;
    q.Texts.Choice[1][1] = sjis::fromUtf8("男性");
    return q;
}

QString cell(const ChoiceTextsDialog& d, int row, int column) {
    return d.table()->item(row, column)->text();
}

// Runs `act` on the texts table once it is open as a modal dialog.
void whenOpen(std::function<void(ChoiceTextsDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<ChoiceTextsDialog*>(QApplication::activeModalWidget());
        if (!dialog) return whenOpen(act); // not shown yet
        act(*dialog);
    });
}

} // namespace

class TestChoiceTexts : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void tableEntry() {
        FakePlatform platform;
        ChoiceTextsDialog d(questionnaire(), platform);
        d.show();
        QTableWidget* t = d.table();
        QCOMPARE(cell(d, 0, ChoiceTextsDialog::FirstChoiceColumn), u("男性"));
        const auto editable = [t](int row, int column) {
            return bool(t->item(row, column)->flags() & Qt::ItemIsEditable);
        };
        QVERIFY(!editable(0, ChoiceTextsDialog::QuestionTextColumn));
        QVERIFY(editable(0, ChoiceTextsDialog::FirstChoiceColumn + 1));  // choice 2 of 2
        QVERIFY(!editable(0, ChoiceTextsDialog::FirstChoiceColumn + 2)); // choice 3 of 2

        // A block from a spreadsheet, pasted from Q1's wording: the cells that fall on
        // Q1's choice 3 and past the last question are left out; a text over 40 bytes is cut.
        t->setCurrentCell(0, ChoiceTextsDialog::WordingColumn);
        QGuiApplication::clipboard()->setText(
            u("あなたの性別は？\t男\t女\tその他\r\n満足していますか？\t") +
            QString(21, QChar(0x8868)) + u("\r\n\tx\r\n\ty\r\n"));
        QTest::keyClick(t, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(cell(d, 0, ChoiceTextsDialog::WordingColumn), u("あなたの性別は？"));
        QCOMPARE(cell(d, 0, ChoiceTextsDialog::FirstChoiceColumn + 1), u("女"));
        QCOMPARE(cell(d, 0, ChoiceTextsDialog::FirstChoiceColumn + 2), QString());
        QCOMPARE(cell(d, 1, ChoiceTextsDialog::FirstChoiceColumn), QString(20, QChar(0x8868)));
        QCOMPARE(cell(d, 2, ChoiceTextsDialog::FirstChoiceColumn), u("x"));
        QCOMPARE(platform.beeps, 1);

        // Typed: a character Shift-JIS lacks is refused with a message, the rest goes in; a
        // block holding one is refused whole.
        t->setCurrentCell(1, ChoiceTextsDialog::FirstChoiceColumn + 4);
        t->editItem(t->currentItem());
        auto* box = t->findChild<QLineEdit*>(u("TextCellEditor"));
        QVERIFY(box);
        platform.expectMessage(Platform::Answer::Ok);
        test::typeInto(box, u("良\U0001F600い"));
        QTRY_COMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages[0].text,
                 u("「\U0001F600」はShift-JISにない文字なので使えません。"));
        QCOMPARE(box->text(), u("良い"));
        QTest::keyClick(box, Qt::Key_Return);
        platform.expectMessage(Platform::Answer::Ok);
        QVERIFY(!d.pasteBlock(u("a\t\u00E9\U0001F600")));
        QTRY_COMPARE(platform.messages.size(), 2);
        QVERIFY(platform.verifyDone());

        QTest::mouseClick(d.findChild<QPushButton*>(u("ChoiceTextsOk")), Qt::LeftButton);
        const SurveyTexts texts = d.texts();
        QCOMPARE(sjis::toQString(texts.Wording[2]), u("満足していますか？"));
        QCOMPARE(sjis::toQString(texts.Choice[2][5]), u("良い"));
        QCOMPARE(sjis::toQString(texts.Choice[3][1]), u("x"));
    }

    // The editor's button edits the working copy; the editor's Apply puts it into the survey.
    // The Edit menu's command applies at once, and Cancel changes nothing.
    void waysIn() {
        test::WindowSession w;
        w.start();
        w.form->show();
        w.doc->QuestionCount = 3;
        w.doc->ChoiceCount = questionnaire().ChoiceCount;
        w.form->hyoji();
        w.form->AEdit1Click();
        TForm2& editor = *w.editor;
        QCOMPARE(editor.Button7->text(), u("選択肢(&L)..."));

        whenOpen([](ChoiceTextsDialog& d) {
            d.table()->item(0, ChoiceTextsDialog::FirstChoiceColumn)->setText(u("男性"));
            d.accept();
        });
        QTest::mouseClick(editor.Button7, Qt::LeftButton);
        QVERIFY(w.doc->Texts.empty());
        QTest::mouseClick(editor.Button4, Qt::LeftButton);
        QCOMPARE(sjis::toQString(w.doc->Texts.Choice[1][1]), u("男性"));
        QVERIFY(w.doc->Modified);
        QTest::mouseClick(editor.Button5, Qt::LeftButton);

        w.doc->Modified = false;
        int applied = 0;
        ChoiceTextsCommand command(*w.doc, w.platform, *w.form);
        command.setApplied([&applied] { ++applied; });
        whenOpen([](ChoiceTextsDialog& d) {
            d.table()->item(0, ChoiceTextsDialog::FirstChoiceColumn)->setText(u("女性"));
            d.reject();
        });
        command.ChoiceTexts1Click();
        QCOMPARE(sjis::toQString(w.doc->Texts.Choice[1][1]), u("男性"));
        QVERIFY(!w.doc->Modified);
        whenOpen([](ChoiceTextsDialog& d) {
            d.table()->item(1, ChoiceTextsDialog::WordingColumn)->setText(u("満足ですか"));
            d.accept();
        });
        command.ChoiceTexts1Click();
        QCOMPARE(sjis::toQString(w.doc->Texts.Wording[2]), u("満足ですか"));
        QVERIFY(w.doc->Modified);
        QCOMPARE(applied, 1);
        QVERIFY(w.platform.verifyDone());
        w.doc->Modified = false; // nothing to ask at the end
    }
};

QTEST_MAIN(TestChoiceTexts)
#include "tst_choice_texts_window.moc"
