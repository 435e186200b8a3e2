#include "core_test_util.h"
#include "model/sjis.h"
#include "model/survey_document.h"

#include <QTest>

using namespace vev;
using namespace vev::test;

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
        // Half a character is never kept, whatever the text's length.
        QTest::newRow("exactly twenty bytes, the last a lone first byte")
            << QByteArray("abcdefghijklmnopqrs\x88") << 20 << QByteArray("abcdefghijklmnopqrs");
        QTest::newRow("lone first byte at the cut, a non-trail byte after it")
            << QByteArray("abcdefghijklmnopqrs\x88,x") << 20 << QByteArray("abcdefghijklmnopqrs");
        QTest::newRow("shorter text ending in a lone first byte")
            << QByteArray("abc\x88") << 20 << QByteArray("abc");
        QTest::newRow("lone first byte inside the text stays")
            << QByteArray("ab\x88,cd") << 20 << QByteArray("ab\x88,cd");
        QTest::newRow("second byte 0x5C") << QByteArray("abcdefghijklmnopqr") + sj("表") + "x" << 20
                                          << QByteArray("abcdefghijklmnopqr") + sj("表");
        QTest::newRow("two-byte characters only, odd limit") << sj("能力能力") << 7 << sj("能力能");
        QTest::newRow("title: 255 bytes")
            << QByteArray(254, 'a') + sj("表") << 255 << QByteArray(254, 'a');
        QTest::newRow("question line without separators: 17 bytes")
            << QByteArray("abcdefghijklmnop") + sj("表") + "3" << 17
            << QByteArray("abcdefghijklmnop");
        QTest::newRow("nothing") << QByteArray("\x88\x9f") << 0 << QByteArray();
    }
    void cutBytes() {
        QFETCH(QByteArray, text);
        QFETCH(int, n);
        QFETCH(QByteArray, expected);
        const std::string bytes = text.toStdString();
        const auto cut = sjis::cutBytes(bytes, static_cast<std::size_t>(n));
        QCOMPARE(QByteArray(cut.data(), static_cast<qsizetype>(cut.size())), expected);
    }

    void paddedField_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("spaces");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("short text, 16 spaces")
            << QByteArray("a") << 16 << "a" + QByteArray(16, ' ');
        QTest::newRow("short text, 20 spaces")
            << QByteArray("abc") << 20 << "abc" + QByteArray(17, ' ');
        QTest::newRow("twenty bytes")
            << QByteArray("abcdefghijklmnopqrst") << 16 << QByteArray("abcdefghijklmnopqrst");
        QTest::newRow("half a character becomes a space")
            << QByteArray("abcdefghijklmnopqrs\x88") << 16 << QByteArray("abcdefghijklmnopqrs ");
        QTest::newRow("a character that does not fit becomes a space")
            << QByteArray("abcdefghijklmnopqrs") + sj("満") << 20
            << QByteArray("abcdefghijklmnopqrs ");
    }
    void paddedField() {
        QFETCH(QByteArray, text);
        QFETCH(int, spaces);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes(sjis::paddedField(text.toStdString(), static_cast<std::size_t>(spaces), 20)),
                 expected);
    }

    // Searches find whole characters only: a second byte never starts a match.
    void find_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<int>("at");
        QTest::newRow("backslash in the second byte of 表")
            << sj("表.csv") << QByteArray("\\") << -1;
        QTest::newRow("backslash of its own") << sj("表\\a") << QByteArray("\\") << 2;
        QTest::newRow("full-width space across two characters")
            << QByteArray("\x88\x81@") << sj("　") << -1;
        QTest::newRow("full-width space after メ") << sj("メ　3") << sj("　") << 2;
        QTest::newRow("word across a second byte 'V'")
            << QByteArray("\x83VEV") << QByteArray("VEV") << -1;
        QTest::newRow("word after a second byte 'V'")
            << QByteArray("\x83VVEV") << QByteArray("VEV") << 2;
        QTest::newRow("after a lone first byte")
            << QByteArray("\x88,VEV") << QByteArray("VEV") << 2;
        QTest::newRow("two-byte word") << sj("百分率：小数") << sj("小") << 8;
    }
    void find() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, word);
        QFETCH(int, at);
        const std::size_t found = sjis::find(text.toStdString(), word.toStdString());
        QCOMPARE(found == std::string_view::npos ? -1 : static_cast<int>(found), at);
    }

    void pathSeparator_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("separator");
        for (const char* name :
             {"表.csv", "ソフト.csv", "能力.csv", "集計表.csv", "十予申貼構.csv"})
            QTest::newRow(name) << u(name) << false;
        QTest::newRow("slash") << u("sub/表.csv") << true;
        QTest::newRow("backslash") << u("表\\a.csv") << true;
    }
    void pathSeparator() {
        QFETCH(QString, name);
        QFETCH(bool, separator);
        QCOMPARE(sjis::hasPathSeparator(sjis::fromQString(name)), separator);
    }

    void roundTrip() {
        const QString text = QString::fromUtf8("満足度調査 ｱﾝｹｰﾄ（複数選択）");
        QVERIFY(sjis::canEncode(text));
        QCOMPARE(sjis::toQString(sjis::fromQString(text)), text);
        QVERIFY(!sjis::canEncode(QString::fromUtf8("😀")));
    }

    // Printable ASCII takes a short way round the codec; the control characters that the
    // codec maps elsewhere must not.
    void asciiThroughTheCodec_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("native");
        QTest::newRow("printable") << QByteArray(" 0~\\") << u(" 0~\\") << QByteArray(" 0~\\");
        QTest::newRow("0x1A is U+001C") << QByteArray("a\x1a") << u("a\x1c") << QByteArray("a\x1c");
        QTest::newRow("0x7F is U+001A") << QByteArray("\x7f") << u("\x1a") << QByteArray("\x1a");
        QTest::newRow("with a two-byte character") << sj("a表") << u("a表") << QByteArray("a表");
    }
    void asciiThroughTheCodec() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QByteArray, native);
        QCOMPARE(sjis::toQString(bytes.toStdString()), text);
        QCOMPARE(QByteArray::fromStdString(sjis::toNativePath(bytes.toStdString())), native);
        QCOMPARE(QByteArray::fromStdString(sjis::fromNativePath(native.toStdString())), bytes);
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
