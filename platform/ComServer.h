#pragma once
// In-process servers: modules that export a class factory and register their
// classes themselves. A class ID maps to its module file in the settings
// ("Software\Tessaline\Classes", an INI file under XDG_CONFIG_HOME); the
// module's DllRegisterServer writes that entry and DllUnregisterServer removes
// it. Objects are abstract C++ interfaces with reference counting; a failure
// inside a method returns an error result and leaves its message as the
// thread's error information, which OleCheck turns back into an exception.
#include "Exceptions.h"

#include <QString>
#include <QUuid>
#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#pragma GCC visibility push(default)

using HRESULT = int32_t;
using TGUID = QUuid;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT E_POINTER = HRESULT(0x80004003u);
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFFu);
constexpr HRESULT CLASS_E_NOAGGREGATION = HRESULT(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HRESULT(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = HRESULT(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = HRESULT(0x800401F0u);
constexpr HRESULT CO_E_DLLNOTFOUND = HRESULT(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = HRESULT(0x800401F9u);
constexpr HRESULT SELFREG_E_CLASS = HRESULT(0x80040201u);

inline bool Succeeded(HRESULT hr) { return hr >= 0; }
inline bool Failed(HRESULT hr) { return hr < 0; }
// A readable text for the result codes above ("Class not registered").
QString ComErrorText(HRESULT hr);

// The base of every interface. Interfaces carry their ID as the static member IID.
struct IUnknown {
    static inline const TGUID IID{0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    virtual HRESULT QueryInterface(const TGUID& iid, void** obj) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown {
    static inline const TGUID IID{0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    virtual HRESULT CreateInstance(IUnknown* outer, const TGUID& iid, void** obj) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// An owning interface reference: AddRef on copy, Release on destruction.
template <class I>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    TComPtr(const TComPtr& other) : FPtr(other.FPtr) {
        if (FPtr) FPtr->AddRef();
    }
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(FPtr, other.FPtr);
        return *this;
    }
    ~TComPtr() { Reset(); }

    // Takes over a reference that the caller already owns.
    static TComPtr Attach(I* p) {
        TComPtr r;
        r.FPtr = p;
        return r;
    }
    void Reset() {
        if (FPtr) std::exchange(FPtr, nullptr)->Release();
    }
    // For out parameters: releases the current reference first.
    void** Receive() {
        Reset();
        return reinterpret_cast<void**>(&FPtr);
    }
    I* Get() const { return FPtr; }
    I* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }

    // Another interface of the same object, or null.
    template <class J>
    TComPtr<J> As() const {
        TComPtr<J> r;
        if (FPtr) FPtr->QueryInterface(J::IID, r.Receive());
        return r;
    }

private:
    I* FPtr = nullptr;
};

// Failures of calls through interfaces.
class EOleError : public Exception {
public:
    using Exception::Exception;
};
class EOleSysError : public EOleError {
public:
    EOleSysError(const QString& message, HRESULT code) : EOleError(message), FErrorCode(code) {}
    HRESULT ErrorCode() const { return FErrorCode; }

private:
    HRESULT FErrorCode;
};
// A failure that the called object described (its message and its class).
class EOleException : public EOleSysError {
public:
    EOleException(const QString& message, HRESULT code, QString source)
        : EOleSysError(message, code), FSource(std::move(source)) {}
    const QString& Source() const { return FSource; }

private:
    QString FSource;
};

// The error information of the calling thread: set by a failing method, taken
// (and cleared) by the caller.
void SetErrorInfo(const QString& source, const QString& description);
void ClearErrorInfo();
bool GetErrorInfo(QString& source, QString& description);

// Raises for a failure result: EOleException with the error information the
// failing call left, otherwise EOleSysError with the code's text.
void OleCheck(HRESULT hr);

// The callee's side of a checked call: runs body and maps an exception to a
// failure result, leaving its message as the thread's error information.
HRESULT HandleSafeCallException(const QString& source, const std::exception* e);
template <class F>
HRESULT SafeCall(const QString& source, F&& body) noexcept {
    ClearErrorInfo();
    try {
        body();
        return S_OK;
    } catch (const std::exception& e) {
        return HandleSafeCallException(source, &e);
    } catch (...) {
        return HandleSafeCallException(source, nullptr);
    }
}

// Per-thread initialization of the activation layer; calls nest and must pair.
// CoCreateInstance fails with CO_E_NOTINITIALIZED on a thread that has none.
HRESULT CoInitialize();
void CoUninitialize();

// Creation by class ID through the module registered for it.
HRESULT CoGetClassObject(const TGUID& clsid, const TGUID& iid, void** obj);
HRESULT CoCreateInstance(const TGUID& clsid, IUnknown* outer, const TGUID& iid, void** obj);
// The same, raising on failure.
template <class I>
TComPtr<I> CreateComObject(const TGUID& clsid) {
    TComPtr<I> r;
    OleCheck(CoCreateInstance(clsid, nullptr, I::IID, r.Receive()));
    return r;
}

// The settings of registered classes.
inline const QString ComClassesKey = QStringLiteral("Software\\Tessaline\\Classes");

struct TComClassRegistration {
    TGUID ClassID;
    QString ProgID;          // "Library.Class"
    QString Description;     // "SensMap Object"
    QString ThreadingModel;  // "Apartment"
    QString ModuleFile;      // absolute path of the module
    TGUID TypeLib;
};
void RegisterComClass(const TComClassRegistration& reg);
void UnregisterComClass(const TGUID& clsid, const QString& progID);
// The module file registered for the class, or an empty text.
QString ComClassModule(const TGUID& clsid);
// The registration as stored; ClassID is null when the class is not registered.
TComClassRegistration ComClassRegistration(const TGUID& clsid);

// Loads the module and calls its DllRegisterServer / DllUnregisterServer.
HRESULT RegisterComServer(const QString& moduleFile);
HRESULT UnregisterComServer(const QString& moduleFile);

// The file of the loaded module that contains the address.
QString ModuleFileOf(const void* address);

// ---- The module's side -----------------------------------------------------

class TComServer;

// One creatable class of a module: its class factory and its registration data.
class TComObjectFactory final : public IClassFactory {
public:
    using TCreator = std::function<IUnknown*()>;  // a new object holding one reference
    TComObjectFactory(TComServer& server, TGUID classID, QString className, QString description,
                      QString threadingModel, TCreator creator);

    HRESULT QueryInterface(const TGUID& iid, void** obj) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT CreateInstance(IUnknown* outer, const TGUID& iid, void** obj) override;
    HRESULT LockServer(bool lock) override;

    const TGUID& ClassID() const { return FClassID; }
    const QString& ClassName() const { return FClassName; }
    const QString& Description() const { return FDescription; }
    const QString& ThreadingModel() const { return FThreadingModel; }

private:
    TComServer& FServer;
    TGUID FClassID;
    QString FClassName, FDescription, FThreadingModel;
    TCreator FCreator;
};

// The module-wide state behind the four exports: its factories, the count of
// live objects and server locks, and its registration.
class TComServer {
public:
    // moduleAddress: any address inside the module (locates the module's file).
    TComServer(QString serverName, TGUID typeLib, const void* moduleAddress);
    TComServer(const TComServer&) = delete;
    TComServer& operator=(const TComServer&) = delete;

    void Add(TComObjectFactory& factory);

    HRESULT GetClassObject(const TGUID& clsid, const TGUID& iid, void** obj);
    HRESULT CanUnloadNow() const;
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    const QString& ServerName() const { return FServerName; }
    QString ModuleFile() const;
    int ObjectCount() const { return FObjects; }

    void ObjectCreated() { ++FObjects; }
    void ObjectDestroyed() { --FObjects; }
    void Lock(bool lock) { lock ? ++FLocks : --FLocks; }

private:
    QString FServerName;
    TGUID FTypeLib;
    const void* FModuleAddress;
    std::vector<TComObjectFactory*> FFactories;
    std::atomic<int> FObjects{0};
    std::atomic<int> FLocks{0};
};

// Reference counting and QueryInterface for an object that implements Intf.
// The object counts as alive in its server from construction to destruction.
template <class Intf>
class TComObject : public Intf {
public:
    explicit TComObject(TComServer& server) : FServer(server) { FServer.ObjectCreated(); }
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    HRESULT QueryInterface(const TGUID& iid, void** obj) override {
        if (!obj) return E_POINTER;
        if (iid == IUnknown::IID || iid == Intf::IID) {
            *obj = static_cast<Intf*>(this);
            this->AddRef();
            return S_OK;
        }
        *obj = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++FRefCount; }
    uint32_t Release() override {
        const uint32_t r = --FRefCount;
        if (r == 0) delete this;
        return r;
    }

protected:
    virtual ~TComObject() { FServer.ObjectDestroyed(); }
    TComServer& Server() const { return FServer; }

private:
    TComServer& FServer;
    std::atomic<uint32_t> FRefCount{1};
};

// Signatures of the module exports.
extern "C" {
using TDllGetClassObject = HRESULT (*)(const TGUID& clsid, const TGUID& iid, void** obj);
using TDllCanUnloadNow = HRESULT (*)();
using TDllRegisterServer = HRESULT (*)();
using TDllUnregisterServer = HRESULT (*)();
}

#pragma GCC visibility pop
