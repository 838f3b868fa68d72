// Drawing of TSmoothDial: the background layer (face, outline, rim,
// sections, ticks and labels, scale arc, threshold band, read-out, caption,
// focus ring) scaled into the dial square, then the needles, the centre cap
// and the gloss at control scale.
#include "SmoothDial.h"

#include "Formatting.h"
#include "WKConsts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {
constexpr double Rad = std::numbers::pi / 180.0;

// GDI+ arcs run clockwise on screen for positive angles; Qt's the other way.
void AddArc(QPainterPath& path, const QRectF& r, double start, double sweep) {
    path.arcTo(r, -start, -sweep);
}

QPen FlatPen(const QColor& color, double width, Qt::PenStyle style = Qt::SolidLine) {
    return QPen(QBrush(color), width, style, Qt::FlatCap, Qt::MiterJoin);
}

QFont TextFont(const TFont& font, TTextRendering rendering) {
    QFont f = MakeFont(font);
    f.setHintingPreference(rendering == tAntiAlias ? QFont::PreferNoHinting : QFont::PreferFullHinting);
    return f;
}

// Seven-segment polygons on the 12 x 15 grid of a cell, and the symbols that
// light each (bit n for digit n, bit 10 for the minus sign).
struct TSegment {
    std::vector<QPointF> Points;
    unsigned Lit;
};

constexpr unsigned Bits(std::initializer_list<int> digits) {
    unsigned b = 0;
    for (int d : digits) b |= 1u << (d < 0 ? 10 : d);
    return b;
}

const TSegment Segments[] = {
    {{{2.8, 1}, {10, 1}, {8.8, 2}, {3.8, 2}}, Bits({0, 2, 3, 5, 6, 7, 8, 9})},
    {{{10, 1.4}, {9.3, 6.8}, {8.4, 6.4}, {9, 2.2}}, Bits({0, 1, 2, 3, 4, 7, 8, 9})},
    {{{9.2, 7.2}, {8.7, 12.7}, {7.6, 11.9}, {8.2, 7.7}}, Bits({0, 1, 3, 4, 5, 6, 7, 8, 9})},
    {{{7.4, 12.1}, {8.4, 13}, {1.3, 13}, {2.2, 12.1}}, Bits({0, 2, 3, 5, 6, 8, 9})},
    {{{2.2, 11.8}, {1, 12.7}, {1.7, 7.2}, {2.8, 7.7}}, Bits({0, 2, 6, 8})},
    {{{3, 6.4}, {1.8, 6.8}, {2.6, 1.3}, {3.6, 2.2}}, Bits({0, 4, 5, 6, 7, 8, 9})},
    {{{2, 7}, {3.1, 6.5}, {8.3, 6.5}, {9, 7}, {8.2, 7.5}, {2.9, 7.5}}, Bits({2, 3, 4, 5, 6, 8, 9, -1})},
};
}  // namespace

