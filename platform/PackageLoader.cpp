#include "PackageLoader.h"

#include "Exceptions.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <link.h>
#include <mutex>

namespace {
std::mutex LoaderLock;
}

bool IsPackageLoaded(const QString& fileName) {
    const QByteArray path = QFileInfo(fileName).absoluteFilePath().toLocal8Bit();
    void* h = dlopen(path.constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return false;
    dlclose(h);  // drops only the reference RTLD_NOLOAD took
    return true;
}

bool IsModuleNameLoaded(const QString& fileName) {
    struct TSearch {
        QString Name;
        bool Found = false;
    } search{QFileInfo(fileName).fileName()};
    if (search.Name.isEmpty()) return false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<TSearch*>(data);
            if (info->dlpi_name && *info->dlpi_name &&
                QFileInfo(QString::fromLocal8Bit(info->dlpi_name)).fileName() == s->Name)
                s->Found = true;
            return s->Found ? 1 : 0;
        },
        &search);
    return search.Found;
}

void LoadPackage(const QString& fileName) {
    std::lock_guard lock(LoaderLock);
    const QFileInfo fi(fileName);
    if (!fi.exists()) throw Exception(QStringLiteral("Package not found: ") + fileName);
    const QByteArray path = fi.absoluteFilePath().toLocal8Bit();
    // The handle is kept for the life of the process: packages are never unloaded.
    if (!dlopen(path.constData(), RTLD_NOW | RTLD_GLOBAL)) {
        const char* err = dlerror();
        throw Exception(QStringLiteral("Can't load package %1.\n%2").arg(fileName, QString::fromLocal8Bit(err ? err : "")));
    }
}
