// Index-anchored items: comments (anchor, clip and alignment of their text,
// text conversion, merging paste, moving, emptying), layers (colour rule,
// adding with the mouse), and the annotated well-log page as a picture.
#include "WellLogTestSupport.h"

#include "ItemSetup.h"
#include "PrintComments.h"
#include "PrintLabels.h"
#include "PrintTables.h"
#include "PrintView.h"
#include "UIServices.h"

#include <QTest>
#include <cmath>
#include <map>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
struct TCommentView {
    TCommentView() {
        SetUpDepthDocument(Doc, 1000, 1100, 0.5, 10);
        Field = AddTrack(&Doc, 10, 10, 80);
        Root = new TPrintCommentsRoot(Field);
        Comment = AddComment(Root, 5, 1040, "Приток");
        View.resize(600, 600);
        View.SetMainView(true);
        View.SetDocument(&Doc);
        View.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&View));
        Doc.Changed(dcContents);
    }
    ~TCommentView() { View.SetDocument(nullptr); }
    TPrintComment* Find(const QUuid& id) { return qobject_cast<TPrintComment*>(Doc.FindItem(id)); }
    TSketchDocument Doc;
    TPrintField* Field;
    TPrintCommentsRoot* Root;
    TPrintComment* Comment;
    TSketchView View;
};
}  // namespace

TEST(PrintComments, AnchorFollowsScaleAndRange) {
    TSketchDocument doc;
    SetUpDepthDocument(doc, 1000, 2000, 1, 100);
    TPrintField* field = AddTrack(&doc, 10, 10, 60);
    auto* root = new TPrintCommentsRoot(field);
    doc.PrepareDocument();
    const double top = field->ClientRect().top();
    auto* comment = new TPrintComment(root, TFloatPoint{30, top + 500});
    EXPECT_DOUBLE_EQ(comment->YOffset(), 1500);
    EXPECT_DOUBLE_EQ(comment->XOffset(), 20);
    for (const auto& [min, scale] : std::vector<std::pair<double, double>>{{1000, 0.5}, {1400, 0.5}, {0, 2}}) {
        doc.SetMin(min);
        doc.SetMax(2000);
        doc.SetScale(scale);
        doc.PrepareDocument();
        EXPECT_DOUBLE_EQ(comment->YOffset(), 1500);
        EXPECT_DOUBLE_EQ(comment->GetAbsFPos().y, field->ClientRect().top() + (1500 - min) / scale);
        EXPECT_DOUBLE_EQ(comment->GetAbsFPos().x, 30);
    }
}

