#include "Kurvex.h"

#include "ClassRegistry.h"
#include "KXLegend.h"
#include "KXLinePath.h"
#include "Menus.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>

int SelectionSensitivity = 2;
QColor SelectionColor = QColor(0xFF, 0xFF, 0xB7);

namespace {
// Rounds to the nearest integer, ties to even, as std::nearbyint does in the default
// floating-point mode, without a library call; for |v| <= 1e9. Adding 1.5 × 2^52
// leaves the integer in the low bits.
inline int RoundHalfEven(double v) {
    const double shifted = v + 6755399441055744.0;
    std::int64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<int>(bits);
}
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const QColor BtnFaceColor(0xF0, 0xF0, 0xF0);
const QColor BtnShadowColor(0xA0, 0xA0, 0xA0);
const QColor BtnHighlightColor(0xFF, 0xFF, 0xFF);
const QColor InfoBkColor(0xFF, 0xFF, 0xE1);
constexpr int MinFieldSize = 30;
}  // namespace

bool SameXValue(double A, double B) {
    const double eps = std::max(std::min(std::fabs(A), std::fabs(B)) * 1e-12, 1e-12);
    return std::fabs(A - B) <= eps;
}

// --- TScales ---

TScales::TScales(TChartField* Field) : TCollection(&TScale::staticMetaObject, Field), FField(Field) {}

TGraphion* TScales::Chart() const {
    if (!FField) return nullptr;
    if (FField->Chart()) return FField->Chart();
    // a field being read is not attached yet, but its collection knows the chart
    return FField->Collection() ? qobject_cast<TGraphion*>(FField->Collection()->Owner()) : nullptr;
}

TScale* TScales::Add() {
    TGraphion* chart = Chart();
    auto* s = qobject_cast<TScale*>(TCollection::Add());
    s->SetVisibleScale(true);
    s->SetDisplayValue(NaN);
    if (chart && !chart->IsLoading()) s->SetFontObject(chart->Font());
    return s;
}

int TScales::IndexOf(const TScale* Scale) const { return Scale && Scale->Collection() == this ? Scale->Index() : -1; }

void TScales::Move(int From, int To) {
    if (From < 0 || From >= Count() || To < 0 || To >= Count() || From == To) return;
    Items(From)->SetIndex(To);
}

void TScales::SetOrientation(TChartOrientation Value) {
    for (int i = 0; i < Count(); ++i) {
        TScale* s = Items(i);
        const TStripAlign a = s->GetAlign();
        TStripAlign want;
        if (Value == coHorizontal) want = a == saBottom ? saRight : saLeft;
        else want = a == saRight ? saBottom : saTop;
        if (want != a) s->SetAlign(want);
    }
}

void TScales::Update(TCollectionItem*) {
    TGraphion* chart = Chart();
    if (!chart || !FField->Control() || chart->FDestroying) return;
    for (int i = 0; i < Count(); ++i) {
        TScale* s = Items(i);
        TScaleControl* c = s->Control();
        if (!c) continue;
        if (c->parentWidget() != FField->Control()) c->setParent(FField->Control());
        c->show();
        connect(s, &TScale::ScaleChanged, FField->Client(), qOverload<>(&QWidget::update), Qt::UniqueConnection);
    }
    SetOrientation(chart->Orientation());
    chart->FreeUnlinkedSeries();
    chart->Realign();
    chart->NotifyLegend(CM_CHARTCHANGED);
}

// --- TFieldControl, TFieldClientBox ---

TFieldControl::TFieldControl(QWidget* Parent, TChartField* Field) : QWidget(Parent), FField(Field) {
    setMinimumSize(MinFieldSize, MinFieldSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFieldControl::Unlock() {
    if (FLockCount > 0 && --FLockCount == 0) update();
}

void TFieldControl::paintEvent(QPaintEvent*) {
    if (FLockCount > 0) return;
    QPainter p(this);
    const int indent = std::max(FField->SpacePos(), 0);
    if (FField->Chart()->Orientation() == coHorizontal)
        p.fillRect(QRect(0, 0, indent, height()), FField->Color());
    else
        p.fillRect(QRect(0, 0, width(), indent), FField->Color());
}

TFieldClientBox::TFieldClientBox(QWidget* Parent, TFieldControl* Field) : TFastControl(Parent), FField(Field) {
    setMouseTracking(true);
}

TGraphion* TFieldClientBox::GetChart() const { return FField->Field()->Chart(); }
TChartField* TFieldClientBox::GetField() const { return FField->Field(); }

void TFieldClientBox::PaintOn(QPainter& DC) { GetField()->PaintRequest(DC); }

void TFieldClientBox::mousePressEvent(QMouseEvent* e) {
    TGraphion* c = GetChart();
    if (c->focusPolicy() != Qt::NoFocus) c->setFocus();
    const QPoint p = e->position().toPoint();
    c->FieldMouseDown(GetField(), e->button(), e->buttons(), e->modifiers(), p.x(), p.y());
}

void TFieldClientBox::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    GetChart()->FieldMouseMove(GetField(), e->buttons(), e->modifiers(), p.x(), p.y(),
                               (e->buttons() & Qt::LeftButton) != 0);
}

void TFieldClientBox::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    GetChart()->FieldMouseUp(GetField(), e->button(), e->modifiers(), p.x(), p.y());
}

void TFieldClientBox::wheelEvent(QWheelEvent* e) {
    GetChart()->FieldWheel(e->angleDelta());
    e->accept();
}

TComponent* TFieldClientBox::PopupMenu() const { return GetChart()->PopupMenu(); }

