#include "DLLMan.h"

#include "DebugOutput.h"
#include "RegIniFile.h"
#include "UIServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <dlfcn.h>

namespace Plotmere {

namespace {

// Restores a value when the scope ends, whatever happens.
template <typename T>
class TRestore {
public:
    TRestore(T& ref, T value) : FRef(ref), FOld(std::move(ref)) { FRef = std::move(value); }
    ~TRestore() { FRef = std::move(FOld); }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& FRef;
    T FOld;
};

class TLoadingGuard {
public:
    explicit TLoadingGuard(TDataDocument& d) : FDoc(d) { FDoc.SetLoading(true); }
    ~TLoadingGuard() { FDoc.SetLoading(false); }
    TLoadingGuard(const TLoadingGuard&) = delete;
    TLoadingGuard& operator=(const TLoadingGuard&) = delete;

private:
    TDataDocument& FDoc;
};

QString ProgramFolder() {
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return dir.endsWith('/') ? dir : dir + '/';
}

}  // namespace

// ---- plug-in files ----

TPackagePlugin::TPackagePlugin(const QString& path) : FFileName(path) {
    FModule = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!FModule) {
        const char* err = dlerror();
        throw EPackageError(QStringLiteral("Не удается загрузить библиотеку %1. %2").arg(path, QString::fromLocal8Bit(err ? err : "")));
    }
    if (auto init = Entry<TInitializeProc>(EntryInitialize)) {
        // The exception may live in the file's own code and data (its class,
        // its literal text): it is copied into one of ours before the file is
        // unloaded.
        QString message;
        try {
            init();
        } catch (const std::exception& e) {
            const QString text = ExceptionMessage(e);
            message = QString(text.constData(), text.size());
        } catch (...) {
            message = QStringLiteral("%1: initialisation failed").arg(path);
        }
        if (!message.isNull()) {
            Reject();
            throw EPackageError(message);
        }
    }
}

void* TPackagePlugin::Resolve(const char* name) const { return FModule ? dlsym(FModule, name) : nullptr; }

void TPackagePlugin::Reject() {
    if (FModule) dlclose(FModule);
    FModule = nullptr;
}

TDataSourceLibrary::TDataSourceLibrary(const QString& path) : TPackagePlugin(path) {
    auto describe = Entry<TGetSourceDescriptionProc>(EntryGetDescription);
    if (!describe) {
        Reject();
        throw EPackageError(QStringLiteral("%1: no entry point \"%2\"").arg(path, QLatin1String(EntryGetDescription)));
    }
    FDescr = describe();
    FSaveData = Entry<TSaveDataProc>(EntrySaveData);
    FGetParamList = Entry<TGetParamListProc>(EntryGetParamList);
    FLoad = Entry<TLoadProc>(EntryLoad);
}

bool TDataSourceLibrary::Load(TDataDocument& document, TDataSelection& range) {
    QStringList ids;
    document.RegisterParams(FDescr.SourceID, range.Group, ids);
    if (!FLoad) return false;
    TDataBlockList data;
    const bool ok = FLoad(range, &ids, data, false);
    if (ok) {
        document.Blocks().DeleteBlocks(FDescr.SourceID, range.Group);
        document.Blocks().AddBlocks(data);
    }
    return ok;
}

void TDataSourceLibrary::SaveData(double docStart, double docStop, TDataSelection& range, TDataBlock& block) {
    if (FSaveData) FSaveData(docStart, docStop, range, block);
}

TSystemLibrary::TSystemLibrary(const QString& path, TPluginManager& manager) : TPackagePlugin(path), FManager(manager) {
    auto describe = Entry<TGetSystemDescriptionProc>(EntryGetDescription);
    if (!describe) {
        Reject();
        throw EPackageError(QStringLiteral("%1: no entry point \"%2\"").arg(path, QLatin1String(EntryGetDescription)));
    }
    FDescr = describe();
    for (int i = 0; i < manager.GetSrcCount(); ++i)
        if (manager.GetDataSource(i)->Descr().SystemID == FDescr.SystemID) FSources.push_back(manager.GetDataSource(i));
    FGetParamList = Entry<TGetParamListProc>(EntryGetParamList);
    FGetTableList = Entry<TGetTableListProc>(EntryGetTableList);
    FGetBuiltInIDs = Entry<TGetBuiltInIDsProc>(EntryGetBuiltInIDs);
    FImportParams = Entry<TImportParamsProc>(EntryImportParams);
    if (manager.Options().BindImportParamsFromFile)
        FImportParamsFromFile = Entry<TImportParamsFromFileProc>(EntryImportParamsFromFile);
    FLoad = Entry<TLoadProc>(EntryLoad);
    FSetup = Entry<TSetupProc>(EntrySetup);
}

