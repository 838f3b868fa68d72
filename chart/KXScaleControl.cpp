#include "KXScaleControl.h"

#include "Formatting.h"
#include "KXCursors.h"
#include "KXScale.h"
#include "Kurvex.h"
#include "Menus.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <exception>

namespace {
constexpr int CheckboxSize = 13;
}

// --- TFastControl ---

TFastControl::TFastControl(QWidget* Parent) : QWidget(Parent), FColor(Qt::white) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFastControl::Unlock() {
    if (FLockCount > 0 && --FLockCount == 0) update();
}

void TFastControl::SetColor(const QColor& Value) {
    FColor = Value;
    update();
}

void TFastControl::paintEvent(QPaintEvent*) {
    if (FLockCount > 0 || width() <= 0 || height() <= 0) return;
    QPainter p(this);
    if (FAutoFill) p.fillRect(rect(), FillColor());
    try {
        PaintOn(p);
    } catch (const std::exception&) {
        // painting never raises; what was drawn so far stays
    }
}

// --- TScaleControl ---

int TScaleControl::FCaptureCount = 0;

TScaleControl::~TScaleControl() { SetDragging(false); }

void TScaleControl::SetDragging(bool Value) {
    if (Value == FDragging) return;
    FDragging = Value;
    FCaptureCount += Value ? 1 : -1;
}

TScaleControl::TScaleControl(QWidget* Parent, TScale* Scale) : TFastControl(Parent), FParentScale(Scale) {
    setMouseTracking(true);
}

QColor TScaleControl::FillColor() const {
    if (auto* field = qobject_cast<TFieldControl*>(parentWidget())) return field->Field()->Color();
    if (TGraphion* c = Chart()) return c->QtColor();
    return Color();
}

TGraphion* TScaleControl::Chart() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* c = qobject_cast<TGraphion*>(w)) return c;
    return nullptr;
}

bool TScaleControl::Vertical() const { return FParentScale && IsVerticalAlign(FParentScale->GetAlign()); }

void TScaleControl::setText(const QString& Value) {
    if (FText == Value) return;
    FText = Value;
    if (TGraphion* c = Chart()) c->TextChanged(FParentScale);
    update();
}

void TScaleControl::AdjustScale() {
    if (!FParentScale) return;
    TScale& s = *FParentScale;
    s.FAdjusted = false;
    const bool vertical = Vertical();
    s.SetLength(vertical ? height() : width());
    const int thickness = s.GetSize();
    const int current = vertical ? width() : height();
    // A strip of no length (a scale just hidden or shown is given zero size) is
    // placed again by the chart's layout, whatever its thickness.
    if (thickness != current || (vertical ? height() : width()) <= 0) {
        if (vertical) resize(thickness, height()); else resize(width(), thickness);
        if (TGraphion* c = Chart()) c->RequestRealign();
    }
    update();
}

void TScaleControl::resizeEvent(QResizeEvent* e) {
    TFastControl::resizeEvent(e);
    if (!FParentScale) return;
    FParentScale->SetLength(Vertical() ? height() : width());
    if (!FParentScale->Adjusted()) FParentScale->Adjust();
}

bool TScaleControl::ShowCheckbox() const {
    if (!qobject_cast<TFieldControl*>(parentWidget())) return false;
    TGraphion* c = Chart();
    return c && c->ShowCheckboxes();
}

QRect TScaleControl::GetCheckboxRect() const {
    QRect r(0, 0, CheckboxSize, CheckboxSize);
    if (Vertical()) r.moveBottom(height() - 1);
    return r;
}

int TScaleControl::MouseAt(int Pos) const {
    if (!FParentScale) return 1;
    const int length = Vertical() ? height() : width();
    const double usable = length - FParentScale->Offset() - FParentScale->BackOffset();
    if (usable <= 0) return 1;
    const int part = static_cast<int>(std::floor((Pos - FParentScale->Offset()) / usable * 3));
    return std::clamp(part, 0, 2);
}

