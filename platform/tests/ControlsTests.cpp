#include "ClassRegistry.h"
#include "ComponentBinary.h"
#include "ComponentStreaming.h"
#include "Controls.h"
#include "Messages.h"
#include "Splitter.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {
using A = TControl::TAlign;

struct TChildSpec {
    A Align;
    QRect Start;  // bounds before it is put into the parent
    bool Visible;
    QRect Expected;
};

struct TAlignCase {
    const char* What;
    bool Batch;  // added with alignment suspended, as a form being read
    std::vector<TChildSpec> Children;
};

// Placements as the old platform computed them in a 200 x 100 parent.
TEST(Controls, AlignLayoutMatchesOldPlacements) {
    const TAlignCase cases[] = {
        {"one of each", false,
         {{A::alTop, {0, 0, 10, 20}, true, {0, 0, 200, 20}},
          {A::alBottom, {0, 0, 10, 10}, true, {0, 90, 200, 10}},
          {A::alLeft, {0, 0, 30, 10}, true, {0, 20, 30, 70}},
          {A::alRight, {0, 0, 40, 10}, true, {160, 20, 40, 70}},
          {A::alClient, {5, 5, 1, 1}, true, {30, 20, 130, 70}}}},
        {"tops in creation order", false,
         {{A::alTop, {0, 0, 10, 10}, true, {0, 0, 200, 10}}, {A::alTop, {0, 0, 10, 15}, true, {0, 10, 200, 15}}}},
        {"tops of a stored form by position", true,
         {{A::alTop, {0, 50, 10, 10}, true, {0, 15, 200, 10}}, {A::alTop, {0, 0, 10, 15}, true, {0, 0, 200, 15}}}},
        {"lefts and rights", false,
         {{A::alLeft, {0, 0, 30, 1}, true, {0, 0, 30, 100}},
          {A::alLeft, {0, 0, 20, 1}, true, {30, 0, 20, 100}},
          {A::alRight, {0, 0, 20, 1}, true, {180, 0, 20, 100}},
          {A::alRight, {0, 0, 30, 1}, true, {150, 0, 30, 100}}}},
        {"bottoms stack upwards", false,
         {{A::alBottom, {0, 0, 1, 10}, true, {0, 90, 200, 10}}, {A::alBottom, {0, 0, 1, 20}, true, {0, 70, 200, 20}}}},
        {"hidden control takes no room", false,
         {{A::alTop, {0, 0, 1, 20}, false, {0, 0, 1, 20}}, {A::alClient, {0, 0, 1, 1}, true, {0, 0, 200, 100}}}},
        {"unaligned control stays", false,
         {{A::alNone, {7, 8, 9, 10}, true, {7, 8, 9, 10}}, {A::alLeft, {0, 0, 50, 1}, true, {0, 0, 50, 100}}}},
        {"overfull parent", false,
         {{A::alTop, {0, 0, 1, 80}, true, {0, 0, 200, 80}}, {A::alTop, {0, 0, 1, 40}, true, {0, 80, 200, 40}},
          {A::alClient, {0, 0, 1, 1}, true, {0, 120, 200, 0}}}},
    };
    for (const TAlignCase& c : cases) {
        SCOPED_TRACE(c.What);
        TControl parent;
        parent.SetBounds(0, 0, 200, 100);
        std::vector<TControl*> children;
        if (c.Batch) parent.DisableAlign();
        for (const TChildSpec& s : c.Children) {
            auto* child = new TControl(&parent);
            child->SetBounds(s.Start.x(), s.Start.y(), s.Start.width(), s.Start.height());
            child->SetVisible(s.Visible);
            child->SetAlign(s.Align);
            child->SetParentWidget(&parent);
            children.push_back(child);
        }
        if (c.Batch) parent.EnableAlign();
        for (size_t i = 0; i < children.size(); ++i) EXPECT_EQ(children[i]->BoundsRect(), c.Children[i].Expected) << i;
    }
}