void TFieldClientBox::contextMenuEvent(QContextMenuEvent* e) {
    auto* menu = qobject_cast<TPopupMenu*>(PopupMenu());
    if (!menu || !menu->AutoPopup()) {
        e->ignore();
        return;
    }
    menu->Popup(this, e->globalPos());
    e->accept();
}

// --- TChartField ---

TChartField::TChartField(TCollection* Collection)
    : TCollectionItem(Collection), FGridPenObj(new TPen(this)), FScales(new TScales(this)) {
    FScales->setParent(this);
    connect(FGridPenObj, &TPersistent::Changed, this, [this] {
        if (FClient) FClient->update();
    });
}

void TChartField::Attach(TGraphion* Chart) {
    if (FChart) return;
    FChart = Chart;
    FControl = new TFieldControl(Chart, this);
    FClient = new TFieldClientBox(FControl, FControl);
    FClient->SetColor(Color());
    FSplitter = new TKXSplitter(Chart);
    FSplitter->OnMoved = [this](int Delta) {
        const int i = Index();
        if (i <= 0) return;
        TChartField* prev = FChart->Fields().Items(i - 1);
        const bool last = i == FChart->Fields().Count() - 1;
        if (FChart->Orientation() == coHorizontal) {
            prev->FControl->resize(prev->FControl->width(), prev->FControl->height() + Delta);
            if (!last) FControl->resize(FControl->width(), FControl->height() - Delta);
        } else {
            prev->FControl->resize(prev->FControl->width() + Delta, prev->FControl->height());
            if (!last) FControl->resize(FControl->width() - Delta, FControl->height());
        }
        FChart->MarkSetPercents();
        FChart->Realign();
    };
    FControl->show();
    FClient->show();
    FScales->Refresh();
}

TChartField::~TChartField() {
    if (FChart) ++FChart->FAlignDisabled;
    delete FScales;
    FScales = nullptr;
    delete FControl;
    delete FSplitter;
    if (FChart) --FChart->FAlignDisabled;
}

void TChartField::Assign(const TPersistent* Source) {
    if (auto* f = qobject_cast<const TChartField*>(Source)) Assign(*f);
    else TCollectionItem::Assign(Source);
}

void TChartField::Assign(const TChartField& Source) {
    SetCaption(Source.FCaption);
    SetColorValue(Source.FColor);
    FGridPenObj->Assign(Source.FGridPenObj);
    FShowSubGrid = Source.FShowSubGrid;
    FPercents = Source.FPercents;
    FScales->BeginUpdate();
    FScales->Clear();
    for (int i = 0; i < Source.Scales().Count(); ++i) {
        TScale* s = FScales->Add();
        s->Assign(*Source.Scales().Items(i));
    }
    FScales->EndUpdate();
    SetGridInd(Source.GridIndex());
}

TSeries* TChartField::FindSeries(const QVariant& ID) const {
    if (!FChart) return nullptr;
    for (int i = 0; i < FChart->GetSeriesCount(); ++i) {
        TSeries* s = FChart->GetSeries(i);
        if (s->FieldID() == TCollectionItem::ID() && ChartIDsEqual(s->ID(), ID)) return s;
    }
    return nullptr;
}

void TChartField::Lock() {
    if (!FChart) return;
    for (int i = 0; i < FScales->Count(); ++i)
        if (auto* c = FScales->Items(i)->Control()) c->Lock();
    FClient->Lock();
    FControl->Lock();
}

void TChartField::Unlock() {
    if (!FChart) return;
    for (int i = 0; i < FScales->Count(); ++i)
        if (auto* c = FScales->Items(i)->Control()) c->Unlock();
    FClient->Unlock();
    FControl->Unlock();
}

void TChartField::Repaint() {
    if (!FChart) return;
    FControl->update();
    FClient->update();
}

void TChartField::PaintRequest(QPainter& DC) {
    if (FChart) FChart->FieldPaintRequest(this, DC);
}

void TChartField::PaintIcon(QPainter& DC, const QRect& Box) const {
    DC.fillRect(Box, Color());
    DC.setPen(BtnHighlightColor);
    DC.drawLine(Box.topLeft(), Box.topRight());
    DC.drawLine(Box.topLeft(), Box.bottomLeft());
    DC.setPen(BtnShadowColor);
    DC.drawLine(Box.bottomLeft(), Box.bottomRight());
    DC.drawLine(Box.topRight(), Box.bottomRight());
}

void TChartField::SetPercents(double Value) {
    if (!FChart || FChart->IsComponentLoading()) FPercents = Value;
}

void TChartField::SetCaption(const QString& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    if (FChart) FChart->TextChanged(this);
}

void TChartField::SetColor(const QColor& Value) { SetColorValue(RGBToColor(Value.red(), Value.green(), Value.blue())); }

void TChartField::SetColorValue(TColor Value) {
    FColor = Value;
    if (!FChart) return;
    FClient->SetColor(Color());
    Repaint();
    FChart->NotifyLegend(CM_CHARTCHANGED);
}

void TChartField::SetGridPen(const QPen& Value) {
    FGridPenObj->SetColor(RGBToColor(Value.color().red(), Value.color().green(), Value.color().blue()));
    FGridPenObj->SetWidth(Value.width());
    FGridPenObj->SetStyle(Value.style() == Qt::DotLine ? TPen::psDot : Value.style() == Qt::DashLine ? TPen::psDash : TPen::psSolid);
}

