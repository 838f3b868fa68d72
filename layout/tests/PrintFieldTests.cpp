// Tracks: heights, shared tops and headers, grid lines, value marks, and
// what a click on a track hits and does.
#include "WellLogTestSupport.h"

#include "ItemSetup.h"
#include "PrintView.h"
#include "TestSupport.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
const QColor GridColor(128, 128, 128);

TPrintField* AddField(TPrintItem* parent, int left, int top, int width, const QString& caption = QString()) {
    auto* field = new TPrintField(parent);
    field->SetLeft(left);
    field->SetTop(top);
    field->SetWidth(width);
    field->SetCaption(caption);
    return field;
}

// The x pixels of the vertical grid lines and the y pixels of the horizontal ones.
void GridLines(const TRecordingCanvas& canvas, std::vector<double>& xs, std::vector<double>& ys) {
    for (const auto& call : canvas.Of("line", GridColor)) {
        const QPointF a = call.Points.at(0), b = call.Points.at(1);
        if (a.x() == b.x()) xs.push_back(a.x());
        else if (a.y() == b.y()) ys.push_back(a.y());
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
}

QStringList Texts(const TRecordingCanvas& canvas) {
    QStringList texts;
    for (const auto& call : canvas.Calls)
        if (call.Kind == "text") texts << call.Text;
    return texts;
}

int Px(double mm) { return int(Round(mm * ScreenPixelsPerMM)); }
}  // namespace