TEST(Controls, ResizeRealignsAndFollowsAnchors) {
    TControl parent;
    parent.SetBounds(0, 0, 200, 100);
    auto* client = new TControl(&parent);
    client->SetAlign(A::alClient);
    client->SetParentWidget(&parent);
    const struct {
        TControl::TAnchors Anchors;
        QRect Expected;
    } cases[] = {
        {TControl::akLeft | TControl::akTop, {10, 10, 50, 20}},
        {TControl::akLeft | TControl::akTop | TControl::akRight, {10, 10, 100, 20}},
        {TControl::akRight | TControl::akBottom, {60, 40, 50, 20}},
        {TControl::akLeft | TControl::akTop | TControl::akRight | TControl::akBottom, {10, 10, 100, 50}},
        {TControl::TAnchors(), {35, 25, 50, 20}},
    };
    std::vector<TControl*> anchored;
    for (const auto& c : cases) {
        auto* child = new TControl(&parent);
        child->SetBounds(10, 10, 50, 20);
        child->SetAnchors(c.Anchors);
        child->SetParentWidget(&parent);
        anchored.push_back(child);
    }
    parent.SetBounds(0, 0, 250, 130);
    EXPECT_EQ(client->BoundsRect(), QRect(0, 0, 250, 130));
    for (size_t i = 0; i < anchored.size(); ++i) EXPECT_EQ(anchored[i]->BoundsRect(), cases[i].Expected) << i;
}

TEST(Controls, ParentFontAndColorFollowTheParent) {
    TControl parent;
    auto* inherits = new TControl(&parent);
    inherits->SetParentWidget(&parent);
    auto* own = new TControl(&parent);
    own->SetParentWidget(&parent);
    own->Font()->SetName("Courier New");
    EXPECT_FALSE(own->ParentFont());
    parent.Font()->SetStyle(TFont::fsBold);
    parent.SetColor(clRed);
    EXPECT_TRUE(inherits->ParentFont());
    EXPECT_EQ(inherits->Font()->Style(), TFont::TFontStyles(TFont::fsBold));
    EXPECT_EQ(inherits->Color(), clRed);
    EXPECT_EQ(own->Font()->Style(), TFont::TFontStyles());
    EXPECT_EQ(own->Font()->Name(), "Courier New");
    EXPECT_EQ(inherits->font().bold(), true);
    own->SetParentFont(true);
    EXPECT_EQ(own->Font()->Name(), parent.Font()->Name());
}

struct TControlClasses {
    TControlClasses() {
        RegisterClass({"TControl", &TControl::staticMetaObject, [](QObject* o) -> QObject* { return new TControl(o); }});
        RegisterClass({"TSplitter", &TSplitter::staticMetaObject, [](QObject* o) -> QObject* { return new TSplitter(o); }});
    }
    ~TControlClasses() {
        UnregisterClass("TControl");
        UnregisterClass("TSplitter");
    }
};

