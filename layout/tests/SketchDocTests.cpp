// The well-log document: defaults and system variables, the data life
// cycle, data groups and parameters, jumps and bookmarks, and the document
// file with its data.
#include "WellLogTestSupport.h"

#include "ItemSetup.h"
#include "PrintView.h"
#include "UIServices.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

TEST(SketchDocument, NewDocumentAndSystemVariables) {
    TSketchDocument doc;
    EXPECT_EQ(doc.DataClass(), 1);
    EXPECT_EQ(doc.PageCount(), 1);
    EXPECT_TRUE(std::isnan(doc.Range().RequestedStart));
    EXPECT_TRUE(std::isnan(doc.Range().RequestedStop));
    EXPECT_TRUE(std::isnan(doc.GetBookmark(0)));
    EXPECT_FALSE(doc.SaveData());

    struct TCase {
        const char* What;
        int DataClass;
        double Min, Max, Scale, Step;
        QString Var7, Var8, Var9;
    };
    const TCase cases[] = {
        {"a new depth document", 1, 0, 50, 0.2, 5, "1:200", "0 - 50", "5"},
        {"depth with fractions", 1, 1200.5, 1300.25, 0.5, 2.5, "1:500", "1200.5 - 1300.25", "2.5"},
        {"time, a minute per millimetre, hourly grid", 0, 45000.5, 45001.25, 1.0 / 1440, 1.0 / 24, "1:60",
         "15.03.23 12:00 - 16.03.23 6:00", "60"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument d;
        d.SetDataClass(c.DataClass);
        d.SetMin(c.Min);
        d.SetMax(c.Max);
        d.SetScale(c.Scale);
        d.SetStep(c.Step);
        EXPECT_EQ(d.GetSysVar(7), c.Var7);
        EXPECT_EQ(d.GetSysVar(8), c.Var8);
        EXPECT_EQ(d.GetSysVar(9), c.Var9);
        EXPECT_EQ(d.GetSysVar(0), "1") << "the base document's variables still answer";
    }
}

TEST(SketchDocument, DataRangeFollowsTheLoadedBlocks) {
    TSketchDocument doc;
    AddBlock(doc, "SRC", "a", {100, 150, 200}, {{"GR", {1, 2, 3}}});
    AddBlock(doc, "SRC", "b", {150, 400}, {{"GR", {1, 2}}});
    AddBlock(doc, "SRC", "empty", {}, {{"GR", {}}});
    doc.AdjustDataRange();
    EXPECT_EQ(doc.Min(), 100.0);
    EXPECT_EQ(doc.Max(), 400.0);

    TSketchDocument none;
    AddBlock(none, "SRC", "empty", {}, {{"GR", {}}});
    none.AdjustDataRange();
    EXPECT_EQ(none.Min(), 0.0);
    EXPECT_EQ(none.Max(), 0.0);

    // A load from the plug-ins takes the range of the data, forgets that the
    // data came from a file and clears the save flag.
    doc.SetMin(0);
    doc.SetMax(10);
    doc.SetSaveData(true);
    doc.SetLoading(true);
    EXPECT_TRUE(doc.GetLoading());
    doc.SetLoading(false);
    EXPECT_FALSE(doc.GetLoading());
    EXPECT_EQ(doc.Min(), 100.0);
    EXPECT_EQ(doc.Max(), 400.0);
    EXPECT_FALSE(doc.SaveData());
    EXPECT_FALSE(doc.LoadedFromForm());
}

TEST(SketchDocument, CurvesAndCommentsBelongInTracks) {
    TSketchDocument doc;
    auto* field = new TPrintField(&doc);
    auto* curve = new TPrintLineSeries(field);
    EXPECT_FALSE(doc.AcceptItem(curve));
    EXPECT_TRUE(doc.AcceptItem(field));
    EXPECT_TRUE(field->AcceptItem(curve));
    EXPECT_TRUE(doc.AcceptItem(AddFill(&doc, 0, 0, 5, 5)));
}

TEST(SketchDocument, ClearGivesAnEmptyDocument) {
    TSketchDocument doc;
    new TPrintField(&doc);
    doc.SetShowBottomHeader(true);
    doc.Clear();
    EXPECT_EQ(doc.ItemCount(), 0);
    EXPECT_EQ(doc.Min(), 0.0);
    EXPECT_EQ(doc.Max(), 0.0);
    EXPECT_EQ(doc.Scale(), 1.0);
    EXPECT_EQ(doc.Step(), 0.0);
    EXPECT_FALSE(doc.ShowBottomHeader());
}

TEST(SketchDocument, GroupsParametersAndParameterValues) {
    TSketchDocument doc;
    auto* field = new TPrintField(&doc);
    AddLineCurve(field, "GR", 0, 100, clRed);
    AddLineCurve(field, "RES", 0, 100, clBlue)->SetGroup("G1");
    auto* digital = new TPrintDigitalSeries(field);
    digital->SetSourceID("OTHER");
    digital->SetGID("ROP");
    digital->SetGroup("G1");
    auto* comments = new TPrintAutoCommentSeries(field);
    comments->SetSourceID("SYS");
    comments->SetBlockName("Events");
    comments->SetGroup("G1");

    QStringList groups;
    doc.RegisterGroups(groups, false);
    EXPECT_EQ(groups, (QStringList{"", "G1"}));
    groups.clear();
    doc.RegisterGroups(groups, true);
    EXPECT_EQ(groups, (QStringList{"G1"}));

    struct TCase {
        QString Source, Group;
        QStringList Expected;
    };
    const TCase cases[] = {
        {"SRC", "", {"GR"}},
        {"SRC", "G1", {"RES"}},
        {"OTHER", "G1", {"ROP"}},
        {"SYS", "G1", {"Events"}},  // the comments' table is loaded for their system
        {"SRC", "G2", {}},
    };
    for (const TCase& c : cases) {
        QStringList params;
        doc.RegisterParams(c.Source, c.Group, params);
        EXPECT_EQ(params, c.Expected) << c.Source.toStdString() << "/" << c.Group.toStdString();
    }

    auto addWell = [&](const QString& name, const QString& well) {
        TDataBlock* block = doc.Blocks().Add();
        block->SetSourceID("SYS");
        block->SetName(name);
        block->SetGroup("G1");
        auto column = std::make_unique<TStringDataSegment>(QStringLiteral("WELL"));
        if (!well.isNull()) column->AddData(well);
        block->AddSegment(std::move(column));
    };
    addWell("Header", "Скв. 12");
    EXPECT_EQ(doc.GetParamValue("SYS", "Header", "WELL", "G1"), "Скв. 12");
    EXPECT_EQ(doc.GetParamValue("SYS", "Header", "COMP", "G1"), "");
    EXPECT_EQ(doc.GetParamValue("SYS", "Header", "WELL", ""), "");
    addWell("Header", QString());
    EXPECT_EQ(doc.GetParamValue("SYS", "Header", "WELL", "G1"), "") << "the last matching block decides";
}

namespace {
struct TJumpFixture {
    TJumpFixture() {
        SetUpDepthDocument(Doc, 0, 1000, 1, 10);
        Field = new TPrintField(&Doc);
        Field->SetLeft(10);
        Field->SetTop(10);
        View.resize(600, 400);
        View.SetMainView(true);
        View.SetDocument(&Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Changed(dcContents);
    }
    ~TJumpFixture() { View.SetDocument(nullptr); }
    TSketchDocument Doc;
    TPrintField* Field;
    TSketchView View;
};
// Positions are read back through the view's pixels.
constexpr double PositionTolerance = 1.0;
}  // namespace

TEST(SketchDocument, JumpsBackAndForward) {
    TJumpFixture f;
    const double start = f.Doc.GetCurrentPosition(&f.View);
    ASSERT_FALSE(std::isnan(start));
    f.Doc.JumpToPosition(&f.View, 100);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 100, PositionTolerance);
    f.Doc.JumpToPosition(&f.View, 500);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 500, PositionTolerance);
    EXPECT_EQ(f.Doc.JumpIndex(), 3);
    ASSERT_EQ(f.Doc.JumpHistory().size(), 3u);
    f.Doc.JumpBack(&f.View);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 100, PositionTolerance);
    f.Doc.JumpForward(&f.View);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 500, PositionTolerance);
    f.Doc.JumpForward(&f.View);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 500, PositionTolerance) << "nothing ahead";
    f.Doc.JumpBack(&f.View);
    f.Doc.JumpBack(&f.View);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), start, PositionTolerance);
    EXPECT_EQ(f.Doc.JumpIndex(), 0);
    f.Doc.JumpBack(&f.View);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), start, PositionTolerance) << "nothing behind";

    // Bookmarks 0 to 9 hold positions; others are ignored.
    f.Doc.JumpToPosition(&f.View, 300);
    f.Doc.SetMarker(&f.View, 3);
    f.Doc.SetMarker(&f.View, 10);
    f.Doc.SetMarker(&f.View, -1);
    EXPECT_NEAR(f.Doc.GetBookmark(3), 300, PositionTolerance);
    EXPECT_TRUE(std::isnan(f.Doc.GetBookmark(10)));
    f.Doc.JumpToPosition(&f.View, 700);
    f.Doc.JumpToMarker(&f.View, 3);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 300, PositionTolerance);
    f.Doc.JumpToMarker(&f.View, 4);
    EXPECT_NEAR(f.Doc.GetCurrentPosition(&f.View), 300, PositionTolerance) << "an unset bookmark does not move";

    // Set bookmarks are drawn in the view.
    f.Doc.SetMarker(&f.View, 3);
    const QImage shot = f.View.grab().toImage();
    int glyph = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) glyph += shot.pixelColor(x, y) == QColor(0x88, 0xA0, 0xF0);
    EXPECT_GT(glyph, 20);
}