TDataSourceLibrary* TSystemLibrary::GetSourceByID(const QString& sourceID) const {
    for (TDataSourceLibrary* s : FSources)
        if (s->Descr().SourceID == sourceID) return s;
    return nullptr;
}

TDataSourceLibrary* TSystemLibrary::GetSourceByName(const QString& name) const {
    for (TDataSourceLibrary* s : FSources)
        if (s->Descr().Name == name) return s;
    return nullptr;
}

bool TSystemLibrary::Load(TDataDocument& document, TDataSelection& range, bool reload) {
    QStringList ids;
    document.RegisterParams(FDescr.SystemID, range.Group, ids);
    for (TDataSourceLibrary* s : FSources) document.RegisterParams(s->Descr().SourceID, range.Group, ids);
    if (FManager.Options().SortedParams) {
        ids.sort();
        ids.removeDuplicates();
    }
    if (ids.isEmpty() || !FLoad) return false;
    TDataBlockList data;
    const bool ok = FLoad(range, &ids, data, reload);
    if (ok) {
        document.Blocks().DeleteBlocks(FDescr.SystemID, range.Group);
        document.Blocks().AddBlocks(data);
        for (TDataSourceLibrary* s : FSources)
            if (s->Descr().DataClass == document.DataClass()) s->Load(document, range);
    }
    return ok;
}

bool TSystemLibrary::LoadSys(TDataDocument& document, TDataSelection& range) {
    if (!FLoad) return false;
    // The caller's environment comes back afterwards, whatever happens.
    const TRestore<QString> environment(range.Environment, MDTVDName);
    TDataBlockList data;
    const bool ok = FLoad(range, nullptr, data, false);
    if (ok) {
        document.Blocks().DeleteBlocks(MDTVDName, range.Group);
        document.Blocks().AddBlocks(data);
    }
    return ok;
}

// ---- manager ----

TPluginManager::TPluginManager(TPluginManagerOptions options) : FOptions(options) {}

TPluginManager::~TPluginManager() {
    // Systems refer to the data sources: they go first.
    FSystemLibs.clear();
    FRenderLibs.clear();
    FSourceLibs.clear();
}

void TPluginManager::LoadFile(const QString& path, int kind) {
    try {
        switch (kind) {
            case 0: FSystemLibs.push_back(std::make_unique<TSystemLibrary>(path, *this)); break;
            case 1: FSourceLibs.push_back(std::make_unique<TDataSourceLibrary>(path)); break;
            default: FRenderLibs.push_back(std::make_unique<TRenderLibrary>(path)); break;
        }
    } catch (const std::exception& e) {
        OutputDebugString(QStringLiteral("TPluginManager.LoadFile: %1: %2").arg(path, ExceptionMessage(e)));
        MessageDlg(SLoadModuleError + QLatin1Char('\n') + ExceptionMessage(e), mtCustom, mbOK);
    }
}

void TPluginManager::LoadFiles(const QString& folder, const QString& mask, int kind) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList({mask}, QDir::Files, QDir::Name)) LoadFile(dir.filePath(name), kind);
}

void TPluginManager::LoadFolder(const QString& folder) {
    // Data sources first, so that each system finds its own.
    LoadFiles(folder, SDSMask, 1);
    LoadFiles(folder, SSLMask, 0);
    LoadFiles(folder, SRLMask, 2);
}

void TPluginManager::Activate(TPluginActivationType type, const QString& path) {
    if (FStarted) return;
    switch (type) {
        case atNone: break;
        case atPath: LoadFolder(path); break;
        case atRelativePath: LoadFolder(ProgramFolder() + path); break;
        case atRegistry: {
            const TRegIniFile settings(path.isEmpty() ? PlotmereRegistryKey : path);
            for (const QString& name : settings.ReadSection(QStringLiteral("Plugins")))
                LoadFolder(settings.ReadString(QStringLiteral("Plugins"), name));
            break;
        }
    }
    FStarted = true;
}

