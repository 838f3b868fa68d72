#include "PrintFields.h"

#include "ClassRegistry.h"
#include "ItemSetup.h"
#include "PrintSeries.h"

#include <QPainter>
#include <cmath>

namespace Plotmere {

namespace {
int RightOf(const QRect& r) { return r.left() + r.width(); }
int BottomOf(const QRect& r) { return r.top() + r.height(); }

// Ceil that ignores the last bits of a quotient such as 50 / 0.2; kept
// within ten kilometres of paper.
int CeilMM(double value) { return int(std::clamp(std::ceil(value - 1e-9), -1e7, 1e7)); }

// The number of lines to draw: the smaller of two counts, none for counts
// that cannot be computed.
int LineCount(double a, double b) {
    const double count = std::min(a, b);
    return count > 0 ? int(std::min(count, 1e6)) : 0;
}
}  // namespace

TPrintField::TPrintField(QObject* owner)
    : TPrintItem(owner), FFont(new TFont(this)), FHeaderFont(new TFont(this)), FPen(new TPen(this)) {
    FFont->SetName(QStringLiteral("Arial"));
    FFont->SetCharset(RUSSIAN_CHARSET);
    FFont->SetSize(10);
    FHeaderFont->Assign(FFont);
    FHeaderFont->SetStyle(TFont::fsBold);
    FPen->SetStyle(TPen::psDot);
    FPen->SetColor(clGray);
    FWidth = 35;
    FHeight = 35;
    FState = TPrintItemState(psAcceptItems | psGetChildAction);
}

TPrintField::TPrintField(QObject* owner, const TFloatPoint& position) : TPrintField(owner) {
    FRelPos = AbsoluteToRelativePos(FloatPointToPoint(position));
}

QList<TPrintSeries*> TPrintField::Series() const {
    QList<TPrintSeries*> list;
    for (TPrintItem* item : Items())
        if (auto* series = qobject_cast<TPrintSeries*>(item)) list << series;
    return list;
}

double TPrintField::PrjVertValueToMM(double value) const {
    const TSketchDocument* doc = GetSketchDocument();
    if (!doc) return FClientRect.top();
    return (value - doc->Min()) / doc->Scale() + FClientRect.top();
}

double TPrintField::PrjVertMMToValue(double mm) const {
    const TSketchDocument* doc = GetSketchDocument();
    if (!doc) return mm;
    return (mm - FClientRect.top()) * doc->Scale() + doc->Min();
}

int TPrintField::CaptionHeight(const TRenderDevice& device) const {
    if (!HasFlag(TFieldFlag::ffVertHeader)) return device.TextHeight(*FHeaderFont, FCaption);
    int height = 0;
    for (const QChar c : FCaption) height += device.TextHeight(*FHeaderFont, QString(c));
    return height;
}

int TPrintField::GetHeaderSize(const TRenderDevice& device, int flag) const {
    int pixels = CaptionHeight(device);
    for (const TPrintSeries* series : Series()) pixels += series->GetHeaderSize(device, flag);
    const double perMM = device.YResScl() > 0 ? device.YResScl() : ScreenPixelsPerMM * device.Scale();
    return CeilMM(pixels / perMM);
}

int TPrintField::GetSubHeadersSize(const TRenderDevice& device, int flag) const {
    int size = 0;
    for (TPrintItem* item : Items())
        if (auto* field = qobject_cast<TPrintField*>(item)) size = std::max(size, field->GetMaxHdrSize(device, flag));
    return size;
}

void TPrintField::SetMaxHdrSize(int value) {
    FMaxHeaderSize = value;
    for (TPrintItem* item : Items())
        if (auto* field = qobject_cast<TPrintField*>(item)) field->SetMaxHdrSize(value);
}

void TPrintField::GetAndSetMaxHeaderSize(const TRenderDevice& device) {
    TPrintItem* parent = GetParent();
    if (!parent) {
        SetMaxHdrSize(GetMaxHdrSize(device, 0));
        return;
    }
    QList<TPrintField*> fields;
    int size = 0;
    for (TPrintItem* item : parent->Items())
        if (auto* field = qobject_cast<TPrintField*>(item)) {
            fields << field;
            size = std::max(size, field->GetMaxHdrSize(device, 0));
        }
    for (TPrintField* field : fields) field->SetMaxHdrSize(size);
}

bool TPrintField::IsFirstInGroup() const {
    const TPrintItem* parent = GetParent();
    if (!parent) return true;
    for (TPrintItem* item : parent->Items())
        if (qobject_cast<TPrintField*>(item)) return item == this;
    return false;
}

void TPrintField::SetTop(int value) {
    TPrintItem::SetTop(value);
    TPrintItem* parent = GetParent();
    if (!parent || IsLoading() || parent->IsLoading()) return;
    for (TPrintItem* item : parent->Items())
        if (auto* field = qobject_cast<TPrintField*>(item); field && field != this) field->FRelPos.setY(value);
}

bool TPrintField::AcceptItem(TPrintItem*) const { return true; }

void TPrintField::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    QTreeWidgetItem* own =
        tree.AddChild(node, FCaption.isEmpty() ? QStringLiteral("Поле (без заголовка)") : FCaption, 4, this);
    TPrintItem::BuildTree(tree, own);
}

