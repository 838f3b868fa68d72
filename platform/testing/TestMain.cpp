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
        // The Firebird engine leaves threads behind that LeakSanitizer's exit
        // check cannot stop; such a process ends without that check.
        ShutdownFirebird();
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
