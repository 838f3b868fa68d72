// The module's exports: the class factory of SensMap and self-registration.
#include "SensMap.h"

namespace {
struct TMapexServer {
    TComServer Server;
    TComObjectFactory SensMapFactory;

    explicit TMapexServer(const void* moduleAddress)
        : Server(QStringLiteral("Mapex"), LIBID_Mapex, moduleAddress),
          SensMapFactory(Server, CLASS_SensMap, QStringLiteral("SensMap"), QStringLiteral("SensMap Object"),
                         QStringLiteral("Apartment"), [this]() -> IUnknown* { return new TSensMap(Server); }) {}
};

TMapexServer& Mapex() {
    static TMapexServer server(reinterpret_cast<const void*>(&Mapex));
    return server;
}
}  // namespace

extern "C" {
HRESULT DllGetClassObject(const TGUID& clsid, const TGUID& iid, void** obj) {
    return Mapex().Server.GetClassObject(clsid, iid, obj);
}

HRESULT DllCanUnloadNow() { return Mapex().Server.CanUnloadNow(); }

HRESULT DllRegisterServer() { return Mapex().Server.RegisterServer(); }

HRESULT DllUnregisterServer() { return Mapex().Server.UnregisterServer(); }
}