int TScaleControl::GetClickedAt(const QPoint& Pos) const {
    if (!FParentScale) return 1;
    if (FParentScale->StepType() == sttFixedSize) return 1;
    const int part = MouseAt(Along(Pos));
    return FParentScale->InternalInverted() ? 2 - part : part;
}

void TScaleControl::MouseWheelScale(Qt::KeyboardModifiers Shift, const QPoint& MousePos, bool Up) {
    MouseWheelScale(Shift, MousePos, Up ? 1.0 : -1.0);
}

void TScaleControl::MouseWheelScale(Qt::KeyboardModifiers Shift, const QPoint& MousePos, double Notches) {
    if (!FParentScale || Notches == 0 || (QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    TScale& s = *FParentScale;
    const int part = (Shift & Qt::AltModifier) ? 1 : GetClickedAt(MousePos);
    // A logarithmic scale zooms and slides in decades, as it is drawn.
    const bool log = s.StepType() == sttLogarithmic;
    if (log && !(s.Min() > 0 && s.Max() > 0)) return;
    double mn = log ? std::log10(s.Min()) : s.Min();
    double mx = log ? std::log10(s.Max()) : s.Max();
    // One notch moves an end by a twentieth of what is shown; a step up moves towards smaller values.
    double d = -(mx - mn) / 20 * Notches;
    if (s.InternalInverted()) d = -d;
    if (part == 0 || part == 1) mn += d;
    if (part == 1 || part == 2) mx += d;
    if (log) {
        mn = std::pow(10.0, mn);
        mx = std::pow(10.0, mx);
    }
    try {
        s.SetMinMax(mn, mx);
    } catch (const std::exception&) {
    }
}

void TScaleControl::BeginMoveScale(int X, int Y) {
    if (!FParentScale) return;
    TScale& s = *FParentScale;
    s.FClickPos = Vertical() ? Y : X;
    s.FClickDataOfs = s.DataOffset();
    s.FClickVRange = s.VisibleRange();
    s.FClickStep = s.Step() / 10;
    s.FClickedAt = GetClickedAt(QPoint(X, Y));
    FPrevX = X;
    FPrevY = Y;
}

void TScaleControl::MoveScale(int MPos) {
    if (!FParentScale) return;
    TScale& s = *FParentScale;
    const bool log = s.StepType() == sttLogarithmic;
    const double n = s.FClickPos - MPos;
    double d = log ? n / 4 / 10 : n / 4 * s.FClickStep;
    if (s.InternalInverted()) d = -d;
    double mn = s.MinLimit() + s.FClickDataOfs;
    double mx = mn + s.FClickVRange;
    auto move = [&](double v) { return log ? std::pow(10.0, std::log10(v) + d) : v + d; };
    auto round = [&](double v) {
        if (log) return std::pow(10.0, std::nearbyint(std::log10(v)));
        const double step = s.FClickStep * 10;
        return step > 0 ? std::nearbyint(v / step) * step : v;
    };
    const int part = s.FClickedAt;
    if (part == 0 || part == 1) mn = move(mn);
    if (part == 1 || part == 2) mx = move(mx);
    if (s.FClickRound) {
        if (part == 0) mn = round(mn);
        if (part == 2) mx = round(mx);
    }
    try {
        s.SetMinMax(mn, mx);
    } catch (const std::exception&) {
    }
}

void TScaleControl::mousePressEvent(QMouseEvent* e) {
    if (parentWidget()) parentWidget()->setFocus();
    if (!FParentScale) return;
    TScale& s = *FParentScale;
    const QPoint pos = e->position().toPoint();
    if (e->button() != Qt::LeftButton) return;
    if (e->modifiers() & Qt::ControlModifier) {
        FReordering = true;
        return;
    }
    if (ShowCheckbox() && GetCheckboxRect().contains(pos)) {
        s.SetChecked(!s.Checked());
        return;
    }
    if (!s.Correct()) return;
    BeginMoveScale(pos.x(), pos.y());
    s.FClickRound = e->modifiers() & Qt::ShiftModifier;
    SetDragging(true);
}

void TScaleControl::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!FParentScale || e->button() != Qt::LeftButton) return;
    TScale& s = *FParentScale;
    SetDragging(false);
    // The second press of a double click on the check box is a press on the box like the first.
    if (ShowCheckbox() && GetCheckboxRect().contains(e->position().toPoint())) {
        s.SetChecked(!s.Checked());
        return;
    }
    if (TPopupMenu* menu = s.PopupMenu()) {
        if (QAction* item = menu->DefaultItem()) {
            menu->SetPopupComponent(this);
            item->trigger();
            return;
        }
    }
    s.SetMinMax(s.DefaultMin(), s.DefaultMax());
}

