// The protocol client over a scripted transport: replies are handed in, the
// requests it sends are collected.
#include "AcquisitionTestSupport.h"
#include "WK2TCPClientBase.h"

#include <gtest/gtest.h>
#include <cmath>
#include <deque>

namespace {
const TDateTime T0 = EncodeDate(2026, 12, 8) + EncodeTime(22, 30, 15, 123);
constexpr double kMs = 1.0 / 86400000.0;

class TScriptedClient : public TWK2TClientBase {
public:
    QStringList Sent;
    std::deque<QByteArray> Replies;
    int StreamUpdates = 0;
    QStringList WellTexts;

    TWKTCPStream& AddStream(const QString& id, TGIDArray structure, bool active = true) {
        auto s = std::make_unique<TWKTCPStream>();
        s->StreamID = s->ShortID = id;
        s->CurrentStructure = std::move(structure);
        s->Active = active;
        TWKTCPStream& ref = *s;
        FStreams.Add(std::move(s));
        return ref;
    }
    std::vector<TStreamDataItem> Drain() {
        std::vector<TStreamDataItem> out;
        TStreamDataItem item;
        while (GetSensorsData(item)) out.push_back(std::move(item));
        return out;
    }

protected:
    void SendCommand(QChar cmd, const QString& args) override { Sent.append(QString(cmd) + args); }
    QByteArray ReadBinaryResult() override {
        if (Replies.empty()) throw Exception("no reply scripted");
        QByteArray r = Replies.front();
        Replies.pop_front();
        return r;
    }
    void DoUpdateStreams() override { ++StreamUpdates; }
    void DoUpdateWells(const QString& text) override { WellTexts.append(text); }
    QString TransformStreamID(const QString& id) override { return id.startsWith("Skip") ? QString() : id; }
    bool PolledStream(const QString& id) const override { return !id.startsWith("Quiet"); }
};

QByteArray Records(std::initializer_list<std::pair<double, float>> recs) {
    QByteArray out;
    for (auto [t, v] : recs) AppendRecord(out, t, &v, 1);
    return out;
}

QString Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no failure";
}

TEST(WK2TClientBase, ExchangeChecksTheReplyCode) {
    TScriptedClient c;
    c.Replies = {MakeErrorBody(3, "нет"), MakeTextBody('O', ""), MakeErrorBody(7, "x"), QByteArray("E\0", 2),
                 MakeCodeBody('O'), MakeTextBody('V', "Server")};
    EXPECT_EQ(Message([&] { c.Exchange('L'); }), "TCP: ошибка выполнения команды L (3)");
    EXPECT_EQ(Message([&] { c.Exchange('V'); }), "TCP: Несовпадение запроса и ответа");
    EXPECT_EQ(Message([&] { c.Exchange('S', "Depth"); }), "TCP: ошибка выполнения команды S (7)");
    EXPECT_EQ(Message([&] { c.Exchange('L'); }), "TCP: неполный ответ об ошибке");
    EXPECT_EQ(ReplyCode(c.Exchange('A', "code", 'O')), u'O');
    EXPECT_EQ(Message([&] { c.Exchange('V', {}, 'O'); }), "TCP: Несовпадение запроса и ответа");
    EXPECT_EQ(c.Sent, QStringList({"L", "V", "SDepth", "L", "Acode", "V"}));
}

