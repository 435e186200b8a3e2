#include "app/tally_cli.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vev-tally"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return vev::runTallyCli(QCoreApplication::arguments().mid(1), out, err);
}
