// Runs the built vev-tally as a process on a copy of the example survey and checks exit
// statuses, what it writes (byte for byte against examples/, which the independent model of
// the file formats wrote: tools/make_examples.py) and what it leaves alone.
#include "core_test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using vev::test::u;
using vev::test::writeFile;

namespace {

const QString Date = QStringLiteral("2026/12/07");

QByteArray sjis(const char* text) {
    // The few Shift-JIS fixtures of this test, spelled out as bytes.
    return QByteArray(text);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return file.readAll();
}

// "　（複数選択）" and "割合基数：回答者" in Shift-JIS
const char* const MultiSuffix = "\x81\x40\x81\x69\x95\xa1\x90\x94\x91\x49\x91\xf0\x81\x6a";
const char* const RespondentBaseLine =
    "\x8a\x84\x8d\x87\x8a\xee\x90\x94\x81\x46\x89\xf1\x93\x9a\x8e\xd2";

// "百分率：整数" and "集計結果：別に保存", each with its line end
const char* const PercentAndResultsLines =
    "\x95\x53\x95\xaa\x97\xa6\x81\x46\x90\xae\x90\x94\r\n"
    "\x8f\x57\x8c\x76\x8c\x8b\x89\xca\x81\x46\x95\xca\x82\xc9\x95\xdb\x91\xb6\r\n";

QByteArray smallSurvey(bool respondentBase) {
    QByteArray file = "VEV\r\nT\r\nX ,3\r\n 1 ,A,2\r\n 2 ,B,3";
    file += MultiSuffix;
    file += "\r\n 3 ,C,1\r\n"
            "  1  ,1,12 ,3\r\n"
            "  2  ,2,3  ,1\r\n"
            "  3  ,1,0  ,2\r\n"
            "  4  ,9,123,0\r\n"
            "  5  ,0,9  ,4\r\n"
            "  6  ,2,23 ,5\r\n";
    file += PercentAndResultsLines;
    if (respondentBase) file += QByteArray(RespondentBaseLine) + "\r\n";
    file += "\r\nsmall.dat  d\r\n";
    return file;
}

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class TestVevTally : public QObject {
    Q_OBJECT

private slots:
    void init();
    void exitStatus_data();
    void exitStatus();
    void heldDataFile_data();
    void heldDataFile();
    void crosstabForSpreadsheets();
    void outputs_data();
    void outputs();
    void printForm();
    void percentOption_data();
    void percentOption();
    void notices_data();
    void notices();
    void dump();
    void dumpUndecodableTitle();
    void crossTable_data();
    void crossTable();
    void percentBase_data();
    void percentBase();
    void report();
    void exportFiles_data();
    void exportFiles();
    void labels();

private:
    QStringList expand(const QString& args) const;
    Run tally(const QStringList& args,
              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) const;
    QString dat() const { return dir_->filePath(u("満足度調査.dat")); }
    static QString example(const char* name) {
        return QStringLiteral(VEV_EXAMPLES "/") + QString::fromUtf8(name);
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

// "@DIR/x" is a file in the test folder, "@DAT" the copy of the example survey there.
QStringList TestVevTally::expand(const QString& args) const {
    QStringList out;
    for (QString arg : args.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        arg.replace(QStringLiteral("@DAT"), dat());
        arg.replace(QStringLiteral("@DIR"), dir_->path());
        out.append(arg);
    }
    return out;
}

Run TestVevTally::tally(const QStringList& args, const QProcessEnvironment& env) const {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir_->path());
    process.start(QStringLiteral(VEV_TALLY_PATH), args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.code = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void TestVevTally::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QFile::copy(example("満足度調査.dat"), dat()));
    QVERIFY(QFile::copy(example("追加集計1.csv"), dir_->filePath(u("追加集計1.csv"))));
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("bad.dat")), "hello\r\nworld\r\n"));
    // "質問数 ,0" in Shift-JIS
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("zero.dat")),
                      sjis("VEV v1.11  \r\nT\r\n\x8e\xbf\x96\xe2\x90\x94 ,0\r\n")));
    // Six respondents: A single choice (2), B multi-select (3), C numeric.
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("small.dat")), smallSurvey(false)));
    // One question and no respondents; one question slot without choices (no questionnaire).
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("blank.dat")),
                      sjis("VEV v1.11  \r\nT\r\n\x8e\xbf\x96\xe2\x90\x94 ,1\r\n 1 ,Q ,2\r\n")));
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("noq.dat")),
                      sjis("VEV v1.11  \r\nT\r\n\x8e\xbf\x96\xe2\x90\x94 ,1\r\n 1 ,Q ,0\r\n"
                           "  1  ,3\r\n")));
    // Texts tables that labels --from refuses.
    const char* const refused[][2] = {{"num", "1,+1,x\n"},
                                      {"choice", "\n1,1,x\n1,3,y\n"},
                                      {"question", "13,0,x\n"},
                                      {"emoji", "1,1,a\xF0\x9F\x98\x80\n"},
                                      {"break", "1,1,\"a\r\nb\"\n"}};
    for (const auto& [name, csv] : refused)
        QVERIFY(writeFile(dir_->filePath(QLatin1String(name) + u(".csv")), csv));
}