TEST(WK2TClientBase, VersionWellsAndStreamList) {
    TScriptedClient c;
    c.Replies = {MakeTextBody('V', "WK proxy 3"), MakeTextBody('W', "WELL=1,WELLID=10\r\nWELL=2,WELLID=20")};
    c.UpdateVersion();
    c.QueryWells();
    EXPECT_TRUE(c.ProxyConnection());
    EXPECT_EQ(c.GetVersion(), "WK proxy 3");
    EXPECT_EQ(c.GetWells(), "WELL=1,WELLID=10\r\nWELL=2,WELLID=20");
    EXPECT_EQ(c.WellTexts.size(), 1);

    c.Replies = {MakeTextBody('L', "Depth.5=1\r\nDepth.6\r\nSkip.5=1\nTime1s.5=x"), MakeStructureBody({101, 103}),
                 MakeStructureBody({0, 122})};
    c.UpdateStreams(false);
    EXPECT_EQ(c.Sent, QStringList({"V", "W", "L", "SDepth.5", "STime1s.5"}));
    ASSERT_EQ(c.Streams().Count(), 2);
    EXPECT_EQ(c.Streams()[1]->CurrentStructure, TGIDArray({0, 122}));
    EXPECT_EQ(c.StreamUpdates, 1);
    const TWKTCPStreamStructures st = c.GetStreams(false);
    ASSERT_EQ(st.size(), 2u);
    EXPECT_EQ(st[0].StreamID, "Depth.5");
    // Not forced and streams known: nothing asked.
    c.UpdateStreams(false);
    EXPECT_EQ(c.Sent.size(), 5);
    // Known streams are kept; only new ones are asked for their structure.
    c.Replies = {MakeTextBody('L', "Depth.5=1\r\nTime1s.5=1\r\nTime5s.5=1"), MakeStructureBody({1})};
    c.UpdateStreams(true);
    EXPECT_EQ(c.Sent.mid(5), QStringList({"L", "STime5s.5"}));
    EXPECT_EQ(c.Streams().Count(), 3);
    EXPECT_EQ(c.StreamUpdates, 2);
}

TEST(WK2TClientBase, RecordAcceptanceTable) {
    TScriptedClient c;
    TWKTCPStream& s = c.AddStream("Time1s.5", {101});
    s.LastTime = T0;
    const double nan = std::nan("");
    c.DecodeStreamData(s, MakeDataBody(u'0', Records({{T0, 1},              // same time: ignored
                                                      {T0 + 0.5 * kMs, 2},  // within a millisecond: ignored
                                                      {T0 + 1 * kMs, 3},    // one millisecond later: queued
                                                      {T0 + 1 * kMs, 4},    // duplicate of it: ignored
                                                      {T0 - 1000 * kMs, 5}, // earlier: ignored
                                                      {nan, 6},             // NaN time: ignored
                                                      {T0 + 2000 * kMs, nan}})));  // NaN value kept
    const auto items = c.Drain();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Time, T0 + 1 * kMs);
    EXPECT_EQ(items[0].GetDataByGID(101), 3.0);
    EXPECT_EQ(items[0].StreamID, "Time1s.5");
    EXPECT_TRUE(std::isnan(items[1].GetDataByGID(101)));
    EXPECT_TRUE(std::isnan(items[1].GetDataByGID(102)));
    EXPECT_EQ(s.LastTime, T0 + 2000 * kMs);
    // The next query asks for records after the newest accepted one.
    c.SetFetchSize(2);
    c.Replies = {MakeDataBody(u'0', {})};
    c.Poll();
    EXPECT_EQ(c.Sent.back(), "DTime1s.5, 08.12.2026 22:30:17.123,7200");
}

TEST(WK2TClientBase, DataBodyEdges) {
    TScriptedClient c;
    TWKTCPStream& s = c.AddStream("D", {1, 2, 3});
    c.DecodeStreamData(s, QByteArray("D\0", 2));
    c.DecodeStreamData(s, MakeDataBody(u'0', {}));
    EXPECT_EQ(c.QueuedRecords(), 0u);
    QByteArray recs;
    const float v[3] = {1, 2, 3};
    for (int i = 0; i < 3; ++i) AppendRecord(recs, T0 + i * 1000 * kMs, v, 3);
    // 45 bytes of 20-byte records: the two whole records are taken, the five
    // bytes after them ignored.
    c.DecodeStreamData(s, MakeDataBody(u'0', recs.left(45)));
    const auto items = c.Drain();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Time, T0 + 1000 * kMs);
    EXPECT_EQ(items[1].GetDataByGID(3), 3.0);
    EXPECT_FALSE(s.StructureStale);
    EXPECT_EQ(c.GetStreamProblem(), "");
    // A compression unit that is no digit: the decoder's message, with where it happened.
    try {
        c.DecodeStreamData(s, QByteArray("D\0x\0\1\2", 6));
        ADD_FAILURE() << "decoded";
    } catch (const EWK2TFailure& e) {
        EXPECT_EQ(e.Where(), "DecodeStreamData <x>");
        EXPECT_EQ(e.Message(), "'x' is not a valid integer value");
    }
    EXPECT_EQ(s.LastTime, T0 + 1000 * kMs);
}