TEST(PrintField, HeightFollowsTheDocumentAndStaysPut) {
    struct TCase {
        const char* What;
        double Min, Max, Scale;
        bool BottomHeader;
        int StoredHeight;
        int DataHeight;  // the expected height without the headers
    };
    const TCase cases[] = {
        {"0 - 50 m at 0.2 m/mm", 0, 50, 0.2, false, 35, 250},
        {"with the bottom header", 0, 50, 0.2, true, 35, 250},
        {"Max not above Min keeps the stored height", 50, 50, 0.2, false, 40, 40},
        {"Scale 0 keeps the stored height", 0, 50, 0, true, 40, 40},
        {"a stored height of 0 becomes 1 mm", 10, 0, 0.2, false, 0, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument doc;
        doc.SetMin(c.Min);
        doc.SetMax(c.Max);
        doc.SetScale(c.Scale);
        doc.SetShowBottomHeader(c.BottomHeader);
        TPrintField* field = AddField(&doc, 10, 10, 40, "Каротаж");
        AddLineCurve(field, "GR", 0, 100, clRed);
        field->SetHeight(c.StoredHeight);
        doc.PrepareDocument();
        const int header = field->MaxHeaderSize();
        EXPECT_GT(header, 0);
        const int expected = c.DataHeight + header * (c.BottomHeader ? 2 : 1);
        EXPECT_EQ(field->Height(), expected);
        doc.PrepareDocument();
        EXPECT_EQ(field->Height(), expected) << "a second layout changes nothing";
        const QRect client = field->ClientRect();
        EXPECT_EQ(client.top(), 10 + header);
        EXPECT_EQ(client.height(), c.DataHeight);
    }
}

TEST(PrintField, A12MillimetreHeader) {
    // A caption font that makes the header 12 mm high: 250 mm of data below
    // it. The track's font is Arial; with another face no size may give 12 mm.
    ASSERT_TRUE(FontResolvesAsMeasured(QStringLiteral("Arial")));
    for (const bool bottom : {false, true}) {
        TSketchDocument doc;
        doc.SetShowBottomHeader(bottom);
        TPrintField* field = AddField(&doc, 10, 10, 40, "Каротаж");
        AddLineCurve(field, "GR", 0, 100, clRed);
        for (int height = 10; height < 80 && field->GetMaxHdrSize(TBitmapDevice(), 0) != 12; ++height)
            field->HeaderFont()->SetHeight(-height);
        ASSERT_EQ(field->GetMaxHdrSize(TBitmapDevice(), 0), 12);
        doc.PrepareDocument();
        doc.PrepareDocument();
        EXPECT_EQ(field->Height(), bottom ? 274 : 262);
    }
}

TEST(PrintField, TracksOfOneParentShareTopAndHeader) {
    TSketchDocument doc;
    TPrintField* a = AddField(&doc, 10, 10, 40, "Каротаж");
    for (const char* gid : {"GR", "RES", "SP"}) AddLineCurve(a, gid, 0, 100, clRed);
    TPrintField* b = AddField(&doc, 50, 30, 40);
    doc.PrepareDocument();
    EXPECT_EQ(a->Top(), 30);
    EXPECT_EQ(b->Top(), 30);
    TBitmapDevice device;
    EXPECT_EQ(a->MaxHeaderSize(), a->GetMaxHdrSize(device, 0));
    EXPECT_EQ(b->MaxHeaderSize(), a->MaxHeaderSize()) << "the larger header is shared";
    EXPECT_EQ(b->Height(), a->Height());
    EXPECT_EQ(b->ClientRect().top(), a->ClientRect().top());
    a->SetTop(12);
    EXPECT_EQ(b->Top(), 12);

    // A sub-track lies at its parent's top; the parent's header grows by the sub-header.
    const int before = a->MaxHeaderSize();
    TPrintField* sub = AddField(a, 5, 7, 10, "Sub");
    doc.PrepareDocument();
    EXPECT_EQ(sub->Top(), 0);
    EXPECT_GT(a->MaxHeaderSize(), before);
    EXPECT_EQ(b->MaxHeaderSize(), a->MaxHeaderSize());
    EXPECT_EQ(sub->ClientRect().top(), a->ClientRect().top());
    EXPECT_EQ(sub->Height(), a->Height());
}

TEST(PrintField, GridLines) {
    struct TCase {
        const char* What;
        int Width, Decades;
        bool Log;
        double Step;
        std::vector<double> ColumnsMM;  // vertical lines, relative to the track's left
        int Rows;                       // horizontal lines
    };
    std::vector<double> logLines;
    for (int decade = 0; decade < 2; ++decade)
        for (int k = 1; k <= 10; ++k) logLines.push_back((decade + std::log10(double(k))) * 17.5);
    const TCase cases[] = {
        {"35 mm, 10 columns", 35, 10, false, 10, {3.5, 7, 10.5, 14, 17.5, 21, 24.5, 28, 31.5}, 5},
        {"one column has no inner line", 35, 1, false, 10, {}, 5},
        {"no columns draws no vertical lines", 35, 0, false, 10, {}, 5},
        {"log, 2 decades", 35, 2, true, 10, logLines, 5},
        {"no log lines for 0 decades", 35, 0, true, 10, {}, 5},
        {"a step finer than a pixel draws no rows", 35, 10, false, 0.01, {3.5, 7, 10.5, 14, 17.5, 21, 24.5, 28, 31.5}, 0},
        {"step 0 draws no rows", 35, 1, false, 0, {}, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument doc;
        SetUpDepthDocument(doc, 0, 50, 0.2, c.Step);
        TPrintField* field = AddField(&doc, 10, 10, c.Width);
        field->SetDecades(c.Decades);
        if (c.Log) field->SetFlags(field->Flags() | TFieldFlags{TFieldFlag::ffLogarithmic});
        TRecordingCanvas canvas;
        RenderPages(doc, canvas);
        std::vector<double> xs, ys;
        GridLines(canvas, xs, ys);
        ASSERT_EQ(xs.size(), c.ColumnsMM.size());
        for (size_t i = 0; i < xs.size(); ++i) EXPECT_NEAR(xs[i], Px(10 + c.ColumnsMM[i]), 1) << i;
        ASSERT_EQ(int(ys.size()), c.Rows);
        for (int i = 0; i < c.Rows; ++i) EXPECT_NEAR(ys[size_t(i)], Px(10 + i * 50), 1) << "a row every 10 m";
    }
}

TEST(PrintField, ValueMarks) {
    struct TCase {
        const char* What;
        int DataClass;
        double Min, Max, Scale, Step;
        QStringList Expected;
    };
    const TCase cases[] = {
        {"depth", 1, 0, 50, 0.2, 10, {"10", "20", "30", "40"}},
        {"time with a step of one day: dates only", 0, 45000, 45002, 0.01, 1, {"16.03.2023"}},
        {"time with an hourly step: times, and the date at each new day", 0, 45000.75, 45001.25, 1.0 / 240, 1.0 / 24,
         {"19:00", "15.03.2023", "20:00", "21:00", "22:00", "23:00", "00:00", "16.03.2023", "01:00", "02:00", "03:00",
          "04:00", "05:00"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument doc;
        SetUpDepthDocument(doc, c.Min, c.Max, c.Scale, c.Step);
        doc.SetDataClass(c.DataClass);
        TPrintField* field = AddField(&doc, 10, 10, 40);
        field->SetFlags(TFieldFlags{TFieldFlag::ffShowGridMarks});
        TRecordingCanvas canvas;
        RenderPages(doc, canvas);
        EXPECT_EQ(Texts(canvas), c.Expected);
    }
}

namespace {
struct THitFixture {
    THitFixture() {
        SetUpDepthDocument(Doc, 0, 100, 0.5, 10);
        Field = AddField(&Doc, 10, 10, 60, "Каротаж");
        GR = AddLineCurve(Field, "GR", 0, 100, clRed);
        RES = AddLineCurve(Field, "RES", 0, 100, clBlue);
        View.resize(600, 500);
        View.SetMainView(true);
        View.SetDocument(&Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Changed(dcContents);
    }
    ~THitFixture() { View.SetDocument(nullptr); }
    // The window pixel at x mm and y pixels below the track's header top.
    QPoint Header(double x, int dy) const {
        const QPoint top = View.Device().AbsPrj(x, Field->Bounds().top());
        return {top.x(), top.y() + dy};
    }
    int CaptionHeight() const { return View.Device().TextHeight(*Field->HeaderFont(), Field->Caption()); }
    TSketchDocument Doc;
    TPrintField* Field;
    TPrintLineSeries *GR, *RES;
    TSketchView View;
};
}  // namespace

TEST(PrintField, HitsAndActions) {
    THitFixture f;
    const int caption = f.CaptionHeight();
    const int band = f.GR->GetHeaderSize(f.View.Device(), 1);
    ASSERT_GT(caption, 0);
    ASSERT_GT(band, 0);
    const QPoint data = f.View.Device().AbsPrj(40, f.Field->PrjVertValueToMM(50));
    struct TCase {
        const char* What;
        QPoint At;
        Qt::KeyboardModifiers Shift;
        TPrintItem* Hit;
        TPrintEditActions HitAction, UserAction;
    };
    const TCase cases[] = {
        {"the caption hits nothing", f.Header(40, caption / 2), {}, nullptr, {}, {}},
        {"the first curve's header line", f.Header(40, caption + band / 2), {}, f.GR, {saSetup}, {saSetup}},
        {"the second curve's header line", f.Header(40, caption + band + band / 2), {}, f.RES, {saSetup}, {saSetup}},
        {"the data area", data, {}, f.Field, {}, {saNone}},
        {"the data area with Ctrl lets the view open the setup", data, Qt::ControlModifier, f.Field, {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TPrintEditActions action{saMove};
        EXPECT_EQ(f.Field->GetHitItem(&f.View, c.At.x(), action, c.At.y()), c.Hit);
        EXPECT_EQ(action, c.HitAction);
        EXPECT_EQ(f.Field->GetUserAction(&f.View, c.At.x(), c.At.y(), c.Shift), c.UserAction);
    }

    // A sub-track answers nothing above its own header band.
    TPrintField* sub = AddField(f.Field, 0, 0, 20, "Sub");
    f.Doc.Changed(dcContents);
    TPrintEditActions action{saMove};
    EXPECT_EQ(sub->GetHitItem(&f.View, f.Header(15, 1).x(), action, f.Header(15, 1).y()), nullptr);
    EXPECT_TRUE(action.Empty());
    delete sub;
    f.Doc.Changed(dcContents);

    // Clicking a curve's header line opens that curve's setup; in the designer the view decides.
    QList<TPrintItem*> setups;
    const TItemSetupDialog old = SetItemSetupDialog([&](TPrintItem& item, TRenderDevice*) {
        setups << &item;
        return false;
    });
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, f.Header(40, caption + band + band / 2));
    EXPECT_EQ(setups, (QList<TPrintItem*>{f.RES}));
    f.Doc.SetIsDesigner(true);
    EXPECT_TRUE(f.Field->GetUserAction(&f.View, data.x(), data.y(), {}).Empty());
    SetItemSetupDialog(old);
}
