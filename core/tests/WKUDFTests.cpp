#include "WKUDF.h"

#include <gtest/gtest.h>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

using TValues = std::initializer_list<std::pair<int, double>>;

TSensorDataStream& AddStream(TWKStreamList& list, const QString& id, const QString& dataClass,
                             std::initializer_list<int> gids, int capacity = 100) {
    auto* s = list.Add(std::make_unique<TSensorDataStream>(0, id, id.section('.', 0, 0), dataClass, 1.0,
                                                           dataClass == "SrcTime" || dataClass == "Time", capacity));
    for (int gid : gids) s->AddSensor(gid);
    return *s;
}

void AddRecord(TSensorDataStream& s, TValues values) {
    s.AddRecord();
    for (auto [gid, v] : values) s.GetSensor(gid)->SetLast(v);
}

// The stored sample, without the computation a read through GetValue may start.
double Stored(TSensorDataArray* a, int i) { return a->TSensorDataArray::GetValue(i); }

std::unique_ptr<TExpression> Build(const QString& text) {
    RParser().SetText(text);
    return RParser().BuildExpression();
}

TEST(SensorIdentifiers, SyntaxOfTheGlobalParser) {
    const QString afterSensor = "Ожидается : бинарный оператор или оператор сравнения или логический оператор";
    const struct {
        const char* Text;
        QString Message;
        bool Builds;
    } cases[] = {
        {"S101 + s101", "", true},
        {"2 * S0101 >= 1 AND S7 < 3", "", true},
        {"IF(S1 > 0, (S2), 0)", "", true},
        // no comma directly after a sensor identifier
        {"IF(S1 > 0, S2, 0)", "Несовпадение числа функций и аргументов", false},
        {"(S2, 0)", "Ожидается : бинарный оператор или закрывающая скобка или оператор сравнения или логический оператор",
         false},
        {"S", "Неизвеcтный идентификатор : S", false},
        {"1 + Sx1", "Неизвеcтный идентификатор : Sx1", false},
        {"S1x", afterSensor, false},
        {"S101 S102", afterSensor, false},
        {"S99999999999", "", false},  // the GID does not fit an Integer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        RParser().SetText(c.Text);
        EXPECT_EQ(RParser().SyntaxCheck(), c.Message);
        EXPECT_EQ(RParser().BuildExpression() != nullptr, c.Builds);
    }
    auto e = Build("s101 - S0101 + S7");
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->GetArgumentsCount(), 3);
    const auto& a = dynamic_cast<TWKSensorExpressionIdentifier&>(e->GetArgument(1));
    EXPECT_EQ(a.StrID(), "0101");
    EXPECT_EQ(a.GID(), 101);
    EXPECT_EQ(dynamic_cast<TWKSensorExpressionIdentifier&>(e->GetArgument(0)).GID(), 101);
    EXPECT_EQ(dynamic_cast<TWKSensorExpressionIdentifier&>(e->GetArgument(2)).GID(), 7);
}

TEST(SensorIdentifiers, BindByDataClassOfTheHost) {
    TWKStreamList list;
    AddStream(list, "Time1s.W1", "Time", {0, 101, 102});
    TSensorDataStream& src = AddStream(list, "Src.W1", "SrcTime", {0, 101});
    TSensorDataStream& depth = AddStream(list, "Dpt.W1", "Depth", {0, 101});
    TSensorDataStream& bl = AddStream(list, "BL.W1", "BLDepth", {0, 101, 102});
    const struct {
        int GID;
        bool IsDateTime;
        TSensorDataArray* Expected;
    } cases[] = {
        {101, true, src.GetSensor(101)},   {102, true, nullptr},  // "Time" streams are not sources
        {101, false, depth.GetSensor(101)}, {102, false, bl.GetSensor(102)},
        {103, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.GID);
        auto e = Build(QStringLiteral("S%1").arg(c.GID));
        ASSERT_NE(e, nullptr);
        auto& ident = dynamic_cast<TWKSensorExpressionIdentifier&>(e->GetArgument(0));
        ident.Bind(list, c.IsDateTime);
        EXPECT_EQ(ident.DataArray(), c.Expected);
        // An unbound identifier gives NaN and fails its check.
        ident.UpdateValue(true, 1);
        EXPECT_EQ(std::isnan(ident.Value()), c.Expected == nullptr || c.Expected->GetCount() == 0);
        EXPECT_FALSE(e->CheckArguments());
    }
}

