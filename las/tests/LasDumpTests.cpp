// The lasdump tool, run as a program.
#include "LasTestSupport.h"
#include "TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Code;
    QByteArray Out, Err;
};

TRun RunLasdump(const QStringList& args) {
    QProcess p;
    p.start(BinDir() + "/lasdump", args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

const QByteArray Sample =
    "~V\r\nVERS. 2.0 : v\r\nWRAP. NO : w\r\n~W\r\nSTRT.M 1000.1 : s\r\nSTOP.M 1000.2 : e\r\nSTEP.M 0.1 : st\r\nNULL. -999.25 : n\r\n~C\r\nDEPT.M : d\r\nGR.GAPI : g\r\nGR. : again\r\n"
    "~A\r\n1000.1 0.3 -999.25\r\n1000.2 1e+21 7\r\n";

TEST(LasDump, PrintsNamesAndShortestValues) {
    TLasFiles files;
    const TRun r = RunLasdump({files.Write("s.las", Sample)});
    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    EXPECT_EQ(r.Out, "DEPT\tGR\tGR__1\n1000.1\t0.3\t\n1000.2\t1e+21\t7\n");
}

TEST(LasDump, UnreadableFileExitsWithOne) {
    TLasFiles files;
    const TRun r = RunLasdump({files.Write("bad.las", "~C\nDEPT.M :\n")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_TRUE(r.Err.contains("~ASCII Log data section not found")) << r.Err.constData();
    EXPECT_EQ(RunLasdump({files.Path("none.las")}).Code, 1);
}

TEST(LasDump, RewriteWritesWhatTheTableSaves) {
    TLasFiles files;
    const QString source = files.Write("s.las", Sample);
    for (const bool wrap : {false, true}) {
        SCOPED_TRACE(wrap);
        const QString out = files.Path(wrap ? "w.las" : "u.las");
        QStringList args{"--rewrite", out};
        if (wrap) args << "--wrap";
        const TRun r = RunLasdump(args << source);
        ASSERT_EQ(r.Code, 0) << r.Err.constData();
        EXPECT_EQ(TLasFiles::Read(source), Sample);
        const TStrictLas strict = ReadStrictLas20(TLasFiles::Read(out));
        ASSERT_TRUE(strict.Ok) << strict.Error;
        EXPECT_EQ(strict.Wrap, wrap);
        ASSERT_EQ(strict.Rows.size(), 2u);
        EXPECT_EQ(strict.Rows[1][1], 1e21);
        EXPECT_EQ(strict.Rows[0][2], -999.25);
        EXPECT_EQ(RunLasdump({out}).Out, RunLasdump({source}).Out);
    }
}

}  // namespace
