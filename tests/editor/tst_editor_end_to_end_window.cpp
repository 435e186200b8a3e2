// From File > New to a saved data file: the questionnaire is built in the editor, two
// respondents are keyed in on the main window, and Save As writes the file, compared byte for
// byte with the documented example.
#include "app/main_window.h"
#include "editor/editor_dialog.h"
#include "model/sjis.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace vev;

using test::typeInto;

class TestEditorEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }
    void newSurveyKeyedInAndSaved();
};

void TestEditorEndToEnd::newSurveyKeyedInAndSaved() {
    test::WindowSession s;
    s.enterFolder();
    const std::unique_ptr<SurveyDocument>& doc = s.doc;
    FakePlatform& platform = s.platform;
    {
        s.start();
        TForm1& form1 = *s.form;
        TForm2* form2 = s.editor;
        form1.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form1));

        // The questionnaire.
        form1.New1Click();
        QVERIFY(form2->isVisible());
        QTest::mouseClick(form2->LabeledEdit1, Qt::LeftButton);
        typeInto(form2->LabeledEdit1, QString::fromUtf8("満足度調査"));
        QTest::keyClick(form2->LabeledEdit1, Qt::Key_Tab);
        const struct {
            const char* text;
            const char* choices;
            bool multi;
        } questions[] = {{"性別", "2", false}, {"年代", "6", false}, {"よく使う機能", "5", true}};
        for (const auto& question : questions) {
            QCOMPARE(form2->focusWidget(), form2->LabeledEdit2);
            typeInto(form2->LabeledEdit2, QString::fromUtf8(question.text));
            QTest::keyClick(form2->LabeledEdit2, Qt::Key_Tab);
            typeInto(form2->focusWidget(), QLatin1String(question.choices));
            if (question.multi) {
                QTest::keyClick(form2->focusWidget(), Qt::Key_Tab);
                QCOMPARE(form2->focusWidget(), form2->CheckBox1);
                QTest::keyClick(form2->CheckBox1, Qt::Key_Space);
                QVERIFY(form2->CheckBox1->isChecked());
            }
            QTest::keyClick(form2->focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(form2->ShownQuestion, 4);
        QTest::mouseClick(form2->Button3, Qt::LeftButton);
        QVERIFY(form2->isHidden());
        QCOMPARE(doc->QuestionCount, 3);
        QCOMPARE(doc->CurrentQuestion, 3);
        QVERIFY(doc->Modified);

        // Two respondents: 1, 3, 135 and 2, 9 (NG), question 3 left open.
        QCOMPARE(form1.focusWidget(), s.sn(3));
        QTest::keyClick(s.sn(3), Qt::Key_Up);
        QTest::keyClick(s.sn(2), Qt::Key_Up);
        QCOMPARE(doc->CurrentQuestion, 1);
        for (const char* keys : {"13135\r", "\r29"}) {
            for (const char* k = keys; *k; ++k) {
                QWidget* box = form1.focusWidget();
                if (*k == '\r')
                    QTest::keyClick(box, Qt::Key_Return);
                else
                    QTest::keyClick(box, *k);
            }
        }
        QCOMPARE(doc->RespondentCount, 2);
        QCOMPARE(doc->Answers[1][3].str(), std::string("135"));
        QCOMPARE(doc->Answers[2][2].str(), std::string("9"));

        // Save As, proposed as the title with ".dat".
        const QString saved = s.path(QStringLiteral("sample.dat"));
        platform.expectSaveFile(saved);
        form1.survey().SaveAs1Click();
        QVERIFY(!doc->Modified);
        QCOMPARE(platform.dialogs.size(), 1);
        QCOMPARE(platform.dialogs.first().dialog.fileName, QString::fromUtf8("満足度調査.dat"));
        QVERIFY(s.finish());

        const QByteArray expected = test::readAll(test::testData("editor_expected.dat"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(test::readAll(saved), expected);
    }
}

QTEST_MAIN(TestEditorEndToEnd)
#include "tst_editor_end_to_end_window.moc"
