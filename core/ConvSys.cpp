#include "ConvSys.h"

#include "Formatting.h"
#include "StringLists.h"
#include "WKConsts.h"
#include "dm_Service.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

TComPtr<ISensMap> MAPEX;
QString CurrentProfileName;

namespace {
bool ComInitialized = false;

// The row of the sensor in the profile; empty ID when there is none.
TParamInfo SensorRow(const QString& profile, int GID) {
    if (!MAPEX) throw Exception(SConvSysInitError);
    return TSensMapCalls(MAPEX.Get()).ParamInfo2(ConvSysSystemID, profile, SensorParamID(GID));
}
}  // namespace

void InitConvSys() {
    FinalizeConvSys();
    ComInitialized = Succeeded(CoInitialize());
    DebugLog(QStringLiteral("MAPEX init"));
    try {
        MAPEX = CreateComObject<ISensMap>(CLASS_SensMap);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("MAPEX init exception"));
        DebugLog(QStringLiteral("ConvSys.InitConvSys: ") + ExceptionMessage(e));
        FinalizeConvSys();
        throw Exception(SConvSysInitError);
    }
    CurrentProfileName.clear();
    // The object's database connection must go before the application object does.
    static bool postRoutineAdded = false;
    if (!postRoutineAdded && QCoreApplication::instance()) {
        qAddPostRoutine(FinalizeConvSys);
        postRoutineAdded = true;
    }
}

void StartConvSys() {
    const QString bundled = WKAppPath() + QStringLiteral("Mapex.so");
    const QString registered = ComClassModule(CLASS_SensMap);
    if ((registered.isEmpty() || !QFileInfo::exists(registered)) && QFileInfo::exists(bundled)) {
        // A new user of a fresh build: the catalogue of this program folder.
        const HRESULT hr = RegisterComServer(bundled);
        QString source, description;
        if (Failed(hr) && !GetErrorInfo(source, description)) description = ComErrorText(hr);
        DebugLog(Failed(hr) ? QStringLiteral("ConvSys.StartConvSys: %1 not registered: %2").arg(bundled, description)
                            : QStringLiteral("ConvSys.StartConvSys: registered %1").arg(bundled));
    }
    try {
        InitConvSys();
    } catch (const std::exception&) {
        throw Exception(SConvSysInitError + QStringLiteral(
                                                "\nКаталог параметров не создан. Зарегистрируйте его для этого "
                                                "пользователя командой:\n%1wkregsvr %2")
                                                .arg(WKAppPath(), bundled));
    }
}

void FinalizeConvSys() {
    MAPEX.Reset();
    if (ComInitialized) CoUninitialize();
    ComInitialized = false;
    CurrentProfileName.clear();
}

void FillProfileNames(QStringList& strings) {
    if (!MAPEX) throw Exception(SConvSysInitError);
    strings.clear();
    TStringList lines;
    lines.SetText(TSensMapCalls(MAPEX.Get()).GetProfiles());
    for (int i = 0; i < lines.Count(); ++i)
        if (!lines[i].isEmpty() && lines[i] != QLatin1String("*")) strings << lines[i];
    strings.prepend(SEmptyProfile);
}

void OverrideSensDescr(const QString& profile, TSensDescr& descr) {
    TParamInfo row;
    try {
        row = SensorRow(profile, descr.GID);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("ConvSys.OverrideSensDescr: ") + ExceptionMessage(e));
        return;
    }
    if (row.ID.isEmpty()) return;
    descr.FullName = row.Name;
    descr.Name = row.Name;
    descr.Units = row.Units;
    descr.Color = row.Color;
    descr.Precision = row.Precision;
    descr.Min = row.Min;
    descr.Max = row.Max;
    descr.A = row.Multiplier;
    descr.B = row.Offset;
}

void GetSensDescrArray(const QString& profile, TSensDescrArray& descr, TSensSelection selection) {
    if (!dmService) throw Exception(QStringLiteral("GetSensDescrArray: the local database is not open"));
    dmService->FillSensDescriptions(descr, selection);
    for (TSensDescr& d : descr) OverrideSensDescr(profile, d);
}

TSensDescr GetSensDescr(int GID, const QString& profile) {
    if (!dmService) throw Exception(QStringLiteral("GetSensDescr: the local database is not open"));
    TSensDescr d = dmService->GetSensDescr(GID);
    OverrideSensDescr(profile, d);
    return d;
}