void TScaleControl::mouseMoveEvent(QMouseEvent* e) {
    if (!FParentScale) return;
    const QPoint pos = e->position().toPoint();
    if (ShowCheckbox() && GetCheckboxRect().contains(pos)) {
        unsetCursor();
        return;
    }
    const int prev = Vertical() ? FPrevY : FPrevX;
    if (Along(pos) == prev) return;
    if ((e->buttons() & Qt::LeftButton) && FDragging) {
        MoveScale(Along(pos));
    } else {
        int part = MouseAt(Along(pos));
        if (FParentScale->StepType() == sttOffset) part = 2;
        if (FParentScale->StepType() == sttFixedSize) part = 1;
        setCursor(ChartCursor((Vertical() ? crVertMin : crHorMin) + part));
    }
    FPrevX = pos.x();
    FPrevY = pos.y();
}

void TScaleControl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !FParentScale) return;
    if (FReordering) {
        FReordering = false;
        // Dropping a value strip on another strip of the same field takes that strip's place.
        QWidget* parent = parentWidget();
        auto* target = parent ? qobject_cast<TScaleControl*>(parent->childAt(mapToParent(e->position().toPoint()))) : nullptr;
        if (target && target != this && target->FParentScale && FParentScale->Collection() &&
            FParentScale->Collection() == target->FParentScale->Collection())
            if (auto* scales = qobject_cast<TScales*>(FParentScale->Collection()))
                scales->Move(FParentScale->Index(), target->FParentScale->Index());
        return;
    }
    if (FDragging) {
        SetDragging(false);
        FParentScale->Changed();
    }
}

void TScaleControl::wheelEvent(QWheelEvent* e) {
    // 120 units are one notch; touchpads and fine wheels send parts of one. A sideways
    // delta (a tilt wheel, or Alt with the wheel on X11) slides the window.
    const QPoint delta = e->angleDelta();
    const QPoint pos = e->position().toPoint();
    if (delta.y() != 0) MouseWheelScale(e->modifiers(), pos, delta.y() / 120.0);
    if (delta.x() != 0) MouseWheelScale(e->modifiers() | Qt::AltModifier, pos, delta.x() / 120.0);
    e->accept();
}

void TScaleControl::contextMenuEvent(QContextMenuEvent* e) {
    TPopupMenu* menu = FParentScale ? FParentScale->PopupMenu() : nullptr;
    // A strip without a menu of its own shows none (not the chart's under it).
    e->accept();
    if (!menu || !menu->AutoPopup()) return;
    menu->Popup(this, e->globalPos());
}

// --- painting ---

void TScaleControl::PaintOn(QPainter& DC) {
    if (!FParentScale) return;
    TScale& s = *FParentScale;
    DC.setFont(s.Font());
    DC.setBrush(Qt::NoBrush);
    DC.setPen(s.PenColor());
    try {
        if (s.ShowCaption()) PaintCaption(DC);
        if (s.Correct() && s.VisibleScale()) {
            if (Vertical()) PaintVertical(DC); else PaintHorizontal(DC);
            if (ShowCheckbox()) PaintCheckbox(DC);
        }
        PaintDisplayValue(DC);
    } catch (const std::exception&) {
    }
}

