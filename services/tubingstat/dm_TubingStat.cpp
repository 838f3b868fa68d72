#include "dm_TubingStat.h"

#include "Jointcount.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "dm_Wells.h"

#include <cmath>

namespace {
TdmTubingStat*& Module() {
    static TdmTubingStat* module = nullptr;
    return module;
}

const QString kBHAPrefix = QStringLiteral("КНБК: ");
const QString kLineEnd = QStringLiteral("\r\n");
// Whose rows a failed write loses, as the user is told.
const QString WriteWhat = QStringLiteral("статистику по свечам");

const QStringList kAllColumns{"WELLID",          "STARTTIME",      "SENSORDEPTH",        "RUNNO",
                              "ITEMNO",          "SUBITEMNO",      "ISBHA",              "ITEMMODEL",
                              "SURVEYDEPTH",     "SUMWEIGHT",      "COMMONTIME",         "MUDCIRCULATIONTIME",
                              "DRILLTIME",       "SLIDEDRILLTIME", "ROTARYDRILLTIME",    "CONNECTIONTIME",
                              "PULLOUTTIME",     "RUNINTIME"};

QStringList InsertStatement() {
    QStringList sql{"insert into TUBINGSTAT", "  (" + kAllColumns.join(", ") + ")", "values"};
    QStringList params;
    for (const QString& c : kAllColumns) params << ":" + c;
    sql << "  (" + params.join(", ") + ")";
    return sql;
}

QStringList ModifyStatement() {
    QStringList sql{"update TUBINGSTAT", "set"};
    QStringList assigned;
    for (const QString& c : kAllColumns)
        if (c != "WELLID" && c != "RUNNO") assigned << c;
    for (int i = 0; i < assigned.size(); ++i)
        sql << "  " + assigned[i] + " = :" + assigned[i] + (i + 1 < assigned.size() ? "," : "");
    sql << "where" << "  STARTTIME = :OLD_STARTTIME and" << "  WELLID = :OLD_WELLID";
    return sql;
}

double OrZero(const TField* f) { return f->IsNull() ? 0.0 : f->AsFloat(); }

// Both up-to-date ids of the well database, or nothing without one.
bool CurrentObjects(int& Well, int& Run) {
    const TdmWells* wells = dmWells();
    if (!wells) return false;
    Well = wells->FCurrentWell;
    Run = wells->FCurrentRun;
    return true;
}

// Opens a statement of the module again on the current well and run.
void OpenOnCurrentObjects(TSqlDataSet& DataSet) {
    int well = -1, run = 0;
    CurrentObjects(well, run);
    DataSet.Close();
    DataSet.SetParam("WELLID", well);
    DataSet.SetParam("RUNNO", run);
    DataSet.Open();
}
}  // namespace

TdmTubingStat* dmTubingStat() { return Module(); }

const std::array<QString, 8> TdmTubingStat::TimeLabels{"Общее время", "Циркуляция",  "Бурение", "Бурение слайдом",
                                                       "Бурение ротором", "Наращивание", "Подъём", "Спуск"};
const std::array<QString, 8> TdmTubingStat::TimeColumns{"COMMONTIME",      "MUDCIRCULATIONTIME", "DRILLTIME",
                                                        "SLIDEDRILLTIME",  "ROTARYDRILLTIME",    "CONNECTIONTIME",
                                                        "PULLOUTTIME",     "RUNINTIME"};
const QString TdmTubingStat::UnknownItemModel = QStringLiteral("Неизвестная свеча");

int TdmTubingStat::SumIndex(const QString& FieldName) {
    QString name = FieldName.toUpper();
    if (name.startsWith("VSL_")) name = name.mid(4);
    for (size_t i = 0; i < TimeColumns.size(); ++i)
        if (TimeColumns[i] == name) return int(i);
    return -1;
}

