#include "keying/tally_text.h"

#include <QTest>

using namespace vev;

namespace {
using Counts = QList<int>; // slots 1..9
}

class TestTallyText : public QObject {
    Q_OBJECT

private slots:
    void tallyLine_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("zero tally of eight choices")
            << 8 << Counts{0, 0, 0, 0, 0, 0, 0, 0, 0}
            << QByteArray("  0      0      0      0      0      0      0      0      0");
        QTest::newRow("three choices, blanks above the choice count")
            << 3 << Counts{1, 2, 3, 0, 0, 0, 0, 0, 4}
            << QByteArray("  1      2      3") + QByteArray(35, ' ') + QByteArray("      4");
        QTest::newRow("wide first count pushes the line right")
            << 2 << Counts{1234, 5, 0, 0, 0, 0, 0, 0, 0}
            << QByteArray("1234      5") + QByteArray(42, ' ') + QByteArray("      0");
        QTest::newRow("numeric question shows the sum and NG only")
            << 1 << Counts{8, 0, 0, 0, 0, 0, 0, 0, 1}
            << QByteArray("  8") + QByteArray(49, ' ') + QByteArray("      1");
        QTest::newRow("negative and 32-bit counts written whole")
            << 2 << Counts{-5, 100000000, 0, 0, 0, 0, 0, 0, -12}
            << QByteArray(" -5100000000") + QByteArray(42, ' ') + QByteArray("    -12");
    }
    void tallyLine() {
        QFETCH(int, choices);
        QFETCH(Counts, counts);
        QFETCH(QByteArray, expected);
        SurveyDocument doc;
        doc.ChoiceCount[7] = choices;
        for (int c = 1; c <= 9; ++c) doc.Tally[7][c] = counts[c - 1];
        QCOMPARE(QByteArray::fromStdString(TallyLine(doc, 7)), expected);
    }

    void ordinaryTallyLineIs59Wide() {
        SurveyDocument doc;
        for (int k = 0; k <= 8; ++k) {
            doc.ChoiceCount[1] = k;
            QCOMPARE(TallyLine(doc, 1).size(), std::size_t(59));
        }
    }

    void choiceLine_data() {
        QTest::addColumn<int>("choices");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("eight choices")
            << 8 << QByteArray(" 1)     2)     3)     4)     5)     6)     7)     8)");
        QTest::newRow("no choices keeps choice 1") << 0 << QByteArray(" 1)") + QByteArray(49, ' ');
        QTest::newRow("one choice") << 1 << QByteArray(" 1)") + QByteArray(49, ' ');
        QTest::newRow("three choices")
            << 3 << QByteArray(" 1)     2)     3)") + QByteArray(35, ' ');
    }
    void choiceLine() {
        QFETCH(int, choices);
        QFETCH(QByteArray, expected);
        SurveyDocument doc;
        doc.ChoiceCount[40] = choices;
        const std::string line = ChoiceLine(doc, 40);
        QCOMPARE(line.size(), std::size_t(52));
        QCOMPARE(QByteArray::fromStdString(line), expected);
    }
};

QTEST_GUILESS_MAIN(TestTallyText)
#include "tst_tally_text.moc"
