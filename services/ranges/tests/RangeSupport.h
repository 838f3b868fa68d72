#pragma once
// The fixture of the limit-alarm tests: a temporary home holding a copy of the
// default WK.db (the local configuration database the service opens), a
// program named as the test chooses, scripted UI services (sounds, dialogs),
// a secondary group without services whose notifier hears seAlert, and a
// "SrcTime" stream that the test fills one tick at a time.
#include "RangeAlarmService.h"
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "WKServices.h"
#include "dm_Service.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join("|").toStdString() << ']'; }

// Hears the alarm texts passed on the bus.
class TAlertListener : public QObject, public IWKNotification {
public:
    void Notify(TServiceEvent Event, void* Sender) override {
        if (Event == seAlert && Sender) Alerts << *static_cast<const QString*>(Sender);
    }
    QStringList Alerts;
};

// What the user looks at, kept when the run asks for it.
inline void SaveArtifact(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    w.grab().save(dir + "/" + name + ".png");
}

class RangeFixture : public ::testing::Test {
protected:
    void SetUp() override { Init(QStringLiteral("Welvista2")); }
    void TearDown() override {
        Service.reset();
        if (SecondaryServices) SecondaryServices->RemoveNotification(&Listener);
        SecondaryServices.reset();
        SetServiceLoader(PreviousLoader);
        TdmService::SetCurrent(nullptr);
        Module.reset();
        SetUIServices(PreviousUI);
        Hints().ClearHints();
        InitWKConsts({}, BinDir() + QStringLiteral("/Welvista2"));
    }

    // The program's name decides whether it is the acquisition program.
    void Init(const QString& Program) {
        const QString dir = Home.DataHome() + QStringLiteral("/Tessaline");
        QDir().mkpath(dir);
        DbPath = dir + QStringLiteral("/WK.db");
        if (!QFile::exists(DbPath)) {
            ASSERT_TRUE(QFile::copy(BinDir() + "/LocalDB/WK.db", DbPath));
        }
        QFile::setPermissions(DbPath, QFile::ReadOwner | QFile::WriteOwner);
        InitWKConsts({}, BinDir() + QStringLiteral("/") + Program);
        ASSERT_EQ(WKLocalDatabasePath(), DbPath);
        // Alarm datagrams of these tests stay on this machine: port 9 (discard)
        // unless a test listens itself.
        if (WKRegIniFile().ReadString("UDP", "Address").isEmpty()) {
            WKRegIniFile().WriteString("UDP", "Address", "127.0.0.1");
            WKRegIniFile().WriteInteger("UDP", "Port", 9);
        }
        if (!Module) {
            Module.emplace(DbPath);
            TdmService::SetCurrent(&*Module);
        }
        if (!PreviousUI) PreviousUI = SetUIServices(UI);
        Hints().ClearHints();
        if (!SecondaryServices) {
            // A group without services: only its notifier, for the listener.
            PreviousLoader = SetServiceLoader({[] { return std::vector<TServiceRow>{}; }, {}, {}});
            SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
            SecondaryServices->AddNotification(&Listener);
        }
    }

    // Rows of the active set, as SQL values after ProfileID and GID.
    void AddRow(int gid, const QString& values) {
        Module->dbService().Exec(QStringLiteral("INSERT INTO Ranges VALUES (-1, %1, %2)").arg(gid).arg(values));
    }

    // The service on a "SrcTime" stream with sensors 0 and the given GIDs, bound, its clock ours.
    TRangeAlarmService& Start(const QList<int>& gids = {101}) {
        Service = std::make_unique<TRangeAlarmService>();
        Service->Now = [this] { return Clock; };
        Service->StartTime = 46000;  // the stream's first record
        Streams = std::make_unique<TWKStreamList>();
        auto stream = std::make_unique<TSensorDataStream>(0, QStringLiteral("Time1s.1"), QStringLiteral("Time1s"),
                                                          QStringLiteral("SrcTime"), 1000, true, 2000);
        stream->AddSensor(0);
        for (int gid : gids) stream->AddSensor(gid);
        Stream = Streams->Add(std::move(stream));
        Service->Notify(seBindStreams, Streams.get());
        return *Service;
    }

    // One record per value of sensor gid (NaN: an error sample), then a tick.
    void Tick(const std::vector<double>& values, int gid = 101) {
        for (double v : values) {
            Stream->AddRecord();
            const int i = Stream->GetDataCount() - 1;
            Stream->GetSensor(0)->SetValue(i, 46000 + i / 86400.0);
            if (std::isnan(v)) Stream->GetSensor(gid)->SetState(i, ssError);
            else Stream->GetSensor(gid)->SetValue(i, v);
        }
        Service->Notify(sePostData, SecondaryServices.get());
        Stream->ResetNewCount();
    }

    QStringList HintTexts() const {
        QStringList texts;
        for (int i = 0; i < Hints().GetCount(); ++i) texts << Hints().GetHint(i).Message;
        return texts;
    }
    QStringList Played() const { return UI->Player.Played; }
    QString Sound(const QString& name) const { return WKSoundsPath() + name + QStringLiteral(".wav"); }

    TTempXdgHome Home;
    QString DbPath;
    std::optional<TdmService> Module;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI;
    TServiceLoader PreviousLoader;
    TAlertListener Listener;
    std::unique_ptr<TRangeAlarmService> Service;
    std::unique_ptr<TWKStreamList> Streams;
    TSensorDataStream* Stream = nullptr;
    qint64 Clock = 1'000'000;
};
