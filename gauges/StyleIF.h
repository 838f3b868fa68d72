#pragma once
// Colour styles of the gauge controls: the style enumeration and the
// interfaces through which a control is recoloured, tone records, colour
// arithmetic and the look-up of the desktop and office themes.
//
// The old system also had a registry-change monitor thread, a theme-change
// notifier window and its handle list; Linux has no such registry
// notification and nothing here calls them, so they have no counterpart.
#include "Graphics.h"

#include <QObject>
#include <QString>
#include <QtPlugin>

namespace KVLStyles {
Q_NAMESPACE
// Stored as the ordinal: the order is fixed.
enum TKVLStyle : int {
    tsOffice2003Blue, tsOffice2003Silver, tsOffice2003Olive, tsOffice2003Classic, tsOffice2007Luna,
    tsOffice2007Obsidian, tsWindowsXP, tsWhidbey, tsCustom, tsOffice2007Silver, tsWindowsVista, tsWindows7,
    tsTerminal, tsOffice2010Blue, tsOffice2010Silver, tsOffice2010Black, tsWindows8, tsOffice2013White,
    tsOffice2013LightGray, tsOffice2013Gray, tsWindows10, tsOffice2016White, tsOffice2016Gray,
    tsOffice2016Black,
};
Q_ENUM_NS(TKVLStyle)

enum TOfficeVersion { ov2003, ov2007, ov2010, ov2013, ov2016 };
Q_ENUM_NS(TOfficeVersion)
enum TOfficeTheme {
    ot2003Blue, ot2003Silver, ot2003Olive, ot2003Classic, ot2007Blue, ot2007Silver, ot2007Black, ot2010Blue,
    ot2010Silver, ot2010Black, ot2013White, ot2013Silver, ot2013Gray, ot2016White, ot2016Gray, ot2016Black,
    otUnknown,
};
Q_ENUM_NS(TOfficeTheme)
enum TMetroStyle { msLight, msDark };
Q_ENUM_NS(TMetroStyle)
enum XPColorScheme { xpNone, xpBlue, xpGreen, xpGray };
Q_ENUM_NS(XPColorScheme)
}  // namespace KVLStyles

using KVLStyles::TKVLStyle;
using enum KVLStyles::TKVLStyle;
using KVLStyles::TOfficeVersion;
using enum KVLStyles::TOfficeVersion;
using KVLStyles::TOfficeTheme;
using enum KVLStyles::TOfficeTheme;
using KVLStyles::TMetroStyle;
using enum KVLStyles::TMetroStyle;
using KVLStyles::XPColorScheme;
using enum KVLStyles::XPColorScheme;

inline constexpr int KVLStyleCount = int(tsOffice2016Black) + 1;
// The identifier of a style ("tsOffice2013White").
QString KVLStyleName(TKVLStyle style);

struct TColorTone {
    TColor BrushColor = clNone;
    TColor BorderColor = clNone;
    TColor TextColor = clNone;
};

struct TColorTones {
    TColorTone Background;
    TColorTone Foreground;
    TColorTone Selected;
    TColorTone Hover;
    TColorTone Disabled;
};

// A control that takes the colours of a style.
class IKVLStyle {
public:
    virtual ~IKVLStyle() = default;
    virtual void SetComponentStyle(TKVLStyle style) = 0;
};

// A control that takes the colours of a tone record.
class IKVLTones {
public:
    virtual ~IKVLTones() = default;
    virtual void SetColorTones(const TColorTones& tones) = 0;
};

// Declared for controls that follow the metro look or take extended styles;
// no control implements them.
class IKVLMetro {
public:
    virtual ~IKVLMetro() = default;
};

class IKVLStyleEx : public IKVLStyle {};

#define IKVLStyle_iid "{11AC2DDC-C087-4298-AB6E-EA1B5017511B}"
#define IKVLTones_iid "{1F492643-6699-4F25-8B34-3233FA735036}"
Q_DECLARE_INTERFACE(IKVLStyle, IKVLStyle_iid)
Q_DECLARE_INTERFACE(IKVLTones, IKVLTones_iid)

// The font family of the metro look.
QString GetMetroFont();

// Process-wide switches of the desktop look.
void SetWin7(bool on);
bool IsWin7();
void SetWin8(bool on);
bool IsWin8();
void SetWin10(bool on);
bool IsWin10();
void SetGlass(bool on);
bool IsGlass();

// The desktop counts as themed and as newer than XP and Vista: the fonts and
// looks that depended on those versions apply.
bool IsThemedApp();
bool IsWinXP();
bool IsVista();

// Each RGB channel (system colours resolved) times (100 - percent) / 100,
// rounded and capped at 255.
TColor ChangeColor(TColor color, int percent);
// The HSV value grows by percent of itself (capped at 255); a colour already
// at full value gains saturation instead. Raises EConvertError for a
// colour without saturation that still has a hue.
TColor ChangeBrightness(TColor color, int percent);
// The colour resolved to RGB as an opaque 0xAARRGGBB value.
quint32 ColorToARGB(TColor color);
// A TColor with an opacity (alpha byte) as a QColor; clNone gives transparent.
QColor MakeColor(TColor color, int opacity = 255);

TColorTones CreateMetroTones(TMetroStyle style, TColor tone);
TColorTones DefaultMetroTones();
void ClearTones(TColorTones& tones);
bool IsClearTones(const TColorTones& tones);

// The office version and theme found in the settings files that stand for
// the office registry keys (Software\Microsoft\Office\<version>\Common).
TOfficeVersion GetOfficeVersion();
TOfficeTheme GetOfficeTheme();
