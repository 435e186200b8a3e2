// The entry and navigation rules without a window: typing into answer boxes, the label press
// cycle, the arrow keys, Enter, the spinner and the jump box, and the one recording gate.
#include "keying/answer_entry.h"
#include "model/recording.h"

#include <QList>
#include <QMap>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace vev;

namespace {

using Texts = QList<QByteArray>;

// Question 1 single choice (4), 2 multi-select (5), 3 numeric, 4 without choices (a hidden
// row), 5 single choice (2).
const QList<int> Choices{4, 5, 1, 0, 2};

// A survey with given answers for respondents 1..n, and what the recording gate reported. The
// boxes model the answer boxes of the window: what each row shows.
struct Survey {
    std::unique_ptr<SurveyDocument> doc = std::make_unique<SurveyDocument>();
    AnswerEntry entry{*doc};
    std::vector<RecordedAnswer> journal;
    QMap<int, QByteArray> box;
    bool selected = false; // the current box's text is selected: a typed digit replaces it
    int beeps = 0;

    explicit Survey(const QList<Texts>& respondents = {}) {
        SurveyDocument& d = *doc;
        d.QuestionCount = static_cast<int>(Choices.size());
        for (int q = 1; q <= d.QuestionCount; ++q) {
            d.ChoiceCount[q] = Choices[q - 1];
            d.MultiSelect[q] = q == 2;
        }
        for (int r = 1; r <= respondents.size(); ++r) {
            d.CurrentRespondent = r;
            for (int q = 1; q <= d.QuestionCount; ++q) {
                d.CurrentQuestion = q;
                d.EntryBuffer = respondents[r - 1].value(q - 1).toStdString();
                dataIN(d);
            }
        }
        d.RespondentCount = static_cast<int>(respondents.size());
        entry.setObserver([this](const RecordedAnswer& a) { journal.push_back(a); });
    }
    QByteArray answer(int r, int q) const {
        return QByteArray::fromStdString(doc->Answers[r][q].str());
    }
    // Shows respondent r with the keyboard in question q, as navigation would.
    void stand(int r, int q) {
        doc->CurrentRespondent = r;
        hitoribun(*doc);
        doc->CurrentQuestion = q;
        showAll();
        selected = true; // as a click into the box leaves it
    }
    void showAll() {
        for (int q = 1; q <= doc->QuestionCount; ++q) box[q] = answer(doc->CurrentRespondent, q);
    }
    // What the grid does with an outcome, for the boxes.
    void apply(const EntryOutcome& outcome) {
        if (outcome.beep) ++beeps;
        if (outcome.focus == EntryOutcome::Focus::SelectAll) selected = true;
        if (outcome.focus == EntryOutcome::Focus::Deselect) selected = false;
        if (outcome.answerRow)
            box[outcome.answerRow] = answer(doc->CurrentRespondent, outcome.answerRow);
        if (outcome.respondentShown) showAll();
    }
    // One character typed into the current answer box, as the grid hands it to the rules.
    void key(char c) {
        const int q = doc->CurrentQuestion;
        if (!entry.entersMultiSelect(q)) {
            apply(entry.singleChoiceKey(c));
            return;
        }
        switch (entry.multiSelectKey(c, box[q].isEmpty())) {
        case MultiSelectKey::Confirm:
            apply(entry.confirm(box[q].toStdString()));
            break;
        case MultiSelectKey::Next:
            apply(entry.tugie());
            break;
        case MultiSelectKey::Digit:
            if (selected) box[q].clear();
            selected = false;
            if (box[q].size() < doc->ChoiceCount[q]) box[q] += c;
            break;
        case MultiSelectKey::ToBox:
            if (c == '\b') box[q].chop(1);
            break;
        case MultiSelectKey::Swallow:
            break;
        }
    }
    void type(const QByteArray& keys) {
        for (char c : keys) key(c == '\r' ? char(13) : c);
    }
    // A press on question label `row` (the box must hold a whole number).
    void press(int row, bool left) {
        entry.pressLabel(row);
        box[row] = QByteArray::number(entry.stepLabel(row, box[row].toInt(), left));
        selected = true;
        apply(entry.recordLabelPress(row));
    }
};

} // namespace

