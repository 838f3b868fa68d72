#include "ComponentBinary.h"
#include "StreamTestClasses.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {
struct TTree {
    std::unique_ptr<TProbeRoot> Root;
    TProbe* P1;
    TProbe* P2;
};

TTree MakeTree() {
    TTree t{std::make_unique<TProbeRoot>(), nullptr, nullptr};
    t.Root->SetName("Form1");
    t.P1 = new TProbe(t.Root.get());
    t.P1->SetName("P1");
    t.P2 = new TProbe(t.Root.get());
    t.P2->SetName("P2");
    return t;
}

std::unique_ptr<TProbeRoot> ReadNew(const QString& text, const TReaderOptions& options = {}) {
    TComponentBase* c = ReadComponentFromText(text, nullptr, options);
    auto* root = qobject_cast<TProbeRoot*>(c->Self());
    EXPECT_NE(root, nullptr);
    return std::unique_ptr<TProbeRoot>(root);
}

struct TRoundTripCase {
    const char* What;
    std::function<void(TProbe* p, TTree& t)> Set;
    std::function<void(TProbe* q, TProbeRoot* root)> Check;
};

const double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(ComponentStreaming, RoundTripOfEveryPropertyKind) {
    TProbeClasses classes;
    const QString cyrillic = QString::fromUtf8("Скважина 'Б'\r\n№1 ") + QString::fromUtf8("\xF0\x9F\x98\x80");
    const TRoundTripCase cases[] = {
        {"zero double", [](TProbe* p, TTree&) { p->SetValue(0.0); }, [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Value(), 0.0); }},
        {"-2e7", [](TProbe* p, TTree&) { p->SetValue(-2e7); }, [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Value(), -2e7); }},
        {"1e-4", [](TProbe* p, TTree&) { p->SetValue(1e-4); }, [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Value(), 1e-4); }},
        {"0.1+0.2", [](TProbe* p, TTree&) { p->SetValue(0.1 + 0.2); }, [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Value(), 0.1 + 0.2); }},
        {"NaN", [](TProbe* p, TTree&) { p->SetValue(NaN); }, [](TProbe* q, TProbeRoot*) { EXPECT_TRUE(std::isnan(q->Value())); }},
        {"-Inf", [](TProbe* p, TTree&) { p->SetValue(-INFINITY); }, [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Value(), -INFINITY); }},
        {"Cyrillic, quotes, #13, surrogates", [&](TProbe* p, TTree&) { p->SetCaption(cyrillic); },
         [&](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Caption(), cyrillic); }},
        {"integers", [](TProbe* p, TTree& t) { p->SetCount(-5); p->SetBig(qint64(1) << 40); t.P2->SetBig(std::numeric_limits<qint64>::min()); },
         [](TProbe* q, TProbeRoot* root) {
             EXPECT_EQ(q->Count(), -5);
             EXPECT_EQ(q->Big(), qint64(1) << 40);
             EXPECT_EQ(root->FindComponentAs<TProbe>("P2")->Big(), std::numeric_limits<qint64>::min());
         }},
        {"bool, enum, set", [](TProbe* p, TTree&) { p->SetActive(true); p->SetKind(TProbe::pkSecond); p->SetOptions(TProbe::poOne | TProbe::poThree); },
         [](TProbe* q, TProbeRoot*) {
             EXPECT_TRUE(q->Active());
             EXPECT_EQ(q->Kind(), TProbe::pkSecond);
             EXPECT_EQ(q->Options(), TProbe::poOne | TProbe::poThree);
         }},
        {"colours", [](TProbe* p, TTree&) { p->SetColor(TColor(0x123456)); p->Pen()->SetColor(clBtnFace); },
         [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Color(), TColor(0x123456)); EXPECT_EQ(q->Pen()->Color(), clBtnFace); }},
        {"sub-objects", [](TProbe* p, TTree&) { p->Font()->SetStyle(TFont::fsBold); p->Font()->SetName("Arial"); p->Pen()->SetWidth(3); },
         [](TProbe* q, TProbeRoot*) {
             EXPECT_EQ(q->Font()->Style(), TFont::TFontStyles(TFont::fsBold));
             EXPECT_EQ(q->Font()->Name(), "Arial");
             EXPECT_EQ(q->Pen()->Width(), 3);
         }},
        {"string list and binary", [](TProbe* p, TTree&) { p->SetLines({"a", QString::fromUtf8("Б'"), ""}); p->SetPicture(QByteArray("\0\x01\xFF", 3)); },
         [](TProbe* q, TProbeRoot*) {
             EXPECT_EQ(q->Lines(), QStringList({"a", QString::fromUtf8("Б'"), ""}));
             EXPECT_EQ(q->Picture(), QByteArray("\0\x01\xFF", 3));
         }},
        {"nested collections",
         [](TProbe* p, TTree&) {
             auto* a = qobject_cast<TProbeItem*>(p->Items()->Add());
             a->SetGID(101);
             a->SetA(0.5);
             qobject_cast<TProbeSubItem*>(a->Parts()->Add())->SetText("x");
             qobject_cast<TProbeSubItem*>(a->Parts()->Add())->SetText("y");
             qobject_cast<TProbeItem*>(p->Items()->Add())->SetColor(clRed);
         },
         [](TProbe* q, TProbeRoot*) {
             ASSERT_EQ(q->Items()->Count(), 2);
             auto* a = q->Items()->ItemAs<TProbeItem>(0);
             EXPECT_EQ(a->GID(), 101);
             EXPECT_EQ(a->A(), 0.5);
             ASSERT_EQ(a->Parts()->Count(), 2);
             EXPECT_EQ(a->Parts()->ItemAs<TProbeSubItem>(1)->Text(), "y");
             EXPECT_EQ(q->Items()->ItemAs<TProbeItem>(1)->Color(), clRed);
             EXPECT_EQ(q->Items()->ItemAs<TProbeItem>(1)->A(), 1.0);
         }},
        {"reference to a sibling", [](TProbe* p, TTree& t) { p->SetLink(t.P2); },
         [](TProbe* q, TProbeRoot* root) { EXPECT_EQ(q->Link(), root->FindComponentAs<TProbe>("P2")); }},
        {"reference to the root", [](TProbe* p, TTree& t) { p->SetLink(t.Root.get()); },
         [](TProbe* q, TProbeRoot* root) { EXPECT_EQ(q->Link(), root); }},
        {"variant", [](TProbe* p, TTree& t) { p->SetID(5); t.P2->SetID("five"); },
         [](TProbe* q, TProbeRoot* root) {
             EXPECT_EQ(q->ID(), QVariant(5));
             EXPECT_EQ(root->FindComponentAs<TProbe>("P2")->ID(), QVariant("five"));
         }},
        {"event", [](TProbe* p, TTree& t) { p->SetOnChange({t.Root.get(), "ProbeChanged"}); },
         [](TProbe* q, TProbeRoot* root) {
             EXPECT_TRUE(q->OnChange().Invoke(static_cast<QObject*>(q)));
             EXPECT_EQ(root->LastSender, q);
         }},
        {"defined binary", [](TProbe* p, TTree&) { p->Extra = QByteArray("raw\0data", 8); },
         [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Extra, QByteArray("raw\0data", 8)); }},
        {"not stored", [](TProbe* p, TTree&) { p->SetHidden(7); }, [](TProbe* q, TProbeRoot*) { EXPECT_EQ(q->Hidden(), 0); }},
    };
    for (const TRoundTripCase& c : cases) {
        SCOPED_TRACE(c.What);
        TTree t = MakeTree();
        c.Set(t.P1, t);
        const QString text = WriteComponentToText(t.Root.get());
        std::unique_ptr<TProbeRoot> copy = ReadNew(text);
        ASSERT_TRUE(copy);
        EXPECT_EQ(WriteComponentToText(copy.get()), text);
        auto* q = copy->FindComponentAs<TProbe>("P1");
        ASSERT_NE(q, nullptr);
        c.Check(q, copy.get());
        // The binary form carries the same.
        auto* viaBinary = ReadComponentFromBinary(WriteComponentToBinary(t.Root.get()), nullptr);
        std::unique_ptr<QObject> holder(viaBinary->Self());
        EXPECT_EQ(WriteComponentToText(viaBinary), text);
    }
}

