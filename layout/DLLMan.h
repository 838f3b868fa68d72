#pragma once
// The plug-in manager: finds the data plug-ins in folders, loads them, binds
// their entry points, asks them to fill a document's blocks for every data
// group it needs and to write edited blocks back. The main program's manager
// is the same class with TPluginManagerOptions::MainProgram().
#include "DataStructures.h"
#include "PluginInterface.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#pragma GCC visibility push(default)

namespace Plotmere {

enum TPluginActivationType { atNone, atPath, atRelativePath, atRegistry };

inline const QString SSLMask = QStringLiteral("*6.ssl");
inline const QString SDSMask = QStringLiteral("*6.sds");
inline const QString SRLMask = QStringLiteral("*6.srl");
// Where atRegistry finds its folders: the Korva/Plotmere settings, section "Plugins".
inline const QString PlotmereRegistryKey = QStringLiteral("SOFTWARE\\Korva\\Plotmere\\");
inline const QString SLoadModuleError = QStringLiteral("Ошибка загрузки модуля");
inline const QString SNoDataElements = QStringLiteral("Форма не содержит элементов данных");
inline const QString SLoadDataCaption = QStringLiteral("Загрузка данных");
inline const QString SNoLASSystem =
    QStringLiteral("Источник данных LAS для загрузки файла соответствия вертикальных глубин не найден");

class EPackageError : public Exception {
public:
    using Exception::Exception;
};

// What the manager needs of a document (the well-log document and the
// review's data document implement it).
class TDataDocument {
public:
    virtual ~TDataDocument() = default;
    virtual TDataBlockList& Blocks() = 0;
    virtual TSketchDataClass DataClass() const = 0;
    virtual double Min() const = 0;
    virtual double Max() const = 0;
    virtual TDataSelection& Range() = 0;
    // The data groups the document needs.
    virtual void RegisterGroups(QStringList& list) = 0;
    // Appends the parameter IDs the document wants of the system or source id for group.
    virtual void RegisterParams(const QString& id, const QString& group, QStringList& list) = 0;
    virtual void SetLoading(bool loading) = 0;
    virtual bool GetMIDSubst() const = 0;
};

class TPluginManager;

// A loaded plug-in file. Plug-ins stay loaded for the rest of the process,
// like every package; a file rejected while loading is unloaded again.
class TPackagePlugin {
public:
    // Loads and initialises the file; raises EPackageError when it cannot.
    explicit TPackagePlugin(const QString& path);
    virtual ~TPackagePlugin() = default;
    TPackagePlugin(const TPackagePlugin&) = delete;
    TPackagePlugin& operator=(const TPackagePlugin&) = delete;
    const QString& FileName() const { return FFileName; }
    void* Module() const { return FModule; }

protected:
    template <typename F>
    F Entry(const char* name) const { return reinterpret_cast<F>(Resolve(name)); }
    void* Resolve(const char* name) const;
    // Unloads the file of a plug-in rejected during construction.
    void Reject();

private:
    QString FFileName;
    void* FModule = nullptr;
};

class TDataSourceLibrary : public TPackagePlugin {
public:
    explicit TDataSourceLibrary(const QString& path);
    const TDataSourceDescr& Descr() const { return FDescr; }
    bool HasLoad() const { return FLoad != nullptr; }
    bool HasSaveData() const { return FSaveData != nullptr; }
    bool HasParamList() const { return FGetParamList != nullptr; }
    TParamDescrArray GetParamList() const { return FGetParamList ? FGetParamList() : TParamDescrArray(); }
    bool Load(TDataDocument& document, TDataSelection& range);
    void SaveData(double docStart, double docStop, TDataSelection& range, TDataBlock& block);

private:
    TDataSourceDescr FDescr;
    TLoadProc FLoad = nullptr;
    TSaveDataProc FSaveData = nullptr;
    TGetParamListProc FGetParamList = nullptr;
};

class TSystemLibrary : public TPackagePlugin {
public:
    // Takes the already loaded data sources of its system from manager.
    TSystemLibrary(const QString& path, TPluginManager& manager);
    const TSystemDescr& Descr() const { return FDescr; }
    int SourceCount() const { return int(FSources.size()); }
    TDataSourceLibrary* GetSource(int index) const { return FSources.at(size_t(index)); }
    TDataSourceLibrary* GetSourceByID(const QString& sourceID) const;
    TDataSourceLibrary* GetSourceByName(const QString& name) const;