void TestVevTally::exitStatus_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err"); // a line that stderr must hold

    const QString usage = QStringLiteral("usage: vev-tally results DATAFILE");
    QTest::newRow("no command") << QString() << 2 << usage;
    QTest::newRow("unknown command") << QStringLiteral("frob @DAT") << 2 << usage;
    QTest::newRow("results without file") << QStringLiteral("results") << 2 << usage;
    QTest::newRow("results with two files")
        << QStringLiteral("results @DAT @DIR/x.csv") << 2 << usage;
    QTest::newRow("sheet without OUT") << QStringLiteral("sheet @DAT") << 2 << usage;
    QTest::newRow("frac and no-frac")
        << QStringLiteral("results @DAT --frac --no-frac") << 2 << usage;
    QTest::newRow("print without -o") << QStringLiteral("results @DAT --print") << 2 << usage;
    QTest::newRow("-o without value") << QStringLiteral("results @DAT -o") << 2 << usage;
    QTest::newRow("unknown option") << QStringLiteral("results @DAT --bogus") << 2 << usage;
    QTest::newRow("-o on sheet") << QStringLiteral("sheet @DAT @DIR/s.csv -o @DIR/t.csv") << 2
                                 << usage;
    QTest::newRow("date on dump") << QStringLiteral("dump @DAT --date 1") << 2 << usage;
    // No output replaces the survey's data, linked tally or (but results) results file.
    const QString dataFile = u("@DAT はこのアンケートのデータファイルです。上書きできません。");
    const QString linked =
        u("@DIR/追加集計1.csv はこのアンケートの追加集計ファイルです。上書きできません。");
    const QString results =
        u("@DIR/満足度調査.csv はこのアンケートの集計結果ファイルです。上書きできません。");
    QTest::newRow("sheet over its survey") << QStringLiteral("sheet @DAT @DAT") << 1 << dataFile;
    QTest::newRow("results over its survey")
        << QStringLiteral("results @DAT -o @DAT") << 1 << dataFile;
    QTest::newRow("results over a linked file")
        << u("results @DAT -o @DIR/追加集計1.csv") << 1 << linked;
    QTest::newRow("sheet over a linked file") << u("sheet @DAT @DIR/追加集計1.csv") << 1 << linked;
    QTest::newRow("export over a linked file")
        << u("export @DAT @DIR/追加集計1.csv") << 1 << linked;
    QTest::newRow("crosstab over a linked file")
        << u("crosstab @DAT 1 2 -o @DIR/追加集計1.csv") << 1 << linked;
    QTest::newRow("report over its results file")
        << u("report @DAT @DIR/満足度調査.csv") << 1 << results;
    QTest::newRow("resave over its survey") << QStringLiteral("resave @DAT @DAT") << 1 << dataFile;
    QTest::newRow("resave over a linked file")
        << u("resave @DAT @DIR/追加集計1.csv") << 1 << linked;
    QTest::newRow("resave over its own results file")
        << QStringLiteral("resave @DAT @DIR/copy.csv") << 2 << usage;
    QTest::newRow("crosstab without COLQ") << QStringLiteral("crosstab @DAT 1") << 2 << usage;
    QTest::newRow("crosstab, question not a number")
        << QStringLiteral("crosstab @DAT 1 x") << 2 << usage;
    QTest::newRow("crosstab, unknown per cent")
        << QStringLiteral("crosstab @DAT 1 2 --percent all") << 2 << usage;
    QTest::newRow("crosstab over its survey")
        << QStringLiteral("crosstab @DAT 1 2 -o @DAT") << 1 << dataFile;
    QTest::newRow("--base on crosstab")
        << QStringLiteral("crosstab @DAT 1 2 --base answers") << 2 << usage;
    QTest::newRow("--percent on results")
        << QStringLiteral("results @DAT --percent row") << 2 << usage;
    QTest::newRow("unknown base") << QStringLiteral("results @DAT --base people") << 2 << usage;
    QTest::newRow("crosstab of a numeric question")
        << QStringLiteral("crosstab @DAT 1 4") << 1
        << u("vev-tally: 質問4は数量の質問です。クロス集計できるのは選択肢の質問だけです。");
    QTest::newRow("crosstab of a missing question")
        << QStringLiteral("crosstab @DAT 13 1") << 1 << u("vev-tally: 質問13はありません。");
    QTest::newRow("crosstab to standard output")
        << QStringLiteral("crosstab @DAT 1 5") << 0 << QString();
    QTest::newRow("report without OUT") << QStringLiteral("report @DAT") << 2 << usage;
    QTest::newRow("report over its survey") << QStringLiteral("report @DAT @DAT") << 1 << dataFile;
    QTest::newRow("-o on report") << QStringLiteral("report @DAT @DIR/r.pdf -o @DIR/s.pdf") << 2
                                  << usage;
    QTest::newRow("report to a missing folder")
        << QStringLiteral("report @DAT @DIR/no/such/r.pdf") << 1
        << u("書き込めません：@DIR/no/such/r.pdf（ファイルまたはフォルダが見つかりません）。");
    QTest::newRow("help") << QStringLiteral("--help") << 0 << QString();
    QTest::newRow("version") << QStringLiteral("--version") << 0 << QString();
    const QString missing = u("データファイルを読み込めません：@DIR/"
                              "none.dat（ファイルまたはフォルダが見つかりません）。");
    QTest::newRow("missing file") << QStringLiteral("results @DIR/none.dat") << 1 << missing;
    QTest::newRow("missing file, dump") << QStringLiteral("dump @DIR/none.dat") << 1 << missing;
    QTest::newRow("not a survey") << QStringLiteral("results @DIR/bad.dat") << 1
                                  << u("bad.datはアンケートファイルではありません。");
    QTest::newRow("not a survey, resave") << QStringLiteral("resave @DIR/bad.dat @DIR/r.dat") << 1
                                          << u("bad.datはアンケートファイルではありません。");
    QTest::newRow("no questions, sheet")
        << QStringLiteral("sheet @DIR/zero.dat @DIR/s.csv") << 1 << u("zero.datが異常です。");
    QTest::newRow("unwritable output")
        << QStringLiteral("results @DAT -o @DIR/no/such/folder/x.csv") << 1 << QString();
    QTest::newRow("export without OUT") << QStringLiteral("export @DAT") << 2 << usage;
    QTest::newRow("export to an unknown extension")
        << QStringLiteral("export @DAT @DIR/a.txt") << 2 << usage;
    QTest::newRow("export in an unknown format")
        << QStringLiteral("export @DAT @DIR/a.csv --format xls") << 2 << usage;
    QTest::newRow("bom on results") << QStringLiteral("results @DAT --bom") << 2 << usage;
    QTest::newRow("export over its survey")
        << QStringLiteral("export @DAT @DAT --format sav") << 1 << dataFile;
    QTest::newRow("export without respondents")
        << QStringLiteral("export @DIR/blank.dat @DIR/a.csv") << 1
        << u("書き出す回答がありません。回答を入力してください。");
    QTest::newRow("export without questionnaire")
        << QStringLiteral("export @DIR/noq.dat @DIR/a.sav") << 1
        << u("書き出す質問がありません。アンケートを開いてください。");
    QTest::newRow("export to a missing folder, csv")
        << QStringLiteral("export @DAT @DIR/no/a.csv") << 1
        << u("書き込めません：@DIR/no/a.csv（ファイルまたはフォルダが見つかりません）。");
    const QString labels = QStringLiteral("labels @DAT -o @DIR/o.dat --from @DIR/");
    QTest::newRow("labels, --from without -o")
        << QStringLiteral("labels @DAT --from @DIR/num.csv") << 2 << usage;
    QTest::newRow("labels, bad number")
        << labels + u("num.csv") << 1 << u("vev-tally: num.csv, line 1: '+1' is not a number");
    QTest::newRow("labels, no such choice") << labels + u("choice.csv") << 1
                                            << u("vev-tally: choice.csv, line 3: question 1 has "
                                                 "no choice 3");
    QTest::newRow("labels, no such question")
        << labels + u("question.csv") << 1
        << u("vev-tally: question.csv, line 1: question 13 does not exist");
    QTest::newRow("labels, not Shift-JIS")
        << labels + u("emoji.csv") << 1
        << u("vev-tally: emoji.csv, line 1: '\U0001F600' cannot be written in Shift-JIS");
    QTest::newRow("labels, line break") << labels + u("break.csv") << 1
                                        << u("vev-tally: break.csv, line 1: the text holds a "
                                             "line break");
    QTest::newRow("export to a missing folder, sav")
        << QStringLiteral("export @DAT @DIR/no/a.sav") << 1
        << u("書き込めません：@DIR/no/a.sav（ファイルまたはフォルダが見つかりません）。");
}

