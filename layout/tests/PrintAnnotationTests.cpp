// Labels, pictures, panels and tables: sizes, text corners, labels on every
// page, data binding, and items made from the clipboard.
#include "WellLogTestSupport.h"

#include "ClipboardFormats.h"
#include "PrintComments.h"
#include "PrintLabels.h"
#include "PrintPictures.h"
#include "PrintTables.h"
#include "UIServices.h"

#include <QFontMetrics>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
int CeilMM(double pixels) { return int(std::ceil(pixels / ScreenPixelsPerMM)); }

struct TUIFixture {
    TUIFixture() : UI(std::make_shared<TScriptedUIServices>()), Old(SetUIServices(UI)) { ResetAnnotationDefaults(); }
    ~TUIFixture() {
        SetUIServices(Old);
        ResetAnnotationDefaults();
    }
    std::shared_ptr<TScriptedUIServices> UI;
    std::shared_ptr<IUIServices> Old;
};

// A clipboard offering text and a picture at once, as programs that copy a
// picture often do.
struct TTextAndPictureUI : TScriptedUIServices {
    struct TBoth : TMemoryClipboard {
        QImage Picture;
        QImage GetImage() const override { return Picture; }
    } Both;
    IClipboard& Clipboard() override { return Both; }
};
}  // namespace