namespace {
bool HalfLine(QChar c) { return QStringLiteral(",-.=_").contains(c); }

int StackedHeight(const QString& caption, int lineHeight) {
    int total = 0;
    for (QChar c : caption) total += HalfLine(c) ? lineHeight / 2 : lineHeight;
    return total;
}

// A caption stacked one character a line that is taller than its strip is
// drawn smaller, down to 6 pixels a line, so that none of it is cut off.
QFont StackedCaptionFont(QFont font, const QString& caption, int height) {
    while (StackedHeight(caption, QFontMetrics(font).height()) > height) {
        const int pixels = QFontInfo(font).pixelSize();
        if (pixels <= 6) break;
        font.setPixelSize(pixels - 1);
    }
    return font;
}
}  // namespace

void TScaleControl::PaintCaption(QPainter& DC) {
    const QString caption = FParentScale->Caption();
    if (!Vertical()) {
        const QFontMetrics fm(DC.font());
        int flags = fm.horizontalAdvance(caption) < width() ? Qt::AlignHCenter : Qt::AlignLeft;
        flags |= FParentScale->GetAlign() == saBottom ? Qt::AlignBottom : Qt::AlignTop;
        DC.drawText(rect(), flags | Qt::TextSingleLine, caption);
        return;
    }
    // One character a line, top down, centred on half the width of "W".
    DC.save();
    DC.setFont(StackedCaptionFont(DC.font(), caption, height()));
    const QFontMetrics fm(DC.font());
    const int th = fm.height();
    int y = std::max(0, (height() - StackedHeight(caption, th)) / 2);
    const int cx = fm.horizontalAdvance(QLatin1Char('W')) / 2;
    for (QChar c : caption) {
        const int w = fm.horizontalAdvance(c);
        DC.drawText(cx - w / 2, y + fm.ascent(), QString(c));
        y += HalfLine(c) ? th / 2 : th;
    }
    DC.restore();
}

void TScaleControl::PaintHorizontal(QPainter& DC) {
    TScale& s = *FParentScale;
    const QFontMetrics fm(DC.font());
    const bool bottom = s.GetAlign() == saBottom;
    const int captionH = s.ShowCaption() ? fm.height() : 0;
    const int base = bottom ? 5 : captionH + fm.height();
    auto tick = [&](int p, int len) {
        if (bottom) DC.drawLine(p, 5 - len, p, base);
        else DC.drawLine(p, base, p, base + len);
    };
    const int lo = s.Offset(), hi = width() - s.BackOffset();
    const int subCount = s.SubTicksCount();
    int prevPos = 0, prevHalf = -1;
    s.WalkMarks([&](int p) { return p >= lo && p <= hi; },
                [&](int p) {
                    if (p >= lo && p <= hi) {
                        tick(p, 5);
                        const QString label = s.GetLabel();
                        const int half = fm.horizontalAdvance(label) / 2;
                        if (prevHalf < 0 || half + (prevHalf + 1) + 1 < std::abs(p - prevPos)) {
                            const int top = bottom ? base + 1 : captionH;
                            DC.drawText(p - half, top + fm.ascent(), label);
                            prevPos = p;
                            prevHalf = half;
                        }
                    }
                    double mark = s.CurrentMark();
                    const int n = s.SubTicksCount() > 0 ? s.SubTicksCount() : subCount;
                    for (int k = 1; k < n; ++k) {
                        mark -= s.SubStep();
                        const int sp = s.GetMarkPos(mark);
                        if (sp >= lo && sp <= hi) tick(sp, k == n / 2 ? 4 : 2);
                    }
                });
    DC.drawLine(lo, base, hi + 1, base);
}

