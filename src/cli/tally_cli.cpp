#include "cli/tally_cli.h"

#include "cli/tally_compare.h"
#include "cli/tally_labels.h"

#include "linked/tally_file.h"
#include "model/core_events.h"
#include "model/data_file.h"
#include "model/output_target.h"
#include "model/linked_data.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/survey_document.h"
#include "model/text_file.h"
#include "model/vev_error.h"
#include "export/answer_csv.h"
#include "export/answer_export.h"
#include "export/answer_import.h"
#include "analysis/charts_module.h"
#include "model/survey_lock.h"
#include "analysis/cross_table.h"
#include "results/results_file.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

namespace vev {

namespace {

const char* const UsageText =
    "usage: vev-tally results DATAFILE [-o OUT] [--print] [--frac | --no-frac]\n"
    "                         [--base respondents|answers] [--date TEXT] [--add FILE.dat]...\n"
    "       vev-tally crosstab DATAFILE ROWQ COLQ [-o OUT.csv] [--percent row|col|total]\n"
    "                         [--frac | --no-frac] [--bom] [--labels] [--add FILE.dat]...\n"
    "       vev-tally sheet   DATAFILE OUT [--date TEXT]\n"
    "       vev-tally resave  DATAFILE OUT [--date TEXT]\n"
    "       vev-tally report  DATAFILE OUT.pdf [--date TEXT] [--add FILE.dat]...\n"
    "       vev-tally export  DATAFILE OUT [--format csv|sav] [--bom] [--add FILE.dat]...\n"
    "       vev-tally import  DATAFILE IN.csv [-o OUT.dat] [--date TEXT]\n"
    "       vev-tally dump    DATAFILE\n"
    "       vev-tally labels  DATAFILE [--from TEXTS.csv -o OUT.dat [--date TEXT]]\n"
    "       vev-tally compare A.dat B.dat [-o REPORT.csv]\n"
    "       vev-tally --help | --version\n";

const char* const HelpText =
    "\n"
    "Reads a VEV survey data file (.dat) the way the VEV window does and writes:\n"
    "  results  the results file (comma form), by default DATAFILE with the extension .csv;\n"
    "           --print writes the print form (spaces) to OUT instead, -o OUT is then required;\n"
    "           --frac / --no-frac override the percentage option stored in the file;\n"
    "           --base respondents|answers overrides what multi-select percentages divide by\n"
    "           (the respondents who answered, or the answers given)\n"
    "  crosstab question ROWQ broken down by question COLQ (numbers of choice or\n"
    "           multi-select questions) as UTF-8 CSV to OUT.csv, by default to standard\n"
    "           output: respondents per pair of answers, unanswered (無回答), NG and totals\n"
    "           (計, respondents counted once however many choices they gave); --percent gives\n"
    "           per cent of the row, the column or the whole table, whole or, as the file's\n"
    "           percentage option or --frac says, to one decimal (the total of row or column\n"
    "           per cents is the sum of the rounded cells); the first cell names the two\n"
    "           questions, the last line says what the totals count; --bom starts the file\n"
    "           with a UTF-8 byte order mark; --labels names the choices with their texts\n"
    "           (\"1 男性\") where the questionnaire has them\n"
    "  sheet    an empty addition sheet for the questionnaire to OUT\n"
    "  resave   the survey to OUT with the data file writer (and, when the file asks for it,\n"
    "           the results file beside OUT)\n"
    "  report   the results report to OUT.pdf: A4, a table of counts and percentages and a bar\n"
    "           chart for every question (needs no display)\n"
    "  export   the answers, one row per respondent, to OUT: CSV (UTF-8, with the codebook\n"
    "           beside it: OUT with its extension replaced by _codebook.csv) or an SPSS\n"
    "           system file (.sav); the format comes from OUT's extension unless --format\n"
    "           names it (a .sav comes with OUT.sps, the multiple-response sets to run in\n"
    "           SPSS or PSPP after opening it); --bom starts the CSV files with a UTF-8\n"
    "           byte order mark\n"
    "  import   the answers of IN.csv (the layout export writes: id, q<n> or q<n>_1..q<n>_k;\n"
    "           empty = unanswered, 9 = NG; UTF-8 or Shift-JIS) as new respondents after the\n"
    "           last one, saved to OUT.dat (default: DATAFILE itself); when any row is refused\n"
    "           every refused row is listed with its line number and nothing is written\n"
    "  dump     the loaded survey as one JSON object on standard output\n"
    "  labels   the question wordings and choice texts as UTF-8 CSV on standard output\n"
    "           (質問番号,選択肢番号,内容; choice 0 is the wording); with --from, the survey\n"
    "           with the texts of TEXTS.csv (same columns, every other text removed) to\n"
    "           OUT.dat; a bad line is refused by its number and nothing is written\n"
    "  compare  the answers of two keyings of the same questionnaire (double entry): the\n"
    "           summary on standard output, with -o every difference as UTF-8 CSV; exit\n"
    "           status 0 when they agree, 3 when they differ, 1 when a file is refused or\n"
    "           the questionnaires differ\n"
    "results, crosstab, report and export cover the data files DATAFILE links (its linked\n"
    "data files) with it; --add FILE.dat (repeatable) adds another data file of the same\n"
    "questionnaire for this run alone, without storing a link.\n"
    "--date TEXT is written wherever the files carry today's date (default: the system's short\n"
    "date). No command writes over the survey's data file or its linked tally files, nor,\n"
    "but results, over its results file. Notices go to standard error. Exit status: 0 done,\n"
    "1 file refused or failed, 2 usage.\n";

// Notices of the loader and the tally-file reader, one line each on standard error.
class StreamEvents : public CoreEvents {
public:
    explicit StreamEvents(QTextStream& err) : err_(err) {}
    void notice(const QString& text) override {
        QString line = text;
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        err_ << line << '\n';
        err_.flush();
    }
    void informationBeep() override {}
    void tallyChanged(int) override {}

private:
    QTextStream& err_;
};

struct Request {
    QString command;
    QStringList files;
    std::optional<QString> output; // -o
    std::optional<QString> texts;  // labels --from
    bool print = false;
    std::optional<bool> frac; // --frac / --no-frac
    std::optional<QString> date;
    std::optional<bool> respondentBase;      // --base
    CrossView crossView = CrossView::Counts; // --percent
    int crossQuestions[2] = {};              // crosstab: ROWQ, COLQ
    std::optional<ExportFormat> format;      // export --format
    bool byteOrderMark = false;              // export and crosstab --bom
    bool choiceTexts = false;                // crosstab --labels: "1 男性" header cells
    QStringList added;                       // --add FILE.dat
};

struct UsageError {
    QString text;
};

std::string nativePath(const QString& path) {
    return paths::fromQString(path);
}
QString fromNative(const std::string& path) {
    return paths::toQString(path);
}

// The path with the extension of its file name replaced by ".csv", appended when it has none.
QString withCsvExtension(const QString& path) {
    return fromNative(paths::withExtension(nativePath(path), ".csv"));
}

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

// Runs one write of target; a failure to read or write is reported with what and the path.
template <typename Write> void writing(const char* what, const QString& target, Write write) {
    try {
        write();
    } catch (const VevError& failure) {
        rethrowWithPath(failure, what, nativePath(target));
    }
}

Request parse(const QStringList& args) {
    Request req;
    req.command = args.value(0);
    const bool results = req.command == QStringLiteral("results");
    const bool dump = req.command == QStringLiteral("dump");
    const bool crosstab = req.command == QStringLiteral("crosstab");
    const bool exporting = req.command == QStringLiteral("export");
    const bool labels = req.command == QStringLiteral("labels");
    const bool report = req.command == QStringLiteral("report");
    const bool importing = req.command == QStringLiteral("import");
    if (!results && !dump && !crosstab && !exporting && !labels && !importing &&
        req.command != QStringLiteral("sheet") && req.command != QStringLiteral("resave") &&
        req.command != QStringLiteral("report"))
        throw UsageError{req.command.isEmpty()
                             ? QStringLiteral("no command given")
                             : QStringLiteral("unknown command '%1'").arg(req.command)};

    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&]() {
            if (i + 1 >= args.size()) throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
            return args[++i];
        };
        const auto onlyFor = [&](bool allowed) {
            if (!allowed)
                throw UsageError{QStringLiteral("%1 is not an option of %2").arg(arg, req.command)};
        };
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            req.files.append(arg);
        } else if (arg == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (arg == QStringLiteral("--add")) {
            onlyFor(results || crosstab || exporting || report);
            req.added.append(value());
        } else if (arg == QStringLiteral("-o")) {
            onlyFor(results || crosstab || labels || importing);
            req.output = value();
        } else if (arg == QStringLiteral("--from")) {
            onlyFor(labels);
            req.texts = value();
        } else if (arg == QStringLiteral("--print")) {
            onlyFor(results);
            req.print = true;
        } else if (arg == QStringLiteral("--frac") || arg == QStringLiteral("--no-frac")) {
            onlyFor(results || crosstab);
            const bool frac = arg == QStringLiteral("--frac");
            if (req.frac && *req.frac != frac)
                throw UsageError{QStringLiteral("--frac and --no-frac exclude each other")};
            req.frac = frac;
        } else if (arg == QStringLiteral("--base")) {
            onlyFor(results);
            const QString base = value();
            if (base != QStringLiteral("respondents") && base != QStringLiteral("answers"))
                throw UsageError{QStringLiteral("--base takes respondents or answers")};
            req.respondentBase = base == QStringLiteral("respondents");
        } else if (arg == QStringLiteral("--percent")) {
            onlyFor(crosstab);
            const QString view = value();
            if (view == QStringLiteral("row"))
                req.crossView = CrossView::RowPercent;
            else if (view == QStringLiteral("col"))
                req.crossView = CrossView::ColumnPercent;
            else if (view == QStringLiteral("total"))
                req.crossView = CrossView::TotalPercent;
            else
                throw UsageError{QStringLiteral("--percent takes row, col or total")};
        } else if (arg == QStringLiteral("--format")) {
            onlyFor(exporting);
            const QString name = value();
            req.format = exportFormatOf(QLatin1Char('.') + name);
            if (!req.format || name.size() != 3)
                throw UsageError{QStringLiteral("unknown format '%1' (csv or sav)").arg(name)};
        } else if (arg == QStringLiteral("--bom")) {
            onlyFor(exporting || crosstab);
            req.byteOrderMark = true;
        } else if (arg == QStringLiteral("--labels")) {
            onlyFor(crosstab);
            req.choiceTexts = true;
        } else if (arg == QStringLiteral("--date")) {
            onlyFor(!dump && !crosstab && !exporting);
            req.date = value();
        } else if (arg.startsWith(QStringLiteral("--date="))) {
            onlyFor(!dump && !crosstab && !exporting);
            req.date = arg.mid(7);
        } else {
            throw UsageError{QStringLiteral("unknown option '%1'").arg(arg)};
        }
    }