TEST(ComponentStreaming, HandWrittenOldFormLoads) {
    TProbeClasses classes;
    const char* const text =
        "OBJECT Form1: TProbeRoot\r\n"
        "caption = 'Old'#39's' +\r\n"
        "  #13#10'form'\r\n"
        "VALUE = 1.5E+002\r\n"
        "Count = $10\r\n"
        "Kind = PKFIRST\r\n"
        "Options = [poTwo,poThree]\r\n"
        "Color = clInfoBk\r\n"
        "Font.Charset = RUSSIAN_CHARSET\r\n"
        "Font.Style = [fsBold]\r\n"
        "Font.Height = -13\r\n"
        "Lines.Strings = ('one' 'two')\r\n"
        "Picture = {00ff}\r\n"
        "Items = <item GID = 101 Parts = <item Text = 'p' end> end item end>\r\n"
        "OnChange = probechanged\r\n"
        "Link = p1\r\n"
        "object P1: tprobe\r\n"
        "Active = true\r\n"
        "Left = 16\r\n"
        "Top = 8\r\n"
        "end\r\n"
        "end\r\n";
    std::unique_ptr<TProbeRoot> root = ReadNew(text);
    EXPECT_EQ(root->Caption(), "Old's\r\nform");
    EXPECT_EQ(root->Value(), 150.0);
    EXPECT_EQ(root->Count(), 16);
    EXPECT_EQ(root->Kind(), TProbe::pkFirst);
    EXPECT_EQ(root->Options(), TProbe::poTwo | TProbe::poThree);
    EXPECT_EQ(root->Color(), clInfoBk);
    EXPECT_EQ(root->Font()->Charset(), RUSSIAN_CHARSET);
    EXPECT_EQ(root->Font()->Style(), TFont::TFontStyles(TFont::fsBold));
    EXPECT_EQ(root->Font()->Size(), 10);
    EXPECT_EQ(root->Lines(), QStringList({"one", "two"}));
    EXPECT_EQ(root->Picture(), QByteArray("\x00\xFF", 2));
    ASSERT_EQ(root->Items()->Count(), 2);
    EXPECT_EQ(root->Items()->ItemAs<TProbeItem>(0)->Parts()->ItemAs<TProbeSubItem>(0)->Text(), "p");
    EXPECT_EQ(root->OnChange().Name, "ProbeChanged");
    auto* p1 = root->FindComponentAs<TProbe>("P1");
    ASSERT_NE(p1, nullptr);
    EXPECT_TRUE(p1->Active());
    EXPECT_EQ(p1->DesignInfo, (8 << 16) | 16);  // where the designer showed it
    EXPECT_EQ(root->Link(), p1);
    EXPECT_TRUE(WriteComponentToText(root.get()).contains("    Active = True\r\n    Left = 16\r\n    Top = 8\r\n"));
}