QImage TSmoothDial::Render() const {
    QImage image(std::max(Width(), 1), std::max(Height(), 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter g(&image);
    Paint(g);
    return image;
}

void TSmoothDial::Paint(QPainter& painter) const {
    painter.save();
    try {
        DrawFrame(painter);
    } catch (const std::exception& e) {
        // Painting never raises: what was drawn so far stays.
        DebugLog(QStringLiteral("TSmoothDial.Paint: %1").arg(ExceptionMessage(e)));
    }
    painter.restore();
}

void TSmoothDial::paintEvent(QPaintEvent*) {
    QPainter g(this);
    Paint(g);
}

void TSmoothDial::DrawFrame(QPainter& g) const {
    if (Width() <= 0 || Height() <= 0 || fwidth <= 0 || fheight <= 0) return;
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setRenderHint(QPainter::TextAntialiasing, true);
    if (FLayer.size() != QSize(Width(), Height())) {
        FLayer = QImage(Width(), Height(), QImage::Format_ARGB32_Premultiplied);
        FLayer.fill(Qt::transparent);
        QPainter layer(&FLayer);
        layer.setRenderHint(QPainter::Antialiasing, true);
        layer.setRenderHint(QPainter::TextAntialiasing, true);
        try {
            DrawBackground(layer);
        } catch (...) {
            // Drawn again at the next paint rather than kept half-done.
            layer.end();
            FLayer = QImage();
            throw;
        }
    }
    g.drawImage(0, 0, FLayer);
    DrawReadoutNumber(g);
    for (int i = 0; i < FExtraNeedles->Count(); ++i) {
        const TSmoothDialNeedleItem* n = FExtraNeedles->Items(i);
        DrawPointer(g, n->Value(), n->Color(), n->ShineColor(), n->ShineColorTo());
    }
    DrawPointer(g, fcurrentValue, FNeedle->Color(), FNeedle->ShineColor(), FNeedle->ShineColorTo());
    DrawCenter(g);
    if (!FMetroStyle) DrawGloss(g);
}

QPainterPath TSmoothDial::PiePath(const QRectF& r) const {
    QPainterPath path;
    const double sweep = FCircleEndValue - FCircleStartValue;
    if (sweep >= 360) {
        path.addEllipse(r);
        return path;
    }
    path.arcMoveTo(r, -double(FCircleStartValue));
    AddArc(path, r, FCircleStartValue, sweep);
    path.lineTo(fxp + fwidth / 2, fyp + fheight / 2);
    path.closeSubpath();
    return path;
}

void TSmoothDial::LayerTransform(QPainter& g) const {
    // The layer is laid out on W x H and shown in the dial square.
    g.translate(frectImg.x(), frectImg.y());
    g.scale(frectImg.width() / Width(), frectImg.height() / LayoutHeight());
}

void TSmoothDial::DrawBackground(QPainter& g) const {
    const double W = Width(), H = LayoutHeight();
    g.save();
    LayerTransform(g);

    const QPainterPath pie = PiePath(frectImg);
    if (FInnerCircle->Color() != clNone) g.fillPath(pie, MakeColor(FInnerCircle->Color(), FInnerCircle->Opacity()));
    if (FOuterCircle->Color() != clNone)
        g.strokePath(pie, FlatPen(MakeColor(FOuterCircle->Color(), FOuterCircle->Opacity()),
                                  fwidth * FOuterCircle->Width()));
    if (FOuterRim->Color() != clNone)
        g.strokePath(pie, FlatPen(MakeColor(FOuterRim->Color(), FOuterRim->Opacity()), FOuterRim->Width()));

    DrawSections(g, W, H);
    DrawTicks(g);

    const TSmoothDialThreshold* t = FArc->Threshold();
    if (FArc->Color() != clNone) {
        double start = ThresholdStartAngle(), sweep = ThresholdSweepAngle();
        if (t->ThresholdKind() == tkValue) {
            start = GetAngle(t->StartValue());
            sweep = GetAngle(t->EndValue()) - start;
        }
        QPainterPath arc;
        arc.arcMoveTo(Frg, -start);
        AddArc(arc, Frg, start, sweep);
        g.strokePath(arc, FlatPen(MakeColor(FArc->Color(), FArc->Opacity()), W / 40));
    }
    if (t->Color() != clNone) {
        QPainterPath band;
        band.arcMoveTo(Frg, -FSta);
        AddArc(band, Frg, FSta, FSwpa);
        g.strokePath(band, FlatPen(MakeColor(t->Color(), t->Opacity()), W / 50));
    }

    if (FDigit->Visible()) DrawReadout(g, W, H);

    if (FTabStop && FFocused) {
        const QPainterPath ring = PiePath(frectImg.adjusted(-3, -3, 3, 3));
        g.strokePath(ring, FlatPen(Qt::black, 1, Qt::DotLine));
    }
    g.restore();
}

void TSmoothDial::DrawSections(QPainter& g, double W, double H) const {
    for (int i = 0; i < FSections->Count(); ++i) {
        const TSmoothDialSection* sec = FSections->Items(i);
        if (sec->Color() == clNone) continue;
        double r = sec->InnerMargin(), m = sec->OuterMargin();
        if (sec->SectionType() == stBorder) {
            // The band of the division ticks, whatever the margins say.
            const double R = TickRadius();
            const double cy = double(Round(fheight / 2)) + fyp;
            m = cy - R;
            r = H / 2 - cy + R - W / 20;
        }
        const double a = GetAngle(sec->StartValue());
        const double s = GetAngle(sec->EndValue()) - a;
        const QRectF outer(m, m, W - 2 * m, H - 2 * m);
        QPainterPath path;
        if (r > 0) {
            const QRectF inner(W / 2 - r, H / 2 - r, 2 * r, 2 * r);
            path.arcMoveTo(outer, -(a + s));
            AddArc(path, outer, a + s, -s);
            AddArc(path, inner, a, s);
        } else {
            path.moveTo(outer.center());
            AddArc(path, outer, a, s);
        }
        path.closeSubpath();
        g.fillPath(path, MakeColor(sec->Color(), sec->Opacity()));
    }
}

QString TSmoothDial::LabelText(double rv) const {
    const double value = ToExternal(rv);
    QString text = FloatToStr(value);
    FOnGetValueText.Invoke(static_cast<QObject*>(const_cast<TSmoothDial*>(this)), value, &text);
    return text;
}

void TSmoothDial::DrawTicks(QPainter& g) const {
    const QPen division = FlatPen(MakeColor(FDivisionColor), FDivisionWidth);
    const QPen subDivision = FlatPen(MakeColor(FSubDivisionColor), FSubDivisionWidth);
    const QFont font = TextFont(*FValueFont, FTextRendering);
    const QFontMetricsF metrics(font, g.device());
    g.setFont(font);
    for (const TCalibrationValue& c : FCalibrationValues) {
        if (c.ValueType == cvNone) break;
        if (c.ValueType == cvSmall) {
            if (FSubDivisionColor == clNone) continue;
            g.setPen(subDivision);
            g.drawLine(QPointF(c.x, c.y), QPointF(c.x1, c.y1));
            continue;
        }
        if (FDivisionColor != clNone) {
            g.setPen(division);
            g.drawLine(QPointF(c.x, c.y), QPointF(c.x1, c.y1));
        }
        if (FShowValues && FValueFont->Color() != clNone) {
            const QString text = LabelText(c.rv);
            g.setPen(MakeColor(FValueFont->Color()));
            g.drawText(QPointF(LabelRect(c, metrics, text).left(), c.ty + metrics.ascent()), text);
        }
    }
}

// Centred on the anchor horizontally, its top at the anchor.
QRectF TSmoothDial::LabelRect(const TCalibrationValue& c, const QFontMetricsF& metrics, const QString& text) const {
    const double width = metrics.horizontalAdvance(text);
    return QRectF(c.tx - width / 2, c.ty, width, metrics.height());
}

std::pair<QFont, QString> TSmoothDial::FittedCaption(QPaintDevice* device, double W, double H, QRectF& where) const {
    const QFontMetricsF labelMetrics(TextFont(*FValueFont, FTextRendering), device);
    std::vector<QRectF> labels;
    if (FShowValues && FValueFont->Color() != clNone)
        for (const TCalibrationValue& c : FCalibrationValues) {
            if (c.ValueType == cvNone) break;
            if (c.ValueType != cvSmall) labels.push_back(LabelRect(c, labelMetrics, LabelText(c.rv)));
        }
    QFont font = TextFont(*Font(), FTextRendering);
    QString text = FDialText;
    auto place = [&] {
        const QFontMetricsF m(font, device);
        const double width = m.horizontalAdvance(text);
        where = QRectF(W / 2 - width / 2, H / 1.5, width, m.height());
    };
    auto clear = [&] {
        return std::none_of(labels.begin(), labels.end(), [&](const QRectF& r) { return r.intersects(where); });
    };
    // Down to a size still read at a glance, then cut at the labels.
    constexpr double SmallestPixels = 11;
    place();
    while (!clear() && QFontMetricsF(font, device).height() > SmallestPixels) {
        const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
        font.setPixelSize(std::max(1, pixels - 1));
        place();
    }
    if (!clear()) {
        double half = W / 2;
        for (const QRectF& r : labels)
            if (r.bottom() > where.top() && r.top() < where.bottom())
                half = std::min(half, r.right() < W / 2 ? W / 2 - r.right() : r.left() - W / 2);
        text = QFontMetricsF(font, device).elidedText(FDialText, Qt::ElideRight, std::max(0.0, 2 * half - 2));
        place();
    }
    return {font, text};
}

void TSmoothDial::DrawReadout(QPainter& g, double W, double H) const {
    if (FDigit->BackGroundColor() != clNone) {
        const QRectF back(W / 2 - W / 5, H / 1.23, W / 2.5, H / 9);
        g.fillRect(back, MakeColor(FDigit->BackGroundColor(), FDigit->BackGroundOpacity()));
    }
    if (!FDialText.isEmpty() && Font()->Color() != clNone) {
        QRectF r;
        const auto [font, text] = FittedCaption(g.device(), W, H, r);
        g.setFont(font);
        g.setPen(MakeColor(Font()->Color()));
        g.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
    }
}

void TSmoothDial::DrawReadoutNumber(QPainter& g) const {
    if (!FDigit->Visible() || FDigit->BackGroundColor() == clNone) return;
    const double W = Width(), H = LayoutHeight();
    g.save();
    LayerTransform(g);
    if (FNoValue) {
        DisplayDigits(g, QStringLiteral("---"), W / 2 - W / 5, H / 1.21, W / 2.5, H / 12, W);
    } else {
        const double shown = FUnlimitedDisplayValue && !FUnlimitedValue ? DisplayValue() : Value();
        DisplayNumber(g, shown, W / 2 - W / 5, H / 1.21, W / 2.5, H / 12, W);
    }
    g.restore();
}

void TSmoothDial::DisplayNumber(QPainter& g, double value, double x, double y, double w, double h, double W) const {
    FOnDisplayValue.Invoke(static_cast<QObject*>(const_cast<TSmoothDial*>(this)), &value);
    DisplayDigits(g, FormatFloat(FValueFormat, value), x, y, w, h, W);
}

void TSmoothDial::DisplayDigits(QPainter& g, const QString& text, double x, double y, double w, double h, double W) const {
    const double cell = W / 250 * 15;
    const double gap = fwidth / 250 * 2;
    const QChar separator('.');
    double width = 0;
    for (QChar ch : text) {
        if (ch.isDigit() || ch == '-') width += cell;
        else if (ch == ',' || ch == '.') width += gap;
    }
    double offset = 0;
    switch (FDigit->Alignment()) {
    case taLeftJustify: offset = 0; break;
    case taRightJustify: offset = w - width; break;
    case taCenter: offset = (w - width) / 2; break;
    }
    const int cellHeight = int(Round(h));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isDigit() || ch == '-') {
            const bool dot = i + 1 < text.size() - 1 && text[i + 1] == separator;
            DrawDigit(g, ch == '-' ? -1 : ch.digitValue(), x + offset, y, cellHeight, dot);
            offset += cell;
        } else if (ch == ',' || ch == '.') {
            offset += gap;
        }
    }
}