class TestAnswerEntry : public QObject {
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
    void labelCycle_data();
    void labelCycle();
    void navigation_data();
    void navigation();
    void lastRowOfTheGrid_data();
    void lastRowOfTheGrid();
    void randomEntryKeepsTallyAndJournal();
    void keyedCheck_data();
    void keyedCheck();
};

void TestAnswerEntry::typing_data() {
    QTest::addColumn<QList<Texts>>("respondents");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("q");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("respondentCount");
    QTest::addColumn<int>("recorded");

    const QList<Texts> two{{"2", "1", "3", "", "1"}, {"1", "2", "1", "", "2"}};
    QTest::newRow("digit moves on")
        << QList<Texts>{} << 1 << 1 << QByteArray("3") << QByteArray("3") << 2 << 1 << 1;
    QTest::newRow("digit above the choices is NG")
        << QList<Texts>{} << 1 << 1 << QByteArray("7") << QByteArray("9") << 2 << 1 << 1;
    QTest::newRow("zero before the last respondent is ignored")
        << two << 1 << 1 << QByteArray("0") << QByteArray("2") << 1 << 2 << 0;
    QTest::newRow("zero on the last respondent blanks")
        << two << 2 << 1 << QByteArray("0") << QByteArray("0") << 2 << 2 << 1;
    QTest::newRow("letter does nothing")
        << QList<Texts>{} << 1 << 1 << QByteArray("a") << QByteArray("0") << 1 << 0 << 0;
    QTest::newRow("numeric question: no focus into the hidden row")
        << QList<Texts>{} << 1 << 3 << QByteArray("7") << QByteArray("7") << 3 << 1 << 1;
    QTest::newRow("last question keeps the focus")
        << QList<Texts>{} << 1 << 5 << QByteArray("1") << QByteArray("1") << 5 << 1 << 1;
    QTest::newRow("multi-select collects until Enter")
        << QList<Texts>{} << 1 << 2 << QByteArray("531\r") << QByteArray("135") << 3 << 1 << 1;
    QTest::newRow("multi-select keeps at most its choices")
        << QList<Texts>{} << 1 << 2 << QByteArray("1234567\r") << QByteArray("12345") << 3 << 1
        << 1;
    QTest::newRow("multi-select zero before the last is swallowed")
        << two << 1 << 2 << QByteArray("03\r") << QByteArray("3") << 3 << 2 << 1;
    QTest::newRow("multi-select Enter alone: to the first open question")
        << QList<Texts>{} << 1 << 2 << QByteArray("\r") << QByteArray("0") << 1 << 0 << 0;
}

void TestAnswerEntry::typing() {
    QFETCH(QList<Texts>, respondents);
    QFETCH(int, r);
    QFETCH(int, q);
    QFETCH(QByteArray, keys);

    Survey s(respondents);
    s.stand(r, q);
    const QByteArray before = s.answer(r, q);
    s.type(keys);
    QTEST(s.answer(r, q), "answer");
    QTEST(s.doc->CurrentQuestion, "focus");
    QTEST(s.doc->RespondentCount, "respondentCount");
    QTEST(static_cast<int>(s.journal.size()), "recorded");
    QVERIFY(!s.doc->EntryPending);
    QCOMPARE(s.doc->Modified, !s.journal.empty());
    if (!s.journal.empty()) {
        const RecordedAnswer& last = s.journal.back();
        QCOMPARE((QList<int>{last.respondent, last.question}), (QList<int>{r, q}));
        QCOMPARE(QByteArray::fromStdString(last.before.str()), before);
        QCOMPARE(QByteArray::fromStdString(last.after.str()), s.answer(r, q));
    }
}