    const qsizetype wanted = (results || dump || labels) ? 1 : crosstab ? 3 : 2;
    if (importing && req.files.size() < wanted)
        throw UsageError{QStringLiteral("DATAFILE and IN.csv are both needed")};
    if (req.files.size() < wanted)
        throw UsageError{wanted == 1 ? QStringLiteral("DATAFILE missing")
                         : crosstab  ? QStringLiteral("DATAFILE, ROWQ and COLQ are all needed")
                                     : QStringLiteral("DATAFILE and OUT are both needed")};
    if (req.files.size() > wanted)
        throw UsageError{QStringLiteral("unexpected argument '%1'").arg(req.files[wanted])};
    if (req.print && !req.output) throw UsageError{QStringLiteral("--print needs -o OUT")};
    if (labels && req.texts.has_value() != req.output.has_value())
        throw UsageError{QStringLiteral("labels takes --from TEXTS.csv and -o OUT.dat together")};
    if (labels && !req.texts && req.date)
        throw UsageError{QStringLiteral("--date goes with --from")};
    for (int i = 0; crosstab && i < 2; ++i) {
        bool ok = false;
        req.crossQuestions[i] = req.files[i + 1].toInt(&ok);
        if (!ok)
            throw UsageError{QStringLiteral("'%1' is not a question number").arg(req.files[i + 1])};
    }
    if (exporting && !req.format) {
        req.format = exportFormatOf(req.files[1]);
        if (!req.format)
            throw UsageError{QStringLiteral("cannot tell the format of %1: use --format csv|sav")
                                 .arg(req.files[1])};
    }
    return req;
}