TEST(UDFDataArray, ResamplesSourcesOntoTheHostAxis) {
    TWKStreamList list;
    TSensorDataStream& src = AddStream(list, "Dpt.W1", "Depth", {0, 101});
    for (double d : {10, 20, 30}) AddRecord(src, {{0, d}, {101, d / 10}});
    TSensorDataStream& host = AddStream(list, "Host.W1", "Depth", {0});
    auto* udf = host.CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText("S101");
    udf->Bind(list);
    ASSERT_EQ(udf->Arguments().size(), 1u);

    // Incremental updates take the latest source record at or before the host's depth.
    udf->GetDataPointer();
    host.ResetNewCount();
    for (double d : {5, 15, 30, 35}) AddRecord(host, {{0, d}});
    udf->UpdateData();
    EXPECT_TRUE(std::isnan(Stored(udf, 0)));
    EXPECT_EQ(Stored(udf, 1), 1);
    EXPECT_EQ(Stored(udf, 2), 3);
    EXPECT_EQ(Stored(udf, 3), 3);

    // A full recomputation takes the first source record at or after it.
    udf->ResetData();
    const double* v = udf->GetDataPointer();
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], 2);
    EXPECT_EQ(v[2], 3);
    EXPECT_TRUE(std::isnan(v[3]));
    EXPECT_EQ(udf->GetState(3), ssEmpty);
    EXPECT_FALSE(udf->IsEmpty());
}

TEST(UDFDataArray, ReadsOutOfOrderBeforeARecomputation) {
    TWKStreamList list;
    TSensorDataStream& src = AddStream(list, "Src.W1", "SrcTime", {0, 101});
    for (int t = 1; t <= 5; ++t) AddRecord(src, {{0, t}, {101, t * 10.0}});
    auto* udf = src.CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText("S101 + 1");
    udf->Bind(list);
    // Each read finds its own record, whatever was read before.
    for (int i : {4, 0, 2, 1, 3}) EXPECT_EQ(udf->GetValue(i), (i + 1) * 10 + 1) << i;
    EXPECT_TRUE(udf->IsEmpty());
}

TEST(UDFDataArray, SampleValuesAndStates) {
    TWKStreamList list;
    TSensorDataStream& src = AddStream(list, "Src.W1", "SrcTime", {0, 101});
    AddRecord(src, {{0, 1}, {101, 4}});
    const double NaN = std::nan("");
    const struct {
        const char* Formula;
        double Value;
        TSensorState State;
    } cases[] = {
        {"S101 * 2 + 1", 9, ssNormal},
        {"IF(1, (S101), S999)", 4, ssNormal},   // an unbound identifier in a branch not taken
        {"S999 + 1", NaN, ssEmpty},           // unbound: NaN passes through arithmetic
        {"S101 / 0", NaN, ssError},
        {"SQRT(0 - S101)", NaN, ssError},
        {"S999 > 1", NaN, ssError},           // a comparison with NaN is an invalid operation
        {"IF((S999), 1, 2)", NaN, ssError},
        {"S101 * 1e300 * 1e300", NaN, ssError},  // beyond the range of a sample
        {"S101 +", NaN, ssEmpty},             // no plan at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Formula);
        auto* udf = src.CreateSensor<TUDFDataArray>(-1);
        udf->SetFormulaText(c.Formula);
        udf->Bind(list);
        EXPECT_EQ(udf->GetState(0), ssEmpty);
        const double v = udf->GetValue(0);  // computed on the first read
        if (std::isnan(c.Value))
            EXPECT_TRUE(std::isnan(v));
        else
            EXPECT_EQ(v, c.Value);
        EXPECT_EQ(udf->GetState(0), c.State);
        src.RemoveSensor(udf);
    }
}

