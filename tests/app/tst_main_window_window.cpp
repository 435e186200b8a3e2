// The main window's frame: start-up, the File menu commands with their save prompts, closing,
// dropped files and the Option menu, driven through the scripted fake platform.
#include "app/main_window.h"
#include "keying/h_spinner.h"
#include "model/sjis.h"
#include "platform/qt_platform.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

using namespace vev;
using Answer = Platform::Answer;

namespace {

// One run of the program in a folder of its own, which is also the current folder.
struct Session : test::WindowSession {
    Session() { enterFolder(); }
    void place(const char* testData, const QString& as) const {
        QVERIFY(!WindowSession::place(testData, as).isEmpty());
    }
    QString label(const char* name) const {
        return form->findChild<QLabel*>(QLatin1String(name))->text();
    }
    // The documented sample survey as vev.dat, loaded at start-up.
    void startOnSample() {
        place("window_sample.dat", QStringLiteral("vev.dat"));
        start();
    }
};

using test::u;

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void startUp_data();
    void startUp();
    void menuNames();
    void nameFilters_data();
    void nameFilters();
    void openPrompts_data();
    void openPrompts();
    void openMissingFileReportsError();
    void saveAsProposal_data();
    void saveAsProposal();
    void saveAsWrites();
    void closeModified_data();
    void closeModified();
    void failingSaveKeepsWindowOpen();
    void dropSeveralFiles();
    void dropAsksToSave_data();
    void dropAsksToSave();
    void saveAfterCancelledSaveAs_data();
    void saveAfterCancelledSaveAs();
    void fileMenuEnabling();
    void optionsFollowTheFileAndDoNotModify();
    void clientHeightAfterLoad_data();
    void clientHeightAfterLoad();
    void loadWithoutFirstQuestionShowsEmptyLook();
    void focusAfterOpenAndDrop();
    void gridBackgroundTakesNoFocus();
    void fileDroppedOnAnswerBoxIsLoaded();
};

void TestMainWindow::startUp_data() {
    QTest::addColumn<QString>("placeAs");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("loadedName");

    QTest::newRow("vev.dat in the current folder") << "vev.dat" << QStringList{} << "vev.dat";
    QTest::newRow("nothing to open") << "" << QStringList{} << "";
    QTest::newRow("argument") << "other.dat" << QStringList{QStringLiteral("other.dat")}
                              << "other.dat";
    QTest::newRow("missing argument falls back to vev.dat")
        << "vev.dat" << QStringList{QStringLiteral("missing.dat")} << "vev.dat";
    QTest::newRow("missing argument, no vev.dat")
        << "other.dat" << QStringList{QStringLiteral("missing.dat")} << "";
}

