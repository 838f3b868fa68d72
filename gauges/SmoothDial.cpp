#include "SmoothDial.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "Formatting.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cfloat>
#include <cmath>
#include <numbers>

namespace {
constexpr double Rad = std::numbers::pi / 180.0;

TSmoothDial* GaugeOf(const TCollectionItem* item) {
    return item->Collection() ? qobject_cast<TSmoothDial*>(item->Collection()->Owner()) : nullptr;
}

// Even-odd crossing test.
bool InPolygon(QPointF p, const std::array<QPointF, 3>& poly) {
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const QPointF a = poly[i], b = poly[j];
        if ((a.y() > p.y()) != (b.y() > p.y()) && p.x() < (b.x() - a.x()) * (p.y() - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
    }
    return inside;
}
}  // namespace

// --- sub-objects ---------------------------------------------------------------------------

TSmoothDialPart::TSmoothDialPart(TSmoothDial* owner, QObject* parent)
    : TPersistent(parent ? parent : static_cast<QObject*>(owner)), FGauge(owner) {}

void TSmoothDialGloss::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialGloss*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetOpacity(s->FOpacity);
}

void TSmoothDialDigit::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialDigit*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetBackGroundColor(s->FBackGroundColor);
    SetBackGroundOpacity(s->FBackGroundOpacity);
    SetVisible(s->FVisible);
    SetAlignment(s->FAlignment);
}

void TSmoothDialOuterCircle::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialOuterCircle*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetWidth(s->FWidth);
    SetOpacity(s->FOpacity);
}

TSmoothDialInnerCircle::TSmoothDialInnerCircle(TSmoothDial* owner)
    : TSmoothDialPart(owner), FGloss(new TSmoothDialGloss(owner, this)) {
    connect(FGloss, &TPersistent::Changed, this, &TPersistent::Changed);
}

void TSmoothDialInnerCircle::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialInnerCircle*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetOpacity(s->FOpacity);
    FGloss->Assign(s->FGloss);
}

void TSmoothDialOuterRim::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialOuterRim*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetOpacity(s->FOpacity);
    SetWidth(s->FWidth);
}

void TSmoothDialNeedle::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialNeedle*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetShineColor(s->FShineColor);
    SetShineColorTo(s->FShineColorTo);
    SetOuterCenterColor(s->FOuterCenterColor);
    SetOuterCenterColorTo(s->FOuterCenterColorTo);
    SetOuterCenterOpacity(s->FOuterCenterOpacity);
    SetInnerCenterColor(s->FInnerCenterColor);
    SetInnerCenterColorTo(s->FInnerCenterColorTo);
    SetInnerCenterOpacity(s->FInnerCenterOpacity);
}

TSmoothDialThreshold::TSmoothDialThreshold(TSmoothDial* owner, QObject* parent) : TSmoothDialPart(owner, parent) {}

void TSmoothDialThreshold::SetCenter(double v) {
    if (std::isnan(v)) return;
    if (Gauge() && (v < Gauge()->MinimumValue() || v > Gauge()->MaximumValue()) && !Gauge()->IsLoading()) return;
    Store(FCenter, v);
}

void TSmoothDialThreshold::SetSpan(double v) {
    if (!(v >= 0 && v <= 100)) return;
    Store(FSpan, v);
}

void TSmoothDialThreshold::SetStartAngle(int v) {
    if (Gauge()) v = std::max(v, Gauge()->CircleStartValue());
    Store(FStartAngle, v);
}

void TSmoothDialThreshold::ClampCenter(double minimum, double maximum) {
    Store(FCenter, std::clamp(FCenter, minimum, maximum));
}

void TSmoothDialThreshold::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialThreshold*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetOpacity(s->FOpacity);
    SetCenter(s->FCenter);
    SetSpan(s->FSpan);
    SetStartAngle(s->FStartAngle);
    SetSweepAngle(s->FSweepAngle);
    SetStartValue(s->FStartValue);
    SetEndValue(s->FEndValue);
    SetThresholdKind(s->FThresholdKind);
}

