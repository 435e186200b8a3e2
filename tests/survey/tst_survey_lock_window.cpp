#include "survey/journal.h"

#include "app/main_window.h"
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace vev;
using test::u;

// The lock a window holds on its data file, and the untitled journals of crashed windows.
class TestSurveyLock : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("XDG_STATE_HOME", state_.path().toUtf8()); }

    // A second window on a file the first holds is told so and may open it read-only.
    void secondWindow_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel") << int(Platform::Answer::Cancel);
        QTest::newRow("read-only") << int(Platform::Answer::ReadOnly);
    }
    void secondWindow() {
        QFETCH(int, answer);
        test::WindowSession first;
        const QString file = first.place("entry_survey.dat");
        first.start({file});
        test::WindowSession second;
        second.platform.expectMessage(Platform::Answer(answer));
        second.start({file});
        QVERIFY(second.platform.verifyDone());
        const QString text = second.platform.messages.value(0).text;
        QVERIFY2(text.startsWith(u("このファイルは別のウィンドウで開かれています。\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QString::number(QCoreApplication::applicationPid())));
        QCOMPARE(second.platform.messages.value(0).buttons, Platform::Buttons::ReadOnlyCancel);
        const bool readOnly = answer == int(Platform::Answer::ReadOnly);
        QCOMPARE(second.doc->questionnaireLoaded(), readOnly);
        if (!readOnly) return;
        QVERIFY(second.form->windowTitle().endsWith(u(" 読み取り専用")));
        QVERIFY(second.showActive());
        const std::string before(second.doc->Answers[1][1].view());
        second.stand(1, 1);
        second.type(QStringLiteral("2"));
        QCOMPARE(second.platform.beeps, 1);
        QCOMPARE(std::string(second.doc->Answers[1][1].view()), before);
        QVERIFY(!second.doc->Modified);
        second.platform.expectSaveFile({}); // Save goes to Save As
        second.form->survey().Save1Click();
        QVERIFY(second.platform.verifyDone());
        // Closed, the first gives the file up: it opens without a question.
        QVERIFY(first.form->survey().FormCloseQuery());
        test::WindowSession third;
        third.start({file});
        QVERIFY(third.doc->questionnaireLoaded() && !third.doc->ReadOnly);
    }

    // Untitled journals at start-up: a crashed window's is offered, a live one's is not.
    void untitled_data() {
        QTest::addColumn<int>("answer"); // -1: held by a live window, no question
        QTest::newRow("Yes rebuilds") << int(Platform::Answer::Yes);
        QTest::newRow("No sets aside") << int(Platform::Answer::No);
        QTest::newRow("live window's") << -1;
    }
    void untitled() {
        QFETCH(int, answer);
        QDir(state_.path()).removeRecursively();
        const std::string journal = untitledJournalPath(9999); // of no live window
        SurveyDocument made;
        made.SurveyTitle = "T";
        made.QuestionCount = 1;
        made.QuestionText[1] = "Q";
        made.ChoiceCount[1] = 3;
        JournalWriter writer;
        writer.start(journal, Questionnaire{});
        writer.append(JournalRecord::apply(made));
        JournalRecord a;
        a.respondent = 1;
        a.question = 1;
        a.text = "3";
        writer.append(a);
        writer.append(JournalRecord::respondentCount(1));
        writer.close();
        FileLock live;
        if (answer < 0) QVERIFY(live.take(journal));

        test::WindowSession s;
        if (answer >= 0) s.platform.expectMessage(Platform::Answer(answer));
        s.start();
        QVERIFY(s.platform.verifyDone());
        const bool rebuilt = answer == int(Platform::Answer::Yes);
        QCOMPARE(s.doc->questionnaireLoaded(), rebuilt);
        const QStringList left = QDir(QFileInfo(QString::fromStdString(journal)).path())
                                     .entryList({QStringLiteral("untitled-*")}, QDir::Files);
        QCOMPARE(left.size(), 1 + (rebuilt || answer < 0 ? 1 : 0)); // the journal, its lock
        if (!rebuilt) return;
        QCOMPARE(s.doc->QuestionCount, 1);
        QCOMPARE(std::string(s.doc->Answers[1][1].view()), std::string("3"));
        QCOMPARE(s.doc->Tally[1][3], 1);
        QVERIFY(s.doc->Modified && s.doc->DataFilePath.empty());
    }

private:
    QTemporaryDir state_;
};

QTEST_MAIN(TestSurveyLock)
#include "tst_survey_lock_window.moc"
