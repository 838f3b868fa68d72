// The platform controls that user forms hold besides labels and panels:
// tool bars and buttons with actions, the timer, the memo, the scroll box,
// the tree view and the grid's mouse handling.
#include "ActnList.h"
#include "ClassRegistry.h"
#include "CodePages.h"
#include "ComponentStreaming.h"
#include "FormTreeView.h"
#include "Grids.h"
#include "ImgList.h"
#include "Memo.h"
#include "ScrollBox.h"
#include "TestSupport.h"
#include "Timers.h"
#include "ToolBars.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {
// A form root with the handlers the stored events name.
class TWidgetForm : public TControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TWidgetForm(QObject* owner = nullptr) : TControl(owner) {}
    Q_INVOKABLE void RunAction(QObject* sender) { Calls << AsComponent(sender)->Name(); }
    Q_INVOKABLE void ButtonClick(QObject* sender) { Calls << AsComponent(sender)->Name(); }
    Q_INVOKABLE void TimerTick(QObject* sender) { Calls << AsComponent(sender)->Name(); }
    QStringList Calls;
};

const char* const ToolForm =
    "object Form1: TWidgetForm\r\n"
    "  Width = 300\r\n"
    "  Height = 200\r\n"
    "  object tbMain: TToolBar\r\n"
    "    Width = 300\r\n"
    "    ButtonWidth = 30\r\n"
    "    Images = ilMain\r\n"
    "    TabOrder = 0\r\n"
    "    object btnB: TToolButton\r\n"
    "      Left = 60\r\n"
    "      Style = tbsCheck\r\n"
    "      Grouped = True\r\n"
    "      OnClick = ButtonClick\r\n"
    "    end\r\n"
    "    object btnA: TToolButton\r\n"
    "      Left = 0\r\n"
    "      Action = actRun\r\n"
    "    end\r\n"
    "    object sep: TToolButton\r\n"
    "      Left = 30\r\n"
    "      Width = 8\r\n"
    "      Style = tbsSeparator\r\n"
    "    end\r\n"
    "    object btnC: TToolButton\r\n"
    "      Left = 90\r\n"
    "      Style = tbsCheck\r\n"
    "      Grouped = True\r\n"
    "      OnClick = ButtonClick\r\n"
    "    end\r\n"
    "    object btnStop: TToolButton\r\n"
    "      Left = 120\r\n"
    "      Action = actStop\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object sb1: TSpeedButton\r\n"
    "    Left = 8\r\n"
    "    Top = 100\r\n"
    "    GroupIndex = 1\r\n"
    "    OnClick = ButtonClick\r\n"
    "  end\r\n"
    "  object sb2: TSpeedButton\r\n"
    "    Left = 40\r\n"
    "    Top = 100\r\n"
    "    Down = True\r\n"
    "    GroupIndex = 1\r\n"
    "  end\r\n"
    "  object ilMain: TImageList\r\n"
    "    Left = 8\r\n"
    "    Top = 8\r\n"
    "  end\r\n"
    "  object alMain: TActionList\r\n"
    "    Images = ilMain\r\n"
    "    object actRun: TAction\r\n"
    "      Caption = #1055#1091#1089#1082\r\n"
    "      Hint = 'Run it'\r\n"
    "      ImageIndex = 2\r\n"
    "      OnExecute = RunAction\r\n"
    "    end\r\n"
    "    object actStop: TAction\r\n"
    "      Caption = 'Stop'\r\n"
    "      Enabled = False\r\n"
    "      OnExecute = RunAction\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

QByteArray PngOf(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "PNG");
    return png;
}

