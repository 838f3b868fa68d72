#include "WK2TCPClientBase.h"

#include "CmdLine.h"
#include "WKConsts.h"

#include <cmath>
#include <limits>

bool WK2TVerbose() {
    static const bool verbose = FindCmdLineSwitch(QStringLiteral("VERBOSE"));
    return verbose;
}

namespace {
QString TimeText(TDateTime t) { return std::isfinite(t) ? DateTimeToStr(t) : QStringLiteral("NAN"); }
}  // namespace

double TStreamDataItem::GetDataByGID(uint16_t GID) const {
    for (const auto& p : Pairs)
        if (p.GID == GID) return p.Value;
    return std::numeric_limits<double>::quiet_NaN();
}

TWKTCPStream* TWKTCPStreams::GetStreamByID(const QString& ID) const {
    for (const auto& s : FItems)
        if (s->StreamID == ID) return s.get();
    return nullptr;
}

bool TWKTCPDataQueue::Pop(TStreamDataItem& item) {
    if (FItems.empty()) return false;
    item = std::move(FItems.front());
    FItems.pop_front();
    return true;
}

TWK2TClientBase::TWK2TClientBase() = default;
TWK2TClientBase::~TWK2TClientBase() = default;

// ---- The thread-safe interface ----

bool TWK2TClientBase::GetSensorsData(TStreamDataItem& Item) {
    TCriticalSectionGuard g(FCSLock);
    return FQueue.Pop(Item);
}

size_t TWK2TClientBase::GetSensorsData(std::vector<TStreamDataItem>& Items, size_t Max) {
    TCriticalSectionGuard g(FCSLock);
    Items.resize(std::min(Max, FQueue.Count()));
    for (TStreamDataItem& item : Items) FQueue.Pop(item);
    return Items.size();
}

size_t TWK2TClientBase::QueuedRecords() const {
    TCriticalSectionGuard g(FCSLock);
    return FQueue.Count();
}

TWKTCPStreamStructures TWK2TClientBase::GetStreams(bool OnlyChanged) const {
    TCriticalSectionGuard g(FCSLock);
    TWKTCPStreamStructures out;
    for (int i = 0; i < FStreams.Count(); ++i) {
        const TWKTCPStream* s = FStreams[i];
        if (!s->Active || (OnlyChanged && !s->StructureChanged)) continue;
        out.push_back({s->StreamID, s->LastTime, s->CurrentStructure});
    }
    return out;
}

QString TWK2TClientBase::GetWells() const {
    TCriticalSectionGuard g(FCSLock);
    return FWellsInfo;
}

QString TWK2TClientBase::GetVersion() const {
    TCriticalSectionGuard g(FCSLock);
    return FVersion;
}

bool TWK2TClientBase::ProxyConnection() const {
    TCriticalSectionGuard g(FCSLock);
    return FProxyConnection;
}

void TWK2TClientBase::SetWells(const QString& WellIDs) {
    TCriticalSectionGuard g(FCSLock);
    FWellsRequest = WellIDs;
    FWellsRequestRequired = true;
}

void TWK2TClientBase::SetFetchSize(int Hours) {
    TCriticalSectionGuard g(FCSLock);
    FFetchSize = Hours;
    FMaxRecords = Hours * 3600;
}

int TWK2TClientBase::GetFetchSize() const {
    TCriticalSectionGuard g(FCSLock);
    return FFetchSize;
}

int TWK2TClientBase::GetPollPeriod() const {
    TCriticalSectionGuard g(FCSLock);
    return FPollPeriod;
}

void TWK2TClientBase::SetPollPeriod(int Ms) {
    TCriticalSectionGuard g(FCSLock);
    FPollPeriod = Ms;
}

void TWK2TClientBase::SetMaxQueuedRecords(size_t Count) {
    TCriticalSectionGuard g(FCSLock);
    FMaxQueuedRecords = Count;
}

// ---- Hooks ----

void TWK2TClientBase::DoAcceptData() {
    if (OnDataAccept) OnDataAccept();
}

void TWK2TClientBase::DoUpdateWells(const QString& Text) {
    TCriticalSectionGuard g(FCSEvents);
    if (OnWellChanged) OnWellChanged(Text);
}

// ---- Protocol steps ----

