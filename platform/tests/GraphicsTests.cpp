#include "Graphics.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {
TEST(Graphics, ColourValuesAndNames) {
    const struct {
        const char* ident;
        int value;
        QColor qt;
    } cases[] = {
        {"clRed", 0x0000FF, QColor(255, 0, 0)},
        {"clNavy", 0x800000, QColor(0, 0, 128)},
        {"clMoneyGreen", 0xC0DCC0, QColor(0xC0, 0xDC, 0xC0)},
        {"clBtnFace", int(0xFF00000F), QGuiApplication::palette().color(QPalette::Button)},
        {"clWindow", int(0xFF000005), QGuiApplication::palette().color(QPalette::Base)},
        {"clNone", 0x1FFFFFFF, QColor(Qt::transparent)},
    };
    for (const auto& c : cases) {
        int v = 0;
        ASSERT_TRUE(IdentToColor(QString::fromLatin1(c.ident).toUpper(), v)) << c.ident;
        EXPECT_EQ(v, c.value) << c.ident;
        EXPECT_EQ(ColorToIdent(c.value), QLatin1String(c.ident));
        EXPECT_EQ(ColorToQColor(TColor(c.value)), c.qt) << c.ident;
    }
    int v = 0;
    EXPECT_TRUE(IdentToColor("clLtGray", v));
    EXPECT_EQ(v, clSilver);
    EXPECT_FALSE(IdentToColor("clNoSuchColour", v));
    EXPECT_TRUE(ColorToIdent(0x123456).isEmpty());
    EXPECT_EQ(ColorToQColor(RGBToColor(1, 2, 3)), QColor(1, 2, 3));
}

TEST(Graphics, FontSizeAndHeight) {
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    f.SetStyle(TFont::fsBold | TFont::fsUnderline);
    const QFont q = f.ToQFont();
    EXPECT_TRUE(q.bold());
    EXPECT_TRUE(q.underline());
    EXPECT_EQ(q.pixelSize(), 13);
    TFont g;
    int changes = 0;
    QObject::connect(&g, &TPersistent::Changed, [&] { ++changes; });
    g.Assign(&f);
    g.Assign(&f);  // no change the second time
    EXPECT_TRUE(g == f);
    EXPECT_EQ(changes, 1);
    TPen pen;
    EXPECT_THROW(g.Assign(&pen), EConvertError);
}
}  // namespace