void TestMainWindow::startUp() {
    QFETCH(QString, placeAs);
    QFETCH(QStringList, arguments);
    QFETCH(QString, loadedName);

    Session s;
    if (!placeAs.isEmpty()) s.place("window_sample.dat", placeAs);
    s.start(arguments);

    QCOMPARE(s.doc->VersionString.str(), std::string("VEV v1.11"));
    QCOMPARE(s.doc->ScalePercent, 100);
    QCOMPARE(s.form->width(), 800);
    QCOMPARE(QString::fromStdString(s.doc->AppDirectory), s.dir.path() + QLatin1Char('/'));
    QVERIFY(!s.DAVAD()->isEnabled());
    QVERIFY(s.form->acceptDrops());
    if (loadedName.isEmpty()) {
        QVERIFY(!s.doc->questionnaireLoaded());
        QCOMPARE(s.label("Label1"), u("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
        QCOMPARE(s.label("Label2"), QString());
        QCOMPARE(s.form->windowTitle(), QStringLiteral("VEV"));
        QVERIFY(s.Label3()->isHidden());
        QVERIFY(s.q(1)->isHidden());
    } else {
        QCOMPARE(QString::fromStdString(s.doc->DataFilePath), s.path(loadedName));
        QCOMPARE(s.label("Label1"), u("　　　　　　　 　ｱﾝｹｰﾄ：満足度調査"));
        QCOMPARE(s.label("Label2"), u("ﾌｧｲﾙ：") + loadedName);
        QCOMPARE(s.form->windowTitle(), QStringLiteral("VEV - ") + s.dir.path() + u("/"));
        // The last respondent is complete, so the next one is shown with open answers.
        QCOMPARE(s.doc->CurrentRespondent, 3);
        QCOMPARE(s.label("Label3"), QStringLiteral("No.3"));
        QCOMPARE(s.UpDown1()->position(), 3);
        QVERIFY(!s.q(3)->isHidden());
        QVERIFY(s.q(4)->isHidden());
    }
    QVERIFY(s.done());
}

void TestMainWindow::menuNames() {
    Session s;
    s.start();
    for (const char* name :
         {"New1",   "Open1", "Save1",   "SaveAs1", "Print1", "CsvW1", "Ex1",   "Exit1",
          "AEdit1", "N3",    "AClear1", "DClear1", "N6",     "CsvI1", "csvR1", "CsvL1",
          "WWrite", "Frac1", "About1",  "Manual",  "ZAMweb", "N4",    "DAVAD"})
        QVERIFY2(s.form->findChild<QAction*>(QLatin1String(name)), name);
    for (const char* name : {"File1", "Edit1", "Option1", "Help1"})
        QVERIFY2(s.form->findChild<QMenu*>(QLatin1String(name)), name);
    QVERIFY(s.WWrite()->isChecked());
    QVERIFY(!s.Frac1()->isChecked());
}

void TestMainWindow::nameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("data files") << u("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*")
                                << QStringList{u("アンケートデータ(*.dat)"),
                                               u("すべてのファイル(*)")};
    QTest::newRow("label without its patterns, several patterns")
        << u("Text|*.txt;*.log") << QStringList{u("Text(*.txt *.log)")};
    QTest::newRow("empty") << QString() << QStringList{u("(*)")};
}

void TestMainWindow::nameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(QtPlatform::nameFilters(filter), expected);
}

void TestMainWindow::openPrompts_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("promptAnswer"); // -1: no prompt
    QTest::addColumn<QString>("saveAs");   // Save As answer; empty: cancelled
    QTest::addColumn<bool>("openDialog");

    QTest::newRow("unmodified") << false << -1 << "" << true;
    QTest::newRow("cancel") << true << int(Answer::Cancel) << "" << false;
    QTest::newRow("no") << true << int(Answer::No) << "" << true;
    QTest::newRow("yes, save as cancelled") << true << int(Answer::Yes) << "" << false;
    QTest::newRow("yes, saved") << true << int(Answer::Yes) << "kept.dat" << true;
}

void TestMainWindow::openPrompts() {
    QFETCH(bool, modified);
    QFETCH(int, promptAnswer);
    QFETCH(QString, saveAs);
    QFETCH(bool, openDialog);

    Session s;
    s.place("window_sample.dat", QStringLiteral("vev.dat"));
    s.place("window_grid.dat", QStringLiteral("grid.dat"));
    s.start();
    s.doc->Modified = modified;
    if (promptAnswer >= 0) s.platform.expectMessage(Answer(promptAnswer));
    if (promptAnswer == int(Answer::Yes))
        s.platform.expectSaveFile(saveAs.isEmpty() ? QString() : s.path(saveAs));
    if (openDialog) s.platform.expectOpenFiles({s.path(QStringLiteral("grid.dat"))});

    s.Open1()->trigger();

    QVERIFY(s.done());
    if (promptAnswer >= 0) {
        const FakePlatform::ShownMessage& prompt = s.platform.messages.first();
        QCOMPARE(prompt.caption, u("保存確認"));
        QCOMPARE(prompt.text, u("データが変更されています。保存しますか？"));
        QCOMPARE(prompt.icon, Platform::Icon::Question);
        QCOMPARE(prompt.buttons, Platform::Buttons::YesNoCancel);
    }
    if (!saveAs.isEmpty()) QVERIFY(QFile::exists(s.path(saveAs)));
    QCOMPARE(s.doc->QuestionCount, openDialog ? 10 : 3);
    if (openDialog) {
        const Platform::FileDialog& d = s.platform.dialogs.last().dialog;
        QCOMPARE(d.title, u("アンケートファイルを開く"));
        QCOMPARE(d.filter, u("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"));
        QCOMPARE(d.defaultSuffix, QStringLiteral("dat"));
        QCOMPARE(d.fileName, QString());
        QVERIFY(!s.doc->Modified);
    }
}

