#include "analysis/results_chart.h"

#include "analysis/question_summary.h"
#include "model/sjis.h"
#include "results/percentages.h"
#include "results/results_file.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QGraphicsScene>
#include <QHorizontalStackedBarSeries>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace vev {

namespace {

const QColor AnswerColour(0x2f, 0x6d, 0xb5);
const QColor NgColour(0xc8, 0x3e, 0x2e);

struct AxisScale {
    double low;
    double high;
    double step;
};

// A value axis from low to high in round steps (1, 2 or 5 times a power of ten, about five of
// them); counts are never divided below a step of 1.
AxisScale roundScale(double low, double high, bool whole) {
    if (high <= low) high = low + 1;
    const double raw = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw) {
            step = factor * magnitude;
            break;
        }
    }
    if (whole) step = std::max(1.0, std::round(step));
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

QFont scaledFont(const QFont& base, double factor, bool bold) {
    QFont font = base;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        font.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * factor)));
    font.setBold(bold);
    return font;
}

// Qt Charts shows its title and axis labels as rich text: a "<" or "&" in a question or choice
// text must reach the reader as written. A long title is broken into lines of at most
// lineWidth pixels, between words or, in Japanese, between characters.
QString chartRichText(const QString& text, const QFont& font, qreal lineWidth) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        lines << text.mid(line.textStart(), line.textLength()).trimmed().toHtmlEscaped();
    }
    layout.endLayout();
    return lines.join(QStringLiteral("<br>"));
}

// A chart title wider than this is broken into lines: it fits the chart window's default size.
constexpr qreal TitleLineWidth = 560;

} // namespace

QString chartTitle(const SurveyDocument& doc, int q) {
    const QString wording = sjis::toQString(doc.Texts.Wording[q].view());
    return wording.isEmpty() ? questionCaption(doc, q) : QStringLiteral("Q%1. ").arg(q) + wording;
}

QString questionCaption(const SurveyDocument& doc, int q) {
    return QStringLiteral("Q%1. ").arg(q) + sjis::toQString(doc.QuestionText[q].view());
}

QString percentText(long long cell, bool tenths) {
    if (!tenths) return QString::number(cell);
    const long long magnitude = cell < 0 ? -cell : cell;
    return (cell < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10) +
           QLatin1Char('.') + QString::number(magnitude % 10);
}

std::unique_ptr<QChart> makeResultsChart(const SurveyDocument& doc, int q, ChartValues values,
                                         const ChartLook& look) {
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setMargins(QMargins(4, 4, 4, 4));
    if (look.title) {
        const QFont titleFont = scaledFont(look.font, 1.15, true);
        chart->setTitle(chartRichText(chartTitle(doc, q), titleFont, TitleLineWidth));
        chart->setTitleFont(titleFont);
    }
    chart->legend()->setVisible(look.legend);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(look.font);

    // Categories run from the bottom up: NG (counts only), then the choices from the last to
    // the first, so that choice 1 stands at the top. A numeric question shows how many
    // respondents keyed each value 1..8 (its percentages: of those who keyed a value).
    const bool percentages = values == ChartValues::Percentages;
    const int k = doc.ChoiceCount[q];
    const bool numeric = k == 1;
    const NumericSummary summary = numeric ? numericSummary(doc, q) : NumericSummary();
    const std::int32_t ng = numeric ? summary.ng : doc.Tally[q][NgSlot];
    QStringList categories;
    QList<qreal> answerValues;
    QList<qreal> ngValues;
    if (!percentages && k > 0) {
        categories << QStringLiteral("NG");
        answerValues << 0;
        ngValues << ng;
    }
    const int last = numeric ? 8 : k;
    for (int c = last; c >= 1; --c) {
        categories << choiceLabel(doc, q, c).toHtmlEscaped();
        long long cell = 0;
        if (numeric)
            cell = percentages ? percentOf(summary.values[static_cast<std::size_t>(c)],
                                           std::max(summary.answered, 1), doc.Frac1)
                               : summary.values[static_cast<std::size_t>(c)];
        else
            cell = percentages ? percentCellValue(doc, q, c) : doc.Tally[q][c];
        answerValues << (percentages && doc.Frac1 ? cell / 10.0 : static_cast<double>(cell));
        ngValues << 0;
    }
    if (categories.isEmpty()) return chart;

    const QString what = numeric ? QString::fromUtf8("人数") : QString::fromUtf8("件数");
    auto* answers = new QBarSet(percentages ? QString::fromUtf8("割合（％）") : what);
    answers->append(answerValues);
    answers->setColor(AnswerColour);
    answers->setBorderColor(AnswerColour);
    auto* ngSet = new QBarSet(QString::fromUtf8("NG %1件").arg(ng));
    ngSet->append(ngValues);
    ngSet->setColor(NgColour);
    ngSet->setBorderColor(NgColour);
    for (QBarSet* set : {answers, ngSet}) {
        set->setLabelFont(look.font);
        set->setLabelColor(Qt::black);
    }

    // A stacked series gives every category one full-width bar: NG and the choices never share
    // a row, so each keeps its own colour.
    auto* series = new QHorizontalStackedBarSeries;
    series->append(answers);
    series->append(ngSet);
    series->setBarWidth(0.7);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart->addSeries(series);

    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    categoryAxis->setLabelsFont(look.font);
    chart->addAxis(categoryAxis, Qt::AlignLeft);
    series->attachAxis(categoryAxis);

    // Room beyond the longest bar for its label.
    double low = 0;
    double high = 0;
    for (const QList<qreal>* list : {&answerValues, &ngValues})
        for (const qreal v : *list) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    const AxisScale scale = roundScale(low * 1.15, std::max(high, 1.0) * 1.15, !percentages);
    auto* valueAxis = new QValueAxis;
    valueAxis->setRange(scale.low, scale.high);
    valueAxis->setTickType(QValueAxis::TicksFixed);
    valueAxis->setTickCount(static_cast<int>(std::lround((scale.high - scale.low) / scale.step)) +
                            1);
    valueAxis->setLabelFormat(scale.step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    valueAxis->setLabelsFont(look.font);
    chart->addAxis(valueAxis, Qt::AlignBottom);
    series->attachAxis(valueAxis);
    return chart;
}

void paintResultsChart(QPainter& painter, const QRectF& target, const QSizeF& layoutSize,
                       const SurveyDocument& doc, int q, ChartValues values,
                       const ChartLook& look) {
    QGraphicsScene scene;
    QChart* chart = makeResultsChart(doc, q, values, look).release();
    scene.addItem(chart); // the scene deletes it
    const QRectF source(QPointF(0, 0), layoutSize);
    chart->setGeometry(source);
    scene.setSceneRect(source);
    scene.render(&painter, target, source, Qt::IgnoreAspectRatio);
}

QImage resultsChartImage(const SurveyDocument& doc, int q, ChartValues values, QSize size,
                         const ChartLook& look) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintResultsChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), QSizeF(size), doc, q, values,
                      look);
    return image;
}

QByteArray resultsChartFile(const SurveyDocument& doc, int q, ChartValues values, QSize size,
                            ChartFileFormat format, const ChartLook& look) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == ChartFileFormat::Png) {
        resultsChartImage(doc, q, values, size, look).save(&buffer, "PNG");
        return bytes;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(chartTitle(doc, q));
    {
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        paintResultsChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), QSizeF(size), doc, q,
                          values, look);
    }
    return bytes;
}

} // namespace vev