TSensDescr GetCurrentProfileSensDescr(int GID) { return GetSensDescr(GID, CurrentProfileName); }

double ConvertOutput(int GID, double value) {
    if (CurrentProfileName.isEmpty()) return value;
    try {
        const TParamInfo row = SensorRow(CurrentProfileName, GID);
        if (row.ID.isEmpty()) return value;
        return value * double(row.Multiplier) + double(row.Offset);
    } catch (const std::exception&) {
        return value;
    }
}

double ConvertInput(int GID, double value) {
    if (CurrentProfileName.isEmpty()) return value;
    try {
        const TParamInfo row = SensorRow(CurrentProfileName, GID);
        // A multiplier of 0 cannot be divided by: the value stays as given.
        if (row.ID.isEmpty() || row.Multiplier == 0) return value;
        return (value - double(row.Offset)) / double(row.Multiplier);
    } catch (const std::exception&) {
        return value;
    }
}

QString ConvertOutput(const QString& ID, double value) {
    if (!MAPEX) throw Exception(SConvSysInitError);
    const TParamInfo row = TSensMapCalls(MAPEX.Get()).ParamInfo2(ConvSysSystemID, CurrentProfileName, ID);
    // A missing row reads as multiplier 0: the number as given.
    const double shown = row.Multiplier == 0 ? value : double(row.Multiplier) * value + double(row.Offset);
    return FloatToStrGeneral(shown, row.Precision) + row.Units;
}

// ---- TFieldConversion -------------------------------------------------------

TFieldConversion::TFieldConversion(TConversionField& field, const TParamInfo& info)
    : FA(info.Multiplier), FB(info.Offset), FUnits(info.Units), FField(field), FPrecision(info.Precision) {
    FField.OnGetText = [this](TConversionField&, QString& text, bool displayText) { GetText(text, displayText); };
    FField.OnSetText = [this](TConversionField&, const QString& text) { SetText(text); };
}

TFieldConversion::~TFieldConversion() {
    FField.OnGetText = nullptr;
    FField.OnSetText = nullptr;
}

namespace {
// Takes the handlers off the field while it exists, so that the field's own
// texts and storing are reached without coming back here.
class THandlersOff {
public:
    explicit THandlersOff(TConversionField& f)
        : FField(f), FGet(std::exchange(f.OnGetText, nullptr)), FSet(std::exchange(f.OnSetText, nullptr)) {}
    ~THandlersOff() {
        FField.OnGetText = std::move(FGet);
        FField.OnSetText = std::move(FSet);
    }
    THandlersOff(const THandlersOff&) = delete;
    THandlersOff& operator=(const THandlersOff&) = delete;

private:
    TConversionField& FField;
    TConversionField::TGetTextEvent FGet;
    TConversionField::TSetTextEvent FSet;
};
}  // namespace

void TFieldConversion::GetText(QString& text, bool displayText) {
    const THandlersOff off(FField);
    // A multiplier of 0 converts nothing: the field's own texts are shown.
    const bool convert = FField.IsNumeric() && FA != 0 && !FField.IsNull();
    const QString number = convert ? FloatToStrGeneral(FA * FField.AsFloat() + FB, FPrecision) : QString();
    if (displayText)
        text = (convert ? number : FField.DisplayText()) + FUnits;
    else
        text = convert ? number : FField.EditText();
}

void TFieldConversion::SetText(const QString& text) {
    const THandlersOff off(FField);
    FField.SetText(text);
    if (!FField.IsNumeric() || FA == 0 || text.trimmed().isEmpty()) return;
    FField.SetAsFloat((StrToFloat(text) - FB) / FA);
}

// ---- TConversionObject ------------------------------------------------------

TConversionObject::TConversionObject(const QList<TConversionField*>& fields, const QString& suffix) {
    for (TConversionField* field : fields) {
        try {
            if (!MAPEX) throw Exception(SConvSysInitError);
            const TParamInfo row = TSensMapCalls(MAPEX.Get())
                                       .ParamInfo2(ConvSysSystemID, CurrentProfileName,
                                                   field->FieldName() + QLatin1Char('@') + suffix);
            if (!row.ID.isEmpty()) FItems.push_back(std::make_unique<TFieldConversion>(*field, row));
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TConversionObject.Create: ") + field->FieldName() + QStringLiteral(": ") +
                     ExceptionMessage(e));
        }
    }
}