QJsonObject dumpDocument(const SurveyDocument& doc) {
    QJsonArray questions;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        QJsonObject question;
        question[QStringLiteral("Text")] = sjis::toQString(doc.QuestionText[q].view());
        question[QStringLiteral("ChoiceCount")] = doc.ChoiceCount[q];
        question[QStringLiteral("MultiSelect")] = doc.MultiSelect[q];
        question[QStringLiteral("Wording")] = sjis::toQString(doc.Texts.Wording[q].view());
        QJsonArray choiceTexts;
        for (int c = 1; c <= std::clamp(doc.ChoiceCount[q], 0, MaxTextChoices); ++c)
            choiceTexts.append(sjis::toQString(doc.Texts.Choice[q][c].view()));
        question[QStringLiteral("ChoiceTexts")] = choiceTexts;
        questions.append(question);
    }
    QJsonArray answers;
    const int shownRespondents =
        std::clamp(std::max(doc.RespondentCount, doc.CurrentRespondent), 0, MaxRespondents);
    for (int r = 1; r <= shownRespondents; ++r) {
        QJsonArray row;
        for (int q = 1; q <= doc.QuestionCount; ++q)
            row.append(sjis::toQString(doc.Answers[r][q].view()));
        answers.append(row);
    }
    QJsonArray tally;
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        QJsonArray counts;
        for (int c = 1; c <= TallySlots; ++c) counts.append(doc.Tally[q][c]);
        tally.append(counts);
    }
    QJsonArray linked;
    for (int i = 1; i <= doc.LinkedTallyFileCount; ++i)
        linked.append(fromNative(doc.LinkedTallyFile[i]));

    QJsonObject o;
    o[QStringLiteral("SurveyTitle")] = sjis::toQString(doc.SurveyTitle.view());
    o[QStringLiteral("QuestionCount")] = doc.QuestionCount;
    o[QStringLiteral("Questions")] = questions;
    o[QStringLiteral("RespondentCount")] = doc.RespondentCount;
    o[QStringLiteral("CurrentRespondent")] = doc.CurrentRespondent;
    o[QStringLiteral("CurrentQuestion")] = doc.CurrentQuestion;
    o[QStringLiteral("FirstOpenQuestion")] = doc.FirstOpenQuestion;
    o[QStringLiteral("Answers")] = answers;
    o[QStringLiteral("Tally")] = tally;
    o[QStringLiteral("LinkedTallyFiles")] = linked;
    o[QStringLiteral("Modified")] = doc.Modified;
    o[QStringLiteral("Frac1")] = doc.Frac1;
    o[QStringLiteral("WWrite")] = doc.WWrite;
    o[QStringLiteral("DataFilePath")] = fromNative(doc.DataFilePath);
    return o;
}