void TestMainWindow::openMissingFileReportsError() {
    Session s;
    s.start();
    s.platform.expectOpenFiles({s.path(QStringLiteral("typed.dat"))});
    s.platform.expectMessage(Answer::Ok);
    s.Open1()->trigger();
    QVERIFY(s.done());
    QCOMPARE(s.platform.messages.last().caption, QStringLiteral("VEV"));
    QCOMPARE(s.platform.messages.last().icon, Platform::Icon::Error);
    QVERIFY(!s.doc->questionnaireLoaded());
}

void TestMainWindow::saveAsProposal_data() {
    QTest::addColumn<QString>("resultsPath");
    QTest::addColumn<QString>("proposal");

    QTest::newRow("title") << "" << u("満足度調査.dat");
    QTest::newRow("results file") << "/data/out.csv"
                                  << "/data/out.dat";
    QTest::newRow("results file without extension") << "/data.d/out"
                                                    << "/data.d/out.dat";
}

void TestMainWindow::saveAsProposal() {
    QFETCH(QString, resultsPath);
    QFETCH(QString, proposal);

    Session s;
    s.start();
    s.doc->SurveyTitle = sjis::fromUtf8("満足度調査");
    s.doc->QuestionCount = 1;
    s.doc->ChoiceCount[1] = 2;
    s.doc->ResultsFilePath = resultsPath.toStdString();
    s.platform.expectSaveFile(QString());

    s.SaveAs1()->trigger();

    QVERIFY(s.done());
    const Platform::FileDialog& d = s.platform.dialogs.first().dialog;
    QCOMPARE(d.title, u("アンケートに名前をつけて保存"));
    QCOMPARE(d.fileName, proposal);
    QCOMPARE(d.defaultSuffix, QStringLiteral("dat"));
    QCOMPARE(d.filter, u("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"));
    // Cancelled: the proposal stays as the survey's name, so the File menu offers Save.
    QCOMPARE(QString::fromStdString(s.doc->DataFilePath), proposal);
    QVERIFY(!s.doc->LastOperationSucceeded);
    emit s.File1()->aboutToShow();
    QVERIFY(s.Save1()->isEnabled());
}

void TestMainWindow::saveAsWrites() {
    Session s;
    s.startOnSample();
    s.doc->Modified = true;
    s.platform.expectSaveFile(s.path(QStringLiteral("copy.dat")));

    s.SaveAs1()->trigger();

    QVERIFY(s.done());
    QCOMPARE(s.platform.dialogs.first().dialog.fileName, s.path(QStringLiteral("vev.dat")));
    QVERIFY(QFile::exists(s.path(QStringLiteral("copy.dat"))));
    QVERIFY(QFile::exists(s.path(QStringLiteral("copy.csv")))); // WWrite is checked
    QVERIFY(!s.doc->Modified);
    QVERIFY(s.doc->LastOperationSucceeded);
    QCOMPARE(s.form->windowTitle(), QStringLiteral("VEV - ") + s.dir.path() + u("/"));
    QCOMPARE(s.label("Label2"), u("ファイル：copy.dat"));
}

void TestMainWindow::closeModified_data() {
    QTest::addColumn<bool>("hasPath");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // Save As answer when there is no path
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("written");

    QTest::newRow("path, yes") << true << int(Answer::Yes) << "" << true << "vev.dat";
    QTest::newRow("path, no") << true << int(Answer::No) << "" << true << "";
    QTest::newRow("path, cancel") << true << int(Answer::Cancel) << "" << false << "";
    QTest::newRow("no path, yes, save as cancelled")
        << false << int(Answer::Yes) << "" << false << "";
    QTest::newRow("no path, yes, saved")
        << false << int(Answer::Yes) << "new.dat" << true << "new.dat";
    QTest::newRow("no path, no") << false << int(Answer::No) << "" << true << "";
    QTest::newRow("no path, cancel") << false << int(Answer::Cancel) << "" << false << "";
}

