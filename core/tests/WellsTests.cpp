#include "DebugOutput.h"
#include "Exceptions.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "WKWells.h"

#include <gtest/gtest.h>
#include <atomic>
#include <future>
#include <thread>

namespace {
QString Info(const QString& well, const QString& field, const QString& id, const QString& shortId,
             const QString& pad = "P", const QString& oilfield = "O") {
    return QStringLiteral("WELL=%1,FIELD=%2,PAD=%3,OILFIELD=%4,SHORTID=%5,WELLID=%6")
        .arg(well, field, pad, oilfield, shortId, id);
}

QStringList Texts(const TWellItems& items) {
    QStringList out;
    for (const auto& i : items) out << i.Text;
    return out;
}

TEST(Wells, DescriptorReadsAndWritesCommaText) {
    TWellDescr d("\"WELL=12, bis\",FIELD=Северное,PAD=3,OILFIELD=Ом,SHORTID=5,WELLID=W-77");
    EXPECT_EQ(d.GetWell(), "12, bis");
    EXPECT_EQ(d.GetField(), "Северное");
    EXPECT_EQ(d.GetPad(), "3");
    EXPECT_EQ(d.GetOilfield(), "Ом");
    EXPECT_EQ(d.GetShortID(), "5");
    EXPECT_EQ(d.GetWellID(), "W-77");
    d.SetShortID("9");
    EXPECT_EQ(d.GetProperty("SHORTID"), "9");
    // Strict delimiter: a blank inside an unquoted value does not split it.
    TWellDescr blanks("WELL=a b,FIELD=c");
    EXPECT_EQ(blanks.GetWell(), "a b");
    TWellDescr back(d.CommaText());
    EXPECT_EQ(back.GetWell(), "12, bis");
    EXPECT_EQ(back.GetShortID(), "9");
}

TEST(Wells, DescriptorAndWellInfoShareOneCommaText) {
    struct Case {
        const char* well;
        const char* field;
        const char* oilfield;
        const char* pad;
    };
    for (const Case& c : {Case{"Куст 12", "Северное", "Ом", "3"}, Case{"12, bis", "F", "O", "P"},
                          Case{"7\"a\"", "\"", "O \"x\", y", ""}, Case{"", "", "", ""}, Case{" lead", "trail ", "a  b", ","},
                          Case{"=", "a=b", "'q'", "\t"}}) {
        const QString info = CombineWellInfo(c.well, c.field, c.oilfield, c.pad, 4, "W 1");
        // A descriptor read from the well functions' text writes the same text back ...
        const TWellDescr d(info);
        EXPECT_EQ(d.GetWell(), c.well);
        EXPECT_EQ(d.GetField(), c.field);
        EXPECT_EQ(d.GetOilfield(), c.oilfield);
        EXPECT_EQ(d.GetPad(), c.pad);
        EXPECT_EQ(d.GetWellID(), "W 1");
        EXPECT_EQ(d.CommaText(), info) << c.well;
        // ... and the well functions split a descriptor's text into the same values.
        QString w, f, o, p;
        SplitWellInfo(d.CommaText(), w, f, o, p);
        EXPECT_EQ(w, c.well);
        EXPECT_EQ(f, c.field);
        EXPECT_EQ(o, c.oilfield);
        EXPECT_EQ(p, c.pad);
    }
}

TEST(Wells, AddReplaceActivateAndLookUp) {
    TWells w;
    EXPECT_FALSE(w.ActivateWells({}));  // no wells: nothing to report
    ASSERT_TRUE(w.AddWell(Info("101", "North", "7", "1")));
    ASSERT_TRUE(w.AddWell(Info("102", "North", "8", "2")));
    ASSERT_TRUE(w.AddWell(Info("103", "South", "9", "3")));
    EXPECT_EQ(w.GetWellCount(), 3);

    EXPECT_TRUE(w.ActivateWell("8"));
    EXPECT_FALSE(w.ActivateWell("8")) << "already active";
    EXPECT_FALSE(w.ActivateWell("99")) << "no such well";

    // Same WELLID again: the stored keys are replaced, the active flag stays.
    TWellDescr* second = w.GetWellByID("8");
    EXPECT_FALSE(w.AddWell(Info("102-renamed", "North", "8", "12")));
    EXPECT_EQ(w.GetWellCount(), 3);
    EXPECT_EQ(w.GetWellByID("8"), second);
    EXPECT_EQ(second->GetWell(), "102-renamed");
    EXPECT_EQ(second->GetShortID(), "12");
    EXPECT_TRUE(second->Active());

    struct Lookup {
        QString id, shortId;
    };
    for (const Lookup& c : {Lookup{"7", "1"}, Lookup{"8", "12"}, Lookup{"9", "3"}}) {
        EXPECT_EQ(w.WellIDToShortID(c.id), c.shortId);
        EXPECT_EQ(w.WellShortIDToID(c.shortId), c.id);
        EXPECT_EQ(w.GetWellByShortID(c.shortId), w.GetWellByID(c.id));
    }
    // Exact comparison, and empty or nil for unknown keys.
    EXPECT_EQ(w.WellShortIDToID("2"), "");
    EXPECT_EQ(w.WellIDToShortID("07"), "");
    EXPECT_EQ(w.GetWellByID("99"), nullptr);
    EXPECT_EQ(w.GetWellByShortID(" 1"), nullptr);

    TWellItems active;
    w.GetActiveWellIDs(active);
    ASSERT_EQ(active.size(), 1);
    EXPECT_EQ(active[0].Text, "8");
    EXPECT_EQ(active[0].Well, second);

    // ActivateWells makes exactly the listed wells active (duplicates allowed).
    EXPECT_TRUE(w.ActivateWells({"9", "7", "9", "unknown"}));
    active.clear();
    w.GetActiveWellIDs(active);
    EXPECT_EQ(Texts(active), (QStringList{"7", "9"}));
    EXPECT_TRUE(w.ActivateWells({}));  // wells exist: true, and all inactive
    active.clear();
    w.GetActiveWellIDs(active);
    EXPECT_TRUE(active.isEmpty());
}

TEST(Wells, ActivateWellsWritesDebugLine) {
    TTempXdgHome home;
    InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2");
    TDebugOutputCapture cap;
    TWells w;
    w.AddWell(Info("1", "F", "5", "1"));
    w.ActivateWells({"5", "6"});
    EXPECT_TRUE(cap.Contains("TWells.ActivateWells 5\r\n6\r\n"));
    InitWKConsts({}, "/opt/wk/Welvista2");
}

TEST(Wells, FindByDescriptionIndexAndDelete) {
    TWells w;
    w.AddWell(Info("101", "North", "7", "1"));
    w.AddWell(Info("101", "South", "8", "2"));
    struct Case {
        QString well, field;
        bool found;
        QString id;
    };
    for (const Case& c : {Case{"101", "South", true, "8"}, Case{"101", "North", true, "7"},
                          Case{"101", "north", false, ""}, Case{"102", "North", false, ""}}) {
        TWellDescr d(QStringLiteral("WELL=%1,FIELD=%2").arg(c.well, c.field));
        EXPECT_EQ(w.FindWell(d), c.found) << c.well.toStdString() << c.field.toStdString();
        EXPECT_EQ(w.GetIDByDescr(d), c.id);
    }
    // A well of the list itself can be the argument (same lock).
    EXPECT_TRUE(w.FindWell(*w.GetWellByID("8")));

    TWellDescr* first = w.GetWellByID("7");
    EXPECT_EQ(w.GetWellIndex(first), 0);
    EXPECT_EQ(w.GetWellIndex(w.GetWellByID("8")), 1);
    TWellDescr stranger;
    EXPECT_EQ(w.GetWellIndex(&stranger), -1);
    w.DeleteWell(&stranger);
    EXPECT_EQ(w.GetWellCount(), 2);
    w.DeleteWell(first);
    EXPECT_EQ(w.GetWellCount(), 1);
    EXPECT_EQ(w.GetWellByID("7"), nullptr);
    EXPECT_EQ(w.GetWellIndex(w.GetWellByID("8")), 0);
}

TEST(Wells, AsStringCopyAndToStrings) {
    TWells w;
    w.AddWell(Info("101", "North", "7", "1", "Pad1", "Oil1"));
    w.AddWell(Info("102", "East", "8", "2", "Pad2", "Oil2"));
    w.ActivateWell("7");
    EXPECT_EQ(w.AsString(), Info("101", "North", "7", "1", "Pad1", "Oil1") + "\r\n" +
                                Info("102", "East", "8", "2", "Pad2", "Oil2") + "\r\n");

    const TWells copy(w);
    EXPECT_EQ(copy.AsString(), w.AsString());
    EXPECT_NE(copy.GetWellByID("7"), w.GetWellByID("7"));
    EXPECT_FALSE(copy.GetWellByID("7")->Active()) << "active flags are not copied";

    // Arguments in the order WELL, PAD, FIELD, OILFIELD.
    TWellItems items{{"stale", nullptr}};
    copy.ToStrings(items, "%s|%s|%s|%s");
    EXPECT_EQ(Texts(items), (QStringList{"101|Pad1|North|Oil1", "102|Pad2|East|Oil2"}));
    EXPECT_EQ(items[1].Well, copy.GetWellByID("8"));
    copy.ToStrings(items, "%2:s (%0:s) %s");
    EXPECT_EQ(items[0].Text, "North (101) Pad1");
}

TEST(Wells, FormatTextFollowsTheOldFormat) {
    const QStringList args{"ab", "cde", "f"};
    struct Case {
        const char* format;
        const char* result;
    };
    for (const Case& c : {Case{"%s-%s-%s", "ab-cde-f"}, Case{"[%5s]", "[   ab]"}, Case{"[%-5s]", "[ab   ]"},
                          Case{"[%.2s]", "[ab]"}, Case{"%1:s%s%0:s", "cdefab"}, Case{"100%% %S", "100% ab"},
                          Case{"%1:-4.1s|", "c   |"}, Case{"none", "none"}})
        EXPECT_EQ(FormatText(c.format, args), QString::fromUtf8(c.result)) << c.format;
    for (const char* bad : {"%d", "%s%s%s%s", "%3:s", "50%", "%*s"})
        EXPECT_THROW(FormatText(bad, args), EConvertError) << bad;
}

// The acquisition client adds wells on its own thread while the poll thread
// holds Ring0 and reads them: neither may wait for the other.
TEST(WellsThreads, ClientWriterAgainstRing0Readers) {
    TWells w;
    for (int i = 0; i < 8; ++i) w.AddWell(Info(QString::number(i), "F", QString::number(100 + i), QString::number(i)));

    std::atomic<bool> stop{false};
    std::atomic<int> found{0};
    // Poll-thread-like reader: every look-up made while holding Ring0.
    std::thread poll([&] {
        while (!stop.load()) {
            TCriticalSectionGuard ring0(Ring0());
            for (int i = 0; i < 8; ++i) {
                if (!w.WellShortIDToID(QString::number(i)).isEmpty()) found.fetch_add(1);
                if (TWellDescr* d = w.GetWellByID(QString::number(100 + i))) (void)d->GetWell();
            }
        }
    });
    // Client-like writer: replaces wells and reads descriptors.
    std::thread client([&] {
        for (int round = 0; round < 300; ++round) {
            const int i = round % 8;
            w.AddWell(Info(QString("%1-%2").arg(i).arg(round), "F", QString::number(100 + i), QString::number(i)));
            if (TWellDescr* d = w.GetWellByShortID(QString::number(i))) (void)d->GetWellID();
            w.ActivateWells({QString::number(100 + i)});
        }
    });
    // The main thread meanwhile takes Ring0 itself and copies the list.
    for (int round = 0; round < 100; ++round) {
        TCriticalSectionGuard ring0(Ring0());
        const TWells copy(w);
        TWellItems items;
        copy.ToStrings(items, "%s %s");
        EXPECT_EQ(items.size(), 8);
    }
    client.join();
    stop = true;
    poll.join();
    EXPECT_GT(found.load(), 0);
    EXPECT_EQ(w.GetWellCount(), 8);
    EXPECT_EQ(w.GetWellByID("107")->GetWell(), "7-295");
}

// A writer must complete while another thread holds Ring0 for the whole time.
TEST(WellsThreads, WriterNeverWaitsForRing0) {
    TWells w;
    w.AddWell(Info("1", "F", "100", "1"));
    TCriticalSectionGuard ring0(Ring0());
    auto done = std::async(std::launch::async, [&] {
        for (int i = 0; i < 50; ++i) {
            w.AddWell(Info(QString::number(i), "F", "100", "1"));
            (void)w.GetWellByID("100")->GetShortID();
            (void)w.WellIDToShortID("100");
        }
        return w.GetWellByID("100")->GetWell();
    });
    EXPECT_EQ(done.get(), "49");
}
}  // namespace
