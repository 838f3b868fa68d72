#include "Graphics.h"

#include <QGuiApplication>
#include <QMetaEnum>
#include <QPalette>
#include <cmath>

namespace {
QColor SystemColor(int index) {
    const QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    switch (index) {
        case 1: case 12: return pal.color(QPalette::Dark);
        case 2: case 13: case 27: case 29: return pal.color(QPalette::Highlight);
        case 9: case 14: return pal.color(QPalette::HighlightedText);
        case 5: return pal.color(QPalette::Base);
        case 6: case 21: return pal.color(QPalette::Shadow);
        case 7: case 8: case 18: return pal.color(QPalette::Text);
        case 16: return pal.color(QPalette::Mid);
        case 17: case 19: return pal.color(QPalette::Disabled, QPalette::Text);
        case 20: return pal.color(QPalette::Light);
        case 22: return pal.color(QPalette::Midlight);
        case 23: return pal.color(QPalette::ToolTipText);
        case 24: return pal.color(QPalette::ToolTipBase);
        case 26: return pal.color(QPalette::Link);
        default: return pal.color(QPalette::Button);  // faces, menus, borders
    }
}
}  // namespace

QColor ColorToQColor(TColor color) {
    const quint32 v = quint32(color);
    if (color == clNone) return Qt::transparent;
    if (color == clDefault) return SystemColor(15);
    if ((v & 0xFF000000u) == 0xFF000000u) return SystemColor(int(v & 0xFF));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor RGBToColor(int r, int g, int b) { return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16)); }

QString ColorToIdent(int color) {
    const QMetaEnum e = QMetaEnum::fromType<TColor>();
    const char* key = e.valueToKey(color);
    return key ? QString::fromLatin1(key) : QString();
}

bool IdentToColor(const QString& ident, int& color) {
    const QMetaEnum e = QMetaEnum::fromType<TColor>();
    for (int i = 0; i < e.keyCount(); ++i)
        if (ident.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0) {
            color = e.value(i);
            return true;
        }
    if (ident.compare(QLatin1String("clLtGray"), Qt::CaseInsensitive) == 0) return color = clSilver, true;
    if (ident.compare(QLatin1String("clDkGray"), Qt::CaseInsensitive) == 0) return color = clGray, true;
    return false;
}

// --- TFont -------------------------------------------------------------------

#define WK_SETTER(Class, Name, Type, Field) \
    void Class::Set##Name(Type v) {         \
        if (Field == v) return;             \
        Field = v;                          \
        emit Changed();                     \
    }

WK_SETTER(TFont, Charset, TFontCharset, FCharset)
WK_SETTER(TFont, Color, TColor, FColor)
WK_SETTER(TFont, Height, int, FHeight)
WK_SETTER(TFont, Pitch, TFontPitch, FPitch)
WK_SETTER(TFont, Style, TFontStyles, FStyle)
WK_SETTER(TPen, Color, TColor, FColor)
WK_SETTER(TPen, Mode, TPenMode, FMode)
WK_SETTER(TPen, Style, TPenStyle, FStyle)
WK_SETTER(TPen, Width, int, FWidth)
WK_SETTER(TBrush, Color, TColor, FColor)
WK_SETTER(TBrush, Style, TBrushStyle, FStyle)
#undef WK_SETTER

void TFont::SetName(const QString& v) {
    if (FName == v) return;
    FName = v;
    emit Changed();
}

int TFont::Size() const { return int(std::lround(-FHeight * 72.0 / PixelsPerInch)); }

void TFont::SetSize(int points) { SetHeight(-int(std::lround(points * double(PixelsPerInch) / 72.0))); }

void TFont::Assign(const TPersistent* source) {
    auto* f = qobject_cast<const TFont*>(source);
    if (!f) return TPersistent::Assign(source);
    if (*this == *f) return;
    FCharset = f->FCharset;
    FColor = f->FColor;
    FHeight = f->FHeight;
    FName = f->FName;
    FPitch = f->FPitch;
    FStyle = f->FStyle;
    emit Changed();
}

bool TFont::operator==(const TFont& o) const {
    return FCharset == o.FCharset && FColor == o.FColor && FHeight == o.FHeight && FName == o.FName &&
           FPitch == o.FPitch && FStyle == o.FStyle;
}

QFont TFont::ToQFont() const {
    QFont f(FName);
    // A negative height is the character height in pixels, a positive one the cell height.
    f.setPixelSize(std::max(1, FHeight < 0 ? -FHeight : FHeight * 4 / 5));
    f.setBold(FStyle.testFlag(fsBold));
    f.setItalic(FStyle.testFlag(fsItalic));
    f.setUnderline(FStyle.testFlag(fsUnderline));
    f.setStrikeOut(FStyle.testFlag(fsStrikeOut));
    if (FPitch == fpFixed) f.setFixedPitch(true);
    return f;
}

// --- TPen, TBrush ----------------------------------------------------------------

void TPen::Assign(const TPersistent* source) {
    auto* p = qobject_cast<const TPen*>(source);
    if (!p) return TPersistent::Assign(source);
    if (FColor == p->FColor && FMode == p->FMode && FStyle == p->FStyle && FWidth == p->FWidth) return;
    FColor = p->FColor;
    FMode = p->FMode;
    FStyle = p->FStyle;
    FWidth = p->FWidth;
    emit Changed();
}

QPen TPen::ToQPen() const {
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine,
                                          Qt::NoPen, Qt::SolidLine, Qt::CustomDashLine, Qt::DotLine};
    QPen pen(ColorToQColor(FColor));
    pen.setWidth(FWidth);
    pen.setStyle(styles[FStyle]);
    return pen;
}

void TBrush::Assign(const TPersistent* source) {
    auto* b = qobject_cast<const TBrush*>(source);
    if (!b) return TPersistent::Assign(source);
    if (FColor == b->FColor && FStyle == b->FStyle) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    emit Changed();
}

QBrush TBrush::ToQBrush() const {
    static const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush, Qt::HorPattern, Qt::VerPattern,
                                            Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(ColorToQColor(FColor), styles[FStyle]);
}
