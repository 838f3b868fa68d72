// Print items: layout, hit tests, identity, selection and the text form.
#include "LayoutTestSupport.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"

#include <gtest/gtest.h>

using namespace Plotmere;
using namespace LayoutTests;

namespace {
struct TDocFixture {
    TDocFixture() { Doc.SetIsDesigner(true); }
    void Prepare() {
        TBitmapDevice device;
        Doc.Prepare(device);
    }
    TPrintDocument Doc;
};
}  // namespace

TEST(PrintItem, PrepareStacksLinkedItemsAndSizesAutosizeItems) {
    TDocFixture f;
    TFillItem* box = AddFill(&f.Doc, 10, 20, 50, 60);
    TFillItem* first = AddFill(box, 0, 5, 10, 7);
    TFillItem* second = AddFill(box, 3, 99, 10, 8);
    first->SetVLink(true);
    second->SetVLink(true);
    TFillItem* empty = AddFill(&f.Doc, 0, 0, 30, 40);
    empty->SetAutosize(true);
    f.Prepare();
    EXPECT_EQ(first->Top(), 5) << "a linked first child keeps its own top";
    EXPECT_EQ(second->Top(), 12) << "a linked second child sits below the first";
    EXPECT_EQ(second->Bounds(), QRect(13, 32, 10, 8));
    EXPECT_EQ(empty->Width(), 30);
    EXPECT_EQ(empty->Height(), 40) << "autosize without children keeps its size";

    box->SetAutosize(true);
    f.Prepare();
    EXPECT_EQ(box->Width(), 13);
    EXPECT_EQ(box->Height(), 20);
}

TEST(PrintItem, PrepareDeselectsOutsideDesignMode) {
    TDocFixture f;
    TFillItem* item = AddFill(&f.Doc, 0, 0, 10, 10);
    item->Select(true);
    EXPECT_EQ(f.Doc.Selection(), QList<TPrintItem*>{item});
    f.Doc.SetIsDesigner(false);
    item->SetStateFlag(TPrintItem::psSelected, true);
    f.Prepare();
    EXPECT_FALSE(item->Selected());
    EXPECT_TRUE(f.Doc.Selection().isEmpty());
}

TEST(PrintItem, PointInItemIncludesLeftTopAndExcludesRightBottom) {
    TDocFixture f;
    TFillItem* item = AddFill(&f.Doc, 10, 20, 5, 4);
    f.Prepare();
    struct TCase { double X, Y; bool In; };
    const TCase cases[] = {{10, 20, true}, {14, 23, true}, {15, 20, false}, {10, 24, false},
                           {9.6, 19.6, true}, {14.4, 23.4, true}, {14.6, 20, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.X << ", " << c.Y);
        EXPECT_EQ(item->IsPointInItem({c.X, c.Y}), c.In);
    }
}

TEST(PrintItem, HitTestFindsTheTopmostItem) {
    TDocFixture f;
    TFillItem* lower = AddFill(&f.Doc, 0, 0, 50, 50);
    TFillItem* upper = AddFill(&f.Doc, 20, 20, 50, 50);
    TFillItem* child = AddFill(upper, 5, 5, 10, 10);  // absolute 25..35
    TFillItem* closed = AddFill(&f.Doc, 100, 0, 20, 20);
    AddFill(closed, 0, 0, 10, 10);
    closed->SetStateFlag(TPrintItem::psNoChildEdit, true);
    f.Prepare();
    struct TCase { const char* What; TFloatPoint P; TPrintItem* Expected; };
    const TCase cases[] = {
        {"only the lower", {5, 5}, lower},
        {"overlap: the later sibling", {30, 40}, upper},
        {"a child over its parent", {27, 27}, child},
        {"children of a closed item are not searched", {102, 2}, closed},
        {"nothing: the document", {300, 300}, &f.Doc},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(f.Doc.GetItemAt(c.P), c.Expected);
    }
}

