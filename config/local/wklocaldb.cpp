// wklocaldb <database file> <script folder>: makes the local configuration
// database from every *.sql file of the folder, applied in file-name order.
#include "Exceptions.h"
#include "WKLocalDB.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: wklocaldb <database file> <script folder>\n");
        return 2;
    }
    try {
        BuildLocalDatabase(args[1], LocalDatabaseScripts(args[2]));
    } catch (const Exception& e) {
        std::fprintf(stderr, "wklocaldb: %s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