int TChartField::GridIndex() const {
    TScale* s = FScales->FindItemID(FGridID);
    return s ? FScales->IndexOf(s) : -1;
}

void TChartField::SetGridInd(int Value) {
    if (Value >= 0 && Value < FScales->Count()) FGridID = FScales->Items(Value)->ID();
    if (FClient) FClient->update();
}

void TChartField::SetShowSubGrid(bool Value) {
    FShowSubGrid = Value;
    if (FClient) FClient->update();
}

int TChartField::Size() const {
    if (!FChart) return 0;
    return FChart->Orientation() == coHorizontal ? FControl->height() : FControl->width();
}

void TChartField::SetSize(int Value) {
    if (!FChart) return;
    FChart->MarkSetPercents();
    if (FChart->Orientation() == coHorizontal)
        FControl->resize(FControl->width(), Value);
    else
        FControl->resize(Value, FControl->height());
    FChart->Realign();
}

int TChartField::GetSumOffset() {
    if (!FChart) return 0;
    const bool horizontal = FChart->Orientation() == coHorizontal;
    const int length = horizontal ? FControl->height() : FControl->width();
    int sum = 0;
    for (int i = 0; i < FScales->Count(); ++i) {
        TScale* s = FScales->Items(i);
        s->SetLength(length);
        if (s->Visible()) sum += s->GetSize();
    }
    return sum;
}

void TChartField::ArrangeScales(int MaxOffset) {
    if (!FChart) return;
    const bool horizontal = FChart->Orientation() == coHorizontal;
    const int own = GetSumOffset();
    FSpacePos = MaxOffset - own;
    const QRect r = FControl->rect();
    int pos = std::max(FSpacePos, 0);
    for (int i = 0; i < FScales->Count(); ++i) {
        TScale* s = FScales->Items(i);
        TScaleControl* c = s->Control();
        if (!c) continue;
        const int size = s->Visible() ? s->GetSize() : 0;
        c->setVisible(s->Visible() && size > 0);
        if (horizontal) {
            c->setGeometry(pos, 0, size, r.height());
            s->SetLength(r.height());
        } else {
            c->setGeometry(0, pos, r.width(), size);
            s->SetLength(r.width());
        }
        // A hidden scale still places its series: its layout follows the field's length.
        if (!s->Visible()) s->Adjust();
        pos += size;
    }
    if (horizontal)
        FClient->setGeometry(pos, 0, std::max(r.width() - pos, 0), r.height());
    else
        FClient->setGeometry(0, pos, r.width(), std::max(r.height() - pos, 0));
}

// --- TChartFields ---

TChartFields::TChartFields(TGraphion* Chart) : TCollection(&TChartField::staticMetaObject, Chart), FChart(Chart) {}

TChartField* TChartFields::Add() {
    const QColor grid = FChart->GetGridColor();
    auto* f = qobject_cast<TChartField*>(TCollection::Add());
    if (!FChart->IsLoading()) {
        f->SetGridPen(QPen(grid, 1));
        f->SetColorValue(FChart->Color());
    }
    return f;
}

void TChartFields::Move(int From, int To) {
    if (From < 0 || From >= Count() || To < 0 || To >= Count() || From == To) return;
    Items(From)->SetIndex(To);
}

void TChartFields::ArrangeScales(int MaxOffset) {
    for (int i = 0; i < Count(); ++i) Items(i)->ArrangeScales(MaxOffset);
}

void TChartFields::Lock() {
    for (int i = 0; i < Count(); ++i) Items(i)->Lock();
}

void TChartFields::Unlock() {
    for (int i = 0; i < Count(); ++i) Items(i)->Unlock();
}

void TChartFields::Update(TCollectionItem*) {
    if (FChart->FDestroying) return;
    const int n = Count();
    for (int i = 0; i < n; ++i) Items(i)->Attach(FChart);
    for (int i = 0; i < n; ++i) {
        TChartField* f = Items(i);
        f->FSplitter->setVisible(i > 0);
        if (FChart->IsComponentLoading())
            FChart->FSetPercents = true;
        else
            f->FPercents = 1.0 / n;
        f->FSplitter->SetVertical(FChart->Orientation() == coVertical);
        f->FScales->SetOrientation(FChart->Orientation());
    }
    FChart->setMinimumSize(40 * n, 40 * n);
    FChart->FreeUnlinkedSeries();
    FChart->NotifyLegend(CM_CHARTCHANGED);
    FChart->Realign();
}

// --- TGraphion ---

TGraphion::TGraphion(QObject* AOwner) : TControl(AOwner), FSelectionStart(NaN), FSelectionStop(NaN) {
    if (auto* w = qobject_cast<QWidget*>(AOwner)) setParent(w);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    FXScale = new TScale(this);
    FXScale->SetIsMainScale(true);
    FXScale->Control()->show();
    connect(FXScale, &TScale::ScaleChanged, this, &TGraphion::XScaleChanged);
    connect(FXScale, &TScale::CaptionChanged, this, [this] { TextChanged(FXScale); });
    FFields = new TChartFields(this);
    FFields->setParent(this);
    FOrientation = coVertical;
    SetOrientation(coHorizontal);
}

TGraphion::~TGraphion() {
    FDestroying = true;
    while (!FSeriesList.empty()) {
        TSeries* s = FSeriesList.back();
        FSeriesList.pop_back();
        s->FChart = nullptr;
        delete s;
    }
    delete FFields;
    FFields = nullptr;
    delete FXScale;
    FXScale = nullptr;
    // the legend must not touch the chart any more; it only compares the address
    if (FLegendControl) SendWKMessage(FLegendControl, CM_CHARTDESTROYED, QVariant::fromValue<QObject*>(this));
}

