#include "DialTestSupport.h"

#include "GDIPUtil.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <array>

namespace {
constexpr int Keep = -1;
constexpr int BtnFace = int(clBtnFace), Highlight = int(clHighlight), None = int(clNone);

// The colours each style gives: arc, face, outline, threshold, read-out
// background, read-out digits, division, sub-division, needle, inner centre
// from, inner centre to, outer centre, shine, label font.
struct TRow {
    TKVLStyle Style;
    std::array<int, 14> Cells;
};

const TRow Rows[] = {
    {tsOffice2003Blue, {0xD68759, 0xD68759, 0xFFD2AF, 0xFFD2AF, 0xD68759, 0x962D00, 0x962D00, 0x962D00, 0x962D00, 0xFFD2AF, Keep, 0x933803, 0xD68759, 0x962D00}},
    {tsOffice2003Silver, {0xBDA4A5, 0xBDA4A5, 0xE6D8D8, 0xE6D8D8, 0xBDA4A5, 0x947C7C, 0x947C7C, 0x947C7C, 0x947C7C, 0xE6D8D8, 0xE6D8D8, 0x957475, 0xBDA4A5, 0x947C7C}},
    {tsOffice2003Olive, {0x82C0AF, 0x82C0AF, 0xCFF0EA, 0xCFF0EA, 0x82C0AF, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63, 0x447A63}},
    {tsOffice2003Classic, {0x808080, 0x808080, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xF2F2F2, 0xF2F2F2, 0x808080, 0x808080, 0x808080}},
    {tsOffice2007Luna, {0xFFEFE3, 0xFFD2AF, 0xFFD2AF, 0xFFD2AF, 0xFFEFE3, 0x962D00, 0x962D00, 0x962D00, 0xFFD2AF, 0xFFD2AF, 0xFFD2AF, 0xFFD1AD, 0xFFEFE3, 0x962D00}},
    {tsOffice2007Obsidian, {0xF2F1F0, 0x5C534C, 0x5C534C, 0x5C534C, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xF2F1F0, 0xFFD1AD, 0xF2F1F0, 0xF2F1F0}},
    {tsWindowsXP, {0x5C534C, BtnFace, BtnFace, BtnFace, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0xFFD1AD, 0x5C534C, 0x5C534C}},
    {tsWhidbey, {0xF5F9FA, 0xEBEEEF, 0xEBEEEF, 0x5C534C, 0xF5F9FA, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0xF5F9FA, 0xF5F9FA, 0xFFD1AD, 0xF5F9FA, 0x5C534C}},
    {tsCustom, {Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep, Keep}},
    {tsOffice2007Silver, {0xCAC1BA, 0xCAC1BA, 0xCAC1BA, 0xF8F7F6, 0xCAC1BA, 0x5C534C, 0x5C534C, 0x5C534C, 0x5C534C, 0xF5F9FA, 0xF5F9FA, 0xFFD1AD, 0xF8F7F6, 0x5C534C}},
    {tsWindowsVista, {0xE0DAD1, 0xF3F1EA, 0xADA9A5, 0xD8CEC2, 0xFFFFFF, 0x000000, 0xB3ADA2, 0xD2D9DE, 0x989684, 0xFDF8F1, 0x000000, 0xFCEFD5, 0xD1D1D1, 0x000000}},
    {tsWindows7, {0xE0DAD1, 0xF3F1EA, 0xADA9A5, 0xD8CEC2, 0xFFFFFF, 0x000000, 0xB3ADA2, 0xD2D9DE, 0x989684, 0xFDF8F1, 0x000000, 0xFCEFD5, 0xD1D1D1, 0x000000}},
    {tsTerminal, {BtnFace, BtnFace, BtnFace, 0x808080, BtnFace, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, Highlight, None, 0x000000}},
    {tsOffice2010Blue, {0xDEC1A9, 0xEAD3BF, 0xC7B29F, 0xFDF5ED, 0x795C44, 0x795C44, 0x5B391E, 0x5B391E, 0x962D00, 0xFDF5ED, Keep, 0xDEC1A9, 0xEAD3BF, 0x962D00}},
    {tsOffice2010Silver, {0x7C6D66, 0xD4CFCB, 0xD2CDC8, 0xEDDBCD, 0xFDFCFB, 0x7C6D66, 0xD3CECA, 0xD3CECA, 0x7C6D66, 0xFDF5ED, Keep, 0xDEC1A9, 0xFDFCFB, 0x7C6D66}},
    {tsOffice2010Black, {0xD7D7D6, 0x656565, 0x6F6F6F, 0xF2F2F1, 0xCFCFCF, 0x2A2A2A, 0x828282, 0x828282, 0x656565, 0xF5F9FA, Keep, 0x656565, 0xFFFFFF, 0xFFFFFF}},
    {tsWindows8, {0xE4A262, 0xF7F6F5, 0xF7EFE8, 0xF9CEA4, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xDAA026, None, 0x000000}},
    {tsOffice2013White, {0xE59D56, 0xFFFFFF, 0xFCF0E4, 0xEAB47E, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFF9933, None, 0x000000}},
    {tsOffice2013LightGray, {0xE59D56, 0xF6F6F6, 0xFCF0E4, 0xEAB47E, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFF9933, None, 0x000000}},
    {tsOffice2013Gray, {0xE59D56, 0xE5E5E5, 0xFCF0E4, 0xEAB47E, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xFF9933, None, 0x000000}},
    {tsWindows10, {0xE4A262, 0xF7F6F5, 0xF7EFE8, 0xF9CEA4, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xDAA026, None, 0x000000}},
    {tsOffice2016White, {0xF2E1D5, 0xFFFFFF, 0xD4D4D4, 0xE3BDA3, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xF2D5C2, None, 0x000000}},
    {tsOffice2016Gray, {0xF2E1D5, 0xB2B2B2, 0x444444, 0xE3BDA3, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0xF2D5C2, None, 0x000000}},
    {tsOffice2016Black, {0x6A6A6A, 0x363636, 0x4E4E4E, 0x444444, 0xFFFFFF, 0x000000, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x575757, None, 0x000000}},
};

std::array<int, 14> Cells(const TSmoothDial& d) {
    const TSmoothDialNeedle* n = d.Needle();
    return {d.Arc()->Color(), d.InnerCircle()->Color(), d.OuterCircle()->Color(), d.Arc()->Threshold()->Color(),
            d.Digit()->BackGroundColor(), d.Digit()->Color(), d.DivisionColor(), d.SubDivisionColor(), n->Color(),
            n->InnerCenterColor(), n->InnerCenterColorTo(), n->OuterCenterColor(), n->ShineColor(),
            d.ValueFont()->Color()};
}

constexpr TColor Marker = TColor(0x123456);

void MarkAll(TSmoothDial& d) {
    TSmoothDialNeedle* n = d.Needle();
    d.Arc()->SetColor(Marker);
    d.InnerCircle()->SetColor(Marker);
    d.OuterCircle()->SetColor(Marker);
    d.Arc()->Threshold()->SetColor(Marker);
    d.Digit()->SetBackGroundColor(Marker);
    d.Digit()->SetColor(Marker);
    d.SetDivisionColor(Marker);
    d.SetSubDivisionColor(Marker);
    n->SetColor(Marker);
    n->SetInnerCenterColor(Marker);
    n->SetInnerCenterColorTo(Marker);
    n->SetOuterCenterColor(Marker);
    n->SetShineColor(Marker);
    d.ValueFont()->SetColor(Marker);
    d.Font()->SetColor(clFuchsia);
}
}  // namespace