void TestMainWindow::closeModified() {
    QFETCH(bool, hasPath);
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);
    QFETCH(QString, written);

    Session s;
    s.startOnSample();
    QFile::remove(s.path(QStringLiteral("vev.dat"))); // only a save brings it back
    if (!hasPath) s.doc->DataFilePath.clear();
    s.doc->Modified = true;
    s.platform.expectMessage(Answer(answer));
    if (!hasPath && answer == int(Answer::Yes))
        s.platform.expectSaveFile(saveAs.isEmpty() ? QString() : s.path(saveAs));
    s.form->show();

    s.Exit1()->trigger();

    QVERIFY(s.done());
    const FakePlatform::ShownMessage& prompt = s.platform.messages.first();
    QCOMPARE(prompt.caption, u("保存確認"));
    if (hasPath) {
        QCOMPARE(prompt.text, u("データが変更されています。上書きしますか？"));
        QCOMPARE(prompt.icon, Platform::Icon::Warning);
    } else {
        QCOMPARE(prompt.text, u("データが変更されています。保存しますか？"));
        QCOMPARE(prompt.icon, Platform::Icon::Question);
    }
    QCOMPARE(s.form->isVisible(), !closes);
    for (const QString& name : {QStringLiteral("vev.dat"), QStringLiteral("new.dat")})
        QCOMPARE(QFile::exists(s.path(name)), name == written);
    if (written == QStringLiteral("vev.dat"))
        QVERIFY(QFile::exists(s.path(QStringLiteral("vev.csv"))));
    if (!closes) {
        s.doc->Modified = false;
        s.form->close();
    }
}

void TestMainWindow::failingSaveKeepsWindowOpen() {
    Session s;
    s.startOnSample();
    s.doc->DataFilePath = s.path(QStringLiteral("no such folder/vev.dat")).toStdString();
    s.doc->Modified = true;
    s.platform.expectMessage(Answer::Yes);
    s.platform.expectMessage(Answer::Ok); // the error report
    s.form->show();

    QVERIFY(!s.form->close());

    QVERIFY(s.done());
    QVERIFY(s.form->isVisible());
    const FakePlatform::ShownMessage& report = s.platform.messages.last();
    QCOMPARE(report.caption, QStringLiteral("VEV"));
    QCOMPARE(report.icon, Platform::Icon::Error);
    QCOMPARE(report.buttons, Platform::Buttons::Ok);
    QVERIFY(report.text.endsWith(QLatin1Char('.')));
    QVERIFY(s.doc->Modified);
    s.doc->Modified = false;
    QVERIFY(s.form->close());
}

void TestMainWindow::dropSeveralFiles() {
    Session s;
    s.place("window_sample.dat", QStringLiteral("vev.dat"));
    s.place("window_grid.dat", QStringLiteral("grid.dat"));
    s.start();
    s.doc->Modified = true; // a drop asks first, as Open does
    s.platform.expectMessage(Platform::Answer::No);
    s.platform.expectPositionedMessage();

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(s.path(QStringLiteral("grid.dat"))),
                  QUrl::fromLocalFile(s.path(QStringLiteral("vev.dat"))),
                  QUrl::fromLocalFile(s.path(QStringLiteral("other.dat")))});
    // A drop goes to the widget that accepted the drag when it entered.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.form.get(), &drop);

    QVERIFY(s.done());
    QCOMPARE(s.platform.messages.first().text, u("データが変更されています。保存しますか？"));
    QCOMPARE(s.platform.messages[1].text, u("ドロップで読み込むファイルは１つだけです。"));
    QVERIFY(s.platform.messages[1].positioned);
    QCOMPARE(s.doc->QuestionCount, 10);
    QCOMPARE(QString::fromStdString(s.doc->DataFilePath), s.path(QStringLiteral("grid.dat")));
    QVERIFY(!s.doc->Modified);
}