TSmoothDialArc::TSmoothDialArc(TSmoothDial* owner)
    : TSmoothDialPart(owner), FThreshold(new TSmoothDialThreshold(owner, this)) {
    connect(FThreshold, &TPersistent::Changed, this, &TPersistent::Changed);
}

void TSmoothDialArc::SetStartAngle(int v) {
    if (Gauge()) v = std::max(v, Gauge()->CircleStartValue());
    Store(FStartAngle, v);
}

void TSmoothDialArc::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialArc*>(source);
    if (!s) return TPersistent::Assign(source);
    SetColor(s->FColor);
    SetWidth(s->FWidth);
    SetOpacity(s->FOpacity);
    SetStartAngle(s->FStartAngle);
    SetStopAngle(s->FStopAngle);
    FThreshold->Assign(s->FThreshold);
}

TSmoothDialSection::TSmoothDialSection(TCollection* collection)
    : TCollectionItem(collection), FGloss(new TSmoothDialGloss(nullptr, this)) {
    connect(FGloss, &TPersistent::Changed, this, [this] { ItemChanged(); });
}

void TSmoothDialSection::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialSection*>(source);
    if (!s) return TCollectionItem::Assign(source);
    SetColor(s->FColor);
    SetOpacity(s->FOpacity);
    FGloss->Assign(s->FGloss);
    SetStartValue(s->FStartValue);
    SetEndValue(s->FEndValue);
    SetOuterMargin(s->FOuterMargin);
    SetInnerMargin(s->FInnerMargin);
    SetSectionType(s->FSectionType);
}

void TSmoothDialNeedleItem::SetValue(double v) {
    if (std::isnan(v)) return;
    if (const TSmoothDial* g = GaugeOf(this)) v = std::clamp(v, g->MinimumValue(), g->MaximumValue());
    Store(FValue, v);
}

void TSmoothDialNeedleItem::Assign(const TPersistent* source) {
    auto* s = qobject_cast<const TSmoothDialNeedleItem*>(source);
    if (!s) return TCollectionItem::Assign(source);
    SetValue(s->FValue);
    SetColor(s->FColor);
    SetShineColor(s->FShineColor);
    SetShineColorTo(s->FShineColorTo);
}

TSmoothDialSections::TSmoothDialSections(TSmoothDial* owner)
    : TCollection(&TSmoothDialSection::staticMetaObject, owner) {}

void TSmoothDialSections::Update(TCollectionItem*) {
    if (auto* g = qobject_cast<TSmoothDial*>(Owner())) g->Changed();
}

TSmoothDialNeedles::TSmoothDialNeedles(TSmoothDial* owner)
    : TCollection(&TSmoothDialNeedleItem::staticMetaObject, owner) {}

void TSmoothDialNeedles::Update(TCollectionItem*) {
    if (auto* g = qobject_cast<TSmoothDial*>(Owner())) g->Changed();
}

// --- the gauge -----------------------------------------------------------------------------

TSmoothDial::TSmoothDial(QObject* owner) : TControl(owner) {
    FDigit = new TSmoothDialDigit(this);
    FOuterCircle = new TSmoothDialOuterCircle(this);
    FInnerCircle = new TSmoothDialInnerCircle(this);
    FOuterRim = new TSmoothDialOuterRim(this);
    FNeedle = new TSmoothDialNeedle(this);
    FArc = new TSmoothDialArc(this);
    FValueFont = new TFont(this);
    FSections = new TSmoothDialSections(this);
    FExtraNeedles = new TSmoothDialNeedles(this);
    FAnimationTimer = new QTimer(this);

    SetParentFont(false);
    Font()->SetSize(14);
    Font()->SetColor(TColor(0x00FC7C));
    FValueFont->SetSize(11);
    FValueFont->SetColor(TColor(0x00FC7C));
    connect(FValueFont, &TPersistent::Changed, this, [this] { Changed(); });
    for (TPersistent* part : std::initializer_list<TPersistent*>{FDigit, FOuterCircle, FInnerCircle, FOuterRim, FNeedle, FArc})
        connect(part, &TPersistent::Changed, this, [this] { PartChanged(); });

    FAnimationTimer->setInterval(AnimationIntervalMs);
    connect(FAnimationTimer, &QTimer::timeout, this, [this] { AnimationTick(); });
    setFocusPolicy(Qt::StrongFocus);

    SetBounds(Left(), Top(), 250, 250);
    const TComponentBase* o = Owner();
    if ((IsDesigning() || (o && o->IsDesigning())) && !(o && o->IsLoading())) {
        FDesignTime = true;
        FArc->Threshold()->FStartValue = 0;
        FArc->Threshold()->FEndValue = 100;
        SetComponentStyle(tsOffice2007Luna);
    }
    Recalculate();
}

