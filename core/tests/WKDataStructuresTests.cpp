#include "DebugOutput.h"
#include "Exceptions.h"
#include "Formatting.h"
#include "TestSupport.h"
#include "WKConsts.h"
#include "WKDataStructures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// DebugLog lines are written only with the DEBUG switch.
struct TDebugOn {
    TTempXdgHome Home;
    TDebugOutputCapture Capture;
    TDebugOn() { InitWKConsts({"-DEBUG"}, "/opt/wk/Welvista2"); }
    ~TDebugOn() { InitWKConsts({}, "/opt/wk/Welvista2"); }
};

std::unique_ptr<TSensorDataStream> NewStream(const QString& id, int capacity, std::initializer_list<int> gids,
                                             const QString& dataClass = "SrcTime") {
    auto s = std::make_unique<TSensorDataStream>(0, id, "name " + id, dataClass, 1.0, true, capacity);
    for (int g : gids) s->AddSensor(g);
    return s;
}

// Appends a record whose every channel holds stamp * 10 + its array index.
void AddStampedRecord(TSensorDataStream& s, int stamp) {
    s.AddRecord();
    for (int k = 0; k < s.Count(); ++k) s.GetSensorByIndex(k)->SetLast(stamp * 10.0 + k);
}

// ---------------------------------------------------------------------------
// Arrays

TEST(SensorDataArray, WindowSlidesAndCompactsOnceEvery1024Records) {
    TSensorDataArray a(7, nullptr);
    a.SetCapacity(3);
    EXPECT_EQ(a.GetBufferSize(), 3 + 1024);
    for (int k = 0; k < 5; ++k) {
        a.AddEmpty();
        a.SetLast(k);
    }
    EXPECT_EQ(a.GetCount(), 3);
    EXPECT_EQ(a.GetStart(), 2);
    for (int k = 5; k < 5 + 1022; ++k) {
        a.AddEmpty();
        a.SetLast(k);
    }
    EXPECT_EQ(a.GetStart(), 1024);
    a.AddEmpty();  // the 1023rd further call: past the buffer, back to slot 0
    EXPECT_EQ(a.GetStart(), 0);
    EXPECT_EQ(a.GetLastIndex(), 2);
    a.SetLast(5 + 1022);
    const double* p = a.GetDataPointer();
    EXPECT_EQ(p[0], 1025);
    EXPECT_EQ(p[1], 1026);
    EXPECT_EQ(p[2], 1027);
}

TEST(SensorDataArray, SampleStatesLastAndUsability) {
    TSensorDataArray a(1, nullptr);
    a.SetCapacity(4);
    EXPECT_TRUE(std::isnan(a.Last()));
    a.AddEmpty();
    EXPECT_EQ(Bits(a.GetValue(0)), 0xFFF8000000000000ull);
    EXPECT_EQ(a.GetState(0), ssEmpty);
    EXPECT_TRUE(std::isnan(a.Last()));

    a.SetLast(4.5, ssError);
    EXPECT_TRUE(std::isnan(a.Last()));
    EXPECT_FALSE(a.IsCorrectValue(0));
    EXPECT_EQ(a.GetLastReal(), 4.5);

    a.SetLast(NaN, ssNormal);  // normal state but NaN value: not usable
    EXPECT_FALSE(a.IsCorrectValue(0));

    a.SetLast(2.0);
    EXPECT_TRUE(a.IsCorrectValue(0));
    EXPECT_EQ(a.Last(), 2.0);

    a.SetLast(9.0, ssFixed);  // a fixed value is not a real reading
    EXPECT_EQ(a.GetLastReal(), 2.0);
    EXPECT_EQ(a.Last(), 9.0);

    a.SetValue(0, NaN);
    EXPECT_EQ(a.GetState(0), ssEmpty);
    EXPECT_TRUE(std::isnan(a.GetLastReal()));
    a.SetValue(0, 3.0);
    EXPECT_EQ(a.GetState(0), ssNormal);

    a.SetData(0, {8.0, ssWarning});
    EXPECT_EQ(a.GetData(0).Value, 8.0);
    EXPECT_EQ(a.GetData(0).State, ssWarning);
    EXPECT_TRUE(a.IsCorrectValue(0));
    EXPECT_EQ(a.GetLastReal(), 8.0);
    a.SetData(0, {1.0, ssFixed});
    EXPECT_EQ(a.GetLastReal(), 8.0);

    EXPECT_FALSE(TSensorDataArray::IsCorrectValue(nullptr, 0));
    EXPECT_FALSE(a.IsCorrectValue(1));  // beyond the window
}

TEST(SensorDataArray, DeleteOldestInnerAndOutOfRange) {
    TSensorDataArray a(1, nullptr);
    a.SetCapacity(5);
    for (int k = 0; k < 5; ++k) {
        a.AddEmpty();
        a.SetLast(k);
    }
    a.Delete(5);
    a.Delete(-1);
    EXPECT_EQ(a.GetCount(), 5);
    a.Delete(0);
    a.Delete(1);  // value 2
    ASSERT_EQ(a.GetCount(), 3);
    EXPECT_EQ(a.GetValue(0), 1);
    EXPECT_EQ(a.GetValue(1), 3);
    EXPECT_EQ(a.GetValue(2), 4);
    // SetLast still writes the newest sample, not a slot past the window.
    a.SetLast(40);
    EXPECT_EQ(a.GetValue(2), 40);
}

