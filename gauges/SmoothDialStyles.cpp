// The colour styles and tones of TSmoothDial.
#include "SmoothDial.h"

namespace {
// A cell the style leaves as it is.
constexpr int Keep = -1;

struct TDialStyleRow {
    int Arc, Face, Outline, Threshold, ReadoutBack, ReadoutDigits, Division, SubDivision, Needle, InnerFrom, InnerTo,
        OuterCenter, Shine, LabelFont;
};

constexpr int BtnFace = int(clBtnFace);
constexpr int Highlight = int(clHighlight);
constexpr int None = int(clNone);

// One row per style, in the order of TKVLStyle.
constexpr TDialStyleRow StyleRows[KVLStyleCount] = {
    // Arc, face, outline, threshold, read-out back, digits, division, sub-division, needle,
    // inner centre from, to, outer centre, shine, label font
    {0xD68759, 0xD68759, 0xFFD2AF, 0xFFD2AF, 0xD68759, 0x962D00, 0x962D00, 0x962D00, 0x962D00, 0xFFD2AF, Keep, 0x933803, 0xD68759, 0x962D00},
    {0xBDA4A5, 0xBDA4A5, 0xE6D8D8, 0xE6D8D8, 0xBDA4A5, 0x947C7C, 0x947C7C, 0x947C7C, 0x947C7C, 0xE6D8D8, 0xE6D8D8, 0x957475, 0xBDA4A5, 0x947C7C},
    {0x82C0AF, 0x82C0AF, 0xCFF0EA, 0xCFF0EA, 0x82C0AF, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63},
    {0x808080, 0x808080, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0x808080},
    {0xFFEFE3, 0xFFD2AF, 0xFFD2AF, 0xFFD2AF, 0xFFEFE3, 0x962D00, 0x962D00, 0x962D00, 0xFFD2AF, 0xFFD2AF, 0xFFD2AF, 0xFFD1AD, 0xFFEFE3, 0x962D00},
    {0xF2F1F0, 0x5C534C, 0x5C534C, 0x5C534C, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xFFD1AD, 0xF2F1F0, 0xF2F1F0},
    {0x5C534C, BtnFace, BtnFace, BtnFace, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0xFFD1AD, 0x5C534C, 0x5C534C},
    {0xF5F9FA, 0xEBEEEF, 0xEBEEEF, 0x5C534C, 0xF5F9FA, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0xF5F9FA, 0xF5F9FA, 0xFFD1AD, 0xF5F9FA, 0x5C534C},
    {Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep},
    {0xCAC1BA, 0xCAC1BA, 0xCAC1BA, 0xF8F7F6, 0xCAC1BA, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0xF5F9FA, 0xF5F9FA, 0xFFD1AD, 0xF8F7F6, 0x5C534C},
    {0xE0DAD1, 0xF3F1EA, 0xADA9A5, 0xD8CEC2, 0xFFFFFF, 0x000000, 0xB3ADA2, 0xD2D9DE, 0x989684, 0xFDF8F1, 0x000000, 0xFCEFD5, 0xD1D1D1, 0x000000},
    {0xE0DAD1, 0xF3F1EA, 0xADA9A5, 0xD8CEC2, 0xFFFFFF, 0x000000, 0xB3ADA2, 0xD2D9DE, 0x989684, 0xFDF8F1, 0x000000, 0xFCEFD5, 0xD1D1D1, 0x000000},
    {BtnFace, BtnFace, BtnFace, 0x808080, BtnFace, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, Highlight, None, 0x000000},
    {0xDEC1A9, 0xEAD3BF, 0xC7B29F, 0xFDF5ED, 0x795C44, 0x795C44, 0x5B391E, 0x5B391E, 0x962D00, 0xFDF5ED, Keep, 0xDEC1A9, 0xEAD3BF, 0x962D00},
    {0x7C6D66, 0xD4CFCB, 0xD2CDC8, 0xEDDBCD, 0xFDFCFB, 0x7C6D66, 0xD3CECA, 0xD3CECA, 0x7C6D66, 0xFDF5ED, Keep, 0xDEC1A9, 0xFDFCFB, 0x7C6D66},
    {0xD7D7D6, 0x656565, 0x6F6F6F, 0xF2F2F1, 0xCFCFCF, 0x2A2A2A, 0x828282, 0x828282, 0x656565, 0xF5F9FA, Keep, 0x656565, 0xFFFFFF, 0xFFFFFF},
    {0xE4A262, 0xF7F6F5, 0xF7EFE8, 0xF9CEA4, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xDAA026, None, 0x000000},
    {0xE59D56, 0xFFFFFF, 0xFCF0E4, 0xEAB47E, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFF9933, None, 0x000000},
    {0xE59D56, 0xF6F6F6, 0xFCF0E4, 0xEAB47E, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFF9933, None, 0x000000},
    {0xE59D56, 0xE5E5E5, 0xFCF0E4, 0xEAB47E, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFF9933, None, 0x000000},
    {0xE4A262, 0xF7F6F5, 0xF7EFE8, 0xF9CEA4, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xDAA026, None, 0x000000},
    {0xF2E1D5, 0xFFFFFF, 0xD4D4D4, 0xE3BDA3, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xF2D5C2, None, 0x000000},
    {0xF2E1D5, 0xB2B2B2, 0x444444, 0xE3BDA3, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xF2D5C2, None, 0x000000},
    {0x6A6A6A, 0x363636, 0x4E4E4E, 0x444444, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x575757, None, 0x000000},
};

template <typename Setter>
void Apply(int cell, Setter set) {
    if (cell != Keep) set(TColor(cell));
}
}  // namespace