void setUpProgram(SurveyDocument& doc) {
    doc.VersionString = VevVersion;
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) dir = QDir::currentPath();
    doc.AppDirectory = nativePath(dir + QLatin1Char('/'));
    doc.PrintDirectory = doc.AppDirectory;
}

// The cross table of the questions named by the second and third arguments.
int crossTable(const Request& req, const SurveyDocument& doc, const QString& target,
               QTextStream& out, QTextStream& err) {
    for (const int q : req.crossQuestions) {
        const QString problem = crossQuestionProblem(doc, q);
        if (!problem.isEmpty()) {
            err << QStringLiteral("vev-tally: ") << problem << '\n';
            err.flush();
            return TallyFailed;
        }
    }
    const bool tenths = req.frac.value_or(doc.Frac1);
    const QByteArray csv =
        crossGridCsv(crossGrid(crossTabulate(doc, req.crossQuestions[0], req.crossQuestions[1]),
                               req.crossView, true, tenths, req.choiceTexts),
                     req.byteOrderMark);
    if (target.isEmpty()) {
        // The mark as a character: the stream writes it in UTF-8, ahead of the table.
        if (req.byteOrderMark) out << QChar(0xFEFF);
        out << QString::fromUtf8(csv.mid(req.byteOrderMark ? 3 : 0));
        out.flush();
    } else {
        writeOutputFile(nativePath(target), csv.toStdString());
    }
    return TallyOk;
}