void TestAnswerEntry::labelCycle_data() {
    QTest::addColumn<int>("choices");
    QTest::addColumn<bool>("last");
    QTest::addColumn<bool>("left");
    QTest::addColumn<QList<int>>("cycle");

    QTest::newRow("k=4, last, left") << 4 << true << true << QList<int>{0, 1, 2, 3, 4, 9, 0};
    QTest::newRow("k=4, last, other") << 4 << true << false << QList<int>{0, 9, 4, 3, 2, 1, 0};
    QTest::newRow("k=4, earlier, left") << 4 << false << true << QList<int>{1, 2, 3, 4, 9, 1};
    QTest::newRow("k=4, earlier, other") << 4 << false << false << QList<int>{9, 4, 3, 2, 1, 9};
    QTest::newRow("numeric, left")
        << 1 << false << true << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    QTest::newRow("numeric, other")
        << 1 << false << false << QList<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 9};
    // An answer of several digits read as one number.
    QTest::newRow("several digits, left") << 5 << false << true << QList<int>{135, 1};
    QTest::newRow("several digits, other") << 5 << false << false << QList<int>{135, 134};
}

void TestAnswerEntry::labelCycle() {
    QFETCH(int, choices);
    QFETCH(bool, last);
    QFETCH(bool, left);
    QFETCH(QList<int>, cycle);
    const int respondent = last ? 3 : 2;
    for (qsizetype i = 0; i + 1 < cycle.size(); ++i)
        QCOMPARE(AnswerEntry::stepValue(cycle[i], choices, left, respondent, 3), cycle[i + 1]);
}

void TestAnswerEntry::navigation_data() {
    QTest::addColumn<Texts>("third"); // respondent 3, the last
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("q");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("toRespondent");
    QTest::addColumn<int>("toQuestion");
    QTest::addColumn<int>("respondentCount");

    const Texts partial{"1", "", "", "", ""}; // question 2 (two or more choices) still open
    const Texts complete{"1", "12", "", "", "2"};
    const Texts open{"", "", "", "", ""};
    QTest::newRow("right from an earlier respondent")
        << partial << 1 << 2 << QStringLiteral("right") << 2 << 2 << 3;
    QTest::newRow("right refused on an incomplete last")
        << partial << 3 << 1 << QStringLiteral("right") << 3 << 1 << 3;
    QTest::newRow("right past a complete last")
        << complete << 3 << 1 << QStringLiteral("right") << 4 << 1 << 3;
    QTest::newRow("left on respondent 1 stays")
        << partial << 1 << 1 << QStringLiteral("left") << 1 << 1 << 3;
    QTest::newRow("left drops an all-open last")
        << open << 3 << 1 << QStringLiteral("left") << 2 << 1 << 2;
    QTest::newRow("up skips the hidden row")
        << partial << 1 << 5 << QStringLiteral("up") << 1 << 3 << 3;
    QTest::newRow("down stops before the hidden row")
        << partial << 1 << 3 << QStringLiteral("down") << 1 << 3 << 3;
    QTest::newRow("enter to the first open question")
        << partial << 3 << 1 << QStringLiteral("enter") << 3 << 2 << 3;
    QTest::newRow("enter on a complete respondent goes on")
        << partial << 2 << 5 << QStringLiteral("enter") << 3 << 2 << 3;
    QTest::newRow("enter on an all-open last drops it")
        << open << 3 << 5 << QStringLiteral("enter") << 3 << 1 << 2;
    QTest::newRow("enter to a new respondent: its first open question")
        << complete << 3 << 5 << QStringLiteral("enter") << 4 << 1 << 3;
    QTest::newRow("spinner forward refused on an incomplete last")
        << partial << 3 << 5 << QStringLiteral("spin 4") << 3 << 2 << 3;
    QTest::newRow("spinner forward from an earlier respondent")
        << partial << 1 << 5 << QStringLiteral("spin 2") << 2 << 1 << 3;
    QTest::newRow("spinner back from a new respondent")
        << complete << 4 << 5 << QStringLiteral("spin 3") << 3 << 1 << 3;
    QTest::newRow("jump to an existing respondent")
        << partial << 3 << 5 << QStringLiteral("jump 1") << 1 << 1 << 3;
    QTest::newRow("jump beyond the last: shown again")
        << partial << 3 << 5 << QStringLiteral("jump 4") << 3 << 2 << 3;
    QTest::newRow("jump to 0: shown again")
        << partial << 2 << 5 << QStringLiteral("jump 0") << 2 << 1 << 3;
}

