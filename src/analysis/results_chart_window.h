#pragma once

#include "model/survey_document.h"
#include "platform/platform.h"
#include "analysis/results_chart.h"

#include <QWidget>

#include <vector>

class QChartView;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace vev {

// The results charts: the questions in use in a list on the left, the chosen question's bar
// chart on the right (counts or percentages, NG apart; a numeric question's keyed values) with
// what its numbers are of below it (the data file's respondents, each linked tally file's
// share, the percentage base, the question's n and, for a numeric question, its sum and
// mean), and the chart shown saved as PNG or SVG. It only
// reads the document; whoever changes the counts or the questionnaire calls refresh() (the
// window also refreshes itself whenever it is activated).
class ResultsChartWindow : public QWidget {
    Q_OBJECT

public:
    ResultsChartWindow(const SurveyDocument& doc, Platform& platform, QWidget* parent = nullptr);

    // Rebuilds the question list and the chart from the document, keeping the question shown
    // (the last one when it is gone) and the choice of counts or percentages.
    void refresh();
    // Shows question q (one of the questions in use).
    void showQuestion(int q);
    int currentQuestion() const { return question_; }
    ChartValues values() const;

protected:
    bool event(QEvent* e) override;

private:
    const SurveyDocument& doc_;
    Platform& platform_;
    int question_ = 0;       // 0 when the survey has no question in use
    std::vector<int> shown_; // the questions of the list, row by row

    QListWidget* questionList;     // `questionList`: "Q<q>. <text>" for every question
    QChartView* chartView;         // `chartView`: the chart of the current question
    QLabel* baseNote;              // `baseNote`: what the chart's numbers are of
    QRadioButton* showCounts;      // `showCounts`: "件数(&C)"
    QRadioButton* showPercentages; // `showPercentages`: "割合(&P)"
    QPushButton* previousQuestion; // `previousQuestion`: "前の質問(&B)"
    QPushButton* nextQuestion;     // `nextQuestion`: "次の質問(&N)"
    QPushButton* saveChart;        // `saveChart`: "図を保存(&S)..."
    QPushButton* closeButton;      // `closeButton`: "閉じる"

    void rebuildChart();
    void step(int by); // to the previous (-1) or next (+1) question of the list
    void saveChartClick();
    // Runs a handler; a VevError ends it and shows the general error report.
    void runGuarded(void (ResultsChartWindow::*handler)());
};

} // namespace vev
