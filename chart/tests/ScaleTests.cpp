#include "Formatting.h"
#include "Kurvex.h"

#include <QFontMetrics>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <vector>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Sec = 1.0 / 86400.0;

// A value scale on a horizontal strip of the given length, without margins.
void Horizontal(TScale& s, int length, double mn, double mx) {
    s.SetAlign(saBottom);
    s.SetLength(length);
    s.SetMinMax(mn, mx);
    s.Adjust();
}

std::vector<std::pair<int, QString>> Marks(TScale& s) {
    std::vector<std::pair<int, QString>> m;
    s.WalkMarks([&](int p) { return p >= s.Offset() && p < s.Length(); },
                [&](int p) { m.emplace_back(p, s.GetLabel()); });
    return m;
}

class TLoadingOwner : public QObject, public IKXLoading {
public:
    bool Loading = false;
    bool IsComponentLoading() const override { return Loading; }
};

TEST(TScale, DefaultsAndPublishedInvertedFollowTheStripGroup) {
    TScale s;
    EXPECT_EQ(s.Min(), 0);
    EXPECT_EQ(s.Max(), 100);
    EXPECT_EQ(s.MinLimit(), -1000000);
    EXPECT_EQ(s.MaxLimit(), 1000000);
    EXPECT_EQ(s.StepType(), sttAuto);
    EXPECT_EQ(s.Caption(), "TScale");
    EXPECT_EQ(s.FormatString(), "0.####");
    EXPECT_TRUE(std::isnan(s.DisplayValue()));
    // A new strip stands left: the internal flag is set so that values grow upwards.
    EXPECT_EQ(s.GetAlign(), saLeft);
    EXPECT_TRUE(s.InternalInverted());
    EXPECT_FALSE(s.Inverted());
    s.SetInverted(true);
    s.SetAlign(saBottom);
    EXPECT_TRUE(s.Inverted());
    EXPECT_TRUE(s.InternalInverted());
    s.SetAlign(saRight);
    EXPECT_TRUE(s.Inverted());
    EXPECT_FALSE(s.InternalInverted());
    s.SetStepType(sttFixed);  // the automatic date-time step sets its own format
    s.SetAsDateTime(true);
    EXPECT_EQ(s.FormatString(), "mm.dd.yy");
    s.SetCaption("");
    EXPECT_FALSE(s.ShowCaption());
}

TEST(TScale, ProjectionAndBackProjectionOnAHorizontalStrip) {
    TScale s;
    Horizontal(s, 201, 0, 100);
    EXPECT_DOUBLE_EQ(static_cast<double>(s.PixPerVal()), 2.0);
    EXPECT_TRUE(s.Correct());
    struct Case { double v; int plain, inverted; };
    for (Case c : {Case{50, 100, 100}, Case{0, 0, 200}, Case{100, 200, 0}, Case{10.25, 20, 180}, Case{10.75, 22, 178}}) {
        s.SetInverted(false);
        EXPECT_EQ(s.Prj(c.v), c.plain) << c.v;
        EXPECT_NEAR(s.PrjBack(s.Prj(c.v)), c.v, 0.5) << c.v;
        s.SetInverted(true);
        EXPECT_EQ(s.Prj(c.v), c.inverted) << c.v;
        EXPECT_NEAR(s.PrjBack(s.Prj(c.v)), c.v, 0.5) << c.v;
    }
    // Ties round to even: 10.25 × 2 = 20.5 gives 20.
    s.SetInverted(false);
    EXPECT_EQ(s.Prj(NaN), -3000);
    EXPECT_EQ(s.Prj(1e6), 3000);
    EXPECT_EQ(s.Prj(-1e6), -3000);
    EXPECT_EQ(s.Prj(1e300), 3000);
    EXPECT_EQ(s.Prj(std::numeric_limits<double>::infinity()), 3000);
}