// Records of n one-second steps from T0, each with width values k + 0.5.
QByteArray Wide(int n, size_t width, int from = 0) {
    QByteArray out;
    std::vector<float> v(width);
    for (int k = from; k < from + n; ++k) {
        std::fill(v.begin(), v.end(), float(k) + 0.5f);
        AppendRecord(out, T0 + k * 1000 * kMs, v.data(), width);
    }
    return out;
}

TEST(WK2TClientBase, RecordsOfAnotherWidthRenewTheStructure) {
    const struct {
        TGIDArray Held;
        TGIDArray Served;
        int Records;
    } rows[] = {
        {{101, 102, 103}, {101}, 5},  // wider than the data, even multiple of it: 5 x 12 = 3 x 20
        {{101, 102, 103}, {101}, 1},  // one record, shorter than one of the held width
        {{101}, {101, 102, 103}, 3},  // narrower than the data
        {{101}, {101, 102, 103}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Held.size() << " held, " << row.Served.size() << " served, "
                                        << row.Records << " records");
        TScriptedClient c;
        TWKTCPStream& s = c.AddStream("A", row.Held);
        TWKTCPStream& other = c.AddStream("B", {7});
        c.SetFetchSize(0);
        c.DecodeStreamData(s, MakeDataBody(u'0', Wide(row.Records, row.Served.size())));
        // Nothing of it is taken, and the structure is asked for again.
        EXPECT_EQ(c.QueuedRecords(), 0u);
        EXPECT_EQ(s.LastTime, 0);
        EXPECT_TRUE(s.StructureStale);
        EXPECT_TRUE(c.GetStreamProblem().startsWith("поток A: записи в ответе по " +
                                                    QString::number(RecordSize(row.Served.size())) + " байт"))
            << c.GetStreamProblem().toStdString();
        c.Replies = {MakeStructureBody(row.Served), MakeDataBody(u'0', Wide(1, 1))};
        c.Poll();
        EXPECT_EQ(c.Sent, QStringList({"SA", "DB,"}));
        EXPECT_EQ(s.CurrentStructure, row.Served);
        EXPECT_FALSE(s.StructureStale);
        EXPECT_EQ(other.LastTime, T0);
        // The same records now arrive whole, from the first.
        c.Drain();
        c.Replies = {MakeDataBody(u'0', Wide(row.Records, row.Served.size())), MakeDataBody(u'0', {})};
        c.Poll();
        EXPECT_EQ(c.Sent.mid(2), QStringList({"DA,", "DB, 08.12.2026 22:30:15.123"}));
        const auto items = c.Drain();
        ASSERT_EQ(items.size(), size_t(row.Records));
        for (int k = 0; k < row.Records; ++k) {
            EXPECT_EQ(items[size_t(k)].Time, T0 + k * 1000 * kMs);
            EXPECT_EQ(items[size_t(k)].GetDataByGID(row.Served.back()), k + 0.5);
        }
        EXPECT_EQ(c.GetStreamProblem(), "");
    }
}

TEST(WK2TClientBase, LongStreamListKeepsTheKnownAndWantedStreams) {
    TScriptedClient c;
    c.AddStream("S250", {1});
    c.SetWantedStreams({"S299", "Depth"});
    QStringList lines;
    for (int i = 0; i < 10; ++i) lines << QStringLiteral("Quiet%1=1").arg(i);
    for (int i = 0; i < 400; ++i) lines << QStringLiteral("S%1=1").arg(i);
    lines << "Depth.5=1";
    c.Replies = {MakeTextBody('L', lines.join("\r\n"))};
    for (int i = 0; i < 300; ++i) c.Replies.push_back(MakeStructureBody({1}));
    c.UpdateStreams(true);
    ASSERT_EQ(c.Streams().Count(), kWK2TMaxStreams);
    // The known stream, the wanted ones (by ID or by name), then the list's
    // first, those the client would not poll last.
    EXPECT_NE(c.Streams().GetStreamByID("S250"), nullptr);
    EXPECT_NE(c.Streams().GetStreamByID("S299"), nullptr);
    EXPECT_NE(c.Streams().GetStreamByID("Depth.5"), nullptr);
    EXPECT_NE(c.Streams().GetStreamByID("S253"), nullptr);
    EXPECT_EQ(c.Streams().GetStreamByID("S254"), nullptr);
    EXPECT_EQ(c.Streams().GetStreamByID("Quiet0"), nullptr);
    EXPECT_EQ(c.Sent.size(), 1 + kWK2TMaxStreams - 1);  // L, and S for every new stream
    EXPECT_EQ(c.Sent[1], "SS299");
}