void TSmoothDial::DrawDigit(QPainter& g, int symbol, double x, double y, int h, bool dot) const {
    if (FDigit->Color() == clNone) return;
    const double c = h / 13.0 * 10;
    auto at = [&](QPointF p) { return QPointF(x + c * p.x() / 12, y + h * p.y() / 15); };
    const unsigned bit = 1u << (symbol < 0 ? 10 : symbol);
    const QColor unlit = MakeColor(FInnerCircle->Color(), 40);
    const QColor lit = MakeColor(FDigit->Color());
    for (const TSegment& seg : Segments) {
        QPolygonF poly;
        for (const QPointF& p : seg.Points) poly << at(p);
        QPainterPath path;
        path.addPolygon(poly);
        path.closeSubpath();
        if (FInnerCircle->Color() != clNone) g.fillPath(path, unlit);
        if (seg.Lit & bit) g.fillPath(path, lit);
    }
    if (dot) {
        QPainterPath point;
        point.addEllipse(QRectF(at({10, 12}), QSizeF(c / 7, c / 7)));
        g.fillPath(point, lit);
    }
}

void TSmoothDial::DrawPointer(QPainter& g, double v, TColor color, TColor shine, TColor shineTo) const {
    const double W = Width();
    const QPointF centre(fwidth / 2 + fxp, fheight / 2 + fyp);
    const double L = W / 2 - 0.12 * W;
    const double t = GetAngle(v) * Rad;
    auto polar = [&](double radius, double angle) {
        return centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    };
    const QPointF tip = polar(L, t);
    const QPointF left = polar(0.09 * W, t + 20 * Rad);
    const QPointF right = polar(0.09 * W, t - 20 * Rad);
    if (color != clNone) {
        QPainterPath body;
        body.addPolygon(QPolygonF({tip, left, centre, right, polar(L, t - 0.02)}));
        body.closeSubpath();
        g.fillPath(body, MakeColor(color));
    }
    if (shine != clNone && shineTo != clNone) {
        QPainterPath half;
        half.addPolygon(QPolygonF({tip, left, centre}));
        half.closeSubpath();
        QLinearGradient grad(tip, centre);
        grad.setColorAt(0, MakeColor(shine));
        grad.setColorAt(1, MakeColor(shineTo));
        g.fillPath(half, grad);
    }
}

