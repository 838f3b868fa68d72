#include "Exceptions.h"
#include "Kurvex.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {
std::vector<double> Window(const TMemPointArray& a) {
    std::vector<double> v;
    for (int i = 0; i < a.GetCount(); ++i) v.push_back(a.Values(i));
    return v;
}

TEST(TMemPointArray, WindowHoldsCapacityPlusOneAndDropsTheOldest) {
    TMemPointArray a(3);
    for (int i = 1; i <= 4; ++i) a.Add(i);
    EXPECT_EQ(Window(a), (std::vector<double>{1, 2, 3, 4}));
    a.Add(5);
    a.Add(6, 7);
    EXPECT_EQ(Window(a), (std::vector<double>{3, 4, 5, 6}));
    EXPECT_EQ(a.GetValue(3).Flags, 7);
    EXPECT_EQ(a.LastValue(), 6);
}

TEST(TMemPointArray, WindowRestartsAtSlotZeroAfter400DropsAndStaysInOrder) {
    TMemPointArray a(5);
    int dropped = 0;
    for (int i = 0; i < 6 + 400 + 3; ++i) {
        a.Add(i);
        if (i >= 6) ++dropped;
        if (dropped == 400) {
            EXPECT_EQ(a.WindowStart(), 0) << "the block move happens on the 400th drop";
        }
    }
    EXPECT_EQ(a.WindowStart(), 3);
    EXPECT_EQ(a.GetCount(), 6);
    EXPECT_EQ(Window(a), (std::vector<double>{403, 404, 405, 406, 407, 408}));
    EXPECT_EQ(a.GetCapacity(), 5);
    // The buffer is addressed from its start: slot 0 holds the value moved there by the block move.
    EXPECT_EQ(a.Data(0).Value, 400);
}

TEST(TMemPointArray, LastValueDeleteClearAndRangeErrors) {
    TMemPointArray a(10);
    EXPECT_TRUE(std::isnan(a.LastValue()));
    a.SetLastValue(5);
    EXPECT_EQ(a.GetCount(), 0);
    for (double v : {1, 2, 3, 4}) a.Add(v);
    a.SetLastValue(40);
    a.Delete(1);
    a.Delete(-1);
    a.Delete(3);
    EXPECT_EQ(Window(a), (std::vector<double>{1, 3, 40}));
    a.SetValues(0, 10);
    EXPECT_EQ(a.Values(0), 10);
    EXPECT_THROW(a.Values(3), Exception);
    EXPECT_THROW(a.Data(410), Exception);
    a.Clear();
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.GetCapacity(), 10);
    a.Add(1);
    a.SetCapacity(-5);  // no room is no room, not a broken buffer
    EXPECT_EQ(a.GetCapacity(), 0);
    a.Add(1);
    a.Add(2);
    EXPECT_EQ(Window(a), (std::vector<double>{2}));
}

TEST(TMemPointArray, CopyFromAndAssign) {
    TMemPointArray src(4);
    src.SetID("depth");
    for (int i = 0; i < 9; ++i) src.Add(i);
    TMemPointArray copy(100);
    copy.CopyFrom(src);
    EXPECT_EQ(copy.GetCapacity(), 4);
    EXPECT_EQ(Window(copy), Window(src));
    EXPECT_FALSE(copy.ID().isValid());
    TMemPointArray assigned;
    assigned.Assign(src);
    EXPECT_EQ(assigned.ID().toString(), "depth");
    EXPECT_EQ(Window(assigned), Window(src));
}

TEST(TMemChartTable, RowsCapacityAndLookUp) {
    TMemChartTable t;
    EXPECT_EQ(t.GetCount(), -1);
    t.SetCapacity(2);
    TMemPointArray* text = t.AddArray("abc");
    TMemPointArray* num = t.AddArray(7);
    TMemPointArray* numText = t.AddArray("12");
    EXPECT_EQ(num->GetCapacity(), 2);
    // A text that is no number is skipped, not an error; a numeric text matches its number.
    EXPECT_EQ(t.GetArrayByID(7), num);
    EXPECT_EQ(t.GetArrayByID(7.0), num);
    EXPECT_EQ(t.GetArrayByID(12), numText);
    EXPECT_EQ(t.GetArrayByID("abc"), text);
    EXPECT_EQ(t.GetArrayByID("ABC"), nullptr);
    EXPECT_EQ(t.GetArrayByID(99), nullptr);
    EXPECT_EQ(t.GetArrayByID(QVariant()), nullptr);
    EXPECT_TRUE(t.ArrayExists(num));
    TMemPointArray stranger;
    EXPECT_FALSE(t.ArrayExists(&stranger));

    for (int r = 0; r < 3; ++r) {
        t.AddRow();
        num->SetLastValue(r);
    }
    EXPECT_EQ(t.GetCount(), 3);
    t.DeleteRow(0);
    EXPECT_EQ(Window(*num), (std::vector<double>{1, 2}));
    EXPECT_EQ(text->GetCount(), 2);
    t.SetCapacity(10);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(t.Arrays().Items(i)->GetCount(), 0);
    EXPECT_EQ(num->GetCapacity(), 10);
    t.AddRow();
    t.Clear();
    EXPECT_EQ(t.GetCount(), 0);
}
}  // namespace