// The reference model: a deque of (value bits, state) limited to the capacity.
struct TRefArray {
    int Capacity = 0;
    std::deque<std::pair<uint64_t, TSensorState>> Items;
    void Push(double v, TSensorState s) {
        Items.emplace_back(Bits(v), s);
        if (static_cast<int>(Items.size()) > Capacity) Items.pop_front();
    }
};

void ExpectSame(TSensorDataArray& a, const TRefArray& r, int step) {
    ASSERT_EQ(a.GetCount(), static_cast<int>(r.Items.size())) << "step " << step;
    ASSERT_EQ(a.GetCapacity(), r.Capacity);
    ASSERT_EQ(a.GetBufferSize(), r.Capacity + 1024);
    ASSERT_LE(a.GetStart() + a.GetCount(), a.GetBufferSize());
    const double* block = a.GetDataPointer();
    for (int i = 0; i < a.GetCount(); ++i) {
        ASSERT_EQ(Bits(a.GetValue(i)), r.Items[i].first) << "step " << step << " index " << i;
        ASSERT_EQ(Bits(block[i]), r.Items[i].first) << "step " << step << " index " << i;
        ASSERT_EQ(a.GetState(i), r.Items[i].second) << "step " << step << " index " << i;
    }
}

TEST(SensorDataArray, RandomOperationsMatchAPlainDeque) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 rnd(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
        TSensorDataArray a(5, nullptr);
        TRefArray r;
        // A source array with known samples for CopyFrom.
        TSensorDataArray src(5, nullptr);
        src.SetCapacity(8);
        for (int k = 0; k < 8; ++k) {
            src.AddEmpty();
            src.SetLast(1000 + k, k % 3 == 0 ? ssFixed : ssNormal);
        }
        int value = 0, compactions = 0;
        for (int step = 0; step < 20000; ++step) {
            const int oldStart = a.GetStart();
            const int op = pick(0, 99);
            if (op < 70) {  // append a record, mostly filled
                a.AddEmpty();
                r.Push(EmptySampleValue(), ssEmpty);
                if (r.Capacity > 0 && pick(0, 3) > 0) {
                    const auto st = static_cast<TSensorState>(pick(0, 6));
                    a.SetLast(++value, st);
                    r.Items.back() = {Bits(value), st};
                }
            } else if (op < 78) {
                if (!r.Items.empty()) {
                    const int i = pick(0, static_cast<int>(r.Items.size()) - 1);
                    a.SetData(i, {-1.0 * ++value, ssModified});
                    r.Items[i] = {Bits(-1.0 * value), ssModified};
                }
            } else if (op < 84) {
                const int i = pick(-1, static_cast<int>(r.Items.size()));
                a.Delete(i);
                if (i >= 0 && i < static_cast<int>(r.Items.size())) r.Items.erase(r.Items.begin() + i);
            } else if (op < 93) {
                const int start = pick(0, 7);
                const int count = pick(0, 8 - start);
                a.CopyFrom(src, start, count);
                for (int k = 0; k < count; ++k) r.Push(src.GetValue(start + k), src.GetState(start + k));
            } else if (op < 96) {
                const int n = pick(0, r.Capacity);
                a.SetCount(n);
                while (static_cast<int>(r.Items.size()) > n) r.Items.pop_back();
                while (static_cast<int>(r.Items.size()) < n) r.Items.emplace_back(Bits(EmptySampleValue()), ssEmpty);
            } else if (op < 98) {
                a.Clear();
                r.Items.clear();
            } else {
                r.Capacity = pick(0, 6);
                a.SetCapacity(r.Capacity);
                r.Items.clear();
            }
            // The window only ever moves back to slot 0, never part of the way.
            if (a.GetStart() < oldStart) {
                ASSERT_EQ(a.GetStart(), 0) << "step " << step;
                ++compactions;
            }
            ExpectSame(a, r, step);
            if (::testing::Test::HasFatalFailure()) return;
        }
        EXPECT_GT(compactions, 0) << "seed " << seed;
    }
}

