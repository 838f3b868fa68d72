// Checking new samples against the limits: crossings, delays, repeated
// sounds, rebinding and unusable samples, with the clock and sound player
// of the test; and what a raised alarm reaches.
#include "RangeSupport.h"

#include "WKMessages.h"

#include <cmath>
#include <limits>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// A sample of value 1 whose state is ssError.
constexpr double kBad = -1e300;
// In place of a tick: the streams are bound again.
constexpr qint64 kRebind = -1;

struct TTick {
    qint64 At;  // ms after the start, or kRebind
    std::vector<double> Values;
};

struct TCheckCase {
    const char* Name;
    double Min, Max;  // NaN: that side is off
    bool Continue;
    int Delay;
    std::vector<TTick> Ticks;
    QStringList Alerts;
    QStringList Sounds;  // names without extension, in order
};

// Sensor 101 ("Глубина") with sounds "Low" and "High".
QString Row(const TCheckCase& c) {
    auto limit = [](double v) { return std::isnan(v) ? QStringLiteral("NULL") : QString::number(v); };
    const int cont = c.Continue ? 1 : 0;
    return QStringLiteral("%1, %2, %3, %4, 'Low', 'High', %5, %5, %6, %6, 0, 0, 0, 0, 0, 0")
        .arg(std::isnan(c.Min) ? 0 : 1)
        .arg(std::isnan(c.Max) ? 0 : 1)
        .arg(limit(c.Min), limit(c.Max))
        .arg(cont)
        .arg(c.Delay);
}

class RangeCheck : public RangeFixture {
protected:
    void Run(const TCheckCase& c) {
        AddRow(101, Row(c));
        Start();
        for (const TTick& t : c.Ticks) {
            if (t.At == kRebind) {
                Service->Notify(seBindStreams, Streams.get());
                continue;
            }
            Clock = 1'000'000 + t.At;
            std::vector<double> values;
            for (double v : t.Values) values.push_back(v == kBad ? 1.0 : v);
            const int first = Stream->GetDataCount();
            for (double v : values) {
                Stream->AddRecord();
                const int i = Stream->GetDataCount() - 1;
                if (std::isnan(v)) Stream->GetSensor(101)->SetData(i, {NaN, ssNormal});
                else Stream->GetSensor(101)->SetValue(i, v);
            }
            for (size_t k = 0; k < t.Values.size(); ++k)
                if (t.Values[k] == kBad) Stream->GetSensor(101)->SetState(first + int(k), ssError);
            Service->Notify(sePostData, SecondaryServices.get());
            Stream->ResetNewCount();
        }
    }
};

TEST_F(RangeCheck, CrossingsDelaysAndRepeats) {
    const QString low = QStringLiteral("Параметр Глубина < 9.5 (%1)");
    const std::vector<TCheckCase> cases = {
        {"falling 10, 9, 8 alarms once at 9", 9.5, NaN, false, 60,
         {{0, {10, 9, 8}}, {1000, {8}}, {200000, {8, 7}}},
         {low.arg(9)}, {"Low"}},
        {"the sound repeats only more than the delay after the last one", 9.5, NaN, true, 60,
         {{0, {10, 9}}, {60000, {8}}, {60001, {8}}, {100000, {8}}, {120002, {8}}},
         {low.arg(9)}, {"Low", "Low", "Low"}},
        {"exactly the limit keeps repeating; above it stops; a new fall alarms", 9.5, NaN, true, 60,
         {{0, {10, 9}}, {61000, {9.5}}, {122001, {9.5}}, {130000, {9.6}}, {200000, {9.5}}, {200001, {9}}},
         {low.arg(9), low.arg(9)}, {"Low", "Low", "Low", "Low"}},
        {"upper 100: 100 is inside, 101 alarms", NaN, 100, false, 60,
         {{0, {99, 100}}, {1000, {101}}},
         {"Параметр Глубина > 100 (101)"}, {"High"}},
        {"a crossing exactly the delay after the alarm is suppressed, 1 ms later raised", 9.5, NaN, false, 60,
         {{0, {10, 9}}, {1000, {10}}, {60000, {9}}, {60000, {10}}, {60001, {9}}},
         {low.arg(9), low.arg(9)}, {"Low", "Low"}},
        {"the first sample after a rebind alarms unless within the delay", 9.5, NaN, false, 60,
         {{0, {8}}, {1000, {8}}, {kRebind, {}}, {61001, {8}}, {kRebind, {}}, {62000, {7}}},
         {low.arg(8), low.arg(8)}, {"Low", "Low"}},
        {"NaN and unusable samples are passed over", 9.5, NaN, false, 60,
         {{0, {10, NaN, kBad, 9}}, {1000, {kBad}}, {2000, {10, NaN}}, {3000, {kBad, 10}}},
         {low.arg(9)}, {"Low"}},
        {"both sides on one sensor", 9.5, 100, false, 0,
         {{0, {50, 101, 50, 5}}},
         {"Параметр Глубина > 100 (101)", low.arg(5)}, {"High", "Low"}},
        {"three significant digits", 1500, NaN, false, 60,
         {{0, {1600, 1234.5}}},
         {"Параметр Глубина < 1.5e+03 (1.23e+03)"}, {"Low"}},
    };
    for (const TCheckCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Run(c);
        EXPECT_EQ(Listener.Alerts, c.Alerts);
        EXPECT_EQ(HintTexts(), c.Alerts);
        QStringList sounds;
        for (const QString& s : c.Sounds) sounds << Sound(s);
        EXPECT_EQ(Played(), sounds);
        // The next case starts afresh.
        Service.reset();
        Module->dbService().Exec("DELETE FROM Ranges");
        Listener.Alerts.clear();
        UI->Player.Played.clear();
        Hints().ClearHints();
    }
}