TEST(ComponentStreaming, DefaultsAreNotWrittenAndOrderIsDeclared) {
    TProbeClasses classes;
    TTree t = MakeTree();
    t.P1->SetCaption("c");
    t.P1->SetCount(2);
    EXPECT_EQ(WriteComponentToText(t.Root.get()),
              "object Form1: TProbeRoot\r\n"
              "  Count = 0\r\n"  // always stored by the root class
              "  object P1: TProbe\r\n"
              "    Count = 2\r\n"
              "    Caption = 'c'\r\n"
              "  end\r\n"
              "  object P2: TProbe\r\n"
              "  end\r\n"
              "end\r\n");
}

TEST(ComponentStreaming, LoadedOnceAfterReferencesAreResolved) {
    TProbeClasses classes;
    TTree t = MakeTree();
    t.P1->SetLink(t.P2);  // a forward reference: P2 is read after P1
    std::unique_ptr<TProbeRoot> copy = ReadNew(WriteComponentToText(t.Root.get()));
    auto* p1 = copy->FindComponentAs<TProbe>("P1");
    EXPECT_EQ(copy->LoadedCalls, 1);
    EXPECT_EQ(p1->LoadedCalls, 1);
    EXPECT_EQ(copy->FindComponentAs<TProbe>("p2")->LoadedCalls, 1);
    EXPECT_TRUE(p1->LinkSetWhenLoaded);
    EXPECT_FALSE(p1->IsLoading());
}

TEST(ComponentStreaming, ReadingIntoAGivenRootKeepsItsClass) {
    TProbeClasses classes;
    TProbeRoot host;
    ReadComponentFromText("object Saved: TSomethingElse\r\n  Caption = 'x'\r\n  object L: TProbe\r\n  end\r\nend\r\n", &host);
    EXPECT_EQ(host.Caption(), "x");
    EXPECT_EQ(host.Name(), "Saved");
    ASSERT_EQ(host.ComponentCount(), 1);
    EXPECT_EQ(host.Components(0)->Name(), "L");
    EXPECT_EQ(host.LoadedCalls, 1);
}