TEST(UDFDataArray, FollowsNewRecordsOfAStreamList) {
    // Primary list filled as the acquisition does; the secondary list copies
    // the new records each tick and hosts the computed channel.
    TWKStreamList primary, secondary;
    TSensorDataStream& src = AddStream(primary, "Src.W1", "SrcTime", {0, 101, 102});
    TSensorDataStream& time = AddStream(primary, "Time1s.W1", "Time", {0});
    secondary.SyncronizeWith(primary);
    auto* udf = secondary.GetStreamByID("Time1s")->CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText("S101 / S102 + 1");
    udf->Bind(secondary);
    ASSERT_NE(udf->Expression(), nullptr);
    udf->GetDataPointer();

    // (S101, S102) per record, three ticks of two records; a zero divisor in
    // the middle of the second tick.
    const double rows[][2] = {{2, 1}, {6, 2}, {3, 0}, {8, 4}, {9, 3}, {0, 0}};
    int t = 0;
    for (int tick = 0; tick < 3; ++tick) {
        for (int r = 0; r < 2; ++r, ++t) {
            AddRecord(src, {{0, t}, {101, rows[t][0]}, {102, rows[t][1]}});
            AddRecord(time, {{0, t}});
        }
        secondary.ResetNewCounters();
        secondary.CopyFrom(primary);
        ASSERT_EQ(udf->GetCount(), t);
        EXPECT_EQ(udf->GetState(t - 1), ssEmpty);
        udf->UpdateData();
    }
    const double* v = udf->GetDataPointer();
    EXPECT_EQ(v[0], 3);
    EXPECT_EQ(v[1], 4);
    EXPECT_EQ(udf->GetState(2), ssError);
    EXPECT_TRUE(std::isnan(v[2]));
    EXPECT_EQ(v[3], 3);  // the records after a faulty one are still computed
    EXPECT_EQ(v[4], 4);
    EXPECT_EQ(udf->GetState(4), ssNormal);
    EXPECT_EQ(udf->GetState(5), ssError);  // 0/0
    // The faulty sample is not computed again on every read.
    EXPECT_TRUE(std::isnan(udf->GetValue(2)));
    EXPECT_EQ(udf->GetState(2), ssError);
}

TEST(UDFDataArray, ComputedAgainWhenItsStreamIsCopiedWhole) {
    TWKStreamList primary, secondary;
    TSensorDataStream& src = AddStream(primary, "Src.W1", "SrcTime", {0, 101});
    for (int t = 1; t <= 3; ++t) AddRecord(src, {{0, t}, {101, t * 10.0}});
    secondary.SyncronizeWith(primary);
    TSensorDataStream& host = *secondary.GetStreamByID("Src.W1");
    auto* udf = host.CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText("S101 * 2");
    udf->Bind(secondary);
    udf->GetDataPointer();

    // The primary stream gains a sensor, so the next copy takes the stream
    // whole; the computed channel stays but its old samples are emptied.
    src.AddSensor(102);
    AddRecord(src, {{0, 4}, {101, 40}});
    secondary.ResetNewCounters();
    secondary.CopyFrom(primary);
    ASSERT_EQ(host.GetSensorByIndex(host.Count() - 1), udf);
    ASSERT_EQ(host.NewCount(), 1);
    udf->UpdateData();
    ASSERT_EQ(udf->GetCount(), 4);
    const double* v = udf->GetDataPointer();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], (i + 1) * 20.0) << i;
}

// A source column that counts how often its samples are read.
class TCountingArray : public TSensorDataArray {
public:
    using TSensorDataArray::TSensorDataArray;
    double GetValue(int i) override {
        ++Reads;
        return TSensorDataArray::GetValue(i);
    }
    long Reads = 0;
};