TdmTubingStat::TdmTubingStat(QObject* Owner) : QObject(Owner), dsTubingStat(this), qrSumTimings(this) {
    dsTubingStat.SetName("dsTubingStat");
    qrSumTimings.SetName("qrSumTimings");
    dsTubingStat.Transaction = &itTubingStat;
    qrSumTimings.Transaction = &itTubingStat;
    dsTubingStat.SelectSQL = {"select * from TUBINGSTAT where (WELLID = :WELLID) and ", "(RUNNO = :RUNNO) ",
                              "ORDER BY STARTTIME"};
    dsTubingStat.InsertSQL = InsertStatement();
    dsTubingStat.ModifySQL = ModifyStatement();
    dsTubingStat.DeleteSQL = {"delete from TUBINGSTAT", "where", "  STARTTIME = :OLD_STARTTIME and",
                              "  WELLID = :OLD_WELLID"};
    dsTubingStat.RefreshSQL = {"Select ", "  " + kAllColumns.join(", "), "from TUBINGSTAT ", "where",
                               "  STARTTIME = :STARTTIME and", "  WELLID = :WELLID"};
    qrSumTimings.SelectSQL = {
        "SELECT SUM(commontime) AS SUM_COMMON, SUM(mudcirculationtime) AS SUM_MUDCIRCULATION, SUM(DRILLTIME) AS SUM_DRILL, ",
        "SUM(SLIDEDRILLTIME) AS SUM_SLIDEDRILL, SUM(ROTARYDRILLTIME) AS SUM_ROTARYDRILL, ",
        "SUM(CONNECTIONTIME) AS SUM_CONNECTION, SUM(PULLOUTTIME) AS SUM_PULLOUT, SUM(RUNINTIME) AS SUM_RUNIN",
        "FROM tubingstat", "WHERE (WELLID = :WELLID) AND (RUNNO = :RUNNO)"};
    CreateFields();
    dsTubingStat.OnCalcFields = [this](TDataSet& d) { dsTubingStatCalcFields(d); };

    static const char* const exportFields[] = {"STARTTIME", "SENSORDEPTH", "RUNNO",     "ITEMNO",
                                               "SUBITEMNO", "VSL_ISBHA",   "ITEMMODEL", "SURVEYDEPTH",
                                               "SUMWEIGHT"};
    static const TTubingFieldAction actions[] = {tfaFirst, tfaNone, tfaFirst, tfaCalc, tfaNone,
                                                 tfaNone,  tfaLast, tfaNone,  tfaNone};
    static const TTubingFieldType types[] = {tftDateTime, tftDouble, tftInteger, tftInteger, tftDouble,
                                             tftDouble,   tftString, tftDouble,  tftDouble};
    for (size_t i = 0; i < std::size(exportFields); ++i)
        FClipboardFields.push_back({dsTubingStat.FieldByName(exportFields[i]), actions[i], types[i], 0, {}});
    for (const QString& c : TimeColumns) FClipboardFields.push_back({dsTubingStat.FieldByName(c), tfaSum, tftDouble, 0, {}});

    Module() = this;
    // The well module may come before or after this one, and its database may
    // be opened again later: the rows follow it whenever it is there.
    connect(&WellDatabaseSignals(), &TWellDatabaseSignals::Opened, this, &TdmTubingStat::AttachToWells);
    connect(&WellDatabaseSignals(), &TWellDatabaseSignals::Closing, this, &TdmTubingStat::DetachFromWells);
    if (const TdmWells* wells = dmWells(); wells && wells->Connected()) AttachToWells();
    else DebugLog(QStringLiteral("TdmTubingStat.DataModuleCreate: the well database is not available yet"));
}

void TdmTubingStat::AttachToWells() {
    try {
        const TdmWells* wells = dmWells();
        if (!wells || !wells->Connected()) throw EDatabaseError(QStringLiteral("the well database is not available"));
        dsTubingStat.Close();
        itTubingStat.SetDatabase(wells->dbWells());
        DBChange();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmTubingStat.AttachToWells: %1").arg(ExceptionMessage(e)));
    }
    RecalcSumTimings();
}

void TdmTubingStat::DetachFromWells() {
    try {
        dsTubingStat.Close();
        qrSumTimings.Close();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmTubingStat.DetachFromWells: %1").arg(ExceptionMessage(e)));
    }
    itTubingStat.Detach();
}

TdmTubingStat::~TdmTubingStat() {
    try {
        dsTubingStat.Close();
        qrSumTimings.Close();
        itTubingStat.Rollback();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmTubingStat.DataModuleDestroy: %1").arg(QString::fromUtf8(e.what())));
    }
    if (Module() == this) Module() = nullptr;
}

