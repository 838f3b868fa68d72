#pragma once
// The registry of classes that can be created by name (streamed components,
// services, controls). A library registers its classes when it is loaded;
// an unknown name can be handed to a resolver (the class-module loader),
// which may load the package that registers it.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#pragma GCC visibility push(default)

using TComponentFactory = std::function<QObject*(QObject* owner)>;

struct TClassInfo {
    QString Name;                         // the historical class name, e.g. "TWKTCPClientService"
    const QMetaObject* Meta = nullptr;    // its meta-object (properties, enumerations)
    TComponentFactory Create;             // a new instance owned by owner (may be null)
    // True when this class is Ancestor or derives from it (by meta-object).
    bool InheritsFrom(const QMetaObject* ancestor) const;
};

// Registers (or replaces) a class. Names compare case-insensitively.
void RegisterClass(const TClassInfo& info);
void UnregisterClass(const QString& name);
// The registered class, or null. The pointer stays valid for the whole run.
const TClassInfo* FindClass(const QString& name);
// The class registered with this meta-object, or null.
const TClassInfo* FindClassByMeta(const QMetaObject* meta);
QStringList RegisteredClassNames();

// Asked for names that are not registered; returns true when it made the class
// known (e.g. by loading a package). May raise.
using TClassResolver = std::function<bool(const QString& name)>;
void SetClassResolver(TClassResolver resolver);
// FindClass, then the resolver, then FindClass again; null when still unknown.
const TClassInfo* ResolveClass(const QString& name);

// Registers T (a QObject with Q_OBJECT and a constructor T(QObject* owner))
// under its C++ class name when the library that holds this line is loaded.
#define WK_REGISTER_CLASS(T)                                                                   \
    namespace {                                                                                \
    const bool WKRegistered_##T = [] {                                                         \
        RegisterClass({QStringLiteral(#T), &T::staticMetaObject,                               \
                       [](QObject* owner) -> QObject* { return new T(owner); }});              \
        return true;                                                                           \
    }();                                                                                       \
    }

#pragma GCC visibility pop
