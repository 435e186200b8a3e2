// vev-tally over several data files: --add counts another file for one run, the outputs follow
// the links, import writes nothing while a row is refused.
#include "core_test_util.h"
#include "multi_file_survey.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vev::test;

namespace {

const std::vector<MultiQuestion> Qs = multiQuestionnaire();

struct Run {
    int status = -1;
    QString err;
};

Run tally(const QString& folder, const QStringList& args) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VEV_TALLY_PATH), args);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestVevTallyMulti : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void addFollowAndImport() {
        const auto a = randomAnswers(Qs, 40, 1);
        const auto b = randomAnswers(Qs, 25, 2);
        QVERIFY(writeMultiFile(dir_.filePath(u("a.dat")), multiDataFile(Qs, a)));
        QVERIFY(writeMultiFile(dir_.filePath(u("b.dat")), multiDataFile(Qs, b)));
        QVERIFY(writeMultiFile(dir_.filePath(u("l.dat")), multiDataFile(Qs, a, {u("b.dat")})));
        const QString d = dir_.path();

        // --add for one run, and the stored link, give the same results; a.dat keeps no link.
        const QByteArray before = readAll(dir_.filePath(u("a.dat")));
        QCOMPARE(tally(d, {u("results"), u("a.dat"), u("--add"), u("b.dat"), u("-o"), u("r1.csv"),
                           u("--date"), u("x")}).status, 0);
        QCOMPARE(tally(d, {u("results"), u("l.dat"), u("-o"), u("r2.csv"), u("--date"), u("x")})
                     .status, 0);
        QCOMPARE(readAll(dir_.filePath(u("a.dat"))), before);
        QByteArray r1 = readAll(dir_.filePath(u("r1.csv")));
        QByteArray r2 = readAll(dir_.filePath(u("r2.csv")));
        QVERIFY(!r1.isEmpty());
        QCOMPARE(r1.replace("a.dat", "l.dat"), r2);
        MultiTally want;
        addCounts(want, Qs, a);
        addCounts(want, Qs, b);
        const QList<QByteArray> q1 = r2.split('\n')[3].trimmed().split(',');
        QCOMPARE(q1[2].trimmed().toLongLong(), want[0][0]);

        // The export covers both files: 65 rows under file,id.
        QCOMPARE(tally(d, {u("export"), u("l.dat"), u("e.csv")}).status, 0);
        const QList<QByteArray> rows = readAll(dir_.filePath(u("e.csv"))).trimmed().split('\n');
        QCOMPARE(rows.size(), 66);
        QVERIFY(rows[0].startsWith("file,id,q1,"));
        QVERIFY(rows[41].startsWith("2,1,"));

        // A refused --add fails the run; a refused import row writes nothing.
        const Run self = tally(d, {u("export"), u("a.dat"), u("s.csv"), u("--add"), u("a.dat")});
        QCOMPARE(self.status, 1);
        QVERIFY(self.err.contains(u("自身")));
        QVERIFY(writeFile(dir_.filePath(u("in.csv")), "id,q1,q4\r\n1,2,3\r\n2,7,1\r\n"));
        const Run bad = tally(d, {u("import"), u("a.dat"), u("in.csv"), u("-o"), u("c.dat")});
        QCOMPARE(bad.status, 1);
        QVERIFY(bad.err.contains(u("in.csv:3: q1")));
        QVERIFY(!QFile::exists(dir_.filePath(u("c.dat"))));
        QVERIFY(writeFile(dir_.filePath(u("in.csv")), "id,q1,q4\r\n1,2,3\r\n2,5,1\r\n"));
        QCOMPARE(tally(d, {u("import"), u("a.dat"), u("in.csv"), u("-o"), u("c.dat")}).status, 0);
        QVERIFY(readAll(dir_.filePath(u("c.dat"))).contains("\r\n 42  ,5,0   ,0,1,0       ,0\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestVevTallyMulti)
#include "tst_vev_tally_multi.moc"