void TGraphion::Loaded() {
    TControl::Loaded();
    for (TSeries* s : FSeriesList) s->ResolveIDs();
    NotifyLegend(CM_CHARTCHANGED);
    FSetPercents = false;
    FXScale->Changed();
    for (int i = 0; i < FFields->Count(); ++i) {
        TScales& sc = FFields->Items(i)->Scales();
        for (int k = 0; k < sc.Count(); ++k) sc.Items(k)->Changed();
    }
    FFields->Refresh();
}

void TGraphion::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    TControl::GetChildren(proc, root);
    // Every series is written inside its chart, whoever owns it: the chart
    // commands make them owned by the chart, the review by the form.
    for (TSeries* s : FSeriesList) proc(s);
}

void TGraphion::Assign(const TGraphion& Source) {
    if (&Source == this) return;
    Lock();
    SetColor(Source.Color());
    SetCaption(Source.FCaption);
    SetOrientation(Source.FOrientation);
    FXScale->Assign(*Source.FXScale);
    New();
    for (int i = 0; i < Source.Fields().Count(); ++i) FFields->Add()->Assign(*Source.Fields().Items(i));
    FFields->Refresh();
    for (TSeries* src : Source.FSeriesList) {
        QObject* o = src->metaObject()->newInstance(Q_ARG(QObject*, this));
        auto* s = qobject_cast<TSeries*>(o);
        if (!s) {
            delete o;
            continue;
        }
        InsertSeries(s);
        s->Assign(*src);
    }
    Unlock();
    NotifyLegend(CM_CHARTCHANGED);
}

void TGraphion::InsertS(TSeries* Series) {
    if (!Series || std::find(FSeriesList.begin(), FSeriesList.end(), Series) != FSeriesList.end()) return;
    if (Series->Chart() && Series->Chart() != this) Series->Chart()->RemoveS(Series);
    Series->setParent(this);
    Series->SetChart(this);
    FSeriesList.push_back(Series);
}

void TGraphion::RemoveS(TSeries* Series) {
    const auto it = std::find(FSeriesList.begin(), FSeriesList.end(), Series);
    if (it == FSeriesList.end()) return;
    FSeriesList.erase(it);
    Series->FChart = nullptr;
    if (Series->parent() == this) Series->setParent(nullptr);
}

void TGraphion::InsertSeries(TSeries* Series) {
    InsertS(Series);
    if (!Locked() && !IsLoading()) {
        ForceRepaint();
        NotifyLegend(CM_CHARTCHANGED);
    }
}

void TGraphion::RemoveSeries(TSeries* Series) {
    RemoveS(Series);
    if (FDestroying) return;
    ForceRepaint();
    NotifyLegend(CM_CHARTCHANGED);
}

TSeries* TGraphion::GetSeries(int Index) const {
    if (Index < 0 || Index >= GetSeriesCount()) return nullptr;
    return FSeriesList[static_cast<size_t>(Index)];
}

TChartField* TGraphion::GetScaleField(const TScale* Scale) const {
    for (int i = 0; i < FFields->Count(); ++i)
        if (FFields->Items(i)->Scales().IndexOf(Scale) >= 0) return FFields->Items(i);
    return nullptr;
}

void TGraphion::GetScaleSeries(const TScale* Scale, std::vector<TSeries*>& Series) const {
    const TChartField* f = GetScaleField(Scale);
    if (!f) return;
    for (TSeries* s : FSeriesList)
        if (s->FieldID() == f->ID() && s->ScaleID() == Scale->ID()) Series.push_back(s);
}

void TGraphion::FreeUnlinkedSeries() {
    if (IsLoading() || FDestroying) return;
    for (size_t i = FSeriesList.size(); i-- > 0;) {
        TSeries* s = FSeriesList[i];
        TChartField* f = FFields->FindItemID(s->FieldID());
        TScale* sc = f && s->ScaleID() != -1 ? f->Scales().FindItemID(s->ScaleID()) : nullptr;
        if (!f || (s->ScaleID() != -1 && !sc)) {
            RemoveS(s);
            delete s;
            continue;
        }
        s->FFieldInd = f->Index();
        s->FScaleInd = sc ? sc->Index() : -1;
    }
}

void TGraphion::New() {
    FFields->Clear();
    while (!FSeriesList.empty()) {
        TSeries* s = FSeriesList.back();
        RemoveS(s);
        delete s;
    }
    FFields->Refresh();
}

void TGraphion::ForceRepaint() {
    update();
    if (FXScale && FXScale->Control()) FXScale->Control()->update();
    for (int i = 0; i < FFields->Count(); ++i) FFields->Items(i)->Repaint();
}

void TGraphion::XScaleChanged() {
    if (FXScale && FXScale->Control()) FXScale->Control()->update();
    for (int i = 0; i < FFields->Count(); ++i)
        if (TFieldClientBox* c = FFields->Items(i)->Client()) c->update();
}

void TGraphion::SeriesPaintRequest(TSeries* Series) {
    if (TChartField* f = FFields->FindItemID(Series->FieldID())) f->Repaint();
}

void TGraphion::Changed() {
    ForceRepaint();
    NotifyLegend(CM_CHARTCHANGED);
}

void TGraphion::SetShowCheckboxes(bool Value) {
    FShowCheckboxes = Value;
    Changed();
}