TEST(SketchDocument, JumpsNeedATrack) {
    TSketchDocument doc;
    TSketchView view;
    view.SetDocument(&doc);
    EXPECT_TRUE(std::isnan(doc.GetCurrentPosition(&view)));
    doc.JumpToPosition(&view, 100);
    EXPECT_TRUE(doc.JumpHistory().empty());
    doc.SetMarker(&view, 1);
    EXPECT_TRUE(std::isnan(doc.GetBookmark(1)));
    view.SetDocument(nullptr);
}

namespace {
// The raw bytes of a block's columns, for comparing blocks bit for bit.
QByteArray BlockBytes(const TDataBlock& block) {
    QByteArray bytes = block.Name().toUtf8() + block.MainID().toUtf8();
    bytes += QByteArray::number(block.Start(), 'g', 17) + QByteArray::number(block.Stop(), 'g', 17);
    for (int i = 0; i < block.GetCount(); ++i) {
        const TDataSegment* s = block.GetDataSegmentByIndex(i);
        bytes += s->ID().toUtf8() + s->metaObject()->className();
        if (const auto* d = qobject_cast<const TDoubleDataSegment*>(s))
            bytes += QByteArray(reinterpret_cast<const char*>(d->Data()), qsizetype(d->GetCount() * sizeof(double)));
        else
            for (int r = 0; r < s->GetCount(); ++r) bytes += s->GetAsString(r).toUtf8() + '\0';
    }
    return bytes;
}
}  // namespace