void TestMainWindow::dropAsksToSave_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveAs"); // Save As answer after Yes; empty: cancelled
    QTest::addColumn<bool>("loads");
    QTest::newRow("cancel") << int(Answer::Cancel) << "" << false;
    QTest::newRow("yes, save as cancelled") << int(Answer::Yes) << "" << false;
    QTest::newRow("yes, saved") << int(Answer::Yes) << "saved.dat" << true;
    QTest::newRow("no") << int(Answer::No) << "" << true;
}

void TestMainWindow::dropAsksToSave() {
    QFETCH(int, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, loads);
    Session s;
    s.place("window_grid.dat", QStringLiteral("grid.dat"));
    s.startOnSample();
    s.doc->Modified = true;
    s.platform.expectMessage(Answer(answer));
    if (answer == int(Answer::Yes))
        s.platform.expectSaveFile(saveAs.isEmpty() ? QString() : s.path(saveAs));

    s.form->FormDropFiles({s.path(QStringLiteral("grid.dat"))});

    QVERIFY(s.done());
    QCOMPARE(s.platform.messages.first().text, u("データが変更されています。保存しますか？"));
    QCOMPARE(s.doc->QuestionCount, loads ? 10 : 3);
    QCOMPARE(s.doc->Modified, !loads);
    if (!saveAs.isEmpty()) QVERIFY(QFile::exists(s.path(saveAs)));
    s.doc->Modified = false;
}

void TestMainWindow::saveAfterCancelledSaveAs_data() {
    QTest::addColumn<QString>("resultsName"); // the results file named so far; empty: none
    QTest::addColumn<QString>("proposal");
    QTest::newRow("title") << "" << u("満足度調査.dat");
    QTest::newRow("results file") << "out.csv"
                                  << "out.dat";
}

// Save never writes to the name Save As only proposed: it asks for a name again.
void TestMainWindow::saveAfterCancelledSaveAs() {
    QFETCH(QString, resultsName);
    QFETCH(QString, proposal);
    Session s;
    s.start();
    s.doc->SurveyTitle = sjis::fromUtf8("満足度調査");
    s.doc->QuestionCount = 1;
    s.doc->ChoiceCount[1] = 2;
    s.doc->Modified = true;
    if (!resultsName.isEmpty()) s.doc->ResultsFilePath = s.nativePath("out.csv");
    const QString expected = resultsName.isEmpty() ? proposal : s.path(proposal);
    s.platform.expectSaveFile(QString());
    s.platform.expectSaveFile(QString());
    s.platform.expectMessage(Answer::Cancel);

    s.SaveAs1()->trigger();
    s.Save1()->trigger();
    s.form->show();
    QVERIFY(!s.form->close());

    QVERIFY(s.done());
    QCOMPARE(s.platform.dialogs.size(), 2);
    QCOMPARE(s.platform.dialogs[1].dialog.title, u("アンケートに名前をつけて保存"));
    QCOMPARE(s.platform.dialogs[1].dialog.fileName, expected);
    QVERIFY(!QFile::exists(s.path(proposal)));
    // Closing asks to save under a new name, not to overwrite the proposal.
    QCOMPARE(s.platform.messages.first().text, u("データが変更されています。保存しますか？"));
    s.doc->Modified = false;
    QVERIFY(s.form->close());
}

void TestMainWindow::fileMenuEnabling() {
    Session s;
    s.start();
    const auto opened = [&] {
        emit s.File1()->aboutToShow();
        return QList<bool>{s.Save1()->isEnabled(), s.SaveAs1()->isEnabled(), s.CsvW1()->isEnabled(),
                           s.Print1()->isEnabled()};
    };
    QCOMPARE(opened(), (QList<bool>{false, false, false, false}));

    s.place("window_sample.dat", QStringLiteral("vev.dat"));
    s.platform.expectOpenFiles({s.path(QStringLiteral("vev.dat"))});
    s.Open1()->trigger();
    QCOMPARE(opened(), (QList<bool>{true, true, true, true}));

    s.doc->RespondentCount = 0;
    s.doc->DataFilePath.clear();
    QCOMPARE(opened(), (QList<bool>{false, true, false, false}));
    QVERIFY(s.done());
}

