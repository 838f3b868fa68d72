#pragma once
// The parameter interchange library as its callers see it: the identifiers,
// the parameter record and the ISensMap interface of the SensMap class.
// Callers create the object by class ID (CreateComObject) and never link the module.
#include "ComServer.h"

#include <QString>
#include <cstdint>

// "Parameter Interchange Library"
inline const TGUID LIBID_Mapex{0x6D41FF80, 0x0EDE, 0x11D8, 0xB6, 0x46, 0x00, 0x80, 0x48, 0xB7, 0x0C, 0x7F};
// "SensMap Object"
inline const TGUID CLASS_SensMap{0x6D41FF83, 0x0EDE, 0x11D8, 0xB6, 0x46, 0x00, 0x80, 0x48, 0xB7, 0x0C, 0x7F};
// "Sensor information record"
inline const TGUID GUID_TParamInfo{0x6D41FF85, 0x0EDE, 0x11D8, 0xB6, 0x46, 0x00, 0x80, 0x48, 0xB7, 0x0C, 0x7F};

// One catalogue row as the interface hands it over.
struct TParamInfo {
    QString ID;              // Parameter ID
    QString ExtID;           // External ID
    QString Name;            // Display name
    QString Units;           // Measurement units
    QString Description;     // Parameter short description
    int32_t Color = 0;       // Default color
    float Min = 0;           // Default minimum
    float Max = 0;           // Default maximum
    bool IsLogarithmic = false;  // Default view is logarithmic
    int16_t Precision = 0;   // Default precision
    QString Group;           // Parameter group name
    float Offset = 0;        // B in AX + B
    float Multiplier = 0;    // A in AX + B

    bool operator==(const TParamInfo&) const = default;
};

// "Dispatch interface for SensMap Object". Every operation returns a result
// code and hands its value over through its last parameter; a failure leaves
// its message as the thread's error information (OleCheck raises it).
// The order of the operations is the binary contract of the interface.
struct ISensMap : IUnknown {
    static inline const TGUID IID{0x6D41FF81, 0x0EDE, 0x11D8, 0xB6, 0x46, 0x00, 0x80, 0x48, 0xB7, 0x0C, 0x7F};

    virtual HRESULT get_ParamInfo(const QString& SystemID, const QString& Profile, const QString& ID,
                                  TParamInfo* Value) = 0;
    virtual HRESULT set_ParamInfo(const QString& SystemID, const QString& Profile, const QString& ID,
                                  const TParamInfo& Value) = 0;
    virtual HRESULT get_ExtParamInfo(const QString& SystemID, const QString& Profile, const QString& ExtID,
                                     TParamInfo* Value) = 0;
    virtual HRESULT set_ExtParamInfo(const QString& SystemID, const QString& Profile, const QString& ExtID,
                                     const TParamInfo& Value) = 0;
    virtual HRESULT DeleteParameter(const QString& SystemID, const QString& Profile, const QString& ID,
                                    const QString& ExtID) = 0;
    virtual HRESULT SysImportInfo(const QString& SystemID, const QString& FileName) = 0;
    virtual HRESULT SysExportInfo(const QString& SystemID, const QString& FileName) = 0;
    virtual HRESULT FirstParam(const QString& Filter) = 0;
    virtual HRESULT NextParam(TParamInfo* Info, bool* Result) = 0;
    virtual HRESULT GetProfiles(QString* Result) = 0;
    virtual HRESULT get_ParamInfo2(const QString& SystemID, const QString& Profile, const QString& ID,
                                   TParamInfo* Value) = 0;

protected:
    ~ISensMap() = default;
};

// Calls through ISensMap that raise on failure (EOleException with the object's message).
class TSensMapCalls {
public:
    explicit TSensMapCalls(ISensMap* intf) : FIntf(intf) {}

    TParamInfo ParamInfo(const QString& systemID, const QString& profile, const QString& id) const {
        TParamInfo r;
        OleCheck(FIntf->get_ParamInfo(systemID, profile, id, &r));
        return r;
    }
    void SetParamInfo(const QString& systemID, const QString& profile, const QString& id, const TParamInfo& v) const {
        OleCheck(FIntf->set_ParamInfo(systemID, profile, id, v));
    }
    TParamInfo ExtParamInfo(const QString& systemID, const QString& profile, const QString& extID) const {
        TParamInfo r;
        OleCheck(FIntf->get_ExtParamInfo(systemID, profile, extID, &r));
        return r;
    }
    void SetExtParamInfo(const QString& systemID, const QString& profile, const QString& extID,
                         const TParamInfo& v) const {
        OleCheck(FIntf->set_ExtParamInfo(systemID, profile, extID, v));
    }
    void DeleteParameter(const QString& systemID, const QString& profile, const QString& id,
                         const QString& extID) const {
        OleCheck(FIntf->DeleteParameter(systemID, profile, id, extID));
    }
    void FirstParam(const QString& filter) const { OleCheck(FIntf->FirstParam(filter)); }
    bool NextParam(TParamInfo& info) const {
        bool r = false;
        OleCheck(FIntf->NextParam(&info, &r));
        return r;
    }
    QString GetProfiles() const {
        QString r;
        OleCheck(FIntf->GetProfiles(&r));
        return r;
    }
    TParamInfo ParamInfo2(const QString& systemID, const QString& profile, const QString& id) const {
        TParamInfo r;
        OleCheck(FIntf->get_ParamInfo2(systemID, profile, id, &r));
        return r;
    }

private:
    ISensMap* FIntf;
};

// A filter text quote: the text in single quotes, inner quotes doubled.
inline QString SensMapQuoted(const QString& text) {
    QString r = text;
    r.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + r + QLatin1Char('\'');
}

// The filter that selects one system and one profile ("*" for an empty profile).
inline QString SensMapFilter(const QString& systemID, const QString& profile) {
    const QString p = profile.trimmed().isEmpty() ? QStringLiteral("*") : profile;
    return QStringLiteral("(System=%1) And (Profile=%2)").arg(SensMapQuoted(systemID), SensMapQuoted(p));
}
