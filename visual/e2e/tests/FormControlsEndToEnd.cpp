// A sensor grid and a sensor label read from component text, on live data:
// the simulator on loopback, the real service groups over the default
// configuration, ticks driven by hand.
#include "AcquisitionTestSupport.h"
#include "ChartTestSupport.h"
#include "LiveServices.h"
#include "Messages.h"
#include "WKFormText.h"
#include "WKSensGrid.h"
#include "WKSensorLabel.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 9) + EncodeTime(6, 0, 0, 0);
TDateTime At(double seconds) { return kStart + seconds / 86400.0; }

// A plain item (found by GID among the acquisition streams), an item of the
// depth stream (its ID takes the form's well suffix), a formula item, and a
// label of the depth.
const char* const LiveForm =
    "object Form: TWKPanel\r\n"
    "  Width = 500\r\n"
    "  Height = 200\r\n"
    "  object grid: TSensGrid\r\n"
    "    Width = 500\r\n"
    "    Height = 120\r\n"
    "    IsDateTime = True\r\n"
    "    Sensors = <\r\n"
    "      item\r\n"
    "        GID = 1200\r\n"
    "        Name = #1054#1073#1086#1088#1086#1090#1099\r\n"
    "        Precision = 1\r\n"
    "        Units = #1086#1073'/'#1084#1080#1085\r\n"
    "      end\r\n"
    "      item\r\n"
    "        A = 2.0\r\n"
    "        B = 1.0\r\n"
    "        GID = 101\r\n"
    "        Name = #1043#1083#1091#1073#1080#1085#1072' x2'\r\n"
    "        Precision = 2\r\n"
    "        StreamID = 'Depth'\r\n"
    "        Units = #1084\r\n"
    "      end\r\n"
    "      item\r\n"
    "        Name = #1057#1091#1084#1084#1072\r\n"
    "        Precision = 1\r\n"
    "        FormulaText = 'S101+S1200'\r\n"
    "      end>\r\n"
    "  end\r\n"
    "  object label: TWKSensorLabel\r\n"
    "    Left = 8\r\n"
    "    Top = 150\r\n"
    "    Sensor.GID = 101\r\n"
    "    Sensor.Name = #1043#1083#1091#1073#1080#1085#1072\r\n"
    "    Sensor.Precision = 1\r\n"
    "    Sensor.Units = #1084\r\n"
    "    ShowName = True\r\n"
    "  end\r\n"
    "end\r\n";

// The value as the user reads it: A × value + B with the precision's decimals, a blank and the units.
QString Shown(double value, double a, double b, int precision, const QString& units) {
    return QString::number(a * value + b, 'f', precision) + QLatin1Char(' ') + units;
}

double Newest(TSensorDataArray* a) { return a->GetValue(a->GetCount() - 1); }

TEST(FormControlsEndToEnd, FormControlsLive) {
    TLiveServices live(kStart, At(29.5));
    {
        std::unique_ptr<TComponentBase> form(StringToComponent(QString::fromLatin1(LiveForm), nullptr));
        auto* grid = form->FindComponentAs<TSensGrid>("grid");
        auto* label = form->FindComponentAs<TWKSensorLabel>("label");
        ASSERT_TRUE(grid && label);
        EXPECT_EQ(label->Caption(), "?");
        auto* root = qobject_cast<QWidget*>(form->Self());
        root->show();

        NotifyServices(seStartLogging, nullptr);
        TWKStreamList& list = SecondaryServices->Streams();
        const auto count = [&](const char* id) {
            TSensorDataStream* s = list.GetStreamByID(id);
            return s ? s->TotalCount() : -1;
        };
        const auto tickUntil = [&](int time1s, int depthRecords) {
            return WaitFor([&] {
                SecondaryServices->ProcessTimer();
                return count("Time1s.1001") >= time1s && count("Depth.1001") >= depthRecords;
            });
        };
        const auto cell = [&](int item) {
            QString text;
            TColor color = clNone;
            return grid->CellText(item, 1, text, color) ? text.trimmed() : QStringLiteral("-");
        };
        ASSERT_TRUE(tickUntil(30, 6));
        SecondaryServices->ProcessTimer();

        TSensorDataStream* time = list.GetStreamByID("Time1s.1001");
        TSensorDataStream* depth = list.GetStreamByID("Depth.1001");
        ASSERT_TRUE(time && depth);
        TSensorDataArray* rpm = list.FindSensor(1200, "SrcTime");
        TSensorDataArray* labelDepth = list.FindSensor(101, "SrcTime");
        ASSERT_TRUE(rpm && labelDepth);
        const auto expectNewest = [&] {
            EXPECT_EQ(cell(0), Shown(Newest(rpm), 1, 0, 1, "об/мин"));
            EXPECT_EQ(cell(2), Shown(Newest(time->GetSensor(101)) + Newest(time->GetSensor(1200)), 1, 0, 1, "").trimmed());
            EXPECT_EQ(label->Caption(), "Глубина " + Shown(Newest(labelDepth), 1, 0, 1, "м"));
        };
        expectNewest();
        // The depth item names its stream without a well: any well's will do.
        EXPECT_EQ(cell(1), Shown(Newest(depth->GetSensor(101)), 2, 1, 2, "м"));

        // A well change: the suffix is taken at once, the arrays change at the
        // next binding (a well without streams leaves the item unbound).
        BroadcastWKMessage(root, WM_WELLCHANGED, {}, QStringLiteral("1002"));
        EXPECT_EQ(grid->StreamSuffix(), "1002");
        EXPECT_EQ(grid->SensorList()->Items(1)->FYData, depth->GetSensor(101));
        NotifyServices(seBindStreams, nullptr);
        EXPECT_EQ(grid->SensorList()->Items(1)->FYData, nullptr);
        EXPECT_EQ(cell(1), "-");
        BroadcastWKMessage(root, WM_WELLCHANGED, {}, QStringLiteral("1001"));
        NotifyServices(seBindStreams, nullptr);
        EXPECT_EQ(grid->SensorList()->Items(1)->FYData, depth->GetSensor(101));

        // Later data: the newest values again.
        live.Sim->SetTime(At(59.5));
        ASSERT_TRUE(tickUntil(60, 12));
        SecondaryServices->ProcessTimer();
        expectNewest();
        EXPECT_EQ(cell(1), Shown(Newest(depth->GetSensor(101)), 2, 1, 2, "м"));
        SaveArtifact(root->grab().toImage(), "FormControlsLive");
    }
}
}  // namespace
