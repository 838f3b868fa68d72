#include "ComServer.h"

#include "RegIniFile.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <map>
#include <mutex>

namespace {
struct TErrorInfo {
    bool Set = false;
    QString Source, Description;
};
thread_local TErrorInfo ThreadErrorInfo;
thread_local int ThreadInitCount = 0;

QString GuidText(const TGUID& g) { return g.toString(QUuid::WithBraces).toUpper(); }
QString ClassSection(const TGUID& clsid) { return QStringLiteral("CLSID\\") + GuidText(clsid); }

const QString DefaultValue = QStringLiteral("Default");
const QString InprocServerValue = QStringLiteral("InprocServer32");
const QString ThreadingModelValue = QStringLiteral("ThreadingModel");
const QString ProgIDValue = QStringLiteral("ProgID");
const QString TypeLibValue = QStringLiteral("TypeLib");
const QString ClsidValue = QStringLiteral("CLSID");

// Modules stay loaded for the life of the process, as packages do.
std::mutex ModulesLock;
std::map<QString, void*> LoadedModules;

HRESULT LoadModule(const QString& file, void*& handle) {
    const QFileInfo fi(file);
    if (!fi.exists()) {
        SetErrorInfo(QStringLiteral("CoCreateInstance"), QStringLiteral("Module not found: ") + file);
        return CO_E_DLLNOTFOUND;
    }
    const QString path = fi.absoluteFilePath();
    std::lock_guard lock(ModulesLock);
    auto it = LoadedModules.find(path);
    if (it != LoadedModules.end()) {
        handle = it->second;
        return S_OK;
    }
    handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* err = dlerror();
        SetErrorInfo(QStringLiteral("CoCreateInstance"),
                     QStringLiteral("Can't load module %1: %2").arg(file, QString::fromLocal8Bit(err ? err : "")));
        return CO_E_ERRORINDLL;
    }
    LoadedModules.emplace(path, handle);
    return S_OK;
}

template <class F>
HRESULT ModuleExport(const QString& file, const char* name, F& fn) {
    void* handle = nullptr;
    if (const HRESULT hr = LoadModule(file, handle); Failed(hr)) return hr;
    fn = reinterpret_cast<F>(dlsym(handle, name));
    if (!fn) {
        SetErrorInfo(QString::fromLatin1(name), QStringLiteral("%1 does not export %2").arg(file, QString::fromLatin1(name)));
        return CO_E_ERRORINDLL;
    }
    return S_OK;
}
}  // namespace

QString ComErrorText(HRESULT hr) {
    switch (hr) {
        case S_OK: return QStringLiteral("The operation completed successfully");
        case S_FALSE: return QStringLiteral("The operation completed with a false result");
        case E_NOTIMPL: return QStringLiteral("Not implemented");
        case E_NOINTERFACE: return QStringLiteral("Interface not supported");
        case E_POINTER: return QStringLiteral("Invalid pointer");
        case E_FAIL: return QStringLiteral("Unspecified error");
        case E_UNEXPECTED: return QStringLiteral("Catastrophic failure");
        case CLASS_E_NOAGGREGATION: return QStringLiteral("Class does not support aggregation");
        case CLASS_E_CLASSNOTAVAILABLE: return QStringLiteral("ClassFactory cannot supply requested class");
        case REGDB_E_CLASSNOTREG: return QStringLiteral("Class not registered");
        case CO_E_NOTINITIALIZED: return QStringLiteral("CoInitialize has not been called");
        case CO_E_DLLNOTFOUND: return QStringLiteral("DLL for class not found");
        case CO_E_ERRORINDLL: return QStringLiteral("Error in the DLL");
        case SELFREG_E_CLASS: return QStringLiteral("Error registering the classes");
        default: return QStringLiteral("Error 0x%1").arg(quint32(hr), 8, 16, QLatin1Char('0')).toUpper();
    }
}

void SetErrorInfo(const QString& source, const QString& description) {
    ThreadErrorInfo = {true, source, description};
}

void ClearErrorInfo() { ThreadErrorInfo = {}; }