TEST(PrintComments, TextBecomesComments) {
    struct TCase {
        const char* What;
        int DataClass;
        QString Text;
        std::vector<std::pair<double, QString>> Expected;
    };
    const TDateTime today = 45000;  // 15.03.2023
    const TCase cases[] = {
        {"depth: numbers, letters skipped", 1, "1500\tПласт A\r\nabc\tтекст\n1600\t \n1700 без табуляции\n1525.5\tB\tC",
         {{1500, "Пласт A"}, {1525.5, "B\tC"}}},
        {"time: a time of day is taken on the clock's day", 0, "12:30\tСмена\n15.03.2023 06:00\tУтро\nxx\ty",
         {{today + 0.5 + 1.0 / 48, "Смена"}, {today + 0.25, "Утро"}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument doc;
        doc.SetDataClass(c.DataClass);
        doc.SetClock([&] { return today + 0.9; });
        auto* root = new TPrintCommentsRoot(AddTrack(&doc, 0, 0, 40));
        QList<TPrintItem*> objects;
        root->TryConvertTextToObjects(c.Text, objects);
        ASSERT_EQ(objects.size(), qsizetype(c.Expected.size()));
        for (size_t i = 0; i < c.Expected.size(); ++i) {
            auto* comment = qobject_cast<TPrintComment*>(objects[qsizetype(i)]);
            ASSERT_NE(comment, nullptr);
            EXPECT_NEAR(comment->YOffset(), c.Expected[i].first, 1e-9);
            EXPECT_EQ(comment->Comment(), c.Expected[i].second);
            EXPECT_EQ(comment->XOffset(), 0.0);
            EXPECT_TRUE(comment->Clip());
        }
        qDeleteAll(objects);
    }
}

TEST(PrintComments, PastedRootsMergeIntoTheTracksRoot) {
    auto ui = std::make_shared<TScriptedUIServices>();
    const auto old = SetUIServices(ui);
    TSketchDocument doc;
    doc.SetIsDesigner(true);
    TPrintField* field = AddTrack(&doc, 10, 10, 60);
    auto* root = new TPrintCommentsRoot(field);
    AddComment(root, 1, 10, "Свой");
    TPrintCommentsRoot copied;
    AddComment(&copied, 2, 20, "Первый");
    AddComment(&copied, 3, 30, "Второй");
    ui->Clipboard().SetAsText(copied.GetAsText() + "\r\nяя");
    doc.PrepareDocument();
    field->Select(true);
    doc.PasteFromClipboard();
    auto texts = [&] {
        QStringList list;
        for (TPrintComment* c : root->Comments()) list << c->Comment();
        return list;
    };
    int roots = 0;
    for (TPrintItem* item : field->Items()) roots += qobject_cast<TPrintCommentsRoot*>(item) != nullptr;
    EXPECT_EQ(roots, 1) << "the pasted root merged";
    EXPECT_EQ(texts(), (QStringList{"Свой", "Первый", "Второй"}));
    doc.Undo();
    EXPECT_EQ(texts(), QStringList{"Свой"});
    doc.Redo();
    EXPECT_EQ(texts(), (QStringList{"Свой", "Первый", "Второй"}));
    // A track without a root takes the pasted root itself.
    TPrintField* other = AddTrack(&doc, 80, 10, 40);
    doc.DeselectAll();
    doc.PrepareDocument();
    other->Select(true);
    doc.PasteFromClipboard();
    ASSERT_EQ(other->ItemCount(), 1);
    EXPECT_EQ(qobject_cast<TPrintCommentsRoot*>(other->Items()[0])->Comments().size(), 2);
    SetUIServices(old);
}

TEST(PrintComments, MovedWithTheMouseUndoneAndRedone) {
    TCommentView f;
    const QUuid id = f.Comment->ID();
    const QRect r = f.Comment->GetAbsBounds(f.View.Device());
    ASSERT_FALSE(r.isEmpty());
    const QPoint border(r.left() + 1, r.center().y());
    EXPECT_EQ(f.Comment->GetUserAction(&f.View, border.x(), border.y(), {}), (TPrintEditActions{saMove}));
    EXPECT_EQ(f.Comment->GetUserAction(&f.View, r.center().x(), r.center().y(), {}), (TPrintEditActions{saSetup}));
    EXPECT_TRUE(f.Comment->GetUserAction(&f.View, r.right() + 5, r.center().y(), {}).Empty());
    QTest::mousePress(&f.View, Qt::LeftButton, {}, border);
    ASSERT_NE(f.Doc.CurAction(), nullptr);
    QTest::mouseMove(&f.View, border + QPoint(20, 40));
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, border + QPoint(20, 40));
    ASSERT_EQ(f.Doc.DoneCount(), 1);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Переместить комментарий");
    const double mmPerPixel = 1 / f.View.Device().YResScl();
    const TPrintComment* moved = f.Find(id);
    EXPECT_NEAR(moved->YOffset(), 1040 + 40 * mmPerPixel * 0.5, 0.5);
    EXPECT_NEAR(moved->XOffset(), 5 + 20 * mmPerPixel, 0.6);
    const double x = moved->XOffset(), y = moved->YOffset();
    f.Doc.Undo();
    EXPECT_EQ(f.Find(id)->XOffset(), 5.0);
    EXPECT_EQ(f.Find(id)->YOffset(), 1040.0);
    f.Doc.Redo();
    EXPECT_EQ(f.Find(id)->XOffset(), x);
    EXPECT_EQ(f.Find(id)->YOffset(), y);

    // Pressed and released on the spot: nothing changes.
    const QRect again = f.Find(id)->GetAbsBounds(f.View.Device());
    QTest::mouseClick(&f.View, Qt::LeftButton, {}, QPoint(again.left() + 1, again.center().y()));
    EXPECT_EQ(f.Doc.DoneCount(), 1);
}

TEST(PrintComments, AnEmptiedCommentIsDeletedUndoably) {
    TCommentView f;
    const QUuid id = f.Comment->ID();
    const TItemSetupDialog old = SetItemSetupDialog([](TPrintItem& item, TRenderDevice*) {
        qobject_cast<TPrintComment*>(&item)->SetComment("  ");
        return true;
    });
    const QRect r = f.Comment->GetAbsBounds(f.View.Device());
    f.Comment->DoUserAction(&f.View, {saSetup}, r.center().x(), r.center().y(), {});
    SetItemSetupDialog(old);
    EXPECT_EQ(f.Doc.FindItem(id), nullptr);
    f.Doc.Undo();
    ASSERT_NE(f.Find(id), nullptr);
    EXPECT_EQ(f.Find(id)->Comment(), "Приток");
}

TEST(PrintComments, LayersAddedWithTheMouseAndTheirColourRule) {
    TPrintCollector layer;
    layer.SetShownColor(clYellow);
    EXPECT_EQ(int(layer.Color()), 0xFF0000) << "yellow on white is stored as its exclusive-or";
    EXPECT_EQ(layer.ShownColor(), clYellow);

    TCommentView f;
    f.Doc.SetCurAction(new TPrintAddCollectorAction(&f.Doc));
    const QPoint from = f.View.Device().AbsPrj(40, f.Field->PrjVertValueToMM(1020));
    const QPoint to = f.View.Device().AbsPrj(40, f.Field->PrjVertValueToMM(1030));
    QTest::mousePress(&f.View, Qt::LeftButton, {}, from);
    QTest::mouseMove(&f.View, to);
    EXPECT_EQ(f.View.Device().Frames().size(), 1) << "the band is in the view's frame list";
    QTest::mouseRelease(&f.View, Qt::LeftButton, {}, to);
    EXPECT_TRUE(f.View.Device().Frames().isEmpty());
    TPrintCollector* added = nullptr;
    for (TPrintItem* item : f.Field->Items())
        if (auto* c = qobject_cast<TPrintCollector*>(item)) added = c;
    ASSERT_NE(added, nullptr);
    EXPECT_NEAR(added->Start(), 1020, 0.6);
    EXPECT_NEAR(added->Stop(), 1030, 0.6);
    EXPECT_EQ(f.Doc.LastDone()->GetName(), "Добавить пласт");
    const QUuid id = added->ID();
    f.Doc.Undo();
    EXPECT_EQ(f.Doc.FindItem(id), nullptr);
    f.Doc.Redo();
    ASSERT_NE(f.Doc.FindItem(id), nullptr);
    EXPECT_EQ(f.Doc.FindItem(id)->GetParent(), f.Field);

    // Outside a track the action cancels.
    f.Doc.SetCurAction(new TPrintAddCollectorAction(&f.Doc));
    QTest::mousePress(&f.View, Qt::LeftButton, {}, f.View.Device().AbsPrj(150, 50));
    EXPECT_EQ(f.Doc.CurAction(), nullptr);
    EXPECT_EQ(f.Doc.DoneCount(), 1);
}

TEST(PrintComments, TextKeepsToItsTrackUnlessFreeAndFollowsItsAlignment) {
    struct TCase {
        const char* What;
        bool Clip;
        TPrintComment::TTextAlign Align;
    };
    const TCase cases[] = {
        {"clipped, left", true, TPrintComment::taLeftJustify},
        {"free, right", false, TPrintComment::taRightJustify},
        {"free, centre", false, TPrintComment::taCenter},
    };
    // How far the short second line starts right of the long first one.
    std::map<int, double> indent;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TSketchDocument doc;
        SetUpDepthDocument(doc, 0, 100, 0.5, 10);  // the track fits on the first page
        TPrintField* field = AddTrack(&doc, 10, 20, 40);
        TPrintComment* comment = AddComment(new TPrintCommentsRoot(field), 30, 50, "Водонефтяной контакт\nВНК");
        comment->SetClip(c.Clip);
        comment->SetTextAlign(c.Align);
        TRecordingCanvas canvas(96, {1000, 1300});
        RenderPages(doc, canvas);
        std::map<QString, TRecordingCanvas::TCall> lines;
        for (const auto& call : canvas.Calls)
            if (call.Kind == "text") lines[call.Text] = call;
        ASSERT_EQ(lines.count("Водонефтяной контакт"), 1u);
        ASSERT_EQ(lines.count("ВНК"), 1u);
        const TRecordingCanvas::TCall &wide = lines["Водонефтяной контакт"], &narrow = lines["ВНК"];
        const auto px = [](double mm) { return mm * ScreenPixelsPerMM; };
        const QRect client = field->ClientRect();
        ASSERT_FALSE(wide.Clip.isEmpty());
        if (c.Clip) {
            EXPECT_NEAR(wide.Clip.right(), px(client.left() + client.width()), 2) << "cut at the track's edge";
        } else {
            EXPECT_NEAR(wide.Clip.left(), 0, 1) << "across the page";
            EXPECT_NEAR(wide.Clip.right(), px(210), 2);
        }
        EXPECT_NEAR(wide.Clip.top(), px(client.top()), 2);
        EXPECT_NEAR(wide.Clip.bottom(), px(client.top() + client.height()), 2);
        EXPECT_NEAR(wide.Points[0].x(), px(field->GetAbsLeft() + 30), 2) << "the widest line starts at the anchor";
        EXPECT_GT(narrow.Points[0].y(), wide.Points[0].y());
        indent[c.Align] = narrow.Points[0].x() - wide.Points[0].x();
    }
    EXPECT_NEAR(indent[TPrintComment::taLeftJustify], 0, 1);
    EXPECT_GT(indent[TPrintComment::taRightJustify], 40) << "the short line ends where the long one does";
    EXPECT_NEAR(indent[TPrintComment::taCenter], indent[TPrintComment::taRightJustify] / 2, 1.5);
}