TEST(DialGaugeStyles, EveryStyleSetsItsRow) {
    ASSERT_EQ(std::size(Rows), size_t(KVLStyleCount));
    for (const TRow& row : Rows) {
        SCOPED_TRACE(KVLStyleName(row.Style).toStdString());
        auto d = MakeDial();
        MarkAll(*d);
        d->SetComponentStyle(row.Style);
        EXPECT_EQ(d->GetComponentStyle(), row.Style);
        EXPECT_FALSE(d->MetroStyle());
        const std::array<int, 14> got = Cells(*d);
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], row.Cells[i] == Keep ? int(Marker) : row.Cells[i]) << "column " << i;
        EXPECT_EQ(d->Font()->Color(), d->ValueFont()->Color()) << "the caption takes the label colour";
    }
}

TEST(DialGaugeStyles, EachStyleRendersOnAFreshDial) {
    const QString artifacts = qEnvironmentVariable("WK_TEST_ARTIFACTS");
    QTemporaryDir temp;
    const QString folder = artifacts.isEmpty() ? temp.path() : artifacts;
    QDir().mkpath(folder);
    for (const TRow& row : Rows) {
        const QString name = KVLStyleName(row.Style);
        SCOPED_TRACE(name.toStdString());
        TSmoothDial d;
        d.SetAnimation(false);
        d.SetComponentStyle(row.Style);
        d.SetDialText("WOB, t");
        d.SetValue(62.5);
        ASSERT_EQ(d.Width(), 250);
        const QString file = folder + '/' + name + ".png";
        d.SaveToImage(file, 250, 250, itPNG);
        EXPECT_EQ(GetPNGSize(file), QSize(250, 250));
        const QImage saved(file);
        // The corners stay clear: the parent shows there.
        EXPECT_EQ(qAlpha(saved.pixel(1, 1)), 0);
        // The face beside the centre, clear of ticks, needle and read-out,
        // without the gloss over it.
        d.InnerCircle()->Gloss()->SetColor(clNone);
        const QRgb face = qUnpremultiply(d.Render().pixel(150, 150));
        const QColor expected = ColorToQColor(d.InnerCircle()->Color());
        EXPECT_NEAR(qAlpha(face), d.InnerCircle()->Opacity(), 2);
        EXPECT_NEAR(qRed(face), expected.red(), 3);
        EXPECT_NEAR(qGreen(face), expected.green(), 3);
        EXPECT_NEAR(qBlue(face), expected.blue(), 3);
    }
}