// The texts of the survey to standard output, or the survey with the texts of a table to -o.
int labels(const Request& req, SurveyDocument& doc, const QString& date, QTextStream& out,
           QTextStream& err) {
    if (!req.texts) {
        out << QString::fromUtf8(textsCsv(doc));
        out.flush();
        return TallyOk;
    }
    QFile file(*req.texts);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) throwIoError(errno != 0 ? errno : ENOENT);
    const TextsTable table = readTextsCsv(file.readAll(), doc, QFileInfo(*req.texts).fileName());
    for (const QString& notice : table.Notices) err << notice << '\n';
    if (!table.Refusal.isEmpty()) {
        err << QStringLiteral("vev-tally: ") << table.Refusal << '\n';
        err.flush();
        return TallyFailed;
    }
    err.flush();
    doc.Texts = table.Texts;
    doc.DataFilePath = nativePath(QFileInfo(*req.output).absoluteFilePath());
    writeDataFile(doc, date);
    return TallyOk;
}

// The answers of the CSV file as new respondents, saved to target; nothing is written when any
// row is refused.
int importAnswers(const Request& req, SurveyDocument& doc, const QString& target,
                  const QString& date, QTextStream& err) {
    const ImportPreview preview = previewAnswerImportFile(doc, nativePath(req.files[1]));
    for (const ImportRefusal& refusal : preview.Refused)
        err << req.files[1] << ':' << refusal.Line << ": " << refusal.Reason << '\n';
    err.flush();
    if (!preview.Refused.empty()) return TallyFailed;
    SilentEvents silent;
    applyAnswerImport(doc, preview, silent);
    doc.DataFilePath = nativePath(QFileInfo(target).absoluteFilePath());
    hozon(doc, date);
    return TallyOk;
}