void TGraphion::Lock() {
    if (FLockLevel++ == 0) {
        ++FAlignDisabled;
        if (FXScale->Control()) FXScale->Control()->Lock();
    }
}

void TGraphion::Unlock() {
    if (FLockLevel == 0) return;
    if (--FLockLevel == 0) {
        if (FXScale->Control()) FXScale->Control()->Unlock();
        --FAlignDisabled;
        Realign();
        NotifyLegend(CM_CHARTCHANGED);
    }
}

void TGraphion::ClearLabels() {
    try {
        for (TSeries* s : FSeriesList) s->Labels().Clear();
    } catch (const std::exception&) {
    }
    ForceRepaint();
}

void TGraphion::SetOrientation(TChartOrientation Value) {
    if (Value == FOrientation) return;
    ++FAlignDisabled;
    FOrientation = Value;
    FFields->Refresh();
    FXScale->SetAlign(Value == coVertical ? saLeft : saBottom);
    if (OnChangeOrientation) OnChangeOrientation();
    --FAlignDisabled;
    Realign();
}

void TGraphion::SetSelection(double Start, double Stop) {
    FSelectionStart = Start;
    FSelectionStop = Stop;
    ForceRepaint();
}

double TGraphion::GetXValue(int X, int Y) const { return FXScale->PrjBack(GetX(X, Y)); }

bool TGraphion::IsCursorOverValue(int X, int Y, double Value) const {
    if (std::isnan(Value)) return false;
    return std::abs(GetX(X, Y) - FXScale->Prj(Value)) <= SelectionSensitivity;
}

void TGraphion::PrjSeries(TScale* Scale, double A, double B, const double* X, const double* Y, int Count,
                          QPoint* Points) const {
    if (A == 0) A = 1;
    const bool transform = A != 1 || B != 0;
    const bool log = Scale->StepType() == sttLogarithmic;
    TScaleControl* strip = Scale->Control();
    const int length = strip ? (FOrientation == coHorizontal ? strip->height() : strip->width()) : Scale->Length();
    const TScale& xs = *FXScale;
    TScaleControl* xstrip = xs.Control();
    const int xlength = xstrip ? (FOrientation == coHorizontal ? xstrip->width() : xstrip->height()) : xs.Length();
    // Loop invariants read once: this runs for every record of every live series on every tick.
    const double yMin = Scale->Min(), yPix = static_cast<double>(Scale->PixPerVal());
    const double yLogMin = log && yMin > 0 ? std::log10(yMin) : 0;
    const bool yInverted = Scale->InternalInverted();
    const long long yFar = length - Scale->BackOffset() - 1, yNear = Scale->Offset();
    const double xMin = xs.Min(), xPix = static_cast<double>(xs.PixPerVal());
    const bool xInverted = xs.InternalInverted();
    const int xFar = xlength - xs.BackOffset() - xs.Offset() - 1;
    const bool horizontal = FOrientation == coHorizontal;
    for (int i = 0; i < Count; ++i) {
        int e;
        double y = Y[i];
        if (std::isnan(y)) {
            e = -1;
        } else {
            if (transform) y = A * y + B;
            double raw;
            if (log) raw = y > 0 && yMin > 0 ? (std::log10(y) - yLogMin) * yPix : -1;
            else raw = (y - yMin) * yPix;
            // An infinite value keeps its side (clamped below); only a fault has none.
            if (std::isnan(raw)) {
                e = 3000;
            } else {
                const long long r = RoundHalfEven(std::clamp(raw, -1e9, 1e9));
                const long long p = yInverted ? yFar - r : r + yNear;
                e = static_cast<int>(std::clamp<long long>(p, -3000, 3000));
            }
        }
        double xraw = (X[i] - xMin) * xPix;
        if (std::isnan(xraw)) xraw = -3000;
        int xp = static_cast<int>(RoundHalfEven(std::clamp(xraw, -3000.0, 3000.0)));
        if (xInverted) xp = xFar - xp;
        Points[i] = horizontal ? QPoint(xp, e) : QPoint(e, xp);
    }
}

void TGraphion::PrjSeriesValues(TScale* Scale, double A, double B, const double* X, const double* Y, int Count,
                                double* PX, double* PY) const {
    if (A == 0) A = 1;
    const bool transform = A != 1 || B != 0;
    const bool horizontal = FOrientation == coHorizontal;
    const bool log = Scale->StepType() == sttLogarithmic;
    // Minus infinity along the value strip: where the logarithm of zero lies.
    const double lowEnd = Scale->InternalInverted() ? HUGE_VAL : -HUGE_VAL;
    for (int i = 0; i < Count; ++i) {
        const double y = transform ? A * Y[i] + B : Y[i];
        // On a logarithmic scale a value at or below zero lies below every positive one.
        const double e = log && y <= 0 ? lowEnd : Scale->PrjValue(y), x = FXScale->PrjValue(X[i]);
        PX[i] = horizontal ? x : e;
        PY[i] = horizontal ? e : x;
    }
}

void TGraphion::AddSeriesPath(TLinePath& Path, TScale* Scale, double A, double B, const double* X, const double* Y,
                              int Count) const {
    if (A == 0) A = 1;
    double kx = 0, cx = 0, ky = 0, cy = 0;
    if (FXScale->LinearPrj(kx, cx) && Scale->LinearPrj(ky, cy)) {
        // A and B fold into the value mapping, so values become pixels inside the path's loop.
        const double k = ky * A, c = ky * B + cy;
        if (FOrientation == coHorizontal) Path.AddMapped(X, kx, cx, Y, k, c, Count);
        else Path.AddMapped(Y, k, c, X, kx, cx, Count);
        return;
    }
    constexpr int Block = 256;
    double px[Block], py[Block];
    for (int done = 0; done < Count; done += Block) {
        const int n = std::min(Count - done, Block);
        PrjSeriesValues(Scale, A, B, X + done, Y + done, n, px, py);
        Path.Add(px, py, n);
    }
}