void TPluginManager::ActivatePluginGroup(int kind, const QString& path, const QString& name) {
    static const char* suffixes[] = {".ssl", ".sds", ".srl"};
    if (kind < 0 || kind > 2) return;
    LoadFiles(ProgramFolder() + path, name + QLatin1String(suffixes[kind]), kind);
}

bool TPluginManager::Load(TDataDocument& document, bool reload) {
    QStringList groups;
    document.RegisterGroups(groups);
    if (groups.isEmpty()) {
        MessageDlg(SNoDataElements, mtInformation, mbOK);
        return false;
    }
    const TLoadingGuard loading(document);
    TDataSelection& range = document.Range();
    for (const QString& group : groups) {
        if (document.GetMIDSubst()) {
            TSystemLibrary* las = GetSystemByID(QStringLiteral("LAS"));
            if (!las) throw Exception(SNoLASSystem);
            range.Group = group;
            range.DataClass = document.DataClass();
            if (!las->LoadSys(document, range)) continue;
        }
        for (const auto& system : FSystemLibs) {
            range.Group = group;
            range.DataClass = document.DataClass();
            system->Load(document, range, reload);
        }
    }
    return true;
}

QList<TDataBlock*> TPluginManager::SaveData(TDataDocument& document) {
    QList<TDataBlock*> unsaved;
    TDataBlockList& blocks = document.Blocks();
    const double start = FOptions.SaveRangeFromSelection ? document.Range().RequestedStart : document.Min();
    const double stop = FOptions.SaveRangeFromSelection ? document.Range().RequestedStop : document.Max();
    for (int i = 0; i < blocks.Count(); ++i) {
        TDataBlock* block = blocks.GetBlock(i);
        if (!block->Changed()) continue;
        TDataSourceLibrary* source = block->SourceID().isEmpty() ? nullptr : GetSourceByID(block->SourceID());
        if (!source || !source->HasSaveData()) {
            OutputDebugString(QStringLiteral("TPluginManager.SaveData: block \"%1\" of \"%2\" not saved: no data source takes it")
                                  .arg(block->Name(), block->SourceID()));
            unsaved.append(block);
            continue;
        }
        source->SaveData(start, stop, document.Range(), *block);
    }
    return unsaved;
}

TSystemNameList TPluginManager::GetSysList() const {
    TSystemNameList list;
    for (const auto& s : FSystemLibs) list.append({s->Descr().Name, s.get()});
    return list;
}

TSystemNameList TPluginManager::GetSysSetupList() const {
    TSystemNameList list;
    for (const auto& s : FSystemLibs)
        if (s->HasSetup()) list.append({s->Descr().Name, s.get()});
    return list;
}

int TPluginManager::GetSetupSysCount() const { return int(GetSysSetupList().size()); }

TParamDescrArray TPluginManager::GetSysParamsList() const {
    TParamDescrArray all;
    for (const auto& s : FSystemLibs) all += s->GetParamList();
    return all;
}

TParamDescrArray TPluginManager::GetSysParamsList(const QString& systemID) const {
    TParamDescrArray all;
    for (const auto& s : FSystemLibs)
        if (s->Descr().SystemID == systemID) all += s->GetParamList();
    return all;
}

TParamDescrArray TPluginManager::GetSrcParamList(const QString& sourceID) const {
    TDataSourceLibrary* s = GetSourceByID(sourceID);
    return s ? s->GetParamList() : TParamDescrArray();
}

TSystemLibrary* TPluginManager::GetSystemByID(const QString& systemID) const {
    for (const auto& s : FSystemLibs)
        if (s->Descr().SystemID == systemID) return s.get();
    return nullptr;
}

TDataSourceLibrary* TPluginManager::GetSourceByID(const QString& sourceID) const {
    for (const auto& s : FSourceLibs)
        if (s->Descr().SourceID == sourceID) return s.get();
    return nullptr;
}

TPluginManager& PluginManager() {
    static TPluginManager manager;
    return manager;
}

namespace {
const bool ManagerAnnounced = [] {
    DebugOutput(QStringLiteral("Welvista: plugin manager init"));
    return true;
}();
}  // namespace

}  // namespace Plotmere