void TestVevTally::exitStatus() {
    QFETCH(QString, args);
    QFETCH(int, code);
    QFETCH(QString, err);
    err.replace(QStringLiteral("@DAT"), dat()).replace(QStringLiteral("@DIR"), dir_->path());
    const QStringList before =
        QDir(dir_->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    const QByteArray survey = readAll(dat());

    const Run run = tally(expand(args));
    QCOMPARE(run.code, code);
    const QStringList errLines = QString::fromUtf8(run.err).split(QLatin1Char('\n'));
    if (!err.isEmpty())
        QVERIFY2(std::any_of(errLines.begin(), errLines.end(),
                             [&](const QString& line) { return line.startsWith(err); }),
                 run.err.constData());
    if (code == 0) {
        QVERIFY(!run.out.isEmpty());
        QVERIFY(run.err.isEmpty());
    } else {
        // Nothing written, nothing touched, nothing half-written left behind.
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 before);
        QVERIFY(run.out.isEmpty());
    }
    QCOMPARE(readAll(dat()), survey);
}

// The commands that write a data file leave one another window holds as it is and name the
// holder; a lock left by a process that has ended is taken over.
void TestVevTally::heldDataFile_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("stale");

    const QString resave = QStringLiteral("resave @DAT @DIR/held.dat --date ") + Date;
    const QString held = QStringLiteral("@DIR/held.dat");
    QTest::newRow("resave") << resave << held << false;
    QTest::newRow("import in place")
        << QStringLiteral("import @DAT @DIR/in.csv") << QStringLiteral("@DAT") << false;
    QTest::newRow("import -o") << QStringLiteral("import @DAT @DIR/in.csv -o @DIR/held.dat") << held
                               << false;
    QTest::newRow("labels -o") << QStringLiteral("labels @DAT --from @DIR/t.csv -o @DIR/held.dat")
                               << held << false;
    QTest::newRow("stale lock, resave") << resave << held << true;
}

