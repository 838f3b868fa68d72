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

// The module is built with hidden symbols; the loader finds these by name.
#define WK_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

WK_MODULE_EXPORT HRESULT DllGetClassObject(const TGUID& clsid, const TGUID& iid, void** obj) {
    return Mapex().Server.GetClassObject(clsid, iid, obj);
}

WK_MODULE_EXPORT HRESULT DllCanUnloadNow() { return Mapex().Server.CanUnloadNow(); }

WK_MODULE_EXPORT HRESULT DllRegisterServer() { return Mapex().Server.RegisterServer(); }

WK_MODULE_EXPORT HRESULT DllUnregisterServer() { return Mapex().Server.UnregisterServer(); }