void TSmoothDial::SetComponentStyle(TKVLStyle style) {
    if (int(style) < 0 || int(style) >= KVLStyleCount) return;
    FKVLStyle = style;
    FMetroStyle = false;
    const TDialStyleRow& r = StyleRows[style];
    // The setters store a colour only when it differs.
    Apply(r.Arc, [this](TColor c) { FArc->SetColor(c); });
    Apply(r.Face, [this](TColor c) { FInnerCircle->SetColor(c); });
    Apply(r.Outline, [this](TColor c) { FOuterCircle->SetColor(c); });
    Apply(r.Threshold, [this](TColor c) { FArc->Threshold()->SetColor(c); });
    Apply(r.ReadoutBack, [this](TColor c) { FDigit->SetBackGroundColor(c); });
    Apply(r.ReadoutDigits, [this](TColor c) { FDigit->SetColor(c); });
    Apply(r.Division, [this](TColor c) { SetDivisionColor(c); });
    Apply(r.SubDivision, [this](TColor c) { SetSubDivisionColor(c); });
    Apply(r.Needle, [this](TColor c) { FNeedle->SetColor(c); });
    Apply(r.InnerFrom, [this](TColor c) { FNeedle->SetInnerCenterColor(c); });
    Apply(r.InnerTo, [this](TColor c) { FNeedle->SetInnerCenterColorTo(c); });
    Apply(r.OuterCenter, [this](TColor c) { FNeedle->SetOuterCenterColor(c); });
    Apply(r.Shine, [this](TColor c) { FNeedle->SetShineColor(c); });
    Apply(r.LabelFont, [this](TColor c) { FValueFont->SetColor(c); });
    Font()->SetColor(FValueFont->Color());
    Changed();
}

void TSmoothDial::SetColorTones(const TColorTones& tones) {
    FMetroStyle = true;
    SetTextRendering(tAntiAlias);
    const TColor back = tones.Background.BrushColor;
    const TColor selected = tones.Selected.BrushColor;
    FInnerCircle->SetColor(back);
    FDigit->SetBackGroundColor(back);
    FValueFont->SetColor(tones.Foreground.BrushColor);
    FArc->SetColor(selected);
    FOuterCircle->SetColor(selected);
    FOuterRim->SetColor(selected);
    FArc->Threshold()->SetColor(selected);
    FDigit->SetColor(selected);
    SetDivisionColor(selected);
    SetSubDivisionColor(selected);
    FNeedle->SetColor(selected);
    FNeedle->SetInnerCenterColor(selected);
    FNeedle->SetInnerCenterColorTo(selected);
    FNeedle->SetOuterCenterColor(selected);
    FNeedle->SetOuterCenterColorTo(selected);
    FOuterRim->SetWidth(1);
    FNeedle->SetShineColor(clNone);
    FValueFont->SetName(GetMetroFont());
    Changed();
}