TSmoothDial::~TSmoothDial() {
    Destroying();
    FAnimationTimer->stop();
}

bool TSmoothDial::Animates() const { return FAnimation && !IsDesigning() && !IsLoading(); }

double TSmoothDial::ToExternal(double v) const { return FLogarithmic ? std::pow(double(FLogarithmicBase), v) : v; }

double TSmoothDial::MaxLogLimit() const { return std::log(DBL_MAX) / std::log(double(FLogarithmicBase)); }

double TSmoothDial::Value() const { return ToExternal(fcurrentValue); }

double TSmoothDial::DisplayValue() const { return ToExternal(fcurrentDisplayValue); }

void TSmoothDial::FireValueEvents() {
    FOnValueChanged.Invoke(static_cast<QObject*>(this), ToExternal(fcurrentValue));
    FOnDisplayValueChanged.Invoke(static_cast<QObject*>(this), ToExternal(fcurrentDisplayValue));
}

bool TSmoothDial::SetTargets(double x) {
    // Neither a NaN nor (on a logarithmic scale) a value without a logarithm
    // has a place on the dial: the needle stays where it is.
    if (std::isnan(x) || (FLogarithmic && !(x > 0))) return false;
    const double v = FLogarithmic ? std::log(x) / std::log(double(FLogarithmicBase)) : x;
    FcurrentValueTo = FUnlimitedValue ? v : Clamp(v);
    FcurrentDisplayValueTo = FUnlimitedDisplayValue ? v : Clamp(v);
    return true;
}

void TSmoothDial::JumpToTargets() {
    fcurrentValue = FcurrentValueTo;
    fcurrentDisplayValue = FcurrentDisplayValueTo;
    FireValueEvents();
}

void TSmoothDial::ValueMoved() {
    if (IsDestroying()) return;
    FOnChange.Invoke(static_cast<QObject*>(this));
    update();
}

void TSmoothDial::ShowNoValue() {
    SetValue(FMinimumValue);
    FNoValue = true;
    update();
}

void TSmoothDial::SetValue(double x) {
    if (FNoValue) {
        FNoValue = false;
        update();
    }
    // The scale (Logarithmic, the range) may be read after the value: the
    // value is set again once loading is done.
    if (IsLoading()) FLoadedValue = x;
    if (!SetTargets(x)) return;
    if (Animates()) {
        FdoAnimation = true;
        if (!FAnimationTimer->isActive()) FAnimationTimer->start();
    } else {
        JumpToTargets();
    }
    ValueMoved();
}

void TSmoothDial::AnimationTick() {
    if (!Animates() || !FdoAnimation) {
        FAnimationTimer->stop();
        return;
    }
    const double factor = std::max(1, FAnimationFactor);
    bool moved = false;
    auto step = [&](double& shown, double target, const TMethod& event) {
        const double s = std::max(std::abs(target - shown) / factor, 0.001);
        if (std::abs(shown - target) < 0.001) {
            const bool landed = shown != target;
            shown = target;
            if (landed) event.Invoke(static_cast<QObject*>(this), ToExternal(shown));
        } else {
            shown += shown >= target ? -s : s;
            moved = true;
            event.Invoke(static_cast<QObject*>(this), ToExternal(shown));
        }
        ValueMoved();
    };
    step(fcurrentValue, FcurrentValueTo, FOnValueChanged);
    step(fcurrentDisplayValue, FcurrentDisplayValueTo, FOnDisplayValueChanged);
    FdoAnimation = moved;
    if (!moved) FAnimationTimer->stop();
}

