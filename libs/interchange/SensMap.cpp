#include "SensMap.h"

#include "DebugOutput.h"
#include "StringLists.h"

namespace {
const QString Source = QStringLiteral("TSensMap");

class ENotFound : public Exception {
public:
    using Exception::Exception;
};

template <class T>
T& Out(T* p) {
    if (!p) throw EOleSysError(ComErrorText(E_POINTER), E_POINTER);
    return *p;
}
}  // namespace

TSensMap::TSensMap(TComServer& server) : TComObject<ISensMap>(server) {
    OutputDebugString(QStringLiteral("MAPEX DB init"));
    try {
        FData = std::make_unique<TdmMAPEX>();
    } catch (const std::exception& e) {
        OutputDebugString(QStringLiteral("MAPEX DB: TSensMap.Initialize exception ") + ExceptionMessage(e));
        throw;
    }
    OutputDebugString(QStringLiteral("MAPEX DB init done"));
}

QString TSensMap::NormalProfile(const QString& profile) {
    const QString p = profile.trimmed();
    return p.isEmpty() ? QStringLiteral("*") : p;
}

HRESULT TSensMap::get_ParamInfo(const QString& SystemID, const QString& Profile, const QString& ID,
                                TParamInfo* Value) {
    return SafeCall(Source, [&] {
        TParamInfo& out = Out(Value);
        const auto row = FData->FindByID(SystemID, NormalProfile(Profile), ID);
        if (!row) throw ENotFound(QStringLiteral("Parameter not found(%1,%2,%3)").arg(SystemID, Profile, ID));
        out = *row;
    });
}

HRESULT TSensMap::set_ParamInfo(const QString& SystemID, const QString& Profile, const QString& ID,
                                const TParamInfo& Value) {
    return SafeCall(Source, [&] { FData->WriteByID(SystemID, NormalProfile(Profile), ID, Value); });
}

HRESULT TSensMap::get_ExtParamInfo(const QString& SystemID, const QString& Profile, const QString& ExtID,
                                   TParamInfo* Value) {
    return SafeCall(Source, [&] {
        TParamInfo& out = Out(Value);
        const auto row = FData->FindByExtID(SystemID, NormalProfile(Profile), ExtID);
        if (!row) throw ENotFound(QStringLiteral("Parameter not found"));
        out = *row;
    });
}

HRESULT TSensMap::set_ExtParamInfo(const QString& SystemID, const QString& Profile, const QString& ExtID,
                                   const TParamInfo& Value) {
    return SafeCall(Source, [&] { FData->WriteByExtID(SystemID, NormalProfile(Profile), ExtID, Value); });
}

HRESULT TSensMap::DeleteParameter(const QString& SystemID, const QString& Profile, const QString& ID,
                                  const QString& ExtID) {
    return SafeCall(Source, [&] { FData->Delete(SystemID, NormalProfile(Profile), ID, ExtID); });
}

HRESULT TSensMap::SysImportInfo(const QString&, const QString&) {
    return SafeCall(Source, [] { throw Exception(QStringLiteral("Not implemented")); });
}

HRESULT TSensMap::SysExportInfo(const QString&, const QString&) {
    return SafeCall(Source, [] { throw Exception(QStringLiteral("Not implemented")); });
}

HRESULT TSensMap::FirstParam(const QString& Filter) {
    return SafeCall(Source, [&] { FData->First(Filter); });
}

HRESULT TSensMap::NextParam(TParamInfo* Info, bool* Result) {
    return SafeCall(Source, [&] {
        TParamInfo& info = Out(Info);
        bool& result = Out(Result);
        result = FData->Next(info);
    });
}

HRESULT TSensMap::GetProfiles(QString* Result) {
    return SafeCall(Source, [&] {
        QString& out = Out(Result);
        TStringList lines;
        for (const QString& p : FData->Profiles()) lines.Add(p);
        out = lines.Text();
    });
}

HRESULT TSensMap::get_ParamInfo2(const QString& SystemID, const QString& Profile, const QString& ID,
                                 TParamInfo* Value) {
    return SafeCall(Source, [&] {
        TParamInfo& out = Out(Value);
        out = FData->FindByID(SystemID, NormalProfile(Profile), ID).value_or(TParamInfo{});
    });
}
