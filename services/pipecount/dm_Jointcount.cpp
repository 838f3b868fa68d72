#include "dm_Jointcount.h"

#include "PipeImages.h"
#include "WKUtils.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSqlQuery>
#include <cmath>
#include <numbers>

double TubingItemVolume(double OutsideDiameter, double InsideDiameter, double Length) {
    return std::numbers::pi * (OutsideDiameter * OutsideDiameter - InsideDiameter * InsideDiameter) * Length / 4000000.0;
}

// ---------------------------------------------------------------------------
// TTubingListBuilder

void TTubingListBuilder::Number(TTubingItem& P, int NextItemNo) {
    if (P.ItemNo == NextItemNo) --P.ItemNo;
    else P.SubItemNo = 0;
    if (P.IsPipe) {
        P.PipeNo = P.ItemNo;
        P.PipeSubNo = P.SubItemNo;
        FLastPipeNo = P.PipeNo;
        FLastPipeSubNo = P.PipeSubNo;
    } else {
        P.PipeNo = FLastPipeNo;
        P.PipeSubNo = FLastPipeSubNo;
    }
}

void TTubingListBuilder::Append(TTubingItem Item, double OutsideDiameter, double InsideDiameter) {
    double depth = 0, sumWeight = 0;
    if (!FList.empty()) {
        Number(FList.back(), Item.ItemNo);
        depth = FList.back().Depth;
        sumWeight = FList.back().SumWeight;
    }
    Item.Depth = Item.ItemLength + depth;
    Item.SumWeight = Item.Weight + sumWeight;
    Item.ItemVolume = TubingItemVolume(OutsideDiameter, InsideDiameter, Item.ItemLength);
    FList.push_back(std::move(Item));
}

void TTubingListBuilder::Finish() {
    // A number no element has, so that the last one is numbered whatever it is.
    if (!FList.empty()) Number(FList.back(), std::numeric_limits<int>::max());
}

// ---------------------------------------------------------------------------
// TPipeDataArray

const TSensorDataArrayClass TPipeDataArray::Class{"TPipeDataArray", &TSensorDataArray::Class,
                                                  &ConstructSensorArray<TPipeDataArray>};

QString TubingItemText(const TTubingArray& List, double Value) {
    if (std::isnan(Value)) return {};
    const double k = std::round(Value) - 1;
    if (k < 0 || k >= double(List.size())) return QStringLiteral("0");
    const TTubingItem& item = List[size_t(k)];
    QString text = item.Prefix + QString::number(item.ItemNo);
    if (item.SubItemNo > 0) text += QLatin1Char('.') + QString::number(item.SubItemNo);
    return text + QLatin1Char(' ') + item.Name;
}

QString TPipeDataArray::AsString(int i, double, double, int, const QString&, double& Value) {
    if (i >= FCount) {
        Value = std::nan("");
        return {};
    }
    Value = i < 0 ? FLastReal : GetValue(i);
    static const TTubingArray none;
    const TdmJointcount* module = dmJointcount();
    return TubingItemText(module ? module->FTubing : none, Value);
}

// ---------------------------------------------------------------------------
// TdmJointcount

const QString TdmJointcount::iqTubing = QStringLiteral(
    "select REF.TYPEID, BHA.ISBHA, BHA.ITEMNO, BHA.SUBITEMNO, BHA.ITEMLENGTH, BHA.ITEMMODEL, \n"
    "REF.ITEMLENGTH, REF.WEIGHT, REF.INSIDEDIAMETER, REF.OUTSIDEDIAMETER, REF.PIPEAVEWEIGHT\n"
    "from bottomholeassembly bha left outer join ref_bhaitems ref on\n"
    "(ref.typeid = bha.typeid) and (ref.itemmodel = bha.itemmodel) and (ref.modification = bha.modification)\n"
    "where ((bha.wellid = :wellid) and (bha.runno = :runno))\n"
    "order by itemorder");

