#include "AcqSim.h"
#include "AcquisitionTestSupport.h"
#include "TestSupport.h"

#include <QProcess>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cmath>
#include <thread>
#include <csignal>

namespace {
const TDateTime kStart = EncodeDate(2026, 12, 8) + EncodeTime(22, 0, 0, 0);

// A bare protocol peer: one request, one reply frame.
class TRawClient {
public:
    explicit TRawClient(uint16_t port) {
        FFd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        Connected = ::connect(FFd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~TRawClient() { ::close(FFd); }
    void Send(QChar cmd, const QString& args) {
        const QByteArray r = EncodeRequest(cmd, args);
        ASSERT_EQ(::send(FFd, r.constData(), size_t(r.size()), MSG_NOSIGNAL), r.size());
    }
    // The bytes received until `size` arrived or the peer closed (empty on close).
    QByteArray Read(size_t size) {
        QByteArray out;
        while (size_t(out.size()) < size) {
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, 30000) <= 0) break;
            char buf[65536];
            const ssize_t n = ::recv(FFd, buf, std::min(sizeof buf, size - size_t(out.size())), 0);
            if (n <= 0) break;
            out.append(buf, n);
        }
        return out;
    }
    QByteArray Reply() {
        const QByteArray h = Read(4);
        if (h.size() < 4) return {};
        return Read(size_t(DecodeFrameLength(reinterpret_cast<const uint8_t*>(h.constData()))));
    }
    QByteArray Ask(QChar cmd, const QString& args = {}) {
        Send(cmd, args);
        return Reply();
    }
    void SendRaw(const QByteArray& bytes) {
        ASSERT_EQ(::send(FFd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL), bytes.size());
    }
    bool Connected = false;

private:
    int FFd = -1;
};

struct TRecord {
    TDateTime Time;
    std::vector<float> Values;
};

std::vector<TRecord> Records(const QByteArray& body, size_t width) {
    TWK2TDecodeBuffers buf;
    const TWK2TPayload p = DecodeDataPayload(body, buf);
    std::vector<TRecord> out;
    for (size_t off = 0; off + RecordSize(width) <= p.Size; off += RecordSize(width)) {
        TRecord r{ReadRecordTime(p.Data + off), {}};
        for (size_t i = 0; i < width; ++i) r.Values.push_back(ReadRecordValue(p.Data + off, i));
        out.push_back(r);
    }
    return out;
}

class AcqSimFixture : public testing::Test {
protected:
    AcqSimFixture() : Sim(AcqSimDefaultConfig(kStart)) {
        Sim.SetTime(kStart + 59.5 / 86400);  // records 0..59 of the one-second stream
        Sim.Start();
    }
    TAcqSim Sim;
};

TEST_F(AcqSimFixture, AnswersHandshakeAndLogsRequests) {
    TRawClient c(Sim.Port());
    ASSERT_TRUE(c.Connected);
    EXPECT_EQ(DecodeText(c.Ask('V')), "Acquisition server simulator 1.0");
    EXPECT_EQ(ReplyCode(c.Ask('A', "any")), u'O');
    const QStringList wells = SplitReplyLines(DecodeText(c.Ask('W')));
    ASSERT_EQ(wells.size(), 2);
    EXPECT_TRUE(wells[0].contains("SHORTID=5"));
    EXPECT_EQ(SplitReplyLines(DecodeText(c.Ask('L'))), QStringList({"Time1s.5=1", "Depth.5=1", "Time5s.5=1"}));
    EXPECT_EQ(DecodeStructure(c.Ask('S', "Depth.5")), TGIDArray({101, 103, 122, 1200}));
    const TWK2TErrorReply e = DecodeError(c.Ask('S', "Nope"));
    EXPECT_EQ(e.Number, 3);
    EXPECT_EQ(ReplyCode(c.Ask('W', "1002")), u'O');
    EXPECT_EQ(Sim.SelectedWells(), "1002");
    // Streams of wells not selected are no longer offered.
    EXPECT_EQ(DecodeText(c.Ask('L')), "");
    EXPECT_EQ(ReplyCode(c.Ask('Q')), u'E');
    EXPECT_EQ(Sim.RequestTexts(), QStringList({"V", "Aany", "W", "L", "SDepth.5", "SNope", "W1002", "L", "Q"}));
    EXPECT_EQ(Sim.Requests().front().Connection, 1);

    Sim.SetAccessCode("secret");
    EXPECT_EQ(ReplyCode(c.Ask('A', "wrong")), u'E');
    EXPECT_EQ(ReplyCode(c.Ask('A', "secret")), u'O');
}

TEST_F(AcqSimFixture, DataRepliesFollowTheClockTimeAndLimit) {
    TRawClient c(Sim.Port());
    for (char16_t comp : {u'0', u'1', u'2'}) {
        Sim.SetCompression(comp);
        const QByteArray body = c.Ask('D', "Time1s.5,,3600");
        ASSERT_EQ(body.mid(2, 1), QByteArray(1, char(comp)));
        const auto recs = Records(body, 6);
        ASSERT_EQ(recs.size(), 60u) << char(comp);
        for (size_t k = 0; k < recs.size(); ++k) {
            EXPECT_EQ(Sim.RecordIndex("Time1s.5", recs[k].Time), int64_t(k));
            for (size_t i = 0; i < 6; ++i) {
                const float want = TAcqSim::Value(TGIDArray{101, 102, 103, 122, 1200, 1303}[i], int64_t(k));
                if (std::isnan(want)) EXPECT_TRUE(std::isnan(recs[k].Values[i]));
                else EXPECT_EQ(recs[k].Values[i], want);
            }
        }
    }
    // After a given time, limited, and the five-second stream at its own pace.
    const auto after = Records(c.Ask('D', "Time1s.5" + QString(",") + FormatQueryTime(Sim.RecordTime("Time1s.5", 9)) + ",5"), 6);
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(Sim.RecordIndex("Time1s.5", after[0].Time), 10);
    EXPECT_EQ(Records(c.Ask('D', "Time5s.5,"), 2).size(), 12u);
    EXPECT_EQ(Records(c.Ask('D', "Time1s.5," + FormatQueryTime(Sim.RecordTime("Time1s.5", 59))), 6).size(), 0u);
    Sim.SetTime(kStart + 120.0 / 86400);
    EXPECT_EQ(Records(c.Ask('D', "Time1s.5," + FormatQueryTime(Sim.RecordTime("Time1s.5", 59))), 6).size(), 61u);
    EXPECT_EQ(ReplyCode(c.Ask('D', "Time1s.5")), u'E');
}

TEST_F(AcqSimFixture, RunLengthRepliesFitTheClientBuffer) {
    Sim.SetTime(kStart + 1.0);  // a day of records
    Sim.SetCompression(kWK2TRLECompression);
    TRawClient c(Sim.Port());
    const QByteArray body = c.Ask('D', "Time1s.5,");
    TWK2TDecodeBuffers buf;
    const size_t size = DecodeDataPayload(body, buf).Size;
    EXPECT_LE(size, kWK2TRLEBufferSize);
    EXPECT_GT(size, kWK2TRLEBufferSize / 2);
}

// Kept replies are served only for the same records made of the same
// settings: a later clock, a new compression or structure makes new ones.
TEST_F(AcqSimFixture, ReplyCacheServesOnlyRepliesOfTheSameRecordsAndSettings) {
    Sim.SetReplyCache(16);
    TRawClient c(Sim.Port());
    const QByteArray first = c.Ask('D', "Time1s.5,,3600");
    EXPECT_EQ(c.Ask('D', "Time1s.5,,3600"), first);
    EXPECT_EQ(Sim.CachedReplies(), 1u);
    Sim.SetTime(kStart + 69.5 / 86400);
    EXPECT_EQ(Records(c.Ask('D', "Time1s.5,,3600"), 6).size(), 70u);
    Sim.SetCompression(kWK2TZlibCompression);
    const QByteArray zlib = c.Ask('D', "Time1s.5,,3600");
    EXPECT_EQ(zlib.mid(2, 1), QByteArray(1, '2'));
    EXPECT_EQ(Records(zlib, 6).size(), 70u);
    Sim.SetStructure("Time1s.5", {101, 102});
    EXPECT_EQ(Records(c.Ask('D', "Time1s.5,,3600"), 2).size(), 70u);
    EXPECT_EQ(Records(c.Ask('D', "Time1s.5,,3600"), 2).size(), 70u);
    EXPECT_EQ(Sim.CachedReplies(), 2u);
}

TEST_F(AcqSimFixture, ScriptedPushesAndAnomalies) {
    TRawClient c(Sim.Port());
    using K = TAcqSimAction;
    Sim.Script(TAcqSimAction(K::PushStructure, 'D', "Depth.5").WithStructure({101, 103}));
    Sim.Script(TAcqSimAction(K::PushError).WithText("Сбой", 7));
    Sim.Script(TAcqSimAction(K::PushUnknownCode));
    Sim.Script(TAcqSimAction(K::Duplicate));
    Sim.Script(TAcqSimAction(K::NaNTime));
    // Not for this stream: the structure push waits for Depth.5.
    const TWK2TErrorReply e = DecodeError(c.Ask('D', "Time1s.5,"));
    EXPECT_EQ(e.Number, 7);
    EXPECT_EQ(e.Text, "Сбой");
    EXPECT_EQ(DecodeStructure(c.Ask('D', "Depth.5,")), TGIDArray({101, 103}));
    EXPECT_EQ(ReplyCode(c.Ask('D', "Time1s.5,")), u'X');
    auto recs = Records(c.Ask('D', "Time1s.5,,3"), 6);
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[1].Time, recs[0].Time);
    EXPECT_EQ(recs[1].Values[0], -999.0f);
    recs = Records(c.Ask('D', "Time1s.5,,3"), 6);
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_TRUE(std::isnan(recs[1].Time));
    EXPECT_EQ(Records(c.Ask('D', "Depth.5,"), 2).size(), 12u);  // the new structure's width
    EXPECT_EQ(Sim.PendingActions(), 0);
}