void TSmoothDial::RangeChanged() {
    if (!FUnlimitedValue) FcurrentValueTo = Clamp(FcurrentValueTo);
    if (!FUnlimitedDisplayValue) FcurrentDisplayValueTo = Clamp(FcurrentDisplayValueTo);
    if (!Animates()) {
        // The shown values follow the clamped targets, so that the needle
        // never stays outside the new range.
        JumpToTargets();
    } else if (fcurrentValue != FcurrentValueTo || fcurrentDisplayValue != FcurrentDisplayValueTo) {
        FdoAnimation = true;
        if (!FAnimationTimer->isActive()) FAnimationTimer->start();
    }
    FArc->Threshold()->ClampCenter(FMinimumValue, FMaximumValue);
    Recalculate();
    Changed();
}

void TSmoothDial::SetMaxValue(double v) {
    if (std::isnan(v)) return;
    if (FLogarithmic) v = std::min(v, MaxLogLimit());
    // While loading the minimum may still be the default: the pair is
    // checked once both are read (Loaded).
    if (IsLoading()) {
        FMaximumValue = v;
        return;
    }
    if (v <= FMinimumValue) return;
    FMaximumValue = v;
    RangeChanged();
}

void TSmoothDial::SetMinValue(double v) {
    if (std::isnan(v)) return;
    if (IsLoading()) {
        FMinimumValue = v;
        return;
    }
    if (v >= FMaximumValue) return;
    FMinimumValue = v;
    RangeChanged();
}

void TSmoothDial::SetUnlimitedValue(bool v) {
    if (v == FUnlimitedValue) return;
    FUnlimitedValue = v;
    Changed();
}

void TSmoothDial::SetUnlimitedDisplayValue(bool v) {
    if (v == FUnlimitedDisplayValue) return;
    FUnlimitedDisplayValue = v;
    Changed();
}

void TSmoothDial::SetEqualDimensions(bool v) {
    FEqualDimensions = v;
    const QRect b = BoundsRect();
    SetBounds(b.x(), b.y(), b.width(), b.height());
}

void TSmoothDial::SetAnimationFactor(int v) {
    if (v == FAnimationFactor) return;
    FAnimationFactor = v;
    Changed();
}

void TSmoothDial::SetDivisionCount(int v) {
    if (v < 2 || v > 24 || v == FDivisionCount) return;
    FDivisionCount = v;
    CalculateCalibration();
    Changed();
}

void TSmoothDial::SetSubDivisionCount(int v) {
    if (v < 1 || v > 10 || v == FSubDivisionCount) return;
    FSubDivisionCount = v;
    CalculateCalibration();
    Changed();
}

void TSmoothDial::SetDivisionColor(TColor v) {
    if (v == FDivisionColor) return;
    FDivisionColor = v;
    Changed();
}

void TSmoothDial::SetSubDivisionColor(TColor v) {
    if (v == FSubDivisionColor) return;
    FSubDivisionColor = v;
    Changed();
}

void TSmoothDial::SetDivisionWidth(int v) {
    if (v == FDivisionWidth) return;
    FDivisionWidth = v;
    Changed();
}

void TSmoothDial::SetSubDivisionWidth(int v) {
    if (v == FSubDivisionWidth) return;
    FSubDivisionWidth = v;
    Changed();
}

void TSmoothDial::SetDialText(const QString& v) {
    if (v == FDialText) return;
    FDialText = v;
    Changed();
}

void TSmoothDial::SetValueFormat(const QString& v) {
    if (v == FValueFormat) return;
    FValueFormat = v;
    Changed();
}

void TSmoothDial::SetShowValues(bool v) {
    if (v == FShowValues) return;
    FShowValues = v;
    Changed();
}

void TSmoothDial::SetAnimation(bool v) {
    if (v == FAnimation) return;
    FAnimation = v;
    Changed();
}

