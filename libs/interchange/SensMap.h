#pragma once
// The SensMap class of the parameter interchange library: the catalogue of
// parameters per data system and conversion profile behind ISensMap.
#include "Mapex_TLB.h"
#include "dm_MAPEX.h"

#include <memory>

class TSensMap final : public TComObject<ISensMap> {
public:
    // Opens the catalogue database; raises (after its diagnostic line) when it can't.
    explicit TSensMap(TComServer& server);

    HRESULT get_ParamInfo(const QString& SystemID, const QString& Profile, const QString& ID,
                          TParamInfo* Value) override;
    HRESULT set_ParamInfo(const QString& SystemID, const QString& Profile, const QString& ID,
                          const TParamInfo& Value) override;
    HRESULT get_ExtParamInfo(const QString& SystemID, const QString& Profile, const QString& ExtID,
                             TParamInfo* Value) override;
    HRESULT set_ExtParamInfo(const QString& SystemID, const QString& Profile, const QString& ExtID,
                             const TParamInfo& Value) override;
    HRESULT DeleteParameter(const QString& SystemID, const QString& Profile, const QString& ID,
                            const QString& ExtID) override;
    HRESULT SysImportInfo(const QString& SystemID, const QString& FileName) override;
    HRESULT SysExportInfo(const QString& SystemID, const QString& FileName) override;
    HRESULT FirstParam(const QString& Filter) override;
    HRESULT NextParam(TParamInfo* Info, bool* Result) override;
    HRESULT GetProfiles(QString* Result) override;
    HRESULT get_ParamInfo2(const QString& SystemID, const QString& Profile, const QString& ID,
                           TParamInfo* Value) override;

    // Profile arguments are trimmed; an empty profile is the common profile "*".
    static QString NormalProfile(const QString& profile);

private:
    std::unique_ptr<TdmMAPEX> FData;
};