void TdmTubingStat::CreateFields() {
    TSqlDataSet& d = dsTubingStat;
    auto integer = [&](const char* name, const QString& label, bool required, bool visible) {
        auto& f = d.AddField<TIntegerField>(name);
        f.SetDisplayLabel(label);
        f.Required = required;
        f.Visible = visible;
        f.Tag = -1;
    };
    auto number = [&](const char* name, const QString& label, bool required, bool visible, const QString& format) {
        auto& f = d.AddField<TFloatField>(name);
        f.SetDisplayLabel(label);
        f.Required = required;
        f.Visible = visible;
        f.DisplayFormat = format;
        f.Tag = -1;
    };
    auto calculated = [&](const QString& name, const QString& label, int tag) {
        auto& f = d.AddField<TStringField>(name, 20);
        f.FieldKind = TFieldKind::fkCalculated;
        f.SetDisplayLabel(label);
        f.Tag = tag;
    };
    integer("WELLID", {}, true, false);
    auto& start = d.AddField<TDateTimeField>("STARTTIME");
    start.SetDisplayLabel("Начало");
    start.Required = true;
    start.Tag = -1;
    number("SENSORDEPTH", "Глубина", false, true, "0.##");
    integer("RUNNO", "№ рейса", true, true);
    integer("ITEMNO", "№ элемента", false, true);
    integer("SUBITEMNO", "№ сегмента", false, true);
    integer("ISBHA", "КНБК", false, false);
    calculated("VSL_ISBHA", "КНБК", -1);
    auto& model = d.AddField<TStringField>("ITEMMODEL", 200);
    model.SetDisplayLabel("Типоразмер");
    model.Required = true;
    model.Tag = -1;
    number("SURVEYDEPTH", "Глубина по свечам", false, true, "0.##");
    number("SUMWEIGHT", "Суммарный вес", true, true, "0.##");
    for (size_t i = 0; i < TimeColumns.size(); ++i) number(TimeColumns[i].toUtf8().constData(), TimeLabels[i], false, false, {});
    for (size_t i = 0; i < TimeColumns.size(); ++i) calculated("VSL_" + TimeColumns[i], TimeLabels[i], int(i));
}

void TdmTubingStat::dsTubingStatCalcFields(TDataSet& DataSet) {
    for (const QString& c : TimeColumns)
        DataSet.FieldByName("VSL_" + c)->SetAsString(HoursToStr(OrZero(DataSet.FieldByName(c))));
    const TField* bha = DataSet.FieldByName("ISBHA");
    DataSet.FieldByName("VSL_ISBHA")->SetAsString(!bha->IsNull() && bha->AsInteger() != 0 ? QStringLiteral("Да") : QString());
}

