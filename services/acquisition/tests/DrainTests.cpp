// The drain moves queued records into the streams in batches: runs of one
// stream and structure, column by column. Checked against the same records
// written one at a time, across batch boundaries, structure changes, streams
// missing from the list and windows smaller than a batch.
#include "WK2TCPClientBase.h"
#include "WKTCPCL.h"

#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <map>

namespace {

const TDateTime T0 = EncodeDate(2026, 12, 10);
constexpr double kSecond = 1.0 / 86400.0;

// A client whose queue is filled by decoding data bodies directly.
class TQueueClient : public TWK2TClientBase {
public:
    void Queue(const QString& id, const TGIDArray& gids, int first, int count) {
        TWKTCPStream& s = FStreamsByID[id];
        s.StreamID = s.ShortID = id;
        s.CurrentStructure = gids;
        QByteArray records;
        std::vector<float> v(gids.size());
        for (int r = first; r < first + count; ++r) {
            for (size_t k = 0; k < gids.size(); ++k)
                v[k] = (r + k) % 5 == 0 ? std::nanf("") : float(gids[k] * 1000 + r);
            AppendRecord(records, T0 + r * kSecond, v.data(), v.size());
        }
        DecodeStreamData(s, MakeDataBody(u'0', records));
    }

protected:
    QByteArray ReadBinaryResult() override { return {}; }
    void SendCommand(QChar, const QString&) override {}

private:
    std::map<QString, TWKTCPStream> FStreamsByID;
};

std::unique_ptr<TWKStreamList> MakeList() {
    auto list = std::make_unique<TWKStreamList>();
    auto* a = list->Add(std::make_unique<TSensorDataStream>(0, "A.1", "A", "SrcTime", 1000, true, 4));
    for (int gid : {0, 101, 102, 103}) a->AddSensor(gid);
    auto* b = list->Add(std::make_unique<TSensorDataStream>(0, "B.1", "B", "SrcTime", 1000, true, 50));
    for (int gid : {0, 101, 200}) b->AddSensor(gid);
    return list;
}

// The drain's contract, one record at a time.
void WriteOneByOne(const TStreamDataItem& item, TWKStreamList& list) {
    TSensorDataStream* s = list.GetStreamByID(item.StreamID);
    if (!s) return;
    s->AddRecord();
    if (TSensorDataArray* t = s->GetSensor(0)) t->SetLast(item.Time);
    for (const TGIDValuePair& p : item.Pairs)
        if (TSensorDataArray* a = s->GetSensor(p.GID)) a->SetLast(p.Value, std::isnan(p.Value) ? ssError : ssNormal);
}

void ExpectSameLists(const TWKStreamList& a, const TWKStreamList& b) {
    ASSERT_EQ(a.Count(), b.Count());
    for (int k = 0; k < a.Count(); ++k) {
        TSensorDataStream& s = *a.GetStreamByIndex(k);
        TSensorDataStream& r = *b.GetStreamByIndex(k);
        SCOPED_TRACE(s.ID().toStdString());
        ASSERT_EQ(s.TotalCount(), r.TotalCount());
        ASSERT_EQ(s.NewCount(), r.NewCount());
        for (int j = 0; j < s.Count(); ++j) {
            TSensorDataArray& x = *s.GetSensorByIndex(j);
            TSensorDataArray& y = *r.GetSensorByIndex(j);
            ASSERT_EQ(x.GetCount(), y.GetCount());
            for (int i = 0; i < x.GetCount(); ++i) {
                ASSERT_EQ(std::bit_cast<uint64_t>(x.GetValue(i)), std::bit_cast<uint64_t>(y.GetValue(i)))
                    << "GID " << x.GetID() << " index " << i;
                ASSERT_EQ(x.GetState(i), y.GetState(i)) << "GID " << x.GetID() << " index " << i;
            }
            ASSERT_EQ(std::bit_cast<uint64_t>(x.GetLastReal()), std::bit_cast<uint64_t>(y.GetLastReal()));
        }
    }
}

void FillQueue(TQueueClient& c) {
    c.Queue("A.1", {101, 102}, 0, 3);
    c.Queue("B.1", {101, 200}, 0, 2);
    c.Queue("A.1", {102, 103, 101}, 3, 2);  // a new structure of A
    c.Queue("C.1", {101}, 0, 3);            // a stream the list does not have
    c.Queue("A.1", {102, 103, 101}, 5, 7);  // more than A's window of 4
    c.Queue("B.1", {200, 200}, 2, 3);       // a GID twice: the later value stands
}

TEST(DrainRecords, BatchesMatchRecordByRecord) {
    for (int max : {1, 2, 3, 4, 7, 1025}) {
        SCOPED_TRACE(max);
        TQueueClient client, reference;
        FillQueue(client);
        FillQueue(reference);
        ASSERT_EQ(client.QueuedRecords(), 20u);
        auto drained = MakeList(), expected = MakeList();
        TDrainBuffers buffers;
        int total = 0, calls = 0;
        for (int n; (n = DrainRecords(client, *drained, max, buffers)) > 0; ++calls) {
            EXPECT_LE(n, max);
            total += n;
            // The reference takes the same records one at a time.
            TStreamDataItem item;
            for (int k = 0; k < n; ++k) {
                ASSERT_TRUE(reference.GetSensorsData(item));
                WriteOneByOne(item, *expected);
            }
            ExpectSameLists(*drained, *expected);
            if (HasFatalFailure()) return;
        }
        EXPECT_EQ(total, 20);
        EXPECT_EQ(calls, (20 + max - 1) / max);
        EXPECT_EQ(client.QueuedRecords(), 0u);
    }
}

// The drain remembers which array takes which GID; an array added to the
// stream, or a stream replaced in the list, is written from the next drain on.
TEST(DrainRecords, ArraysAddedOrStreamsReplacedBetweenDrainsGetTheirValues) {
    TQueueClient client, reference;
    auto drained = MakeList(), expected = MakeList();
    TDrainBuffers buffers;
    auto drainBoth = [&] {
        const int n = DrainRecords(client, *drained, 1025, buffers);
        TStreamDataItem item;
        for (int k = 0; k < n; ++k) {
            ASSERT_TRUE(reference.GetSensorsData(item));
            WriteOneByOne(item, *expected);
        }
    };
    for (TQueueClient* c : {&client, &reference}) c->Queue("B.1", {101, 300}, 0, 3);
    drainBoth();
    // GID 300 had no array; now it has one.
    drained->GetStreamByID("B.1")->AddSensor(300);
    expected->GetStreamByID("B.1")->AddSensor(300);
    for (TQueueClient* c : {&client, &reference}) c->Queue("B.1", {101, 300}, 3, 4);
    drainBoth();
    ExpectSameLists(*drained, *expected);
    EXPECT_EQ(drained->GetStreamByID("B.1")->GetSensor(300)->Last(), 300 * 1000 + 6);
    // The list's stream is replaced by a copy (the old one freed).
    for (auto* list : {drained.get(), expected.get()}) {
        auto copy = std::make_unique<TSensorDataStream>(*list->GetStreamByID("B.1"));
        list->Remove(list->GetStreamByID("B.1"));
        list->Add(std::move(copy));
    }
    for (TQueueClient* c : {&client, &reference}) c->Queue("B.1", {101, 300}, 7, 2);
    drainBoth();
    ExpectSameLists(*drained, *expected);
    EXPECT_EQ(drained->GetStreamByID("B.1")->TotalCount(), 9);
}

}  // namespace
