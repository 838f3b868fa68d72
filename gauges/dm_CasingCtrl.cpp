#include "dm_CasingCtrl.h"

#include "ClassRegistry.h"
#include "DataAccess.h"
#include "Exceptions.h"
#include "Formatting.h"
#include "ModalDialogs.h"
#include "WKConsts.h"
#include "dlg_SetupCasingDsgn.h"
#include "dm_Wells.h"
#include "fr_Align.h"

#include <QApplication>
#include <QPainter>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <memory>

WK_REGISTER_CLASS(TCasingControl)

TdmCasingCtrl* dmCasingCtrl = nullptr;

namespace {
const char* const CasingSql =
    "select WELLID, CASINGTYPEID, BOTTOMDEPTH from CASING\n"
    "where (WELLID = ?) and (PROJECTED=0)\n"
    "order by BOTTOMDEPTH desc";
const char* const CasingItemsSql =
    "select \n"
    "CASINGITEMS.ITEMTYPE,\n"
    "CASINGITEMS.itemlength,\n"
    "REF_CASINGITEMS.insidediameter,\n"
    "REF_CASINGITEMS.OUTSIDEDIAMETER,\n"
    "REF_CASINGITEMS.ITEMMODEL\n"
    "from CASINGITEMS, REF_CASINGITEMS\n"
    "where (WELLID = ?) and (PROJECTED=0) and\n"
    "(CASINGTYPEID=?) and\n"
    "(casingitems.itemtype=ref_casingitems.typeid) and\n"
    "(casingitems.itemmodel=ref_casingitems.itemmodel)\n"
    "order by ITEMNO";
const char* const BitsSql =
    "select ref_bhaitems.outsidediameter, BOTTOMHOLEASSEMBLY.TYPEID, RUNS.STARTDEPTH, RUNS.STOPDEPTH\n"
    "from ref_bhaitems, BOTTOMHOLEASSEMBLY, RUNS where\n"
    "(RUNS.WELLID = ?) and\n"
    "(BOTTOMHOLEASSEMBLY.WELLID=RUNS.WELLID) and\n"
    "(ref_bhaitems.TYPEID >= 67108864) and\n"
    "(ref_bhaitems.TYPEID < 83886079) and\n"
    "(ref_bhaitems.TYPEID = bottomholeassembly.typeid) and\n"
    "(BOTTOMHOLEASSEMBLY.runno = RUNS.RUNNO)\n"
    "order by BOTTOMHOLEASSEMBLY.runno DESC";

// Equal as single-precision values of the old runtime compare by default.
bool SameSingle(float a, float b) {
    const float resolution = 1e-4f;
    return std::fabs(a - b) <= std::max(std::min(std::fabs(a), std::fabs(b)) * resolution, resolution);
}

struct TCasingItem {
    float Length, InnerDiam, OuterDiam;
    QString Model;
};

constexpr TColor Cream = TColor(0xF0FBFF);
constexpr TColor Wall = TColor(0xC0C0C0);
constexpr TColor WallPen = TColor(0x808080);
}  // namespace

bool IsCasingChange(TServiceEvent Event, void* Sender) {
    if (Event != seDBChange || !Sender) return false;
    const QString& name = *static_cast<const QString*>(Sender);
    return name == QLatin1String("RUNS") || name == QLatin1String("WELLS");
}

// --- the data module ---------------------------------------------------------------------------

TdmCasingCtrl::TdmCasingCtrl(QObject* owner) : QObject(owner), FCasing(new TCasing(this)) {
    try {
        LoadCasing();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmCasingCtrl.DataModuleCreate: ") + ExceptionMessage(e));
    }
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
}

TdmCasingCtrl::~TdmCasingCtrl() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
    if (dmCasingCtrl == this) dmCasingCtrl = nullptr;
}

