#include "StyleIF.h"

#include "Formatting.h"
#include "RegIniFile.h"

#include <QMetaEnum>
#include <algorithm>
#include <cmath>

namespace {
bool GWin7 = false;
bool GWin8 = false;
bool GWin10 = false;
bool GGlass = false;

struct THSV {
    double H;  // degrees; -1 when the colour has no hue
    double S;  // 0..1
    double V;  // 0..255
};

THSV RGBToHSV(int r, int g, int b) {
    const double mx = std::max({r, g, b});
    const double mn = std::min({r, g, b});
    const double delta = mx - mn;
    THSV hsv{-1, mx > 0 ? delta / mx : 0, mx};
    if (hsv.S == 0) return hsv;
    if (r == mx)
        hsv.H = (g - b) / delta;
    else if (g == mx)
        hsv.H = 2 + (b - r) / delta;
    else
        hsv.H = 4 + (r - g) / delta;
    hsv.H *= 60;
    if (hsv.H < 0) hsv.H += 360;
    return hsv;
}

QColor HSVToRGB(const THSV& hsv) {
    if (hsv.S == 0) {
        if (hsv.H >= 0) throw EConvertError(QStringLiteral("HSVtoRGB: S = 0 and H has a value"));
        const int v = int(Round(hsv.V));
        return QColor(v, v, v);
    }
    const double h = (hsv.H >= 360 ? 0 : hsv.H) / 60;
    const int sector = int(std::floor(h));
    const double f = h - sector;
    const double p = hsv.V * (1 - hsv.S);
    const double q = hsv.V * (1 - hsv.S * f);
    const double t = hsv.V * (1 - hsv.S * (1 - f));
    double r = 0, g = 0, b = 0;
    switch (sector) {
    case 0: r = hsv.V; g = t; b = p; break;
    case 1: r = q; g = hsv.V; b = p; break;
    case 2: r = p; g = hsv.V; b = t; break;
    case 3: r = p; g = q; b = hsv.V; break;
    case 4: r = t; g = p; b = hsv.V; break;
    default: r = hsv.V; g = p; b = q; break;
    }
    auto channel = [](double c) { return int(std::clamp<int64_t>(Round(c), 0, 255)); };
    return QColor(channel(r), channel(g), channel(b));
}

TColor FromQColor(const QColor& c) { return RGBToColor(c.red(), c.green(), c.blue()); }

// The office registry key of a version ("16.0") as a settings file whose
// sections are the key's subkeys.
TRegIniFile OfficeKey(const QString& version) {
    return TRegIniFile(QStringLiteral("Software\\Microsoft\\Office\\") + version);
}
}  // namespace

QString KVLStyleName(TKVLStyle style) {
    return QString::fromLatin1(QMetaEnum::fromType<TKVLStyle>().valueToKey(style));
}

QString GetMetroFont() { return IsVista() ? QStringLiteral("Segoe UI") : QStringLiteral("Tahoma"); }

void SetWin7(bool on) { GWin7 = on; }
bool IsWin7() { return GWin7; }
void SetWin8(bool on) { GWin8 = on; }
bool IsWin8() { return GWin8; }
void SetWin10(bool on) { GWin10 = on; }
bool IsWin10() { return GWin10; }
void SetGlass(bool on) { GGlass = on; }
bool IsGlass() { return GGlass; }

bool IsThemedApp() { return true; }
bool IsWinXP() { return true; }
bool IsVista() { return true; }

TColor ChangeColor(TColor color, int percent) {
    const QColor c = ColorToQColor(color);
    auto channel = [percent](int v) { return int(std::min<int64_t>(Round(v * (100.0 - percent) / 100.0), 255)); };
    return RGBToColor(channel(c.red()), channel(c.green()), channel(c.blue()));
}