TEST(FormWidgets, ToolBarsButtonsAndActions) {
    TWidgetForm form;
    ReadComponentFromText(QString::fromLatin1(ToolForm), &form);  // no error hook: any unknown line would raise
    auto* bar = form.FindComponentAs<TToolBar>("tbMain");
    ASSERT_TRUE(bar);
    // Buttons line up by their stored Left with the bar's button width.
    QStringList order;
    QList<int> lefts;
    for (TToolButton* b : bar->Buttons()) {
        order << b->Name();
        lefts << b->Left();
    }
    EXPECT_EQ(order, (QStringList{"btnA", "sep", "btnB", "btnC", "btnStop"}));
    EXPECT_EQ(lefts, (QList<int>{0, 30, 38, 68, 98}));
    EXPECT_EQ(bar->Buttons()[0]->Height(), 22);

    // The action's caption, hint and image show on its button; a click runs it.
    auto* btnA = form.FindComponentAs<TToolButton>("btnA");
    EXPECT_EQ(btnA->Caption(), "Пуск");
    EXPECT_EQ(btnA->Hint(), "Run it");
    EXPECT_EQ(btnA->ImageIndex(), 2);
    btnA->Click();
    auto* stop = form.FindComponentAs<TToolButton>("btnStop");
    EXPECT_FALSE(stop->Enabled());
    stop->Click();  // disabled action: nothing
    EXPECT_EQ(form.Calls, QStringList{"actRun"});

    // Grouped check buttons: one down at a time, and the handler is called.
    auto* b = form.FindComponentAs<TToolButton>("btnB");
    auto* c = form.FindComponentAs<TToolButton>("btnC");
    b->Click();
    c->Click();
    EXPECT_FALSE(b->Down());
    EXPECT_TRUE(c->Down());
    c->Click();  // a grouped button stays down without AllowAllUp
    EXPECT_TRUE(c->Down());
    EXPECT_EQ(form.Calls, (QStringList{"actRun", "btnB", "btnC", "btnC"}));

    // Speed buttons of one group.
    auto* sb1 = form.FindComponentAs<TSpeedButton>("sb1");
    auto* sb2 = form.FindComponentAs<TSpeedButton>("sb2");
    EXPECT_TRUE(sb2->Down());
    sb1->Click();
    EXPECT_TRUE(sb1->Down());
    EXPECT_FALSE(sb2->Down());
    EXPECT_EQ(form.Calls.last(), "sb1");
    sb1->Glyph()->LoadFromData(PngOf({4, 2}));
    EXPECT_EQ(sb1->Glyph()->Image().size(), QSize(4, 2));
    EXPECT_THROW(sb1->Glyph()->SetData(QByteArray("\x10\0\0\0BM", 6)), Exception);
    EXPECT_EQ(sb1->Glyph()->Image().size(), QSize(4, 2));

    auto* list = form.FindComponentAs<TActionList>("alMain");
    ASSERT_EQ(list->ActionCount(), 2);
    EXPECT_EQ(list->Images(), form.FindComponent("ilMain")->Self());

    // Written and read back: what the action gives its buttons is not stored,
    // what the form does not use (TabOrder) is kept.
    const QString written = WriteComponentToText(&form);
    EXPECT_EQ(written.count("#1055#1091#1089#1082"), 1);
    EXPECT_FALSE(written.contains("Run it'\r\n      Action"));
    EXPECT_TRUE(written.contains("    TabOrder = 0\r\n"));
    EXPECT_TRUE(written.contains("    Glyph.Data = {"));
    EXPECT_TRUE(written.contains("      Left = 38\r\n      Width = 30\r\n"));
    TWidgetForm again;
    ReadComponentFromText(written, &again);
    EXPECT_EQ(WriteComponentToText(&again), written);

    // Freeing an action unlinks its button.
    const qsizetype calls = form.Calls.size();
    delete form.FindComponent("actRun")->Self();
    EXPECT_EQ(btnA->Action(), nullptr);
    btnA->Click();
    EXPECT_EQ(list->ActionCount(), 1);
    EXPECT_EQ(form.Calls.size(), calls);
}

TEST(FormWidgets, TimerRunsOnlyWhenItCanTick) {
    TWidgetForm form;
    ReadComponentFromText("object Form1: TWidgetForm\r\n"
                          "  object tmr: TTimer\r\n    Interval = 250\r\n    OnTimer = TimerTick\r\n  end\r\n"
                          "  object idle: TTimer\r\n    Enabled = False\r\n    OnTimer = TimerTick\r\n  end\r\n"
                          "  object bare: TTimer\r\n  end\r\n"
                          "end\r\n",
                          &form);
    auto* tmr = form.FindComponentAs<TTimer>("tmr");
    EXPECT_TRUE(tmr->Running());
    EXPECT_FALSE(form.FindComponentAs<TTimer>("idle")->Running());
    EXPECT_FALSE(form.FindComponentAs<TTimer>("bare")->Running());  // no handler
    tmr->Tick();
    EXPECT_EQ(form.Calls, QStringList{"tmr"});
    tmr->SetInterval(0);
    EXPECT_FALSE(tmr->Running());
    EXPECT_THROW(tmr->SetInterval(-5), EComponentError);
    tmr->SetInterval(100);
    form.SetDesigning(true);
    EXPECT_FALSE(tmr->Running());
    form.SetDesigning(false);
    EXPECT_TRUE(tmr->Running());
}

TEST(FormWidgets, MemoLinesScrollBarsAndLimit) {
    const QString text =
        "object Memo1: TMemo\r\n"
        "  Lines.Strings = (\r\n"
        "    #1057#1090#1088#1086#1082#1072' 1'\r\n"
        "    ''\r\n"
        "    'line 3')\r\n"
        "  ReadOnly = True\r\n"
        "  ScrollBars = ssBoth\r\n"
        "end\r\n";
    std::unique_ptr<TComponentBase> read(ReadComponentFromText(text, nullptr));
    auto* memo = qobject_cast<TMemo*>(read->Self());
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->Lines(), (QStringList{"Строка 1", "", "line 3"}));
    EXPECT_TRUE(memo->ReadOnly());
    // A horizontal bar means no wrapping.
    EXPECT_EQ(memo->Editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(WriteComponentToText(memo), text);
    memo->SetMaxLength(4);
    EXPECT_EQ(memo->Text(), "Стро");
    EXPECT_THROW(memo->SetMaxLength(-1), EComponentError);
    memo->SetLines({});
    EXPECT_TRUE(memo->Lines().isEmpty());
}

