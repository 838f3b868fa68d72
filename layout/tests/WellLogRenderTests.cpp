// A well-log plot drawn from a generated LAS file through the engine's
// plug-in manager and the project's LAS plug-ins, exported as a picture.
#include "WellLogTestSupport.h"

#include "RegIniFile.h"
#include "TestSupport.h"
#include "UIServices.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

TEST(WellLogRender, WellLogCurvesRender) {
    TTempXdgHome home;
    QTemporaryDir lasDir;
    WriteWellLas(lasDir.filePath("well7.las"));
    TRegIniFile("Software\\Korva\\Plotmere").WriteString("LAS", "Folder", lasDir.path());
    auto ui = std::make_shared<TScriptedUIServices>();
    const auto oldUI = SetUIServices(ui);

    TSketchDocument doc;
    SetUpDepthDocument(doc, 0, 100, 0.2, 10);
    auto* gr = new TPrintField(&doc);
    gr->SetLeft(10);
    gr->SetTop(10);
    gr->SetWidth(40);
    gr->SetCaption("ГК");
    auto* grCurve = new TPrintLineSeries(gr);
    grCurve->SetSourceID("LAS.Curves");
    grCurve->SetGID("GR");
    grCurve->SetCaption("GR");
    grCurve->SetUnits("API");
    grCurve->SetMin(0);
    grCurve->SetMax(100);
    grCurve->SetColor(TColor(0x0000FF));
    auto* res = new TPrintField(&doc);
    res->SetLeft(50);
    res->SetTop(10);
    res->SetWidth(40);
    res->SetDecades(3);
    res->SetCaption("Сопротивление");
    res->SetFlags(res->Flags() | TFieldFlags{TFieldFlag::ffLogarithmic, TFieldFlag::ffShowGridMarks});
    auto* resCurve = new TPrintLineSeries(res);
    resCurve->SetSourceID("LAS.Curves");
    resCurve->SetGID("RES");
    resCurve->SetCaption("RES");
    resCurve->SetMin(1);
    resCurve->SetMax(1000);
    resCurve->SetColor(TColor(0xFF0000));

    TPluginManager& manager = PluginManager();
    manager.Activate(atPath, BinDir() + "/Plugins");
    ASSERT_NE(manager.GetSystemByID("LAS"), nullptr) << ui->Messages.join('\n').toStdString();
    ASSERT_TRUE(manager.Load(doc));
    SetUIServices(oldUI);
    ASSERT_NE(doc.Blocks().GetBlockByName("well7"), nullptr);
    EXPECT_EQ(doc.Min(), 0.0);
    EXPECT_EQ(doc.Max(), 100.0);
    EXPECT_FALSE(doc.GetLoading());
    ASSERT_EQ(grCurve->BlockCache().size(), 2u) << "the gap splits the curve";
    EXPECT_EQ(doc.PageCount(), 2) << "500 mm of data";

    QImage image;
    doc.RenderBMP(image, 96);
    if (const QString dir = ArtifactsDir(); !dir.isEmpty()) image.save(dir + "/tracks.png");
    const QRect grClient = gr->ClientRect(), resClient = res->ClientRect();
    const auto px = [](double mm) { return int(Round(mm * ScreenPixelsPerMM)); };
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);

    // Red only inside the first track (its header names the curve in red),
    // and nowhere in the gap.
    const QRect grBounds = gr->Bounds();
    int redPixels = 0, bluePixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (IsColour(image, x, y, red)) {
                ASSERT_TRUE(x >= px(grBounds.left()) && x <= px(grBounds.left() + grBounds.width()) &&
                            y >= px(grBounds.top()) && y <= px(grBounds.top() + grBounds.height()))
                    << "red at " << x << ", " << y << " lies outside the GR track";
                if (y <= px(grClient.top())) continue;
                ++redPixels;
                const double depth = gr->PrjVertMMToValue(y / ScreenPixelsPerMM);
                EXPECT_FALSE(depth > 40.3 && depth < 49.7) << "red in the gap at " << depth << " m";
            }
            if (IsColour(image, x, y, blue) && y > px(resClient.top())) {
                ++bluePixels;
                EXPECT_TRUE(x >= px(resClient.left()) && x <= px(resClient.left() + resClient.width()))
                    << "blue at " << x << ", " << y;
            }
        }
    EXPECT_GT(redPixels, 1500);
    EXPECT_GT(bluePixels, 1500);

    // The curve is drawn above and below the gap; RES is the diagonal of its track.
    const auto redInRow = [&](double depth) {
        const int y = px(gr->PrjVertValueToMM(depth));
        for (int x = px(grClient.left()); x < px(grClient.left() + grClient.width()); ++x)
            if (IsColour(image, x, y, red)) return true;
        return false;
    };
    EXPECT_TRUE(redInRow(20));
    EXPECT_TRUE(redInRow(39.5));
    EXPECT_TRUE(redInRow(50.5));
    EXPECT_TRUE(redInRow(80));
    EXPECT_FALSE(redInRow(45));
    for (const double depth : {10.0, 33.3, 50.0, 90.0}) {
        const int y = px(res->PrjVertValueToMM(depth));
        const int x = px(resClient.left() + depth / 100 * resClient.width());
        bool near = false;
        for (int dx = -2; dx <= 2 && !near; ++dx) near = IsColour(image, x + dx, y, blue);
        EXPECT_TRUE(near) << "RES at " << depth << " m lies on the diagonal";
    }
}