int run(const Request& req, QTextStream& out, QTextStream& err) {
    const QString dataFile = req.files[0];
    const QString date =
        req.date.value_or(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));

    const bool crosstab = req.command == QStringLiteral("crosstab");
    QString target;
    if (req.command == QStringLiteral("results"))
        target = req.output.value_or(withCsvExtension(dataFile));
    else if (crosstab)
        target = req.output.value_or(QString());
    else if (req.command == QStringLiteral("labels"))
        target = req.output.value_or(QString());
    else if (req.command == QStringLiteral("import"))
        target = req.output.value_or(dataFile);
    else if (req.command != QStringLiteral("dump"))
        target = req.files[1];
    auto doc = std::make_unique<SurveyDocument>();
    setUpProgram(*doc);
    doc->OpenRequestPath = nativePath(dataFile);
    StreamEvents events(err);
    // The load keeps the program's own settings (version, folders) that setUpProgram made.
    LoadOutcome loaded = LoadOutcome::Refused;
    writing("データファイルを読み込めません", dataFile,
            [&] { loaded = Loaddatafile(*doc, events); });
    if (loaded != LoadOutcome::Loaded) return TallyFailed;

    // Whatever is written must not replace the survey's own files (the results command may
    // replace its results file; import without -o adds to the data file itself). Export checks
    // its files itself.
    const bool importInPlace = req.command == QStringLiteral("import") && !req.output;
    if (!target.isEmpty() && req.command != QStringLiteral("export") && !importInPlace)
        checkOutputTarget(*doc, nativePath(target),
                          req.command == QStringLiteral("results") ? OutputRole::ResultsTable
                                                                   : OutputRole::Other);

    // A data file a window (or another command) holds is not written behind its back.
    const bool writesDataFile = req.command == QStringLiteral("resave") ||
                                req.command == QStringLiteral("import") ||
                                (req.command == QStringLiteral("labels") && req.output);
    FileLock lock;
    if (writesDataFile && !lock.take(nativePath(target))) {
        err << QStringLiteral("vev-tally: ") << target
            << QString::fromUtf8(" は別のウィンドウで開かれているため書き込めません（") << lock.holder()
            << QString::fromUtf8("）。") << '\n';
        err.flush();
        return TallyFailed;
    }

    for (const QString& added : req.added) {
        DataLinkCandidate candidate = readDataLink(*doc, nativePath(added));
        if (candidate.Refusal != DataLinkRefusal::None) {
            events.notice(candidate.Message);
            return TallyFailed;
        }
        linkDataFile(*doc, std::move(candidate.Link), events);
    }
    if (req.command == QStringLiteral("import")) return importAnswers(req, *doc, target, date, err);

    if (req.command == QStringLiteral("dump")) {
        out << QString::fromUtf8(QJsonDocument(dumpDocument(*doc)).toJson(QJsonDocument::Indented));
        out.flush();
        return TallyOk;
    }
    if (crosstab) return crossTable(req, *doc, target, out, err);
    if (req.command == QStringLiteral("labels")) return labels(req, *doc, date, out, err);
    if (req.command == QStringLiteral("results")) {
        if (req.frac) doc->Frac1 = *req.frac;
        if (req.respondentBase) doc->RBase1 = *req.respondentBase;
        if (req.print) {
            doc->ResultsSeparator = ' ';
            doc->ResultsQuote = ' ';
            writeOutputFile(nativePath(target), resultsFileContents(*doc, date));
        } else {
            doc->ResultsSeparator = ',';
            doc->ResultsQuote = '"';
            doc->ResultsFilePath = nativePath(target);
            writing("集計結果を書き込めません", target, [&] { csvhozon(*doc, date); });
        }
    } else if (req.command == QStringLiteral("export")) {
        exportAnswers(*doc, nativePath(target), *req.format, req.byteOrderMark);
    } else if (req.command == QStringLiteral("sheet")) {
        doc->CurrentTallyFilePath = nativePath(target);
        writing("追加集計シートを書き込めません", target, [&] { csvRhozon(*doc, date); });
    } else if (req.command == QStringLiteral("report")) {
        charts::writeResultsReport(*doc, nativePath(target), date);
    } else { // resave
        const QString absolute = QFileInfo(target).absoluteFilePath();
        // The results file that goes beside the copy must not be the copy itself.
        if (doc->WWrite && sameFile(withCsvExtension(absolute), absolute))
            throw UsageError{
                QStringLiteral("%1 would be overwritten by its own results file").arg(target)};
        const QString results = withCsvExtension(absolute);
        if (doc->WWrite) checkOutputTarget(*doc, nativePath(results), OutputRole::ResultsTable);
        doc->DataFilePath = nativePath(absolute);
        writing("データファイルを書き込めません", target, [&] { writeDataFile(*doc, date); });
        if (doc->WWrite) {
            doc->ResultsFilePath = nativePath(results);
            doc->ResultsSeparator = ',';
            doc->ResultsQuote = '"';
            writing("集計結果を書き込めません", results, [&] { csvhozon(*doc, date); });
        }
    }
    return TallyOk;
}

} // namespace

int runTallyCli(const QStringList& args, QTextStream& out, QTextStream& err) {
    const QString first = args.value(0);
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h")) {
        out << QString::fromUtf8(UsageText) << QString::fromUtf8(HelpText);
        out.flush();
        return TallyOk;
    }
    if (first == QStringLiteral("--version")) {
        out << QStringLiteral("vev-tally ") << QString::fromUtf8(VevVersion) << '\n';
        out.flush();
        return TallyOk;
    }
    try {
        if (first == QStringLiteral("compare")) return runTallyCompare(args.mid(1), out, err);
        return run(parse(args), out, err);
    } catch (const UsageError& e) {
        err << QStringLiteral("vev-tally: ") << e.text << '\n' << QString::fromUtf8(UsageText);
        err.flush();
        return TallyUsageError;
    } catch (const TallyCompareUsage& e) {
        err << QStringLiteral("vev-tally: ") << e.text << '\n' << QString::fromUtf8(UsageText);
        err.flush();
        return TallyUsageError;
    } catch (const VevError& e) {
        err << QString::fromUtf8(withFullStop(e.what())) << '\n';
        err.flush();
        return TallyFailed;
    }
}

} // namespace vev
