#include "cli/tally_cli.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char* argv[]) {
    // Only the report draws (its charts and fonts need a QApplication); it never needs a
    // display, so it draws offscreen unless a platform is asked for.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vev-tally"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return vev::runTallyCli(QCoreApplication::arguments().mid(1), out, err);
}
