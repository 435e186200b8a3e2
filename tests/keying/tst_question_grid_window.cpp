// The question grid: what the rows show after a load, the answer boxes' shapes, the partial
// rebuild after a questionnaire edit and showing a respondent.
#include "app/main_window.h"
#include "keying/h_spinner.h"
#include "window_fixture.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

using namespace vev;

namespace {

using test::u;

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

// The main window around an empty document; load() reads a file of tests/data as Open does.
struct Grid : test::WindowSession {
    Grid() {
        enterFolder();
        start();
    }
    void load(const char* name) {
        doc->OpenRequestPath = test::native(test::testData(name));
        form->runGuarded([this] { form->Loaddatafile(); });
        QVERIFY(platform.verifyDone());
    }
};

} // namespace

class TestQuestionGrid : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void rows_data();
    void rows();
    void lines_data();
    void lines();
    void columnsLineUp();
    void gapRowKeepsPlaces();
    void nothingWithoutQuestionnaire();
    void rowsOfRemovedQuestionsAreHidden();
    void unvisitedRespondent();
    void longerAnswerShowsWhole();
    void focusOnlyOnShownRows();
    void labelsLookAsLabelsDraw();
    void boxesLookAsTheStyleDraws_data();
    void boxesLookAsTheStyleDraws();
};

void TestQuestionGrid::rows_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("answer");

    QTest::newRow("single, 2 choices") << 1 << u(" 1.性別") << 200 << 20 << 2 << "1";
    QTest::newRow("multi, 2") << 2 << u(" 2.複数2") << 200 << 28 << 2 << "12";
    QTest::newRow("multi, 3") << 3 << u(" 3.複数3") << 200 << 36 << 3 << "13";
    QTest::newRow("multi, 5") << 4 << u(" 4.複数5") << 200 << 52 << 5 << "1";
    QTest::newRow("multi, 6 grows left") << 5 << u(" 5.複数6") << 191 << 61 << 6 << "6";
    QTest::newRow("multi, 7") << 6 << u(" 6.複数7") << 182 << 70 << 7 << "7";
    QTest::newRow("multi, 8") << 7 << u(" 7.複数8") << 173 << 79 << 8 << "8";
    QTest::newRow("numeric") << 9 << u(" 9.人数") << 200 << 20 << 1 << "3";
    QTest::newRow("single, 8 choices") << 10 << u("10.単一8") << 200 << 20 << 8 << "8";
}

void TestQuestionGrid::rows() {
    QFETCH(int, row);
    QFETCH(QString, question);
    QFETCH(int, left);
    QFETCH(int, width);
    QFETCH(int, maxLength);
    QFETCH(QString, answer);

    Grid g;
    g.load("window_grid.dat");
    TForm1& f = *g.form;
    QVERIFY(!g.q(row)->isHidden());
    QCOMPARE(g.q(row)->geometry(), QRect(10, 40 + 20 * (row - 1), 764, 20));
    QCOMPARE(g.no(row)->text(), question);
    QCOMPARE(g.sn(row)->geometry(), QRect(left, 0, width, 19));
    QCOMPARE(g.sn(row)->text(), answer);
    // The box takes at most as many characters as the question has choices.
    QLineEdit* box = g.sn(row);
    box->clear();
    for (int i = 0; i <= maxLength; ++i) box->insert(QStringLiteral("1"));
    QCOMPARE(box->text(), QString(maxLength, QLatin1Char('1')));
    QCOMPARE(f.findChild<QLineEdit*>(QStringLiteral("sn%1").arg(row)), g.sn(row));
    QCOMPARE(f.findChild<QLabel*>(QStringLiteral("Label%1").arg(row + 5))->text(),
             QStringLiteral("NG"));
}