void TPrintField::Prepare(TRenderDevice& device) {
    SetTop(Top());
    SetStateFlag(psCanSetup, true);
    const TSketchDocument* doc = GetSketchDocument();
    if (doc && doc->IsDesigner()) {
        SetStateFlag(psSelectable, true);
    } else {
        if (Selected()) Select(false);
        SetStateFlag(psSelectable, false);
    }
    if (qobject_cast<TPrintField*>(GetParent())) SetTop(0);
    else if (IsFirstInGroup()) GetAndSetMaxHeaderSize(device);

    // The data height is kept apart from the header, so that a layout with
    // no usable range leaves the track as it was.
    if (FDataHeight < 0) FDataHeight = FHeight;
    if (doc && doc->Scale() > 0 && doc->Max() > doc->Min()) FDataHeight = CeilMM((doc->Max() - doc->Min()) / doc->Scale());
    const bool bottomHeader = doc && doc->ShowBottomHeader();
    FHeight = std::max(FDataHeight, 1) + FMaxHeaderSize * (bottomHeader ? 2 : 1);

    FBounds = GetBounds();
    FClientRect = FBounds.adjusted(0, FMaxHeaderSize, 0, bottomHeader ? -FMaxHeaderSize : 0);
    for (TPrintItem* child : Items()) child->Prepare(device);
}

double TPrintField::HeaderTop(const TRenderDevice& device) const {
    if (qobject_cast<TPrintField*>(GetParent())) return FClientRect.top() - GetMaxHdrSize(device, 1);
    return FBounds.top();
}

QPen TPrintField::BorderPen() const {
    QPen pen(Qt::black, 0);
    const TPrintDocument* doc = GetDocument();
    if (HasFlag(TFieldFlag::ffShowBorders)) pen.setStyle(Qt::SolidLine);
    else if (doc && doc->IsDesigner()) pen.setStyle(Qt::DashDotDotLine);
    else pen.setStyle(Qt::NoPen);
    return pen;
}

std::pair<double, double> TPrintField::PagePart(const TRenderDevice& device) const {
    const double top = std::max((device.PageNo() - 1) * device.PageHeight, double(FClientRect.top()));
    const double bottom = std::min(device.PageNo() * device.PageHeight, double(BottomOf(FClientRect)));
    return {top, bottom};
}

