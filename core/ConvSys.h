#pragma once
// Display-unit conversion: sensor values shown in the units of a conversion
// profile of the parameter catalogue (the Mapex server) instead of the stored
// units. For sensor n the catalogue key is system "Boremont", the profile, and
// the parameter ID "S" followed by n. A catalogue row gives the display name,
// units, colour, range, precision and displayed = Multiplier * stored + Offset.
// A multiplier of 0 cannot be inverted: input, parameter texts and field texts
// then pass unconverted.
#include "Formatting.h"
#include "Mapex_TLB.h"
#include "WKSensDescr.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#pragma GCC visibility push(default)

// The catalogue object, held from InitConvSys to FinalizeConvSys.
extern TComPtr<ISensMap> MAPEX;
// The selected profile; empty means no conversion for ConvertInput and ConvertOutput.
extern QString CurrentProfileName;

// The system of the core's sensors in the catalogue, and a sensor's parameter ID.
inline const QString ConvSysSystemID = QStringLiteral("Boremont");
inline QString SensorParamID(int GID) { return QStringLiteral("S") + QString::number(GID); }

// The resource texts of the unit.
inline const QString SConvSysInitError = QStringLiteral("Ошибка инициализации системы преобразования данных");
inline const QString SEmptyProfile = QStringLiteral("[Пустой профиль]");

// The core's start: initializes the activation layer for the thread and
// creates the catalogue object by its class ID. Raises SConvSysInitError when
// that fails, which stops the start. The profile name is cleared.
void InitConvSys();
// A program's start: when this user has no catalogue registered, or the
// registered module file is gone, registers the catalogue module of the
// program's own folder (WKAppPath), then InitConvSys. When the catalogue still
// cannot be created, the exception's text is SConvSysInitError followed by
// the command that registers the module of the program's folder.
void StartConvSys();
// Releases the catalogue object and the activation layer; clears the profile
// name. Also runs when the application object goes away; calling it again does nothing.
void FinalizeConvSys();

// The catalogue's profile names (without "*"), after the entry that stands for no profile.
void FillProfileNames(QStringList& strings);

// The local descriptions of the selection (dmService), each overridden from
// the profile's row when it has one.
void GetSensDescrArray(const QString& profile, TSensDescrArray& descr, TSensSelection selection);
// The local description of GID (raises for an unknown GID), overridden from the profile.
TSensDescr GetSensDescr(int GID, const QString& profile);
TSensDescr GetCurrentProfileSensDescr(int GID);
// Takes name, units, colour, precision, range and factors from the profile's
// row of the sensor; a missing row or a failing catalogue leaves descr as it is.
void OverrideSensDescr(const QString& profile, TSensDescr& descr);

// Stored -> displayed and back in the current profile. With no profile, no
// row or a failing look-up the value comes back unchanged; ConvertInput also
// with a multiplier of 0 (ConvertOutput then gives the offset).
double ConvertOutput(int GID, double value);
double ConvertInput(int GID, double value);
// The value of the catalogue parameter ID (as passed, no "S" added) in the
// current profile as text: the converted number with the row's precision as
// significant digits, followed by its units; without a row or with a
// multiplier of 0, the value itself.
// A failing catalogue raises.
QString ConvertOutput(const QString& ID, double value);

// ---- Dataset fields shown in profile units ---------------------------------

// What a field conversion needs of a dataset field; the dataset's field class
// implements it. DisplayText, EditText and SetText call the text handlers when
// they are set and do the field's own work otherwise.
class TConversionField {
public:
    using TGetTextEvent = std::function<void(TConversionField& sender, QString& text, bool displayText)>;
    using TSetTextEvent = std::function<void(TConversionField& sender, const QString& text)>;

    virtual ~TConversionField() = default;
    virtual QString FieldName() const = 0;
    virtual bool IsNumeric() const = 0;
    virtual bool IsNull() const = 0;
    virtual double AsFloat() const = 0;
    virtual void SetAsFloat(double value) = 0;
    virtual QString DisplayText() const = 0;
    virtual QString EditText() const = 0;
    virtual void SetText(const QString& text) = 0;

    TGetTextEvent OnGetText;
    TSetTextEvent OnSetText;
};

// The conversion of one field: installs itself as the field's text handlers
// for its lifetime. Shown text: FA * value + FB with FPrecision significant
// digits and the units; edit text: the number alone; a typed number x stores
// (x - FB) / FA. With a multiplier of 0 the field's own texts are shown and a
// typed text is stored as it is; empty fields stay empty.
class TFieldConversion {
public:
    TFieldConversion(TConversionField& field, const TParamInfo& info);
    ~TFieldConversion();
    TFieldConversion(const TFieldConversion&) = delete;
    TFieldConversion& operator=(const TFieldConversion&) = delete;

    double A() const { return FA; }
    double B() const { return FB; }
    const QString& Units() const { return FUnits; }
    int Precision() const { return FPrecision; }
    TConversionField& Field() const { return FField; }

private:
    void GetText(QString& text, bool displayText);
    void SetText(const QString& text);

    double FA;
    double FB;
    QString FUnits;
    TConversionField& FField;
    int FPrecision;
};

// The conversions of one dataset's fields: every field that has a row
// (catalogue ID: field name + "@" + suffix, current profile) gets one.
class TConversionObject {
public:
    TConversionObject(const QList<TConversionField*>& fields, const QString& suffix);
    int Count() const { return int(FItems.size()); }
    const TFieldConversion& operator[](int i) const { return *FItems[size_t(i)]; }

private:
    std::vector<std::unique_ptr<TFieldConversion>> FItems;
};

#pragma GCC visibility pop