QByteArray TWK2TClientBase::Exchange(QChar Cmd, const QString& Args, QChar Expected) {
    SendCommand(Cmd, Args);
    const QByteArray body = ReadBinaryResult();
    const char16_t code = ReplyCode(body);
    if (code == u'E') {
        const TWK2TErrorReply e = DecodeError(body);
        throw Exception(QStringLiteral("TCP: ошибка выполнения команды ") + Cmd + QStringLiteral(" (") +
                        QString::number(e.Number) + QLatin1Char(')'));
    }
    if (code != (Expected.isNull() ? Cmd : Expected).unicode())
        throw Exception(QStringLiteral("TCP: Несовпадение запроса и ответа"));
    return body;
}

void TWK2TClientBase::UpdateVersion() {
    const QString version = DecodeText(Exchange(QLatin1Char('V')), kWK2TMaxTextUnits);
    TCriticalSectionGuard g(FCSLock);
    FVersion = version;
    FProxyConnection = version.contains(QStringLiteral("Proxy"), Qt::CaseInsensitive);
}

void TWK2TClientBase::Authentification() {
    QString code;
    {
        TCriticalSectionGuard g(FCSLock);
        code = FAccessCode;
    }
    if (!code.isEmpty()) Exchange(QLatin1Char('A'), code, QLatin1Char('O'));
}

void TWK2TClientBase::QueryWells() { SetWellInfo(DecodeText(Exchange(QLatin1Char('W')), kWK2TMaxTextUnits)); }

void TWK2TClientBase::SetWellInfo(const QString& Text) {
    {
        TCriticalSectionGuard g(FCSLock);
        FWellsInfo = Text;
    }
    DoUpdateWells(Text);
}

bool TWK2TClientBase::RequestActiveWells(bool Force) {
    QString wells;
    {
        TCriticalSectionGuard g(FCSLock);
        if (Force || FWellsRequestRequired) {
            wells = FWellsRequest;
            FWellsRequestRequired = false;
        }
    }
    if (wells.isEmpty()) return false;
    Exchange(QLatin1Char('W'), wells, QLatin1Char('O'));
    return true;
}

void TWK2TClientBase::UpdateStreams(bool Force) {
    if (!Force && FStreams.Count() > 0) return;
    try {
        DebugLog(QStringLiteral("TWK2TClientBase.UpdateStreams"));
        const QStringList lines = SplitReplyLines(DecodeText(Exchange(QLatin1Char('L'))));
        // Local IDs first: TransformStreamID may consult the wells list, which
        // is never called with a lock of ours held.
        struct TListed {
            QString Short, ID;
        };
        std::vector<TListed> listed;
        for (const QString& line : lines) {
            const QString shortID = StreamListShortID(line);
            const QString id = TransformStreamID(shortID);
            if (!id.isEmpty()) listed.push_back({shortID, id});
        }
        bool added = false;
        for (const TListed& l : listed) {
            if (TWKTCPStream* s = FStreams.GetStreamByID(l.ID)) {
                TCriticalSectionGuard g(FCSLock);
                s->ShortID = l.Short;
                continue;
            }
            auto s = std::make_unique<TWKTCPStream>();
            s->StreamID = l.ID;
            s->ShortID = l.Short;
            s->Active = true;
            // The structure is asked for outside the lock; the stream joins the
            // list only once it has it.
            DecodeStructure(*s, Exchange(QLatin1Char('S'), s->ShortID));
            PrepareNewStream(*s);
            TCriticalSectionGuard g(FCSLock);
            FStreams.Add(std::move(s));
            added = true;
        }
        if (added) DoUpdateStreams();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWK2TClientBase.UpdateStreams exception: ") + ExceptionMessage(e));
        throw;
    }
}

bool TWK2TClientBase::DecodeStructure(TWKTCPStream& Stream, const QByteArray& Body) {
    TGIDArray gids = ::DecodeStructure(Body);
    TCriticalSectionGuard g(FCSLock);
    if (gids == Stream.CurrentStructure) return false;
    Stream.CurrentStructure = std::move(gids);
    Stream.StructureChanged = true;
    return true;
}

void TWK2TClientBase::QueryStreamData(const TWKTCPStream& Stream) {
    if (!Stream.Active) return;
    if (Stream.CurrentStructure.empty()) {
        SendCommand(QLatin1Char('S'), Stream.ShortID);
        return;
    }
    int maxRecords;
    {
        TCriticalSectionGuard g(FCSLock);
        maxRecords = FMaxRecords;
    }
    SendCommand(QLatin1Char('D'), BuildDataQuery(Stream.ShortID, Stream.LastTime, maxRecords));
}