void TestAnswerEntry::navigation() {
    QFETCH(Texts, third);
    QFETCH(int, r);
    QFETCH(int, q);
    QFETCH(QString, operation);

    const Texts complete{"2", "34", "5", "", "1"};
    Survey s({complete, complete, third});
    s.doc->RespondentCount = 3; // also when the third respondent has no answer at all
    s.stand(r, q);
    const QStringList words = operation.split(QLatin1Char(' '));
    const int number = words.value(1).toInt();
    EntryOutcome outcome;
    if (words[0] == QStringLiteral("left")) outcome = s.entry.keyDown(EntryKey::Left);
    if (words[0] == QStringLiteral("right")) outcome = s.entry.keyDown(EntryKey::Right);
    if (words[0] == QStringLiteral("up")) outcome = s.entry.keyDown(EntryKey::Up);
    if (words[0] == QStringLiteral("down")) outcome = s.entry.keyDown(EntryKey::Down);
    if (words[0] == QStringLiteral("enter")) outcome = s.entry.tugie();
    if (words[0] == QStringLiteral("spin")) outcome = s.entry.spinnerClick(number);
    if (words[0] == QStringLiteral("jump")) outcome = s.entry.jump(number);

    QTEST(s.doc->CurrentRespondent, "toRespondent");
    QTEST(s.doc->CurrentQuestion, "toQuestion");
    QTEST(s.doc->RespondentCount, "respondentCount");
    QVERIFY(!outcome.beep);
    QCOMPARE(outcome.focus == EntryOutcome::Focus::None, false);
    // A respondent moved to is shown with its empty answers as "0".
    if (s.doc->CurrentRespondent != r) QVERIFY(outcome.respondentShown);
    for (int question = 1; question <= 5; ++question)
        QVERIFY(!s.answer(s.doc->CurrentRespondent, question).isEmpty());
    QVERIFY(s.journal.empty());
    // While a multi-select entry is pending nothing moves.
    s.stand(r, q);
    s.doc->EntryPending = true;
    QCOMPARE(s.entry.keyDown(EntryKey::Right), EntryOutcome{});
    QCOMPARE(s.entry.spinnerClick(r + 1), EntryOutcome{});
    QCOMPARE(s.doc->CurrentRespondent, r);
}

void TestAnswerEntry::lastRowOfTheGrid_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("enter") << QStringLiteral("enter");
    QTest::newRow("right") << QStringLiteral("right");
    QTest::newRow("spinner") << QStringLiteral("spin");
}

// Respondent 999 complete: there is no row after it; the operator hears a beep.
void TestAnswerEntry::lastRowOfTheGrid() {
    QFETCH(QString, operation);
    Survey s;
    s.stand(MaxRespondents, 1);
    s.type("1");
    s.stand(MaxRespondents, 2);
    s.type("1\r");
    s.stand(MaxRespondents, 5);
    s.type("1");
    QCOMPARE(s.doc->RespondentCount, MaxRespondents);
    EntryOutcome outcome;
    if (operation == QStringLiteral("enter")) outcome = s.entry.tugie();
    if (operation == QStringLiteral("right")) outcome = s.entry.keyDown(EntryKey::Right);
    if (operation == QStringLiteral("spin")) outcome = s.entry.spinnerClick(MaxRespondents);
    QVERIFY(outcome.beep);
    QVERIFY(!outcome.respondentShown);
    QCOMPARE(s.doc->CurrentRespondent, MaxRespondents);
}