TEST(TScale, VerticalStripGrowsUpwardsAndOffsetTypeIgnoresMin) {
    TScale s;  // aligned left
    s.SetLength(101);
    s.SetMinMax(0, 100);
    EXPECT_EQ(s.Prj(0), 100);
    EXPECT_EQ(s.Prj(100), 0);
    EXPECT_NEAR(s.PrjBack(25), 75, 1e-9);
    s.SetAlign(saBottom);
    s.SetStepType(sttOffset);
    s.SetMinMax(50, 150);
    EXPECT_EQ(s.Start(), 0);
    EXPECT_EQ(s.Prj(10), 10);
    EXPECT_NEAR(s.PrjBack(10), 10, 1e-9);
}

TEST(TScale, MainScaleProjectsRelativeToThePlotArea) {
    TScale s;
    s.SetIsMainScale(true);
    s.SetAlign(saBottom);
    s.SetLength(231);
    s.SetOffset(30);
    s.SetMinMax(0, 100);
    EXPECT_DOUBLE_EQ(static_cast<double>(s.PixPerVal()), 2.0);
    EXPECT_EQ(s.Prj(0), 0);
    EXPECT_EQ(s.Prj(50), 100);
    EXPECT_NEAR(s.PrjBack(100), 50, 1e-9);
    EXPECT_EQ(s.GetMarkPos(50), 130);  // the marks are placed on the strip itself
}

TEST(TScale, AutomaticNumericStep) {
    struct Case { double span, step; };
    for (Case c : {Case{100, 10}, Case{150, 100}, Case{1000, 100}, Case{0.5, 0.1}, Case{0.105, 0.01}, Case{99, 10},
                   Case{1e-3, 1e-4}, Case{7e6, 1e6}}) {
        TScale s;
        s.SetLimits(-1e9, 1e9, false);
        Horizontal(s, 500, 10, 10 + c.span);
        EXPECT_NEAR(s.Step(), c.step, c.step * 1e-9) << c.span;
    }
}

TEST(TScale, AutomaticDateTimeStep) {
    struct Case { double span, step; int subTicks; const char* format; };
    for (Case c : {Case{2.0 / 24, 3600 * Sec, 6, "hh:nn"}, Case{1.05, 3600 * Sec, 6, "hh:nn"}, Case{1.2, 1, 24, "dd-mm-yy"},
                   Case{5 * Sec, Sec, 10, "nn.ss"}, Case{15 * 60 * Sec, 600 * Sec, 10, "hh:nn"}}) {
        TScale s;
        s.SetLimits(0, 1e6, false);
        s.SetAsDateTime(true);
        const double t0 = EncodeDate(2024, 3, 1);
        Horizontal(s, 800, t0, t0 + c.span);
        EXPECT_NEAR(s.Step(), c.step, 1e-12) << c.span;
        EXPECT_EQ(s.SubTicksCount(), c.subTicks) << c.span;
        EXPECT_EQ(s.FormatString(), c.format) << c.span;
    }
}

TEST(TScale, FirstMarkAndTheMarkWalk) {
    TScale s;
    s.SetStepType(sttFixed);
    s.SetStep(10);
    Horizontal(s, 201, 3, 103);
    EXPECT_EQ(s.Start(), 10);
    s.SetMinMax(20, 120);
    EXPECT_EQ(s.Start(), 20);  // no fraction, no move
    s.SetRoundFirst(false);
    s.SetMinMax(3, 103);
    EXPECT_EQ(s.Start(), 3);

    TScale w;
    Horizontal(w, 201, 0, 100);
    const auto marks = Marks(w);
    ASSERT_EQ(marks.size(), 11u);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(marks[static_cast<size_t>(i)].first, i * 20);
        EXPECT_EQ(marks[static_cast<size_t>(i)].second, QString::number(i * 10));
    }
}

TEST(TScale, SubTicksOfAPlainScaleBecomeTenOnceWalked) {
    TScale s;
    s.SetStepType(sttFixed);
    s.SetSubTicksCount(4);
    Horizontal(s, 201, 0, 100);
    EXPECT_DOUBLE_EQ(s.SubStep(), 2.5);
    s.FirstMarkPos();
    EXPECT_EQ(s.SubTicksCount(), 10);
    EXPECT_DOUBLE_EQ(s.SubStep(), 1.0);
}