void TWK2TClientBase::Poll() {
    {
        TCriticalSectionGuard g(FCSLock);
        if (FQueue.Count() >= FMaxQueuedRecords) return;  // nobody drains: ask again later
    }
    try {
        for (int i = 0; i < FStreams.Count(); ++i) {
            try {
                QueryStreamData(*FStreams[i]);
            } catch (const Exception& e) {
                throw Exception(QStringLiteral("QueryStreamData ") + e.Message());
            }
        }
        for (int i = 0; i < FStreams.Count(); ++i) ReadRequestResult(*FStreams[i]);
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWK2TClientBase.Poll exception: ") + ExceptionMessage(e));
        throw;
    }
    bool all = true, changed = false;
    for (int i = 0; i < FStreams.Count(); ++i) {
        all = all && !FStreams[i]->CurrentStructure.empty();
        changed = changed || FStreams[i]->StructureChanged;
    }
    if (all && changed) {
        {
            TCriticalSectionGuard g(FCSLock);
            for (int i = 0; i < FStreams.Count(); ++i) FStreams[i]->StructureChanged = false;
        }
        DoUpdateStreams();
    }
    if (QueuedRecords() > 0) DoAcceptData();
}

void TWK2TClientBase::ReadRequestResult(TWKTCPStream& Stream) {
    if (!Stream.Active) return;
    try {
        const QByteArray body = ReadBinaryResult();
        switch (ReplyCode(body) & 0xFF) {
            case 'D':
                try {
                    DecodeStreamData(Stream, body);
                } catch (const std::exception& e) {
                    DebugLog(QStringLiteral("TWK2TClientBase.ReadRequestResult DecodeStreamData exception: ") +
                             ExceptionMessage(e));
                    throw;
                }
                break;
            case 'E':
                throw Exception(DecodeError(body).Text);
            case 'S':
                DecodeStructure(Stream, body);
                break;
            case 'W':
                SetWellInfo(DecodeText(body, kWK2TMaxTextUnits));
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWK2TClientBase.ReadRequestResult exception: ") + ExceptionMessage(e));
        throw;
    }
}

void TWK2TClientBase::DecodeStreamData(TWKTCPStream& Stream, const QByteArray& Body) {
    if (Body.size() <= 2) return;
    TWK2TPayload payload;
    try {
        payload = DecodeDataPayload(Body, FBuffers);
    } catch (const std::exception& e) {
        const QChar comp = Body.size() >= 4 ? QChar(char16_t(uint8_t(Body[2]) | (uint8_t(Body[3]) << 8))) : QChar();
        DebugLog(QStringLiteral("TWK2TClientBase.ReadRequestResult Decode exception: ") + Stream.StreamID +
                 QStringLiteral(" <") + comp + QStringLiteral("> ") + ExceptionMessage(e));
        throw;
    }
    const size_t width = Stream.CurrentStructure.size();
    const size_t size = RecordSize(width);
    const size_t count = payload.Size / size;
    const bool verbose = WK2TVerbose();
    if (verbose)
        DebugLog(QStringLiteral("DecodeStreamData ") + Stream.StreamID + QStringLiteral(" read records: ") +
                 QString::number(count));
    // Accepted records are gathered first and then queued, with the stream's
    // last time, under one lock.
    FDecoded.clear();
    FDecoded.reserve(count);
    TDateTime last = Stream.LastTime;
    for (size_t r = 0; r < count; ++r) {
        const uint8_t* rec = payload.Data + r * size;
        const TDateTime t = ReadRecordTime(rec);
        if (verbose) DebugLog(QStringLiteral("DecodeStreamData ") + Stream.StreamID + FormatQueryTime(t));
        // NaN fails the comparison and is ignored with the rest. The microsecond
        // of slack absorbs the rounding of day numbers near 46,000.
        if (!(t > last && (t - last) * 86400000.0 >= 0.999)) {
            DebugLog(QStringLiteral(">>> DecodeStreamData - ignore time ") + Stream.StreamID +
                     QStringLiteral("New time: ") + TimeText(t) + QStringLiteral(" Last time: ") + TimeText(last));
            continue;
        }
        last = t;
        TStreamDataItem& item = FDecoded.emplace_back();
        item.StreamID = Stream.StreamID;
        item.Time = t;
        item.Pairs.resize(width);
        for (size_t i = 0; i < width; ++i) item.Pairs[i] = {Stream.CurrentStructure[i], double(ReadRecordValue(rec, i))};
    }
    TCriticalSectionGuard g(FCSLock);
    Stream.LastTime = last;
    for (auto& item : FDecoded) FQueue.Push(std::move(item));
    FDecoded.clear();
}
