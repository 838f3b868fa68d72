#include "ClassRegistry.h"

#include <QHash>
#include <memory>
#include <mutex>
#include <vector>

namespace {
struct TRegistry {
    std::recursive_mutex Lock;
    // Entries live until the process ends (a replaced or unregistered entry
    // too), so that pointers handed out by FindClass stay valid.
    std::vector<std::unique_ptr<TClassInfo>> Entries;
    QHash<QString, const TClassInfo*> Classes;  // key: lower-case name
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
    r.Entries.push_back(std::make_unique<TClassInfo>(info));
    r.Classes.insert(info.Name.toLower(), r.Entries.back().get());
}

void UnregisterClass(const QString& name) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    r.Classes.remove(name.toLower());
}

const TClassInfo* FindClass(const QString& name) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    return r.Classes.value(name.toLower(), nullptr);
}

const TClassInfo* FindClassByMeta(const QMetaObject* meta) {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    const TClassInfo* found = nullptr;
    for (const TClassInfo* c : std::as_const(r.Classes))
        if (c->Meta == meta) {
            // Prefer the entry named like the C++ class when there are several.
            if (c->Name == QLatin1String(meta->className())) return c;
            if (!found) found = c;
        }
    return found;
}

QStringList RegisteredClassNames() {
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    QStringList names;
    for (const TClassInfo* c : std::as_const(r.Classes)) names << c->Name;
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
