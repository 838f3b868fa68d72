#pragma once
// The setting of the gauge tests: the secondary services without service
// rows, three streams that hold one sensor, and the scripted UI services.
#include "TestSupport.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKServices.h"

#include <gtest/gtest.h>
#include <memory>

class GaugeBusTest : public ::testing::Test {
public:
    void SetUp() override {
        InitWKConsts({QStringLiteral("-DEBUG")}, BinDir() + QStringLiteral("/Welvista2"));
        PreviousLoader = SetServiceLoader({[] { return std::vector<TServiceRow>{}; }, nullptr, nullptr});
        SecondaryServices = std::make_unique<TSecondaryServices>(QStringLiteral("G"), false);
        Time = AddStream("Time1s.1001", "SrcTime", true);
        Depth = AddStream("Depth.1001", "Depth", false);
        Time2 = AddStream("Time1s.1002", "SrcTime", true);
        PreviousUI = SetUIServices(UI);
    }
    void TearDown() override {
        SetUIServices(PreviousUI);
        SecondaryServices.reset();
        SetServiceLoader(PreviousLoader);
        InitWKConsts({}, BinDir() + QStringLiteral("/Welvista2"));
    }
    TSensorDataStream* AddStream(const char* id, const char* dataClass, bool isTime) {
        auto s = std::make_unique<TSensorDataStream>(0, id, id, dataClass, 1, isTime, 100);
        s->AddSensor(0);
        s->AddSensor(Gid);
        return SecondaryServices->Streams().Add(std::move(s));
    }
    static void Push(TSensorDataStream* s, double v, TSensorState state = ssNormal) {
        s->AddRecord();
        s->GetSensor(Gid)->SetLast(v, state);
    }

    static constexpr int Gid = 1200;
    TTempXdgHome Home;
    TServiceLoader PreviousLoader;
    TSensorDataStream* Time = nullptr;
    TSensorDataStream* Depth = nullptr;
    TSensorDataStream* Time2 = nullptr;
    std::shared_ptr<TScriptedUIServices> UI = std::make_shared<TScriptedUIServices>();
    std::shared_ptr<IUIServices> PreviousUI;
};