TEST(PrintItem, IdentityAndTree) {
    TDocFixture f;
    TFillItem* parent = AddFill(&f.Doc, 10, 10, 40, 40);
    TFillItem* child = AddFill(parent, 5, 5, 10, 10);
    EXPECT_EQ(f.Doc.FindItem(child->ID()), child);
    EXPECT_EQ(f.Doc.FindItem(QUuid::createUuid()), nullptr);
    EXPECT_EQ(child->GetStrID(), child->GetStrID().toUpper());
    EXPECT_TRUE(child->GetStrID().startsWith('{') && child->GetStrID().endsWith('}'));
    EXPECT_THROW(child->SetStrID("not a guid"), EConvertError);
    EXPECT_TRUE(child->IsChildOf(&f.Doc));
    EXPECT_FALSE(child->IsChildOf(child));
    EXPECT_FALSE(child->IsChildOf(nullptr));
    EXPECT_EQ(child->GetAbsPos(), QPoint(15, 15));
    child->SetAbsLeft(30);
    EXPECT_EQ(child->Left(), 20);
    child->SetParent(nullptr);
    EXPECT_EQ(child->GetParent(), parent) << "SetParent(nil) leaves it where it is";

    QStringList order;
    f.Doc.Enum([&](TPrintItem* i) { order << (i == &f.Doc ? "doc" : i == parent ? "parent" : "child"); });
    EXPECT_EQ(order, (QStringList{"child", "parent", "doc"}));
}

TEST(PrintItem, TextFormKeepsIdentityAndLeavesOutPaintingState) {
    TDocFixture f;
    TFillItem* item = AddFill(&f.Doc, 3, 4, 5, 6, 0x0000FF);
    item->SetVLink(true);
    item->Invalidate();
    item->BeginInplaceEdit(nullptr);
    const QString text = item->GetAsText();
    EXPECT_FALSE(text.contains("psChanged"));
    EXPECT_FALSE(text.contains("psEditing"));
    EXPECT_TRUE(text.contains("psVLink"));
    EXPECT_TRUE(text.endsWith("\r\n"));
    const int height = text.indexOf("Height"), left = text.indexOf("Left"), state = text.indexOf("State"),
              id = text.indexOf("StrID"), top = text.indexOf("Top"), width = text.indexOf("Width");
    EXPECT_TRUE(height < left && left < state && state < id && id < top && top < width) << text.toStdString();

    const std::unique_ptr<TPrintItem> copy = ItemFromText(text);
    EXPECT_EQ(copy->ID(), item->ID());
    EXPECT_EQ(copy->GetBounds(), QRect(3, 4, 5, 6));
    EXPECT_EQ(qobject_cast<TFillItem*>(copy.get())->Color(), 0x0000FF);
    EXPECT_FALSE(copy->HasState(TPrintItem::psEditing));
}

TEST(PrintItem, UnknownClassIsNotFoundBeforeAnythingIsCreated) {
    const QString text = "object TFillItem\r\n  Width = 5\r\n  object TNoSuchItem\r\n  end\r\nend\r\n";
    EXPECT_THROW(StringToComponent(text, nullptr), EClassNotFound);
    TPrintDocument doc;
    AddFill(&doc, 0, 0, 10, 10);
    EXPECT_THROW(StringToComponent("object TNoSuchItem\r\nend\r\n", nullptr), EClassNotFound);
}

TEST(PrintItem, MovingAnItemAwayTakesItAndItsDescendantsOutOfTheSelection) {
    TDocFixture a, b;
    TFillItem* parent = AddFill(&a.Doc, 0, 0, 40, 40);
    TFillItem* child = AddFill(parent, 0, 0, 10, 10);
    TFillItem* stay = AddFill(&a.Doc, 50, 0, 10, 10);
    child->Select(true);
    parent->SetStateFlag(TPrintItem::psSelected, true);
    a.Doc.UpdateSelection();
    stay->Select(true);
    ASSERT_EQ(a.Doc.Selection().size(), 3);
    parent->SetParent(&b.Doc);
    EXPECT_EQ(a.Doc.Selection(), QList<TPrintItem*>{stay});
    EXPECT_EQ(b.Doc.Selection().size(), 2) << "selected items join their new document's selection";
    delete parent;
    EXPECT_TRUE(b.Doc.Selection().isEmpty()) << "freed items leave the selection";
}

TEST(PrintItem, ClassGroupListsRegisteredItemClasses) {
    QList<const TClassInfo*> classes;
    PrintItemManager().GetClassGroup(&TPrintItem::staticMetaObject, classes, false);
    QStringList names;
    for (const TClassInfo* c : classes) names << c->Name;
    EXPECT_TRUE(names.contains("TFillItem"));
    EXPECT_TRUE(names.contains("TPrintDocument"));
    EXPECT_FALSE(names.contains("TPrintItem"));
    classes.clear();
    PrintItemManager().GetClassGroup(&TPrintItem::staticMetaObject, classes, true);
    EXPECT_TRUE(std::any_of(classes.begin(), classes.end(), [](auto* c) { return c->Name == "TPrintItem"; }));
}
