#include "analysis/results_chart_window.h"

#include "model/output_target.h"
#include "analysis/question_summary.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace vev {

namespace {

// The list row of question q, -1 when it is not in the list.
int rowOf(const std::vector<int>& shown, int q) {
    const auto it = std::find(shown.begin(), shown.end(), q);
    return it == shown.end() ? -1 : int(it - shown.begin());
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

ResultsChartWindow::ResultsChartWindow(const SurveyDocument& doc, Platform& platform,
                                       QWidget* parent)
    : QWidget(parent), doc_(doc), platform_(platform) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("ResultsChartWindow"));
    resize(880, 540);

    questionList = new QListWidget(this);
    questionList->setObjectName(QStringLiteral("questionList"));
    questionList->setMaximumWidth(240);
    chartView = new QChartView(this);
    chartView->setObjectName(QStringLiteral("chartView"));
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(420, 420); // room for nine bars with their labels
    baseNote = new QLabel(this);
    baseNote->setObjectName(QStringLiteral("baseNote"));
    baseNote->setWordWrap(true);
    baseNote->setTextFormat(Qt::PlainText); // question texts are never markup
    baseNote->setTextInteractionFlags(Qt::TextSelectableByMouse);

    showCounts = new QRadioButton(QString::fromUtf8("件数(&C)"), this);
    showCounts->setObjectName(QStringLiteral("showCounts"));
    showCounts->setChecked(true);
    showPercentages = new QRadioButton(QString::fromUtf8("割合(&P)"), this);
    showPercentages->setObjectName(QStringLiteral("showPercentages"));
    auto* valuesGroup = new QButtonGroup(this);
    valuesGroup->addButton(showCounts);
    valuesGroup->addButton(showPercentages);

    previousQuestion = makeButton(this, "previousQuestion", "前の質問(&B)");
    nextQuestion = makeButton(this, "nextQuestion", "次の質問(&N)");
    saveChart = makeButton(this, "saveChart", "図を保存(&S)...");
    closeButton = makeButton(this, "closeButton", "閉じる");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(showCounts);
    buttons->addWidget(showPercentages);
    buttons->addStretch();
    buttons->addWidget(previousQuestion);
    buttons->addWidget(nextQuestion);
    buttons->addWidget(saveChart);
    buttons->addWidget(closeButton);
    auto* right = new QVBoxLayout;
    right->addWidget(chartView, 1);
    right->addWidget(baseNote);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(questionList);
    layout->addLayout(right, 1);