TEST_F(RangeCheck, RepeatsNeverCutOffAPlayingSound) {
    // Both sides repeat their sounds every 10 s.
    AddRow(101, "1, 0, 9.5, NULL, 'Low', '', 1, 0, 10, 0, 0, 0, 0, 0, 0, 0");
    AddRow(1200, "0, 1, NULL, 100, '', 'High', 0, 1, 0, 10, 0, 0, 0, 0, 0, 0");
    Start({101, 1200});
    Tick({9}, 101);
    Tick({101}, 1200);
    EXPECT_EQ(Played(), QStringList({Sound("Low"), Sound("High")}));
    UI->Player.Played.clear();
    UI->Player.Busy = true;
    Clock += 20000;
    Tick({8}, 101);
    Tick({102}, 1200);
    EXPECT_TRUE(Played().isEmpty()) << Played().join('|').toStdString();
    UI->Player.Busy = false;
    Clock += 20000;
    Tick({8}, 101);
    Tick({102}, 1200);
    EXPECT_EQ(Played(), QStringList({Sound("Low"), Sound("High")}));
}

TEST_F(RangeCheck, SwitchingACheckForgetsTheLastAlarm) {
    AddRow(101, "1, 0, 9.5, NULL, '', '', 0, 0, 60, 0, 0, 0, 0, 0, 0, 0");
    Start();
    Tick({9});
    ASSERT_EQ(Listener.Alerts.size(), 1);
    TRangeCheckItem& item = *Service->Params().front();
    item.SetCheckMin(true);  // unchanged: nothing forgotten
    Clock += 1000;
    Tick({10, 9});
    EXPECT_EQ(Listener.Alerts.size(), 1);
    item.SetCheckMin(false);
    item.SetCheckMin(true);
    EXPECT_TRUE(std::isnan(item.PrevValue));
    Clock += 1000;
    Tick({9});
    EXPECT_EQ(Listener.Alerts.size(), 2);
}

TEST_F(RangeCheck, HistoryFromBeforeTheStartDoesNotAlarm) {
    AddRow(101, "1, 0, 9.5, NULL, '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    Start();
    // The first three records (46000 + 0..2 s) are history fetched at connect.
    Service->StartTime = 46000 + 3 / 86400.0 - 1e-9;
    Tick({12, 9, 8});
    EXPECT_TRUE(Listener.Alerts.isEmpty()) << Listener.Alerts.join('\n').toStdString();
    // The first record of the program's own time below the limit is told.
    Tick({9});
    EXPECT_EQ(Listener.Alerts, QStringList{"Параметр Глубина < 9.5 (9)"});
}

TEST_F(RangeCheck, AnUnboundItemIsSkipped) {
    // Sensor 1200 is in no stream of the list; 101 still alarms.
    AddRow(1200, "1, 0, 50, NULL, '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    AddRow(101, "1, 0, 9.5, NULL, '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    Start({101});
    ASSERT_EQ(Service->Params().size(), 2u);
    Tick({9});
    EXPECT_EQ(Listener.Alerts, QStringList{"Параметр Глубина < 9.5 (9)"});
}

TEST_F(RangeCheck, AlarmReachesHintLogAndBus) {
    QStringList logged;
    SetMessageLogWriter([&](int severity, const QString& cls, int id, const QString& text) {
        logged << QStringLiteral("%1/%2/%3 %4").arg(severity).arg(cls).arg(id).arg(text);
    });
    Init("Boremont");  // only the acquisition program writes the message log
    AddRow(101, "1, 1, 9.5, 20, '', '', 0, 0, 0, 0, 1, 0, 0, 0, 0, 0");
    // A sensor missing from the catalogue has an empty name.
    AddRow(99999, "0, 1, NULL, 1, '', '', 0, 0, 0, 0, 0, 1, 0, 0, 0, 0");
    Start({101, 99999});
    Tick({9, 21});
    Tick({2}, 99999);
    SetMessageLogWriter({});
    const QStringList texts{"Параметр Глубина < 9.5 (9)", "Параметр Глубина > 20 (21)", "Параметр  > 1 (2)"};
    EXPECT_EQ(Listener.Alerts, texts);
    ASSERT_EQ(Hints().GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const TWKHint h = Hints().GetHint(i);
        EXPECT_EQ(h.HintClass, hcWarning);
        EXPECT_EQ(h.Caption, "Выход значения параметра из заданного диапазона");
        EXPECT_EQ(h.Message, texts[i]);
    }
    // Only the sides with their log flag; the message log plays its warning sound.
    EXPECT_EQ(logged, QStringList({"2/8/1 " + texts[0], "2/8/1 " + texts[2]}));
}
}  // namespace