TEST_F(AcqSimFixture, FrameFaults) {
    using K = TAcqSimAction;
    {
        TRawClient c(Sim.Port());
        Sim.Script(TAcqSimAction(K::ShortLength, 'V'));
        c.Send('V', {});
        EXPECT_EQ(c.Read(5), QByteArray("\1\0\0\0V", 5));
    }
    {
        TRawClient c(Sim.Port());
        Sim.Script(TAcqSimAction(K::CloseMidFrame, 'V'));
        c.Send('V', {});
        const QByteArray got = c.Read(1000);
        EXPECT_GT(got.size(), 4);
        EXPECT_LT(got.size(), 4 + MakeTextBody('V', "Acquisition server simulator 1.0").size());
    }
    {
        TRawClient c(Sim.Port());
        Sim.Script(TAcqSimAction(K::CorruptZlib));
        TWK2TDecodeBuffers buf;
        EXPECT_THROW(DecodeDataPayload(c.Ask('D', "Time1s.5,"), buf), EWK2TCPProtocolError);
        Sim.Script(TAcqSimAction(K::RLEOverflow));
        EXPECT_THROW(DecodeDataPayload(c.Ask('D', "Time1s.5,"), buf), ERLEError);
    }
    Sim.RefuseConnections(1);
    {
        TRawClient c(Sim.Port());
        c.Send('V', {});
        EXPECT_TRUE(c.Reply().isEmpty());  // accepted and closed at once
    }
    TRawClient c(Sim.Port());
    EXPECT_EQ(ReplyCode(c.Ask('V')), u'V');
    EXPECT_GE(Sim.Connections(), 4);
}

