#include "CmdLine.h"
#include "CodePages.h"
#include "CriticalSection.h"
#include "DebugOutput.h"
#include "MainThread.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "UIServices.h"

#include <QFile>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {
TEST(RegIniFile, KeysBecomeIniFilesUnderTheConfigHome) {
    EXPECT_EQ(TRegIniFile::FileForKey("/h", "Software\\Tessaline\\Boremont2"), "/h/Tessaline/Boremont2.ini");
    EXPECT_EQ(TRegIniFile::FileForKey("/h", "SOFTWARE\\Korva\\Plotmere\\"), "/h/Korva/Plotmere.ini");
}

TEST(RegIniFile, TypedValuesWithDefaultsAndSections) {
    TTempXdgHome home;
    TRegIniFile ini("Software\\Tessaline\\Boremont2");
    EXPECT_FALSE(ini.SectionExists("TCPClient"));
    EXPECT_EQ(ini.ReadString("TCPClient", "RemoteIP", "127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(ini.ReadInteger("TCPClient", "Port", 4150), 4150);
    ini.WriteString("TCPClient", "RemoteIP", "10.0.0.5");
    ini.WriteInteger("TCPClient", "Port", 4151);
    ini.WriteBool("TPipeCountService", "CasingDetached", true);
    ini.WriteFloat("X", "F", 2.5);
    ini.WriteString("RemoteServer", "ServerName", "Сервер");
    EXPECT_TRUE(QFile::exists(home.ConfigHome() + "/Tessaline/Boremont2.ini"));
    TRegIniFile again("Software\\Tessaline\\Boremont2");
    EXPECT_TRUE(again.SectionExists("TCPClient"));
    EXPECT_EQ(again.ReadString("TCPClient", "RemoteIP"), "10.0.0.5");
    EXPECT_EQ(again.ReadInteger("TCPClient", "Port", 0), 4151);
    EXPECT_TRUE(again.ReadBool("TPipeCountService", "CasingDetached"));
    EXPECT_DOUBLE_EQ(again.ReadFloat("X", "F"), 2.5);
    EXPECT_EQ(again.ReadString("RemoteServer", "ServerName"), "Сервер");
    again.WriteString("X", "Bad", "abc");
    EXPECT_EQ(again.ReadInteger("X", "Bad", 9), 9);
    again.EraseSection("TCPClient");
    EXPECT_FALSE(again.SectionExists("TCPClient"));
}

TEST(CodePages, AnsiAndOemRoundTrip) {
    const QString text = QStringLiteral("Глубина, м");
    const QByteArray ansi = EncodeCodePage(text, TCodePage::cpAnsi);
    EXPECT_EQ(static_cast<unsigned char>(ansi[0]), 0xC3);  // 'Г' in windows-1251
    EXPECT_EQ(DecodeCodePage(ansi, TCodePage::cpAnsi), text);
    const QByteArray oem = EncodeCodePage(text, TCodePage::cpOem);
    EXPECT_EQ(static_cast<unsigned char>(oem[0]), 0x83);  // 'Г' in IBM866
    EXPECT_EQ(DecodeCodePage(oem, TCodePage::cpOem), text);
    EXPECT_EQ(EncodeCodePage(QStringLiteral("a€文"), TCodePage::cpOem), QByteArray("a??"));
}

TEST(CmdLine, SwitchesTakeMinusOrSlashInAnyCase) {
    const QStringList args{"-debug", "/DevMode", "file.sf2", "--x", "NOBOOST"};
    EXPECT_TRUE(FindCmdLineSwitch(args, "DEBUG"));
    EXPECT_TRUE(FindCmdLineSwitch(args, "DEVMODE"));
    EXPECT_FALSE(FindCmdLineSwitch(args, "NOBOOST"));
    EXPECT_FALSE(FindCmdLineSwitch(args, "x"));
}

TEST(CriticalSection, ReentrantAndTryEnterFromOtherThread) {
    TCriticalSection cs;
    cs.Enter();
    EXPECT_TRUE(cs.TryEnter());  // re-entrant on the owning thread
    bool otherGot = true;
    std::thread([&] { otherGot = cs.TryEnter(); }).join();
    EXPECT_FALSE(otherGot);
    cs.Leave();
    cs.Leave();
    std::thread([&] {
        otherGot = cs.TryEnter();
        if (otherGot) cs.Leave();
    }).join();
    EXPECT_TRUE(otherGot);
}

TEST(MainThread, QueuedAndBlockingHandOver) {
    std::atomic<int> ran{0};
    SynchronizeWithMainThread([&] { ++ran; });  // inline on the main thread
    EXPECT_EQ(ran, 1);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        QueueToMainThread([&] { ++ran; });
        SynchronizeWithMainThread([&] { EXPECT_TRUE(IsMainThread()); ++ran; });
        done = true;
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return done.load(); }, 1000000));
    worker.join();
    EXPECT_EQ(ran, 3);
}

TEST(MainThread, BlockingHandOverCarriesExceptions) {
    std::atomic<bool> done{false};
    bool caught = false;
    std::thread worker([&] {
        try {
            SynchronizeWithMainThread([] { throw std::runtime_error("x"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
        done = true;
    });
    ProcessEventsUntil([&] { return done.load(); }, 1000000);
    worker.join();
    EXPECT_TRUE(caught);
}

TEST(DebugOutput, CaptureNestsAndCounts) {
    TDebugOutputCapture outer;
    OutputDebugString("one");
    {
        TDebugOutputCapture inner;
        OutputDebugString("two");
        EXPECT_EQ(inner.Lines(), QStringList{"two"});
    }
    OutputDebugString("one more");
    EXPECT_EQ(outer.Count("one"), 2);
    EXPECT_FALSE(outer.Contains("two"));
}

TEST(UIServices, HeadlessDefaultAndScriptedDouble) {
    auto scripted = std::make_shared<TScriptedUIServices>();
    scripted->MessageResults.push_back(mrNo);
    scripted->InputAnswers.push_back("host1");
    auto previous = SetUIServices(scripted);
    EXPECT_EQ(MessageDlg("Удалить?", mtConfirmation, mbYes | mbNo), mrNo);
    QString v;
    EXPECT_TRUE(UIServices().InputQuery("c", "p", v));
    EXPECT_EQ(v, "host1");
    EXPECT_FALSE(UIServices().InputQuery("c", "p", v));
    EXPECT_EQ(scripted->Messages, QStringList{"Удалить?"});
    scripted->Player.Busy = true;
    UIServices().Sound().Play("a", true);
    UIServices().Sound().Play("b", false);
    EXPECT_EQ(scripted->Player.Played, QStringList{"b"});
    SetUIServices(previous);
    TDebugOutputCapture cap;
    EXPECT_EQ(MessageDlg("hello", mtError, mbOK), mrOk);
    EXPECT_TRUE(cap.Contains("hello"));
}
}  // namespace