TEST(FormWidgets, ScrollBoxScrollsWhatLiesOutside) {
    TScrollBox box;
    box.SetBounds(0, 0, 200, 100);
    auto* far = new TControl(&box);
    far->SetParentWidget(&box);
    far->SetBounds(20, 250, 50, 30);
    auto* top = new TControl(&box);
    top->SetParentWidget(&box);
    top->SetAlign(TControl::alTop);
    top->SetHeight(10);
    box.UpdateScrollBars();
    EXPECT_EQ(box.ContentSize(), QSize(68, 278));  // from the client origin inside the border
    const QRect client = box.ClientRect();
    EXPECT_LT(client.width(), 196);  // the vertical bar took room
    EXPECT_EQ(client.height(), 96);  // no horizontal bar
    box.ScrollTo({0, 1000});          // clamped to the end
    EXPECT_EQ(box.ScrollPos(), QPoint(0, 278 - 96));
    EXPECT_EQ(far->Top(), 250 - (278 - 96));
    EXPECT_EQ(top->Top(), 2);  // aligned controls stay
    box.SetAutoScroll(false);
    EXPECT_EQ(box.ScrollPos(), QPoint(0, 0));
    EXPECT_EQ(far->Top(), 250);
    EXPECT_EQ(box.ClientRect(), QRect(2, 2, 196, 96));
}

TEST(FormWidgets, TreeViewNodesInBothStoredFormats) {
    TFormTreeView tree;
    tree.SetName("tv");
    QTreeWidgetItem* root = tree.AddChild(nullptr, {0, 1, -1, -1, 0, "Скважина"});
    tree.AddChild(root, {2, 2, -1, -1, 7, "Колонна"});
    tree.AddChild(nullptr, {-1, -1, -1, -1, 0, "Rig"});
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "NodeData" : "Data");
        const QByteArray data = tree.NodesData(wide);
        // The first record, by hand: count 2, size, four indexes, data, child count, text.
        EXPECT_EQ(qFromLittleEndian<qint32>(data.constData()), 2);
        EXPECT_EQ(qFromLittleEndian<qint32>(data.constData() + 4), 25 + (wide ? 16 : 8));
        EXPECT_EQ(qFromLittleEndian<qint32>(data.constData() + 4 + 24), 1);
        EXPECT_EQ(quint8(data[32]), 8);
        if (!wide) EXPECT_EQ(data.mid(33, 8), EncodeCodePage("Скважина", TCodePage::cpAnsi));

        TFormTreeView back;
        back.SetNodesData(data, wide);
        ASSERT_EQ(back.Tree()->topLevelItemCount(), 2);
        const QTreeWidgetItem* child = back.Tree()->topLevelItem(0)->child(0);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->text(0), "Колонна");
        EXPECT_EQ(TFormTreeView::NodeInfo(child).Data, 7);
        EXPECT_EQ(back.NodesData(wide), data);

        // Malformed data: refused, the nodes stay.
        QByteArray hugeCount = data;
        qToLittleEndian<qint32>(1 << 30, hugeCount.data());
        QByteArray wrongSize = data;
        qToLittleEndian<qint32>(200, wrongSize.data() + 4);
        for (const QByteArray& bad : {data.left(data.size() - 1), hugeCount, wrongSize, data + QByteArray("x")})
            EXPECT_THROW(back.SetNodesData(bad, wide), Exception);
        EXPECT_EQ(back.NodesData(wide), data);
    }
    const QString text = WriteComponentToText(&tree);
    EXPECT_TRUE(text.contains("Items.Data = {"));
    std::unique_ptr<TComponentBase> read(ReadComponentFromText(text, nullptr));
    EXPECT_EQ(WriteComponentToText(read.get()), text);
    // A tree read from "Items.NodeData" writes that again.
    TFormTreeView wide;
    wide.SetNodesData(tree.NodesData(true), true);
    EXPECT_TRUE(WriteComponentToText(&wide).contains("Items.NodeData = {"));
}

