// A survey keyed in from its empty file to the saved one, with the keyboard only, and the saved
// data file compared byte for byte with the file written by hand.
#include "app/main_window.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace vev;

class TestEntryEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }
    void threeRespondentsKeyedInAndSaved();
};

void TestEntryEndToEnd::threeRespondentsKeyedInAndSaved() {
    test::WindowSession s;
    s.enterFolder();
    const QString path = s.place("entry_empty.dat");
    QVERIFY(!path.isEmpty());
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const std::unique_ptr<SurveyDocument>& doc = s.doc;
    {
        s.start({path});
        QVERIFY(s.showActive());
        QCOMPARE(doc->RespondentCount, 0);
        QCOMPARE(doc->CurrentRespondent, 1);

        const auto type = [&s](const char* keys) { return s.type(QLatin1String(keys)); };
        // 性別 (2 choices), 年代 (6), よく使う機能 (5, several at once).
        QVERIFY(type("13531\r\r"));   // 1, 3, 135; Enter on the complete respondent moves on
        QVERIFY(type("29\r442\r\r")); // 9 counts as NG; Enter on the open question 3 stays there
        QVERIFY(type("1682\r\r"));    // 8 is no choice of question 3 and vanishes from "82"
        QCOMPARE(doc->CurrentRespondent, 4);
        QCOMPARE(doc->RespondentCount, 3);
        QCOMPARE(doc->Tally[1][1], 2);
        QCOMPARE(doc->Tally[1][2], 1);
        QCOMPARE(doc->Tally[2][3], 1);
        QCOMPARE(doc->Tally[2][6], 1);
        QCOMPARE(doc->Tally[2][9], 1);
        QCOMPARE(doc->Tally[3][1], 1);
        QCOMPARE(doc->Tally[3][2], 2);
        QCOMPARE(doc->Tally[3][4], 1);
        QCOMPARE(doc->Tally[3][9], 0);
        QVERIFY(doc->Modified);

        s.Save1()->trigger();
        QVERIFY(!doc->Modified);
        QVERIFY(s.finish());
    }

    QCOMPARE(test::readAll(path), test::readAll(test::testData("entry_expected.dat")));
    QVERIFY(QFile::exists(s.path(QStringLiteral("entry_empty.csv"))));
}

QTEST_MAIN(TestEntryEndToEnd)
#include "tst_entry_end_to_end_window.moc"