QColor TGraphion::GetGridColor() const {
    return FFields && FFields->Count() > 0 ? FFields->Items(0)->GridPen().color() : ColorToQColor(Colors::clBtnFace);
}

void TGraphion::SetGridColor(const QColor& Value) {
    for (int i = 0; i < FFields->Count(); ++i) {
        QPen p = FFields->Items(i)->GridPen();
        p.setColor(Value);
        FFields->Items(i)->SetGridPen(p);
    }
}

void TGraphion::SetLegend(TGraphionLegend* Control) { FLegendControl = Control; }

void TGraphion::SetCaption(const QString& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    TextChanged(this);
    if (OnChangeCaption) OnChangeCaption();
}

void TGraphion::ColorChanged() { update(); }

void TGraphion::SetBorderWidth(int Value) {
    FFrame.BorderWidth = std::clamp(Value, 0, 100);
    FrameChanged();
}

void TGraphion::SetBevelInner(TPanel::TBevelCut Value) {
    FFrame.Inner = Value;
    FrameChanged();
}

void TGraphion::SetBevelOuter(TPanel::TBevelCut Value) {
    FFrame.Outer = Value;
    FrameChanged();
}

void TGraphion::SetBevelWidth(int Value) {
    FFrame.BevelWidth = std::clamp(Value, 1, 100);
    FrameChanged();
}

void TGraphion::SetBorderStyle(TPanel::TBorderStyle Value) {
    FFrame.Border = Value;
    FrameChanged();
}

void TGraphion::FrameChanged() {
    Realign();
    update();
}

void TGraphion::TextChanged(QObject* Obj) {
    if (IsLoading() || Locked() || FDestroying || !FLegendControl) return;
    FLegendControl->ObjectTextChanged(Obj);
}

void TGraphion::NotifyLegend(int Message, QObject*) {
    if (IsLoading() || Locked() || FDestroying || !FLegendControl) return;
    SendWKMessage(FLegendControl, Message);
}

QRect TGraphion::InnerRect() const {
    const int w = FFrame.Width();
    return rect().adjusted(w, w, -w, -w);
}

void TGraphion::Realign() {
    if (IsLoading() || AlignDisabled() || FDestroying) return;
    try {
        AlignControls();
    } catch (const std::exception&) {
        // layout never raises: the chart keeps the geometry it reached and paints it
    }
    ForceRepaint();
}

void TGraphion::RequestRealign() { Realign(); }

void TGraphion::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    Realign();
}

namespace {
// Holds the chart's layout state for one layout: the flag and the locks are given
// back however the layout ends, so a failure cannot leave the chart unpainted.
class TLayoutScope {
public:
    TLayoutScope(bool& Aligning, TChartFields& Fields, TScaleControl* XStrip)
        : FAligning(Aligning), FFields(Fields), FXStrip(XStrip) {
        FAligning = true;
        FFields.Lock();
        if (FXStrip) FXStrip->Lock();
    }
    ~TLayoutScope() {
        if (FXStrip) FXStrip->Unlock();
        FFields.Unlock();
        FAligning = false;
    }
    TLayoutScope(const TLayoutScope&) = delete;
    TLayoutScope& operator=(const TLayoutScope&) = delete;

private:
    bool& FAligning;
    TChartFields& FFields;
    QPointer<TScaleControl> FXStrip;
};
}  // namespace

void TGraphion::AlignControls() {
    TScaleControl* xstrip = FXScale->Control();
    const TLayoutScope scope(FAligning, *FFields, xstrip);
    QRect r = InnerRect();
    const int n = FFields->Count();
    const bool horizontal = FOrientation == coHorizontal;
    int room;
    if (horizontal) {
        FXScale->SetLength(r.width());
        const int xh = FXScale->GetSize();
        xstrip->setGeometry(r.left(), r.bottom() - xh + 1, r.width(), xh);
        r.setBottom(r.bottom() - xh);
        room = r.height() - std::max(n - 1, 0);
    } else {
        int margin = 0;
        for (int i = 0; i < n; ++i) margin = std::max(margin, FFields->Items(i)->GetSumOffset());
        FXScale->SetOffset(margin);
        FXScale->SetLength(r.height());
        const int xw = FXScale->GetSize();
        xstrip->setGeometry(r.left(), r.top(), xw, r.height());
        r.setLeft(r.left() + xw);
        room = r.width() - std::max(n - 1, 0);
    }
    std::vector<int> sizes(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        TChartField* f = FFields->Items(i);
        sizes[static_cast<size_t>(i)] = FSetPercents ? f->Size() : std::max(static_cast<int>(std::nearbyint(room * f->FPercents)), MinFieldSize);
    }
    auto place = [&] {
        int edge = horizontal ? r.top() : r.left();
        const int end = horizontal ? r.bottom() + 1 : r.right() + 1;
        for (int i = 0; i < n; ++i) {
            TChartField* f = FFields->Items(i);
            if (i > 0) {
                if (horizontal) f->FSplitter->setGeometry(r.left(), edge, r.width(), 1);
                else f->FSplitter->setGeometry(edge, r.top(), 1, r.height());
                f->FSplitter->raise();
                ++edge;
            }
            const int size = i == n - 1 ? std::max(end - edge, 0) : sizes[static_cast<size_t>(i)];
            if (horizontal) f->FControl->setGeometry(r.left(), edge, r.width(), size);
            else f->FControl->setGeometry(edge, r.top(), size, r.height());
            edge += size;
        }
    };
    if (!FSetPercents && n > 0) {
        int total = 0;
        for (int s : sizes) total += s;
        const int overflow = total - room;
        if (overflow > 0) {
            // one correction: the largest field gives up the overflow
            auto largest = std::max_element(sizes.begin(), sizes.end());
            *largest = std::max(*largest - overflow, 0);
        }
    }
    place();
    if (FSetPercents && room > 0)
        for (int i = 0; i < n; ++i) FFields->Items(i)->FPercents = static_cast<double>(FFields->Items(i)->Size()) / room;
    FSetPercents = false;
    int margin = 0;
    for (int i = 0; i < n; ++i) margin = std::max(margin, FFields->Items(i)->GetSumOffset());
    if (horizontal) FXScale->SetOffset(margin);
    FFields->ArrangeScales(margin);
}