TColor ChangeBrightness(TColor color, int percent) {
    const QColor c = ColorToQColor(color);
    THSV hsv = RGBToHSV(c.red(), c.green(), c.blue());
    if (hsv.V >= 255)
        hsv.S = std::min(1.0, hsv.S + hsv.S * percent / 100.0);
    else
        hsv.V = std::min(255.0, hsv.V + hsv.V * percent / 100.0);
    return FromQColor(HSVToRGB(hsv));
}

quint32 ColorToARGB(TColor color) {
    const QColor c = ColorToQColor(color);
    return 0xFF000000u | (quint32(c.red()) << 16) | (quint32(c.green()) << 8) | quint32(c.blue());
}

QColor MakeColor(TColor color, int opacity) {
    if (color == clNone) return QColor(Qt::transparent);
    QColor c = ColorToQColor(color);
    c.setAlpha(std::clamp(opacity, 0, 255));
    return c;
}

TColorTones CreateMetroTones(TMetroStyle style, TColor tone) {
    TColorTones t;
    const bool light = style == msLight;
    t.Background = {light ? clWhite : clBlack, tone, light ? clBlack : clWhite};
    t.Foreground = {TColor(0xC0C0C0), TColor(0xC0C0C0), clBlack};
    t.Selected = {tone, tone, clWhite};
    const TColor hover = ChangeColor(tone, 20);
    t.Hover = {hover, hover, clWhite};
    t.Disabled = {TColor(0xC0C0C0), TColor(0x808080), clBlack};
    return t;
}

TColorTones DefaultMetroTones() {
    TColorTones t;
    t.Background = {clWindow, clHighlight, clWindowText};
    t.Foreground = {clWindow, clHighlight, clWindowText};
    t.Selected = {clHighlight, clHighlight, clHighlightText};
    t.Hover = {clSilver, clGray, clWindowText};
    t.Disabled = {TColor(0xC0C0C0), TColor(0x808080), clGrayText};
    return t;
}

void ClearTones(TColorTones& tones) {
    for (TColorTone* tone : {&tones.Background, &tones.Foreground, &tones.Selected, &tones.Hover, &tones.Disabled})
        *tone = TColorTone{};
}

bool IsClearTones(const TColorTones& tones) {
    return tones.Background.BrushColor == clNone && tones.Background.BorderColor == clNone &&
           tones.Background.TextColor == clNone;
}

TOfficeVersion GetOfficeVersion() {
    const struct {
        const char* Key;
        TOfficeVersion Version;
    } versions[] = {{"16.0", ov2016}, {"15.0", ov2013}, {"14.0", ov2010}, {"12.0", ov2007}};
    for (const auto& v : versions)
        if (TRegIniFile(QStringLiteral("Software\\Microsoft\\Office\\%1\\Common").arg(QLatin1String(v.Key)))
                .SectionExists(QStringLiteral("General")))
            return v.Version;
    return ov2003;
}

TOfficeTheme GetOfficeTheme() {
    const QString common = QStringLiteral("Common");
    auto value = [&](const char* version, const char* name, int& out) {
        const TRegIniFile key = OfficeKey(QLatin1String(version));
        if (!key.ValueExists(common, QLatin1String(name))) return false;
        out = key.ReadInteger(common, QLatin1String(name), -1);
        return true;
    };
    // A value that is found but names no known theme ends the search.
    int v = 0;
    if (value("16.0", "UI Theme", v)) {
        if (v == 0 || v == 3) return ot2016White;
        if (v == 5) return ot2016Gray;
        if (v == 2) return ot2016Black;
        return ot2003Blue;
    }
    if (value("15.0", "UI Theme", v)) return v >= 0 && v <= 2 ? TOfficeTheme(ot2013White + v) : ot2003Blue;
    if (value("14.0", "Theme", v)) return v >= 1 && v <= 3 ? TOfficeTheme(ot2010Blue + v - 1) : ot2003Blue;
    if (value("12.0", "Theme", v)) return v >= 1 && v <= 3 ? TOfficeTheme(ot2007Blue + v - 1) : ot2003Blue;
    // The desktop has no visual-style colour scheme here: the look of a
    // desktop without themes.
    return ot2003Classic;
}