TEST(SensorDataArray, CopyFromKeepsTheNewestWhenMoreThanTheCapacityArrives) {
    TSensorDataArray src(1, nullptr), dst(1, nullptr);
    src.SetCapacity(10);
    dst.SetCapacity(4);
    for (int k = 0; k < 10; ++k) {
        src.AddEmpty();
        src.SetLast(k);
    }
    dst.AddEmpty();
    dst.SetLast(-5);
    dst.CopyFrom(src, 2, 8);  // 8 samples into a window of 4
    ASSERT_EQ(dst.GetCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(dst.GetValue(i), 6 + i);
    EXPECT_EQ(dst.GetLastReal(), 9);
    // Past the source's window nothing is read.
    dst.CopyFrom(src, 8, 5);
    EXPECT_EQ(dst.GetValue(3), 9);
    EXPECT_EQ(dst.GetValue(2), 8);
}

// ---------------------------------------------------------------------------
// Text of samples

TEST(SensorDataArray, AsStringFormatsConvertedValues) {
    TSensorDataArray a(1, nullptr);
    a.SetCapacity(10);
    struct Case {
        double Raw, A, B;
        int Precision;
        QString Units, Text;
        double Shown;
    };
    const Case cases[] = {
        {12.345, 0, 0, 2, "m", "12.35 m", 12.345},        // factor 0 counts as 1
        {12.345, 2, 1, 1, "kN", "25.7 kN", 25.69},        // 2x + 1
        {3.0, 1, 0, 0, "", "3 ", 3.0},                    // the blank stays without units
        {123.456789, 1, 0, 4, "m", "123.4568 m", 123.456789},
        {1.23456789, 1, 0, 8, "", "1.23456800 ", 1.23456789},  // 7 significant digits
        {-0.004, 1, 0, 2, "", "0.00 ", -0.004},
        {98765432.1, 1, 0, 2, "", "9.876543E7 ", 98765432.1},  // more integer digits than 7
    };
    for (const Case& c : cases) {
        a.AddEmpty();
        a.SetLast(c.Raw);
        double shown = 0;
        EXPECT_EQ(a.AsString(a.GetCount() - 1, c.A, c.B, c.Precision, c.Units, shown), c.Text) << c.Raw;
        EXPECT_DOUBLE_EQ(shown, c.Shown) << c.Raw;
    }
    // i < 0: the last real value; an empty sample gives an empty text.
    a.AddEmpty();
    double shown = 0;
    EXPECT_EQ(a.AsString(-1, 1, 0, 1, "m", shown), "9.876543E7 m");
    EXPECT_EQ(a.AsString(a.GetCount() - 1, 1, 0, 1, "m", shown), "");
    EXPECT_TRUE(std::isnan(shown));
    EXPECT_EQ(a.AsString(a.GetCount() + 5, 1, 0, 1, "m", shown), "");  // never raises

    struct TDescr {
        double A = 10, B = 0;
        int Precision = 1;
        QString Units = "t";
    } descr;
    a.SetLast(0.5);
    EXPECT_EQ(a.AsString(descr, shown), "5.0 t");
    TSensorDataArray empty(1, nullptr);
    EXPECT_EQ(empty.AsString(descr, shown), "");
}

TEST(SensorDataArray, DateTimeAndOperationCodeTexts) {
    auto s = NewStream("Time1s.W1", 20, {0, 122});
    EXPECT_EQ(&s->GetSensor(0)->ClassType(), &TSensorDateTimeArray::Class);
    auto* ops = s->CreateSensor<TOpCodesDataArray>(123);
    const double when = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
    s->AddRecord();
    s->GetSensor(0)->SetLast(when);
    double v = 0;
    EXPECT_EQ(s->GetSensor(0)->AsString(0, 5, 5, 3, "x", v), "05.03.2024 14:07:09");
    EXPECT_EQ(v, when);

    const QStringList names = {"Операция неизвестна", "Спуск",       "Подъем",     "Бурение",
                               "Наращивание",         "Промывка",    "Проработка", "Бурение ротором"};
    for (int code = 0; code <= 7; ++code) {
        ops->SetLast(code);
        EXPECT_EQ(ops->AsString(0, 1, 0, 0, "", v), names[code]);
    }
    struct Case {
        double Value;
        int Name;
    };
    for (const Case& c : {Case{3.7, 3}, Case{9, 0}, Case{NaN, 0}, Case{-1, 0}, Case{7.99, 7}, Case{8, 0}}) {
        ops->SetLast(c.Value);
        EXPECT_EQ(ops->AsString(0, 1, 0, 0, "", v), names[c.Name]) << c.Value;
    }
}

// ---------------------------------------------------------------------------
// Streams

TEST(SensorDataStream, ArraysAddedLateStartAlignedWithEmptySamples) {
    auto s = NewStream("Time1s.W1", 10, {0, 101});
    for (int k = 0; k < 3; ++k) AddStampedRecord(*s, k);
    TSensorDataArray* late = s->AddSensor(102);
    ASSERT_EQ(late->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isnan(late->GetValue(i)));
        EXPECT_EQ(late->GetState(i), ssEmpty);
    }
    // The next record goes to the same index in every array.
    AddStampedRecord(*s, 3);
    EXPECT_EQ(late->GetCount(), 4);
    EXPECT_EQ(late->GetValue(3), 32);
    EXPECT_EQ(s->GetSensor(0)->GetValue(3), 30);
}

TEST(SensorDataStream, RecordsHeldAtASourceLossAreStale) {
    auto s = NewStream("Time1s.W1", 4, {0, 101});
    for (int k = 0; k < 3; ++k) AddStampedRecord(*s, k);
    EXPECT_FALSE(s->IsStale(2));
    s->MarkStale();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(s->IsStale(i)) << i;
    EXPECT_TRUE(IsStaleSample(*s->GetSensor(101), 2));
    // Newer records are not; the window slides past the capacity and the
    // stale ones keep their mark.
    AddStampedRecord(*s, 3);
    AddStampedRecord(*s, 4);
    ASSERT_EQ(s->GetDataCount(), 4);
    EXPECT_TRUE(s->IsStale(1));   // record 2
    EXPECT_FALSE(s->IsStale(2));  // record 3
    EXPECT_FALSE(IsStaleSample(*s->GetSensor(101), 3));
    // A copy keeps the marks; cleared data has none.
    TSensorDataStream copy(*s);
    EXPECT_TRUE(copy.IsStale(1));
    EXPECT_FALSE(copy.IsStale(2));
    s->ClearData();
    AddStampedRecord(*s, 5);
    EXPECT_FALSE(s->IsStale(0));
}