void TestMainWindow::optionsFollowTheFileAndDoNotModify() {
    Session s;
    s.place("window_grid.dat", QStringLiteral("vev.dat"));
    s.start();
    // The file's trailer asks for decimals and a separate results file.
    QVERIFY(!s.WWrite()->isChecked());
    QVERIFY(s.Frac1()->isChecked());
    QVERIFY(!s.doc->WWrite);
    QVERIFY(s.doc->Frac1);

    s.WWrite()->trigger();
    s.Frac1()->trigger();
    QVERIFY(s.doc->WWrite);
    QVERIFY(!s.doc->Frac1);
    QVERIFY(!s.doc->Modified);
    QVERIFY(s.done());
}

// A data file of `count` questions of 3 choices, without respondents. The first question has
// `firstChoices` choices.
// Question q's three choices with texts of the full 40 bytes, as trailer lines.
const char* const LongText = "選択肢の内容を四十バイトまで書いた長い例";
std::string longTexts(int q) {
    std::string lines;
    for (int c = 1; c <= 3; ++c)
        lines += sjis::fromUtf8("選択肢：") + std::to_string(q) + "," + std::to_string(c) + "," +
                 sjis::fromUtf8(LongText) + "\r\n";
    return lines;
}

void writeSurvey(const QString& path, int count, int firstChoices = 3, bool texts = false) {
    std::string text = "VEV v1.11  \r\n" + sjis::fromUtf8("高さ") + "\r\n" +
                       sjis::fromUtf8("質問数 ,") + std::to_string(count) + "\r\n";
    for (int q = 1; q <= count; ++q)
        text += (q < 10 ? " " : "") + std::to_string(q) + " ,Q" + std::to_string(q) +
                std::string(q < 10 ? 18 : 17, ' ') + "," +
                std::to_string(q == 1 ? firstChoices : 3) + "\r\n";
    text +=
        sjis::fromUtf8("百分率：整数") + "\r\n" + sjis::fromUtf8("集計結果：同時保存") + "\r\n" +
        (texts ? sjis::fromUtf8("選択肢：1,1,男性\r\n選択肢：1,2,女性\r\n") + longTexts(2) : "") +
        "\r\nx.dat  2026/12/07\r\n";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.data(), qint64(text.size()));
}

void TestMainWindow::clientHeightAfterLoad_data() {
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("clientBefore");
    QTest::addColumn<int>("clientAfter");
    QTest::addColumn<bool>("texts"); // the status bar names the focused question's choices

    QTest::newRow("3 questions") << 3 << 540 << 20 * 3 + 56 << false;
    QTest::newRow("24 questions") << 24 << 540 << 20 * 24 + 56 << false;
    QTest::newRow("24 questions with texts") << 24 << 540 << 20 * 24 + 56 << true;
    QTest::newRow("40 questions with texts, window low") << 40 << 300 << 555 << true;
    QTest::newRow("25 questions raise a small window") << 25 << 300 << 555 << false;
    QTest::newRow("40 questions leave a tall window") << 40 << 700 << 700 << false;
}

void TestMainWindow::clientHeightAfterLoad() {
    QFETCH(int, questions);
    QFETCH(int, clientBefore);
    QFETCH(int, clientAfter);
    QFETCH(bool, texts);

    Session s;
    s.start();
    writeSurvey(s.path(QStringLiteral("h.dat")), questions, 3, texts);
    const int menu = s.form->menuBar()->sizeHint().height();
    s.form->resize(s.form->width(), menu + clientBefore);
    s.platform.expectOpenFiles({s.path(QStringLiteral("h.dat"))});
    s.Open1()->trigger();
    QVERIFY(s.done());
    QCOMPARE(s.doc->QuestionCount, questions);
    const QStatusBar* bar = s.form->findChild<QStatusBar*>(u("StatusBar1"));
    QCOMPARE(bar->isHidden(), !texts);
    QCOMPARE(s.form->height() - menu - (texts ? bar->sizeHint().height() : 0), clientAfter);
    if (!texts) return;
    const QLabel* choices = bar->findChild<QLabel*>(u("ChoiceTexts"));
    QVERIFY(s.showActive());
    // A line wider than the window is cut at the window's edge; window and bar keep their size.
    const int width = s.form->width();
    const int barHeight = bar->height();
    const QString longLine = u("1 %1　2 %1　3 %1").arg(u(LongText));
    for (const auto& [q, line] :
         {std::pair{2, longLine}, {1, u("1 男性　2 女性　3")}, {3, QString()}}) {
        s.stand(1, q);
        QCOMPARE(choices->text(), line);
        QCOMPARE(s.ad(q)->toolTip(), line);
        QCoreApplication::processEvents(); // the layout's resize comes as a posted event
        QCOMPARE(s.form->width(), width);
        QCOMPARE(bar->height(), barHeight);
    }
}