TEST(SketchDocument, SavedDataComeBackBitForBit) {
    QTemporaryDir dir;
    const QString file = dir.filePath("log.layout");
    TSketchDocument doc;
    SetUpDepthDocument(doc, 0, 10, 0.1, 1);
    TDataBlock* block = AddBlock(doc, "SRC", "well", {0, 0.1, 0.2, 1.0 / 3, 7}, {{"GR", {1.5, Empty, M_PI, -0.0, 1e-300}}});
    auto text = std::make_unique<TStringDataSegment>(QStringLiteral("NOTE"));
    for (const char* s : {"а", "", "b'c", "d\r\ne", "f"}) text->AddData(QString::fromUtf8(s));
    block->AddSegment(std::move(text));
    auto* field = new TPrintField(&doc);
    TPrintLineSeries* curve = AddLineCurve(field, "GR", 0, 10, clRed);
    TPrintMark* mark = curve->Marks().AddMark();
    mark->SetX(M_PI);
    mark->SetY(1.0 / 3);
    mark->SetUp(true);
    doc.PrepareDocument();

    // Without the save flag neither blocks nor marks go into the file.
    doc.Save(file);
    {
        TSketchDocument plain(nullptr, file);
        EXPECT_EQ(plain.Blocks().Count(), 0);
        auto* loaded = qobject_cast<TPrintLineSeries*>(plain.Items().at(0)->Items().at(0));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->Marks().Count(), 0);
        EXPECT_FALSE(plain.LoadedFromForm());
    }
    EXPECT_EQ(curve->Marks().Count(), 1) << "item texts (undo, copies) keep the marks";
    EXPECT_TRUE(curve->GetAsText().contains("Marks"));

    doc.SetSaveData(true);
    doc.Save(file);
    EXPECT_FALSE(doc.SaveData()) << "a save clears the flag";
    TSketchDocument loaded(nullptr, file);
    EXPECT_TRUE(loaded.LoadedFromForm());
    EXPECT_FALSE(loaded.SaveData());
    ASSERT_EQ(loaded.Blocks().Count(), 1);
    EXPECT_EQ(BlockBytes(*loaded.Blocks().GetBlock(0)), BlockBytes(*block));
    loaded.PrepareDocument();
    EXPECT_FALSE(loaded.GetLoading()) << "data from the file are ready after the first prepare";
    auto* loadedCurve = qobject_cast<TPrintLineSeries*>(loaded.Items().at(0)->Items().at(0));
    ASSERT_NE(loadedCurve, nullptr);
    ASSERT_EQ(loadedCurve->Marks().Count(), 1) << "marks set on data from the file stay";
    const TPrintMark* back = loadedCurve->Marks().GetMark(0);
    const double xs[] = {back->X(), mark->X()}, ys[] = {back->Y(), mark->Y()};
    EXPECT_EQ(std::memcmp(&xs[0], &xs[1], sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&ys[0], &ys[1], sizeof(double)), 0);
    EXPECT_TRUE(back->Up());
    EXPECT_EQ(loadedCurve->BlockCache().size(), 1u) << "the curve drew on the data from the file";

    // Data that came from the file are written again at the next save.
    const QString again = dir.filePath("again.layout");
    loaded.Save(again);
    TSketchDocument second(nullptr, again);
    ASSERT_EQ(second.Blocks().Count(), 1);
    EXPECT_EQ(BlockBytes(*second.Blocks().GetBlock(0)), BlockBytes(*block));
}

