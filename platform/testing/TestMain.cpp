// main() of every test program: an offscreen application object, then GoogleTest.
#include "DataAccess.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {
// Threads of this process other than the calling one.
int OtherThreads() { return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()) - 1; }
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    if (FirebirdWasUsed()) {
        ShutdownFirebird();
        // The client's event thread (and at times another thread of the
        // engine) outlives the shutdown, and LeakSanitizer's exit check
        // crashes on it. Only such a process ends without that check; every
        // other one ends normally, so faults of a normal exit show.
        if (FirebirdEventsWereUsed() || OtherThreads() > 0) {
            std::fflush(nullptr);
            std::_Exit(result);
        }
    }
    return result;
}