void TSmoothDial::SetNeedleType(TNeedleType v) {
    if (v == FNeedleType) return;
    FNeedleType = v;
    Changed();
}

void TSmoothDial::SetTextRendering(TTextRendering v) {
    if (v == FTextRendering) return;
    FTextRendering = v;
    Changed();
}

void TSmoothDial::SetCircleStartValue(int v) {
    if (v < 0 || v > FCircleEndValue || v == FCircleStartValue) return;
    FCircleStartValue = v;
    const QRect b = BoundsRect();
    SetBounds(b.x(), b.y(), b.width() + 1, b.height());
    SetBounds(b.x(), b.y(), b.width(), b.height());
    Resize();
}

void TSmoothDial::SetCircleEndValue(int v) {
    if (v < FCircleStartValue || v > 360 || v == FCircleEndValue) return;
    FCircleEndValue = v;
    const QRect b = BoundsRect();
    SetBounds(b.x(), b.y(), b.width() + 1, b.height());
    SetBounds(b.x(), b.y(), b.width(), b.height());
    Resize();
}

void TSmoothDial::SetLogarithmic(bool v) {
    FLogarithmic = v;
    if (FLogarithmic && FMaximumValue > MaxLogLimit()) FMaximumValue = std::max(MaxLogLimit(), FMinimumValue);
    Recalculate();
    Changed();
}

void TSmoothDial::SetLogarithmicBase(int v) {
    // A base below 2 has no logarithm to divide by.
    FLogarithmicBase = std::max(v, 2);
    if (FLogarithmic && FMaximumValue > MaxLogLimit()) FMaximumValue = std::max(MaxLogLimit(), FMinimumValue);
    Recalculate();
    Changed();
}

void TSmoothDial::SetTabStop(bool v) {
    FTabStop = v;
    setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus);
    Changed();
}

void TSmoothDial::Changed() {
    FLayer = QImage();
    ValueMoved();
}

void TSmoothDial::PartChanged() {
    Recalculate();
    Changed();
}

void TSmoothDial::FontChanged() { Changed(); }

void TSmoothDial::Assign(const QObject* source) {
    auto* s = qobject_cast<const TSmoothDial*>(source);
    if (!s) return;
    FAnimationFactor = s->FAnimationFactor;
    FMinimumValue = s->FMinimumValue;
    FMaximumValue = s->FMaximumValue;
    // The shown values are copied as they are held (logarithms on a
    // logarithmic scale) and become the targets: no animation back.
    fcurrentValue = FcurrentValueTo = s->fcurrentValue;
    fcurrentDisplayValue = FcurrentDisplayValueTo = s->fcurrentDisplayValue;
    FDigit->Assign(s->FDigit);
    FOuterCircle->Assign(s->FOuterCircle);
    FInnerCircle->Assign(s->FInnerCircle);
    FOuterRim->Assign(s->FOuterRim);
    FNeedle->Assign(s->FNeedle);
    FArc->Assign(s->FArc);
    FDivisionCount = s->FDivisionCount;
    FSubDivisionCount = s->FSubDivisionCount;
    FDivisionColor = s->FDivisionColor;
    FSubDivisionColor = s->FSubDivisionColor;
    FDivisionWidth = s->FDivisionWidth;
    FSubDivisionWidth = s->FSubDivisionWidth;
    FDialText = s->FDialText;
    Font()->Assign(s->Font());
    FValueFont->Assign(s->FValueFont);
    FAnimation = s->FAnimation;
    FNeedleType = s->FNeedleType;
    FSections->Assign(s->FSections);
    FTextRendering = s->FTextRendering;
    Recalculate();
    Changed();
}

void TSmoothDial::SetBounds(int left, int top, int width, int height) {
    if (FEqualDimensions) width = FCircleStartValue < 180 ? height : 2 * height;
    const QSize old = BoundsRect().size();
    TControl::SetBounds(left, top, width, height);
    if (BoundsRect().size() != old) Resize();
}

void TSmoothDial::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    if (e->size() != e->oldSize()) Resize();
}

