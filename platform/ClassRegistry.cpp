#include "ClassRegistry.h"

#include <QHash>
#include <mutex>

namespace {
struct TRegistry {
    std::recursive_mutex Lock;
    QHash<QString, TClassInfo> Classes;  // key: lower-case name
    TClassResolver Resolver;
};
TRegistry& Registry() {
    static TRegistry r;
    return r;
}
}  // namespace

bool TClassInfo::InheritsFrom(const QMetaObject* ancestor) const {
    for (const QMetaObject* m = Meta; m; m = m->superClass())
        if (m == ancestor) return true;
    return false;
}

void RegisterClass(const TClassInfo& info) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    r.Classes.insert(info.Name.toLower(), info);
}

void UnregisterClass(const QString& name) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    r.Classes.remove(name.toLower());
}

const TClassInfo* FindClass(const QString& name) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    auto it = r.Classes.constFind(name.toLower());
    // QHash nodes are stable until the entry is removed; classes are never
    // removed while the program runs.
    return it == r.Classes.constEnd() ? nullptr : &it.value();
}

QStringList RegisteredClassNames() {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    QStringList names;
    for (const TClassInfo& c : std::as_const(r.Classes)) names << c.Name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

void SetClassResolver(TClassResolver resolver) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    r.Resolver = std::move(resolver);
}

const TClassInfo* ResolveClass(const QString& name) {
    if (const TClassInfo* c = FindClass(name)) return c;
    TClassResolver resolver;
    {
        auto& r = Registry();
        std::lock_guard lock(r.Lock);
        resolver = r.Resolver;
    }
    if (resolver && resolver(name)) return FindClass(name);
    return nullptr;
}