void TestQuestionGrid::lines_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("choices");
    QTest::addColumn<QString>("counts");

    const QString zero = blanks(6) + QLatin1Char('0');
    QTest::newRow("two choices") << 1 << u(" 1)     2)") + blanks(42)
                                 << u("  1") + zero + blanks(42) + zero;
    QTest::newRow("numeric sums its digits")
        << 9 << u(" 1)") + blanks(49) << u("  3") + blanks(49) + zero;
    QTest::newRow("eight choices")
        << 10 << u(" 1)     2)     3)     4)     5)     6)     7)     8)")
        << u("  0") + zero.repeated(6) + blanks(6) + QLatin1Char('1') + zero;
}

void TestQuestionGrid::lines() {
    QFETCH(int, row);
    QFETCH(QString, choices);
    QFETCH(QString, counts);

    Grid g;
    g.load("window_grid.dat");
    QCOMPARE(g.af(row)->text(), choices);
    QCOMPARE(g.ad(row)->text(), counts);
}

void TestQuestionGrid::columnsLineUp() {
    Grid g;
    // Each count stands just after its "n)": 7-character columns of 8 px, counts 24 px right.
    for (QLabel* label : {g.af(1), g.ad(1)}) {
        const qreal column = QFontMetricsF(label->font()).horizontalAdvance(blanks(7));
        QVERIFY2(qAbs(column - 56) < 0.6, qPrintable(QString::number(column)));
    }
    QCOMPARE(g.ad(1)->x() - g.af(1)->x(), 24);
}

void TestQuestionGrid::gapRowKeepsPlaces() {
    Grid g;
    g.load("window_grid.dat");
    QVERIFY(g.q(8)->isHidden());
    QCOMPARE(g.q(9)->y(), 200);
    QVERIFY(g.q(11)->isHidden());
    QVERIFY(!g.Label3()->isHidden());
    QVERIFY(!g.Label4()->isHidden());
    QVERIFY(!g.Label5()->isHidden());
    QVERIFY(!g.UpDown1()->isHidden());
}

