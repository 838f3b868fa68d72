// main() of every test program: an offscreen application object, then GoogleTest.
#include "DataAccess.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    if (FirebirdWasUsed()) {
        ShutdownFirebird();
        // The engine's threads (the client's event thread among them) end
        // while the process exits, and LeakSanitizer's exit check crashes on
        // them now and then, whatever their count looked like here. A process
        // that opened Firebird ends without that check; every other one ends
        // normally, so faults of a normal exit show.
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
