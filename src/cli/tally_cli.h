#pragma once

#include <QStringList>
#include <QTextStream>

namespace vev {

// Exit statuses of vev-tally.
enum TallyExit {
    TallyOk = 0,         // the file loaded and the output was written
    TallyFailed = 1,     // the file was refused, or reading or writing failed
    TallyUsageError = 2, // the command line was not understood
    TallyDiffer = 3      // compare: the two files' answers differ
};

// The command-line companion: loads a survey data file with the core the window uses and
// writes its results file, print form, addition sheet, a cross table, a PDF report (which needs
// a QApplication) or a re-saved copy, or dumps the loaded document as JSON. args excludes the
// program name. Output goes to files (dump, and crosstab without -o: to out); notices, failures
// and usage go to err.
int runTallyCli(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace vev
