#include "core_test_util.h"
#include "model/vev_error.h"

#include <QTest>

#include <cerrno>

using namespace vev;

class TestVevError : public QObject {
    Q_OBJECT

private slots:
    void ioErrorText_data() {
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing file") << ENOENT << QStringLiteral("File not found");
        QTest::newRow("missing folder on the way") << ENOTDIR << QStringLiteral("File not found");
        QTest::newRow("name too long") << ENAMETOOLONG << QStringLiteral("Invalid filename");
        QTest::newRow("too many open") << EMFILE << QStringLiteral("Too many open files");
        QTest::newRow("no permission") << EACCES << QStringLiteral("File access denied");
        QTest::newRow("folder in place of a file")
            << EISDIR << QStringLiteral("File access denied");
        QTest::newRow("read-only file system") << EROFS << QStringLiteral("File access denied");
        QTest::newRow("disk full") << ENOSPC << QStringLiteral("Disk full");
        QTest::newRow("anything else") << EIO << QStringLiteral("I/O error %1").arg(EIO);
    }
    void ioErrorText() {
        QFETCH(int, systemError);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(vev::ioErrorText(systemError)), text);
    }

    void conversionError_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter") << QByteArray("x")
                                << QStringLiteral("'x' is not a valid integer value");
        QTest::newRow("Shift-JIS text comes out as UTF-8")
            << test::sj("あ") << test::u("'あ' is not a valid integer value");
    }
    void conversionError() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        try {
            throwConversionError(bytes.toStdString());
        } catch (const VevError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), text);
            return;
        }
        QFAIL("nothing thrown");
    }

    void withFullStop_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("added") << QStringLiteral("Disk full") << QStringLiteral("Disk full.");
        QTest::newRow("kept") << QStringLiteral("Done.") << QStringLiteral("Done.");
        QTest::newRow("empty") << QString() << QStringLiteral(".");
        QTest::newRow("japanese kept") << QString::fromUtf8("回答がありません。")
                                       << QString::fromUtf8("回答がありません。");
    }
    void withFullStop() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(vev::withFullStop(text.toStdString())), shown);
    }
};

QTEST_GUILESS_MAIN(TestVevError)
#include "tst_vev_error.moc"