void TestVevTally::heldDataFile() {
    QFETCH(QString, args);
    QFETCH(QString, held);
    QFETCH(bool, stale);
    held = expand(held).first();
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("held.dat")), smallSurvey(false)));
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("in.csv")), "id,q1\r\n1,2\r\n"));
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("t.csv")), "1,1,x\r\n"));
    const QByteArray before = readAll(held);

    // Held as a window holds it: a lock never stale by age.
    const QString lockPath = QFileInfo(held).absoluteFilePath() + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    QVERIFY(lock.tryLock(0));
    if (stale) {
        // The same lock, naming a process of this host that has ended.
        QProcess ended;
        ended.start(QStringLiteral(VEV_TALLY_PATH), {QStringLiteral("--version")});
        QVERIFY(ended.waitForStarted());
        const qint64 pid = ended.processId();
        QVERIFY(ended.waitForFinished());
        QByteArray contents = readAll(lockPath);
        lock.unlock();
        contents.replace(0, contents.indexOf('\n'), QByteArray::number(pid));
        QVERIFY(writeFile(lockPath, contents));
    }

    const Run run = tally(expand(args));
    if (stale) {
        QCOMPARE(run.code, 0);
        // The example survey, but for the file's own name in its last line.
        const QByteArray expected = readAll(example("満足度調査.dat"))
                                        .replace(vev::test::sj("満足度調査.dat  "), "held.dat  ");
        QCOMPARE(readAll(held), expected);
        QVERIFY(!QFile::exists(lockPath)); // given up when the command ended
        return;
    }
    QCOMPARE(run.code, 1);
    QCOMPARE(QString::fromUtf8(run.err),
             u("vev-tally: %1 は別のウィンドウで開かれているため書き込めません（ホスト %2、"
               "プロセス %3）。\n")
                 .arg(held, QSysInfo::machineHostName(),
                      QString::number(QCoreApplication::applicationPid())));
    QCOMPARE(readAll(held), before);
    QVERIFY(lock.isLocked());
}

// --bom starts the table, on standard output or in a file, with the byte order mark, and its
// first cell names the two questions.
void TestVevTally::crosstabForSpreadsheets() {
    const QByteArray start = "\xEF\xBB\xBF" + u("Q1 性別 × Q2 年代,1,2,").toUtf8();
    QVERIFY(tally(expand(QStringLiteral("crosstab @DAT 1 2 --bom"))).out.startsWith(start));
    QCOMPARE(tally(expand(QStringLiteral("crosstab @DAT 1 2 --bom -o @DIR/c.csv"))).code, 0);
    QVERIFY(readAll(dir_->filePath(QStringLiteral("c.csv"))).startsWith(start));
}

void TestVevTally::outputs_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("golden");

    QTest::newRow("results beside the survey")
        << QStringLiteral("results @DAT") << u("@DIR/満足度調査.csv") << u("満足度調査.csv");
    QTest::newRow("results to -o") << QStringLiteral("results @DAT -o @DIR/other.csv")
                                   << QStringLiteral("@DIR/other.csv") << u("満足度調査.csv");
    QTest::newRow("results with --date=") << QStringLiteral("results @DAT --date=2026/12/07")
                                          << u("@DIR/満足度調査.csv") << u("満足度調査.csv");
    QTest::newRow("resave to another folder")
        << u("resave @DAT @DIR/sub/満足度調査.dat") << u("@DIR/sub/満足度調査.dat")
        << u("満足度調査.dat");
    QTest::newRow("resave writes the results beside")
        << u("resave @DAT @DIR/sub/満足度調査.dat") << u("@DIR/sub/満足度調査.csv")
        << u("満足度調査.csv");
}