void TSmoothDial::Resize() {
    fxp = Width() / 50;
    fyp = Height() / 50;
    Recalculate();
    Changed();
}

void TSmoothDial::Loaded() {
    TControl::Loaded();
    if (!(FMinimumValue < FMaximumValue)) {
        FMinimumValue = 0;
        FMaximumValue = 100;
    }
    FArc->Threshold()->ClampCenter(FMinimumValue, FMaximumValue);
    if (FLoadedValue && SetTargets(*FLoadedValue)) JumpToTargets();
    FLoadedValue.reset();
    Recalculate();
    Changed();
}

void TSmoothDial::DefineProperties(TFiler& filer) {
    TControl::DefineProperties(filer);
    // Only the number comes back: the colours were stored with the form.
    filer.DefineProperty(
        QStringLiteral("KVLStyle"),
        [this](const TStreamValue& v) {
            if (v.Kind == TStreamValue::vaInt && v.Int >= 0 && v.Int < KVLStyleCount) FKVLStyle = TKVLStyle(v.Int);
        },
        [this] { return TStreamValue::Integer(FKVLStyle); }, true);
}

void TSmoothDial::SaveToImage(const QString& fileName, int imageWidth, int imageHeight, TImageType imageType,
                              int imageQualityPercentage) {
    if (imageWidth <= 0 || imageHeight <= 0)
        throw EImageExportError(QStringLiteral("Invalid image size %1 x %2").arg(imageWidth).arg(imageHeight));
    const QImage frame = Render();
    const QImage out = frame.size() == QSize(imageWidth, imageHeight)
                           ? frame
                           : frame.scaled(imageWidth, imageHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    SaveImageAs(out, fileName, imageType, imageQualityPercentage);
}

// --- geometry ------------------------------------------------------------------------------

int TSmoothDial::LayoutHeight() const { return FCircleStartValue < 180 ? Height() : 2 * Height(); }

double TSmoothDial::ArcStartAngle() const { return std::max(FArc->StartAngle(), FCircleStartValue); }

double TSmoothDial::ArcStopAngle() const {
    return std::min<double>(FArc->StopAngle(), ArcStartAngle() + (FCircleEndValue - FCircleStartValue));
}

double TSmoothDial::ThresholdStartAngle() const { return std::max(FArc->Threshold()->StartAngle(), FCircleStartValue); }

double TSmoothDial::ThresholdSweepAngle() const {
    return std::min(FArc->Threshold()->SweepAngle(), FCircleEndValue - FCircleStartValue);
}

double TSmoothDial::GetAngle(double v) const {
    const double start = ArcStartAngle(), stop = ArcStopAngle();
    return start + (stop - start) * (v - FMinimumValue) / (FMaximumValue - FMinimumValue);
}

QPointF TSmoothDial::NeedleTip(double v) const {
    const double W = Width();
    const double cx = fwidth / 2 + fxp, cy = fheight / 2 + fyp;
    const double L = W / 2 - 0.12 * W;
    const double t = GetAngle(v) * Rad;
    return {cx + L * std::cos(t), cy + L * std::sin(t)};
}

bool TSmoothDial::XYToScale(QPointF point, double& value) const {
    const int n = (FSubDivisionCount + 1) * FDivisionCount;
    const double step = (FMaximumValue - FMinimumValue) / n;
    const QPointF centre(Width() / 2.0, LayoutHeight() / 2.0);
    for (int i = 0; i <= n; ++i) {
        const double v = FMinimumValue + i * step;
        if (InPolygon(point, {NeedleTip(v + step / 2), centre, NeedleTip(v - step / 2)})) {
            value = v;
            return true;
        }
    }
    return false;
}

double TSmoothDial::TickRadius() const {
    const double d = double(Round(Width() * 0.01));
    return (frectImg.width() - d) / 2 - 5 * d;
}

void TSmoothDial::CalculateImageRect() {
    fwidth = Width() - 2 * fxp;
    fheight = LayoutHeight() - 2 * fyp;
    frectImg = QRectF(fxp, fyp, fwidth, fheight);
}

void TSmoothDial::CalculateArcThresHold() {
    const double a = double(Round(Width() * FArc->Width()));
    Frg = QRectF(frectImg.x() + a, frectImg.y() + a, frectImg.width() - 2 * a, frectImg.height() - 2 * a);
    const double start = ArcStartAngle(), stop = ArcStopAngle(), sweep = ThresholdSweepAngle();
    const TSmoothDialThreshold* t = FArc->Threshold();
    FSta = start + (stop - start) * (t->Center() - FMinimumValue) / (FMaximumValue - FMinimumValue) -
           sweep * t->Span() / 200;
    if (FSta <= start) FSta = start;
    FSwpa = sweep * t->Span() / 100;
    if (FSta + FSwpa > stop) FSwpa = stop - FSta;
}

void TSmoothDial::CalculateCalibration() {
    for (TCalibrationValue& c : FCalibrationValues) c.ValueType = cvNone;
    const double W = Width();
    const double cx = double(Round(fwidth / 2)) + fxp;
    const double cy = double(Round(fheight / 2)) + fyp;
    const double R = TickRadius();
    const double start = ArcStartAngle(), stop = ArcStopAngle();
    const double s = (stop - start) / (FDivisionCount * (FSubDivisionCount + 1));
    double theta = start;
    double value = FMinimumValue;
    size_t at = 0;
    auto add = [&](TCalibrationValueType type, double inner) {
        TCalibrationValue& c = FCalibrationValues[at++];
        const double t = theta * Rad, ct = std::cos(t), st = std::sin(t);
        c.ValueType = type;
        c.x = cx + R * ct;
        c.y = cy + R * st;
        c.x1 = cx + (R - inner) * ct;
        c.y1 = cy + (R - inner) * st;
        c.tx = cx + (R - W / 10) * ct;
        c.ty = cy - W / 25 + (R - W / 10) * st;
        c.rv = value;
    };
    for (int k = 0; k <= FDivisionCount; ++k) {
        add(cvLarge, W / 20);
        value += (FMaximumValue - FMinimumValue) / FDivisionCount;
        if (k == FDivisionCount) break;
        for (int i = 0; i <= FSubDivisionCount; ++i) {
            theta += s;
            add(cvSmall, W / 50);
        }
    }
}

void TSmoothDial::Recalculate() {
    CalculateImageRect();
    CalculateCalibration();
    CalculateArcThresHold();
}

// --- input ---------------------------------------------------------------------------------

void TSmoothDial::keyPressEvent(QKeyEvent* e) {
    if (!Enabled() || !FTabStop) return TControl::keyPressEvent(e);
    const double division = (FMaximumValue - FMinimumValue) / FDivisionCount;
    switch (e->key()) {
    case Qt::Key_PageUp: SetValue(Value() + division); break;
    case Qt::Key_PageDown: SetValue(Value() - division); break;
    case Qt::Key_End: SetValue(ToExternal(FMaximumValue)); break;
    case Qt::Key_Home: SetValue(ToExternal(FMinimumValue)); break;
    case Qt::Key_Up:
    case Qt::Key_Right: SetValue(Value() + 1); break;
    case Qt::Key_Left:
    case Qt::Key_Down: SetValue(Value() - 1); break;
    default: return TControl::keyPressEvent(e);
    }
    e->accept();
}

void TSmoothDial::mouseReleaseEvent(QMouseEvent* e) {
    TControl::mouseReleaseEvent(e);
    if (!Enabled() || !FTabStop) return;
    double v = 0;
    if (XYToScale(e->position(), v)) SetValue(ToExternal(v));
}

void TSmoothDial::focusInEvent(QFocusEvent* e) {
    TControl::focusInEvent(e);
    FFocused = true;
    FLayer = QImage();
    update();
}

void TSmoothDial::focusOutEvent(QFocusEvent* e) {
    TControl::focusOutEvent(e);
    FFocused = false;
    FLayer = QImage();
    update();
}

WK_REGISTER_CLASS(TSmoothDial)