TEST(ComponentStreaming, MalformedOrUnresolvableInputChangesNothing) {
    TProbeClasses classes;
    TTree t = MakeTree();
    t.P1->SetCaption("keep");
    const QString before = WriteComponentToText(t.Root.get());
    const char* const bad[] = {
        "object Form1: TProbeRoot\r\n  Caption = 'new'\r\n  object P3: TProbe\r\n  end\r\n",  // no end
        "object Form1: TProbeRoot\r\n  Caption = 'new\r\nend\r\n",
        "",
    };
    for (const char* text : bad) {
        EXPECT_THROW(ReadComponentFromText(text, t.Root.get()), EParserError) << text;
        EXPECT_EQ(WriteComponentToText(t.Root.get()), before);
    }
    // A package that fails to load stops the read before anything changes.
    SetClassResolver([](const QString& name) -> bool { throw Exception("cannot load package for " + name); });
    EXPECT_THROW(ReadComponentFromText("object X: TProbeRoot\r\n  Caption = 'new'\r\n  object G: TGauge\r\n  end\r\nend", t.Root.get()),
                 Exception);
    EXPECT_EQ(WriteComponentToText(t.Root.get()), before);
    EXPECT_EQ(t.Root->ComponentCount(), 2);
    // With no root, an unknown root class creates nothing.
    SetClassResolver(nullptr);
    const int destroyed = TProbe::Destroyed;
    EXPECT_THROW(ReadComponentFromText("object X: TNoSuchRoot\r\n  object P: TProbe\r\n  end\r\nend", nullptr), EClassNotFound);
    EXPECT_EQ(TProbe::Destroyed, destroyed);
}

TEST(ComponentStreaming, RecoverableErrorsAreLoggedOnceAndSkipped) {
    TProbeClasses classes;
    QStringList lines;
    TReaderOptions options;
    options.OnError = LogReaderErrors([&](const QString& l) { lines << l; });
    const char* const text =
        "object Form1: TProbeRoot\r\n"
        "  OldProperty = 5\r\n"           // gone from the class
        "  Kind = pkNoSuchKind\r\n"       // bad enumeration value
        "  Count = 'text'\r\n"            // wrong kind
        "  Options = [poOne, poTen]\r\n"  // bad set member
        "  Font.Nothing = 1\r\n"          // gone from a sub-object
        "  OnChange = NoSuchHandler\r\n"  // unknown handler
        "  Caption = 'after'\r\n"
        "  object G: TGaugeNobodyHas\r\n"
        "    object Inner: TProbe\r\n"
        "    end\r\n"
        "  end\r\n"
        "  object P1: TProbe\r\n"
        "    Link = NoSuchComponent\r\n"  // unresolved: nil, no error
        "    Value = 1.5\r\n"
        "  end\r\n"
        "  object P1: TProbe\r\n"         // duplicate name
        "  end\r\n"
        "end\r\n";
    std::unique_ptr<TProbeRoot> root = ReadNew(text, options);
    EXPECT_EQ(lines.size(), 8) << lines.join('\n').toStdString();
    for (const QString& l : lines) EXPECT_TRUE(l.startsWith("Error loading form: ")) << l.toStdString();
    EXPECT_TRUE(lines[0].contains("OldProperty"));
    EXPECT_TRUE(lines[6].contains("TGaugeNobodyHas"));
    EXPECT_EQ(root->Caption(), "after");
    EXPECT_EQ(root->ComponentCount(), 1);
    auto* p1 = root->FindComponentAs<TProbe>("P1");
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->Value(), 1.5);
    EXPECT_EQ(p1->Link(), nullptr);
    EXPECT_EQ(p1->LoadedCalls, 1);

    // Without a hook the first such error raises.
    EXPECT_THROW(ReadNew("object F: TProbeRoot\r\n  OldProperty = 5\r\nend\r\n"), EReadError);
}

TEST(ComponentStreaming, PreScanAsksForHeadingClassesOnly) {
    TProbeClasses classes;
    QStringList asked;
    SetClassResolver([&](const QString& name) {
        asked << name;
        if (name == "TLateProbe") {
            RegisterClass({"TLateProbe", &TProbe::staticMetaObject, [](QObject* o) -> QObject* { return new TProbe(o); }});
            return true;
        }
        return false;
    });
    QStringList lines;
    TReaderOptions options;
    options.OnError = LogReaderErrors([&](const QString& l) { lines << l; });
    std::unique_ptr<TProbeRoot> root = ReadNew(
        "object Form1: TProbeRoot\r\n"
        "  Caption = 'object TQuoted'\r\n"
        "  object Late: TLateProbe\r\n"
        "  end\r\n"
        "  object Missing: TMissing\r\n"
        "  end\r\n"
        "end\r\n",
        options);
    UnregisterClass("TLateProbe");
    EXPECT_EQ(asked, QStringList({"TLateProbe", "TMissing"}));
    EXPECT_NE(root->FindComponent("Late"), nullptr);
    EXPECT_EQ(lines.size(), 1);
}