void TestVevTally::outputs() {
    QFETCH(QString, args);
    QFETCH(QString, output);
    QFETCH(QString, golden);
    QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("sub")));

    QStringList argv = expand(args);
    if (!args.contains(QStringLiteral("--date="))) argv << QStringLiteral("--date") << Date;
    const Run run = tally(argv);
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(readAll(expand(output).first()), readAll(example(golden.toUtf8().constData())));
}

// The print form is the comma form with spaces for the separator and the quote and "No" as
// the first header cell (no text of the example holds a comma or a quote).
void TestVevTally::printForm() {
    const QString out = dir_->filePath(QStringLiteral("print.txt"));
    const Run run = tally({QStringLiteral("results"), dat(), QStringLiteral("--print"),
                           QStringLiteral("-o"), out, QStringLiteral("--date"), Date});
    QCOMPARE(run.code, 0);
    QByteArray expected = readAll(example("満足度調査.csv"));
    expected.replace(',', ' ').replace('"', ' ');
    expected.replace("\r\n    \x8e\xbf\x96\xe2\x93\xe0\x97\x65",
                     "\r\nNo  \x8e\xbf\x96\xe2\x93\xe0\x97\x65");
    QCOMPARE(readAll(out), expected);
    QVERIFY(!QFile::exists(dir_->filePath(u("満足度調査.csv"))));
}

void TestVevTally::percentOption_data() {
    QTest::addColumn<bool>("fileFrac"); // the survey's trailer says "百分率：小数"
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("tenths");

    QTest::newRow("integer file") << false << QString() << false;
    QTest::newRow("integer file, --frac") << false << QStringLiteral("--frac") << true;
    QTest::newRow("integer file, --no-frac") << false << QStringLiteral("--no-frac") << false;
    QTest::newRow("tenths file") << true << QString() << true;
    QTest::newRow("tenths file, --no-frac") << true << QStringLiteral("--no-frac") << false;
    QTest::newRow("tenths file, --frac twice") << true << QStringLiteral("--frac --frac") << true;
}

void TestVevTally::percentOption() {
    QFETCH(bool, fileFrac);
    QFETCH(QString, option);
    QFETCH(bool, tenths);
    // "百分率：整数" / "百分率：小数"
    const QByteArray integer("\x95\x53\x95\xaa\x97\xa6\x81\x46\x90\xae\x90\x94");
    const QByteArray frac("\x95\x53\x95\xaa\x97\xa6\x81\x46\x8f\xac\x90\x94");
    QByteArray survey = readAll(dat());
    QVERIFY(survey.contains(integer));
    if (fileFrac) QVERIFY(writeFile(dat(), survey.replace(integer, frac)));

    const QString out = dir_->filePath(QStringLiteral("r.csv"));
    const Run run = tally(expand(QStringLiteral("results @DAT -o ") + out + QLatin1Char(' ') +
                                 option + QStringLiteral(" --date ") + Date));
    QCOMPARE(run.code, 0);
    const QByteArray golden = readAll(example("満足度調査.csv"));
    const QByteArray written = readAll(out);
    const qsizetype percentSection = golden.indexOf("\x8a\x84\x8d\x87"); // "割合"
    QVERIFY(percentSection > 0);
    QCOMPARE(written.left(percentSection), golden.left(percentSection));
    if (!tenths) {
        QCOMPARE(written, golden);
    } else {
        QVERIFY(written.contains("\",    1,    2,    3,    4,    5,    6,    7,    \x8c\x76\r\n"));
        QVERIFY(written.contains(" 1,\"\x90\xab\x95\xca                \", "));
        QVERIFY(written.contains(",  100.0\r\n"));
    }
}

void TestVevTally::notices_data() {
    QTest::addColumn<QByteArray>("sheet"); // bytes of the linked sheet; empty: no sheet at all
    QTest::addColumn<QString>("notice");

    const QByteArray sheet = readAll(example("追加集計1.csv"));
    QByteArray otherTitle = sheet;
    otherTitle.prepend("X");
    QTest::newRow("linked sheet missing")
        << QByteArray() << u("集計ファイル@DIR/追加集計1.csvが見つかりません。");
    // The carriage return between the message and the file name comes out as a space.
    QTest::newRow("linked sheet of another survey")
        << otherTitle << u("アンケートタイトルが違うので追加できません。 追加集計1.csv");
}

void TestVevTally::notices() {
    QFETCH(QByteArray, sheet);
    QFETCH(QString, notice);
    const QString sheetPath = dir_->filePath(u("追加集計1.csv"));
    QVERIFY(QFile::remove(sheetPath));
    if (!sheet.isEmpty()) QVERIFY(writeFile(sheetPath, sheet));

    // A notice about a linked file does not stop the run.
    const Run run = tally(expand(QStringLiteral("results @DAT -o @DIR/r.csv --date ") + Date));
    QCOMPARE(run.code, 0);
    QCOMPARE(QString::fromUtf8(run.err), expand(notice).join(QLatin1Char(' ')) + QLatin1Char('\n'));
    const QByteArray written = readAll(dir_->filePath(QStringLiteral("r.csv")));
    QVERIFY(!written.isEmpty());
    QVERIFY(written != readAll(example("満足度調査.csv"))); // without the sheet's counts
}