    connect(questionList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < int(shown_.size())) showQuestion(shown_[std::size_t(row)]);
    });
    connect(valuesGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
        if (on) rebuildChart();
    });
    connect(previousQuestion, &QPushButton::clicked, this, [this] { step(-1); });
    connect(nextQuestion, &QPushButton::clicked, this, [this] { step(+1); });
    connect(saveChart, &QPushButton::clicked, this,
            [this] { runGuarded(&ResultsChartWindow::saveChartClick); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // Page keys step through the questions wherever the focus is; Escape closes.
    connect(new QShortcut(QKeySequence(Qt::Key_PageUp), this), &QShortcut::activated, this,
            [this] { step(-1); });
    connect(new QShortcut(QKeySequence(Qt::Key_PageDown), this), &QShortcut::activated, this,
            [this] { step(+1); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    refresh();
    questionList->setFocus();
}

ChartValues ResultsChartWindow::values() const {
    return showPercentages->isChecked() ? ChartValues::Percentages : ChartValues::Counts;
}

void ResultsChartWindow::refresh() {
    const QString title = sjis::toQString(doc_.SurveyTitle.view());
    setWindowTitle(title.isEmpty() ? QString::fromUtf8("集計グラフ")
                                   : QString::fromUtf8("集計グラフ - ") + title);
    shown_ = questionsInUse(doc_);
    const int count = int(shown_.size());
    // The question shown stays; one that went out of use gives way to the next in use.
    if (count == 0) {
        question_ = 0;
    } else {
        const auto next = std::lower_bound(shown_.begin(), shown_.end(), std::max(question_, 1));
        question_ = next == shown_.end() ? shown_.back() : *next;
    }

    // Items are updated in place, so the list keeps its scroll position.
    const QSignalBlocker blocker(questionList);
    while (questionList->count() > count) delete questionList->takeItem(questionList->count() - 1);
    for (int row = 0; row < count; ++row) {
        const QString caption = questionCaption(doc_, shown_[std::size_t(row)]);
        if (row >= questionList->count())
            questionList->addItem(caption);
        else if (questionList->item(row)->text() != caption)
            questionList->item(row)->setText(caption);
    }
    questionList->setCurrentRow(rowOf(shown_, question_));
    rebuildChart();
}

void ResultsChartWindow::showQuestion(int q) {
    if (rowOf(shown_, q) < 0 || q == question_) return;
    question_ = q;
    {
        const QSignalBlocker blocker(questionList);
        questionList->setCurrentRow(rowOf(shown_, q));
    }
    rebuildChart();
}

void ResultsChartWindow::step(int by) {
    const int row = rowOf(shown_, question_) + by;
    if (row >= 0 && row < int(shown_.size())) showQuestion(shown_[std::size_t(row)]);
}

void ResultsChartWindow::rebuildChart() {
    std::unique_ptr<QChart> chart;
    if (question_ > 0) {
        ChartLook look;
        look.font = font();
        chart = makeResultsChart(doc_, question_, values(), look);
    } else {
        chart = std::make_unique<QChart>();
        chart->setTitle(QString::fromUtf8("質問がありません"));
    }
    QStringList note = basesLines(doc_);
    if (question_ > 0) {
        note << questionCaption(doc_, question_) + QStringLiteral("：") +
                    questionBaseText(doc_, question_);
        if (doc_.ChoiceCount[question_] == 1) note << numericSummaryText(doc_, question_);
    }
    baseNote->setText(note.join(QLatin1Char('\n')));
    QChart* previous = chartView->chart(); // the view gives up its old chart
    chartView->setChart(chart.release());
    delete previous;

    const int row = rowOf(shown_, question_);
    previousQuestion->setEnabled(row > 0);
    nextQuestion->setEnabled(row >= 0 && row + 1 < int(shown_.size()));
    saveChart->setEnabled(question_ > 0);
}

void ResultsChartWindow::saveChartClick() {
    if (question_ == 0) return;
    // Proposed: beside the data file, named after it and the question ("lunch_Q2.png").
    const std::string suffix = "_Q" + std::to_string(question_) + ".png";
    const std::string proposal = doc_.DataFilePath.empty()
                                     ? sjis::toNativePath(doc_.SurveyTitle.view()) + suffix
                                     : paths::withExtension(doc_.DataFilePath, suffix);

    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("グラフに名前をつけて保存");
    dialog.filter = QString::fromUtf8("PNG画像(*.png)|*.png|SVG画像(*.svg)|*.svg");
    dialog.defaultSuffix = QStringLiteral("png");
    dialog.fileName = paths::toQString(proposal);
    const QString chosen = platform_.chooseSaveFile(this, dialog);
    if (chosen.isEmpty()) return;

    const ChartFileFormat format = chosen.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)
                                       ? ChartFileFormat::Svg
                                       : ChartFileFormat::Png;
    // The chart as it is shown, at the size of the view.
    const QSize size = chartView->size().expandedTo(chartView->minimumSize());
    ChartLook look;
    look.font = font();
    checkOutputTarget(doc_, paths::fromQString(chosen), OutputRole::Other);
    const QByteArray bytes = resultsChartFile(doc_, question_, values(), size, format, look);
    writeOutputFile(paths::fromQString(chosen), bytes.toStdString());
}

bool ResultsChartWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) refresh();
    return QWidget::event(e);
}

void ResultsChartWindow::runGuarded(void (ResultsChartWindow::*handler)()) {
    platform_.runGuarded(this, [this, handler] { (this->*handler)(); });
}

} // namespace vev

#include "moc_results_chart_window.cpp"