TEST(SketchDocument, DepthSubstitutionRebuildsTheCurvesCaches) {
    TSketchDocument doc;
    SetUpDepthDocument(doc, 0, 10, 0.1, 1);
    AddBlock(doc, "SRC", "a", {0, 1, 2}, {{"GR", {1, 2, 3}}, {TVDSegmentID, {0, 0.9, 1.8}}});
    auto* field = new TPrintField(&doc);
    TPrintLineSeries* curve = AddLineCurve(field, "GR", 0, 10, clRed);
    curve->Marks().AddMark();
    TRecordingCanvas canvas;
    RenderPages(doc, canvas);
    ASSERT_EQ(curve->BlockCache().size(), 1u);
    // A block added behind the curve's back is not seen by a plain prepare.
    AddBlock(doc, "SRC", "b", {5, 6, 7}, {{"GR", {1, 2, 3}}, {TVDSegmentID, {4.5, 5.4, 6.3}}});
    doc.PrepareDocument();
    EXPECT_EQ(curve->BlockCache().size(), 1u);

    doc.SetMIDSubst(true);
    EXPECT_TRUE(doc.GetMIDSubst());
    EXPECT_FALSE(doc.LoadedFromForm()) << "the data did not come from a file";
    doc.PrepareDocument();
    ASSERT_EQ(curve->BlockCache().size(), 2u);
    for (const TSeriesCacheEntry& entry : curve->BlockCache())
        EXPECT_EQ(entry.YSegment->ID(), TVDSegmentID) << "indexed by the true vertical depth";
    EXPECT_FALSE(doc.NeedsDataRebuild());
    EXPECT_EQ(doc.Min(), 0.0) << "the range stays: no data were loaded";
    EXPECT_EQ(curve->Marks().Count(), 1) << "marks stay on the same data";
}

TEST(SketchDocument, SetupGoesThroughTheSeam) {
    TSketchDocument doc;
    EXPECT_FALSE(doc.Setup(nullptr)) << "without dialogs nothing changes";
    QStringList asked;
    const TItemSetupDialog old = SetItemSetupDialog([&](TPrintItem& item, TRenderDevice*) {
        asked << item.metaObject()->className();
        return true;
    });
    EXPECT_TRUE(doc.Setup(nullptr));
    SetItemSetupDialog(old);
    EXPECT_EQ(asked, (QStringList{"Plotmere::TSketchDocument"}));
}