const QString TdmJointcount::iqCasing = QStringLiteral(
    "select ItemNo, ci.ITEMLENGTH, ci.itemmodel, ref.Weight,\n"
    "ref.INSIDEDIAMETER, ref.OUTSIDEDIAMETER\n"
    "from CASING c, CASINGITEMS ci, REF_CASINGITEMS ref\n"
    "where (c.WELLID = :WELLID)\n"
    "  and (c.RUNNO=:RUNNO)\n"
    "  and (ci.WELLID = :WELLID)\n"
    "  and (c.casingtypeid = ci.casingtypeid)\n"
    "  and (c.PROJECTED = 0)\n"
    "  and (ci.PROJECTED = 0)\n"
    "  and (ci.ITEMMODEL = ref.ITEMMODEL)\n"
    "order by ItemNo");

const QString TdmJointcount::iqKellyLength =
    QStringLiteral("Select KELLYLENGTH from RUNS Where WELLID = :WELLID and RUNNO = :RUNNO");

namespace {
// The kind of an assembly type whose catalogue weight is per metre: a pipe,
// the kind bits of the type ID (mask 0x7E000000) equal to 0x2000000.
constexpr int kPipeKind = 0x2000000;

bool BHAItemIsPipeKind(int TypeID) { return BHAItemIs(TypeID, kPipeKind); }

QPointer<TdmJointcount>& Instance() {
    static QPointer<TdmJointcount> instance;
    return instance;
}
}  // namespace

TdmJointcount::TdmJointcount(QObject* Owner) : QObject(Owner) {
    ilPipes = DrawPipeImages(16);
    ilPipesLarge = DrawPipeImages(32);
    if (!Instance()) Instance() = this;
}

TdmJointcount::~TdmJointcount() = default;

TdmJointcount* dmJointcount() { return Instance().data(); }

TdmJointcount& CreateJointcountModule() {
    if (!Instance()) new TdmJointcount(QCoreApplication::instance());
    return *Instance();
}

TTubingArray TdmJointcount::ReadTally(const TDataConnection& Database, int Well, int Run, double& CasingLength) {
    TTubingArray list;
    TTubingListBuilder builder(list);
    double casing = 0;
    QSqlQuery c = Database.Exec(iqCasing, {Well, Run, Well});
    while (c.next()) {
        TTubingItem item;
        item.ItemNo = c.value(0).toInt();
        item.ItemLength = c.value(1).toDouble();
        item.Name = c.value(2).toString();
        item.Weight = c.value(3).toDouble() * item.ItemLength;
        item.Prefix = QStringLiteral("ОК: ");
        item.IsCasing = true;
        casing += item.ItemLength;
        builder.Append(std::move(item), c.value(5).toDouble(), c.value(4).toDouble());
    }
    QSqlQuery t = Database.Exec(iqTubing, {Well, Run});
    while (t.next()) {
        TTubingItem item;
        const int typeID = t.value(0).toInt();
        const int isBHA = t.value(1).toInt();
        item.ItemNo = t.value(2).toInt();
        item.SubItemNo = t.value(3).toInt();
        item.ItemLength = t.value(4).toDouble();
        item.Name = t.value(5).toString();
        const double nominal = t.value(6).toDouble();
        const double weight = t.value(7).toDouble();
        const QVariant average = t.value(10);
        if (!average.isNull()) item.Weight = (average.toDouble() - weight) * nominal + item.ItemLength * weight;
        else if (BHAItemIsPipeKind(typeID)) item.Weight = item.ItemLength * weight;
        else item.Weight = weight;
        item.IsPipe = isBHA == 0;
        if (isBHA > 0) item.Prefix = QStringLiteral("КНБК: ");
        builder.Append(std::move(item), t.value(9).toDouble(), t.value(8).toDouble());
    }
    builder.Finish();
    CasingLength = casing;
    return list;
}

double TdmJointcount::ReadKellyLength(const TDataConnection& Database, int Well, int Run) {
    const QVariant v = Database.Scalar(iqKellyLength, {Well, Run});
    if (!v.isValid() || v.isNull()) return -1;
    return v.toDouble();
}
