#include "cli/tally_compare.h"

#include "cli/tally_cli.h"
#include "double_entry/double_entry.h"
#include "model/output_target.h"
#include "model/paths.h"
#include "model/text_file.h"
#include "model/vev_error.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace vev {

int runTallyCompare(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList files;
    std::optional<QString> report;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            files.append(arg);
        } else if (arg == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (arg == QStringLiteral("-o")) {
            if (i + 1 >= args.size()) throw TallyCompareUsage{QStringLiteral("-o needs a value")};
            report = args[++i];
        } else {
            throw TallyCompareUsage{QStringLiteral("unknown option '%1'").arg(arg)};
        }
    }
    if (files.size() != 2)
        throw TallyCompareUsage{files.size() < 2
                                    ? QStringLiteral("compare needs A.dat and B.dat")
                                    : QStringLiteral("unexpected argument '%1'").arg(files[2])};
    SurveyForComparison a = readSurveyForComparison(paths::fromQString(files[0]));
    SurveyForComparison b =
        a.Doc ? readSurveyForComparison(paths::fromQString(files[1])) : SurveyForComparison();
    const QString refusal = a.Doc ? b.Refusal : a.Refusal;
    if (!refusal.isEmpty()) {
        err << refusal << '\n';
        err.flush();
        return TallyFailed;
    }
    const Comparison c = compareSurveys(*a.Doc, *b.Doc, QFileInfo(files[0]).fileName(),
                                        QFileInfo(files[1]).fileName());
    if (!c.questionnairesMatch()) {
        err << c.QuestionnaireDifference << '\n';
        err.flush();
        return TallyFailed;
    }
    if (report) {
        // The report is a table, never a survey: neither survey's own files may be replaced.
        checkOutputTarget(*a.Doc, paths::fromQString(*report), OutputRole::Other);
        checkOutputTarget(*b.Doc, paths::fromQString(*report), OutputRole::Other);
        const QByteArray bytes = differencesReport(c, *a.Doc);
        writeOutputFile(paths::fromQString(*report), bytes.toStdString());
    }
    for (const QString& line : comparisonSummary(c)) out << line << '\n';
    out.flush();
    return c.agree() ? TallyOk : TallyDiffer;
}

} // namespace vev
