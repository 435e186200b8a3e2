// Random sequences of what an operator does to a small survey (typing answers, confirming
// several choices, moving between respondents, editing the questionnaire, clearing the answers,
// linking and unlinking tally files, saving and loading), checked after every step against
// one invariant: every count equals the contributions of the stored answers of respondents
// 1..RespondentCount under the question's current rule, plus what the linked files give under
// the current questionnaire, both counted here independently of the program. A save followed
// by a load gives the same counts.
//
// VEV_MODEL_SEED sets the first seed (default 20261207), VEV_MODEL_SEQUENCES the number of
// sequences (default 1000).

#include "core_test_util.h"
#include "editor/clear_document.h"
#include "editor/questionnaire_apply.h"
#include "linked/tally_file.h"
#include "model/data_file.h"
#include "model/recording.h"
#include "results/results_file.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace vev;

namespace {

// The test command runs a fixed seed, so that every run checks the same sequences and a failure
// comes back; a longer or another search goes through the environment variables.
constexpr int DefaultSeed = 20261207;
constexpr int DefaultSequences = 1000;

constexpr int StepsPerSequence = 24;
constexpr int MaxModelQuestions = 4;
constexpr int MaxModelRespondents = 8;
constexpr int MaxModelLinks = 3;

// A tally file as written here: per question line its choice cells and its NG cell.
struct WrittenTallyFile {
    std::vector<std::vector<int>> cells;
    std::vector<int> ng;
};

using Table = std::vector<std::array<long long, TallySlots + 1>>; // [q][slot], 1-based

std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

int envNumber(const char* name, int fallback) {
    const QByteArray value = qgetenv(name);
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

class Sequence {
public:
    Sequence(unsigned seed, const QString& folder)
        : random_(seed), folder_(folder), doc_(std::make_unique<SurveyDocument>()) {}

    // Runs the sequence; empty when every step kept the invariant, else what went wrong.
    std::string run() {
        start();
        if (std::string why = check(); !why.empty()) return why;
        for (int step = 0; step < StepsPerSequence; ++step) {
            const std::string what = act();
            log_ << what << '\n';
            if (std::string why = check(); !why.empty()) return why + "\nafter:\n" + log_.str();
        }
        return {};
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    void start() {
        SurveyDocument& doc = *doc_;
        doc.WWrite = false; // the results file is another test's business
        doc.SurveyTitle = "t";
        doc.QuestionCount = pick(1, MaxModelQuestions);
        for (int q = 1; q <= doc.QuestionCount; ++q) {
            doc.ChoiceCount[q] = pick(q == 1 ? 1 : 0, 6);
            doc.MultiSelect[q] = doc.ChoiceCount[q] >= 2 && chance(40);
        }
        doc.DataFilePath = test::native(folder_ + QStringLiteral("/survey.dat"));
        doc.CurrentRespondent = 1;
        hitoribun(doc);
    }

    std::string act() {
        switch (pick(0, 12)) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 11:
            return type();
        case 4:
        case 5:
            return navigate();
        case 6:
        case 7:
            return edit();
        case 8:
            DClear(*doc_);
            return "clear answers";
        case 9:
            return link();
        case 10:
            return unlink();
        default:
            return saveAndLoad();
        }
    }

    // A digit typed, or several confirmed with Enter, as the answer boxes record them.
    std::string type() {
        SurveyDocument& doc = *doc_;
        std::vector<int> rows;
        for (int q = 1; q <= doc.QuestionCount; ++q)
            if (doc.ChoiceCount[q] > 0) rows.push_back(q);
        if (rows.empty()) return "type: no row";
        const int q = rows[static_cast<std::size_t>(pick(0, static_cast<int>(rows.size()) - 1))];
        doc.CurrentQuestion = q;
        const int r = doc.CurrentRespondent;
        std::string text;
        if (doc.MultiSelect[q] && doc.ChoiceCount[q] >= 2) {
            const int length = pick(1, doc.ChoiceCount[q]);
            for (int i = 0; i < length; ++i) text += static_cast<char>('0' + pick(0, 9));
            if (text == "0" && r < doc.RespondentCount) text = "1";
        } else {
            text = std::string(1, static_cast<char>('0' + pick(0, 9)));
            if (doc.ChoiceCount[q] >= 2 && r < doc.RespondentCount && text == "0")
                return "type: 0 refused";
        }
        dataDEL(doc);
        doc.EntryBuffer = text;
        dataIN(doc);
        return "type r" + std::to_string(r) + " q" + std::to_string(q) + " '" + text + "'";
    }

    // The arrows, the spinner and the jump box, with the forward rule of the last respondent.
    std::string navigate() {
        SurveyDocument& doc = *doc_;
        int& r = doc.CurrentRespondent;
        switch (pick(0, 2)) {
        case 0:
            if (r < doc.RespondentCount)
                doc.FirstOpenQuestion = 0;
            else
                kensa(doc);
            if (doc.FirstOpenQuestion == 0 && r < MaxModelRespondents) ++r;
            break;
        case 1:
            if (r >= doc.RespondentCount) kensa(doc);
            if (r > 1) --r;
            break;
        default:
            if (doc.RespondentCount > 0) r = pick(1, doc.RespondentCount);
            break;
        }
        hitoribun(doc);
        return "to respondent " + std::to_string(r);
    }

    // One change in the editor, applied.
    std::string edit() {
        SurveyDocument& doc = *doc_;
        Questionnaire edited = Questionnaire::of(doc);
        std::string what;
        const int q = pick(1, edited.QuestionCount);
        switch (pick(0, 3)) {
        case 0:
            edited.ChoiceCount[q] = pick(q == 1 ? 1 : 0, 8);
            if (edited.ChoiceCount[q] < 2) edited.MultiSelect[q] = false;
            what =
                "choices of q" + std::to_string(q) + " := " + std::to_string(edited.ChoiceCount[q]);
            break;
        case 1:
            if (edited.ChoiceCount[q] >= 2) edited.MultiSelect[q] = !edited.MultiSelect[q];
            what = "multi-select of q" + std::to_string(q) + " toggled";
            break;
        case 2:
            if (edited.QuestionCount > 1) {
                const int last = edited.QuestionCount--;
                edited.QuestionText[last].clear();
                edited.ChoiceCount[last] = 0;
                edited.MultiSelect[last] = false;
            }
            what = "last question deleted";
            break;
        default:
            if (edited.QuestionCount < MaxModelQuestions) {
                const int added = ++edited.QuestionCount;
                edited.QuestionText[added] = "new";
                edited.ChoiceCount[added] = pick(1, 8);
                edited.MultiSelect[added] = edited.ChoiceCount[added] >= 2 && chance(40);
            }
            what = "question added";
            break;
        }
        test::RecordedEvents events;
        applyQuestionnaire(doc, edited, events);
        doc.CurrentQuestion = std::clamp(doc.CurrentQuestion, 1, std::max(doc.QuestionCount, 1));
        hitoribun(doc);
        return "edit: " + what;
    }

    std::string link() {
        SurveyDocument& doc = *doc_;
        if (doc.LinkedTallyFileCount >= MaxModelLinks) return "link: enough";
        WrittenTallyFile written;
        const int lines = pick(1, MaxModelQuestions);
        const int columns = pick(1, 8);
        QByteArray file = "t,,x\r\n\r\n  ,\"header\"\r\n";
        for (int q = 1; q <= lines; ++q) {
            std::vector<int> cells;
            QByteArray line = QByteArray::number(q).rightJustified(2) + ",\"Q\"";
            for (int c = 1; c <= columns; ++c) {
                cells.push_back(pick(0, 20));
                line += ',' + QByteArray::number(cells.back()).rightJustified(4);
            }
            written.ng.push_back(pick(0, 5));
            line += ',' + QByteArray::number(written.ng.back()).rightJustified(4);
            written.cells.push_back(cells);
            file += line + "\r\n";
        }
        file += "\r\nother.dat by VEV\r\n";
        const QString name = QStringLiteral("linked%1.csv").arg(++fileNumber_);
        const std::string path = test::native(folder_ + QLatin1Char('/') + name);
        if (!test::writeFile(QString::fromStdString(path), file)) return "link: not written";
        files_[name.toStdString()] = written;
        doc.CurrentTallyFilePath = path;
        test::RecordedEvents events;
        csvRead(doc, events);
        doc.Modified = true;
        return "link " + name.toStdString() + " (" + std::to_string(lines) + " lines, " +
               std::to_string(columns) + " columns)";
    }

    std::string unlink() {
        SurveyDocument& doc = *doc_;
        if (doc.LinkedTallyFileCount == 0) return "unlink: none";
        const std::string path = doc.LinkedTallyFile[pick(1, doc.LinkedTallyFileCount)];
        test::RecordedEvents events;
        unlinkTallyFile(doc, path, events);
        return "unlink " + path;
    }

    std::string saveAndLoad() {
        SurveyDocument& doc = *doc_;
        hozon(doc, QStringLiteral("2026/12/07"));
        auto loaded = std::make_unique<SurveyDocument>();
        loaded->OpenRequestPath = doc.DataFilePath;
        test::RecordedEvents events;
        if (Loaddatafile(*loaded, events) != LoadOutcome::Loaded) return "save and load: refused";
        if (!events.notices.isEmpty())
            return "save and load: notice " + events.notices.first().toStdString();
        for (int q = 1; q <= doc.QuestionCount; ++q)
            for (int c = 1; c <= TallySlots; ++c)
                if (loaded->Tally[q][c] != doc.Tally[q][c])
                    return "save and load: Tally[" + std::to_string(q) + "][" + std::to_string(c) +
                           "] " + std::to_string(doc.Tally[q][c]) + " -> " +
                           std::to_string(loaded->Tally[q][c]);
        doc_ = std::move(loaded);
        return "save and load";
    }

    // What the stored answers and the linked files give, counted here.
    Table expected() const {
        const SurveyDocument& doc = *doc_;
        Table table(MaxQuestions + 1);
        for (auto& row : table) row.fill(0);
        for (int q = 1; q <= doc.QuestionCount; ++q) {
            const int k = doc.ChoiceCount[q];
            for (int r = 1; r <= doc.RespondentCount; ++r) {
                const std::string_view answer = doc.Answers[r][q].view();
                for (std::size_t i = 0; i < answer.size() && i < 8 && answer[i] != '0'; ++i) {
                    const int d = answer[i] - '0';
                    if (k >= 2 || d == 9)
                        ++table[q][d];
                    else
                        table[q][1] += d;
                }
            }
        }
        int columns = 1;
        for (int q = 1; q <= doc.QuestionCount; ++q)
            columns = std::max(columns, doc.ChoiceCount[q]);
        columns = std::min(columns, TallySlots);
        for (int i = 1; i <= doc.LinkedTallyFileCount; ++i) {
            const auto found = files_.find(nameOf(doc.LinkedTallyFile[i]));
            if (found == files_.end()) continue; // check() reports the stray link
            const WrittenTallyFile& written = found->second;
            for (int q = 1; q <= doc.QuestionCount && q <= int(written.cells.size()); ++q) {
                const std::vector<int>& cells = written.cells[std::size_t(q - 1)];
                const int own = std::min(doc.ChoiceCount[q], columns);
                for (int c = 1; c <= own && c <= int(cells.size()); ++c)
                    table[q][c] += cells[std::size_t(c - 1)];
                // More cells than the survey reads leave commas in the NG cell, which is then 0.
                if (columns >= int(cells.size()))
                    table[q][NgSlot] += written.ng[std::size_t(q - 1)];
            }
        }
        return table;
    }

    std::string check() const {
        const SurveyDocument& doc = *doc_;
        for (int i = 1; i <= doc.LinkedTallyFileCount; ++i)
            if (files_.count(nameOf(doc.LinkedTallyFile[i])) == 0)
                return "unknown link " + doc.LinkedTallyFile[i];
        const Table want = expected();
        for (int q = 1; q <= MaxModelQuestions + 1; ++q)
            for (int c = 1; c <= TallySlots; ++c)
                if (doc.Tally[q][c] != want[q][c])
                    return "Tally[" + std::to_string(q) + "][" + std::to_string(c) + "] is " +
                           std::to_string(doc.Tally[q][c]) + ", answers and files give " +
                           std::to_string(want[q][c]);
        // Nothing of a deleted question is left, and no respondent after the last counts.
        for (int r = 1; r <= MaxModelRespondents + 1; ++r)
            for (int q = 1; q <= MaxModelQuestions + 1; ++q) {
                const AnswerString& answer = doc.Answers[r][q];
                const bool empty = answer.empty() || answer == "0";
                if ((q > doc.QuestionCount || r > doc.RespondentCount) && !empty)
                    return "answer of respondent " + std::to_string(r) + " to question " +
                           std::to_string(q) + " left: " + answer.str();
            }
        return {};
    }

    std::mt19937 random_;
    QString folder_;
    std::unique_ptr<SurveyDocument> doc_;
    std::map<std::string, WrittenTallyFile> files_;
    int fileNumber_ = 0;
    std::ostringstream log_;
};

} // namespace

class TestTallyModel : public QObject {
    Q_OBJECT

private slots:
    void countsFollowTheAnswers() {
        const auto first = static_cast<unsigned>(envNumber("VEV_MODEL_SEED", DefaultSeed));
        const int sequences = envNumber("VEV_MODEL_SEQUENCES", DefaultSequences);
        // Saving syncs every file to disk; a folder in memory keeps thousands of saves fast.
        const QString memory = QStringLiteral("/dev/shm");
        QTemporaryDir dir = QFileInfo(memory).isWritable()
                                ? QTemporaryDir(memory + QStringLiteral("/vev-model-XXXXXX"))
                                : QTemporaryDir();
        QVERIFY(dir.isValid());
        for (int i = 0; i < sequences; ++i) {
            const unsigned seed = first + static_cast<unsigned>(i);
            Sequence sequence(seed, dir.path());
            const std::string why = sequence.run();
            if (!why.empty()) {
                const QByteArray message =
                    "seed " + QByteArray::number(seed) +
                    " (rerun with VEV_MODEL_SEED=" + QByteArray::number(seed) +
                    " VEV_MODEL_SEQUENCES=1): " + QByteArray::fromStdString(why);
                QFAIL(message.constData());
            }
        }
        qInfo("%d sequences from seed %u", sequences, first);
    }
};

QTEST_GUILESS_MAIN(TestTallyModel)
#include "tst_tally_model.moc"