TEST(UDFDataArray, ErrorSamplesAreComputedOnce) {
    // The source's main axis counts its reads; the source value is missing in
    // every record, so every computed sample is NaN.
    constexpr int Records = 2000;
    TWKStreamList list;
    auto* src = list.Add(std::make_unique<TSensorDataStream>(0, "Src.W1", "Src", "SrcTime", 1.0, true, Records));
    auto* axis = src->CreateSensor<TCountingArray>(0);
    src->AddSensor(101);
    TSensorDataStream& host = AddStream(list, "Time1s.W1", "Time", {0}, Records);
    auto* udf = host.CreateSensor<TUDFDataArray>(-1);
    udf->SetFormulaText("S101 + 1");
    udf->Bind(list);
    udf->GetDataPointer();
    host.ResetNewCount();
    for (int t = 0; t < Records; ++t) {
        AddRecord(*src, {{0, t}});
        AddRecord(host, {{0, t}});
    }
    udf->UpdateData();  // incremental: each new record walks back from the newest source record
    for (int i = 0; i < Records; ++i) ASSERT_EQ(udf->GetState(i), ssEmpty) << i;

    // Reading the window again computes nothing.
    axis->Reads = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < Records; ++i) ASSERT_TRUE(std::isnan(udf->GetValue(i))) << i;
    EXPECT_EQ(axis->Reads, 0);

    // A full recomputation reads each source record a bounded number of times.
    udf->ResetData();
    udf->GetDataPointer();
    EXPECT_LE(axis->Reads, 3L * Records);

    // New records are computed on their first read, once.
    AddRecord(*src, {{0, Records}});
    AddRecord(host, {{0, Records}});
    axis->Reads = 0;
    EXPECT_TRUE(std::isnan(udf->GetValue(Records - 1)));
    const long firstRead = axis->Reads;
    EXPECT_GT(firstRead, 0);
    EXPECT_TRUE(std::isnan(udf->GetValue(Records - 1)));
    EXPECT_EQ(axis->Reads, firstRead);
}

// The sample-by-sample computation of records first to last - 1, with the
// channel's own reading of faults.
void ComputeOneByOne(TUDFDataArray* udf, int first, int last) {
    for (int i = first; i < last; ++i) try {
            udf->ProcessScan(i);
        } catch (const std::exception&) {
            udf->SetData(i, TSensorData{std::nan(""), ssError});
        }
}

void ExpectSameSamples(TUDFDataArray* blocks, TUDFDataArray* single) {
    ASSERT_EQ(blocks->GetCount(), single->GetCount());
    for (int i = 0; i < blocks->GetCount(); ++i) {
        const double a = Stored(blocks, i), b = Stored(single, i);
        ASSERT_EQ(blocks->GetState(i), single->GetState(i)) << i;
        if (std::isnan(b))
            ASSERT_TRUE(std::isnan(a)) << i;
        else
            ASSERT_EQ(a, b) << i;
    }
}

