#include "model/sjis.h"
#include "model/survey_document.h"

#include <QTest>

using namespace vev;

class TestSjis : public QObject {
    Q_OBJECT

private slots:
    void cutBytes_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray twenty("abcdefghijklmnopqrst");
        QTest::newRow("short text stays whole") << QByteArray("abc") << 20 << QByteArray("abc");
        QTest::newRow("twenty single bytes") << twenty + "uv" << 20 << twenty;
        // 19 single bytes and then a two-byte character: byte 20 is its first byte.
        QTest::newRow("lead byte at the cut")
            << QByteArray("abcdefghijklmnopqrs\x88\x9f") << 20 << QByteArray("abcdefghijklmnopqrs");
        QTest::newRow("two-byte character ends at the cut")
            << QByteArray("abcdefghijklmnopqr\x88\x9fz") << 20
            << QByteArray("abcdefghijklmnopqr\x88\x9f");
        // The second byte 0x9F lies in the lead-byte range; it still ends the character.
        QTest::newRow("trail byte in the lead range")
            << QByteArray("abcdefghijklmnopqr\x88\x9f\x88\x9f") << 20
            << QByteArray("abcdefghijklmnopqr\x88\x9f");
        QTest::newRow("half-width katakana is one byte")
            << QByteArray("abcdefghijklmnopqrs\xb1\xb2") << 20
            << QByteArray("abcdefghijklmnopqrs\xb1");
    }
    void cutBytes() {
        QFETCH(QByteArray, text);
        QFETCH(int, n);
        QFETCH(QByteArray, expected);
        const std::string bytes = text.toStdString();
        const auto cut = sjis::cutBytes(bytes, static_cast<std::size_t>(n));
        QCOMPARE(QByteArray(cut.data(), static_cast<qsizetype>(cut.size())), expected);
    }

    void roundTrip() {
        const QString text = QString::fromUtf8("満足度調査 ｱﾝｹｰﾄ（複数選択）");
        QVERIFY(sjis::canEncode(text));
        QCOMPARE(sjis::toQString(sjis::fromQString(text)), text);
        QVERIFY(!sjis::canEncode(QString::fromUtf8("😀")));
    }

    void shortStringKeeps255Bytes() {
        ShortString s(std::string(300, 'x'));
        QCOMPARE(s.size(), std::size_t(255));
    }

    void bai_data() {
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("expected");
        QTest::newRow("100% keeps 20") << 100 << 20 << 20;
        QTest::newRow("125% of 20") << 125 << 20 << 25;
        QTest::newRow("125% of 555 truncates") << 125 << 555 << 693;
    }
    void bai() {
        QFETCH(int, scale);
        QFETCH(int, x);
        QFETCH(int, expected);
        SurveyDocument doc;
        doc.ScalePercent = scale;
        QCOMPARE(doc.BAI(x), expected);
    }
};

QTEST_GUILESS_MAIN(TestSjis)
#include "tst_sjis.moc"