TEST(SensorDataStream, AddSensorByClass) {
    auto s = NewStream("Time1s.W1", 10, {0, 101});
    EXPECT_EQ(s->AddSensor(101), s->GetSensor(101));
    EXPECT_EQ(s->Count(), 2);
    // An existing date-time array satisfies a request for the base class.
    EXPECT_EQ(s->AddSensor(0, TSensorDataArray::Class), s->GetSensor(0));
    try {
        s->AddSensor<TOpCodesDataArray>(101);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "AddSensor: sensor class exists");
    }
    auto* ops = s->AddSensor<TOpCodesDataArray>(122);
    EXPECT_EQ(&ops->ClassType(), &TOpCodesDataArray::Class);
    EXPECT_EQ(s->AddSensor(122), ops);
    // Several arrays may share a GID; look-up finds the last one.
    auto* second = s->CreateSensor<TSensorDataArray>(101);
    EXPECT_EQ(s->GetSensor(101), second);
    EXPECT_EQ(s->GetSensor(555), nullptr);
    s->RemoveSensor(second);
    EXPECT_EQ(s->GetSensor(101), s->GetSensorByIndex(1));
}

TEST(SensorDataStream, CountersCopyCapacityAndSuffix) {
    TDebugOn debug;
    auto s = NewStream("Time1s.W1", 10, {0, 101, 122});
    EXPECT_TRUE(debug.Capture.Contains("WK: Create stream: Time1s.W1 name Time1s.W1"));
    for (int k = 0; k < 12; ++k) AddStampedRecord(*s, k);
    EXPECT_EQ(s->TotalCount(), 12);
    EXPECT_EQ(s->NewCount(), 12);
    EXPECT_EQ(s->GetDataCount(), 10);
    EXPECT_EQ(s->MainDataArray(), s->GetSensor(0));
    EXPECT_EQ(s->GetSuffix(), "W1");
    EXPECT_EQ(NewStream("Depth", 1, {})->GetSuffix(), "");
    EXPECT_EQ(NewStream("Depth.A.B", 1, {})->GetSuffix(), "B");

    TSensorDataStream copy(*s);
    EXPECT_EQ(copy.ID(), s->ID());
    EXPECT_EQ(copy.Name(), s->Name());
    EXPECT_EQ(copy.DataClass(), "SrcTime");
    EXPECT_TRUE(copy.IsDateTime());
    EXPECT_EQ(copy.TotalCount(), 12);
    EXPECT_EQ(copy.NewCount(), 0);
    ASSERT_EQ(copy.Count(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(&copy.GetSensorByIndex(k)->ClassType(), &s->GetSensorByIndex(k)->ClassType());
        ASSERT_EQ(copy.GetSensorByIndex(k)->GetCount(), 10);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(copy.GetSensorByIndex(k)->GetValue(i), (i + 2) * 10.0 + k);
    }

    s->SetCapacity(10);  // same capacity: data kept
    EXPECT_EQ(s->GetDataCount(), 10);
    s->SetCapacity(4);
    EXPECT_EQ(s->GetDataCount(), 0);
    EXPECT_EQ(s->GetSensor(101)->GetCapacity(), 4);
    copy.ClearData();
    EXPECT_EQ(copy.TotalCount(), 0);
    EXPECT_EQ(copy.GetDataCount(), 0);
}

TEST(SensorDataStream, CopyFromTakesOnlyTheNewRecords) {
    auto src = NewStream("Time1s.W1", 1000, {0, 101});
    TSensorDataStream dst(*src);
    auto* computed = dst.CreateSensor<TSensorDataArray>(-1);
    for (int k = 0; k < 5; ++k) AddStampedRecord(*src, k);
    dst.CopyFrom(*src);
    EXPECT_EQ(dst.NewCount(), 5);
    EXPECT_EQ(dst.TotalCount(), 5);
    ASSERT_EQ(dst.GetSensor(101)->GetCount(), 5);
    EXPECT_EQ(dst.GetSensor(101)->GetValue(4), 41);
    EXPECT_EQ(computed->GetCount(), 5);
    EXPECT_EQ(computed->GetState(4), ssEmpty);
    // Nothing new: nothing happens, the counters stay.
    dst.CopyFrom(*src);
    EXPECT_EQ(dst.NewCount(), 5);
    EXPECT_EQ(dst.GetDataCount(), 5);

    // 3000 records ahead with 1000 in the window: those 1000 are copied.
    for (int k = 5; k < 3005; ++k) AddStampedRecord(*src, k);
    dst.CopyFrom(*src);
    EXPECT_EQ(dst.NewCount(), 1000);
    EXPECT_EQ(dst.TotalCount(), 3005);
    ASSERT_EQ(dst.GetDataCount(), 1000);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(0), 2005 * 10.0);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(999), 3004 * 10.0);
    EXPECT_EQ(computed->GetCount(), 1000);
}