TEST(UDFDataArray, BlocksAgreeWithSampleBySample) {
    const QString formula = "S1 / S2 + SQRT(IF(S1 > (S2), S1 - (S2), S2 - (S1))) * 2 - SIN(S1) + S3";
    constexpr int Capacity = 1100;
    const struct {
        const char* Host;  // the channel's stream: the source itself, or another axis
        bool Repeats;      // the source axis repeats a value now and then
    } cases[] = {{"Src.W1", false}, {"Src.W1", true}, {"Time1s.W1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Host);
        SCOPED_TRACE(c.Repeats);
        const auto fill = [&c](TSensorDataStream& src, TSensorDataStream& other, int from, int to) {
            for (int r = from; r < to; ++r) {
                const double s1 = r % 397 == 5 ? std::nan("") : std::sin(r * 0.01) * 10;
                const double s2 = r % 401 == 7 ? 0 : std::cos(r * 0.013) * 5;
                const double axis = c.Repeats && r % 50 == 0 ? r * 2.0 - 2 : r * 2.0;
                AddRecord(src, {{0, axis}, {1, s1}, {2, s2}, {3, r % 7 * 0.5}});
                AddRecord(other, {{0, r * 2.0 + (r % 3 == 0 ? 0.0 : 1.0)}});
            }
        };
        TWKStreamList list;
        TSensorDataStream& src = AddStream(list, "Src.W1", "SrcTime", {0, 1, 2, 3}, Capacity);
        TSensorDataStream& time = AddStream(list, "Time1s.W1", "Time", {0}, Capacity);
        fill(src, time, 0, 1000);
        TSensorDataStream& host = *list.GetStreamByID(c.Host);
        auto* blocks = host.CreateSensor<TUDFDataArray>(-1);
        auto* single = host.CreateSensor<TUDFDataArray>(-1);
        for (auto* udf : {blocks, single}) {
            udf->SetFormulaText(formula);
            udf->Bind(list);
            ASSERT_NE(udf->Flat(), nullptr);
        }
        // A full recomputation.
        blocks->GetDataPointer();
        ComputeOneByOne(single, 0, single->GetCount());
        ExpectSameSamples(blocks, single);
        EXPECT_GT(blocks->Flat()->BlocksCount(), 0);
        EXPECT_GT(blocks->Flat()->FallbackBlocksCount(), 0);
        EXPECT_LT(blocks->Flat()->FallbackBlocksCount(), blocks->Flat()->BlocksCount());

        // New records, past the end of the window.
        single->GetDataPointer();
        src.ResetNewCount();
        time.ResetNewCount();
        fill(src, time, 1000, 1300);
        blocks->UpdateData();
        ComputeOneByOne(single, Capacity - 300, Capacity);
        ExpectSameSamples(blocks, single);
    }
}

TEST(UDFDataArray, FormulaTextAndBinding) {
    TWKStreamList list;
    TSensorDataStream& src = AddStream(list, "Src.W1", "SrcTime", {0, 101});
    AddRecord(src, {{0, 1}, {101, 5}});
    auto* udf = src.CreateSensor<TUDFDataArray>(-1);
    EXPECT_EQ(&udf->ClassType(), &TUDFDataArray::Class);
    EXPECT_TRUE(udf->ClassType().InheritsFrom(TSensorDataArray::Class));
    udf->SetFormulaText("S101 * 3");
    EXPECT_EQ(udf->Expression(), nullptr);  // built by Bind only
    udf->Bind(list);
    const TExpression* plan = udf->Expression();
    ASSERT_NE(plan, nullptr);
    EXPECT_EQ(udf->GetDataPointer()[0], 15);
    EXPECT_FALSE(udf->IsEmpty());

    udf->SetFormulaText("S101 * 3");  // the same text: nothing rebuilt or recomputed
    EXPECT_EQ(udf->Expression(), plan);
    EXPECT_FALSE(udf->IsEmpty());

    udf->SetFormulaText("S101 - 1");
    EXPECT_EQ(udf->Expression(), nullptr);
    EXPECT_TRUE(udf->IsEmpty());
    udf->UpdateData();  // nothing without a plan
    EXPECT_EQ(Stored(udf, 0), 15);
    udf->Bind(list);
    EXPECT_EQ(udf->GetDataPointer()[0], 4);

    // A formula reading its own channel gets the stored value instead of recursing.
    TSensorDataStream& depth = AddStream(list, "Dpt.W1", "Depth", {0});
    AddRecord(depth, {{0, 10}});
    auto* self = depth.CreateSensor<TUDFDataArray>(500);
    self->SetFormulaText("S500 + 1");
    self->Bind(list);
    ASSERT_EQ(self->Arguments().size(), 1u);
    EXPECT_EQ(self->Arguments()[0]->DataArray(), self);
    EXPECT_TRUE(std::isnan(self->GetDataPointer()[0]));
    EXPECT_TRUE(std::isnan(self->GetValue(0)));
}

}  // namespace
