#include "model/csv_writer.h"

#include <QTest>

using namespace vev;

class TestCsvWriter : public QObject {
    Q_OBJECT

private slots:
    void quoting_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain fields")
            << QStringList{QStringLiteral("id"), QStringLiteral("q1")} << QByteArray("id,q1\r\n");
        QTest::newRow("empty fields stay empty")
            << QStringList{QString(), QStringLiteral("1"), QString()} << QByteArray(",1,\r\n");
        QTest::newRow("comma is quoted")
            << QStringList{QStringLiteral("a,b")} << QByteArray("\"a,b\"\r\n");
        QTest::newRow("quote is doubled")
            << QStringList{QStringLiteral("say \"hi\"")} << QByteArray("\"say \"\"hi\"\"\"\r\n");
        QTest::newRow("line breaks are quoted")
            << QStringList{QStringLiteral("a\nb"), QStringLiteral("c\rd")}
            << QByteArray("\"a\nb\",\"c\rd\"\r\n");
        QTest::newRow("Japanese is UTF-8")
            << QStringList{QString::fromUtf8("満足度")}
            << QByteArray("\xE6\xBA\x80\xE8\xB6\xB3\xE5\xBA\xA6\r\n");
    }
    void quoting() {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, expected);
        CsvWriter csv;
        csv.record(fields);
        QCOMPARE(csv.bytes(), expected);
    }

    void numbersAndMark() {
        CsvWriter csv(true);
        csv.field(-12).emptyField().field(QStringLiteral("x")).endRecord();
        csv.field(3).endRecord();
        QCOMPARE(csv.bytes(), QByteArray("\xEF\xBB\xBF-12,,x\r\n3\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCsvWriter)
#include "tst_csv_writer.moc"