TEST(TScale, LogarithmicScale) {
    TScale s;
    s.SetMinMax(-5, -1);
    s.SetStepType(sttLogarithmic);
    EXPECT_DOUBLE_EQ(s.Min(), 1e-5);
    EXPECT_DOUBLE_EQ(s.Max(), 1.00001);
    s.SetLimits(1e-6, 1e6, false);
    Horizontal(s, 301, 1, 1000);
    EXPECT_NEAR(static_cast<double>(s.PixPerVal()), 100.0, 1e-9);
    EXPECT_EQ(s.Prj(10), 100);
    EXPECT_EQ(s.Prj(1000), 300);
    EXPECT_EQ(s.Prj(0), 0);
    EXPECT_EQ(s.Prj(-4), 0);
    s.SetMinMax(0.05, 1000);
    EXPECT_EQ(s.Start(), -2);
    const auto marks = Marks(s);
    ASSERT_GE(marks.size(), 4u);
    EXPECT_EQ(marks[0].second, "0.01");
    EXPECT_EQ(marks[1].second, "0.1");
    EXPECT_EQ(marks[2].second, "1");
    EXPECT_EQ(marks[3].second, "10");
}

TEST(TScale, SetMinMaxKeepsTheSpanInsideTheLimits) {
    struct Case { double mn, mx, wantMin, wantMax; };
    for (Case c : {Case{-10, 10, 0, 20}, Case{90, 130, 60, 100}, Case{-50, 200, 0, 100}, Case{20, 40, 20, 40},
                   Case{5, 5.000001, 0, 100}, Case{40, 30, 0, 100}, Case{NaN, 30, 0, 100}}) {
        TScale s;
        s.SetLimits(0, 100, false);
        EXPECT_EQ(s.Min(), 0);
        EXPECT_EQ(s.Max(), 100);
        s.SetMinMax(c.mn, c.mx);
        EXPECT_DOUBLE_EQ(s.Min(), c.wantMin) << c.mn << " " << c.mx;
        EXPECT_DOUBLE_EQ(s.Max(), c.wantMax) << c.mn << " " << c.mx;
    }
}

TEST(TScale, SingleEndSettersAndLimitSetters) {
    TScale s;
    s.SetLength(101);
    s.SetLimits(0, 100, false);
    s.SetMinMax(10, 20);
    s.SetMax(10.0005);  // below the smallest span
    EXPECT_EQ(s.Max(), 20);
    s.SetMax(500);
    EXPECT_EQ(s.Max(), 100);
    s.SetMin(-7);
    EXPECT_EQ(s.Min(), 0);
    s.SetMin(100);
    EXPECT_EQ(s.Min(), 0);
    s.SetMinLimit(200);  // not below MaxLimit: refused
    EXPECT_EQ(s.MinLimit(), 0);
    s.SetMinMax(10, 20);
    s.SetMinLimit(15);
    EXPECT_EQ(s.Min(), 15);
    EXPECT_EQ(s.Max(), 20);
    s.SetMaxLimit(18);  // the upper limit passes the window: it moves inside, it does not turn over
    EXPECT_EQ(s.Max(), 18);
    EXPECT_LT(s.Min(), s.Max());
    EXPECT_TRUE(s.Correct());

    TScale d;
    d.SetAsDateTime(true);
    d.SetLimits(0, 10, false);
    d.SetMinMax(1, 1 + 0.5 * Sec);  // under one second
    EXPECT_EQ(d.Max(), 10);
    d.SetMinMax(1, 1 + 2 * Sec);
    EXPECT_DOUBLE_EQ(d.Max(), 1 + 2 * Sec);
}

