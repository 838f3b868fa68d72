// The activation layer on its own: checked calls, reference counting, class
// factories and the registration entries.
#include "ComServer.h"
#include "RegIniFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {
struct IProbe : IUnknown {
    static inline const TGUID IID{0x1A2B3C4D, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
    virtual HRESULT Probe(int* value) = 0;

protected:
    ~IProbe() = default;
};

const TGUID ProbeClass{0x1A2B3C4D, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};

class TProbe final : public TComObject<IProbe> {
public:
    explicit TProbe(TComServer& server, bool fail = false) : TComObject<IProbe>(server) {
        if (fail) throw Exception("probe refused");
    }
    HRESULT Probe(int* value) override {
        return SafeCall("TProbe", [&] {
            if (!value) throw EOleSysError("no out parameter", E_POINTER);
            *value = 42;
        });
    }
};

TEST(ComServer, CheckedCallsCarryTheCalleesMessage) {
    EXPECT_NO_THROW(OleCheck(S_OK));
    EXPECT_NO_THROW(OleCheck(S_FALSE));
    const HRESULT hr = SafeCall("TCaller", [] { throw Exception("Parameter not found"); });
    EXPECT_EQ(hr, E_UNEXPECTED);
    try {
        OleCheck(hr);
        ADD_FAILURE();
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message(), "Parameter not found");
        EXPECT_EQ(e.Source(), "TCaller");
        EXPECT_EQ(e.ErrorCode(), E_UNEXPECTED);
    }
    // The information is taken once; a later failure without any gets the code's text.
    try {
        OleCheck(REGDB_E_CLASSNOTREG);
        ADD_FAILURE();
    } catch (const EOleException&) {
        ADD_FAILURE() << "stale error information";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.Message(), "Class not registered");
    }
    // A failure with its own code keeps it; a success clears what an earlier call left.
    EXPECT_EQ(SafeCall("T", [] { throw EOleSysError("x", E_POINTER); }), E_POINTER);
    EXPECT_EQ(SafeCall("T", [] {}), S_OK);
    QString source, description;
    EXPECT_FALSE(GetErrorInfo(source, description));
}

TEST(ComServer, ObjectsAndFactoriesCountTowardsUnloading) {
    static int anchor;
    TComServer server("Probe", TGUID(), &anchor);
    bool refuse = false;
    TComObjectFactory factory(server, ProbeClass, "Probe", "Probe Object", "Apartment",
                              [&]() -> IUnknown* { return new TProbe(server, refuse); });
    EXPECT_EQ(server.CanUnloadNow(), S_OK);

    TComPtr<IClassFactory> f;
    EXPECT_EQ(server.GetClassObject(TGUID::createUuid(), IClassFactory::IID, f.Receive()), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(server.GetClassObject(ProbeClass, IClassFactory::IID, f.Receive()), S_OK);

    TComPtr<IProbe> probe;
    ASSERT_EQ(f->CreateInstance(nullptr, IProbe::IID, probe.Receive()), S_OK);
    EXPECT_EQ(server.ObjectCount(), 1);
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    int v = 0;
    EXPECT_EQ(probe->Probe(&v), S_OK);
    EXPECT_EQ(v, 42);
    EXPECT_EQ(probe->Probe(nullptr), E_POINTER);
    ClearErrorInfo();

    TComPtr<IProbe> copy = probe;
    probe.Reset();
    EXPECT_EQ(server.ObjectCount(), 1);  // the copy still holds it
    EXPECT_FALSE(copy.As<IClassFactory>());
    EXPECT_TRUE(copy.As<IUnknown>());
    copy.Reset();
    EXPECT_EQ(server.ObjectCount(), 0);

    TComPtr<IUnknown> u;
    EXPECT_EQ(f->CreateInstance(f.Get(), IUnknown::IID, u.Receive()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(f->CreateInstance(nullptr, IClassFactory::IID, u.Receive()), E_NOINTERFACE);
    EXPECT_EQ(server.ObjectCount(), 0);

    refuse = true;
    EXPECT_TRUE(Failed(f->CreateInstance(nullptr, IProbe::IID, probe.Receive())));
    QString source, description;
    ASSERT_TRUE(GetErrorInfo(source, description));
    EXPECT_EQ(description, "probe refused");
    EXPECT_EQ(server.ObjectCount(), 0);

    f->LockServer(true);
    EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
    f->LockServer(false);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ComServer, RegistrationEntriesAndModulesThatCannotServe) {
    TTempXdgHome home;
    CoInitialize();
    TComPtr<IUnknown> obj;
    EXPECT_EQ(CoCreateInstance(ProbeClass, nullptr, IUnknown::IID, obj.Receive()), REGDB_E_CLASSNOTREG);

    RegisterComClass({ProbeClass, "Probe.Probe", "Probe Object", "Apartment", home.Path() + "/Missing.so", TGUID()});
    EXPECT_EQ(TRegIniFile(ComClassesKey).FileName(), home.ConfigHome() + "/Tessaline/Classes.ini");
    EXPECT_EQ(ComClassModule(ProbeClass), home.Path() + "/Missing.so");
    EXPECT_EQ(CoCreateInstance(ProbeClass, nullptr, IUnknown::IID, obj.Receive()), CO_E_DLLNOTFOUND);
    EXPECT_THROW(OleCheck(CO_E_DLLNOTFOUND), EOleException);  // "Module not found: ..."

    // A loadable library without the exports.
    const QString platformLib = ModuleFileOf(reinterpret_cast<const void*>(&CoInitialize));
    EXPECT_TRUE(platformLib.endsWith("libWKPlatformBase.so")) << platformLib.toStdString();
    RegisterComClass({ProbeClass, "Probe.Probe", "Probe Object", "Apartment", platformLib, TGUID()});
    const HRESULT hr = CoCreateInstance(ProbeClass, nullptr, IUnknown::IID, obj.Receive());
    EXPECT_EQ(hr, CO_E_ERRORINDLL);
    try {
        OleCheck(hr);
    } catch (const EOleException& e) {
        EXPECT_TRUE(e.Message().contains("DllGetClassObject"));
    }
    EXPECT_EQ(RegisterComServer(platformLib), CO_E_ERRORINDLL);
    ClearErrorInfo();
    EXPECT_EQ(RegisterComServer(home.Path() + "/Missing.so"), CO_E_DLLNOTFOUND);
    ClearErrorInfo();

    UnregisterComClass(ProbeClass, "Probe.Probe");
    EXPECT_TRUE(ComClassModule(ProbeClass).isEmpty());
    EXPECT_TRUE(TRegIniFile(ComClassesKey).ReadSections().isEmpty());
    CoUninitialize();
}
}  // namespace
