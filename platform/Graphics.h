#pragma once
// Colours, fonts, pens and brushes as stored in forms. A TColor keeps the old
// value ($00BBGGRR, or a system colour $FF0000nn) and becomes a QColor only
// when drawing. TFont, TPen and TBrush are persistent sub-objects: their
// published properties are written dotted ("Font.Style = [fsBold]").
#include "Components.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>

#pragma GCC visibility push(default)

namespace Colors {
Q_NAMESPACE
enum TColor : int {
    clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
    clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
    clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
    clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
    clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
    // System colours: $FF000000 + the index of the old system colour table.
    clScrollBar = int(0xFF000000), clBackground = int(0xFF000001), clActiveCaption = int(0xFF000002),
    clInactiveCaption = int(0xFF000003), clMenu = int(0xFF000004), clWindow = int(0xFF000005),
    clWindowFrame = int(0xFF000006), clMenuText = int(0xFF000007), clWindowText = int(0xFF000008),
    clCaptionText = int(0xFF000009), clActiveBorder = int(0xFF00000A), clInactiveBorder = int(0xFF00000B),
    clAppWorkSpace = int(0xFF00000C), clHighlight = int(0xFF00000D), clHighlightText = int(0xFF00000E),
    clBtnFace = int(0xFF00000F), clBtnShadow = int(0xFF000010), clGrayText = int(0xFF000011),
    clBtnText = int(0xFF000012), clInactiveCaptionText = int(0xFF000013), clBtnHighlight = int(0xFF000014),
    cl3DDkShadow = int(0xFF000015), cl3DLight = int(0xFF000016), clInfoText = int(0xFF000017),
    clInfoBk = int(0xFF000018), clHotLight = int(0xFF00001A), clGradientActiveCaption = int(0xFF00001B),
    clGradientInactiveCaption = int(0xFF00001C), clMenuHighlight = int(0xFF00001D), clMenuBar = int(0xFF00001E),
    clNone = 0x1FFFFFFF, clDefault = 0x20000000,
};
Q_ENUM_NS(TColor)

enum TFontCharset : int {
    ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136, OEM_CHARSET = 255,
    JOHAB_CHARSET = 130, HEBREW_CHARSET = 177, ARABIC_CHARSET = 178, GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163, THAI_CHARSET = 222, EASTEUROPE_CHARSET = 238,
    RUSSIAN_CHARSET = 204, MAC_CHARSET = 77, BALTIC_CHARSET = 186,
};
Q_ENUM_NS(TFontCharset)
}  // namespace Colors

using TColor = Colors::TColor;
using enum Colors::TColor;
using TFontCharset = Colors::TFontCharset;
using enum Colors::TFontCharset;

// The colour of a TColor value; system colours come from the application
// palette; clNone is transparent.
QColor ColorToQColor(TColor color);
// The identifier of a colour ("clRed") or an empty text.
QString ColorToIdent(int color);
// The colour of an identifier (case-insensitive; also clLtGray, clDkGray).
bool IdentToColor(const QString& ident, int& color);
TColor RGBToColor(int r, int g, int b);

class TFont : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(Colors::TFontCharset Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TFontPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(int Size READ Size WRITE SetSize STORED false)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)
public:
    enum TFontPitch { fpDefault, fpVariable, fpFixed };
    Q_ENUM(TFontPitch)
    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    explicit TFont(QObject* parent = nullptr) : TPersistent(parent) {}
    // Pixels per inch that Size and Height convert with.
    static constexpr int PixelsPerInch = 96;

    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    QString Name() const { return FName; }
    void SetName(const QString& v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);

    void Assign(const TPersistent* source) override;
    bool operator==(const TFont& o) const;
    QFont ToQFont() const;

private:
    TFontCharset FCharset = DEFAULT_CHARSET;
    TColor FColor = clWindowText;
    int FHeight = -11;
    QString FName = QStringLiteral("Tahoma");
    TFontPitch FPitch = fpDefault;
    TFontStyles FStyle;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TFont::TFontStyles)

class TPen : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TPenMode Mode READ Mode WRITE SetMode)
    Q_PROPERTY(TPenStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate };
    Q_ENUM(TPenStyle)
    enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
    Q_ENUM(TPenMode)

    explicit TPen(QObject* parent = nullptr) : TPersistent(parent) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    void Assign(const TPersistent* source) override;
    QPen ToQPen() const;

private:
    TColor FColor = clBlack;
    TPenMode FMode = pmCopy;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
};

class TBrush : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(Colors::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TBrushStyle Style READ Style WRITE SetStyle)
public:
    enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
    Q_ENUM(TBrushStyle)

    explicit TBrush(QObject* parent = nullptr) : TPersistent(parent) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    void Assign(const TPersistent* source) override;
    QBrush ToQBrush() const;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

#pragma GCC visibility pop