// The JSON dump against the golden results file: every count of the count section.
void TestVevTally::dump() {
    const Run run = tally({QStringLiteral("dump"), dat()});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, QByteArray());
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(run.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);

    QStringList keys = o.keys();
    keys.sort();
    QCOMPARE(
        keys.join(QLatin1Char(' ')),
        QStringLiteral("Answers CurrentQuestion CurrentRespondent DataFilePath FirstOpenQuestion "
                       "Frac1 LinkedTallyFiles Modified QuestionCount Questions "
                       "RespondentCount SurveyTitle Tally WWrite"));
    QCOMPARE(o[QStringLiteral("SurveyTitle")].toString(), u("満足度調査"));
    QCOMPARE(o[QStringLiteral("QuestionCount")].toInt(), 12);
    QCOMPARE(o[QStringLiteral("RespondentCount")].toInt(), 60);
    // Respondent 60 answered everything, so the one after it is shown, its answers all "0".
    QCOMPARE(o[QStringLiteral("CurrentRespondent")].toInt(), 61);
    const QJsonArray answers = o[QStringLiteral("Answers")].toArray();
    QCOMPARE(answers.size(), 61);
    for (const QJsonValue& a : answers.last().toArray()) QCOMPARE(a.toString(), u("0"));
    QCOMPARE(answers.first().toArray().size(), 12);
    const QJsonArray questions = o[QStringLiteral("Questions")].toArray();
    QCOMPARE(questions[4].toObject()[QStringLiteral("Text")].toString(), u("利用した売場"));
    QCOMPARE(questions[4].toObject()[QStringLiteral("MultiSelect")].toBool(), true);
    QCOMPARE(questions[3].toObject()[QStringLiteral("ChoiceCount")].toInt(), 1);
    QCOMPARE(o[QStringLiteral("LinkedTallyFiles")].toArray(),
             QJsonArray{dir_->filePath(u("追加集計1.csv"))});
    QCOMPARE(o[QStringLiteral("DataFilePath")].toString(), dat());
    QCOMPARE(o[QStringLiteral("Modified")].toBool(), false);
    QCOMPARE(o[QStringLiteral("Frac1")].toBool(), false);
    QCOMPARE(o[QStringLiteral("WWrite")].toBool(), true);

    const QList<QByteArray> lines = readAll(example("満足度調査.csv")).split('\n');
    const QJsonArray tally = o[QStringLiteral("Tally")].toArray();
    QCOMPARE(tally.size(), 12);
    for (int q = 0; q < 12; ++q) {
        // " 1,"text",  42,  36,    , ...,   1": the cells after the text, NG last
        QList<QByteArray> cells = lines[3 + q].trimmed().split(',');
        const QJsonArray counts = tally[q].toArray();
        QCOMPARE(counts.size(), 9);
        const int choices = questions[q].toObject()[QStringLiteral("ChoiceCount")].toInt();
        for (int c = 0; c < choices; ++c)
            QCOMPARE(counts[c].toInt(), cells[2 + c].trimmed().toInt());
        QCOMPARE(counts[8].toInt(), cells.last().trimmed().toInt());
    }
}

void TestVevTally::dumpUndecodableTitle() {
    // A title with a lead byte and a trail byte that name no character.
    QVERIFY(writeFile(
        dat(), sjis("VEV\r\nA\x85\x40Z\r\n\x8e\xbf\x96\xe2\x90\x94 ,1\r\n 1 ,Q,2\r\n  1  ,1\r\n")));
    const Run run = tally({QStringLiteral("dump"), dat()});
    QCOMPARE(run.code, 0);
    const QString title =
        QJsonDocument::fromJson(run.out).object()[QStringLiteral("SurveyTitle")].toString();
    QVERIFY2(title.startsWith(QLatin1Char('A')) && title.endsWith(QLatin1Char('Z')) &&
                 title.contains(QChar(0xFFFD)),
             qPrintable(title));
}

