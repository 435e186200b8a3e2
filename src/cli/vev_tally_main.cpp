#include "analysis/charts_module.h"
#include "cli/tally_cli.h"
#include "model/vev_error.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char* argv[]) {
    // Only the report draws (its charts and fonts need a QApplication, which the charts module
    // makes: vev-tally itself links no Widgets); it never needs a display, so it draws offscreen
    // unless a platform is asked for.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        try {
            app = vev::charts::newApplication(argc, argv);
        } catch (const vev::VevError& error) {
            std::fprintf(stderr, "vev-tally: %s\n", error.what());
            return 1;
        }
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vev-tally"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return vev::runTallyCli(QCoreApplication::arguments().mid(1), out, err);
}