void TSmoothDial::DrawCenter(QPainter& g) const {
    const double cx = double(Round(fwidth / 2)) + fxp;
    const double cy = double(Round(fheight / 2)) + fyp;
    const TSmoothDialNeedle* n = FNeedle;
    if (n->OuterCenterColor() != clNone && n->OuterCenterColorTo() != clNone) {
        const double d = fwidth / 5;
        const QRectF box(cx - d / 2, cy - d / 2, d, d);
        const QRectF span(box.x() - 1, box.y() - 2, box.width() + 2, box.height() + 2);
        QLinearGradient grad(span.topLeft(), span.bottomLeft());
        grad.setColorAt(0, MakeColor(n->OuterCenterColor(), n->OuterCenterOpacity()));
        grad.setColorAt(1, MakeColor(n->OuterCenterColorTo(), n->OuterCenterOpacity()));
        QPainterPath cap;
        cap.addEllipse(box);
        g.fillPath(cap, grad);
    }
    if (n->InnerCenterColor() != clNone && n->InnerCenterColorTo() != clNone) {
        const double d = fwidth / 7;
        const QRectF box(cx - d / 2, cy - d / 2, d, d);
        const QRectF span = box.adjusted(-1, -1, 1, 1);
        QLinearGradient grad(span.topLeft(), span.bottomRight());
        grad.setColorAt(0, MakeColor(n->InnerCenterColor(), n->InnerCenterOpacity()));
        grad.setColorAt(1, MakeColor(n->InnerCenterColorTo(), n->InnerCenterOpacity()));
        QPainterPath cap;
        cap.addEllipse(box);
        g.fillPath(cap, grad);
    }
}

void TSmoothDial::DrawGloss(QPainter& g) const {
    const TSmoothDialGloss* gloss = FInnerCircle->Gloss();
    if (gloss->Color() == clNone) return;
    const QColor solid = MakeColor(gloss->Color(), gloss->Opacity());
    const QColor clear = MakeColor(gloss->Color(), 0);
    auto fill = [&](const QRectF& box, const QColor& top, const QColor& bottom) {
        const QRectF span = box.adjusted(-1, -1, 1, 1);
        QLinearGradient grad(span.topLeft(), span.bottomLeft());
        grad.setColorAt(0, top);
        grad.setColorAt(1, bottom);
        QPainterPath path;
        path.addEllipse(box);
        g.fillPath(path, grad);
    };
    fill(QRectF(fxp + 0.1 * fwidth, fyp + 0.07 * fheight, 0.8 * fwidth, 0.7 * fheight), solid, clear);
    fill(QRectF(fxp + 0.25 * fwidth, fyp + 0.77 * fheight, 0.5 * fwidth, 0.2 * fheight), clear, solid);
}