TEST(DialGaugeStyles, ColourTonesGiveTheMetroLook) {
    auto d = MakeDial();
    d->SetComponentStyle(tsOffice2003Blue);
    const TColorTones tones = CreateMetroTones(msLight, TColor(0x0078D7));
    d->SetColorTones(tones);
    EXPECT_TRUE(d->MetroStyle());
    EXPECT_EQ(d->GetComponentStyle(), tsOffice2003Blue);
    EXPECT_EQ(d->TextRendering(), tAntiAlias);
    EXPECT_EQ(d->InnerCircle()->Color(), clWhite);
    EXPECT_EQ(d->Digit()->BackGroundColor(), clWhite);
    EXPECT_EQ(d->ValueFont()->Color(), TColor(0xC0C0C0));
    for (TColor c : {d->Arc()->Color(), d->OuterCircle()->Color(), d->OuterRim()->Color(), d->Arc()->Threshold()->Color(),
                     d->Digit()->Color(), d->DivisionColor(), d->SubDivisionColor(), d->Needle()->Color(),
                     d->Needle()->InnerCenterColor(), d->Needle()->InnerCenterColorTo(), d->Needle()->OuterCenterColor(),
                     d->Needle()->OuterCenterColorTo()})
        EXPECT_EQ(c, TColor(0x0078D7));
    EXPECT_EQ(d->OuterRim()->Width(), 1);
    EXPECT_EQ(d->Needle()->ShineColor(), clNone);
    EXPECT_EQ(d->ValueFont()->Name(), GetMetroFont());
    // No gloss: the top of the face is the plain background colour.
    ClearDial(*d);
    d->InnerCircle()->SetColor(clBlack);
    d->InnerCircle()->SetOpacity(255);
    d->InnerCircle()->Gloss()->SetColor(clWhite);
    EXPECT_EQ(QColor::fromRgba(d->Render().pixel(125, 40)), QColor(Qt::black));
    d->SetComponentStyle(tsCustom);
    EXPECT_NE(QColor::fromRgba(d->Render().pixel(125, 40)), QColor(Qt::black)) << "a style brings the gloss back";
}
