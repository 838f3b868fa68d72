#include "DebugOutput.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKMessages.h"
#include "WKUtils.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {
TEST(WKConsts, SwitchesMapToAppModes) {
    const TWKAppModes m = ParseWKAppModes({"/disablenet", "-NoBoost", "-Debug", "/DEVMODE", "-servmode", "-unknown"});
    for (TWKAppMode a : {amNoNetwork, amNoBoost, amDebug, amDevMode, amServMode}) EXPECT_TRUE(m.Contains(a)) << a;
    EXPECT_TRUE(ParseWKAppModes({"DEBUG", "--DEBUG", "file"}).Empty());
}

TEST(WKConsts, DebugLogOnlyWithTheDebugSwitch) {
    TTempXdgHome home;
    TDebugOutputCapture cap;
    InitWKConsts({}, "/opt/wk/Welvista2");
    DebugLog("quiet line");
    EXPECT_FALSE(cap.Contains("quiet line"));
    InitWKConsts({"/dEbUg"}, "/opt/wk/Welvista2");
    DebugLog("loud line");
    EXPECT_TRUE(cap.Contains("loud line"));
    EXPECT_TRUE(cap.Contains("LocalDatabasePath: "));
    EXPECT_TRUE(DebugMode());
}

TEST(WKConsts, PathsAndMainApplication) {
    TTempXdgHome home;
    InitWKConsts({}, "/opt/wk/Welvista2");
    EXPECT_EQ(WKAppPath(), "/opt/wk/");
    EXPECT_FALSE(WKMainApplication());
    EXPECT_EQ(WKSoundsPath(), "/opt/wk/Sounds/");
    EXPECT_EQ(GetHomePath(), home.DataHome() + "/Tessaline/");
    EXPECT_EQ(WKIniFileName(), home.DataHome() + "/Tessaline/Boremont.ini");
    EXPECT_FALSE(QDir(home.DataHome() + "/Tessaline").exists());
    InitWKConsts({}, home.Path() + "/bin/Boremont.exe");
    EXPECT_TRUE(WKMainApplication());
    EXPECT_TRUE(QDir(home.DataHome() + "/Tessaline").exists());  // created for the acquisition program only
    InitWKConsts({}, "/opt/wk/boremont");
    EXPECT_FALSE(WKMainApplication());  // exact letter case
}

TEST(WKConsts, LocalDatabaseInHomeElseUnderProgramFolder) {
    TTempXdgHome home;
    TDebugOutputCapture cap;
    InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2");
    // Absent in the home folder: LocalDB under the program folder, existing or not.
    EXPECT_EQ(WKLocalDatabasePath(), "/opt/wk/LocalDB/WK.db");
    EXPECT_TRUE(cap.Contains("WK.mdb path not found: " + home.DataHome() + "/Tessaline/WK.db"));
    // Present: the home copy wins.
    QDir().mkpath(home.DataHome() + "/Tessaline");
    QFile f(home.DataHome() + "/Tessaline/WK.db");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2");
    EXPECT_EQ(WKLocalDatabasePath(), home.DataHome() + "/Tessaline/WK.db");
    EXPECT_TRUE(cap.Contains("WK.mdb path = " + WKLocalDatabasePath()));
}

TEST(WKUtils, FloatCeilAndFloor) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct { double X, Ceil, Floor; } cases[] = {
        {-2.5, -2, -3}, {2.5, 3, 2}, {3.0, 3, 3}, {-3.0, -3, -3}, {0.0, 0, 0}, {-0.1, 0, -1},
        {inf, inf, inf}, {-inf, -inf, -inf}, {1e300, 1e300, 1e300}, {-9.3e18, -9.3e18, -9.3e18},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FloatCeil(c.X), c.Ceil) << c.X;
        EXPECT_EQ(FloatFloor(c.X), c.Floor) << c.X;
    }
    EXPECT_TRUE(std::isnan(FloatCeil(std::nan(""))));
    EXPECT_TRUE(std::isnan(FloatFloor(std::nan(""))));
}

TEST(WKUtils, BHAItemIsComparesTheKindBitsAsMasks) {
    // The kind is passed as the bits themselves: 0x2000000 is the pipe kind.
    struct Case {
        unsigned code;
        unsigned kind;
        bool is;
    };
    for (const Case& c : {Case{0x2000000u, 0x2000000u, true}, Case{0x2000000u | 0x1FFFFFFu, 0x2000000u, true},
                          Case{0x80000000u | 0x2000000u, 0x2000000u, true}, Case{0x6000000u, 0x6000000u, true},
                          Case{0x6000000u, 0x2000000u, false}, Case{0x2000000u, 1u, false}, Case{0x1FFFFFFu, 0u, true},
                          Case{3u << 25, 3u, false}})
        EXPECT_EQ(BHAItemIs(static_cast<int>(c.code), static_cast<int>(c.kind)), c.is) << std::hex << c.code << " " << c.kind;
}

TEST(WKUtils, SelectComputerAsksForAHostName) {
    auto ui = std::make_shared<TScriptedUIServices>();
    ui->InputAnswers.push_back("  rig-db  ");
    auto prev = SetUIServices(ui);
    QString name = "old";
    EXPECT_TRUE(SelectComputer(name));
    EXPECT_EQ(name, "rig-db");
    EXPECT_FALSE(SelectComputer(name));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_TRUE(ui->Prompts.first().contains("Укажите компьютер с установленной базой Boremont"));
    SetUIServices(prev);
}

TEST(WKMessages, SeverityToSound) {
    TTempXdgHome home;
    InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2");
    auto ui = std::make_shared<TScriptedUIServices>();
    auto prev = SetUIServices(ui);
    for (int s = -1; s <= 4; ++s) LogMessage(s, "TTest", 1, "m");
    EXPECT_EQ(ui->Player.Played, QStringList({"/opt/wk/Sounds/Hint.wav", "/opt/wk/Sounds/User.wav",
                                              "/opt/wk/Sounds/Information.wav", "/opt/wk/Sounds/Warning.wav",
                                              "/opt/wk/Sounds/Error.wav"}));
    ui->Player.Played.clear();
    TDebugOutputCapture cap;
    LogMessage(5, "TTest", 1, "m");
    LogMessage(-2, "TTest", 1, "m");
    PlayWKSound(7);
    EXPECT_TRUE(ui->Player.Played.isEmpty());
    EXPECT_EQ(cap.Count("severity out of range"), 2);
    SetUIServices(prev);
}

TEST(WKMessages, LogIsWrittenOnlyInTheAcquisitionProgram) {
    TTempXdgHome home;
    QStringList written;
    SetMessageLogWriter([&](int s, const QString& c, int id, const QString& t) {
        written << QStringLiteral("%1 %2 %3 %4").arg(s).arg(c).arg(id).arg(t);
    });
    InitWKConsts({}, "/opt/wk/Welvista2");
    LogMessageSilent(2, "TA", 7, "x");
    EXPECT_TRUE(written.isEmpty());
    InitWKConsts({}, home.Path() + "/Boremont");
    LogMessageSilent(2, "TA", 7, "x");
    EXPECT_EQ(written, QStringList{"2 TA 7 x"});
    SetMessageLogWriter(nullptr);
    LogMessageSilent(2, "TA", 7, "x");
    EXPECT_EQ(written.size(), 1);
}
}  // namespace
