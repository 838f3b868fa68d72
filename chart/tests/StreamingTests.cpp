#include "ChartTestSupport.h"
#include "ComponentStreaming.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {
// A chart of two fields with their scales, a grid, two series over a table the chart owns.
void Build(TGraphion& c) {
    c.SetName("Chart1");
    c.SetCaption("Drilling");
    c.resize(640, 420);
    auto* table = new TMemChartTable(&c);
    table->SetName("Table1");
    table->SetCapacity(500);
    table->AddArray("t");
    table->AddArray("hook");
    table->AddArray(7);
    TChartField* a = c.Fields().Add();
    TChartField* b = c.Fields().Add();
    a->SetCaption("Loads");
    b->SetCaption("Speeds");
    TScale* hook = a->Scales().Add();
    hook->SetCaption("Hook");
    hook->SetLimits(-50, 500, false);
    hook->SetMinMax(0, 250);
    hook->SetPenColor(Qt::darkBlue);
    TScale* rpm = b->Scales().Add();
    rpm->SetStepType(sttFixed);
    rpm->SetStep(25);
    rpm->SetInverted(true);
    b->SetGridInd(0);
    b->SetShowSubGrid(true);
    b->SetGridPen(QPen(Qt::gray, 1));
    c.XScale()->SetLimits(0, 1000, false);
    c.XScale()->SetMinMax(100, 400);
    c.XScale()->SetCaption("Time");
    for (int field = 0; field < 2; ++field) {
        auto* s = new TRLineSeries(&c);
        s->SetName(QStringLiteral("Series%1").arg(field + 1));
        s->SetFieldInd(field);
        s->SetScaleInd(0);
        c.InsertSeries(s);
        s->SetTable(table);
        s->SetFID(field == 0 ? QVariant("hook") : QVariant(7));
        s->SetFXID("t");
        s->SetPen(QPen(field == 0 ? Qt::red : Qt::darkGreen, 2));
        s->SetCaption(field == 0 ? "Hook load" : "Rotary");
    }
}

void Fill(TGraphion& c) {
    auto* table = c.FindComponentAs<TMemChartTable>("Table1");
    ASSERT_NE(table, nullptr);
    for (int i = 0; i < 500; ++i) {
        table->AddRow();
        table->Arrays().Items(0)->SetLastValue(i);
        table->Arrays().Items(1)->SetLastValue(120 + 100 * std::sin(i * 0.05));
        table->Arrays().Items(2)->SetLastValue(50 + 30 * std::cos(i * 0.03));
    }
}

QImage Shot(TGraphion& c) {
    c.show();
    return c.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(TGraphion, ChartSavedToComponentTextReadsBackAndPaintsTheSameImage) {
    TGraphion original;
    Build(original);
    Fill(original);
    const QString text = WriteComponentToText(&original);
    EXPECT_TRUE(text.contains("object Chart1: TGraphion"));
    EXPECT_TRUE(text.contains("object Series1: TRLineSeries"));
    EXPECT_TRUE(text.contains("Table = Table1"));

    TGraphion copy;
    ReadComponentFromText(text, &copy);
    copy.resize(original.size());
    Fill(copy);
    ASSERT_EQ(copy.Fields().Count(), 2);
    ASSERT_EQ(copy.GetSeriesCount(), 2);
    EXPECT_EQ(copy.Fields().Items(1)->GridIndex(), 0);
    EXPECT_TRUE(copy.Fields().Items(1)->Scales().Items(0)->Inverted());
    EXPECT_EQ(copy.XScale()->Min(), 100);
    EXPECT_EQ(copy.GetSeries(1)->ID().toInt(), 7);
    EXPECT_EQ(WriteComponentToText(&copy).toStdString(), text.toStdString());

    const QImage a = Shot(original), b = Shot(copy);
    EXPECT_TRUE(a == b);
    // Something was drawn: both series colours show.
    int red = 0, green = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            red += a.pixelColor(x, y) == QColor(Qt::red);
            green += a.pixelColor(x, y) == QColor(Qt::darkGreen);
        }
    EXPECT_GT(red, 100);
    EXPECT_GT(green, 100);
}

TEST(TScale, AFixedSizeScaleComesBackAtItsOwnPixelsPerValue) {
    TGraphion original;
    original.SetName("Chart1");
    original.resize(500, 400);
    original.show();
    TScale* s = original.Fields().Add()->Scales().Add();
    s->SetStepType(sttFixedSize);
    s->SetPixPerVal(3);
    const QString text = WriteComponentToText(&original);
    EXPECT_TRUE(text.contains("PixPerVal = 3.0")) << text.toStdString();
    TGraphion copy;
    ReadComponentFromText(text, &copy);
    copy.resize(500, 400);
    copy.show();
    TScale* back = copy.Fields().Items(0)->Scales().Items(0);
    EXPECT_EQ(back->StepType(), sttFixedSize);
    EXPECT_DOUBLE_EQ(back->PixPerValD(), 3);
    // the range follows the strip at those pixels per value
    const int usable = back->Length() - back->Offset() - back->BackOffset() - 1;
    EXPECT_NEAR(back->Max() - back->Min(), usable / 3.0, 1e-9);
}
}  // namespace