// Random keys, label presses and moves. After every step the tally is the sum of the stored
// answers' contributions, the operator stands at most one respondent past the last, and the
// recorded answers, replayed in order onto the starting answers, give the answers now stored:
// the gate sees every answer the operator records.
void TestAnswerEntry::randomEntryKeepsTallyAndJournal() {
    for (quint32 seed = 1; seed <= 4; ++seed) {
        QRandomGenerator random(seed);
        Survey s({{"1", "23", "4", "", "2"}, {"3", "1", "0", "", "1"}});
        s.stand(1, 1);
        // The starting answers, with the recorded ones replayed onto them as they come.
        const auto replayed = std::make_unique<SurveyDocument>(*s.doc);
        SurveyDocument& again = *replayed;
        std::size_t replayedUpTo = 0;
        const auto same = [](std::string_view x, std::string_view y) {
            return (x.empty() ? "0" : x) == (y.empty() ? "0" : y);
        };
        const char keys[] = "0123456789\rx";
        for (int step = 0; step < 3000; ++step) {
            const int row = 1 + static_cast<int>(random.bounded(5));
            switch (random.bounded(8)) {
            case 0:
            case 1:
            case 2:
                s.key(keys[random.bounded(12)]);
                break;
            case 3:
                if (s.doc->ChoiceCount[row] > 0 && !s.box[row].isEmpty())
                    s.press(row, random.bounded(2) == 0);
                break;
            case 4: {
                const EntryKey k[] = {EntryKey::Left, EntryKey::Up, EntryKey::Right,
                                      EntryKey::Down};
                s.apply(s.entry.keyDown(k[random.bounded(4)]));
                break;
            }
            case 5:
                s.apply(s.entry.tugie());
                break;
            case 6:
                if (!s.doc->EntryPending)
                    // The spinner never leaves its range 1..999.
                    s.apply(s.entry.spinnerClick(
                        std::clamp(s.doc->CurrentRespondent + (random.bounded(2) ? 1 : -1), 1,
                                   MaxRespondents)));
                break;
            case 7:
                if (!s.doc->EntryPending)
                    s.apply(s.entry.jump(static_cast<int>(random.bounded(8))));
                break;
            }

            const SurveyDocument& d = *s.doc;
            QVERIFY(d.CurrentRespondent >= 1 && d.CurrentRespondent <= d.RespondentCount + 1);
            QVERIFY(d.CurrentQuestion >= 1 && d.CurrentQuestion <= d.QuestionCount);
            const int rows = std::max(d.RespondentCount, d.CurrentRespondent) + 1;
            for (; replayedUpTo < s.journal.size(); ++replayedUpTo) {
                const RecordedAnswer& a = s.journal[replayedUpTo];
                // Each record starts from what the cell held after the one before.
                QVERIFY(same(again.Answers[a.respondent][a.question].view(), a.before.view()));
                again.CurrentRespondent = a.respondent;
                again.CurrentQuestion = a.question;
                dataDEL(again);
                again.EntryBuffer = a.after.view();
                dataIN(again);
            }
            for (int q = 1; q <= d.QuestionCount; ++q) {
                for (int slot = 1; slot <= TallySlots; ++slot)
                    QVERIFY2(d.Tally[q][slot] == again.Tally[q][slot],
                             qPrintable(QStringLiteral("seed %1 step %2").arg(seed).arg(step)));
                for (int r = 1; r <= rows; ++r)
                    QVERIFY(same(d.Answers[r][q].view(), again.Answers[r][q].view()));
            }
        }
    }
}

