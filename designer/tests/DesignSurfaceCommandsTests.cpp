#include "ComponentBinary.h"
#include "DsgnSurfaceFixture.h"
#include "TestSupport.h"

namespace {
class DesignSurfaceCommands : public TDesignSurfaceTest {
protected:
    // Runs fn and returns the EFormDesigner text it raised (empty: none).
    template <typename F>
    static QString Raised(F&& fn) {
        try {
            fn();
        } catch (const EFormDesigner& e) {
            return e.Message();
        }
        return {};
    }
    void SelectAll(const QList<TControl*>& list) { Designer->SelectedControls().SelectControls(list); }
    QList<QRect> Bounds(const QList<TTestLabel*>& list) {
        QList<QRect> r;
        for (TControl* c : list) r << c->BoundsRect();
        return r;
    }
};

TEST_F(DesignSurfaceCommands, AlignmentTable) {
    struct TCase {
        const char* What;
        QList<QRect> Start;
        TFormDesignerAlignType H, V;
        QList<QRect> Expected;
    } cases[] = {
        {"left edges", {{30, 10, 20, 10}, {10, 40, 30, 10}}, atLeftTop, atNoChanges, {{10, 10, 20, 10}, {10, 40, 30, 10}}},
        {"top edges", {{30, 10, 20, 10}, {10, 40, 30, 10}}, atNoChanges, atLeftTop, {{30, 10, 20, 10}, {10, 10, 30, 10}}},
        {"right and bottom edges", {{30, 10, 20, 10}, {10, 40, 30, 15}}, atRightBottom, atRightBottom,
         {{30, 45, 20, 10}, {20, 40, 30, 15}}},
        {"space equally with two does nothing", {{0, 0, 10, 10}, {50, 50, 10, 10}}, atSpaceEqually, atSpaceEqually,
         {{0, 0, 10, 10}, {50, 50, 10, 10}}},
        {"space equally with four rounds", {{0, 0, 10, 10}, {31, 5, 10, 10}, {3, 0, 10, 10}, {7, 0, 10, 10}},
         atSpaceEqually, atNoChanges, {{0, 0, 10, 10}, {31, 5, 10, 10}, {10, 0, 10, 10}, {21, 0, 10, 10}}},
        {"centre on the first", {{100, 100, 40, 20}, {0, 0, 20, 10}}, atCenter, atCenter,
         {{100, 100, 40, 20}, {110, 105, 20, 10}}},
        {"centre in the window", {{5, 5, 100, 50}}, atCenterInWindow, atCenterInWindow, {{150, 125, 100, 50}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        QList<TTestLabel*> labels;
        QList<TControl*> controls;
        for (const QRect& r : c.Start) {
            labels << Add<TTestLabel>(QString("L%1").arg(labels.size()), r);
            controls << labels.back();
        }
        SelectAll(controls);
        Designer->SelectedControls().Align(c.H, c.V);
        EXPECT_EQ(Bounds(labels), c.Expected);
        qDeleteAll(labels);
    }
}

TEST_F(DesignSurfaceCommands, AlignToGridAndZOrder) {
    auto* a = Add<TTestLabel>("A", {3, 13, 20, 10});
    auto* b = Add<TTestLabel>("B", {12, 4, 20, 10});
    SelectAll({Root, a, b});
    Designer->SelectedControls().AlignToGrid();
    EXPECT_EQ(a->BoundsRect(), QRect(0, 16, 20, 10));
    EXPECT_EQ(b->BoundsRect(), QRect(16, 0, 20, 10));  // 12 / 8 = 1.5 rounds to 2
    EXPECT_EQ(Root->BoundsRect().topLeft(), QPoint(0, 0));

    auto* c = Add<TTestLabel>("C", {40, 40, 20, 10});
    auto* panel = Add<TTestPanel>("P", {100, 100, 100, 50});
    auto* inner = Add<TTestLabel>("Inner", {5, 5, 20, 10}, panel);
    Designer->SelectedControls().SelectAll();
    EXPECT_EQ(Selected(), (QList<TControl*>{Root, a, b, c, panel, inner}));
    delete panel;
    SelectAll({a});
    Designer->SelectedControls().BringToFront();
    EXPECT_EQ(Root->Controls(), (QList<TControl*>{b, c, a}));
    SelectAll({c});
    Designer->SelectedControls().SendToBack();
    EXPECT_EQ(Root->Controls(), (QList<TControl*>{c, b, a}));
}

TEST_F(DesignSurfaceCommands, LockedControlsAreNotDeleted) {
    auto* a = Add<TTestLabel>("A", {0, 0, 20, 10});
    auto* b = Add<TTestLabel>("B", {40, 0, 20, 10});
    auto* panel = Add<TTestPanel>("P", {0, 40, 100, 50});
    auto* inner = Add<TTestLabel>("Inner", {5, 5, 20, 10}, panel);
    Designer->LockControl(a, {lmNoDelete});
    Designer->LockControl(inner, {lmNoDelete});
    EXPECT_EQ(Designer->GetLockMode(a), TFormDesignerLockMode{lmNoDelete});
    const int count = Root->ComponentCount();

    SelectAll({a, b});
    EXPECT_EQ(Raised([&] { Designer->DeleteSelectedControls(); }),
              "Control \"A\" or some of it chidrens can not\r be deleted becouse they are locked");
    // A locked child locks its parent.
    SelectAll({panel});
    EXPECT_EQ(Raised([&] { Designer->DeleteSelectedControls(); }),
              "Control \"P\" or some of it chidrens can not\r be deleted becouse they are locked");
    SelectAll({a, b, panel});
    EXPECT_EQ(Raised([&] { Designer->DeleteSelectedControls(); }), "Some controls is locked. Can not delete controls.");
    EXPECT_EQ(Root->ComponentCount(), count);

    // The root is never locked; locks live in the low word of DesignInfo.
    b->DesignInfo = 0x70000;
    Designer->SelectedControls().ClearExcept(b);
    Designer->SelectedControls().Lock({lmNoMove, lmCustom8});
    EXPECT_EQ(b->DesignInfo, 0x70000 | 1 | (1 << 12));
    Designer->LockAll({lmNoCopy});
    EXPECT_EQ(Designer->GetLockMode(inner), TFormDesignerLockMode{lmNoCopy});
    EXPECT_TRUE(Designer->GetLockMode(Root).Empty());
    Designer->SetActive(false);
    EXPECT_TRUE(Designer->GetLockMode(b).Empty());
}

TEST_F(DesignSurfaceCommands, NamesAreUniqueAndChecked) {
    const TClassInfo* label = FindClass("TWKLabel");
    Designer->OnControlInserting = [&](const TClassInfo*& cls) { cls = label; };
    Click({20, 20});
    Click({100, 20});
    ASSERT_EQ(Root->ComponentCount(), 2);
    EXPECT_EQ(Root->Components(0)->Name(), "WKLabel1");
    EXPECT_EQ(Root->Components(1)->Name(), "WKLabel2");
    delete Root->Components(0)->Self();
    Click({20, 100});
    EXPECT_EQ(Root->Components(1)->Name(), "WKLabel1");  // the freed name is used again
    EXPECT_FALSE(Designer->IsUniqueName("wklabel2"));
    EXPECT_TRUE(Designer->IsUniqueName("WKLabel3"));

    TComponentBase* c = Root->Components(0);
    auto renamed = [&](const QString& name) {
        try {
            c->SetName(name);
        } catch (const Exception& e) {  // the platform checks the name itself first
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(renamed("1abc"), "'1abc' is not a valid component name");
    EXPECT_EQ(renamed("WKLabel1"), "A component named WKLabel1 already exists");
    Designer->OnValidateName = [](const QString& name, bool& accept) { accept = !name.startsWith("Bad"); };
    EXPECT_EQ(renamed("BadName"), "'BadName' is not a valid component name");
    EXPECT_EQ(c->Name(), "WKLabel2");
    EXPECT_EQ(renamed("lblDepth"), "");
    EXPECT_EQ(c->Name(), "lblDepth");

    Designer->OnGetUniqueName = [](const QString& base, QString& name) { name = base + "_x"; };
    Click({200, 200});
    EXPECT_EQ(Selected()[0]->Name(), "TWKLabel_x");
}

TEST_F(DesignSurfaceCommands, GridStepsBelowTwoAreStoredAsTwo) {
    TFormDesignerGrid* g = Designer->Grid();
    g->SetXStep(1);
    g->SetYStep(-5);
    EXPECT_EQ(g->XStep(), 2);
    EXPECT_EQ(g->YStep(), 2);
    g->SetXStep(10);
    EXPECT_EQ(g->XStep(), 10);
}

TEST_F(DesignSurfaceCommands, CopyThenPasteTwice) {
    auto* a = Add<TTestLabel>("A", {8, 8, 40, 20});
    auto* b = Add<TTestLabel>("B", {80, 8, 40, 20});
    a->SetFocusControl(b);
    auto* elsewhere = Add<TTestLabel>("Elsewhere", {8, 100, 40, 20});
    elsewhere->SetFocusControl(b);
    SelectAll({a, b});
    ASSERT_TRUE(Designer->CanCopy());
    Designer->Copy();
    const IClipboard& clip = UI->Clipboard();
    ASSERT_TRUE(clip.HasFormat(DefaultDesignerClipboardFormat));
    EXPECT_TRUE(Designer->CanPaste());

    Designer->Paste();
    ASSERT_EQ(Selected().size(), 2);
    auto* a2 = qobject_cast<TTestLabel*>(Selected()[0]);
    auto* b2 = qobject_cast<TTestLabel*>(Selected()[1]);
    ASSERT_TRUE(a2 && b2);
    EXPECT_EQ(a2->Name(), "WKLabel1");
    EXPECT_EQ(b2->Name(), "WKLabel2");
    EXPECT_EQ(a2->BoundsRect(), QRect(16, 16, 40, 20));
    EXPECT_EQ(b2->BoundsRect(), QRect(88, 16, 40, 20));
    EXPECT_EQ(a2->FocusControl(), b2);  // the reference follows the pasted copy
    EXPECT_EQ(a->FocusControl(), b);
    EXPECT_TRUE(a2->IsDesigning());

    Designer->Paste();
    auto* a3 = qobject_cast<TTestLabel*>(Selected().value(0));
    ASSERT_TRUE(a3);
    EXPECT_EQ(a3->BoundsRect(), a2->BoundsRect().translated(8, 8));
    EXPECT_EQ(Root->ComponentCount(), 7);

    // Cut: copied, then gone.
    SelectAll({a3});
    QPointer<TControl> gone(a3);
    Designer->Cut();
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(Root->ComponentCount(), 6);
}

TEST_F(DesignSurfaceCommands, DamagedClipboardDataPastesNothing) {
    auto* a = Add<TTestLabel>("A", {8, 8, 40, 20});
    SelectAll({a});
    Designer->Copy();
    const QString format = DefaultDesignerClipboardFormat;
    const QByteArray good = UI->Clipboard().GetData(format);
    QByteArray unknownClass = good;
    unknownClass.replace(QByteArray("T\0W\0K\0L\0a\0b\0e\0l\0", 16), QByteArray("T\0Z\0K\0L\0a\0b\0e\0l\0", 16));
    ASSERT_NE(unknownClass, good);
    const QByteArray cases[] = {good.left(good.size() - 1), good.left(good.size() / 2), good + "x", QByteArray("nonsense"),
                                QByteArray(), unknownClass};
    const int count = Root->ComponentCount();
    for (const QByteArray& data : cases) {
        SCOPED_TRACE(data.size());
        UI->Clipboard().SetData({{format, data}});
        EXPECT_THROW(Designer->Paste(), std::exception);
        EXPECT_EQ(Root->ComponentCount(), count);
        EXPECT_EQ(Selected(), QList<TControl*>{a});
    }
}

TEST_F(DesignSurfaceCommands, CopyLocksAndTheClipboardFormat) {
    auto* a = Add<TTestLabel>("A", {8, 8, 40, 20});
    EXPECT_FALSE(Designer->CanCopy());  // the root alone
    SelectAll({a});
    Designer->LockControl(a, {lmNoCopy});
    EXPECT_FALSE(Designer->CanCopy());
    Designer->LockControl(a, {lmNoDelete});
    EXPECT_TRUE(Designer->CanCopy());
    EXPECT_FALSE(Designer->CanCut());
    Designer->SetClipboardFormat("Other Format");
    Designer->Copy();
    EXPECT_TRUE(UI->Clipboard().HasFormat("Other Format"));
    EXPECT_FALSE(UI->Clipboard().HasFormat(DefaultDesignerClipboardFormat));
    Designer->SetClipboardFormat(DefaultDesignerClipboardFormat);
    EXPECT_FALSE(Designer->CanPaste());
}

TEST_F(DesignSurfaceCommands, OperationsInTheWrongStateRaise) {
    EXPECT_EQ(Raised([&] { Designer->SetDesignControl(nullptr); }), "Designer mast be inactive");
    auto* other = new TFormDesigner();
    auto* root2 = new TControl(Window.get());
    root2->SetParentWidget(Window.get());
    other->SetDesignControl(root2);
    EXPECT_EQ(Raised([&] { other->DeleteSelectedControls(); }), "Designer mast be active");
    EXPECT_EQ(Raised([&] { other->Paste(); }), "Designer mast be active");
    EXPECT_EQ(Raised([&] { other->SelectedControls().Add(root2); }), "Designer mast be active");
    EXPECT_EQ(Raised([&] { other->SetActive(true); }), "No design panel specified");
    other->SetDesignPanel(Panel);
    EXPECT_EQ(Raised([&] { other->SetActive(true); }), "Design panel 'DesignPanel' is used by another designer");
    EXPECT_FALSE(other->Active());
    EXPECT_EQ(root2->parentWidget(), Window.get());
    delete other;
    TFormDesigner empty;
    EXPECT_EQ(Raised([&] { empty.SetActive(true); }), "Design control not specified");
    EXPECT_FALSE(empty.Active());
    // A control that is not the root's cannot be selected.
    EXPECT_EQ(Raised([&] { Designer->SelectedControls().Add(root2); }), "Control '' can not be selected");
}

TEST_F(DesignSurfaceCommands, AFormRootIsItsOwnHost) {
    Designer->SetActive(false);
    TControl form;
    form.SetName("frmUser");
    form.SetBounds(0, 0, 300, 200);
    auto* lbl = new TTestLabel(&form);
    lbl->SetName("lbl");
    lbl->SetParentWidget(&form);
    form.show();
    TFormDesigner d;
    d.SetDesignControl(&form);
    d.SetActive(true);
    EXPECT_EQ(DesignHookOf(&form), d.Engine());
    EXPECT_TRUE(lbl->IsDesigning());
    TCloseAction asked = caNone;
    d.OnDesignFormClose = [&](TCloseAction& action) {
        asked = action;
        action = caHide;
    };
    form.close();
    EXPECT_EQ(asked, caHide);
    EXPECT_FALSE(form.isVisible());
    d.SetActive(false);
    EXPECT_FALSE(lbl->IsDesigning());
}

TEST_F(DesignSurfaceCommands, ADestroyedRootDeactivates) {
    QList<QString> told;
    Designer->OnNotification = [&](TComponentBase* c, TOperation op) {
        told << QString("%1 %2").arg(c->Name()).arg(op == TOperation::opInsert ? "in" : "out");
    };
    auto* a = Add<TTestLabel>("A", {8, 8, 40, 20});
    SelectAll({a});
    delete a;
    EXPECT_EQ(Selected(), QList<TControl*>{});
    EXPECT_EQ(told, (QList<QString>{" in", "A out"}));  // inserted before it was named
    delete Root;
    Root = nullptr;
    EXPECT_FALSE(Designer->Active());
    EXPECT_EQ(Designer->DesignControl(), nullptr);
    EXPECT_EQ(DesignHookOf(Panel->Form()), nullptr);
    EXPECT_EQ(Panel->Designer(), nullptr);
    Designer.reset();
    EXPECT_EQ(DesignHintWindow(), nullptr);  // the last surface took the hint window with it
}

TEST_F(DesignSurfaceCommands, DestroyedRootOrPanelDeactivates) {
    auto* a = Add<TTestLabel>("A", {8, 8, 40, 20});
    SelectAll({a});
    delete Panel;
    Panel = nullptr;
    EXPECT_FALSE(Designer->Active());
    EXPECT_EQ(Designer->DesignPanel(), nullptr);
    EXPECT_EQ(Root->parentWidget(), Window.get());
    EXPECT_FALSE(a->IsDesigning());
}
}  // namespace