void TScaleControl::PaintVertical(QPainter& DC) {
    TScale& s = *FParentScale;
    const QFontMetrics fm(DC.font());
    const int w = width();
    const int base = w - 5;
    const int lo = s.Offset(), hi = height() - s.BackOffset();
    int prevPos = 0;
    bool first = true;
    s.WalkMarks([&](int p) { return p >= lo && p < hi; },
                [&](int p) {
                    if (p >= lo && p < hi) {
                        DC.drawLine(base, p, w, p);
                        if (first || std::abs(p - prevPos) > fm.height()) {
                            const QString label = s.GetLabel();
                            DC.drawText(base - 2 - fm.horizontalAdvance(label), p - fm.height() / 2 + fm.ascent(), label);
                            prevPos = p;
                            first = false;
                        }
                    }
                    double mark = s.CurrentMark();
                    const int n = s.SubTicksCount();
                    for (int k = 1; k < n; ++k) {
                        mark -= s.SubStep();
                        const int sp = s.GetMarkPos(mark);
                        if (sp >= lo && sp < hi) DC.drawLine(base, sp, k == n / 2 ? w - 1 : w - 3, sp);
                    }
                });
    DC.drawLine(base, lo, base, hi + 1);
}

QRect TScaleControl::CaptionRect(const QFontMetrics& Fm) const {
    if (!FParentScale || !FParentScale->ShowCaption()) return {};
    const QString caption = FParentScale->Caption();
    if (!Vertical()) {
        const int w = std::min(Fm.horizontalAdvance(caption), width());
        const int left = w < width() ? (width() - w) / 2 : 0;
        const int top = FParentScale->GetAlign() == saBottom ? height() - Fm.height() : 0;
        return {left, top, w, Fm.height()};
    }
    const QFontMetrics fm(StackedCaptionFont(FParentScale->Font(), caption, height()));
    const int total = StackedHeight(caption, fm.height());
    return {0, std::max(0, (height() - total) / 2), fm.horizontalAdvance(QLatin1Char('W')) + 1, total};
}

QRect TScaleControl::DisplayValueBox(int P, const QFontMetrics& Fm, const QString& Text) const {
    const QFontMetrics captionFm(FParentScale->Font());
    const QRect caption = CaptionRect(captionFm);
    const QRect checkbox = ShowCheckbox() && FParentScale->Correct() && FParentScale->VisibleScale() ? GetCheckboxRect() : QRect();
    if (!Vertical()) {
        QRect box(0, 0, Fm.horizontalAdvance(Text) + 4, Fm.height() + 2);
        box.moveCenter(QPoint(P, 0));
        box.moveBottom(height() - 7);
        // Off the caption row: below it on a top strip, above it on a bottom one.
        if (box.intersects(caption)) {
            if (FParentScale->GetAlign() == saBottom) box.moveBottom(caption.top() - 1);
            else box.moveTop(caption.bottom() + 1);
        }
        if (box.intersects(checkbox)) box.moveLeft(checkbox.right() + 2);
        return box;
    }
    const int half = Fm.height() / 2 + 1;
    QRect box(QPoint(1, P - half), QPoint(width() - 6, P + half));
    // Right of the caption column and of the check box where they stand beside the value.
    if (box.intersects(caption)) box.setLeft(caption.right() + 2);
    if (box.intersects(checkbox)) box.setLeft(std::max(box.left(), checkbox.right() + 2));
    return box;
}

QFont TScaleControl::DisplayValueFont() const {
    // One point smaller than the scale's font (which is sized in pixels).
    QFont f = FParentScale ? FParentScale->Font() : font();
    if (f.pixelSize() > 0) {
        const double points = f.pixelSize() * 72.0 / TFont::PixelsPerInch;
        f.setPixelSize(std::max(1, static_cast<int>(std::lround((points - 1) * TFont::PixelsPerInch / 72))));
    } else if (f.pointSizeF() > 1) {
        f.setPointSizeF(f.pointSizeF() - 1);
    }
    return f;
}