bool GetErrorInfo(QString& source, QString& description) {
    if (!ThreadErrorInfo.Set) return false;
    source = ThreadErrorInfo.Source;
    description = ThreadErrorInfo.Description;
    ClearErrorInfo();
    return true;
}

void OleCheck(HRESULT hr) {
    if (Succeeded(hr)) return;
    QString source, description;
    if (GetErrorInfo(source, description)) throw EOleException(description, hr, source);
    throw EOleSysError(ComErrorText(hr), hr);
}

HRESULT HandleSafeCallException(const QString& source, const std::exception* e) {
    if (!e) {
        SetErrorInfo(source, QStringLiteral("Unknown exception"));
        return E_UNEXPECTED;
    }
    SetErrorInfo(source, ExceptionMessage(*e));
    if (auto* sys = dynamic_cast<const EOleSysError*>(e); sys && Failed(sys->ErrorCode())) return sys->ErrorCode();
    return E_UNEXPECTED;
}

HRESULT CoInitialize() { return ThreadInitCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (ThreadInitCount > 0) --ThreadInitCount;
}

HRESULT CoGetClassObject(const TGUID& clsid, const TGUID& iid, void** obj) {
    if (!obj) return E_POINTER;
    *obj = nullptr;
    ClearErrorInfo();
    if (ThreadInitCount == 0) return CO_E_NOTINITIALIZED;
    const QString module = ComClassModule(clsid);
    if (module.isEmpty()) return REGDB_E_CLASSNOTREG;
    TDllGetClassObject getClassObject = nullptr;
    if (const HRESULT hr = ModuleExport(module, "DllGetClassObject", getClassObject); Failed(hr)) return hr;
    return getClassObject(clsid, iid, obj);
}

HRESULT CoCreateInstance(const TGUID& clsid, IUnknown* outer, const TGUID& iid, void** obj) {
    if (!obj) return E_POINTER;
    *obj = nullptr;
    TComPtr<IClassFactory> factory;
    if (const HRESULT hr = CoGetClassObject(clsid, IClassFactory::IID, factory.Receive()); Failed(hr)) return hr;
    return factory->CreateInstance(outer, iid, obj);
}

void RegisterComClass(const TComClassRegistration& reg) {
    TRegIniFile ini(ComClassesKey);
    const QString section = ClassSection(reg.ClassID);
    ini.Update([&] {
        ini.EraseSection(section);
        ini.WriteString(section, DefaultValue, reg.Description);
        ini.WriteString(section, InprocServerValue, reg.ModuleFile);
        ini.WriteString(section, ThreadingModelValue, reg.ThreadingModel);
        if (!reg.ProgID.isEmpty()) ini.WriteString(section, ProgIDValue, reg.ProgID);
        if (!reg.TypeLib.isNull()) ini.WriteString(section, TypeLibValue, GuidText(reg.TypeLib));
        if (!reg.ProgID.isEmpty()) {
            ini.EraseSection(reg.ProgID);
            ini.WriteString(reg.ProgID, DefaultValue, reg.Description);
            ini.WriteString(reg.ProgID, ClsidValue, GuidText(reg.ClassID));
        }
    });
}

void UnregisterComClass(const TGUID& clsid, const QString& progID) {
    TRegIniFile ini(ComClassesKey);
    if (!ini.SectionExists(ClassSection(clsid)) && (progID.isEmpty() || !ini.SectionExists(progID))) return;
    ini.Update([&] {
        ini.EraseSection(ClassSection(clsid));
        if (!progID.isEmpty()) ini.EraseSection(progID);
    });
}

TComClassRegistration ComClassRegistration(const TGUID& clsid) {
    const TRegIniFile ini(ComClassesKey);
    const QString section = ClassSection(clsid);
    TComClassRegistration r;
    r.ModuleFile = ini.ReadString(section, InprocServerValue);
    if (r.ModuleFile.isEmpty()) return {};
    r.ClassID = clsid;
    r.Description = ini.ReadString(section, DefaultValue);
    r.ThreadingModel = ini.ReadString(section, ThreadingModelValue);
    r.ProgID = ini.ReadString(section, ProgIDValue);
    r.TypeLib = QUuid::fromString(ini.ReadString(section, TypeLibValue));
    return r;
}

