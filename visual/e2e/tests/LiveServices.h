#pragma once
// The setting of the live tests: a temporary home with a copy of the default
// local configuration, the acquisition simulator on loopback as the
// configured server, and the real service groups over that configuration.
#include "AcqSim.h"
#include "RegIniFile.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKServices.h"
#include "dm_Service.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

struct TLiveServices {
    // The simulator's records begin at start and its clock stands at now;
    // the groups are created but logging is not started.
    TLiveServices(TDateTime start, TDateTime now) {
        InitWKConsts({}, BinDir() + "/visual_e2e_tests");
        if (!QFile::copy(BinDir() + "/LocalDB/WK.db", Dir.path() + "/WK.db"))
            throw std::runtime_error("cannot copy the default configuration");
        Module = std::make_unique<TdmService>(Dir.path() + "/WK.db");
        TdmService::SetCurrent(Module.get());
        Sim = std::make_unique<TAcqSim>(AcqSimDefaultConfig(start));
        Sim->SetTime(now);
        Sim->Start();
        TRegIniFile reg(WKRegistryKey);
        reg.WriteString("TCPClient", "RemoteIP", "127.0.0.1");
        reg.WriteInteger("TCPClient", "Port", Sim->Port());
        TdmService& module = *Module;
        SetServiceLoader({[&module] { return ServiceRowsOf(module); },
                          [&module](const QString& name) { return module.GetMetaClass(name); }, nullptr});
        PrimaryServices = std::make_unique<TPrimarySerivces>("Welvista", false);
        SecondaryServices = std::make_unique<TSecondaryServices>("Welvista", false);
    }
    ~TLiveServices() {
        FreeServicesAndNetwork();
        SetServiceLoader({});
        TdmService::SetCurrent(nullptr);
    }
    TLiveServices(const TLiveServices&) = delete;
    TLiveServices& operator=(const TLiveServices&) = delete;

    TTempXdgHome Home;
    QTemporaryDir Dir;
    std::unique_ptr<TdmService> Module;
    std::unique_ptr<TAcqSim> Sim;
};