TEST(TScale, GrowingLimitsMoveTheDataOffset) {
    TScale s;
    s.SetLength(201);
    s.SetLimits(0, 100, false);
    s.SetDataOffset(40);  // the window keeps its span of 100 and is pushed back inside
    s.SetMinMax(40, 60);
    EXPECT_EQ(s.DataOffset(), 40);
    EXPECT_EQ(s.VisibleRange(), 20);
    s.SetLimits(0, 200, true);
    EXPECT_EQ(s.DataOffset(), 140);
    EXPECT_EQ(s.Min(), 140);
    EXPECT_EQ(s.Max(), 160);
    // Without scrolling the offset still grows, the window stays.
    s.SetLimits(0, 300, false);
    EXPECT_EQ(s.Min(), 140);
    EXPECT_EQ(s.Max(), 160);
    // A changed lower limit is no growth: the window keeps its offset from the new lower limit.
    s.SetLimits(100, 400, true);
    EXPECT_EQ(s.Min(), 240);
    EXPECT_EQ(s.DataOffset(), 140);
    s.SetLimits(5, 1, true);
    EXPECT_EQ(s.MinLimit(), 100);
    s.SetDataOffset(-1);
    EXPECT_EQ(s.Min(), 240);
    s.SetDataOffset(10);
    EXPECT_EQ(s.Min(), 110);
    EXPECT_EQ(s.Max(), 130);
}

TEST(TScale, StepSettersFollowTheType) {
    TScale s;
    s.SetStep(5);  // automatic: refused
    EXPECT_EQ(s.Step(), 10);
    s.SetStepType(sttFixed);
    s.SetStep(-1);
    EXPECT_EQ(s.Step(), 10);
    s.SetStep(5);
    EXPECT_EQ(s.Step(), 5);
    s.SetSteps(0);
    EXPECT_EQ(s.Steps(), 0);
    s.SetStepType(sttFixedCount);
    s.SetSteps(4);
    Horizontal(s, 201, 0, 100);
    EXPECT_EQ(s.Step(), 25);
    s.SetStepType(sttFixedSize);
    s.SetPixPerVal(4);
    s.Adjust();
    EXPECT_DOUBLE_EQ(s.Max(), 50);  // the range follows the strip: 200 pixels at 4 a unit
    s.SetPixPerVal(0);
    EXPECT_EQ(static_cast<double>(s.PixPerVal()), 4);
}

TEST(TScale, BadArithmeticKeepsAUsableScaleAndTheWalkEnds) {
    TLoadingOwner owner;
    TScale s(&owner);
    owner.Loading = true;  // raw values, as a stream may carry them
    s.SetStep(0);
    s.SetMin(-3);
    s.SetMax(-1);
    s.SetMinMax(1, 2);  // does nothing while loading
    EXPECT_EQ(s.Min(), -3);
    owner.Loading = false;

    s.SetStepType(sttLogarithmic);  // logarithm of a negative range
    s.SetAlign(saBottom);
    s.SetLength(301);
    s.Adjust();
    EXPECT_TRUE(s.Correct());
    EXPECT_GT(s.Min(), 0);

    s.SetStepType(sttFixedCount);  // Steps 0: no division by zero
    s.SetMinMax(0, 100);
    EXPECT_TRUE(s.Correct());
    EXPECT_GT(s.Step(), 0);

    s.SetStepType(sttFixed);  // a step of 1e-9 over a span of 100
    owner.Loading = true;
    s.SetStep(1e-9);
    owner.Loading = false;
    s.Adjust();
    EXPECT_GE(s.Step(), 100.0 / 10000);
    EXPECT_LE(Marks(s).size(), 20000u);

    TScale huge;  // a step lost in the magnitude of the values
    huge.SetLimits(-1e30, 1e30, false);
    huge.SetAlign(saBottom);
    huge.SetLength(500);
    huge.SetMinMax(1e20, 1e20 + 65536);
    const auto marks = Marks(huge);
    EXPECT_GE(marks.size(), 2u);
    EXPECT_LE(marks.size(), 20000u);
}