void TPrintField::Render(TRenderDevice& device) {
    if (!device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    const TSketchDocument* doc = GetSketchDocument();
    const TClipRgn outer = device.Clip(FBounds.left(), FBounds.top(), RightOf(FBounds), BottomOf(FBounds), false);
    canvas.save();
    if (HasFlag(TFieldFlag::ffShowGrid)) RenderGrid(device);
    if (HasFlag(TFieldFlag::ffShowGridMarks)) RenderValueMarks(device);
    const bool sub = qobject_cast<TPrintField*>(GetParent()) != nullptr;
    RenderHeader(device, QRect(QPoint(FBounds.left(), int(HeaderTop(device))),
                               QPoint(RightOf(FBounds), FClientRect.top())));
    const bool bottomHeader = doc && doc->ShowBottomHeader();
    const int bottomTop = BottomOf(FBounds) - (sub ? GetMaxHdrSize(device, 1) : FMaxHeaderSize);
    if (bottomHeader)
        RenderHeader(device, QRect(QPoint(FBounds.left(), bottomTop), QPoint(RightOf(FBounds), BottomOf(FBounds))));

    device.SetScaledFont(*FFont);
    if (!(doc && doc->GetLoading())) {
        // Sub-tracks draw their own headers above the data area.
        for (TPrintItem* child : Items())
            if (qobject_cast<TPrintField*>(child)) child->Render(device);
        const TClipRgn data = device.Clip(FBounds.left(), FClientRect.top(), RightOf(FBounds),
                                          bottomHeader ? bottomTop : BottomOf(FBounds), false);
        for (TPrintItem* child : Items())
            if (!qobject_cast<TPrintField*>(child)) child->Render(device);
        device.RestoreClipRgn(data);
    }
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(BorderPen());
    device.Rectangle(FClientRect.left(), FClientRect.top(), RightOf(FClientRect), BottomOf(FClientRect));
    canvas.restore();
    RenderSelection(device);
    device.RestoreClipRgn(outer);
}

void TPrintField::RenderGrid(TRenderDevice& device) {
    const TSketchDocument* doc = GetSketchDocument();
    const auto [top, bottom] = PagePart(device);
    if (!doc || top >= bottom) return;
    QPainter& canvas = *device.Canvas();
    canvas.setBrush(Qt::NoBrush);
    QPen pen = FPen->ToQPen();
    canvas.setPen(pen);
    const double left = FBounds.left(), right = RightOf(FBounds);
    const double step = doc->Step(), scale = doc->Scale();
    // Lines closer than a device pixel would only fill the track.
    if (step > 0 && scale > 0 && step / scale * device.YResScl() >= 1) {
        const double topValue = PrjVertMMToValue(top), bottomValue = PrjVertMMToValue(bottom);
        const double first = std::ceil(topValue / step);
        // At most a line per pixel row: the count also ends where the
        // multiples can no longer be told apart.
        const int count = LineCount(std::ceil(bottomValue / step) - first, (bottom - top) * device.YResScl() + 2);
        for (int n = 0; n < count; ++n) {
            const double k = first + n;
            if (k * step >= bottomValue) break;
            const double y = PrjVertValueToMM(k * step);
            device.MoveTo(FClientRect.left(), y);
            device.LineTo(RightOf(FClientRect), y);
        }
    }
    if (FDecades < 1) return;
    const double column = FWidth / double(FDecades);
    if (!HasFlag(TFieldFlag::ffLogarithmic)) {
        for (int k = 1; k < FDecades; ++k) {
            device.MoveTo(left + k * column, top);
            device.LineTo(left + k * column, bottom);
        }
        return;
    }
    QPen dotted = pen;
    dotted.setStyle(Qt::DotLine);
    double last = left;
    // Each decade ends on a line in the grid's own style; the cycle stops
    // with the decade whose boundary reaches the right edge.
    for (int decade = 0; decade <= FDecades && last < right - 1e-9; ++decade) {
        for (int k = 1; k <= 10; ++k) {
            last = left + (decade + std::log10(double(k))) * column;
            canvas.setPen(k < 10 ? dotted : pen);
            device.MoveTo(last, top);
            device.LineTo(last, bottom);
        }
    }
    canvas.setPen(pen);
}

void TPrintField::RenderValueMarks(TRenderDevice& device) {
    const TSketchDocument* doc = GetSketchDocument();
    if (!doc || doc->Step() <= 0 || doc->Scale() <= 0) return;
    const double step = doc->Step();
    if (step / doc->Scale() * device.YResScl() < 1) return;
    const auto [top, bottom] = PagePart(device);
    if (top >= bottom) return;
    QPainter& canvas = *device.Canvas();
    const TClipRgn old =
        device.Clip(FClientRect.left(), FClientRect.top(), RightOf(FClientRect), BottomOf(FClientRect), false);
    device.SetScaledFont(*FFont);
    canvas.setBrush(Qt::NoBrush);
    const int h = device.TextHeight(*FFont, QStringLiteral("0")) / 2;
    const QRect client = device.PrjRect(FClientRect);
    const double topValue = PrjVertMMToValue(top), bottomValue = PrjVertMMToValue(bottom);
    const bool time = doc->DataClass() == 0;
    const bool wholeDays = step == 1;
    TFont small;
    small.Assign(FFont);
    small.SetSize(int(Trunc(FFont->Size() / 1.5)));
    int lastDay = -1;
    const double first = std::ceil((topValue - step) / step);
    const int count = LineCount(std::ceil((bottomValue + step) / step) - first, (bottom - top) * device.YResScl() + 4);
    for (int n = 0; n < count; ++n) {
        const double k = first + n;
        if (k * step >= bottomValue + step) break;
        // Times are taken to the millisecond, so that midnight reads 00:00.
        const double value = time ? std::round(k * step * 86400000) / 86400000 : k * step;
        const QPoint anchor = device.Prj(FClientRect.left() + 1, PrjVertValueToMM(value));
        if (!client.contains(QPoint(anchor.x(), anchor.y() - h)) || !client.contains(QPoint(anchor.x(), anchor.y() + h)))
            continue;
        if (!time) {
            device.TextOutPx(QPoint(anchor.x(), anchor.y() - h), FormatFloat(QStringLiteral("0.##"), value));
            continue;
        }
        if (!wholeDays)
            device.TextOutPx(QPoint(anchor.x(), anchor.y() - h), FormatDateTime(QStringLiteral("hh:nn"), value));
        const int day = int(Trunc(value + 1.0 / 86400));
        if (day == lastDay) continue;
        lastDay = day;
        if (wholeDays) {
            device.TextOutPx(QPoint(anchor.x(), anchor.y() - h), DateToStr(value));
        } else {
            device.SetScaledFont(small);
            device.TextOutPx(QPoint(anchor.x(), anchor.y() + h), DateToStr(value));
            device.SetScaledFont(*FFont);
        }
    }
    device.RestoreClipRgn(old);
}

void TPrintField::RenderHeader(TRenderDevice& device, const QRect& rect) {
    QRect prj = device.PrjRect(rect);
    if (!prj.intersects(device.PageBounds)) return;
    QPainter& canvas = *device.Canvas();
    const QPen saved = canvas.pen();
    device.SetScaledFont(*FHeaderFont);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(Qt::black);
    const QColor color = ColorToQColor(FHeaderFont->Color());
    const int lineHeight = device.TextHeight(*FHeaderFont, FCaption);
    const QStringList lines =
        HasFlag(TFieldFlag::ffVertHeader) ? [this] {
            QStringList chars;
            for (const QChar c : FCaption) chars << QString(c);
            return chars;
        }() : QStringList{FCaption};
    int y = prj.top();
    canvas.save();
    canvas.setPen(color);
    for (const QString& line : lines) {
        if (line.isEmpty()) continue;
        canvas.drawText(QRect(prj.left(), y, prj.width(), lineHeight), int(Qt::AlignHCenter | Qt::AlignTop), line);
        y += lineHeight;
    }
    canvas.restore();
    prj.setTop(prj.top() + CaptionHeight(device));
    canvas.setPen(BorderPen());
    device.Rectangle(rect.left(), rect.top(), RightOf(rect), BottomOf(rect));
    canvas.setPen(QPen(Qt::black, 0));
    device.SetScaledFont(*FFont);
    for (TPrintSeries* series : Series()) series->ShowHeaderLine(device, prj);
    canvas.setPen(saved);
}

TPrintItem* TPrintField::GetHitItem(TPrintView* view, int x, TPrintEditActions& action, int y) {
    action = {};
    if (!view) return nullptr;
    const TScreenDevice& device = view->Device();
    const QRect header = device.GetAbsPrjRect(FBounds.left(), HeaderTop(device), RightOf(FBounds), FClientRect.top());
    if (qobject_cast<TPrintField*>(GetParent()) && y < header.top()) return nullptr;
    if (header.contains(x, y)) {
        int top = header.top() + CaptionHeight(device);
        for (TPrintSeries* series : Series()) {
            const int height = series->GetHeaderSize(device, 1);
            if (y >= top && y < top + height) {
                action = {saSetup};
                return series;
            }
            top += height;
        }
        return nullptr;
    }
    for (TPrintItem* child : Items()) {
        const TPrintEditActions childAction = child->GetUserAction(view, x, y, {});
        if (!childAction.Empty()) {
            action = childAction;
            return child;
        }
    }
    return this;
}

TPrintEditActions TPrintField::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) {
    const TPrintDocument* doc = GetDocument();
    if (!doc || doc->IsDesigner()) return {};
    TPrintEditActions action;
    TPrintItem* hit = GetHitItem(view, x, action, y);
    if (!hit) return {};
    if (hit != this || shift.testFlag(Qt::ControlModifier) || (view && view->InDoubleClick())) return action;
    return {saNone};
}

bool TPrintField::DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) {
    if (TPrintItem::DoUserAction(view, actions, x, y, shift)) {
        if (actions.Contains(saMark) || actions.Contains(saDelete)) {
            Invalidate();
            if (TPrintDocument* doc = GetDocument()) doc->Update();
        }
        return true;
    }
    return actions.Contains(saSetup) && DoSetupAction(view, x, y, shift);
}

bool TPrintField::DoSetupAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers) {
    TPrintEditActions action;
    TPrintItem* hit = GetHitItem(view, x, action, y);
    TPrintDocument* doc = GetDocument();
    if (!hit || !doc) return false;
    doc->SetupItem(hit);
    return true;
}

bool TPrintField::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

WK_REGISTER_CLASS(TPrintField)

}  // namespace Plotmere