// Question 1 by question 2 of the small survey, counted by hand from its six respondents
// (r1: 1, 12  r2: 2, 3  r3: 1, 0  r4: 9, 123  r5: 0, 9  r6: 2, 23): totals count people.
void TestVevTally::crossTable_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("output"); // empty: standard output
    QTest::addColumn<QString>("expected");
    const QString note = u("\r\n計は回答者数（複数選択の質問は、いくつ選んでも1人と数えます）");
    const QString counts = u("Q1 A × Q2 B,1,2,3,無回答,NG,計\r\n"
                             "1,1,1,0,1,0,2\r\n"
                             "2,0,1,2,0,0,2\r\n"
                             "無回答,0,0,0,0,1,1\r\n"
                             "NG,1,1,1,0,0,1\r\n"
                             "計,2,3,3,1,1,6\r\n") +
                           note + u("です。\r\n");
    QTest::newRow("counts to standard output")
        << QStringLiteral("crosstab @DIR/small.dat 1 2") << QString() << counts;
    QTest::newRow("counts to -o") << QStringLiteral("crosstab @DIR/small.dat 1 2 -o @DIR/x.csv")
                                  << QStringLiteral("@DIR/x.csv") << counts;
    QTest::newRow("column per cent")
        << QStringLiteral("crosstab @DIR/small.dat 1 2 --percent col") << QString()
        << u("Q1 A × Q2 B,1,2,3,無回答,NG,計\r\n"
             "1,50,33,0,100,0,33\r\n"
             "2,0,33,67,0,0,33\r\n"
             "無回答,0,0,0,0,100,17\r\n"
             "NG,50,33,33,0,0,17\r\n"
             "計,100,99,100,100,100,100\r\n") +
               note +
               u("です。％は列の計に対する割合で、下端の計は表示した％の合計です（100にならない"
                 "ことがあります）。\r\n");
    QTest::newRow("total per cent in tenths")
        << QStringLiteral("crosstab @DIR/small.dat 2 1 --percent total --frac") << QString()
        << u("Q2 B × Q1 A,1,2,無回答,NG,計\r\n"
             "1,16.7,0.0,0.0,16.7,33.3\r\n"
             "2,16.7,16.7,0.0,16.7,50.0\r\n"
             "3,0.0,33.3,0.0,16.7,50.0\r\n"
             "無回答,16.7,0.0,0.0,0.0,16.7\r\n"
             "NG,0.0,0.0,16.7,0.0,16.7\r\n"
             "計,33.3,33.3,16.7,16.7,100.0\r\n") +
               note + u("です。％は全体の計に対する割合です。\r\n");
}

void TestVevTally::crossTable() {
    QFETCH(QString, args);
    QFETCH(QString, output);
    QFETCH(QString, expected);
    const Run run = tally(expand(args));
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, QByteArray());
    if (output.isEmpty()) {
        QCOMPARE(run.out, expected.toUtf8());
    } else {
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(readAll(expand(output).first()), expected.toUtf8());
    }
}

// Question B of the small survey: choices 1, 2, 3 counted 2, 3, 3 times in 8 answers by the 4
// respondents who answered it.
void TestVevTally::percentBase_data() {
    QTest::addColumn<bool>("stored"); // the trailer holds "割合基数：回答者"
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("line");
    const QByteArray answers = "  25,  38,  38,   101";
    const QByteArray respondents = "  50,  75,  75,   200";
    QTest::newRow("answers stored") << false << QString() << answers;
    QTest::newRow("answers stored, --base respondents")
        << false << QStringLiteral("--base respondents") << respondents;
    QTest::newRow("respondents stored") << true << QString() << respondents;
    QTest::newRow("respondents stored, --base answers")
        << true << QStringLiteral("--base answers") << answers;
}

void TestVevTally::percentBase() {
    QFETCH(bool, stored);
    QFETCH(QString, option);
    QFETCH(QByteArray, line);
    QVERIFY(writeFile(dir_->filePath(QStringLiteral("small.dat")), smallSurvey(stored)));
    const Run run =
        tally(expand(QStringLiteral("results @DIR/small.dat -o @DIR/r.csv --date x ") + option));
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, QByteArray());
    QVERIFY2(readAll(dir_->filePath(QStringLiteral("r.csv")))
                 .contains(" 2,\"B                   \"," + line + "\r\n"),
             readAll(dir_->filePath(QStringLiteral("r.csv"))).constData());
}

// The report is drawn without a display: no platform asked for, no display to be had.
void TestVevTally::report() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    const QString pdf = dir_->filePath(u("満足度調査.pdf"));
    const Run run = tally(expand(QStringLiteral("report @DAT ") + pdf + QStringLiteral(" --date ") +
                                 QStringLiteral("2026/12/09")),
                          env);
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray());
    QVERIFY(readAll(pdf).startsWith("%PDF-"));

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) QSKIP("pdftotext is not installed");
    QProcess process;
    process.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(60000));
    // Some kanji come out of the PDF's text map as the radical sharing their glyph: NFKC.
    const QString text = QString::fromUtf8(process.readAllStandardOutput())
                             .normalized(QString::NormalizationForm_KC);
    const Run dumped = tally({QStringLiteral("dump"), dat()});
    const QJsonArray questions =
        QJsonDocument::fromJson(dumped.out).object()[QStringLiteral("Questions")].toArray();
    QVERIFY(!questions.isEmpty());
    QStringList wanted{u("集計レポート"), u("2026/12/09")};
    for (const QJsonValue& question : questions)
        wanted << question.toObject()[QStringLiteral("Text")].toString().trimmed();
    for (const QString& w : wanted)
        QVERIFY2(text.contains(w.normalized(QString::NormalizationForm_KC)), qPrintable(w));
}