TEST(TScale, PrjArrayWritesOneCoordinate) {
    TMemPointArray a(10);
    for (double v : {0.0, 25.0, NaN, 100.0, 1e12}) a.Add(v);
    TScale h;
    Horizontal(h, 201, 0, 100);
    TPoints pts(2, QPoint(7, 7));
    h.PrjArray(a, pts, 0, 0, 0, false);
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_EQ(pts[0], QPoint(0, 7));
    EXPECT_EQ(pts[1], QPoint(50, 7));
    EXPECT_EQ(pts[2].x(), -1);
    EXPECT_EQ(pts[3].x(), 200);
    EXPECT_EQ(pts[4].x(), 3000);
    // Scaling and offset, a sub-range, truncation.
    h.PrjArray(a, pts, 1, 1, 2, 10, true);
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_EQ(pts[0].x(), 120);
    TPoints kept(5);
    h.PrjArray(a, kept, 1, 2, 0, false);
    EXPECT_EQ(kept.size(), 5u);
    // A vertical strip writes Y and grows upwards.
    TScale v;
    v.SetLength(101);
    v.SetMinMax(0, 100);
    TPoints vp(5, QPoint(3, 3));
    v.PrjArray(a, vp, 0, 1, 0, false);
    EXPECT_EQ(vp[0], QPoint(3, 100));
    EXPECT_EQ(vp[1], QPoint(3, 75));
    // Empty array: nothing happens.
    TMemPointArray empty;
    TPoints untouched(1, QPoint(9, 9));
    v.PrjArray(empty, untouched, 0, 0, 0, true);
    EXPECT_EQ(untouched[0], QPoint(9, 9));
}

TEST(TScale, DateTimeLabelsAndStripSize) {
    TScale s;
    s.SetAsDateTime(true);
    s.SetLimits(0, 1e6, false);
    const double t0 = EncodeDate(2024, 3, 1) + EncodeTime(10, 0, 0, 0);
    Horizontal(s, 800, t0 - 0.5 * Sec, t0 + 2.0 / 24);
    const auto marks = Marks(s);
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks[0].second, "10:00");
    EXPECT_EQ(marks[1].second, "11:00");

    // A horizontal value strip: marks row plus caption, margins of half the end labels.
    TScale h;
    h.SetAlign(saBottom);
    h.SetLength(400);
    h.SetMinMax(0, 100);
    const QFontMetrics fm(h.Font());
    EXPECT_EQ(h.GetSize(), 2 * fm.height() + 5);
    // (and a gap of 2 pixels, so that the labels of neighbouring fields stay apart)
    EXPECT_EQ(h.Offset(), fm.horizontalAdvance("0") / 2 + 1 + 2);
    EXPECT_EQ(h.BackOffset(), fm.horizontalAdvance("100") / 2 + 1 + 2);
    EXPECT_EQ(h.Prj(0), h.Offset());
    h.SetVisible(false);
    EXPECT_EQ(h.GetSize(), 0);
    // A vertical strip is as wide as its widest label, the tick room and the caption column.
    TScale v;
    v.SetLength(400);
    v.SetMinMax(0, 100);
    EXPECT_EQ(v.GetSize(), fm.horizontalAdvance("100") + 7 + fm.horizontalAdvance("W"));
}

TEST(TScale, AssignCopiesTheSettings) {
    TScale a;
    a.SetAlign(saBottom);
    a.SetCaption("Depth");
    a.SetLimits(-10, 500, false);
    a.SetMinMax(10, 60);
    a.SetStepType(sttFixed);
    a.SetStep(5);
    a.SetInverted(true);
    a.SetDefaultMax(60);
    TScale b;
    b.Assign(a);
    EXPECT_EQ(b.GetAlign(), saBottom);
    EXPECT_TRUE(b.Inverted());
    EXPECT_EQ(b.Caption(), "Depth");
    EXPECT_EQ(b.Min(), 10);
    EXPECT_EQ(b.Max(), 60);
    EXPECT_EQ(b.MinLimit(), -10);
    EXPECT_EQ(b.StepType(), sttFixed);
    EXPECT_EQ(b.Step(), 5);
    EXPECT_EQ(b.DefaultMax(), 60);
}
}  // namespace