TEST(Controls, FormsStreamNestedControls) {
    TControlClasses classes;
    TControl form;
    form.SetName("Form1");
    form.SetBounds(0, 0, 300, 200);
    auto* panel = new TControl(&form);
    panel->SetName("Panel1");
    panel->SetAlign(A::alLeft);
    panel->SetBounds(0, 0, 120, 10);
    panel->SetParentWidget(&form);
    panel->SetColor(clWindow);
    auto* inner = new TControl(&form);  // owned by the form, placed in the panel
    inner->SetName("Inner");
    inner->SetBounds(4, 5, 60, 20);
    inner->Font()->SetStyle(TFont::fsItalic);
    inner->SetHint(QString::fromUtf8("Подсказка"));
    inner->SetShowHint(true);
    inner->SetParentWidget(panel);
    auto* splitter = new TSplitter(&form);
    splitter->SetName("Splitter1");
    splitter->SetParentWidget(&form);
    const QString text = WriteComponentToText(&form);
    EXPECT_TRUE(text.contains("  object Panel1: TControl\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("    object Inner: TControl\r\n      Left = 4\r\n      Top = 5\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Font.Style = [fsItalic]"));
    EXPECT_EQ(text.count("Font."), 1);  // only the control that does not take its parent's font

    TControl copy;
    ReadComponentFromText(text, &copy);
    EXPECT_EQ(WriteComponentToText(&copy), text);
    auto* copiedInner = copy.FindComponentAs<TControl>("Inner");
    ASSERT_NE(copiedInner, nullptr);
    EXPECT_EQ(copiedInner->ParentControl(), copy.FindComponentAs<TControl>("Panel1"));
    EXPECT_EQ(copiedInner->Owner(), &copy);
    EXPECT_EQ(copiedInner->toolTip(), QString::fromUtf8("Подсказка"));
    EXPECT_EQ(copy.FindComponentAs<TControl>("Splitter1")->BoundsRect(), QRect(120, 0, 3, 200));
}

TEST(Controls, AnchorsAreWrittenOnlyAwayFromTheAlignment) {
    TControlClasses classes;
    using K = TControl::TAnchorKind;
    const TControl::TAnchors all(K::akLeft | K::akTop | K::akRight | K::akBottom);
    struct TCase {
        A Align;
        TControl::TAnchors Anchors;
        const char* Line;  // the Anchors line written, empty: none
    };
    const TCase cases[] = {
        {A::alClient, all, ""},
        {A::alTop, TControl::TAnchors(K::akLeft | K::akTop | K::akRight), ""},
        {A::alNone, TControl::TAnchors(K::akLeft | K::akTop), ""},
        {A::alTop, TControl::TAnchors(K::akLeft | K::akTop), "Anchors = [akLeft, akTop]"},
        {A::alNone, TControl::TAnchors(K::akRight | K::akBottom), "Anchors = [akRight, akBottom]"},
        {A::alLeft, all, "Anchors = [akLeft, akTop, akRight, akBottom]"},
    };
    for (const TCase& c : cases) {
        TControl form;
        form.SetName("Form1");
        auto* child = new TControl(&form);
        child->SetName("Child");
        child->SetParentWidget(&form);
        child->SetAlign(c.Align);
        child->SetAnchors(c.Anchors);
        const QString text = WriteComponentToText(&form);
        const QString line = QString::fromLatin1(c.Line);
        EXPECT_EQ(text.contains("Anchors"), !line.isEmpty()) << text.toStdString();
        if (!line.isEmpty()) EXPECT_TRUE(text.contains(line)) << text.toStdString();
        TControl copy;
        ReadComponentFromText(text, &copy);
        auto* read = copy.FindComponentAs<TControl>("Child");
        ASSERT_TRUE(read);
        EXPECT_EQ(read->Align(), c.Align);
        EXPECT_EQ(read->Anchors(), c.Anchors) << text.toStdString();
    }
}

TEST(Controls, CopiedControlsPasteIntoAnotherForm) {
    TControlClasses classes;
    TControl source;
    auto* panel = new TControl(&source);
    panel->SetName("Panel1");
    panel->SetBounds(10, 10, 100, 50);
    panel->SetParentWidget(&source);
    auto* inner = new TControl(&source);
    inner->SetName("Inner");
    inner->SetBounds(1, 2, 3, 4);
    inner->SetParentWidget(panel);
    const QByteArray clip = WriteComponentBinary(WriteComponentTree(panel, &source));

    TControl target;
    auto* existing = new TControl(&target);
    existing->SetName("Panel1");
    TReaderOptions options;
    options.OnSetName = [&](TComponentBase*, QString& name) {
        if (target.FindComponent(name)) name += QStringLiteral("_copy");
    };
    TComponentBase* pasted = ReadComponentTreeInto(ReadComponentBinary(clip), &target, &target, options);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->Name(), "Panel1_copy");
    auto* pastedInner = target.FindComponentAs<TControl>("Inner");
    ASSERT_NE(pastedInner, nullptr);
    EXPECT_EQ(pastedInner->ParentControl(), qobject_cast<TControl*>(pasted->Self()));
    EXPECT_EQ(pastedInner->BoundsRect(), QRect(1, 2, 3, 4));
    EXPECT_EQ(qobject_cast<TControl*>(pasted->Self())->ParentControl(), &target);
}

TEST(Controls, NewerDesignerLinesAreKept) {
    TControlClasses classes;
    const QString text =
        "object Form1: TControl\r\n"
        "  Width = 300\r\n"
        "  Height = 200\r\n"
        "  DesignSize = (\r\n"
        "    300\r\n"
        "    200)\r\n"
        "  object Panel1: TControl\r\n"
        "    Width = 300\r\n"
        "    Height = 40\r\n"
        "    Align = alTop\r\n"
        "    ExplicitWidth = 185\r\n"
        "  end\r\n"
        "end\r\n";
    TControl form;
    ReadComponentFromText(text, &form);  // no error hook: any unknown line would raise
    EXPECT_EQ(WriteComponentToText(&form), text);
}

// Presses the splitter at its middle, moves by delta and releases.
void Drag(TSplitter* s, QPoint delta) {
    const QPointF at(1, 1);
    QMouseEvent press(QEvent::MouseButtonPress, at, s->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s, &press);
    QMouseEvent move(QEvent::MouseMove, at + delta, s->mapToGlobal(at + delta), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, at + delta, s->mapToGlobal(at + delta), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(s, &release);
}

TEST(Controls, SplitterResizesItsNeighbour) {
    const struct {
        const char* What;
        A Align;
        bool AutoSnap;
        int MinSize;
        int Delta;
        int Expected;
    } cases[] = {
        {"left, grow", A::alLeft, true, 30, 50, 150},
        {"left, beyond the room", A::alLeft, true, 30, 1000, 267},  // 300 - 30 - 3 left for the rest
        {"left, snap shut", A::alLeft, true, 30, -90, 0},
        {"left, stop at the minimum", A::alLeft, false, 1, -500, 1},
        {"right, grow", A::alRight, true, 30, -40, 140},
        {"top, shrink", A::alTop, true, 30, -20, 80},
        {"bottom, grow", A::alBottom, true, 30, -10, 110},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TControl parent;
        parent.SetBounds(0, 0, 300, 300);
        auto* neighbour = new TControl(&parent);
        neighbour->SetAlign(c.Align);
        neighbour->SetBounds(0, 0, 100, 100);
        neighbour->SetParentWidget(&parent);
        auto* splitter = new TSplitter(&parent);
        splitter->SetAlign(c.Align);
        splitter->SetBounds(0, 0, 3, 3);
        splitter->SetAutoSnap(c.AutoSnap);
        splitter->SetMinSize(c.MinSize);
        splitter->SetParentWidget(&parent);
        auto* client = new TControl(&parent);
        client->SetAlign(A::alClient);
        client->SetParentWidget(&parent);
        ASSERT_EQ(splitter->FindNeighbour(), neighbour);
        const bool horizontal = c.Align == A::alLeft || c.Align == A::alRight;
        Drag(splitter, horizontal ? QPoint(c.Delta, 0) : QPoint(0, c.Delta));
        EXPECT_EQ(horizontal ? neighbour->Width() : neighbour->Height(), c.Expected);
        // Everything is laid out again around the new size.
        const int clientExtent = horizontal ? client->Width() : client->Height();
        EXPECT_EQ(clientExtent, 300 - 3 - c.Expected);
    }
}

class TRecorder : public TControl {
public:
    TRecorder(QObject* owner, QStringList* log) : TControl(owner), FLog(log) {}
    bool WKMessage(TWKMessage& msg) override {
        *FLog << QStringLiteral("%1:%2:%3").arg(Name()).arg(msg.Msg()).arg(msg.LParam().toString());
        msg.Result = 7;
        return true;
    }

private:
    QStringList* FLog;
};

class TGraphicRecorder : public TGraphicControl {
public:
    TGraphicRecorder(QObject* owner, QStringList* log) : TGraphicControl(owner), FLog(log) {}
    bool WKMessage(TWKMessage& msg) override {
        *FLog << Name();
        Q_UNUSED(msg);
        return true;
    }

private:
    QStringList* FLog;
};

TEST(Messages, BroadcastReachesWindowsChildrenFirst) {
    QStringList log;
    TRecorder form(nullptr, &log);
    form.SetName("Form");
    auto add = [&](TControl* c, const char* name, TControl* parent) {
        c->SetName(name);
        c->SetParentWidget(parent);
        return c;
    };
    TControl* panel = add(new TRecorder(&form, &log), "Panel", &form);
    add(new TRecorder(&form, &log), "Grid", panel);
    add(new TGraphicRecorder(&form, &log), "Label", panel);
    add(new TRecorder(&form, &log), "Chart", &form);
    BroadcastWKMessage(&form, WM_WELLCHANGED, {}, QStringLiteral("W-12"));
    EXPECT_EQ(log, QStringList({"Grid:1228:W-12", "Panel:1228:W-12", "Chart:1228:W-12", "Form:1228:W-12"}));

    log.clear();
    EXPECT_EQ(SendWKMessage(form.FindComponentAs<TControl>("Label"), WM_WELLCHANGED), 0);
    EXPECT_EQ(log, QStringList({"Label"}));  // sent directly, the label does get it
    EXPECT_EQ(SendWKMessage(panel, WM_FORMCLOSING), 7);
}

TEST(Messages, PostedFromAnotherThreadArriveOnTheMainThread) {
    QStringList log;
    TRecorder window(nullptr, &log);
    window.SetName("Main");
    auto* child = new TRecorder(&window, &log);
    child->SetName("Hints");
    child->SetParentWidget(&window);
    SetMainWindow(&window);
    std::thread worker([&] {
        PostWKMessage(child, WM_FORMACTIVATED, {}, QStringLiteral("x"));
        PostBroadcastToMainWindow(WM_HINTSCHANGED);
    });
    worker.join();
    EXPECT_TRUE(log.isEmpty());  // nothing runs on the worker
    ASSERT_TRUE(ProcessEventsUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log, QStringList({"Hints:1046:x", "Hints:1334:", "Main:1334:"}));
    SetMainWindow(nullptr);
}
}  // namespace