void TestQuestionGrid::nothingWithoutQuestionnaire() {
    Grid g;
    g.doc->QuestionCount = 2;
    g.doc->ChoiceCount[2] = 3;
    g.doc->DataFilePath = "/x/y.dat";
    g.form->hyoji();
    QVERIFY(g.q(2)->isHidden());
    QVERIFY(g.Label3()->isHidden());
    QCOMPARE(g.Label1()->text(), u("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    QCOMPARE(g.form->windowTitle(), QStringLiteral("VEV"));
}

void TestQuestionGrid::rowsOfRemovedQuestionsAreHidden() {
    Grid g;
    g.load("window_grid.dat");
    // The editor cut ten questions to six.
    for (int n = 7; n <= 10; ++n) g.doc->ChoiceCount[n] = 0;
    g.doc->QuestionCount = 6;
    g.doc->RowsToRefresh = 10;
    g.form->hyoji();
    for (int n = 1; n <= 10; ++n) QCOMPARE(g.q(n)->isHidden(), n > 6);
}

void TestQuestionGrid::unvisitedRespondent() {
    Grid g;
    g.load("window_grid.dat");
    g.doc->CurrentRespondent = 5;
    g.form->hitoribun();
    QCOMPARE(g.Label3()->text(), QStringLiteral("No.5"));
    for (int n = 1; n <= 10; ++n) {
        QCOMPARE(g.sn(n)->text(), QStringLiteral("0"));
        QCOMPARE(g.doc->Answers[5][n].str(), std::string("0"));
    }
    QCOMPARE(g.doc->FirstOpenQuestion, 1);
    QCOMPARE(g.doc->RespondentCount, 1);
}

void TestQuestionGrid::longerAnswerShowsWhole() {
    Grid g;
    g.load("window_grid.dat");
    // An answer stored before the question lost choices is shown as it is stored.
    const int r = g.doc->CurrentRespondent;
    g.doc->Answers[r][2].assign("125");
    g.form->hitoribun();
    QCOMPARE(g.sn(2)->text(), QStringLiteral("125"));
    g.form->hyoji();
    QCOMPARE(g.sn(2)->text(), QStringLiteral("125"));
    // Typing still stops at the limit.
    g.sn(2)->setText(QStringLiteral("1"));
    g.sn(2)->insert(QStringLiteral("2"));
    g.sn(2)->insert(QStringLiteral("2"));
    QCOMPARE(g.sn(2)->text(), QStringLiteral("12"));
}

void TestQuestionGrid::focusOnlyOnShownRows() {
    Grid g;
    g.load("window_grid.dat");
    g.doc->CurrentQuestion = 9;
    g.form->SetFcs();
    QCOMPARE(g.form->focusWidget(), g.sn(9));
    g.doc->CurrentQuestion = 8; // no choices: hidden
    g.form->SetFcs();
    QCOMPARE(g.form->focusWidget(), g.sn(9));
}

// A row's labels keep their text laid out or their whole drawing, and the count line draws only
// the cells that changed: each looks on its row exactly as a plain label would there, also after
// a count changed.
void TestQuestionGrid::labelsLookAsLabelsDraw() {
    Grid g;
    g.load("window_grid.dat");
    QVERIFY(g.showActive());
    // The label on its row, with what lies under and over it, and a plain label in its place.
    const auto same = [](QLabel* label) {
        QWidget* panel = label->parentWidget();
        const QRect where = label->geometry();
        const QImage shown = panel->grab(where).toImage();
        QLabel plain(label->text(), panel);
        plain.setFont(label->font());
        plain.setPalette(label->palette());
        plain.setAutoFillBackground(label->autoFillBackground());
        plain.setAlignment(label->alignment());
        plain.setGeometry(where);
        plain.stackUnder(label);
        label->hide();
        plain.show();
        const QImage drawn = panel->grab(where).toImage();
        label->show();
        return shown == drawn;
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const char* name : {"no1", "af1", "ad1", "Label6", "ad6"})
            QVERIFY2(same(g.canvas()->findChild<QLabel*>(QString::fromLatin1(name))), name);
        g.doc->Tally[1][2] += 1234; // a wider count in the second column
        g.form->hyoji();
    }
}

// The answer boxes copy frame and background from a drawing kept per size, state and colour:
// each box on its row, focused or not, white, yellow or red, looks exactly as the style draws
// it there.
void TestQuestionGrid::boxesLookAsTheStyleDraws_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("single, focused") << 1 << true << QColor(Qt::white);
    QTest::newRow("single") << 1 << false << QColor(Qt::white);
    QTest::newRow("multi, 7, entry begun") << 6 << true << QColor(255, 255, 0);
    QTest::newRow("multi, 3, mismatch") << 3 << false << QColor(255, 0, 0);
}

void TestQuestionGrid::boxesLookAsTheStyleDraws() {
    QFETCH(int, row);
    QFETCH(bool, focused);
    QFETCH(QColor, colour);
    Grid g;
    g.load("window_grid.dat");
    QVERIFY(g.showActive());
    QLineEdit* box = g.sn(row);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colour);
    box->setPalette(palette);
    (focused ? box : g.sn(row == 1 ? 2 : 1))->setFocus();
    QCOMPARE(box->hasFocus(), focused);
    // The box on its row: an opaque box brings the row's colour into its frame's corners.
    QWidget* panel = box->parentWidget();
    for (int pass = 0; pass < 2; ++pass) { // drawn, then copied
        const QImage copied = panel->grab(box->geometry()).toImage();
        QStyle* own = box->style();
        box->setStyle(QApplication::style());
        box->setAttribute(Qt::WA_OpaquePaintEvent, false);
        const QImage drawn = panel->grab(box->geometry()).toImage();
        box->setStyle(own);
        box->setAttribute(Qt::WA_OpaquePaintEvent);
        QVERIFY(own != QApplication::style());
        QCOMPARE(copied, drawn);
    }
}

QTEST_MAIN(TestQuestionGrid)
#include "tst_question_grid_window.moc"