TEST(PrintAnnotations, LabelSizesItselfToItsText) {
    TUIFixture ui;
    TPrintDocument doc;
    auto* label = new TPrintLabel(&doc);
    EXPECT_EQ(label->Caption(), "[Пустая строка]");
    EXPECT_EQ(label->GetBounds().size(), QSize(40, 5));
    const QFontMetrics metrics(label->Font()->ToQFont());
    const int line = metrics.height();
    struct TCase {
        const char* What;
        QString Caption;
        int Angle;
        QSize Expected;
    };
    const TCase cases[] = {
        {"one line", "Скважина 7", 0, {CeilMM(metrics.horizontalAdvance("Скважина 7")), CeilMM(line)}},
        {"several lines: the widest, all lines high", "a\r\nШирокая строка\nb", 0,
         {CeilMM(metrics.horizontalAdvance("Широкая строка")), CeilMM(3 * line)}},
        {"turned by 90 degrees: width and height swap", "Скважина 7", 90,
         {CeilMM(line), CeilMM(metrics.horizontalAdvance("Скважина 7"))}},
        {"turned by 270 degrees", "a\nab", 270, {CeilMM(2 * line), CeilMM(metrics.horizontalAdvance("ab"))}},
        {"empty: 10 mm wide, a line high", "", 0, {10, CeilMM(line)}},
        {"a text 1 mm or less wide becomes 40 mm wide", QString(QChar(0x200B)), 0, {40, CeilMM(line)}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        label->SetCaption(c.Caption);
        label->SetTextAngle(c.Angle);
        doc.PrepareDocument();
        EXPECT_EQ(label->GetBounds().size(), c.Expected);
    }
    // Labels and comments placed at a point take what the dialogs chose
    // last, until reset; items read from text never depend on it.
    TFont chosen;
    chosen.SetName("DejaVu Sans");
    chosen.SetSize(20);
    SetLastLabelFont(chosen);
    SetLastCommentFont(chosen);
    SetLastCommentNoClip(true);
    EXPECT_EQ(TPrintLabel(nullptr, TFloatPoint{1, 1}).Font()->Size(), 20);
    EXPECT_EQ(TPrintComment(nullptr, TFloatPoint{1, 1}).Font()->Size(), 20);
    EXPECT_FALSE(TPrintComment(nullptr, TFloatPoint{1, 1}).Clip());
    EXPECT_EQ(TPrintLabel().Font()->Size(), 12);
    TPrintLabel plain;
    plain.Font()->SetSize(20);
    const QString text = plain.GetAsText();
    ResetAnnotationDefaults();
    EXPECT_EQ(qobject_cast<TPrintLabel*>(ItemFromText(text).get())->Font()->Size(), 20);
    EXPECT_EQ(TPrintLabel(nullptr, TFloatPoint{1, 1}).Font()->Size(), 12);
    EXPECT_TRUE(TPrintComment(nullptr, TFloatPoint{1, 1}).Clip());
}

TEST(PrintAnnotations, TextStartsAtTheCornerTheAngleDictates) {
    struct TCase {
        int Angle;
        QPointF Corner;  // in millimetres, of the rectangle 20, 20 .. 20 + w, 20 + h
    };
    for (const int angle : {0, 90, 180, 270}) {
        SCOPED_TRACE(angle);
        TPrintDocument doc;
        auto* label = new TPrintLabel(&doc);
        label->SetLeft(20);
        label->SetTop(20);
        label->SetCaption("Текст");
        label->SetTextAngle(angle);
        TRecordingCanvas canvas;
        RenderPages(doc, canvas);
        const QRect b = label->Bounds();
        const double l = b.left(), t = b.top(), r = l + b.width(), bottom = t + b.height();
        const QPointF corner = angle == 0 ? QPointF(l, t) : angle == 90 ? QPointF(l, bottom) : angle == 180 ? QPointF(r, bottom) : QPointF(r, t);
        std::vector<QPointF> starts;
        for (const auto& call : canvas.Calls)
            if (call.Kind == "text") starts.push_back(call.Points[0]);
        ASSERT_EQ(starts.size(), 1u);
        // The baseline starts one ascent inside the corner, towards the text's own bottom.
        const double ascent = QFontMetrics(label->Font()->ToQFont()).ascent();
        const QPointF down = angle == 0 ? QPointF(0, ascent) : angle == 90 ? QPointF(ascent, 0)
                           : angle == 180 ? QPointF(0, -ascent) : QPointF(-ascent, 0);
        const QPointF expected = corner * ScreenPixelsPerMM + down;
        EXPECT_NEAR(starts[0].x(), expected.x(), 2.5);
        EXPECT_NEAR(starts[0].y(), expected.y(), 2.5);
    }
}

TEST(PrintAnnotations, EveryPageLabelsRepeatAtTheSameOffset) {
    TPrintDocument doc;
    doc.SetIsFixedPageSize(true);
    doc.SetStrPageSize("A4, 210mm x 297mm");
    doc.SetIsDesigner(true);
    AddFill(&doc, 0, 800, 10, 10);
    auto* label = new TPrintLabel(&doc);
    label->SetLeft(120);
    label->SetTop(5);
    label->SetCaption("Лист");
    label->SetEveryPage(true);
    TRecordingCanvas canvas(96, {1000, 4000});
    RenderPages(doc, canvas);
    ASSERT_EQ(doc.PageCount(), 3);
    std::vector<double> ys;
    for (const auto& call : canvas.Calls)
        if (call.Kind == "text" && call.Text == "Лист") ys.push_back(call.Points[0].y());
    ASSERT_EQ(ys.size(), 3u);
    const double page = Round(297 * ScreenPixelsPerMM);
    EXPECT_NEAR(ys[1] - ys[0], page, 1.5);
    EXPECT_NEAR(ys[2] - ys[1], page, 1.5);
    int tints = 0;
    for (const auto& call : canvas.Calls) tints += call.Kind == "rect" && call.Rect.left() > 100 * ScreenPixelsPerMM;
    EXPECT_EQ(tints, 1) << "the designer tint only on the first page";
}

TEST(PrintAnnotations, SystemAndDataLabels) {
    TSketchDocument doc;
    auto* scale = new TPrintSysLabel(&doc);
    scale->SetSysVarType(7);
    auto* well = new TPrintDBLabel(&doc);
    well->SetSourceID("SYS");
    well->SetBlockName("Header");
    well->SetGID("WELL");
    well->SetName("Скважина");
    well->SetGroup("G1");
    doc.PrepareDocument();
    EXPECT_EQ(scale->Caption(), "1:200");
    EXPECT_EQ(well->Caption(), "[Скважина]") << "without blocks the parameter's name in brackets";
    EXPECT_EQ(well->FrameColor(), 1823u);
    QStringList gids;
    doc.RegisterParams("SYS", "G1", gids);
    doc.RegisterParams("SYS", "G1", gids);
    EXPECT_EQ(gids, QStringList{"WELL"});
    TDataBlock* block = doc.Blocks().Add();
    block->SetSourceID("SYS");
    block->SetName("Header");
    block->SetGroup("G1");
    auto column = std::make_unique<TStringDataSegment>(QStringLiteral("WELL"));
    column->AddData(QStringLiteral("Скв. 7"));
    block->AddSegment(std::move(column));
    doc.PrepareDocument();
    EXPECT_EQ(well->Caption(), "Скв. 7");
    EXPECT_EQ(TPrintSysLabel().SupportsClipboardFormat({CF_TEXT}), -1);
    EXPECT_EQ(TPrintDBLabel().SupportsClipboardFormat({CF_TEXT}), -1);
}

namespace {
struct TTableFixture {
    TTableFixture() {
        TDataBlock* block = Doc.Blocks().Add();
        block->SetSystemID("LAS");
        block->SetName("well.las");
        for (const auto& [id, values] : std::vector<std::pair<QString, QStringList>>{
                 {"MNEM", {"WELL", "COMP", "NULL"}}, {"VALUE", {"Скв. 7", "Буровая компания", "-9999"}}, {"UNIT", {"", "", ""}}}) {
            auto column = std::make_unique<TStringDataSegment>(id);
            for (const QString& v : values) column->AddData(v);
            block->AddSegment(std::move(column));
        }
        Table = new TPrintTable(&Doc);
        Table->SetLeft(120);
        Table->SetTop(40);
        Table->SetSystemID("LAS");
        Table->SetBlockName("well.las");
        Table->SetTableName("well.las");
        Table->AddField({"MNEM", "Мнемоника", dtString, 0, clBlack});
        Table->AddField({"VALUE", "Значение", dtString, 0, clBlack});
        Table->AddField({"UNIT", "Ед.", dtString, 0, clBlack})->SetVisible(false);
    }
    double TextMM(const TFont& font, const QString& text) const {
        return QFontMetrics(font.ToQFont()).horizontalAdvance(text) / ScreenPixelsPerMM;
    }
    TSketchDocument Doc;
    TPrintTable* Table;
};
}  // namespace

TEST(PrintAnnotations, TableSizes) {
    TTableFixture f;
    f.Doc.PrepareDocument();
    const double h = f.Table->HeaderHeight(), l = f.Table->LineHeight();
    ASSERT_GT(h, 0);
    ASSERT_GT(l, 0);
    const QList<TPrintTableField*> fields = f.Table->Fields();
    EXPECT_EQ(fields[0]->Height(), int(std::ceil(h + 3 * l)));
    EXPECT_EQ(f.Table->Height(), int(std::ceil(h + 3 * l))) << "two visible columns over three rows";
    EXPECT_EQ(f.Table->Width(), fields[0]->Width() + fields[1]->Width());
    EXPECT_EQ(fields[1]->Width(), int(std::ceil(f.TextMM(*f.Table->Font(), "Буровая компания") + 2)));
    EXPECT_EQ(fields[1]->Left(), fields[0]->Width());
    QStringList tables;
    f.Doc.RegisterParams("LAS", "", tables);
    EXPECT_EQ(tables, QStringList{"well.las"}) << "the table's block is loaded for its system";

    f.Table->SetVertical(false);
    f.Doc.PrepareDocument();
    const double header = std::max(f.TextMM(*f.Table->HeaderFont(), "Мнемоника"), f.TextMM(*f.Table->HeaderFont(), "Значение")) + 2;
    ASSERT_EQ(f.Table->FieldWidths().size(), 3u);
    EXPECT_NEAR(f.Table->FieldWidths()[1], f.TextMM(*f.Table->Font(), "Буровая компания") + 2, 1e-9);
    double width = header;
    for (const double w : f.Table->FieldWidths()) width += w;
    EXPECT_EQ(f.Table->Width(), int(std::ceil(width)));
    EXPECT_EQ(f.Table->Height(), int(std::ceil(2 * l)));
    EXPECT_TRUE(f.Table->HasState(TPrintItem::psAutosize));

    // Blocks replaced by the host: the table lets go of the old ones.
    TDataBlockList replacement;
    f.Doc.SetBlocks(replacement);
    EXPECT_EQ(f.Table->Block(), nullptr);
    EXPECT_EQ(f.Table->Fields()[0]->Segment(), nullptr);
    f.Table->SetVertical(true);
    f.Doc.PrepareDocument();
    EXPECT_EQ(f.Table->Height(), int(std::ceil(h + l)));

    // A table whose block is missing shows its headers only.
    f.Table->SetVertical(true);
    f.Table->SetBlockName("missing.las");
    f.Doc.PrepareDocument();
    EXPECT_EQ(f.Table->Block(), nullptr);
    EXPECT_EQ(f.Table->Height(), int(std::ceil(h + l)));
    TRecordingCanvas canvas;
    RenderPages(f.Doc, canvas);
    QStringList texts;
    for (const auto& call : canvas.Calls)
        if (call.Kind == "text") texts << call.Text;
    EXPECT_EQ(texts, (QStringList{"Мнемоника", "Значение"}));
}

TEST(PrintAnnotations, ItemsFromTheClipboard) {
    TUIFixture ui;
    TPrintDocument doc;
    EXPECT_EQ(TPrintLabel().SupportsClipboardFormat({CF_BITMAP, CF_DIB}), -1);
    EXPECT_EQ(TPrintImage().SupportsClipboardFormat({CF_TEXT}), -1);
    ui.UI->Clipboard().SetAsText("Скважина 7\nкуст 3");
    doc.PasteFromClipboard();
    ASSERT_EQ(doc.ItemCount(), 1);
    auto* label = qobject_cast<TPrintLabel*>(doc.Items().last());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Caption(), "Скважина 7\nкуст 3");
    const QFontMetrics metrics(label->Font()->ToQFont());
    EXPECT_EQ(label->Height(), CeilMM(2 * metrics.height()));

    struct TCase {
        const char* What;
        int DotsPerMeter;
        QSize Pixels, MM;
    };
    const TCase cases[] = {
        {"at 96 dots per inch", 3780, {378, 189}, {100, 50}},
        {"at 192 dots per inch", 7559, {378, 189}, {51, 26}},
        {"rounded up", 3780, {380, 10}, {101, 3}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        QImage picture(c.Pixels, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        picture.setDotsPerMeterX(c.DotsPerMeter);
        picture.setDotsPerMeterY(c.DotsPerMeter);
        ui.UI->Clipboard().SetImage(picture);
        doc.PasteFromClipboard();
        auto* image = qobject_cast<TPrintImage*>(doc.Items().last());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetBounds().size(), c.MM);
    }
}

TEST(PrintAnnotations, APictureOfferedWithTextIsPastedAsAPicture) {
    const auto ui = std::make_shared<TTextAndPictureUI>();
    const std::shared_ptr<IUIServices> old = SetUIServices(ui);
    ui->Both.SetAsText("https://example.invalid/core.png");
    ui->Both.Picture = QImage(38, 19, QImage::Format_RGB32);
    ui->Both.Picture.fill(Qt::darkGreen);
    ASSERT_EQ(ClipboardFormatNumbers(ui->Both), (QList<int>{CF_TEXT, CF_BITMAP, CF_DIB}));
    TPrintDocument doc;
    doc.PasteFromClipboard();
    ASSERT_EQ(doc.ItemCount(), 1);
    auto* image = qobject_cast<TPrintImage*>(doc.Items().last());
    ASSERT_NE(image, nullptr) << "the picture goes before the text that came with it";
    EXPECT_EQ(image->GetBounds().size(), QSize(11, 6));
    SetUIServices(old);
}

TEST(PrintAnnotations, PicturesAndPanels) {
    TUIFixture ui;
    QTemporaryDir dir;
    TPrintDocument doc;
    auto* image = new TPrintImage(&doc);
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(dir.filePath("p.png")));
    EXPECT_TRUE(image->SetImageFile(dir.filePath("p.png")));
    EXPECT_EQ(image->Image()->Graphic().size(), QSize(40, 20));
    QFile bad(dir.filePath("bad.png"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    EXPECT_FALSE(image->SetImageFile(dir.filePath("bad.png")));
    EXPECT_EQ(image->Image()->Graphic().size(), QSize(40, 20)) << "the picture stays";
    EXPECT_EQ(image->ImageFile(), dir.filePath("p.png"));
    EXPECT_EQ(ui.UI->Messages.size(), 1);
    EXPECT_FALSE(image->SetImageFile(dir.filePath("missing.png")));
    EXPECT_EQ(ui.UI->Messages.size(), 2);

    auto* panel = new TPrintShape(&doc);
    auto* field = new TPrintField(&doc);
    EXPECT_FALSE(panel->AcceptItem(new TPrintLineSeries(field)));
    EXPECT_TRUE(panel->AcceptItem(new TPrintLabel(&doc)));
    EXPECT_TRUE(panel->HasState(TPrintItem::psAcceptItems));
    // Text form round trip keeps the picture.
    const std::unique_ptr<TPrintItem> copy = ItemFromText(image->GetAsText());
    EXPECT_EQ(qobject_cast<TPrintImage*>(copy.get())->Image()->Graphic().pixelColor(3, 3), QColor(Qt::blue));
}
