// Which targets an output may be written to: never the survey's data file or a linked tally
// file, and, but for the results table, never its results file - however the path is spelled.
#include "model/output_target.h"

#include "core_test_util.h"
#include "model/vev_error.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace vev;
using namespace vev::test;

class TestOutputTarget : public QObject {
    Q_OBJECT

private slots:
    void targets_data() {
        QTest::addColumn<QString>("target");  // in the survey's folder
        QTest::addColumn<bool>("results");    // OutputRole::ResultsTable
        QTest::addColumn<QString>("refusal"); // empty: allowed
        const QString data = u("このアンケートのデータファイル");
        const QString linked = u("このアンケートの追加集計ファイル");
        const QString own = u("このアンケートの集計結果ファイル");
        QTest::newRow("data file") << u("s.dat") << false << data;
        QTest::newRow("data file, results table") << u("s.dat") << true << data;
        QTest::newRow("data file through ..") << u("sub/../s.dat") << false << data;
        QTest::newRow("linked file") << u("add.csv") << false << linked;
        QTest::newRow("linked file, results table") << u("add.csv") << true << linked;
        QTest::newRow("results file beside the data") << u("s.csv") << false << own;
        QTest::newRow("the results file chosen") << u("r.csv") << false << own;
        QTest::newRow("results table over its own file") << u("s.csv") << true << QString();
        QTest::newRow("another file") << u("x.csv") << false << QString();
        QTest::newRow("a new file") << u("new.pdf") << false << QString();
    }
    void targets() {
        QFETCH(QString, target);
        QFETCH(bool, results);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u("sub")));
        for (const char* name : {"s.dat", "add.csv", "r.csv", "x.csv"})
            QVERIFY(writeFile(dir.filePath(u(name)), "x"));
        SurveyDocument doc;
        doc.DataFilePath = native(dir.filePath(u("s.dat")));
        doc.ResultsFilePath = native(dir.filePath(u("r.csv")));
        doc.LinkedTallyFileCount = 1;
        doc.LinkedTallyFile[1] = native(dir.filePath(u("add.csv")));
        const std::string path = native(dir.filePath(target));
        QCOMPARE(vevErrorOf([&] {
                     checkOutputTarget(doc, path,
                                       results ? OutputRole::ResultsTable : OutputRole::Other);
                 }),
                 refusal.isEmpty() ? QString()
                                   : QString::fromStdString(path) + u(" は") + refusal +
                                         u("です。上書きできません。"));
    }
};

QTEST_GUILESS_MAIN(TestOutputTarget)
#include "tst_output_target.moc"