void TGraphion::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QtColor());
    // The border width shows the focus.
    QRect r = rect();
    FFrame.Paint(p, r, palette(), hasFocus() ? BtnHighlightColor : QtColor());
}

void TGraphion::contextMenuEvent(QContextMenuEvent* e) {
    auto* menu = qobject_cast<TPopupMenu*>(PopupMenu());
    if (!menu || !menu->AutoPopup()) {
        e->ignore();
        return;
    }
    menu->Popup(this, e->globalPos());
    e->accept();
}

void TGraphion::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    update();
}

void TGraphion::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    update();
}

// --- field painting ---

void TGraphion::FieldPaintRequest(TChartField* Field, QPainter& DC) {
    if (!FXScale->Correct()) return;
    const QSize area = Field->Client()->size();
    const bool horizontal = FOrientation == coHorizontal;
    try {
        if (!std::isnan(FSelectionStart) && !std::isnan(FSelectionStop) && !SameXValue(FSelectionStart, FSelectionStop)) {
            const int a = FXScale->Prj(FSelectionStart), b = FXScale->Prj(FSelectionStop);
            const int lo = std::min(a, b), hi = std::max(a, b);
            const QRect band = horizontal ? QRect(QPoint(lo, -1), QPoint(hi, area.height())) : QRect(QPoint(-1, lo), QPoint(area.width(), hi));
            DC.fillRect(band, SelectionColor);
        }
        PaintGrid(Field, DC, area);
    } catch (const std::exception&) {
    }

    TLabelRefs labels;
    labels.reserve(100);
    const QRect clientRect(QPoint(0, 0), area);
    for (size_t i = 0; i < FSeriesList.size(); ++i) {
        TSeries* s = FSeriesList[i];
        if (s->FieldID() != Field->ID()) continue;
        TScale* scale = nullptr;
        if (s->ScaleID() != -1) {
            scale = Field->Scales().FindItemID(s->ScaleID());
            if (!scale) continue;
        }
        DC.save();
        bool painted = true;
        try {
            // the plot area paints into Qt's buffer; an image is handed on when one is painted
            s->Paint(DC, scale, dynamic_cast<QImage*>(DC.device()));
        } catch (const std::exception&) {
            painted = false;
        }
        DC.restore();
        if (!painted) continue;
        try {
            s->GetLabels(labels, scale, clientRect);
        } catch (const std::exception&) {
        }
    }
    if (OnPaintField) {
        DC.save();
        try {
            OnPaintField(Field, DC);
        } catch (const std::exception&) {
        }
        DC.restore();
    }
    try {
        PaintLabels(labels, DC, area);
    } catch (const std::exception&) {
    }
}

void TGraphion::PaintGrid(TChartField* Field, QPainter& DC, const QSize& Area) {
    TScale* grid = Field->Scales().FindItemID(Field->FGridID);
    if (!grid || !grid->Correct()) return;
    const bool horizontal = FOrientation == coHorizontal;
    DC.setPen(Field->GridPen());
    const int xExtent = horizontal ? Area.width() : Area.height();
    const int xOffset = FXScale->Offset();
    FXScale->WalkMarks([&](int p) { return p - xOffset >= 0 && p - xOffset <= xExtent; },
                       [&](int p) {
                           const int q = p - xOffset;
                           if (horizontal) DC.drawLine(q, 0, q, Area.height());
                           else DC.drawLine(0, q, Area.width(), q);
                       });
    const int vExtent = horizontal ? Area.height() : Area.width();
    QPen dotted = Field->GridPen();
    dotted.setStyle(Qt::DotLine);
    const bool log = grid->StepType() == sttLogarithmic;
    grid->WalkMarks([&](int p) { return p >= 0 && p <= vExtent; },
                    [&](int p) {
                        DC.setPen(Field->GridPen());
                        if (horizontal) DC.drawLine(0, p, Area.width(), p);
                        else DC.drawLine(p, 0, p, Area.height());
                        if (!Field->ShowSubGrid()) return;
                        DC.setPen(dotted);
                        double mark = grid->CurrentMark();
                        const int n = grid->SubTicksCount() - (log ? 1 : 0);
                        for (int k = 1; k < n; ++k) {
                            mark -= grid->SubStep();
                            const int sp = grid->GetMarkPos(mark);
                            if (horizontal) DC.drawLine(0, sp, Area.width(), sp);
                            else DC.drawLine(sp, 0, sp, Area.height());
                        }
                    });
}