// A check set for keyed answers sees each one in EntryBuffer before it is recorded and decides:
// it records it through the gate ("record"), lets the entry go on without recording ("go on"),
// or holds the cell ("hold": a beep, the keyboard stays, nothing recorded). Label presses and
// the ignored "0" never reach it, unless the check verifies the cell ("+blank"): a "0" or Enter
// on an emptied multi-select box is then a keyed blank like any answer.
void TestAnswerEntry::keyedCheck_data() {
    QTest::addColumn<int>("q");
    QTest::addColumn<QByteArray>("keys"); // "<" a left press on the label
    QTest::addColumn<QString>("decision");
    QTest::addColumn<QByteArray>("checked"); // what the check saw; empty when not asked
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("focus");
    QTest::addColumn<bool>("beep");

    QTest::newRow("digit recorded") << 1 << QByteArray("3") << QStringLiteral("record")
                                    << QByteArray("3") << QByteArray("3") << 2 << false;
    QTest::newRow("digit goes on unrecorded") << 1 << QByteArray("3") << QStringLiteral("go on")
                                              << QByteArray("3") << QByteArray("2") << 2 << false;
    QTest::newRow("digit held") << 1 << QByteArray("3") << QStringLiteral("hold") << QByteArray("3")
                                << QByteArray("2") << 1 << true;
    QTest::newRow("several choices recorded") << 2 << QByteArray("53\r") << QStringLiteral("record")
                                              << QByteArray("53") << QByteArray("35") << 3 << false;
    QTest::newRow("several choices held") << 2 << QByteArray("53\r") << QStringLiteral("hold")
                                          << QByteArray("53") << QByteArray("1") << 2 << true;
    QTest::newRow("label press not checked") << 1 << QByteArray("<") << QStringLiteral("hold")
                                             << QByteArray() << QByteArray("3") << 1 << false;
    QTest::newRow("ignored zero not checked") << 1 << QByteArray("0") << QStringLiteral("hold")
                                              << QByteArray() << QByteArray("2") << 1 << false;
    QTest::newRow("zero checked on a verified cell")
        << 1 << QByteArray("0") << QStringLiteral("hold+blank") << QByteArray("0")
        << QByteArray("2") << 1 << true;
    QTest::newRow("Enter on an emptied box checked")
        << 2 << QByteArray("\b\r") << QStringLiteral("record+blank") << QByteArray("")
        << QByteArray("0") << 3 << false;
}

void TestAnswerEntry::keyedCheck() {
    QFETCH(int, q);
    QFETCH(QByteArray, keys);
    QFETCH(QString, decision);
    QFETCH(QByteArray, answer);

    Survey s({{"2", "1", "3", "", "1"}, {"1", "2", "1", "", "2"}});
    QByteArray checked;
    const bool blank = decision.endsWith(QStringLiteral("+blank"));
    decision.remove(QStringLiteral("+blank"));
    s.entry.setKeyedCheck(
        [&](const std::function<void()>& record) {
            checked = QByteArray::fromStdString(s.doc->EntryBuffer.str());
            if (decision == QStringLiteral("record")) record();
            return decision != QStringLiteral("hold");
        },
        blank ? std::function<bool()>([] { return true; }) : std::function<bool()>());
    s.stand(1, q);
    if (keys == "<")
        s.press(q, true);
    else
        s.type(keys);
    QTEST(checked, "checked");
    QCOMPARE(s.answer(1, q), answer);
    QTEST(s.doc->CurrentQuestion, "focus");
    QTEST(s.beeps > 0, "beep");
    QVERIFY(!s.doc->EntryPending);
    const bool recorded = answer != (q == 1 ? "2" : "1");
    QCOMPARE(static_cast<int>(s.journal.size()), recorded ? 1 : 0);
    QCOMPARE(s.doc->Modified, recorded);
}

QTEST_GUILESS_MAIN(TestAnswerEntry)
#include "tst_answer_entry.moc"
