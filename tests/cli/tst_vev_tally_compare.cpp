// vev-tally compare run as a process on two keyings of the example survey: exit statuses, the
// summary on standard output, the messages on standard error and the report's bytes.
#include "core_test_util.h"
#include "survey_fixtures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using vev::test::sampleSurveyLines;
using vev::test::u;

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

const QStringList Answers{u("  1  ,1,3,135  "), u("  2  ,2,9,0    ")};

QByteArray summary(int differing, int oneSided, const char* agreement) {
    return (u("照合した回答者：2人\n照合した回答：6件\n相違：%1件\n"
              "一方のファイルだけの回答者：%2人\n一致率：")
                .arg(differing)
                .arg(oneSided) +
            u(agreement) + QLatin1Char('\n'))
        .toUtf8();
}

const QByteArray Header = "\xEF\xBB\xBF"
                          "回答者番号,質問番号,質問内容,Aの回答,Bの回答\r\n";

} // namespace

class TestVevTallyCompare : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(vev::test::writeLines(path("a.dat"), sampleSurveyLines(u("満足度調査"), Answers)));
        QVERIFY(vev::test::writeLines(
            path("b.dat"),
            sampleSurveyLines(u("満足度調査"), {u("  1  ,1,3,13   "), u("  2  ,2,3,0    ")})));
        QVERIFY(vev::test::writeLines(
            path("c.dat"),
            sampleSurveyLines(u("満足度調査"), Answers + QStringList{u("  3  ,1,1,1    ")})));
        QVERIFY(vev::test::writeLines(path("q.dat"), sampleSurveyLines(u("満足度調査2"), Answers)));
        QVERIFY(vev::test::writeFile(path("bad.dat"), "hello\r\nworld\r\n"));
        QVERIFY(vev::test::writeLines(path("blank.dat"), sampleSurveyLines(u("満足度調査"), {})));
        QVERIFY(vev::test::writeLines(path("blank2.dat"), sampleSurveyLines(u("満足度調査"), {})));
        QVERIFY(QDir(dir_->path()).mkdir(u("folder.dat")));
    }

    void exitStatus_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err"); // how standard error begins; "@" is the test folder

        const QString usage = u("vev-tally: ");
        QTest::newRow("the same file")
            << u("compare @a.dat @a.dat") << 0 << summary(0, 0, "100.0%") << QString();
        QTest::newRow("answers differ")
            << u("compare @a.dat @b.dat") << 3 << summary(2, 0, "66.6%") << QString();
        // The 3 answers of the respondent in one file only count as differing.
        QTest::newRow("a respondent more in B")
            << u("compare @a.dat @c.dat") << 3 << summary(0, 1, "66.6%") << QString();
        QTest::newRow("a respondent more in A")
            << u("compare @c.dat @a.dat") << 3 << summary(0, 1, "66.6%") << QString();
        const QString nothing = u("照合した回答者：0人\n照合した回答：0件\n相違：0件\n"
                                  "一方のファイルだけの回答者：%1人\n照合した回答がありません\n");
        QTest::newRow("a blank copy")
            << u("compare @a.dat @blank.dat") << 3 << nothing.arg(2).toUtf8() << QString();
        QTest::newRow("two blank copies")
            << u("compare @blank.dat @blank2.dat") << 0 << nothing.arg(0).toUtf8() << QString();
        QTest::newRow("questionnaires differ") << u("compare @a.dat @q.dat") << 1 << QByteArray()
                                               << u("アンケートが同じではないため照合できません。");
        QTest::newRow("not a survey") << u("compare @a.dat @bad.dat") << 1 << QByteArray()
                                      << u("bad.datはアンケートファイルではありません。");
        QTest::newRow("missing file") << u("compare @none.dat @a.dat") << 1 << QByteArray()
                                      << u("データファイルを読み込めません：");
        QTest::newRow("a folder") << u("compare @a.dat @folder.dat") << 1 << QByteArray()
                                  << u("データファイルを読み込めません：");
        QTest::newRow("one file") << u("compare @a.dat") << 2 << QByteArray() << usage;
        QTest::newRow("three files")
            << u("compare @a.dat @b.dat @c.dat") << 2 << QByteArray() << usage;
        QTest::newRow("-o without value")
            << u("compare @a.dat @b.dat -o") << 2 << QByteArray() << usage;
        QTest::newRow("unknown option")
            << u("compare @a.dat @b.dat --bogus") << 2 << QByteArray() << usage;
        QTest::newRow("report over a data file")
            << u("compare @a.dat @b.dat -o @b.dat") << 1 << QByteArray() << u("@b.dat は");
    }
    void exitStatus() {
        QFETCH(QString, args);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        err.replace(QLatin1Char('@'), dir_->path() + QLatin1Char('/'));
        const QStringList before = QDir(dir_->path()).entryList(QDir::Files);
        const QByteArray b = vev::test::readAll(path("b.dat"));

        const Run run = tally(args);
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, out);
        err.replace(QLatin1Char('@'), dir_->path() + QLatin1Char('/'));
        QCOMPARE(QString::fromUtf8(run.err).left(err.size()), err);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), before);
        QCOMPARE(vev::test::readAll(path("b.dat")), b);
    }

    void report_data() {
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("report");
        QTest::newRow("agree") << u("a.dat") << 0 << Header;
        QTest::newRow("answers differ") << u("b.dat") << 3
                                        << Header + "1,3,よく使う機能,135,13\r\n"
                                                    "2,2,年代,NG,3\r\n";
        QTest::newRow("a respondent more in B")
            << u("c.dat") << 3
            << Header + "3,,一方のファイルだけにある回答者,回答者なし,回答あり\r\n";
    }
    void report() {
        QFETCH(QString, b);
        QFETCH(int, code);
        QFETCH(QByteArray, report);
        const Run run = tally(u("compare @a.dat @") + b + u(" -o @report.csv"));
        QCOMPARE(run.code, code);
        QCOMPARE(vev::test::readAll(path("report.csv")), report);
    }

private:
    QString path(const char* name) const { return dir_->filePath(u(name)); }
    // "@name" is a file of the test folder.
    Run tally(const QString& args) const {
        QStringList argv;
        for (QString arg : args.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            argv << (arg.startsWith(QLatin1Char('@')) ? dir_->filePath(arg.mid(1)) : arg);
        QProcess process;
        process.setWorkingDirectory(dir_->path());
        process.start(QStringLiteral(VEV_TALLY_PATH), argv);
        Run run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.code = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(TestVevTallyCompare)
#include "tst_vev_tally_compare.moc"