TEST_F(AcqSimFixture, AccessCodeGuardsEveryRequestButTheVersion) {
    Sim.SetAccessCode("secret");
    TRawClient c(Sim.Port());
    ASSERT_TRUE(c.Connected);
    EXPECT_EQ(ReplyCode(c.Ask('V')), u'V');
    for (QChar cmd : {QChar('W'), QChar('L'), QChar('S'), QChar('D')})
        EXPECT_EQ(DecodeError(c.Ask(cmd, cmd == 'D' ? "Time1s.5," : "Time1s.5")).Number, 5) << cmd.toLatin1();
    EXPECT_EQ(ReplyCode(c.Ask('A', "wrong")), u'E');
    EXPECT_EQ(ReplyCode(c.Ask('L')), u'E');
    EXPECT_EQ(ReplyCode(c.Ask('A', "secret")), u'O');
    EXPECT_EQ(ReplyCode(c.Ask('L')), u'L');
    // Every connection sends the code for itself.
    TRawClient other(Sim.Port());
    EXPECT_EQ(ReplyCode(other.Ask('L')), u'E');
}

TEST_F(AcqSimFixture, ConnectionThreadsAreJoinedAndTheRequestLogIsBounded) {
    for (int i = 0; i < 50; ++i) {
        {
            TRawClient c(Sim.Port());
            ASSERT_TRUE(c.Connected);
            ASSERT_EQ(ReplyCode(c.Ask('V')), u'V');
        }
        ASSERT_TRUE(WaitFor([&] { return Sim.OpenConnections() == 0; }));
    }
    EXPECT_LE(Sim.ServeThreads(), 2);  // ended ones are joined as the next comes

    // One connection sends 10,050 requests: the log keeps the last 10,000.
    TRawClient c(Sim.Port());
    std::thread replies([&] { c.Read(size_t(1) << 40); });  // read until the simulator hangs up
    QByteArray burst;
    for (int i = 0; i < 10050; ++i) burst += EncodeRequest('S', QString::number(i));
    c.SendRaw(burst);
    const bool all = WaitFor([&] {
        const auto r = Sim.Requests();
        return !r.isEmpty() && r.back().Args == "10049";
    });
    Sim.DropConnections();
    replies.join();
    ASSERT_TRUE(all);
    const auto requests = Sim.Requests();
    EXPECT_EQ(requests.size(), 10000);
    EXPECT_EQ(requests.front().Args, "50");
}