TEST(SensorDataStream, MismatchedStreamIsCopiedWholeWithALogLine) {
    TDebugOn debug;
    auto src = NewStream("Time1s.W1", 8, {0, 101, 122});
    auto dst = NewStream("Time1s.W1", 8, {0, 122});  // 101 missing, 122 in its place
    auto* keep = dst->GetSensor(0);
    auto* computed = dst->CreateSensor<TSensorDataArray>(-1);
    for (int k = 0; k < 3; ++k) AddStampedRecord(*dst, k);
    for (int k = 0; k < 6; ++k) AddStampedRecord(*src, k);
    dst->CopyFrom(*src);
    EXPECT_TRUE(debug.Capture.Contains("TSensorDataStream.CopyFrom: Time1s.W1: arrays differ from the source"));
    ASSERT_EQ(dst->Count(), 4);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(dst->GetSensorByIndex(k)->GetID(), src->GetSensorByIndex(k)->GetID());
        ASSERT_EQ(dst->GetSensorByIndex(k)->GetCount(), 6);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(dst->GetSensorByIndex(k)->GetValue(i), i * 10.0 + k);
    }
    EXPECT_EQ(dst->GetSensor(0), keep);  // references stay valid where the array fits
    EXPECT_EQ(dst->GetSensorByIndex(3), computed);
    EXPECT_EQ(computed->GetCount(), 6);
    EXPECT_EQ(dst->TotalCount(), 6);
    EXPECT_EQ(dst->NewCount(), 3);  // dst had taken 3 records before

    // From now on the ordinary copy goes on.
    AddStampedRecord(*src, 6);
    debug.Capture.Clear();
    dst->CopyFrom(*src);
    EXPECT_FALSE(debug.Capture.Contains("arrays differ"));
    EXPECT_EQ(dst->NewCount(), 1);
    EXPECT_EQ(dst->GetSensor(122)->GetValue(6), 62);
}

TEST(SensorDataStream, ClearedSourceIsCopiedAgainFromItsStart) {
    auto src = NewStream("Time1s.W1", 100, {0, 101});
    TSensorDataStream dst(*src);
    for (int k = 0; k < 10; ++k) AddStampedRecord(*src, k);
    dst.CopyFrom(*src);
    ASSERT_EQ(dst.TotalCount(), 10);

    // Cleared, and fewer records than were copied: the copy resumes.
    src->ClearData();
    for (int k = 100; k < 103; ++k) AddStampedRecord(*src, k);
    dst.CopyFrom(*src);
    EXPECT_EQ(dst.NewCount(), 3);
    ASSERT_EQ(dst.GetDataCount(), 13);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(10), 1000);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(12), 1020);
    AddStampedRecord(*src, 103);
    dst.CopyFrom(*src);
    EXPECT_EQ(dst.NewCount(), 1);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(13), 1030);

    // Cleared and refilled past the old total before the next copy: still every record once.
    src->ClearData();
    for (int k = 200; k < 220; ++k) AddStampedRecord(*src, k);
    dst.CopyFrom(*src);
    EXPECT_EQ(dst.NewCount(), 20);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(14), 2000);
    EXPECT_EQ(dst.GetSensor(0)->GetValue(dst.GetDataCount() - 1), 2190);
}

// ---------------------------------------------------------------------------
// Stream lists

TEST(WKStreamList, LookUpByIDDataClassAndSensor) {
    TWKStreamList list;
    list.Add(NewStream("Time1s.W1", 5, {0, 101}));
    list.Add(NewStream("Time.W1", 5, {0, 102}, "Time"));
    list.Add(NewStream("Time.W2", 5, {0, 101, 103}, "Time"));
    list.Add(NewStream("Depth.W2", 5, {101}, "Depth"));
    struct Case {
        QString Search, Found;
    };
    const Case cases[] = {
        {"Time", "Time.W1"},       // bare name: any suffix, never "Time1s"
        {"Time1s", "Time1s.W1"},   //
        {"Time.W2", "Time.W2"},    // with a point: exactly
        {"Time.W", ""},            //
        {"Tim", ""},               // a name that only begins another one
        {"Depth.W2", "Depth.W2"},  //
        {"time", ""},              // letter case counts
    };
    for (const Case& c : cases) {
        TSensorDataStream* s = list.GetStreamByID(c.Search);
        EXPECT_EQ(s ? s->ID() : QString(), c.Found) << c.Search.toStdString();
    }
    // A bare stream of that name, added after a suffixed one, is found by its
    // own ID; the exact look-up never takes another stream.
    list.Add(NewStream("Time1s", 5, {0}));
    EXPECT_EQ(list.GetStreamByID("Time1s")->ID(), "Time1s");
    EXPECT_EQ(list.GetStreamByExactID("Time1s")->ID(), "Time1s");
    EXPECT_EQ(list.GetStreamByExactID("Time"), nullptr);
    EXPECT_EQ(list.GetStreamByExactID("Time.W2")->ID(), "Time.W2");
    EXPECT_EQ(list.GetStreamByDataClass("Time")->ID(), "Time.W1");
    EXPECT_EQ(list.GetStreamByDataClass("BLDepth"), nullptr);

    EXPECT_EQ(list.FindSensor(101, "Time"), list.GetStreamByIndex(2)->GetSensor(101));
    EXPECT_EQ(list.FindSensor(101, "Time", "Time.W1"), nullptr);
    EXPECT_EQ(list.FindSensor(102, "Time", "Time.W1"), list.GetStreamByIndex(1)->GetSensor(102));
    EXPECT_EQ(list.FindSensor(101, "SrcTime"), list.GetStreamByIndex(0)->GetSensor(101));
    EXPECT_EQ(list.FindSensor(101, "Depth", "Depth"), nullptr);
    EXPECT_EQ(list.FindSensorByIDClassSuffix(0, "Time", "W2"), list.GetStreamByIndex(2)->GetSensor(0));
    EXPECT_EQ(list.FindSensorByIDClassSuffix(103, "Time", "W1"), nullptr);
}

TEST(WKStreamList, SuffixRegistry) {
    TWKStreamList list;
    EXPECT_EQ(list.GetStreamSuffixes(), "");
    list.RegisterStreamSuffix("W1");
    list.RegisterStreamSuffix("W2");
    list.RegisterStreamSuffix("W1");
    EXPECT_EQ(list.GetStreamSuffixes(), "W1\r\nW2\r\nW1\r\n");
    list.UnregisterStreamSuffix("W1");
    list.UnregisterStreamSuffix("W9");
    EXPECT_EQ(list.GetStreamSuffixes(), "W2\r\nW1\r\n");
}