void TdmCasingCtrl::LoadCasing() {
    TdmWells* wells = dmWells();
    if (!wells) return;
    const TDataConnection& db = wells->dbWells();
    const int well = wells->FCurrentWell;
    // Read into a new list: a failure half-way keeps what was shown.
    auto casing = std::make_unique<TCasing>(this);
    float maxDiam = 0, maxBottom = 0, bitSize = 0;
    struct TString { int TypeID; float Bottom; };
    std::vector<TString> strings;
    {
        QSqlQuery q = db.Exec(QString::fromLatin1(CasingSql), {well});
        while (q.next()) strings.push_back({q.value(1).toInt(), q.value(2).toFloat()});
    }
    for (const TString& s : strings) {
        std::vector<TCasingItem> items;
        {
            QSqlQuery q = db.Exec(QString::fromLatin1(CasingItemsSql), {well, s.TypeID});
            while (q.next())
                items.push_back({q.value(1).toFloat(), q.value(2).toFloat(), q.value(3).toFloat(), q.value(4).toString()});
        }
        float d = s.Bottom;
        if (d <= 0) {
            // Hanging from the surface: as deep as its items are long.
            d = 0;
            for (const TCasingItem& i : items) d += i.Length;
        }
        maxBottom = std::max(maxBottom, d);
        // Every string starts a segment of its own.
        TCasingSegment* seg = nullptr;
        for (const TCasingItem& i : items) {
            if (d < 0) break;
            if (!seg || !SameSingle(seg->InnerDiam, i.InnerDiam) || !SameSingle(seg->OuterDiam, i.OuterDiam) ||
                seg->Name != i.Model) {
                seg = static_cast<TCasingSegment*>(casing->Add());
                seg->BottomDepth = d;
                seg->Name = i.Model;
            }
            seg->InnerDiam = i.InnerDiam;
            seg->OuterDiam = i.OuterDiam;
            maxDiam = std::max(maxDiam, i.OuterDiam);
            seg->Length += i.Length;
            d -= i.Length;
        }
    }
    {
        QSqlQuery q = db.Exec(QString::fromLatin1(BitsSql), {well});
        if (q.next()) {
            maxBottom = std::max({maxBottom, q.value(2).toFloat(), q.value(3).toFloat()});
            bitSize = q.value(0).toFloat();
        }
    }
    maxDiam = std::max(maxDiam, bitSize);
    delete FCasing;
    FCasing = casing.release();
    MaxDiam = maxDiam > 0 ? maxDiam : 1;
    MaxBottomDepth = maxBottom > 0 ? maxBottom : 1;
    BitSize = bitSize;
}

void TdmCasingCtrl::Notify(TServiceEvent Event, void* Sender) {
    if (!IsCasingChange(Event, Sender)) return;
    try {
        LoadCasing();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TdmCasingCtrl.Notify: ") + ExceptionMessage(e));
    }
}

// --- the control -------------------------------------------------------------------------------

TCasingControl::TCasingControl(QObject* owner) : TControl(owner) {
    FBackgroundImage.load(QStringLiteral(":/WKComponents/ROCK"), "JPEG");
    if (!dmCasingCtrl) dmCasingCtrl = new TdmCasingCtrl(qApp);
    if (SecondaryServices) {
        SecondaryServices->AddNotification(this);
        FRegistered = true;
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetBounds(Left(), Top(), 100, 200);
}

TCasingControl::~TCasingControl() {
    if (FRegistered && SecondaryServices) SecondaryServices->RemoveNotification(this);
}

void TCasingControl::Notify(TServiceEvent Event, void* Sender) {
    if (IsCasingChange(Event, Sender)) update();
}

void TCasingControl::Setup() {
    TdlgSetupCasingDsgn dlg;
    dlg.frAlign->SetCtlAlign(Align());
    if (ShowModal(dlg) == mrOk) SetAlign(dlg.frAlign->GetCtlAlign());
}

void TCasingControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    p.fillRect(QRect(0, 0, w, 10), ColorToQColor(Cream));
    if (!FBackgroundImage.isNull())
        for (int y = 10; y < h; y += FBackgroundImage.height())
            for (int x = 0; x < w; x += FBackgroundImage.width()) p.drawImage(x, y, FBackgroundImage);
    const TdmCasingCtrl* data = dmCasingCtrl;
    if (!data || data->MaxBottomDepth <= 0 || data->MaxDiam <= 0) return;
    const int cx = w / 2;
    const double ys = double(h - 20) / data->MaxBottomDepth;
    const double xs = double(w - 20) / data->MaxDiam;
    const auto X = [&](double u) { return int(Round(u * xs)) + cx; };
    const auto Y = [&](double z) { return int(Round(z * ys)) + 10; };
    // Filled as the old canvas fills: right and bottom edges excluded.
    const auto fill = [&](int x1, int y1, int x2, int y2, TColor c) {
        p.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)), ColorToQColor(c));
    };
    QPen pen(ColorToQColor(WallPen), 1, Qt::DotLine);
    for (int i = data->FCasing->Count() - 1; i >= 0; --i) {
        const TCasingSegment* s = data->FCasing->Segment(i);
        const int top = Y(s->BottomDepth - s->Length), bottom = Y(s->BottomDepth);
        fill(X(-s->InnerDiam / 2), top, X(s->InnerDiam / 2), bottom, Cream);
        for (const auto& [outer, inner] : {std::pair(X(-s->OuterDiam / 2), X(-s->InnerDiam / 2)),
                                           std::pair(X(s->InnerDiam / 2), X(s->OuterDiam / 2))}) {
            const int l = std::min(outer, inner), r = std::max(outer, inner);
            fill(l, top, r, bottom, Wall);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            if (r - l > 1 && bottom - top > 1) p.drawRect(QRect(l, top, r - l - 1, bottom - top - 1));
        }
    }
    if (data->BitSize > 0) fill(X(-data->BitSize / 2), Y(0), X(data->BitSize / 2), Y(data->MaxBottomDepth), Cream);
}
