// Keying in on the largest survey (40 questions of 8 choices, 999 respondents): one digit typed
// into an answer box until its count line is redrawn and the focus has moved on, and Enter on
// a complete respondent until the next one fills the 40 boxes. Each timing runs from the key
// event to the end of the paint it caused; cpu_us is the CPU time of the same span, which a
// busy machine does not stretch. Targets: a digit 150 us, Enter 0.6 ms.
#include "app/main_window.h"
#include "largest_survey.h"
#include "model/data_file.h"
#include "model/recording.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>

using namespace vev;
using namespace vev::bench;

namespace {

struct Window {
    QTemporaryDir dir;
    QuietPlatform platform;
    std::unique_ptr<SurveyDocument> doc = std::make_unique<SurveyDocument>();
    std::unique_ptr<TForm1> form;
    QLineEdit* sn[MaxQuestions + 1] = {}; // the answer boxes, found once by name

    bool open() {
        const QString path = writeLargestSurvey(
            dir, {.multiSelect = false, .linked = false, .fileName = "entry.dat"});
        form = std::make_unique<TForm1>(*doc, platform, QStringList{path});
        form->show();
        form->activateWindow();
        QCoreApplication::processEvents();
        for (int q = 1; q <= MaxQuestions; ++q)
            sn[q] = form->findChild<QLineEdit*>(QStringLiteral("sn%1").arg(q));
        return doc->RespondentCount == 999;
    }
    void show(int r, int q) {
        doc->CurrentRespondent = r;
        form->hitoribun();
        doc->CurrentQuestion = q;
        sn[q]->setFocus();
        sn[q]->selectAll();
        QCoreApplication::processEvents();
    }
    double cpuSeconds = 0; // this thread's CPU time in the presses so far
    // The key as the operator's keyboard delivers it, then the paint it caused: its wall time.
    // Its CPU time adds to cpuSeconds, which a machine shared with other work leaves as it is.
    double press(int key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        const double cpuStart = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        QApplication::sendEvent(sn[doc->CurrentQuestion], &event);
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        cpuSeconds += threadCpuSeconds() - cpuStart;
        return std::chrono::duration<double>(end - start).count();
    }
    static double threadCpuSeconds() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }
    // The mean CPU time of a press, in microseconds, as the benchmark's counter "cpu_us".
    void reportCpu(benchmark::State& state) const {
        state.counters["cpu_us"] =
            benchmark::Counter(cpuSeconds * 1e6 / static_cast<double>(state.iterations()));
    }
};

void BM_DigitInSingleChoiceBox(benchmark::State& state) {
    Window w;
    if (!w.open()) {
        state.SkipWithError("the survey did not load whole");
        return;
    }
    w.show(500, 1);
    int typed = 0;
    for (auto _ : state) {
        if (w.doc->CurrentQuestion == 40) w.show(500, 1);
        const char digit = static_cast<char>('1' + typed++ % 8);
        state.SetIterationTime(w.press(Qt::Key_1 + (digit - '1'), QString(QLatin1Char(digit))));
    }
    if (w.doc->RespondentCount != 999) state.SkipWithError("the respondent count moved");
    w.reportCpu(state);
}
BENCHMARK(BM_DigitInSingleChoiceBox)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_EnterToNextRespondent(benchmark::State& state) {
    Window w;
    if (!w.open()) {
        state.SkipWithError("the survey did not load whole");
        return;
    }
    w.show(1, 40);
    for (auto _ : state) {
        if (w.doc->CurrentRespondent >= 998) w.show(1, 40);
        const int before = w.doc->CurrentRespondent;
        state.SetIterationTime(w.press(Qt::Key_Return, QStringLiteral("\r")));
        if (w.doc->CurrentRespondent != before + 1) {
            state.SkipWithError("Enter did not move to the next respondent");
            break;
        }
    }
    w.reportCpu(state);
}
BENCHMARK(BM_EnterToNextRespondent)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

VEV_BENCHMARK_WINDOW_MAIN()