TEST(ComponentStreaming, ReferencesAcrossRegisteredRoots) {
    TProbeClasses classes;
    TProbeRoot other;
    other.SetName("Other");
    auto* target = new TProbe(&other);
    target->SetName("Target");
    TComponentBase::RegisterRoot(&other);
    std::unique_ptr<TProbeRoot> root = ReadNew(
        "object Form1: TProbeRoot\r\n"
        "  Link = Other.Target\r\n"
        "  object P1: TProbe\r\n"
        "    Link = Gone.Target\r\n"
        "  end\r\n"
        "end\r\n");
    EXPECT_EQ(root->Link(), target);
    EXPECT_EQ(root->FindComponentAs<TProbe>("P1")->Link(), nullptr);
    EXPECT_TRUE(WriteComponentToText(root.get()).contains("Link = Other.Target\r\n"));
    TComponentBase::UnregisterRoot(&other);
}

TEST(ComponentStreaming, PasteRenamesThroughTheNameHook) {
    TProbeClasses classes;
    TTree t = MakeTree();
    TReaderOptions options;
    options.OnSetName = [&](TComponentBase*, QString& name) {
        for (int n = 1; t.Root->FindComponent(name); ++n) name = QStringLiteral("Probe%1").arg(n);
    };
    t.P1->SetLink(t.P2);
    // Read P1 and P2 again into the same root: both get fresh names, and the
    // copy's reference follows the copy of its target.
    ReadComponentFromText(WriteComponentToText(t.Root.get()), t.Root.get(), options);
    EXPECT_EQ(t.Root->ComponentCount(), 4);
    auto* copy1 = t.Root->FindComponentAs<TProbe>("Probe1");
    auto* copy2 = t.Root->FindComponentAs<TProbe>("Probe2");
    ASSERT_NE(copy1, nullptr);
    ASSERT_NE(copy2, nullptr);
    EXPECT_EQ(copy1->Link(), copy2);
    EXPECT_EQ(t.P1->Link(), t.P2);
}

TEST(Components, OwnershipNamesAndFreeNotification) {
    auto root = std::make_unique<TComponent>();
    auto* a = new TProbe(root.get());
    auto* b = new TProbe(root.get());
    a->SetName("Alpha");
    EXPECT_EQ(root->FindComponent("ALPHA"), a);
    EXPECT_THROW(b->SetName("alpha"), EComponentError);
    EXPECT_THROW(b->SetName("1abc"), EComponentError);
    EXPECT_THROW(b->SetName("a b"), EComponentError);
    b->SetName("Beta");
    EXPECT_EQ(a->ComponentIndex(), 0);
    EXPECT_EQ(b->Owner(), root.get());

    a->SetLink(b);
    delete b;
    EXPECT_EQ(a->Link(), nullptr);
    EXPECT_EQ(root->ComponentCount(), 1);

    const int destroyed = TProbe::Destroyed;
    new TProbe(a);  // owned by a, freed with it
    root.reset();
    EXPECT_EQ(TProbe::Destroyed, destroyed + 2);
}

TEST(Components, CollectionsKeepIdsAndOrder) {
    TCollection c(&TProbeItem::staticMetaObject);
    auto* first = c.Add();
    auto* second = c.Add();
    auto* third = c.Insert(0);
    EXPECT_EQ(third->Index(), 0);
    EXPECT_EQ(first->ID(), 0);
    EXPECT_EQ(third->ID(), 2);
    second->SetIndex(0);
    EXPECT_EQ(c.Items(0), second);
    EXPECT_EQ(c.FindItemID(2), third);
    delete first;
    EXPECT_EQ(c.Count(), 2);
    TCollection copy(&TProbeItem::staticMetaObject);
    qobject_cast<TProbeItem*>(second)->SetGID(9);
    copy.Assign(&c);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.ItemAs<TProbeItem>(0)->GID(), 9);
}
}  // namespace