TEST(WKStreamList, SyncronizeWithReplacesCopiesAndKeepsOwnStreams) {
    TWKStreamList primary, secondary;
    auto* a = primary.Add(NewStream("A.W1", 5, {0, 101}));
    primary.Add(NewStream("B.W1", 5, {0}));
    AddStampedRecord(*a, 1);
    secondary.Add(NewStream("Own.W1", 5, {7}));
    secondary.Add(NewStream("A.W1", 5, {0}));
    secondary.SyncronizeWith(primary);
    ASSERT_EQ(secondary.Count(), 3);
    EXPECT_EQ(secondary.GetStreamByIndex(0)->ID(), "Own.W1");
    EXPECT_EQ(secondary.GetStreamByIndex(1)->ID(), "A.W1");
    EXPECT_EQ(secondary.GetStreamByIndex(2)->ID(), "B.W1");
    EXPECT_EQ(secondary.GetStreamByIndex(1)->Count(), 2);
    EXPECT_EQ(secondary.GetStreamByIndex(1)->GetSensor(101)->GetValue(0), 11);
    EXPECT_NE(secondary.GetStreamByIndex(1), a);  // a copy, never shared
    EXPECT_TRUE(Ring0().TryEnter());  // left again
    Ring0().Leave();

    // A suffixed stream listed before a bare one of the same name: two streams
    // in every copy, each with its own records.
    TWKStreamList server, copy;
    AddStampedRecord(*server.Add(NewStream("Time1s.1001", 5, {0})), 1);
    AddStampedRecord(*server.Add(NewStream("Time1s", 5, {0})), 2);
    copy.SyncronizeWith(server);
    copy.SyncronizeWith(server);
    ASSERT_EQ(copy.Count(), 2);
    AddStampedRecord(*server.GetStreamByExactID("Time1s"), 3);
    copy.ResetNewCounters();
    copy.CopyFrom(server);
    EXPECT_EQ(copy.GetStreamByExactID("Time1s")->GetDataCount(), 2);
    EXPECT_EQ(copy.GetStreamByExactID("Time1s.1001")->GetDataCount(), 1);
}

TEST(WKStreamList, CopyFromGoesOnPastAMismatchedStream) {
    TDebugOn debug;
    TWKStreamList primary, secondary;
    primary.Add(NewStream("A.W1", 5, {0, 101}));
    primary.Add(NewStream("B.W1", 5, {0, 101}));
    primary.Add(NewStream("C.W1", 5, {0}));  // no counterpart: skipped
    secondary.SyncronizeWith(primary);
    secondary.Remove(secondary.GetStreamByID("C.W1"));
    secondary.GetStreamByID("A.W1")->RemoveSensor(secondary.GetStreamByID("A.W1")->GetSensor(101));
    for (int s = 0; s < 3; ++s) AddStampedRecord(*primary.GetStreamByIndex(s), 4);
    secondary.ResetNewCounters();
    secondary.CopyFrom(primary);
    EXPECT_TRUE(debug.Capture.Contains("CopyFrom: A.W1: arrays differ"));
    for (const char* id : {"A.W1", "B.W1"}) {
        TSensorDataStream* s = secondary.GetStreamByID(id);
        EXPECT_EQ(s->NewCount(), 1) << id;
        ASSERT_EQ(s->Count(), 2) << id;
        EXPECT_EQ(s->GetSensor(101)->GetValue(0), 41) << id;
    }
    EXPECT_EQ(secondary.Count(), 2);
}

// Poll passes add random numbers of records; the secondary copy is skipped at
// random (Ring0 busy). Every record that is still in the primary window when a
// copy runs arrives exactly once, in order, in every array.
TEST(WKStreamList, TicksWithSkippedCopiesLoseAndDuplicateNothing) {
    constexpr int Capacity = 40;
    std::mt19937 rnd(7);
    TWKStreamList primary, secondary;
    primary.Add(NewStream("Time1s.W1", Capacity, {0, 101, 122}));
    primary.Add(NewStream("Depth.W1", Capacity, {0, 101}, "Depth"));
    secondary.SyncronizeWith(primary);
    for (int s = 0; s < 2; ++s) secondary.GetStreamByIndex(s)->CreateSensor<TSensorDataArray>(-1);
    std::vector<int> stamp(2, 0), copied(2, 0);
    int lost = 0;
    for (int tick = 0; tick < 3000; ++tick) {
        for (int s = 0; s < 2; ++s) {
            const int n = std::uniform_int_distribution<int>(0, 20)(rnd);
            for (int k = 0; k < n; ++k) AddStampedRecord(*primary.GetStreamByIndex(s), stamp[s]++);
        }
        if (std::uniform_int_distribution<int>(0, 9)(rnd) < 3) continue;  // copy skipped this tick
        secondary.ResetNewCounters();
        secondary.CopyFrom(primary);
        for (int s = 0; s < 2; ++s) {
            TSensorDataStream& own = *secondary.GetStreamByIndex(s);
            const int expectedNew = std::min(stamp[s] - copied[s], Capacity);
            lost += stamp[s] - copied[s] - expectedNew;
            ASSERT_EQ(own.NewCount(), expectedNew) << "tick " << tick;
            // The whole window: consecutive stamps ending with the newest, in every array.
            const int count = own.GetDataCount();
            ASSERT_EQ(count, std::min(stamp[s], Capacity));
            for (int k = 0; k < own.Count(); ++k) ASSERT_EQ(own.GetSensorByIndex(k)->GetCount(), count);
            for (int i = 0; i < count; ++i) {
                const int expected = stamp[s] - count + i;
                ASSERT_EQ(own.GetSensor(0)->GetValue(i), expected * 10.0) << "tick " << tick;
                ASSERT_EQ(own.GetSensorByIndex(1)->GetValue(i), expected * 10.0 + 1) << "tick " << tick;
            }
            copied[s] = stamp[s];
        }
    }
    EXPECT_GT(lost, 0);  // the run did push some backlogs past the window
}

