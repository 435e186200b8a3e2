#include "analysis/results_chart_window.h"

#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace vev {

namespace {

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
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(questionList);
    layout->addLayout(right, 1);

    connect(questionList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) showQuestion(row + 1);
    });
    connect(valuesGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
        if (on) rebuildChart();
    });
    connect(previousQuestion, &QPushButton::clicked, this, [this] { showQuestion(question_ - 1); });
    connect(nextQuestion, &QPushButton::clicked, this, [this] { showQuestion(question_ + 1); });
    connect(saveChart, &QPushButton::clicked, this,
            [this] { runGuarded(&ResultsChartWindow::saveChartClick); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // Page keys step through the questions wherever the focus is; Escape closes.
    connect(new QShortcut(QKeySequence(Qt::Key_PageUp), this), &QShortcut::activated, this,
            [this] { showQuestion(question_ - 1); });
    connect(new QShortcut(QKeySequence(Qt::Key_PageDown), this), &QShortcut::activated, this,
            [this] { showQuestion(question_ + 1); });
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
    const int count = std::clamp(doc_.QuestionCount, 0, MaxQuestions);
    question_ = count == 0 ? 0 : std::clamp(question_, 1, count);

    // Items are updated in place, so the list keeps its scroll position.
    const QSignalBlocker blocker(questionList);
    while (questionList->count() > count) delete questionList->takeItem(questionList->count() - 1);
    for (int q = 1; q <= count; ++q) {
        const QString caption = questionCaption(doc_, q);
        if (q > questionList->count())
            questionList->addItem(caption);
        else if (questionList->item(q - 1)->text() != caption)
            questionList->item(q - 1)->setText(caption);
    }
    questionList->setCurrentRow(question_ - 1);
    rebuildChart();
}

void ResultsChartWindow::showQuestion(int q) {
    if (q < 1 || q > std::clamp(doc_.QuestionCount, 0, MaxQuestions) || q == question_) return;
    question_ = q;
    {
        const QSignalBlocker blocker(questionList);
        questionList->setCurrentRow(q - 1);
    }
    rebuildChart();
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
    QChart* previous = chartView->chart(); // the view gives up its old chart
    chartView->setChart(chart.release());
    delete previous;

    const int count = questionList->count();
    previousQuestion->setEnabled(question_ > 1);
    nextQuestion->setEnabled(question_ > 0 && question_ < count);
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
    const QByteArray bytes = resultsChartFile(doc_, question_, values(), size, format, look);
    writeTextFile(paths::fromQString(chosen),
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
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