TEST(LayoutAnnotations, LayoutAnnotationsRender) {
    TSketchDocument doc;
    SetUpDepthDocument(doc, 0, 100, 0.2, 10);
    TPrintField* field = AddTrack(&doc, 10, 20, 60);
    field->SetCaption("Разрез");
    auto* layer = new TPrintCollector(field);
    layer->SetStart(20);
    layer->SetStop(30);
    layer->SetShownColor(clYellow);
    auto* label = new TPrintLabel(&doc);
    label->SetLeft(120);
    label->SetTop(5);
    label->SetCaption("Скважина 7, куст 3");
    label->SetEveryPage(true);
    label->Font()->SetColor(clFuchsia);
    TDataBlock* block = doc.Blocks().Add();
    block->SetSystemID("LAS");
    block->SetName("well");
    for (const auto& [id, values] : std::vector<std::pair<QString, QStringList>>{
             {"MNEM", {"WELL", "FLD"}}, {"VALUE", {"Скв. 7", "Северное"}}}) {
        auto column = std::make_unique<TStringDataSegment>(id);
        for (const QString& v : values) column->AddData(v);
        block->AddSegment(std::move(column));
    }
    auto* table = new TPrintTable(&doc);
    table->SetLeft(120);
    table->SetTop(40);
    table->SetSystemID("LAS");
    table->SetBlockName("well");
    table->SetHeaderColor(clAqua);
    table->AddField({"MNEM", "Мнемоника", dtString, 0, clWhite});
    table->AddField({"VALUE", "Значение", dtString, 0, clWhite});

    QImage image;
    doc.RenderBMP(image, 96);
    if (const QString dir = ArtifactsDir(); !dir.isEmpty()) image.save(dir + "/annotations.png");
    ASSERT_EQ(doc.PageCount(), 2);
    const auto px = [](double mm) { return int(Round(mm * ScreenPixelsPerMM)); };
    const QRect client = field->ClientRect();
    int yellow = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(255, 255, 0)) {
                ++yellow;
                ASSERT_TRUE(x >= px(client.left()) && x <= px(client.left() + client.width()))
                    << "yellow at " << x << ", " << y;
                const double depth = field->PrjVertMMToValue(y / ScreenPixelsPerMM);
                ASSERT_TRUE(depth > 19.7 && depth < 30.3) << "yellow at " << depth << " m";
            }
    EXPECT_GT(yellow, 100 * 10);
    // The label on both pages at the same offset.
    const int page = px(297);
    for (const int p : {0, 1}) {
        int fuchsia = 0;
        for (int y = p * page + px(4); y < p * page + px(12); ++y)
            for (int x = px(118); x < std::min(image.width(), px(200)); ++x) {
                const QColor c = image.pixelColor(x, y);
                fuchsia += c.red() > 200 && c.green() < 80 && c.blue() > 200;
            }
        EXPECT_GT(fuchsia, 20) << "page " << p + 1;
    }
    // The table's header band in aqua.
    const double h = table->HeaderHeight();
    int aqua = 0;
    for (int y = px(40); y < px(40 + h); ++y)
        for (int x = px(120); x < px(150); ++x) aqua += image.pixelColor(x, y) == QColor(0, 255, 255);
    EXPECT_GT(aqua, 100);
    EXPECT_EQ(table->Height(), int(std::ceil(h + 2 * table->LineHeight())));
}