// Copies whose batches make the copy's window move back to slot 0, end right
// at the buffer's end or bring more than the window: after every tick each
// copied array holds exactly the source's window, through its data pointer
// too, and the own computed channel stays aligned and empty.
TEST(WKStreamList, CopiesAcrossTheBufferEndHoldTheSourceWindow) {
    struct Case {
        int Capacity;
        std::vector<int> Batches;  // records per tick, repeated
    };
    const Case cases[] = {
        {40, {1, 3, 17, 41, 90}},      // small window, 1024 spare slots
        {3000, {1025}},                // a spare as large as the window, the copy compacts every few ticks
        {3000, {2999, 1, 3000, 2}},    // batches that end exactly at the buffer's end
        {3000, {4000, 1}},             // more than the window in one tick
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Capacity);
        TWKStreamList primary, secondary;
        TSensorDataStream& src = *primary.Add(NewStream("Time1s.W1", c.Capacity, {0, 101, 122}));
        secondary.SyncronizeWith(primary);
        TSensorDataStream& own = *secondary.GetStreamByIndex(0);
        auto* computed = own.CreateSensor<TSensorDataArray>(-1);
        int stamp = 0, compactions = 0;
        for (int tick = 0; tick < 60; ++tick) {
            const int n = c.Batches[size_t(tick) % c.Batches.size()];
            for (int k = 0; k < n; ++k, ++stamp) {
                AddStampedRecord(src, stamp);
                if (stamp % 7 == 0) src.GetSensorByIndex(1)->SetLast(NaN, ssError);
            }
            const int oldStart = own.GetSensorByIndex(1)->GetStart();
            secondary.ResetNewCounters();
            secondary.CopyFrom(primary);
            if (own.GetSensorByIndex(1)->GetStart() < oldStart) {
                ASSERT_EQ(own.GetSensorByIndex(1)->GetStart(), 0) << "tick " << tick;
                ++compactions;
            }
            ASSERT_EQ(own.NewCount(), std::min(n, c.Capacity)) << "tick " << tick;
            const int count = src.GetDataCount();
            for (int k = 0; k < src.Count(); ++k) {
                TSensorDataArray& from = *src.GetSensorByIndex(k);
                TSensorDataArray& to = *own.GetSensorByIndex(k);
                ASSERT_EQ(to.GetCount(), count) << "tick " << tick;
                ASSERT_LE(to.GetStart() + count, to.GetBufferSize());
                const double* p = to.GetDataPointer();
                for (int i = 0; i < count; ++i) {
                    ASSERT_EQ(Bits(p[i]), Bits(from.GetValue(i))) << "tick " << tick << " array " << k << " index " << i;
                    ASSERT_EQ(to.GetState(i), from.GetState(i)) << "tick " << tick << " array " << k << " index " << i;
                }
                ASSERT_EQ(Bits(to.GetLastReal()), Bits(from.GetLastReal()));
            }
            ASSERT_EQ(computed->GetCount(), count);
            ASSERT_EQ(computed->GetState(count - 1), ssEmpty);
        }
        EXPECT_GT(compactions, 0);
    }
}

// ---------------------------------------------------------------------------
// Free functions

TEST(StreamIDs, ChangeStreamSuffix) {
    struct Case {
        QString ID, Suffix, Result;
    };
    const Case cases[] = {
        {"Time1s.W1", "W2", "Time1s.W2"}, {"Time1s.W1", "", "Time1s"}, {"Time1s", "W3", "Time1s.W3"},
        {"A.B.C", "D", "A.B.D"},          {"", "W", ".W"},
    };
    for (const Case& c : cases) {
        QString id = c.ID;
        ChangeStreamSuffix(id, c.Suffix);
        EXPECT_EQ(id, c.Result) << c.ID.toStdString();
    }
}

TEST(StreamIDs, WellInfoRoundTrip) {
    EXPECT_EQ(CombineWellInfo("12", "North", "Oil field", "3", -1, ""),
              "WELL=12,FIELD=North,PAD=3,\"OILFIELD=Oil field\"");
    EXPECT_EQ(CombineWellInfo("1", "", "", "", 0, "{A-1}"), "WELL=1,FIELD=,PAD=,OILFIELD=,SHORTID=0,WELLID={A-1}");
    const QString info = CombineWellInfo("7\"a", "F,1", "O", "", 5, "id");
    QString w, f, o, p;
    SplitWellInfo(info, w, f, o, p);
    EXPECT_EQ(w, "7\"a");
    EXPECT_EQ(f, "F,1");
    EXPECT_EQ(o, "O");
    EXPECT_EQ(p, "");
    w = "old";
    SplitWellInfo("FIELD=x", w, f, o, p);
    EXPECT_EQ(w, "");
    EXPECT_EQ(f, "x");
}