    bool HasParamList() const { return FGetParamList != nullptr; }
    bool HasSetup() const { return FSetup != nullptr; }
    TParamDescrArray GetParamList() const { return FGetParamList ? FGetParamList() : TParamDescrArray(); }
    TSketchTableDescrArray GetTableList() const { return FGetTableList ? FGetTableList() : TSketchTableDescrArray(); }
    QString GetBuiltInIDs() const { return FGetBuiltInIDs ? FGetBuiltInIDs() : QString(); }
    TParamDescrArray ImportParams() const { return FImportParams ? FImportParams() : TParamDescrArray(); }
    TParamDescrArray ImportParamsFromFile(const QString& fileName) const {
        return FImportParamsFromFile ? FImportParamsFromFile(fileName) : TParamDescrArray();
    }
    void Setup() const {
        if (FSetup) FSetup();
    }
    bool Load(TDataDocument& document, TDataSelection& range, bool reload = false);
    // Asks for the depth table ("__MDTVD__") of range's group.
    bool LoadSys(TDataDocument& document, TDataSelection& range);

private:
    TPluginManager& FManager;
    TSystemDescr FDescr;
    std::vector<TDataSourceLibrary*> FSources;
    TLoadProc FLoad = nullptr;
    TGetParamListProc FGetParamList = nullptr;
    TGetTableListProc FGetTableList = nullptr;
    TGetBuiltInIDsProc FGetBuiltInIDs = nullptr;
    TImportParamsProc FImportParams = nullptr;
    TImportParamsFromFileProc FImportParamsFromFile = nullptr;
    TSetupProc FSetup = nullptr;
};

class TRenderLibrary : public TPackagePlugin {
public:
    using TPackagePlugin::TPackagePlugin;
};

// Where the main program's manager differs from the engine's.
struct TPluginManagerOptions {
    // The parameter list of a system load is sorted, duplicates dropped.
    bool SortedParams = false;
    // SaveData passes the document's requested range, not its Min and Max.
    bool SaveRangeFromSelection = false;
    // "ImportParamsFromFile" is bound.
    bool BindImportParamsFromFile = true;
    static TPluginManagerOptions MainProgram() { return {true, true, false}; }
};

using TSystemNameList = QList<std::pair<QString, TSystemLibrary*>>;

class TPluginManager {
public:
    explicit TPluginManager(TPluginManagerOptions options = {});
    ~TPluginManager();
    TPluginManager(const TPluginManager&) = delete;
    TPluginManager& operator=(const TPluginManager&) = delete;

    const TPluginManagerOptions& Options() const { return FOptions; }
    // Finds and loads the plug-ins; runs once (later calls return at once).
    // Files that cannot be loaded are reported through the UI services and skipped.
    void Activate(TPluginActivationType type, const QString& path);
    // Loads Name + ".ssl" (kind 0), ".sds" (1) or ".srl" (2) from the program
    // folder + path; ignores and keeps the started state.
    void ActivatePluginGroup(int kind, const QString& path, const QString& name);
    bool Started() const { return FStarted; }

    // Fills the document's blocks for every group; false when it has none.
    bool Load(TDataDocument& document, bool reload = false);
    // Writes the changed blocks back through their data sources; the marks
    // stay. Returns the changed blocks no plug-in took (each is logged).
    QList<TDataBlock*> SaveData(TDataDocument& document);

    TSystemNameList GetSysList() const;
    TSystemNameList GetSysSetupList() const;
    int GetSetupSysCount() const;
    TParamDescrArray GetSysParamsList() const;
    TParamDescrArray GetSysParamsList(const QString& systemID) const;
    TParamDescrArray GetSrcParamList(const QString& sourceID) const;
    TSystemLibrary* GetSystemByID(const QString& systemID) const;
    TDataSourceLibrary* GetSourceByID(const QString& sourceID) const;
    TSystemLibrary* GetSystem(int index) const { return FSystemLibs.at(size_t(index)).get(); }
    TDataSourceLibrary* GetDataSource(int index) const { return FSourceLibs.at(size_t(index)).get(); }
    TRenderLibrary* GetRender(int index) const { return FRenderLibs.at(size_t(index)).get(); }
    int GetSysCount() const { return int(FSystemLibs.size()); }
    int GetSrcCount() const { return int(FSourceLibs.size()); }
    int GetRenderCount() const { return int(FRenderLibs.size()); }

private:
    void LoadFolder(const QString& folder);
    void LoadFiles(const QString& folder, const QString& mask, int kind);
    void LoadFile(const QString& path, int kind);

    TPluginManagerOptions FOptions;
    std::vector<std::unique_ptr<TSystemLibrary>> FSystemLibs;
    std::vector<std::unique_ptr<TRenderLibrary>> FRenderLibs;
    std::vector<std::unique_ptr<TDataSourceLibrary>> FSourceLibs;
    bool FStarted = false;
};

// The engine's manager, created when the library loads.
TPluginManager& PluginManager();

}  // namespace Plotmere

#pragma GCC visibility pop