QString TScaleControl::DisplayValueText() const {
    if (!FParentScale) return {};
    const TScale& s = *FParentScale;
    const double v = s.DisplayValue();
    if (std::isnan(v)) return {};
    if (s.AsDateTime()) return FormatDateTime(s.FormatString(), v);
    // fixed notation: seven significant digits, then the scale's decimals
    double shown = v;
    if (v != 0) {
        const double mag = std::pow(10.0, 6 - std::floor(std::log10(std::fabs(v))));
        if (std::isfinite(mag) && mag > 0) shown = std::nearbyint(v * mag) / mag;
    }
    return FloatToStrFixed(shown, std::clamp(s.DisplayValuePrecision(), 0, 15));
}

void TScaleControl::PaintDisplayValue(QPainter& DC) {
    TScale& s = *FParentScale;
    const double v = s.DisplayValue();
    if (!s.ShowDisplayValues() || std::isnan(v) || v < s.Min() || v > s.Max()) return;
    const QFont f = DisplayValueFont();
    DC.setFont(f);
    const QFontMetrics fm(f);
    const QString text = DisplayValueText();
    const int p = s.Prj(v) + (s.IsMainScale() ? s.Offset() : 0);
    const QColor back = FillColor();
    DC.setPen(back);
    DC.setBrush(s.PenColor());
    const QRect box = DisplayValueBox(p, fm, text);
    if (!Vertical()) {
        const int h = height();
        const QPoint tri[3] = {{p - 5, h}, {p + 5, h}, {p, h - 5}};
        DC.drawPolygon(tri, 3);
        DC.setBrush(back);
        DC.setPen(s.PenColor());
        DC.drawRect(box);
        DC.drawText(box, Qt::AlignCenter, text);
    } else {
        const int w = width();
        const QPoint tri[3] = {{w, p - 5}, {w, p + 5}, {w - 5, p}};
        DC.drawPolygon(tri, 3);
        if (fm.horizontalAdvance(text) + 4 < box.width()) {
            DC.setBrush(back);
            DC.setPen(s.PenColor());
            DC.drawRect(box);
            DC.drawText(box.adjusted(1, 0, -1, 0), Qt::AlignRight | Qt::AlignVCenter, text);
        }
    }
}

void TScaleControl::PaintCheckbox(QPainter& DC) {
    const QRect r = GetCheckboxRect().adjusted(0, 0, -1, -1);
    DC.save();
    DC.setPen(Qt::black);
    DC.setBrush(Qt::white);
    DC.drawRect(r);
    if (FParentScale->Checked()) {
        DC.setPen(QPen(Qt::black, 2));
        DC.drawLine(r.left() + 3, r.center().y(), r.center().x(), r.bottom() - 3);
        DC.drawLine(r.center().x(), r.bottom() - 3, r.right() - 2, r.top() + 3);
    }
    DC.restore();
}

// --- TKXSplitter ---

TKXSplitter::TKXSplitter(QWidget* Parent) : QWidget(Parent) { SetVertical(false); }

void TKXSplitter::SetVertical(bool Value) {
    FVertical = Value;
    setCursor(Value ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void TKXSplitter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
}

void TKXSplitter::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    FDown = true;
    const QPoint g = e->globalPosition().toPoint();
    FLast = FVertical ? g.x() : g.y();
}

void TKXSplitter::mouseMoveEvent(QMouseEvent* e) {
    if (!FDown) return;
    const QPoint g = e->globalPosition().toPoint();
    const int now = FVertical ? g.x() : g.y();
    if (now != FLast && OnMoved) OnMoved(now - FLast);
    FLast = now;
}

void TKXSplitter::mouseReleaseEvent(QMouseEvent*) { FDown = false; }
