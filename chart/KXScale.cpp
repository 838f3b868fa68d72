#include "KXScale.h"

#include "Formatting.h"
#include "KXScaleControl.h"
#include "Kurvex.h"
#include "Menus.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double OneSecond = 1.0 / 86400.0;
// No strip is long enough to show more marks than this; a finer step is a setting error.
constexpr double MaxMarks = 10000;
constexpr int MaxWalk = 20000;
// Pixels between an end label of a horizontal value strip and the strip's end.
constexpr int EndLabelGap = 2;

struct TDateTimeStep {
    double Step, SubStep;
    int SubTicks;
    const char* Format;
};
const TDateTimeStep DateTimeSteps[] = {
    {0.1 * OneSecond, 0.01 * OneSecond, 10, "nn.ss,zzz"},
    {OneSecond, 0.1 * OneSecond, 10, "nn.ss"},
    {10 * OneSecond, OneSecond, 10, "hh:nn.ss"},
    {60 * OneSecond, 10 * OneSecond, 6, "hh:nn"},
    {600 * OneSecond, 60 * OneSecond, 10, "hh:nn"},
    {1800 * OneSecond, 300 * OneSecond, 6, "hh:nn"},
    {3600 * OneSecond, 600 * OneSecond, 6, "hh:nn"},
    {1.0, 3600 * OneSecond, 24, "dd-mm-yy"},
};

// The largest power of ten not above span, or a tenth of it when span < 1.1 × that power.
double AutoNumericStep(double span) {
    double p = std::pow(10.0, std::floor(std::log10(span)));
    // log10 is not exact near powers of ten
    if (p * 10 <= span) p *= 10;
    if (p > span) p /= 10;
    return span < 1.1 * p ? p / 10 : p;
}