QString TdmTubingStat::HoursToStr(double Hours) {
    if (!std::isfinite(Hours)) return {};
    // Whole seconds first, so that a value just under a whole hour reads as that hour.
    const double total = std::round(std::fabs(Hours) * 3600.0);
    const qint64 seconds = total > 9.0e15 ? qint64(9.0e15) : qint64(total);
    const QString sign = Hours < 0 && seconds > 0 ? QStringLiteral("-") : QString();
    return sign + QStringLiteral("%1:%2:%3")
                      .arg(seconds / 3600)
                      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString TdmTubingStat::GetSumTiming(int Index) const {
    if (Index < 0 || Index > 7) return {};
    return HoursToStr(FSumTimings.Values[size_t(Index)]);
}

void TdmTubingStat::DBChange() { OpenOnCurrentObjects(dsTubingStat); }

void TdmTubingStat::RecalcSumTimings() {
    try {
        OpenOnCurrentObjects(qrSumTimings);
        static const char* const sums[] = {"SUM_COMMON",      "SUM_MUDCIRCULATION", "SUM_DRILL",  "SUM_SLIDEDRILL",
                                           "SUM_ROTARYDRILL", "SUM_CONNECTION",     "SUM_PULLOUT", "SUM_RUNIN"};
        TTubingSumTimings read;
        for (size_t i = 0; i < read.Values.size(); ++i) read.Values[i] = OrZero(qrSumTimings.FieldByName(sums[i]));
        qrSumTimings.Close();
        FSumTimings = read;
    } catch (const std::exception& e) {
        FSumTimings = {};
        try {
            qrSumTimings.Close();
        } catch (...) {
        }
        DebugLog(QStringLiteral("TdmTubingStat.RecalcSumTimings: %1").arg(QString::fromUtf8(e.what())));
    }
}

void TdmTubingStat::CancelAndRollback(const QString& Method, const std::exception& e) {
    DebugLog(QStringLiteral("TdmTubingStat.%1: %2").arg(Method, QString::fromUtf8(e.what())));
    try {
        if (dsTubingStat.Active()) dsTubingStat.Cancel();
        itTubingStat.RollbackRetaining();
    } catch (const std::exception& e2) {
        DebugLog(QStringLiteral("TdmTubingStat.%1: %2").arg(Method, QString::fromUtf8(e2.what())));
    }
}

void TdmTubingStat::SetElementColumns(const TTubingStatItem& Item) {
    TSqlDataSet& d = dsTubingStat;
    const TdmJointcount* jc = dmJointcount();
    if (Item.TubingIndex >= 0 && jc && Item.TubingIndex < int(jc->FTubing.size())) {
        const TTubingItem& e = jc->FTubing[size_t(Item.TubingIndex)];
        const bool bha = e.Prefix == kBHAPrefix;
        if (bha) {
            d.FieldByName("ITEMNO")->Clear();
            d.FieldByName("SUBITEMNO")->Clear();
        } else {
            d.FieldByName("ITEMNO")->SetAsInteger(e.ItemNo);
            d.FieldByName("SUBITEMNO")->SetAsInteger(e.SubItemNo);
        }
        d.FieldByName("ISBHA")->SetAsInteger(bha ? 1 : 0);
        d.FieldByName("ITEMMODEL")->SetAsString(e.Name);
        if (std::isnan(e.Depth)) d.FieldByName("SURVEYDEPTH")->Clear();
        else d.FieldByName("SURVEYDEPTH")->SetAsFloat(e.Depth);
        // The column requires a weight: an unknown one is stored as 0.
        d.FieldByName("SUMWEIGHT")->SetAsFloat(std::isnan(e.SumWeight) ? 0.0 : e.SumWeight);
        return;
    }
    // An element beyond the list: the row is kept with what is known of it.
    d.FieldByName("ITEMNO")->SetAsInteger(-1);
    d.FieldByName("SUBITEMNO")->SetAsInteger(-1);
    d.FieldByName("ISBHA")->SetAsInteger(0);
    d.FieldByName("ITEMMODEL")->SetAsString(UnknownItemModel);
    d.FieldByName("SURVEYDEPTH")->Clear();
    d.FieldByName("SUMWEIGHT")->SetAsFloat(0);
}

void TdmTubingStat::SetTimeColumns(const TTubingStatItem& Item) {
    TSqlDataSet& d = dsTubingStat;
    d.FieldByName("SENSORDEPTH")->SetAsFloat(Item.SensorDepth);
    const double times[] = {Item.CommonTime,      Item.MudCirculationTime, Item.DrillTime,      Item.SlideDrillTime,
                            Item.RotaryDrillTime, Item.ConnectionTime,     Item.PullingOutTime, Item.RunInTime};
    for (size_t i = 0; i < TimeColumns.size(); ++i) d.FieldByName(TimeColumns[i])->SetAsFloat(times[i]);
}

bool TdmTubingStat::AddStatToDB(const TTubingStatItem& Item, bool IsNew) {
    if (!IsNew && (Item.StartTime <= 0 || Item.CommonTime <= 0)) return true;
    TSqlDataSet& d = dsTubingStat;
    if (!d.Active()) {
        ReportWellDatabaseWriteFailed(WriteWhat, QStringLiteral("the well database is not available"));
        return false;
    }
    TControlsDisabled disabled(d);
    const TBookmark here = d.GetBookmark();
    bool result = false;
    try {
        if (IsNew) {
            int well = -1, run = 0;
            CurrentObjects(well, run);
            d.Append();
            d.FieldByName("WELLID")->SetAsInteger(well);
            d.FieldByName("RUNNO")->SetAsInteger(run);
            SetElementColumns(Item);
            d.FieldByName("STARTTIME")->SetAsFloat(Item.StartTime);
            SetTimeColumns(Item);
            d.Post();
            itTubingStat.CommitRetaining();
            result = true;
        } else if (d.Locate({"WELLID", "RUNNO", "STARTTIME"}, {Item.WellID, Item.RunNo, Item.StartTime})) {
            d.Edit();
            SetTimeColumns(Item);
            d.Post();
            itTubingStat.CommitRetaining();
            result = true;
        }
    } catch (const std::exception& e) {
        CancelAndRollback(QStringLiteral("AddStatToDB"), e);
        ReportWellDatabaseWriteFailed(WriteWhat, ExceptionMessage(e));
    }
    if (result) WellDatabaseWriteSucceeded(WriteWhat);
    try {
        if (d.BookmarkValid(here)) d.GotoBookmark(here);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmTubingStat.AddStatToDB: %1").arg(QString::fromUtf8(e.what())));
    }
    return result;
}

void TdmTubingStat::DeleteCurrRecord() {
    TSqlDataSet& d = dsTubingStat;
    if (d.IsEmpty()) return;
    TControlsDisabled disabled(d);
    try {
        d.Delete();
        itTubingStat.CommitRetaining();
        RecalcSumTimings();
    } catch (const std::exception& e) {
        CancelAndRollback(QStringLiteral("DeleteCurrRecord"), e);
    }
}

void TdmTubingStat::GetCurrRecordFromDB(int& ItemNo, int& SubItemNo, bool& IsBHA, QString& ItemModel,
                                        double& SurveyDepth, double& SumWeight, TTubingStatItem& Item) {
    TSqlDataSet& d = dsTubingStat;
    TControlsDisabled disabled(d);
    ItemNo = d.FieldByName("ITEMNO")->AsInteger();
    SubItemNo = d.FieldByName("SUBITEMNO")->AsInteger();
    IsBHA = d.FieldByName("ISBHA")->AsInteger() != 0;
    ItemModel = d.FieldByName("ITEMMODEL")->AsString();
    SurveyDepth = OrZero(d.FieldByName("SURVEYDEPTH"));
    SumWeight = OrZero(d.FieldByName("SUMWEIGHT"));
    Item = {};
    Item.TubingIndex = -1;
    Item.StartTime = d.FieldByName("STARTTIME")->AsFloat();
    Item.SensorDepth = OrZero(d.FieldByName("SENSORDEPTH"));
    double* times[] = {&Item.CommonTime,      &Item.MudCirculationTime, &Item.DrillTime,      &Item.SlideDrillTime,
                       &Item.RotaryDrillTime, &Item.ConnectionTime,     &Item.PullingOutTime, &Item.RunInTime};
    for (size_t i = 0; i < TimeColumns.size(); ++i) *times[i] = OrZero(d.FieldByName(TimeColumns[i]));
}

bool TdmTubingStat::SaveCurrRecord(int ItemNo, int SubItemNo, bool IsBHA, const QString& ItemModel,
                                   double SurveyDepth, double SumWeight, const TTubingStatItem& Item) {
    TSqlDataSet& d = dsTubingStat;
    if (d.IsEmpty()) return false;
    bool result = false;
    TDateTime oldStart = 0;
    try {
        TControlsDisabled disabled(d);
        oldStart = d.FieldByName("STARTTIME")->AsFloat();
        d.Edit();
        if (IsBHA) {
            d.FieldByName("ITEMNO")->Clear();
            d.FieldByName("SUBITEMNO")->Clear();
        } else {
            d.FieldByName("ITEMNO")->SetAsInteger(ItemNo);
            d.FieldByName("SUBITEMNO")->SetAsInteger(SubItemNo);
        }
        d.FieldByName("ISBHA")->SetAsInteger(IsBHA ? 1 : 0);
        d.FieldByName("ITEMMODEL")->SetAsString(ItemModel);
        d.FieldByName("SURVEYDEPTH")->SetAsFloat(SurveyDepth);
        d.FieldByName("SUMWEIGHT")->SetAsFloat(SumWeight);
        d.FieldByName("STARTTIME")->SetAsFloat(Item.StartTime);
        SetTimeColumns(Item);
        d.Post();
        itTubingStat.CommitRetaining();
        RecalcSumTimings();
        result = true;
    } catch (const std::exception& e) {
        CancelAndRollback(QStringLiteral("SaveCurrRecord"), e);
    }
    if (result && FSetCurrStatProcedure) FSetCurrStatProcedure(Item, oldStart);
    return result;
}

void TdmTubingStat::CopyToClipboard(bool All) {
    QStringList labels;
    for (const TTubingStatField& f : FClipboardFields) labels << f.tsfField->DisplayLabel();
    QString text = labels.join('\t') + kLineEnd;
    TSqlDataSet& d = dsTubingStat;
    auto line = [&] {
        QStringList values;
        for (const TTubingStatField& f : FClipboardFields) values << f.tsfField->AsString();
        text += values.join('\t') + kLineEnd;
    };
    if (d.Active() && !d.IsEmpty()) {
        TControlsDisabled disabled(d);
        const TBookmark here = d.GetBookmark();
        if (All) {
            for (d.First(); !d.Eof(); d.Next()) line();
            d.GotoBookmark(here);
        } else {
            line();
        }
    }
    UIServices().Clipboard().SetAsText(text);
}

void TdmTubingStat::CopyTubingsToClipboard() {
    QStringList labels;
    for (const TTubingStatField& f : FClipboardFields)
        if (f.tsfAction != tfaNone) labels << f.tsfField->DisplayLabel();
    QString text = labels.join('\t') + kLineEnd;
    std::vector<TTubingStatField>& fields = FClipboardFields;
    auto standOf = [](const TTubingStatField& f) { return f.tsfValue; };
    TTubingStatField* calc = nullptr;
    for (TTubingStatField& f : fields)
        if (f.tsfAction == tfaCalc) calc = &f;
    auto writePending = [&] {
        if (!calc || standOf(*calc) < 1) return;
        QStringList values;
        for (const TTubingStatField& f : fields) {
            switch (f.tsfAction == tfaNone ? -1 : int(f.tsfType)) {
                case -1: continue;
                case tftDateTime: values << DateTimeToStr(f.tsfValue); break;
                case tftDouble: values << FloatToStr(f.tsfValue); break;
                case tftInteger: values << QString::number(Round(f.tsfValue)); break;
                case tftString: values << f.tsfText; break;
            }
        }
        text += values.join('\t') + kLineEnd;
    };
    TSqlDataSet& d = dsTubingStat;
    if (calc && d.Active() && !d.IsEmpty()) {
        TControlsDisabled disabled(d);
        const TBookmark here = d.GetBookmark();
        calc->tsfValue = -1;
        bool haveJoin = false;
        int join = 0;
        for (d.First(); !d.Eof(); d.Next()) {
            if (d.FieldByName("ISBHA")->AsInteger() == 1) {
                haveJoin = false;
                continue;
            }
            const int itemNo = d.FieldByName("ITEMNO")->AsInteger();
            const int subItemNo = d.FieldByName("SUBITEMNO")->AsInteger();
            const int stand = subItemNo > 0 ? itemNo + 1 : itemNo;
            if (haveJoin && subItemNo >= 0 && stand == join) {
                for (TTubingStatField& f : fields) {
                    if (f.tsfAction == tfaLast) {
                        if (f.tsfType == tftString) f.tsfText = f.tsfField->AsString();
                        else f.tsfValue = OrZero(f.tsfField);
                    } else if (f.tsfAction == tfaSum) {
                        f.tsfValue += OrZero(f.tsfField);
                    }
                }
                continue;
            }
            writePending();
            calc->tsfValue = stand;
            join = stand;
            haveJoin = true;
            for (TTubingStatField& f : fields) {
                if (f.tsfAction != tfaFirst && f.tsfAction != tfaLast && f.tsfAction != tfaSum) continue;
                if (f.tsfType == tftString) f.tsfText = f.tsfField->AsString();
                else f.tsfValue = OrZero(f.tsfField);
            }
        }
        writePending();
        d.GotoBookmark(here);
    }
    UIServices().Clipboard().SetAsText(text);
}
