#include "WKSensorItems.h"

#include "ClassRegistry.h"
#include "WKServices.h"
#include "WKUDF.h"

#include <algorithm>
#include <cmath>

TSensorItem::TSensorItem(TCollection* collection) : TCollectionItem(collection) {}

void TSensorItem::SetPrecision(int v) { FPrecision = std::clamp(v, 0, 15); }

void TSensorItem::SetFormulaText(const QString& v) {
    if (v == FFormulaText) return;
    FFormulaText = v;
    if (!Collection() || !Collection()->Owner()) return;
    const bool isDateTime = Collection()->Owner()->property("IsDateTime").toBool();
    FYData = v.isEmpty() ? nullptr : GetFormulaDataArray(isDateTime);
}

void TSensorItem::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TSensorItem*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    FA = s->FA;
    FB = s->FB;
    FColor = s->FColor;
    FGID = s->FGID;
    FName = s->FName;
    FPrecision = s->FPrecision;
    FStreamID = s->FStreamID;
    FUnits = s->FUnits;
    FFormulaText = s->FFormulaText;
}

void TSensorItem::TakeDescription(const TSensDescr& descr) {
    FName = descr.Name;
    FA = descr.A;
    FB = descr.B;
    FGID = descr.GID;
    SetPrecision(descr.Precision);
    FUnits = descr.Units;
    FStreamID = descr.StreamID;
    FColor = TColor(descr.Color);
}

TSensDescr TSensorItem::Description() const {
    TSensDescr descr;
    descr.Name = FName;
    descr.A = FA;
    descr.B = FB;
    descr.GID = FGID;
    descr.Precision = FPrecision;
    descr.Units = FUnits;
    descr.StreamID = FStreamID;
    descr.Color = FColor;
    return descr;
}

TSensorDataStream* FormulaStream(bool IsDateTime) {
    if (!SecondaryServices) return nullptr;
    TWKStreamList& list = SecondaryServices->Streams();
    for (int i = 0; i < list.Count(); ++i) {
        TSensorDataStream* s = list.GetStreamByIndex(i);
        if (IsDateTime ? s->ID().startsWith(QLatin1String("Time1s")) : s->DataClass() == QLatin1String("Depth"))
            return s;
    }
    return IsDateTime ? list.GetStreamByDataClass(QStringLiteral("Time")) : nullptr;
}

TUDFDataArray* FindFormulaArray(TSensorDataStream* Stream, const QString& FormulaText) {
    if (!Stream) return nullptr;
    for (int i = 0; i < Stream->Count(); ++i)
        if (auto* udf = dynamic_cast<TUDFDataArray*>(Stream->GetSensorByIndex(i)))
            if (udf->FormulaText() == FormulaText) return udf;
    return nullptr;
}

TUDFDataArray* TSensorItem::GetFormulaDataArray(bool IsDateTime) const {
    TSensorDataStream* stream = FormulaStream(IsDateTime);
    if (!stream) return nullptr;
    if (TUDFDataArray* udf = FindFormulaArray(stream, FFormulaText)) return udf;
    auto* udf = stream->CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText(FFormulaText);
    udf->Bind(SecondaryServices->Streams());
    return udf;
}

void TSensorItem::Bind(const TWKStreamList* list, bool IsDateTime, const QString& suffix, bool withFormula) {
    FYData = nullptr;
    if (!SecondaryServices || !list) return;
    if (withFormula && !FFormulaText.isEmpty()) {
        FYData = GetFormulaDataArray(IsDateTime);
    } else if (!FStreamID.isEmpty()) {
        const QString id = suffix.isEmpty() ? FStreamID : FStreamID + QLatin1Char('.') + suffix;
        if (TSensorDataStream* s = list->GetStreamByID(id)) FYData = s->GetSensor(FGID);
    } else {
        FYData = list->FindSensor(FGID, QStringLiteral("SrcTime"));
    }
}

QString TSensorItem::NewestText() {
    QString text = QStringLiteral("?");
    if (FYData && FYData->GetCount() > 0) {
        const int i = FYData->GetCount() - 1;
        if (FYData->IsCorrectValue(i)) {
            double shown = 0;
            text = FYData->AsString(i, FA, FB, FPrecision, FUnits, shown);
            FOldValue = text;
            if (IsStaleSample(*FYData, i)) text = QLatin1Char('[') + text + QLatin1Char(']');
        } else if (!FOldValue.isEmpty()) {
            text = QLatin1Char('[') + FOldValue + QLatin1Char(']');
        }
    }
    return text;
}

namespace {
// Known to streaming by name like the controls; items and lists are made
// free-standing (a list or grid takes them in).
const bool SensorItemsRegistered = [] {
    RegisterClass({QStringLiteral("TSensorList"), &TSensorList::staticMetaObject,
                   [](QObject* owner) -> QObject* { return new TSensorList(owner); }});
    RegisterClass({QStringLiteral("TSensorItem"), &TSensorItem::staticMetaObject,
                   [](QObject*) -> QObject* { return new TSensorItem(nullptr); }});
    return true;
}();
}  // namespace