void TestMainWindow::loadWithoutFirstQuestionShowsEmptyLook() {
    Session s;
    s.startOnSample();
    QVERIFY(!s.Label3()->isHidden());
    writeSurvey(s.path(QStringLiteral("gap.dat")), 2, 0);
    s.platform.expectOpenFiles({s.path(QStringLiteral("gap.dat"))});
    s.Open1()->trigger();

    QVERIFY(s.done());
    QVERIFY(!s.doc->questionnaireLoaded());
    QCOMPARE(QString::fromStdString(s.doc->DataFilePath), s.path(QStringLiteral("gap.dat")));
    // The clear before the load emptied the window; the grid refresh then draws nothing.
    QCOMPARE(s.label("Label1"), u("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    QCOMPARE(s.label("Label2"), QString());
    QCOMPARE(s.form->windowTitle(), QStringLiteral("VEV"));
    for (QWidget* control : {static_cast<QWidget*>(s.Label3()), static_cast<QWidget*>(s.Label4()),
                             static_cast<QWidget*>(s.Label5()), static_cast<QWidget*>(s.UpDown1()),
                             s.q(1), s.q(2), s.q(3)})
        QVERIFY2(control->isHidden(), qPrintable(control->objectName()));
}

void TestMainWindow::focusAfterOpenAndDrop() {
    Session s;
    s.startOnSample();
    QVERIFY(s.showActive());
    // Respondent 3 is shown open from question 1 on.
    s.sn(3)->setFocus();
    s.platform.expectOpenFiles({s.path(QStringLiteral("vev.dat"))});
    s.Open1()->trigger();
    QCOMPARE(s.doc->CurrentQuestion, 1);
    QCOMPARE(s.form->focusWidget(), s.sn(1));

    s.sn(2)->setFocus();
    s.form->FormDropFiles({s.path(QStringLiteral("vev.dat"))});
    QCOMPARE(s.form->focusWidget(), s.sn(1));
    QVERIFY(s.done());
}

void TestMainWindow::gridBackgroundTakesNoFocus() {
    Session s;
    s.startOnSample();
    QVERIFY(s.showActive());
    s.sn(2)->setFocus();
    // The background below the rows, a row's count line and the header labels.
    QTest::mouseClick(s.canvas(), Qt::LeftButton, {}, QPoint(400, 200));
    QTest::mouseClick(s.ad(1), Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseClick(s.Label4(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(QApplication::focusWidget(), s.sn(2));
    QVERIFY(s.done());
}

void TestMainWindow::fileDroppedOnAnswerBoxIsLoaded() {
    Session s;
    s.place("window_sample.dat", QStringLiteral("vev.dat"));
    s.place("window_grid.dat", QStringLiteral("grid.dat"));
    s.start();
    s.form->show();
    // A file manager offers the file as a URL and as plain text.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(s.path(QStringLiteral("grid.dat")))});
    mime.setText(s.path(QStringLiteral("grid.dat")));
    QLineEdit* box = s.sn(1);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);

    QVERIFY(s.done());
    QCOMPARE(s.doc->QuestionCount, 10);
    QCOMPARE(QString::fromStdString(s.doc->DataFilePath), s.path(QStringLiteral("grid.dat")));
    QCOMPARE(s.sn(1)->text(), QStringLiteral("1")); // the loaded answer, no path in it
    s.form->close();
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window_window.moc"