void TGraphion::PaintLabels(TLabelRefs& Labels, QPainter& DC, const QSize& Area) {
    std::stable_sort(Labels.begin(), Labels.end(),
                     [](const TChartLabel* a, const TChartLabel* b) { return a->Position.x() < b->Position.x(); });
    DC.setFont(FXScale->Font());
    const QFontMetrics fm(DC.font());
    std::vector<QRect> drawn;
    for (TChartLabel* l : Labels) {
        DC.setPen(QPen(l->Color, 1, Qt::SolidLine));
        const QPoint pt = l->Position;
        QRect box = fm.boundingRect(l->Text);
        box.moveTopLeft(pt);
        box.adjust(-1, -1, 1, 1);
        l->Size.setHeight(box.height());
        box.translate(10, -(box.height() + 10));
        if (box.top() < 0) box.moveTop(0);
        if (box.right() >= Area.width()) box.moveRight(Area.width() - 1);
        // Move the box off every label already drawn: below one when it still ends above its point, else to its right.
        for (bool moved = true; moved;) {
            moved = false;
            for (const QRect& other : drawn) {
                if (!box.intersects(other)) continue;
                if (l->Size.height() + other.bottom() + 1 < pt.y())
                    box.moveTop(other.bottom() + 1);
                else
                    box.moveLeft(other.right() + 1);
                moved = true;
                break;
            }
        }
        DC.drawLine(pt, QPoint(box.left() - 1, box.bottom()));
        DC.setBrush(InfoBkColor);
        DC.drawRect(QRect(QPoint(box.left() - 1, box.top()), QPoint(box.right() + 1, box.bottom() + 1)));
        DC.setPen(Qt::black);
        DC.drawText(box.adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop, l->Text);
        l->TextRect = box;
        drawn.push_back(box);
    }
}

// --- mouse ---

void TGraphion::FieldMouseDown(TChartField* Field, Qt::MouseButton Button, Qt::MouseButtons Buttons,
                               Qt::KeyboardModifiers Shift, int X, int Y) {
    if (FSelectionMode) {
        if (Button == Qt::LeftButton) {
            if (IsCursorOverValue(X, Y, FSelectionStart))
                std::swap(FSelectionStart, FSelectionStop);
            else if (!IsCursorOverValue(X, Y, FSelectionStop))
                FSelectionStart = FSelectionStop = GetXValue(X, Y);
            ForceRepaint();
            return;
        }
        if (Buttons & Qt::LeftButton) {
            FSelectionStart = FSelectionStop = NaN;
            ForceRepaint();
        }
    }
    const int fieldID = Field->ID();
    for (TSeries* s : FSeriesList) {
        if (s->FieldID() != fieldID) continue;
        TLabelsList& labels = s->Labels();
        for (int i = 0; i < labels.Count(); ++i) {
            if (labels.GetLabel(i)->TextRect.contains(X, Y)) {
                labels.Delete(i);
                Field->Repaint();
                return;
            }
        }
    }
    bool claimed = false;
    const std::vector<TSeries*> series = FSeriesList;
    for (TSeries* s : series) {
        if (s->FieldID() != fieldID) continue;
        TScale* scale = s->ScaleID() == -1 ? nullptr : Field->Scales().FindItemID(s->ScaleID());
        if (!scale) continue;
        try {
            claimed = s->MouseDown(FXScale, scale, Button, Shift, X, Y) || claimed;
        } catch (const std::exception&) {
        }
    }
    if (!claimed && OnMouseDown) {
        if (OnMouseDown(Field, Button, Shift, X, Y)) return;
    }
    if (claimed) Field->Repaint();
}

void TGraphion::FieldMouseMove(TChartField* Field, Qt::MouseButtons, Qt::KeyboardModifiers Shift, int X, int Y,
                               bool Captured) {
    if (FSelectionMode) {
        Field->Client()->unsetCursor();
        if (Captured) {
            FSelectionStop = GetXValue(X, Y);
            ForceRepaint();
        } else if (IsCursorOverValue(X, Y, FSelectionStart) || IsCursorOverValue(X, Y, FSelectionStop)) {
            Field->Client()->setCursor(FOrientation == coVertical ? Qt::SizeVerCursor : Qt::SizeHorCursor);
        }
    }
    if (OnMouseMove) OnMouseMove(Field, Shift, X, Y);
}

void TGraphion::FieldMouseUp(TChartField* Field, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    if (FSelectionMode && Button == Qt::LeftButton && !std::isnan(FSelectionStart) && !std::isnan(FSelectionStop)) {
        if (SameXValue(FSelectionStart, FSelectionStop))
            FSelectionStart = FSelectionStop = NaN;
        else if (FSelectionStart > FSelectionStop)
            std::swap(FSelectionStart, FSelectionStop);
        if (OnSelectionChanged) OnSelectionChanged();
        ForceRepaint();
    }
    if (OnMouseUp) OnMouseUp(Field, Button, Shift, X, Y);
}

void TGraphion::FieldWheel(const QPoint& Delta) {
    if (!FXScale->Control()) return;
    // Up or sideways, a notch slides the window by a twentieth of its span.
    const int delta = Delta.y() != 0 ? Delta.y() : Delta.x();
    if (delta != 0) FXScale->Control()->MouseWheelScale(Qt::AltModifier, QPoint(), delta / 120.0);
}

WK_REGISTER_CLASS(TGraphion)
WK_REGISTER_CLASS(TRLineSeries)
WK_REGISTER_CLASS(TMemChartTable)
