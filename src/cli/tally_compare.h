#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vev {

// A command line that vev-tally compare does not understand; vev-tally shows it with the usage.
struct TallyCompareUsage {
    QString text;
};

// vev-tally compare A.dat B.dat [-o REPORT.csv]: args after "compare". Prints the summary on out
// and writes the differences report with -o; refusals and a different questionnaire go to err.
// Returns 0 when the answers agree, 3 when they differ, 1 when a file is refused, the
// questionnaires differ or the report cannot be written. Throws TallyCompareUsage.
int runTallyCompare(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace vev