QString ComClassModule(const TGUID& clsid) { return ComClassRegistration(clsid).ModuleFile; }

HRESULT RegisterComServer(const QString& moduleFile) {
    ClearErrorInfo();
    TDllRegisterServer fn = nullptr;
    if (const HRESULT hr = ModuleExport(moduleFile, "DllRegisterServer", fn); Failed(hr)) return hr;
    return fn();
}

HRESULT UnregisterComServer(const QString& moduleFile) {
    ClearErrorInfo();
    TDllUnregisterServer fn = nullptr;
    if (const HRESULT hr = ModuleExport(moduleFile, "DllUnregisterServer", fn); Failed(hr)) return hr;
    return fn();
}

QString ModuleFileOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

// ---- TComObjectFactory ------------------------------------------------------

TComObjectFactory::TComObjectFactory(TComServer& server, TGUID classID, QString className, QString description,
                                     QString threadingModel, TCreator creator)
    : FServer(server),
      FClassID(classID),
      FClassName(std::move(className)),
      FDescription(std::move(description)),
      FThreadingModel(std::move(threadingModel)),
      FCreator(std::move(creator)) {
    FServer.Add(*this);
}

HRESULT TComObjectFactory::QueryInterface(const TGUID& iid, void** obj) {
    if (!obj) return E_POINTER;
    if (iid == IUnknown::IID || iid == IClassFactory::IID) {
        *obj = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *obj = nullptr;
    return E_NOINTERFACE;
}

// The factory lives as long as its module; references to it are not counted.
uint32_t TComObjectFactory::AddRef() { return 2; }
uint32_t TComObjectFactory::Release() { return 1; }

HRESULT TComObjectFactory::CreateInstance(IUnknown* outer, const TGUID& iid, void** obj) {
    if (!obj) return E_POINTER;
    *obj = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* created = nullptr;
    const HRESULT hr = SafeCall(FClassName, [&] { created = FCreator(); });
    if (Failed(hr)) return hr;
    const TComPtr<IUnknown> object = TComPtr<IUnknown>::Attach(created);
    return object->QueryInterface(iid, obj);
}

HRESULT TComObjectFactory::LockServer(bool lock) {
    FServer.Lock(lock);
    return S_OK;
}

// ---- TComServer -------------------------------------------------------------

TComServer::TComServer(QString serverName, TGUID typeLib, const void* moduleAddress)
    : FServerName(std::move(serverName)), FTypeLib(typeLib), FModuleAddress(moduleAddress) {}

void TComServer::Add(TComObjectFactory& factory) { FFactories.push_back(&factory); }

QString TComServer::ModuleFile() const { return ModuleFileOf(FModuleAddress); }

HRESULT TComServer::GetClassObject(const TGUID& clsid, const TGUID& iid, void** obj) {
    if (!obj) return E_POINTER;
    *obj = nullptr;
    for (TComObjectFactory* f : FFactories)
        if (f->ClassID() == clsid) return f->QueryInterface(iid, obj);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT TComServer::CanUnloadNow() const { return FObjects == 0 && FLocks == 0 ? S_OK : S_FALSE; }

HRESULT TComServer::RegisterServer() {
    return SafeCall(FServerName + QStringLiteral(".DllRegisterServer"), [&] {
        const QString file = ModuleFile();
        if (file.isEmpty()) throw EOleSysError(QStringLiteral("The module's file is unknown"), SELFREG_E_CLASS);
        for (const TComObjectFactory* f : FFactories)
            RegisterComClass({f->ClassID(), FServerName + '.' + f->ClassName(), f->Description(), f->ThreadingModel(),
                              file, FTypeLib});
    });
}

HRESULT TComServer::UnregisterServer() {
    return SafeCall(FServerName + QStringLiteral(".DllUnregisterServer"), [&] {
        for (const TComObjectFactory* f : FFactories) UnregisterComClass(f->ClassID(), FServerName + '.' + f->ClassName());
    });
}