bool SameValue(double a, double b) {
    const double eps = std::max(std::min(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
    return std::fabs(a - b) <= eps;
}

bool Finite(long double v) { return std::isfinite(static_cast<double>(v)); }
}  // namespace

TScale::TScale(TCollection* Collection) : TCollectionItem(Collection), FDisplayValue(NaN) { Init(); }

TScale::TScale(QObject* AOwner) : TCollectionItem(nullptr), FOwner(AOwner), FDisplayValue(NaN) {
    setParent(AOwner);
    Init();
}

void TScale::Init() {
    FFontObj = new TFont(this);
    if (auto* chart = qobject_cast<TGraphion*>(Owner())) FFontObj->Assign(chart->Font());
    FFont = FFontObj->ToQFont();
    connect(FFontObj, &TPersistent::Changed, this, &TScale::FontObjectChanged);
    FControl = new TScaleControl(qobject_cast<QWidget*>(FOwner.data()), this);
    connect(FControl, &QObject::destroyed, this, [this] { FControl = nullptr; });
    FControl->setText(FCaption);
    Adjust();
}

QObject* TScale::Owner() const {
    if (FOwner) return FOwner;
    if (auto* scales = qobject_cast<TScales*>(Collection())) return scales->Chart();
    return Collection() ? Collection()->Owner() : nullptr;
}

void TScale::FontObjectChanged() {
    FFont = FFontObj->ToQFont();
    Changed();
}

void TScale::Assign(const TPersistent* Source) {
    if (auto* s = qobject_cast<const TScale*>(Source)) Assign(*s);
    else TCollectionItem::Assign(Source);
}

TScale::~TScale() {
    if (FControl) {
        FControl->disconnect(this);
        delete FControl;
    }
}

int TScale::StripLength() const {
    if (FControl && FControl->parentWidget())
        return IsVerticalAlign(FAlign) ? FControl->height() : FControl->width();
    return FLength;
}

bool TScale::AdjustStrip() {
    if (!FControl || !FControl->parentWidget()) return false;
    FControl->AdjustScale();
    return true;
}

void TScale::StripChanged() {
    if (FControl) FControl->update();
}

TComponent* TScale::PopupMenuComponent() const { return FPopupMenu.data(); }

void TScale::SetPopupMenuComponent(TComponent* Value) { FPopupMenu = qobject_cast<TPopupMenu*>(Value); }

bool TScale::IsLoading() const {
    QObject* owner = Owner();
    if (!owner) return false;
    if (auto* l = dynamic_cast<IKXLoading*>(owner); l && l->IsComponentLoading()) return true;
    if (auto* l = dynamic_cast<IKXLoading*>(owner->parent()); l && l->IsComponentLoading()) return true;
    return false;
}

double TScale::MinSpan() const { return FAsDateTime ? OneSecond : 0.001; }

// --- layout ---

void TScale::Adjust() {
    FAdjusted = true;
    FCorrect = false;
    if (!std::isfinite(FMin) || !std::isfinite(FMax)) return;
    if (FStepType == sttLogarithmic) {
        // The logarithm needs a positive range; values stored raw while loading may break that.
        if (FMin <= 0) FMin = 1e-5;
        if (FMax <= FMin) FMax = FMin + 1;
    }
    double span = FMax - FMin;
    if (!(span > 0) && FStepType != sttFixedSize) return;
    FVisibleRange = span;
    FStart = FMin;
    switch (FStepType) {
    case sttOffset:
        FStart = 0;
        break;
    case sttFixedCount:
        FStep = FSteps > 0 ? span / FSteps : AutoNumericStep(span);
        break;
    case sttLogarithmic:
        FStep = 1;
        break;
    case sttFixed:
    case sttFixedSize:
        break;
    case sttAuto:
        if (FAsDateTime) {
            const TDateTimeStep* row = &DateTimeSteps[0];
            for (const auto& r : DateTimeSteps)
                if (span >= 1.1 * r.Step) row = &r;
            FStep = row->Step;
            FSubStep = row->SubStep;
            FSubTicksCount = row->SubTicks;
            FFormatStr = QString::fromLatin1(row->Format);
        } else {
            FStep = AutoNumericStep(span);
        }
        break;
    }
    // A step that cannot be walked (not positive, or finer than any strip can show) gives way to the automatic one.
    if (FStepType != sttLogarithmic && span > 0 && (!(FStep > 0) || !std::isfinite(FStep) || span / FStep > MaxMarks))
        FStep = AutoNumericStep(span);
    if (FStepType == sttFixedSize && (!(FStep > 0) || !std::isfinite(FStep))) FStep = 1;

    if (FStepType == sttOffset || FStepType == sttFixed || FStepType == sttFixedCount || FStepType == sttFixedSize)
        FSubStep = FSubTicksCount > 0 ? FStep / FSubTicksCount : FStep / 10;

    if (FRoundFirst) {
        if (FStepType == sttFixed || FStepType == sttAuto || FStepType == sttFixedSize) {
            const double q = FMin / FStep;
            if (q != std::floor(q)) FStart = std::ceil(q) * FStep;
        } else if (FStepType == sttLogarithmic) {
            FStart = std::floor(std::log10(FMin));
        }
    }

    const long double L = FLength - FOffset - FBackOffset - 1;
    if (FStepType == sttLogarithmic) {
        FPixPerVal = L / (std::log10(static_cast<long double>(FMax)) - std::log10(static_cast<long double>(FMin)));
    } else if (FStepType == sttFixedSize) {
        if (!(FPixPerVal > 0) && span > 0) FPixPerVal = L / span;
        // The range follows the strip length; a strip without room keeps the range it has.
        if (FPixPerVal > 0 && L > 0) FMax = static_cast<double>(L / FPixPerVal) + FMin;
    } else {
        FPixPerVal = L / span;
    }
    if (!Finite(FPixPerVal)) FPixPerVal = 0;
    FDataOffset = FMin - FMinLimit;
    FVisibleRange = FMax - FMin;
    FCorrect = FPixPerVal > 0 && FMax > FMin;
}

void TScale::Changed() {
    FAdjusted = false;
    if (IsLoading()) return;
    if (!AdjustStrip() || !FAdjusted) Adjust();
    emit ScaleChanged();
}

void TScale::SetMinMax(double Mn, double Mx) {
    if (IsLoading()) return;
    if (!std::isfinite(Mn) || !std::isfinite(Mx) || Mn >= Mx) return;
    const double span = Mx - Mn;
    if (span < (FAsDateTime ? OneSecond : 1e-5)) return;
    if (span >= FMaxLimit - FMinLimit) {
        Mn = FMinLimit;
        Mx = FMaxLimit;
    } else if (Mn < FMinLimit) {
        Mn = FMinLimit;
        Mx = Mn + span;
    } else if (Mx > FMaxLimit) {
        Mx = FMaxLimit;
        Mn = Mx - span;
    }
    FMin = Mn;
    FMax = Mx;
    if (FIsMainScale) {
        const QString format = FFormatStr;
        Adjust();
        // Labels of another format (a date-time window crossing a step row) or of another width
        // (a vertical strip) need the strip sized again; otherwise only the marks move.
        if (format != FFormatStr || IsVerticalAlign(FAlign)) AdjustStrip();
        StripChanged();
        emit ScaleChanged();
    } else {
        Changed();
    }
}

void TScale::SetLimits(double MinLim, double MaxLim, bool Scroll) {
    if (!std::isfinite(MinLim) || !std::isfinite(MaxLim) || MinLim >= MaxLim) return;
    if (SameValue(MinLim, FMinLimit) && MaxLim > FMaxLimit) FDataOffset += MaxLim - FMaxLimit;
    FMinLimit = MinLim;
    FMaxLimit = MaxLim;
    if (Scroll)
        SetMinMax(MinLim + FDataOffset, MinLim + FDataOffset + FVisibleRange);
    else
        SetMinMax(FMin, FMax);
}

void TScale::SetOffset(int Value) {
    if (!FIsMainScale) return;
    FOffset = Value;
    Adjust();
    StripChanged();
}

void TScale::SetAlign(TStripAlign Value) {
    if (IsVerticalAlign(Value) != IsVerticalAlign(FAlign)) FInverted = !FInverted;
    FAlign = Value;
    Changed();
}

void TScale::Assign(const TScale& Source) {
    if (&Source == this) return;
    FAlign = Source.FAlign;
    FVisible = Source.FVisible;
    FDataOffset = Source.FDataOffset;
    FCaption = Source.FCaption;
    if (FControl) FControl->setText(FCaption);
    FPenColor = Source.FPenColor;
    FShowCaption = Source.FShowCaption;
    FFontObj->blockSignals(true);
    FFontObj->Assign(Source.FFontObj);
    FFontObj->blockSignals(false);
    FFont = FFontObj->ToQFont();
    FAsDateTime = Source.FAsDateTime;
    FFormatStr = Source.FFormatStr;
    FInverted = Source.FInverted;
    FMax = Source.FMax;
    FMin = Source.FMin;
    FDefMin = Source.FDefMin;
    FDefMax = Source.FDefMax;
    FMaxLimit = Source.FMaxLimit;
    FMinLimit = Source.FMinLimit;
    FRoundFirst = Source.FRoundFirst;
    FStep = Source.FStep;
    FSteps = Source.FSteps;
    FStepType = Source.FStepType;
    FVisibleScale = Source.FVisibleScale;
    emit CaptionChanged();
    Changed();
}

void TScale::SetDisplayValue(double Value) {
    FDisplayValue = Value;
    StripChanged();
}

// --- projection ---

double TScale::RawPos(double v) const {
    switch (FStepType) {
    case sttOffset:
        return static_cast<double>(v * FPixPerVal);
    case sttLogarithmic:
        if (v <= 0 || FMin <= 0) return 0;
        return static_cast<double>((std::log10(static_cast<long double>(v)) - std::log10(static_cast<long double>(FMin))) * FPixPerVal);
    default:
        return static_cast<double>((v - FMin) * FPixPerVal);
    }
}

int TScale::PlacePos(long long p) const {
    p = FInverted ? FLength - (p + FBackOffset + 1) : p + FOffset;
    if (FIsMainScale) p -= FOffset;
    return static_cast<int>(std::clamp<long long>(p, -PrjLimit, PrjLimit));
}

int TScale::Prj(double Value) const {
    if (std::isnan(Value)) return PrjNone;
    double raw = RawPos(Value);
    if (std::isnan(raw)) return PrjNone;
    // Far outside the strip: clamp before rounding so that the side is kept.
    raw = std::clamp(raw, -1e9, 1e9);
    return PlacePos(static_cast<long long>(std::nearbyint(raw)));
}

double TScale::PrjBack(int Value) const {
    long long p = Value;
    if (FIsMainScale) p += FOffset;
    p = FInverted ? FLength - p - FBackOffset - 1 : p - FOffset;
    if (!(FPixPerVal > 0)) return FStepType == sttOffset ? 0 : FMin;
    const double v = static_cast<double>(p / FPixPerVal);
    return FStepType == sttOffset ? v : v + FMin;
}

void TScale::PrjArray(const TPointArray& Arr, TPoints& SPoints, int Start, int Stop, double Scale, double Offset,
                      bool TruncSPoints) const {
    const int count = Arr.GetCount();
    if (count <= 0) return;
    if (Start < 0) Start = 0;
    // An out-of-range stop means the last point, whatever the start.
    if (Stop <= 0 || Stop >= count) Stop = count - 1;
    if (Start > Stop) return;
    const size_t n = static_cast<size_t>(Stop - Start + 1);
    if (n > SPoints.size() || (TruncSPoints && SPoints.size() != n)) SPoints.resize(n);
    const bool vertical = IsVerticalAlign(FAlign);
    const int length = StripLength();
    const double ppv = static_cast<double>(FPixPerVal);
    const double logMin = FMin > 0 ? std::log10(FMin) : 0;
    const long long invBase = static_cast<long long>(length) - FBackOffset - 1;
    const long long shift = FIsMainScale ? -FOffset : 0;
    const double* block = Arr.ContiguousValues();
    const TStepType type = FStepType;
    const double min = FMin;
    const bool inverted = FInverted;
    const int offset = FOffset;
    QPoint* out = SPoints.data();
    for (int i = Start, k = 0; i <= Stop; ++i, ++k) {
        double v = block ? block[i] : Arr.GetValue(i).Value;
        int result;
        if (std::isnan(v)) {
            result = -1;
        } else {
            if (Scale != 0) v = v * Scale + Offset;
            double raw;
            if (type == sttOffset) raw = v * ppv;
            else if (type == sttLogarithmic) raw = v > 0 && min > 0 ? (std::log10(v) - logMin) * ppv : 0;
            else raw = (v - min) * ppv;
            if (std::isnan(raw)) {
                result = -1;
            } else {
                long long p;
                if (raw > 2147483647.0) p = 2147483647LL;
                else if (raw < -2147483647.0) p = -2147483647LL;
                else p = std::llrint(raw);  // ties to even in the default rounding mode
                p = inverted ? invBase - p : p + offset;
                p += shift;
                result = static_cast<int>(std::clamp<long long>(p, -PrjLimit, PrjLimit));
            }
        }
        if (vertical) out[k].setY(result); else out[k].setX(result);
    }
}

void TScale::PrjArray(const TPointArray& Arr, TPoints& SPoints, int Start, int Stop, double Scale,
                      bool TruncSPoints) const {
    PrjArray(Arr, SPoints, Start, Stop, Scale, 0.0, TruncSPoints);
}

namespace {
// Position = raw × Sign + Base, raw being the unrounded projection of Prj.
struct TPlacement {
    double Sign, Base;
};
}  // namespace

static TPlacement Placement(bool Inverted, int Length, int BackOffset, int Offset, bool Main) {
    const double shift = Main ? -Offset : 0;
    if (Inverted) return {-1, static_cast<double>(Length) - BackOffset - 1 + shift};
    return {1, static_cast<double>(Offset) + shift};
}

double TScale::PrjValue(double Value) const {
    const TPlacement pl = Placement(FInverted, StripLength(), FBackOffset, FOffset, FIsMainScale);
    if (std::isnan(Value)) return Value;
    return RawPos(Value) * pl.Sign + pl.Base;
}

bool TScale::LinearPrj(double& K, double& C) const {
    if (FStepType == sttLogarithmic) return false;
    const TPlacement pl = Placement(FInverted, StripLength(), FBackOffset, FOffset, FIsMainScale);
    const double ppv = static_cast<double>(FPixPerVal);
    K = ppv * pl.Sign;
    C = pl.Base - (FStepType == sttOffset ? 0.0 : FMin * ppv * pl.Sign);
    return true;
}

void TScale::PrjValues(const TPointArray& Arr, int Start, int Stop, double* Out) const {
    if (Start > Stop) return;
    const TPlacement pl = Placement(FInverted, StripLength(), FBackOffset, FOffset, FIsMainScale);
    const double ppv = static_cast<double>(FPixPerVal);
    const double* block = Arr.ContiguousValues();
    const int n = Stop - Start + 1;
    if (FStepType == sttLogarithmic) {
        const double logMin = FMin > 0 ? std::log10(FMin) : 0;
        const double k = ppv * pl.Sign;
        for (int i = 0; i < n; ++i) {
            const double v = block ? block[Start + i] : Arr.GetValue(Start + i).Value;
            // values at or below zero have no logarithm: they stand at Min, as the marks do
            Out[i] = std::isnan(v) ? v : (v > 0 ? (std::log10(v) - logMin) * k : 0.0) + pl.Base;
        }
        return;
    }
    // v × k + c: a NaN passes through without a branch, so the loop stays a straight stream.
    double k = 0, c = 0;
    LinearPrj(k, c);
    if (block) {
        block += Start;
        for (int i = 0; i < n; ++i) Out[i] = block[i] * k + c;
    } else {
        for (int i = 0; i < n; ++i) Out[i] = Arr.GetValue(Start + i).Value * k + c;
    }
}

// --- mark walk ---

int TScale::GetMarkPos(double Value) {
    const double raw = RawPos(Value);
    if (!std::isfinite(raw) || std::fabs(raw) > 1e9) {
        FCorrect = false;
        return MarkNone;
    }
    const long long p = static_cast<long long>(std::nearbyint(raw));
    return static_cast<int>(FInverted ? FLength - FBackOffset - p - 1 : p + FOffset);
}

int TScale::FirstMarkPos() {
    FMarkVal = FStart;
    if (FStepType == sttLogarithmic) {
        FSubStep = std::pow(10.0, std::trunc(FMarkVal)) / 10;
        FSubTicksCount = 10;
    } else if (!FAsDateTime) {
        FSubStep = FStep / 10;
        FSubTicksCount = 10;
    }
    return GetNextMarkPos();
}

int TScale::GetNextMarkPos() {
    if (FStepType == sttLogarithmic) {
        FCurrentMark = std::pow(10.0, std::trunc(FMarkVal));
        FSubStep = FCurrentMark / 10;
    } else {
        FCurrentMark = FMarkVal;
    }
    const int result = GetMarkPos(FCurrentMark);
    FMarkVal += FStep;
    return result;
}

void TScale::GetLabel(QString& Text) const { Text = GetLabel(); }

QString TScale::GetLabel() const {
    return FAsDateTime ? FormatDateTime(FFormatStr, FCurrentMark) : FormatFloat(FFormatStr, FCurrentMark);
}

void TScale::WalkMarks(const std::function<bool(int)>& Inside, const std::function<void(int)>& Visit, int MinCount) {
    if (!FCorrect) return;
    double before = FStart;
    int p = FirstMarkPos();
    bool stalled = false;
    for (int n = 0; n < MaxWalk && (n < MinCount || Inside(p)); ++n) {
        Visit(p);
        // A step lost in the magnitude of the values would never leave the strip.
        if (stalled || !FCorrect) break;
        before = FMarkVal;
        p = GetNextMarkPos();
        stalled = FMarkVal == before;
    }
}

int TScale::GetSize() {
    const QFontMetrics fm(FFont);
    if (!IsVerticalAlign(FAlign)) {
        if (!FVisible) return 0;
        int size = 0;
        if (FVisibleScale) size += fm.height() + 5;
        if (FShowCaption) size += fm.height();
        if (!FIsMainScale) {
            FOffset = 0;
            FBackOffset = 0;
            Adjust();
            int first = -1, last = 0;
            WalkMarks([this](int p) { return p >= FOffset && p < FLength; },
                      [&](int) {
                          const int w = fm.horizontalAdvance(GetLabel());
                          if (first < 0) first = w;
                          last = w;
                      });
            // The end labels stay a gap away from the strip's ends, so that they do
            // not run into the labels of the neighbouring field's strip.
            FOffset = std::max(first, 0) / 2 + 1 + EndLabelGap;
            FBackOffset = static_cast<int16_t>(last / 2 + 1 + EndLabelGap);
        } else {
            // The main strip runs to the chart's edge: keep room for half of the last label.
            Adjust();
            const double mark = FCurrentMark;
            FCurrentMark = FMax;
            FBackOffset = static_cast<int16_t>(fm.horizontalAdvance(GetLabel()) / 2 + 1);
            FCurrentMark = mark;
        }
        Adjust();
        return size;
    }
    const int h = fm.height() / 2;
    FBackOffset = static_cast<int16_t>(h + 2);
    if (!FIsMainScale) FOffset = h;
    Adjust();
    if (!FVisible) return 0;
    int width = 0;
    if (FCorrect && FVisibleScale) {
        int widest = 0;
        WalkMarks([this](int p) { return p >= FOffset && p <= FLength - FBackOffset; },
                  [&](int) { widest = std::max(widest, fm.horizontalAdvance(GetLabel())); });
        width = widest + 7;
    }
    if (FShowCaption) width += fm.horizontalAdvance(QStringLiteral("W"));
    return width;
}

// --- setters ---

void TScale::SetAsDateTime(bool Value) {
    FAsDateTime = Value;
    FFormatStr = Value ? QStringLiteral("mm.dd.yy") : QStringLiteral("0.####");
    Changed();
}

void TScale::SetCaption(const QString& Value) {
    FCaption = Value;
    if (FControl) FControl->setText(Value);
    FShowCaption = !Value.isEmpty();
    emit CaptionChanged();
    Changed();
}

void TScale::SetChecked(bool Value) {
    FChecked = Value;
    StripChanged();
}

void TScale::SetStepType(TStepType Value) {
    FStepType = Value;
    if (Value == sttLogarithmic) {
        if (FMin <= 0) FMin = 1e-5;
        if (FMax <= 0 || FMax <= FMin) FMax = FMin + 1;
    }
    Changed();
}

void TScale::SetDataOffset(double Value) {
    if (IsLoading()) {
        FDataOffset = Value;
        return;
    }
    if (!(Value >= 0) || !std::isfinite(Value)) return;
    FDataOffset = Value;
    SetMinMax(FMinLimit + Value, FMinLimit + Value + FVisibleRange);
}

void TScale::SetFont(const QFont& Value) {
    FFontObj->blockSignals(true);
    FFontObj->SetName(Value.family());
    const int px = Value.pixelSize() > 0 ? Value.pixelSize()
                                         : static_cast<int>(std::lround(Value.pointSizeF() * TFont::PixelsPerInch / 72));
    FFontObj->SetHeight(-px);
    TFont::TFontStyles style;
    if (Value.bold()) style |= TFont::fsBold;
    if (Value.italic()) style |= TFont::fsItalic;
    if (Value.underline()) style |= TFont::fsUnderline;
    if (Value.strikeOut()) style |= TFont::fsStrikeOut;
    FFontObj->SetStyle(style);
    FFontObj->blockSignals(false);
    FFont = FFontObj->ToQFont();
    Changed();
}

void TScale::SetFormatString(const QString& Value) {
    FFormatStr = Value;
    Changed();
}

bool TScale::Inverted() const { return FInverted != IsVerticalAlign(FAlign); }

void TScale::SetInverted(bool Value) {
    FInverted = Value != IsVerticalAlign(FAlign);
    Changed();
}

void TScale::SetMin(double Value) {
    if (IsLoading()) {
        FMin = Value;
        return;
    }
    if (!std::isfinite(Value) || FMax - Value < MinSpan() || Value >= FMax) return;
    if (Value < FMinLimit) Value = FMinLimit;
    if (FMax - Value < MinSpan()) {
        // The lower limit passed the window: move the window inside the limits instead of turning it over.
        SetMinMax(FMinLimit, FMinLimit + (FMax - FMin));
        return;
    }
    FMin = Value;
    Changed();
}

void TScale::SetMax(double Value) {
    if (IsLoading()) {
        FMax = Value;
        return;
    }
    if (!std::isfinite(Value) || Value - FMin < MinSpan() || Value <= FMin) return;
    if (Value > FMaxLimit) Value = FMaxLimit;
    if (Value - FMin < MinSpan()) {
        SetMinMax(FMaxLimit - (FMax - FMin), FMaxLimit);
        return;
    }
    FMax = Value;
    Changed();
}

void TScale::SetMinLimit(double Value) {
    if (IsLoading()) {
        FMinLimit = Value;
        return;
    }
    if (!std::isfinite(Value) || Value >= FMaxLimit) return;
    FMinLimit = Value;
    SetMin(FMin);
}

void TScale::SetMaxLimit(double Value) {
    if (IsLoading()) {
        FMaxLimit = Value;
        return;
    }
    if (!std::isfinite(Value) || Value <= FMinLimit) return;
    FMaxLimit = Value;
    SetMax(FMax);
}

void TScale::SetPenColor(const QColor& Value) { SetPenColorValue(RGBToColor(Value.red(), Value.green(), Value.blue())); }

void TScale::SetPenColorValue(TColor Value) {
    FPenColor = Value;
    Changed();
}

void TScale::SetRoundFirst(bool Value) {
    FRoundFirst = Value;
    Changed();
}

void TScale::SetShowCaption(bool Value) {
    FShowCaption = Value;
    Changed();
}

void TScale::SetShowDisplayValues(bool Value) {
    FShowDisplayValues = Value;
    Changed();
}

namespace {
bool StepSettable(TStepType t) { return t == sttOffset || t == sttFixed || t == sttFixedSize; }
}  // namespace

void TScale::SetStep(double Value) {
    if (IsLoading()) {
        FStep = Value;
        return;
    }
    if (!StepSettable(FStepType) || !(Value > 0) || !std::isfinite(Value)) return;
    FStep = Value;
    Changed();
}

void TScale::SetSubStep(double Value) {
    if (IsLoading()) {
        FSubStep = Value;
        return;
    }
    if (!StepSettable(FStepType) || !(Value > 0) || !std::isfinite(Value)) return;
    FSubStep = Value;
    Changed();
}

void TScale::SetSubTicksCount(int Value) {
    if (IsLoading()) {
        FSubTicksCount = Value;
        return;
    }
    if (!StepSettable(FStepType) || Value <= 0) return;
    FSubTicksCount = Value;
    Changed();
}

void TScale::SetSteps(int Value) {
    if (Value <= 0) return;
    FSteps = Value;
    Changed();
}

void TScale::SetPixPerVal(long double Value) {
    if (IsLoading()) {
        FPixPerVal = Value;
        return;
    }
    if (!(Value > 0) || !Finite(Value)) return;
    FPixPerVal = Value;
    Changed();
}

void TScale::SetVisible(bool Value) {
    FVisible = Value;
    // A zero-size strip makes the chart lay it out again.
    if (FControl && FControl->parentWidget()) FControl->resize(0, 0);
    Changed();
}

void TScale::SetVisibleScale(bool Value) {
    FVisibleScale = Value;
    Changed();
}
