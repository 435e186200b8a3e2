// A survey keyed in from its empty file to the saved one, with the keyboard only, and the saved
// data file compared byte for byte with the file written by hand.
#include "app/main_window.h"
#include "fake_platform.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vev;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

} // namespace

class TestEntryEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }
    void threeRespondentsKeyedInAndSaved();
};

void TestEntryEndToEnd::threeRespondentsKeyedInAndSaved() {
    QTemporaryDir dir;
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString path = dir.filePath(QStringLiteral("entry_empty.dat"));
    QVERIFY(QFile::copy(QStringLiteral(VEV_TEST_DATA "/entry_empty.dat"), path));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));

    auto doc = std::make_unique<SurveyDocument>();
    FakePlatform platform;
    {
        TForm1 form(*doc, platform, {path});
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(doc->RespondentCount, 0);
        QCOMPARE(doc->CurrentRespondent, 1);

        const auto type = [](const char* keys) {
            for (const char* c = keys; *c; ++c) {
                QWidget* target = QApplication::focusWidget();
                QVERIFY(qobject_cast<QLineEdit*>(target));
                if (*c == '\r')
                    QTest::keyClick(target, Qt::Key_Return);
                else
                    QTest::keyClick(target, *c);
            }
        };
        // 性別 (2 choices), 年代 (6), よく使う機能 (5, several at once).
        type("13531\r\r");   // 1, 3, 135; Enter on the complete respondent moves on
        type("29\r442\r\r"); // 9 counts as NG; Enter on the open question 3 stays there
        type("1682\r\r");    // 8 is no choice of question 3 and vanishes from "82"
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

        form.Save1->trigger();
        QVERIFY(!doc->Modified);
        QVERIFY(platform.verifyDone());
    }
    QDir::setCurrent(previousFolder);

    QCOMPARE(contents(path), contents(QStringLiteral(VEV_TEST_DATA "/entry_expected.dat")));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("entry_empty.csv"))));
}

QTEST_MAIN(TestEntryEndToEnd)
#include "tst_entry_end_to_end_window.moc"
