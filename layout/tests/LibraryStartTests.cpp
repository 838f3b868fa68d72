// What loading the layout library writes: its start lines are diagnostics,
// written only with the DEBUG switch. This test program, which links the
// library, runs one quick test of its own as a child process.
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(LayoutLibrary, WritesItsStartLinesOnlyWithTheDebugSwitch) {
    const QStringList quick{QStringLiteral("--gtest_filter=PrintDocument.PageSizeText")};
    const TProgramRun plain = RunProgram(QStringLiteral("layout_tests"), quick);
    ASSERT_TRUE(plain.Succeeded()) << plain.Err.toStdString();
    EXPECT_FALSE(plain.Err.contains("plugin manager init")) << plain.Err.toStdString();
    EXPECT_FALSE(plain.Err.contains("DataStructures init")) << plain.Err.toStdString();

    const TProgramRun debug = RunProgram(QStringLiteral("layout_tests"), quick + QStringList{QStringLiteral("-DEBUG")});
    ASSERT_TRUE(debug.Succeeded()) << debug.Err.toStdString();
    EXPECT_TRUE(debug.Err.contains("Welvista: plugin manager init")) << debug.Err.toStdString();
    EXPECT_TRUE(debug.Err.contains("Welvista: DataStructures init")) << debug.Err.toStdString();
}
