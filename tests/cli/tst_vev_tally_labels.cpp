// vev-tally labels and the texts in dump, run as a process on a small survey with texts.
#include "core_test_util.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vev::test;

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

// Two questions: A (2 choices), B (3 choices); texts with a comma and the trail byte 0x5C.
QStringList surveyLines(const QStringList& texts) {
    // As the data file writer lays it out, so that a copy written back compares whole.
    return QStringList{u("VEV v1.11  (C) VEV developers"), u("T"), u("質問数 ,2"),
                       u(" 1 ,A                ,2"), u(" 2 ,B                ,3"),
                       u("  1  ,1,3"), u("百分率：整数"), u("集計結果：別に保存")} +
           texts + QStringList{QString(), u("s.dat  D")};
}

const QStringList Texts{u("質問文：1,性別は？"), u("選択肢：1,1,男性"), u("選択肢：2,3,表,ソ\\")};

} // namespace

class TestVevTallyLabels : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    Run tally(const QStringList& args) const {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(VEV_TALLY_PATH), args);
        Run run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.code = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY(writeLines(path("s.dat"), surveyLines(Texts)));
    }

    // The table out, the same table in: the survey comes back byte for byte; dump shows them.
    void exportAndImport() {
        const Run out = tally({u("labels"), path("s.dat")});
        QCOMPARE(out.code, 0);
        QCOMPARE(QString::fromUtf8(out.out), u("質問番号,選択肢番号,内容\r\n"
                                              "1,0,性別は？\r\n"
                                              "1,1,男性\r\n"
                                              "2,3,\"表,ソ\\\"\r\n"));
        QVERIFY(writeFile(path("t.csv"), out.out));
        const Run in = tally({u("labels"), path("s.dat"), u("--from"), path("t.csv"), u("-o"),
                              path("o.dat"), u("--date"), u("D")});
        QCOMPARE(in.err, QString());
        QCOMPARE(in.code, 0);
        QByteArray expected = readAll(path("s.dat"));
        expected.replace("s.dat  D", "o.dat  D");
        QCOMPARE(readAll(path("o.dat")), expected);

        const Run dump = tally({u("dump"), path("s.dat")});
        const QJsonArray questions =
            QJsonDocument::fromJson(dump.out).object()[u("Questions")].toArray();
        QCOMPARE(questions[0].toObject()[u("Wording")].toString(), u("性別は？"));
        QCOMPARE(questions[0].toObject()[u("ChoiceTexts")].toArray(),
                 QJsonArray({u("男性"), QString()}));
        QCOMPARE(questions[1].toObject()[u("ChoiceTexts")].toArray(),
                 QJsonArray({QString(), QString(), u("表,ソ\\")}));
    }

    // Any bad line refuses the whole table by its line number and writes nothing; a text
    // over its limit is cut with a notice. The other texts of the survey go.
    void importRules_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("trailer"); // of the written survey

        QTest::newRow("BOM, no header, a line break in a text")
            << QByteArray("\xEF\xBB\xBF"
                          "2,0,\"two\r\nlines\"\r\n1,2,x\n")
            << 1 << u("vev-tally: t.csv, line 1: the text holds a line break\n") << QStringList();
        QTest::newRow("replaces every text") << QByteArray("1,2,x\n2,1,\n") << 0 << QString()
                                             << QStringList{u("選択肢：1,2,x")};
        QTest::newRow("blank lines counted, quotes doubled")
            << QByteArray("1,2,\"a,\"\"b\"\"\"\n\n1,1,x\n2,4,y\n") << 1
            << u("vev-tally: t.csv, line 4: question 2 has no choice 4\n") << QStringList();
        QTest::newRow("bad number") << QByteArray("1,+1,x\n") << 1
                                    << u("vev-tally: t.csv, line 1: '+1' is not a number\n")
                                    << QStringList();
        QTest::newRow("missing question") << QByteArray("3,0,x\n") << 1
                                          << u("vev-tally: t.csv, line 1: question 3 does not "
                                               "exist\n")
                                          << QStringList();
        QTest::newRow("not Shift-JIS")
            << QByteArray("1,1,ok\n1,2,a\xF0\x9F\x98\x80\n") << 1
            << u("vev-tally: t.csv, line 2: '\U0001F600' cannot be written in Shift-JIS\n")
            << QStringList();
        QTest::newRow("two fields") << QByteArray("1,1\n") << 1
                                    << u("vev-tally: t.csv, line 1: 3 fields expected "
                                         "(質問番号,選択肢番号,内容), 2 found\n")
                                    << QStringList();
        // 1 + 20 two-byte characters: the character that starts at byte 40 goes.
        QTest::newRow("cut on a character boundary")
            << (QByteArray("1,1,a") + QString(20, QChar(0x8868)).toUtf8() + "\n") << 0
            << u("t.csv, line 1: the text is cut to 40 bytes\n")
            << QStringList{u("選択肢：1,1,a") + QString(19, QChar(0x8868))};
    }
    void importRules() {
        QFETCH(QByteArray, csv);
        QFETCH(int, code);
        QFETCH(QString, err);
        QFETCH(QStringList, trailer);
        QVERIFY(writeFile(path("t.csv"), csv));
        QFile::remove(path("o.dat"));
        const Run run = tally({u("labels"), path("s.dat"), u("--from"), path("t.csv"), u("-o"),
                               path("o.dat"), u("--date"), u("D")});
        QCOMPARE(run.err, err);
        QCOMPARE(run.code, code);
        if (code != 0) {
            QVERIFY(!QFile::exists(path("o.dat")));
            return;
        }
        QStringList expected = surveyLines(trailer);
        expected.last() = u("o.dat  D");
        QVERIFY(writeLines(path("expected.dat"), expected));
        QCOMPARE(readAll(path("o.dat")), readAll(path("expected.dat")));
    }
};

QTEST_GUILESS_MAIN(TestVevTallyLabels)
#include "tst_vev_tally_labels.moc"
