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
    // Not a whole number of this stream's 20-byte records: the reply belongs to
    // another stream, and nothing of it is taken.
    EXPECT_THROW(c.DecodeStreamData(s, MakeDataBody(u'0', recs.left(45))), Exception);
    EXPECT_EQ(c.QueuedRecords(), 0u);
    EXPECT_EQ(s.LastTime, 0);
    c.DecodeStreamData(s, MakeDataBody(u'0', recs.left(40)));
    EXPECT_EQ(c.QueuedRecords(), 2u);
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