// The old platform's stored image list: a header, then the images in a BMP
// four to a row.
QByteArray StoredImageList(const QList<QColor>& colours, int cx, int cy) {
    QImage all(4 * cx, int((colours.size() + 3) / 4) * cy, QImage::Format_RGB32);
    all.fill(Qt::black);
    for (int i = 0; i < colours.size(); ++i)
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x) all.setPixelColor(i % 4 * cx + x, i / 4 * cy + y, colours[i]);
    QByteArray bmp;
    QBuffer b(&bmp);
    b.open(QIODevice::WriteOnly);
    all.save(&b, "BMP");
    QByteArray head(28, '\0');
    const quint16 words[] = {0x4C49, 0x101, quint16(colours.size()), 8, 4, quint16(cx), quint16(cy)};
    for (int i = 0; i < 7; ++i) qToLittleEndian<quint16>(words[i], head.data() + 2 * i);
    return head + bmp;
}

TEST(FormWidgets, ImageListTakesItsStoredBitmap) {
    const QList<QColor> colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
    const QByteArray stored = StoredImageList(colours, 3, 2);
    TImageList list;
    list.SetName("il");
    list.SetStoredBitmap(stored);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Width(), 3);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Image(i).pixelColor(2, 1), colours[i]) << i;
    // Written back as read.
    const QString text = WriteComponentToText(&list);
    std::unique_ptr<TComponentBase> back(ReadComponentFromText(text, nullptr));
    auto* read = qobject_cast<TImageList*>(back->Self());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->StoredBitmap(), stored);
    EXPECT_EQ(read->Count(), 5);
    // Data that is not readable is kept without images; a changed list has no stored form.
    TImageList odd;
    odd.SetStoredBitmap(stored.left(40));
    EXPECT_EQ(odd.Count(), 0);
    EXPECT_EQ(odd.StoredBitmap(), stored.left(40));
    read->Add(QImage(3, 2, QImage::Format_ARGB32));
    EXPECT_FALSE(WriteComponentToText(read).contains("Bitmap"));
}

// A grid that records the moves its mouse handling makes.
class TMoveGrid : public TCustomGrid {
public:
    QStringList Moves;

protected:
    void RowMoved(int from, int to) override { Moves << QStringLiteral("row %1>%2").arg(from).arg(to); }
    void ColumnMoved(int from, int to) override { Moves << QStringLiteral("col %1>%2").arg(from).arg(to); }
};

void Drag(QWidget& w, QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, from, w.mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    QMouseEvent move(QEvent::MouseMove, to, w.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, w.mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &release);
}

TEST(Grids, MouseMovesRowsAndColumnsByTheirFixedCells) {
    const struct {
        const char* What;
        TCustomGrid::TGridOptions Options;
        QPoint From, To;  // cells
        const char* Move;
    } cases[] = {
        {"row by its fixed cell", TCustomGrid::goRowMoving, {0, 1}, {0, 3}, "row 1>3"},
        {"row upwards", TCustomGrid::goRowMoving, {0, 4}, {2, 2}, "row 4>2"},
        {"column by its fixed cell", TCustomGrid::goColMoving, {3, 0}, {1, 0}, "col 3>1"},
        {"no row moving", TCustomGrid::goColMoving, {0, 1}, {0, 3}, ""},
        {"not from a scrollable cell", TCustomGrid::goRowMoving, {2, 1}, {2, 3}, ""},
        {"dropped on a fixed row", TCustomGrid::goRowMoving, {0, 2}, {0, 0}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TMoveGrid grid;
        grid.SetBounds(0, 0, 400, 200);
        grid.SetOptions(c.Options);
        grid.SetDefaultRowHeight(20);
        grid.SetColWidths(2, 90);  // rows and columns keep their sizes when moved
        const QRect from = grid.CellRect(c.From.x(), c.From.y()), to = grid.CellRect(c.To.x(), c.To.y());
        Drag(grid, from.center(), to.center());
        EXPECT_EQ(grid.Moves.join(","), c.Move);
        if (QString(c.Move) == "col 3>1") EXPECT_EQ(grid.ColWidths(3), 90);
        EXPECT_EQ(grid.DragFrom(), -1);
    }
}

TEST(Grids, WheelMovesTheSelectionAndScrolls) {
    TCustomGrid grid;
    grid.SetBounds(0, 0, 300, 2 + 3 * 25);  // the fixed row and two rows show
    grid.SetRowCount(10);
    grid.SetSelection(1, 1);
    const auto wheel = [&](int notches) {
        QWheelEvent e(QPointF(10, 10), grid.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&grid, &e);
    };
    wheel(-1);
    wheel(-1);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.TopRow(), 2);  // scrolled so that row 3 shows
    wheel(-20);
    EXPECT_EQ(grid.Row(), 9);
    wheel(10);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TopRow(), 1);

    // A grid shrunk to one row loses its fixed row; its only row stays in view.
    grid.SetRowCount(1);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.TopRow(), 0);
    grid.SetRowCount(5);
    EXPECT_FALSE(grid.CellRect(1, 0).isEmpty());
}
}  // namespace

#include "FormWidgetsTests.moc"