TEST(AcqSimConfigOptions, RateAndSensorCount) {
    TAcqSimConfig c = AcqSimDefaultConfig(kStart);
    AcqSimSetRate(c, 50);
    AcqSimSetSensorCount(c, 8);
    for (const auto& s : c.Streams) {
        EXPECT_EQ(s.PeriodMs, 20);
        ASSERT_EQ(s.Structure.size(), 8u);
    }
    EXPECT_EQ(c.Streams[0].Structure, TGIDArray({101, 102, 103, 122, 1200, 1303, 2000, 2001}));
    AcqSimSetSensorCount(c, 2);
    EXPECT_EQ(c.Streams[1].Structure, TGIDArray({101, 103}));
    AcqSimSetRate(c, 5000);  // above a record a millisecond: one a millisecond
    EXPECT_EQ(c.Streams[0].PeriodMs, 1);
}

TEST(AcqSimProgram, HelpAndRefusedPort) {
    QProcess p;
    p.start(BinDir() + "/acqsim", {"--help"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("--port"));
    p.start(BinDir() + "/acqsim", {"--port", "70000"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
}
TEST(AcqSimProgram, ServesAndEndsNormallyOnTerm) {
    // Started, asked once, told to stop: it ends by returning 0 (no crash or
    // leak report at exit, which the sanitizer would turn into a failure).
    bool answered = false;
    const TProgramRun run = RunProgram("acqsim", {"--port", "0", "--history", "0"}, {}, [&](qint64 pid, QProcess& p) {
        QByteArray line;
        while (!line.contains('\n') && p.waitForReadyRead(60000)) line += p.readLine();
        const int colon = line.lastIndexOf(':');
        ASSERT_GT(colon, 0) << line.toStdString();
        TRawClient client(uint16_t(line.mid(colon + 1).trimmed().toUInt()));
        ASSERT_TRUE(client.Connected);
        client.Send('V', {});
        answered = !client.Read(4).isEmpty();
        ::kill(pid_t(pid), SIGTERM);
    });
    EXPECT_TRUE(answered);
    EXPECT_TRUE(run.Succeeded()) << run.Err.toStdString();
}
}  // namespace
