#include "analysis/results_report.h"

#include "analysis/question_summary.h"
#include "analysis/report_font.h"
#include "analysis/results_chart.h"
#include "model/linked_data.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"
#include "model/vev_error.h"
#include "results/percentages.h"
#include "results/results_file.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <utility>
#include <vector>

namespace vev {

namespace {

// Every length below is in millimetres on the A4 page; the writer works in dots.
constexpr double Dpi = 300;
constexpr double PageWidth = 210;
constexpr double PageHeight = 297;
constexpr double Left = 18;
constexpr double Right = PageWidth - 18;
constexpr double Top = 15;
constexpr double Bottom = PageHeight - 18;
constexpr double FooterBaseline = PageHeight - 10;

constexpr double TitleHeight = 11;
constexpr double SurveyTitleHeight = 8;
constexpr double InfoLineHeight = 5.5;
constexpr double HeaderGap = 6;

constexpr double HeadingHeight = 7;
constexpr double WordingPoints = 9.5;
constexpr double WordingGap = 1.5; // under the wording, above the table
constexpr double RowHeight = 5;
constexpr double MinChartHeight = 45;
constexpr double BlockGap = 6;
// The choice column grows with the widest choice label ("8 " and 40 bytes of text fit at the
// widest), and the chart beside the table gives up what the column takes.
constexpr double MinChoiceColumn = 18;
constexpr double MaxChoiceColumn = 76;
constexpr double CellPad = 1.8;
constexpr double CountColumn = 20;
constexpr double PercentColumn = 24;
constexpr double ChartGap = 8;
// A chart is laid out as on a 96 dpi screen at three times its size on paper, with fonts as much
// larger: the axis labels' fixed margins then leave room for nine bars in a small chart (Qt
// Charts elides a label that it finds too tall for its bar).
// Its fonts are sized in pixels, so the page looks the same whatever the screen's resolution.
constexpr double ChartScale = 3;
constexpr double ChartPixelsPerMm = ChartScale * 96 / 25.4;
constexpr double ChartFontPoints = 7.5;

double dots(double mm) {
    return mm * Dpi / 25.4;
}
QRectF dots(double left, double top, double width, double height) {
    return {dots(left), dots(top), dots(width), dots(height)};
}

// Latin letters and digits from DejaVu Sans, Japanese from the report's copy of Noto Sans CJK
// (report_font.h). Noto Sans CJK alone shapes digits next to Latin letters ("Q1", "x7y") into
// glyphs that the PDF's text map does not know, so a reader copying the text (or pdftotext)
// would lose them.
QFont reportFont(double points, bool bold = false) {
    QFont font;
    font.setFamilies(reportFontFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

struct Row {
    QString label;
    QString count;
    QString percent;
};

// The table of question q: its choices, then NG. A numeric question: how many respondents
// keyed each value (and their share of those who keyed one), then n, sum, mean and NG.
std::vector<Row> tableRows(const SurveyDocument& doc, int q) {
    std::vector<Row> rows;
    const int k = doc.ChoiceCount[q];
    if (k == 1) {
        const NumericSummary s = numericSummary(doc, q);
        for (int v = 1; v <= 8; ++v) {
            const int n = s.values[static_cast<std::size_t>(v)];
            rows.push_back(
                {choiceLabel(doc, q, v), QString::number(n),
                 percentText(percentOf(n, std::max(s.answered, 1), doc.Frac1), doc.Frac1)});
        }
        rows.push_back({QStringLiteral("n"), QString::number(s.answered), QString()});
        rows.push_back({QString::fromUtf8("合計"), QString::number(s.sum), QString()});
        rows.push_back({QString::fromUtf8("平均"), meanText(s), QString()});
        rows.push_back({QStringLiteral("NG"), QString::number(s.ng), QString()});
        return rows;
    }
    for (int c = 1; c <= k; ++c)
        rows.push_back({choiceLabel(doc, q, c), QString::number(doc.Tally[q][c]),
                        percentText(percentCellValue(doc, q, c), doc.Frac1)});
    rows.push_back({QStringLiteral("NG"), QString::number(doc.Tally[q][NgSlot]), QString()});
    return rows;
}

QString kindNote(const SurveyDocument& doc, int q) {
    if (doc.ChoiceCount[q] == 1) return QString::fromUtf8("（数値）");
    if (doc.ChoiceCount[q] >= 2 && doc.MultiSelect[q]) return QString::fromUtf8("（複数選択）");
    return {};
}

struct Block {
    int q = 0;
    int page = 0;
    double top = 0;
    std::vector<Row> rows;    // its table
    double wordingHeight = 0; // the question's wording under its heading, wrapped; 0 without
    double bodyHeight = 0;    // table and chart, side by side
};

QString wordingOf(const SurveyDocument& doc, int q) {
    return sjis::toQString(doc.Texts.Wording[q].view());
}

// The date, the data file and what the numbers are of (question_summary.h).
QStringList headerInfo(const SurveyDocument& doc, const QString& date) {
    QStringList lines{QString::fromUtf8("作成日：") + date};
    if (!doc.DataFilePath.empty())
        lines << QString::fromUtf8("データファイル：") +
                     paths::toQString(paths::fileNamePart(doc.DataFilePath));
    return lines + basesLines(doc);
}

class ReportPainter {
public:
    ReportPainter(const SurveyDocument& doc, const QString& date)
        : doc_(doc), date_(date), info_(headerInfo(doc, date)) {}

    void write(QPdfWriter& writer) {
        layOut(writer);
        QPainter painter(&writer);
        if (!painter.isActive()) throwIoError(EIO);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        int page = 0;
        paintHeader(painter);
        paintFooter(painter, page);
        for (const Block& block : blocks_) {
            while (page < block.page) {
                writer.newPage();
                paintFooter(painter, ++page);
            }
            paintBlock(painter, block);
        }
    }

private:
    const SurveyDocument& doc_;
    QString date_;
    QStringList info_; // read once: it reads the linked tally files
    std::vector<Block> blocks_;
    double headerBottom_ = Top;
    int pages_ = 1;
    double choiceColumn_ = MinChoiceColumn;

    double tableWidth() const { return choiceColumn_ + CountColumn + PercentColumn; }

    // Millimetres from the writer's dots.
    static double mm(double dots) { return dots * 25.4 / Dpi; }

    void layOut(QPaintDevice& device) {
        headerBottom_ = Top + TitleHeight + SurveyTitleHeight +
                        InfoLineHeight * static_cast<double>(info_.size()) + HeaderGap;
        const QFontMetricsF cells(reportFont(9), &device);
        const QFontMetricsF wording(reportFont(WordingPoints), &device);
        int page = 0;
        double y = headerBottom_;
        for (const int q : questionsInUse(doc_)) {
            Block block;
            block.q = q;
            block.rows = tableRows(doc_, q);
            for (const Row& row : block.rows)
                choiceColumn_ = std::max(choiceColumn_,
                                         mm(cells.horizontalAdvance(row.label)) + 2 * CellPad + 1);
            if (const QString text = wordingOf(doc_, q); !text.isEmpty())
                block.wordingHeight =
                    mm(wording
                           .boundingRect(dots(Left, 0, Right - Left, PageHeight),
                                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text)
                           .height()) +
                    WordingGap;
            const double table = RowHeight * static_cast<double>(block.rows.size() + 1);
            block.bodyHeight = std::max(table, MinChartHeight);
            const double height = HeadingHeight + block.wordingHeight + block.bodyHeight;
            if (y + height > Bottom && y > Top) {
                ++page;
                y = Top;
            }
            block.page = page;
            block.top = y;
            blocks_.push_back(std::move(block));
            y += height + BlockGap;
        }
        choiceColumn_ = std::min(choiceColumn_, MaxChoiceColumn);
        pages_ = page + 1;
    }

    void paintHeader(QPainter& painter) {
        double y = Top;
        painter.setPen(Qt::black);
        painter.setFont(reportFont(20, true));
        painter.drawText(dots(Left, y, Right - Left, TitleHeight), Qt::AlignLeft | Qt::AlignTop,
                         QString::fromUtf8("集計レポート"));
        y += TitleHeight;
        painter.setFont(reportFont(13));
        painter.drawText(dots(Left, y, Right - Left, SurveyTitleHeight),
                         Qt::AlignLeft | Qt::AlignTop, sjis::toQString(doc_.SurveyTitle.view()));
        y += SurveyTitleHeight;
        painter.setFont(reportFont(10));
        for (const QString& line : info_) {
            painter.drawText(dots(Left, y, Right - Left, InfoLineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, line);
            y += InfoLineHeight;
        }
        painter.setPen(QPen(Qt::darkGray, dots(0.3)));
        painter.drawLine(QPointF(dots(Left), dots(y + 2)), QPointF(dots(Right), dots(y + 2)));
        if (questionsInUse(doc_).empty()) {
            painter.setPen(Qt::black);
            painter.drawText(dots(Left, y + HeaderGap, Right - Left, InfoLineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromUtf8("質問がありません。"));
        }
    }

    void paintFooter(QPainter& painter, int page) {
        painter.setPen(Qt::darkGray);
        painter.setFont(reportFont(8));
        painter.drawText(dots(Left, FooterBaseline - 4, Right - Left, 5), Qt::AlignCenter,
                         QStringLiteral("%1 / %2").arg(page + 1).arg(pages_));
    }

    void paintBlock(QPainter& painter, const Block& block) {
        const int q = block.q;
        painter.setPen(Qt::black);
        painter.setFont(reportFont(11, true));
        painter.drawText(dots(Left, block.top, Right - Left, HeadingHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         questionCaption(doc_, q) + QStringLiteral("  ") + kindNote(doc_, q) +
                             QStringLiteral("  ") + questionBaseText(doc_, q));
        if (block.wordingHeight > 0) {
            painter.setFont(reportFont(WordingPoints));
            painter.drawText(
                dots(Left, block.top + HeadingHeight, Right - Left, block.wordingHeight),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, wordingOf(doc_, q));
        }
        const double top = block.top + HeadingHeight + block.wordingHeight;
        paintTable(painter, block, top);

        const double chartLeft = Left + tableWidth() + ChartGap;
        const double width = Right - chartLeft;
        const double height = block.bodyHeight;
        ChartLook look;
        look.title = false;
        look.legend = false;
        look.font = reportFont(ChartFontPoints);
        look.font.setPixelSize(
            static_cast<int>(std::lround(ChartFontPoints * ChartScale * 96 / 72)));
        paintResultsChart(painter, dots(chartLeft, top, width, height),
                          QSizeF(width * ChartPixelsPerMm, height * ChartPixelsPerMm), doc_, q,
                          ChartValues::Counts, look);
    }

    void paintTable(QPainter& painter, const Block& block, double top) {
        const int q = block.q;
        const std::vector<Row>& rows = block.rows;
        const double columns[] = {choiceColumn_, CountColumn, PercentColumn};
        const auto paintRow = [&](double y, const QStringList& cells, bool header) {
            double x = Left;
            for (int i = 0; i < 3; ++i) {
                const QRectF cell = dots(x + CellPad, y, columns[i] - 2 * CellPad, RowHeight);
                // Bare choice numbers stand centred; labels with texts start at the left.
                const Qt::Alignment across = header                            ? Qt::AlignHCenter
                                             : i > 0                           ? Qt::AlignRight
                                             : choiceColumn_ > MinChoiceColumn ? Qt::AlignLeft
                                                                               : Qt::AlignHCenter;
                const Qt::Alignment align = across | Qt::AlignVCenter;
                painter.drawText(cell, static_cast<int>(align), cells[i]);
                x += columns[i];
            }
        };

        painter.fillRect(dots(Left, top, tableWidth(), RowHeight), QColor(0xe8, 0xee, 0xf6));
        painter.setPen(Qt::black);
        painter.setFont(reportFont(9, true));
        const bool numeric = doc_.ChoiceCount[q] == 1;
        paintRow(top,
                 {numeric ? QString::fromUtf8("値") : QString::fromUtf8("選択肢"),
                  numeric ? QString::fromUtf8("人数") : QString::fromUtf8("件数"),
                  QString::fromUtf8("割合（％）")},
                 true);
        painter.setFont(reportFont(9));
        double y = top + RowHeight;
        for (const Row& row : rows) {
            painter.setPen(row.label == QStringLiteral("NG") ? QColor(0xa0, 0x20, 0x10)
                                                             : QColor(Qt::black));
            paintRow(y, {row.label, row.count, row.percent}, false);
            y += RowHeight;
        }

        painter.setPen(QPen(Qt::gray, dots(0.2)));
        const double bottom = y;
        for (double line = top; line <= bottom + 0.01; line += RowHeight)
            painter.drawLine(QPointF(dots(Left), dots(line)),
                             QPointF(dots(Left + tableWidth()), dots(line)));
        double x = Left;
        painter.drawLine(QPointF(dots(x), dots(top)), QPointF(dots(x), dots(bottom)));
        for (const double w : columns) {
            x += w;
            painter.drawLine(QPointF(dots(x), dots(top)), QPointF(dots(x), dots(bottom)));
        }
    }
};

} // namespace

QByteArray resultsReportContents(const SurveyDocument& doc, const QString& date) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) throwIoError(EIO);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        writer.setResolution(static_cast<int>(Dpi));
        const QString title = sjis::toQString(doc.SurveyTitle.view());
        writer.setTitle(title.isEmpty() ? QString::fromUtf8("集計レポート")
                                        : QString::fromUtf8("集計レポート ") + title);
        writer.setCreator(QString::fromLatin1(VevVersion));
        ReportPainter(doc, date).write(writer);
    }
    return bytes;
}

void writeResultsReport(const SurveyDocument& doc, const std::string& path, const QString& date) {
    writeOutputFile(path, resultsReportContents(doc, date).toStdString());
}

} // namespace vev