// export: the answers file (byte for byte for CSV), the codebook only beside CSV, and the format
// from the extension unless --format names it.
void TestVevTally::exportFiles_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QStringList>("written"); // the files export.dat is joined by
    QTest::addColumn<QByteArray>("start");    // how the first of them starts

    const QByteArray csv = readAll(vev::test::testData("export_answers.csv"));
    QTest::newRow("csv") << QStringLiteral("export @DIR/export.dat @DIR/out.csv")
                         << QStringList{QStringLiteral("out.csv"),
                                        QStringLiteral("out_codebook.csv")}
                         << csv;
    QTest::newRow("csv with bom") << QStringLiteral("export --bom @DIR/export.dat @DIR/out.CSV")
                                  << QStringList{QStringLiteral("out.CSV"),
                                                 QStringLiteral("out_codebook.csv")}
                                  << QByteArray("\xEF\xBB\xBF") + csv;
    QTest::newRow("sav") << QStringLiteral("export @DIR/export.dat @DIR/out.sav")
                         << QStringList{QStringLiteral("out.sav"), QStringLiteral("out.sps")}
                         << QByteArray("$FL2");
    QTest::newRow("sav named by --format")
        << QStringLiteral("export @DIR/export.dat @DIR/out.bin --format sav")
        << QStringList{QStringLiteral("out.bin"), QStringLiteral("out.sps")} << QByteArray("$FL2");
    QTest::newRow("csv named by --format")
        << QStringLiteral("export @DIR/export.dat @DIR/out.sav --format csv")
        << QStringList{QStringLiteral("out.sav"), QStringLiteral("out_codebook.csv")} << csv;
}

void TestVevTally::exportFiles() {
    QFETCH(QString, args);
    QFETCH(QStringList, written);
    QFETCH(QByteArray, start);
    const QString survey = dir_->filePath(QStringLiteral("export.dat"));
    QVERIFY(QFile::copy(vev::test::testData("export.dat"), survey));
    const QStringList before =
        QDir(dir_->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);

    const Run run = tally(expand(args));
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, QByteArray());
    QStringList expected = before + written;
    expected.sort();
    QCOMPARE(
        QDir(dir_->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
        expected);
    const QByteArray first = readAll(dir_->filePath(written.first()));
    QVERIFY2(first.startsWith(start), first.left(40).constData());
    if (!start.startsWith("$FL2")) QCOMPARE(first, start);
}

// A texts table in (header, BOM, quotes, a comma, the trail byte 0x5C, a text over 40 bytes)
// and out again; the texts of the example that the table lacks are gone.
void TestVevTally::labels() {
    const QString in = dir_->filePath(QStringLiteral("in.csv"));
    const QString out = dir_->filePath(QStringLiteral("out.dat"));
    QVERIFY(writeFile(
        in, (u("\uFEFF質問番号,選択肢番号,内容\r\n1,0,\"性別は？\"\r\n2,6,\"60代,\"\"以上\"\"\"\r\n"
               "1,2,表\\\n1,1,a") +
             QString(20, QChar(0x8868)) + u("\r\n"))
                .toUtf8()));
    Run run = tally({u("labels"), dat(), u("--from"), in, u("-o"), out, u("--date"), Date});
    QCOMPARE(run.code, 0);
    QCOMPARE(QString::fromUtf8(run.err), u("in.csv, line 5: the text is cut to 40 bytes\n"));
    QVERIFY(readAll(out).contains(
        vev::test::sj("質問文：1,性別は？\r\n選択肢：1,1,a") + vev::test::sj("表").repeated(19) +
        vev::test::sj("\r\n選択肢：1,2,表\\\r\n選択肢：2,6,60代,\"以上\"\r\n\r\n")));
    run = tally({u("labels"), out});
    QCOMPARE(QString::fromUtf8(run.out), u("質問番号,選択肢番号,内容\r\n1,0,性別は？\r\n1,1,a") +
                                             QString(19, QChar(0x8868)) +
                                             u("\r\n1,2,表\\\r\n2,6,\"60代,\"\"以上\"\"\"\r\n"));
    // crosstab --labels names the choices with the texts in the header cells.
    run = tally({u("crosstab"), out, u("1"), u("2"), u("--labels")});
    const QStringList lines = QString::fromUtf8(run.out).split(u("\r\n"));
    QCOMPARE(lines[0], u("Q1 性別 × Q2 年代,1,2,3,4,5,\"6 60代,\"\"以上\"\"\",無回答,NG,計"));
    QVERIFY(lines[1].startsWith(u("1 a") + QString(19, QChar(0x8868)) + u(",")));
    QVERIFY(lines[2].startsWith(u("2 表\\,")));
}

QTEST_GUILESS_MAIN(TestVevTally)
#include "tst_vev_tally.moc"