TEST(WK2TClientBase, PipelinedPollDispatchesEveryReply) {
    TScriptedClient c;
    TWKTCPStream& a = c.AddStream("A", {101});
    TWKTCPStream& b = c.AddStream("B", {});
    c.AddStream("C", {1}, false);
    c.AddStream("W", {1});
    c.AddStream("X", {1});
    c.SetFetchSize(0);
    c.Replies = {MakeDataBody(u'2', Records({{T0, 1.5f}})), MakeStructureBody({7, 8}), MakeTextBody('W', "WELL=9"),
                 MakeTextBody('X', "?")};
    int accepted = 0;
    c.OnDataAccept = [&] { ++accepted; };
    c.Poll();
    // One request per active stream goes out before any reply is read.
    EXPECT_EQ(c.Sent, QStringList({"DA,", "SB", "DW,", "DX,"}));
    EXPECT_EQ(a.LastTime, T0);
    EXPECT_EQ(b.CurrentStructure, TGIDArray({7, 8}));
    EXPECT_EQ(c.GetWells(), "WELL=9");
    EXPECT_EQ(accepted, 1);
    // Every stream has its structure and B's is new: one update, flags cleared.
    EXPECT_EQ(c.StreamUpdates, 1);
    EXPECT_FALSE(b.StructureChanged);
    // The same structure again changes nothing.
    c.Sent.clear();
    c.Replies = {MakeStructureBody({101}), MakeStructureBody({7, 8}), MakeDataBody(u'0', {}), MakeDataBody(u'0', {})};
    c.Poll();
    EXPECT_EQ(c.StreamUpdates, 1);
    // An error reply fails the poll with the server's text.
    c.Replies = {MakeErrorBody(4, "Сервер занят"), MakeDataBody(u'0', {})};
    EXPECT_EQ(Message([&] { c.Poll(); }), "Сервер занят");
}

TEST(WK2TClientBase, QueueBoundStopsAskingUntilDrained) {
    TScriptedClient c;
    TWKTCPStream& s = c.AddStream("A", {101});
    c.SetMaxQueuedRecords(2);
    c.Replies = {MakeDataBody(u'0', Records({{T0, 1}, {T0 + 1000 * kMs, 2}, {T0 + 2000 * kMs, 3}}))};
    c.Poll();
    // The bound holds within a reply too: the third record is not accepted
    // and will be asked for again.
    EXPECT_EQ(c.QueuedRecords(), 2u);
    EXPECT_EQ(s.LastTime, T0 + 1000 * kMs);
    c.Poll();
    EXPECT_EQ(c.Sent.size(), 1);  // nothing asked while the queue is full
    TStreamDataItem item;
    ASSERT_TRUE(c.GetSensorsData(item));
    c.Poll();
    EXPECT_EQ(c.Sent.size(), 1);  // nor before it has drained to half
    ASSERT_TRUE(c.GetSensorsData(item));
    c.Replies = {MakeDataBody(u'0', Records({{T0 + 2000 * kMs, 3}}))};
    c.Poll();
    EXPECT_EQ(c.Sent.back(), "DA, 08.12.2026 22:30:16.123,3600");
    EXPECT_EQ(s.LastTime, T0 + 2000 * kMs);
    EXPECT_EQ(c.QueuedRecords(), 1u);
}
}  // namespace