// ---------------------------------------------------------------------------
// Parameter reduction

class ParamReduction : public ::testing::Test {
protected:
    void SetUp() override {
        auto* src = Streams.Add(NewStream("Time1s.W1", 100, {0, 101}));
        Source = src;
    }
    // Appends records (time, value, state) to the source.
    void Add(double time, double value, TSensorState state = ssNormal) {
        Source->AddRecord();
        Source->GetSensor(0)->SetLast(time);
        Source->GetSensor(101)->SetLast(value, state);
    }
    TWKStreamList Streams;
    TSensorDataStream* Source = nullptr;
    TSensorDataStream Result{0, "Result.W1", "r", "Time", 60, true, 10};
};

TEST_F(ParamReduction, ReductionsOverAnInterval) {
    struct Case {
        char Type;
        double Expected;
    };
    // Values inside [10, 20): 5, -3, 8 ; 100 lies outside, the error sample is skipped.
    const Case cases[] = {{'-', 11}, {'/', 10.0 / 3}, {'<', -3}, {'=', 8}, {'>', 8}};
    for (const Case& c : cases) {
        Source->ClearData();
        Add(9, 100);
        Add(10, 5);
        Add(11, 50, ssError);
        Add(12, -3);
        Add(19.5, 8);
        Add(20, 100);
        TParamStreamConversion conv(101, 201, 0, true, c.Type);
        conv.CreateData(Streams, Result);
        ASSERT_EQ(conv.Data(), Source->GetSensor(101));
        ASSERT_EQ(conv.MainData(), Source->GetSensor(0));
        conv.CollectData(10, 20);
        EXPECT_EQ(conv.CollectedCount(), 3) << c.Type;
        Result.AddRecord();
        conv.AddResultData(60);
        TSensorDataArray* r = Result.GetSensor(201);
        EXPECT_NEAR(r->Last(), c.Expected, 1e-12) << c.Type;
        EXPECT_EQ(conv.CollectedCount(), 0);
    }
}

TEST_F(ParamReduction, OnlyNewRecordsAreCollected) {
    Add(1, 1);
    Add(2, 2);
    Source->ResetNewCount();
    Add(3, 30);
    TParamStreamConversion conv(101, 201, 0, true, '/');
    conv.CreateData(Streams, Result);
    conv.CollectData(0, 100);
    EXPECT_EQ(conv.CollectedCount(), 1);
}

TEST_F(ParamReduction, FixedSampleWinsAndEmptyIntervalIsAnError) {
    TParamStreamConversion conv(101, 201, 3, false, '>');
    EXPECT_EQ(conv.SaveIndex(), 3);
    EXPECT_FALSE(conv.IsLogging());
    conv.CreateData(Streams, Result);
    Add(1, 7);
    Add(2, 42, ssFixed);
    Add(3, 99);
    conv.CollectData(0, 10);
    EXPECT_EQ(conv.CollectedCount(), 1);
    Result.AddRecord();
    conv.AddResultData(0);
    TSensorDataArray* r = Result.GetSensor(201);
    EXPECT_EQ(r->GetState(0), ssFixed);
    EXPECT_EQ(r->GetValue(0), 42);
    EXPECT_EQ(r->GetLastReal(), Source->GetSensor(101)->GetLastReal());

    // An interval without samples: an error sample holding the previous result.
    Source->ResetNewCount();
    Add(4, 5);
    conv.CollectData(0, 10);
    Result.AddRecord();
    conv.AddResultData(0);
    EXPECT_EQ(r->GetValue(1), 5);
    Source->ResetNewCount();
    conv.CollectData(0, 10);
    Result.AddRecord();
    conv.AddResultData(0);
    EXPECT_EQ(r->GetState(2), ssError);
    EXPECT_EQ(r->GetValue(2), 5);
}

TEST_F(ParamReduction, MeanAngle) {
    struct Case {
        std::vector<double> Angles;
        double Expected;
    };
    const Case cases[] = {
        {{350, 10}, 0}, {{0, 90}, 45}, {{80, 100}, 90}, {{170, 190}, 180}, {{260, 280}, 270}, {{30}, 30}, {{300}, 300},
    };
    for (const Case& c : cases) {
        Source->ClearData();
        double t = 0;
        for (double a : c.Angles) Add(++t, a);
        TParamStreamConversion conv(101, 201, 0, true, '@');
        conv.CreateData(Streams, Result);
        conv.CollectData(0, 100);
        Result.AddRecord();
        conv.AddResultData(0);
        const double got = Result.GetSensor(201)->Last();
        // 0 and 360 are the same direction.
        EXPECT_NEAR(std::fmod(got + 360.0, 360.0), std::fmod(c.Expected, 360.0), 1e-9) << c.Angles[0];
    }
}

TEST_F(ParamReduction, WithoutSourceTheResultIsAPlainArray) {
    TParamStreamConversion conv(555, 201, 0, true, '/');
    conv.CreateData(Streams, Result);
    EXPECT_EQ(conv.Data(), nullptr);
    ASSERT_NE(conv.ResData(), nullptr);
    EXPECT_EQ(&conv.ResData()->ClassType(), &TSensorDataArray::Class);
    conv.CollectData(0, 10);
    Result.AddRecord();
    conv.AddResultData(0);
    EXPECT_EQ(conv.ResData()->GetState(0), ssError);
}

}  // namespace
