#include "WK2TCPClientBase.h"

#include "CmdLine.h"
#include "WKConsts.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

bool WK2TVerbose() {
    static const bool verbose = FindCmdLineSwitch(QStringLiteral("VERBOSE"));
    return verbose;
}

namespace {
QString TimeText(TDateTime t) { return IsValidDateTime(t) ? DateTimeToStr(t) : QString::number(t, 'g', 17); }

// A record time further ahead of the local clock than this (days) is refused:
// accepted, it would become the stream's last time and silence the stream.
constexpr double kMaxClockLead = 30;
// One millisecond of day, less the rounding of day numbers near 46,000.
constexpr double kMinTimeStep = 0.999 / 86400000.0;
// Decoding scratch above this many bytes is given back after a reply.
constexpr size_t kKeptScratchBytes = 4 * 1024 * 1024;

int64_t SteadyTicks() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// True when Payload read as records of Width values is a run of records
// whose times are valid, no later than Latest, each at least a millisecond
// after the one before, the first not before Last and the newest after it.
bool RecordsRise(const uint8_t* Payload, size_t Count, size_t Width, TDateTime Last, TDateTime Latest) {
    const size_t size = RecordSize(Width);
    TDateTime before = 0;
    for (size_t r = 0; r < Count; ++r) {
        const TDateTime t = ReadRecordTime(Payload + r * size);
        if (!(IsValidDateTime(t) && t <= Latest)) return false;
        if (r == 0 ? t < Last - kMinTimeStep : !(t - before >= kMinTimeStep)) return false;
        before = t;
    }
    return Count > 0 && before > Last;
}

// The width (values per record) other than Width whose records fill the
// payload exactly, all rising, and outnumber the Accepted records that Width
// gave; -1 when there is none. A server whose records are narrower or wider
// than the structure the client holds shows up so: read at the wrong width,
// most record times are garbage, while the right width explains every byte.
int OtherRecordWidth(const uint8_t* Payload, size_t Size, size_t Width, size_t Accepted, TDateTime Last,
                     TDateTime Latest) {
    // Widths beyond the client's bound count too: such a server is told
    // apart, and its structure is then refused by name.
    for (size_t w = 0; RecordSize(w) <= Size / (Accepted + 1); ++w) {
        if (w == Width || Size % RecordSize(w) != 0) continue;
        if (RecordsRise(Payload, Size / RecordSize(w), w, Last, Latest)) return int(w);
    }
    return -1;
}
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

EWK2TFailure::EWK2TFailure(const QString& Where, const std::exception& Inner) : Exception(ExceptionMessage(Inner)) {
    const auto* inner = dynamic_cast<const EWK2TFailure*>(&Inner);
    FWhere = inner ? Where + QStringLiteral(": ") + inner->Where() : Where;
}

TRecordBlock::TRecordBlock(QString StreamID, TGIDArray GIDs, size_t Rows)
    : FStreamID(std::move(StreamID)),
      FGIDs(std::move(GIDs)),
      FRows(Rows),
      FData(std::make_unique_for_overwrite<double[]>((FGIDs.size() + 1) * Rows)) {}

void TWKTCPDataQueue::Push(std::shared_ptr<const TRecordBlock> Block) {
    if (!Block || Block->Count() == 0) return;
    FCount += Block->Count();
    FBytes += Block->Bytes();
    FBlocks.push_back({std::move(Block), 0});
}

void TWKTCPDataQueue::Consumed(size_t Records) {
    TEntry& front = FBlocks.front();
    front.First += Records;
    FCount -= Records;
    if (front.First < front.Block->Count()) return;
    const size_t bytes = front.Block->Bytes();
    FBytes = FBytes > bytes ? FBytes - bytes : 0;
    FBlocks.pop_front();
    if (FBlocks.empty()) {
        FBlocks.shrink_to_fit();
        FBytes = 0;
    }
}

bool TWKTCPDataQueue::Pop(TStreamDataItem& Item) {
    if (FBlocks.empty()) return false;
    const TRecordBlock& block = *FBlocks.front().Block;
    const size_t r = FBlocks.front().First;
    Item.StreamID = block.StreamID();
    Item.Time = block.Times()[r];
    const TGIDArray& gids = block.GIDs();
    Item.Pairs.resize(gids.size());
    for (size_t k = 0; k < gids.size(); ++k) Item.Pairs[k] = {gids[k], block.Column(k)[r]};
    Consumed(1);
    return true;
}

size_t TWKTCPDataQueue::Take(std::vector<TRecordRun>& Runs, size_t Max) {
    size_t taken = 0;
    while (taken < Max && !FBlocks.empty()) {
        const TEntry& front = FBlocks.front();
        const size_t n = std::min(Max - taken, front.Block->Count() - front.First);
        Runs.push_back({front.Block, front.First, n});
        taken += n;
        Consumed(n);
    }
    return taken;
}

TWK2TClientBase::TWK2TClientBase() : FClock(Now), FTicks(SteadyTicks) {}
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

size_t TWK2TClientBase::GetSensorsData(std::vector<TRecordRun>& Runs, size_t Max) {
    Runs.clear();
    TCriticalSectionGuard g(FCSLock);
    return FQueue.Take(Runs, Max);
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

void TWK2TClientBase::SetMaxQueuedBytes(size_t Bytes) {
    TCriticalSectionGuard g(FCSLock);
    FMaxQueuedBytes = Bytes;
}

size_t TWK2TClientBase::QueuedBytes() const {
    TCriticalSectionGuard g(FCSLock);
    return FQueue.Bytes();
}

uint64_t TWK2TClientBase::RefusedRecords() const {
    TCriticalSectionGuard g(FCSLock);
    return FRefusedRecords;
}

void TWK2TClientBase::SetClock(std::function<TDateTime()> Clock) {
    TCriticalSectionGuard g(FCSLock);
    FClock = Clock ? std::move(Clock) : std::function<TDateTime()>(Now);
}

void TWK2TClientBase::SetWantedStreams(const QStringList& IDs) {
    TCriticalSectionGuard g(FCSLock);
    FWantedStreams = IDs;
}

QString TWK2TClientBase::GetStreamProblem() const {
    TCriticalSectionGuard g(FCSLock);
    return FStreamProblem;
}

void TWK2TClientBase::SetStreamProblem(const QString& StreamID, const QString& Problem) {
    {
        TCriticalSectionGuard g(FCSLock);
        const QString text = QStringLiteral("поток ") + StreamID + QStringLiteral(": ") + Problem;
        // A fault that repeats every cycle is written once.
        if (text == FStreamProblem) return;
        FStreamProblem = text;
        FProblemStreamID = StreamID;
    }
    DebugLog(QStringLiteral("TWK2TClientBase: поток ") + StreamID + QStringLiteral(": ") + Problem);
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
        if (listed.size() > size_t(kWK2TMaxStreams)) {
            // More than the client keeps: the streams it has and the ones it
            // is configured for come first, then the rest in list order, the
            // ones it would not poll last.
            QStringList wanted;
            {
                TCriticalSectionGuard g(FCSLock);
                wanted = FWantedStreams;
            }
            auto first = [&](const TListed& l) {
                return FStreams.GetStreamByID(l.ID) || wanted.contains(l.ID) ||
                       wanted.contains(l.ID.section(QLatin1Char('.'), 0, 0));
            };
            const auto rest = std::stable_partition(listed.begin(), listed.end(), first);
            std::stable_partition(rest, listed.end(), [this](const TListed& l) { return PolledStream(l.Short); });
            DebugLog(QStringLiteral("TWK2TClientBase.UpdateStreams: сервер перечислил %1 потоков, больше %2; "
                                    "взяты известные и настроенные, остальные пропущены")
                         .arg(lines.size())
                         .arg(kWK2TMaxStreams));
        }
        bool added = false;
        for (const TListed& l : listed) {
            if (TWKTCPStream* s = FStreams.GetStreamByID(l.ID)) {
                if (s->ShortID == l.Short) continue;
                TCriticalSectionGuard g(FCSLock);
                s->ShortID = l.Short;
                continue;
            }
            if (FStreams.Count() >= kWK2TMaxStreams) continue;
            auto s = std::make_unique<TWKTCPStream>();
            s->StreamID = l.ID;
            s->ShortID = l.Short;
            s->Active = true;
            // The structure is asked for outside the lock; the stream joins the
            // list only once it has one it can use.
            DecodeStructure(*s, Exchange(QLatin1Char('S'), s->ShortID));
            if (s->CurrentStructure.empty() && s->StructureStale) continue;
            PrepareNewStream(*s);
            TCriticalSectionGuard g(FCSLock);
            FStreams.Add(std::move(s));
            added = true;
        }
        if (added) DoUpdateStreams();
    } catch (const std::exception& e) {
        // Logged once, where the thread catches it.
        throw EWK2TFailure(QStringLiteral("TWK2TClientBase.UpdateStreams"), e);
    }
}

bool TWK2TClientBase::DecodeStructure(TWKTCPStream& Stream, const QByteArray& Body) {
    TGIDArray gids = ::DecodeStructure(Body);
    if (gids.size() > kWK2TMaxStreamGIDs) {
        // Not taken, and the old one no longer describes the data: the stream
        // waits for a structure it can use; the others go on.
        {
            TCriticalSectionGuard g(FCSLock);
            Stream.StructureStale = true;
        }
        SetStreamProblem(Stream.StreamID, QStringLiteral("структура из %1 датчиков, больше %2")
                                              .arg(gids.size())
                                              .arg(kWK2TMaxStreamGIDs));
        return false;
    }
    TCriticalSectionGuard g(FCSLock);
    Stream.StructureStale = false;
    if (gids == Stream.CurrentStructure) return false;
    Stream.CurrentStructure = std::move(gids);
    Stream.StructureChanged = true;
    return true;
}

void TWK2TClientBase::QueryStreamData(const TWKTCPStream& Stream) {
    if (!Stream.Active) return;
    if (Stream.CurrentStructure.empty() || Stream.StructureStale) {
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
        // Nobody drains: ask again later, once half of the queue has gone.
        if (FQueueFull && FQueue.Count() < FMaxQueuedRecords / 2 + FMaxQueuedRecords % 2 &&
            FQueue.Bytes() < FMaxQueuedBytes / 2)
            FQueueFull = false;
        if (FQueueFull || FQueue.Count() >= FMaxQueuedRecords || FQueue.Bytes() >= FMaxQueuedBytes) return;
    }
    // Every reply of the last cycle was read: anything more is a frame nobody
    // asked for, and the replies from here on would go to the wrong streams.
    if (HasPendingInput())
        throw EWK2TFailure(QStringLiteral("TWK2TClientBase.Poll"), Exception(QStringLiteral("TCP: лишний ответ сервера")));
    // Streams whose replies failed a cycle go last, so that one slow or
    // broken stream does not keep the replies of the others from being read.
    std::vector<TWKTCPStream*> order;
    order.reserve(size_t(FStreams.Count()));
    for (int i = 0; i < FStreams.Count(); ++i) order.push_back(FStreams[i]);
    std::stable_partition(order.begin(), order.end(), [](const TWKTCPStream* s) { return s->Failures == 0; });
    try {
        for (TWKTCPStream* s : order) {
            try {
                QueryStreamData(*s);
            } catch (const std::exception& e) {
                throw Exception(QStringLiteral("QueryStreamData ") + ExceptionMessage(e));
            }
        }
        // After a reply that did not fit its stream, the replies that follow
        // may answer other requests than they seem to: they are read and
        // dropped, and their streams asked again in the next cycle.
        bool inStep = true;
        for (TWKTCPStream* s : order) {
            if (inStep) inStep = ReadRequestResult(*s);
            else if (s->Active) ReadBinaryResult();
        }
    } catch (const std::exception& e) {
        throw EWK2TFailure(QStringLiteral("TWK2TClientBase.Poll"), e);
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

bool TWK2TClientBase::ReadRequestResult(TWKTCPStream& Stream) {
    if (!Stream.Active) return true;
    try {
        const QByteArray body = ReadBinaryResult();
        switch (ReplyCode(body) & 0xFF) {
            case 'D':
                if (!DecodeStreamData(Stream, body)) {
                    ++Stream.Failures;
                    return false;
                }
                Stream.Failures = 0;
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
        return true;
    } catch (const std::exception& e) {
        ++Stream.Failures;
        throw EWK2TFailure(QStringLiteral("ReadRequestResult ") + Stream.StreamID, e);
    }
}

bool TWK2TClientBase::DecodeStreamData(TWKTCPStream& Stream, const QByteArray& Body) {
    if (Body.size() <= 2) return true;
    TWK2TPayload payload;
    try {
        payload = DecodeDataPayload(Body, FBuffers);
    } catch (const std::exception& e) {
        const QChar comp = Body.size() >= 4 ? QChar(char16_t(uint8_t(Body[2]) | (uint8_t(Body[3]) << 8))) : QChar();
        throw EWK2TFailure(QStringLiteral("DecodeStreamData <") + comp + QLatin1Char('>'), e);
    }
    const size_t width = Stream.CurrentStructure.size();
    const size_t size = RecordSize(width);
    // Bytes beyond the last whole record are ignored.
    const size_t count = payload.Size / size;
    const bool verbose = WK2TVerbose();
    if (verbose)
        DebugLog(QStringLiteral("DecodeStreamData ") + Stream.StreamID + QStringLiteral(" read records: ") +
                 QString::number(count));
    size_t room = 0;
    TDateTime latest = 0;
    {
        TCriticalSectionGuard g(FCSLock);
        const size_t records = FQueue.Count() < FMaxQueuedRecords ? FMaxQueuedRecords - FQueue.Count() : 0;
        const size_t bytes = FQueue.Bytes() < FMaxQueuedBytes ? FMaxQueuedBytes - FQueue.Bytes() : 0;
        const size_t fixed = TRecordBlock::Bytes(size_t(Stream.StreamID.size()), width, 0);
        room = std::min(records, bytes > fixed ? (bytes - fixed) / TRecordBlock::RowBytes(width) : 0);
        latest = FClock() + kMaxClockLead;
    }
    // Accepted records are gathered in one block, column by column, and then
    // queued, with the stream's last time, under one lock, once the whole
    // reply is known to fit the stream.
    const size_t rows = std::min(count, room);
    auto block = rows > 0 ? std::make_shared<TRecordBlock>(Stream.StreamID, Stream.CurrentStructure, rows) : nullptr;
    const size_t stride = rows;
    TDateTime last = Stream.LastTime;
    uint64_t refused = 0;
    TDateTime firstRefused = 0, lastBeforeRefused = 0;
    size_t r = 0;
    for (; r < count && block && block->Count() < rows; ++r) {
        const uint8_t* rec = payload.Data + r * size;
        const TDateTime t = ReadRecordTime(rec);
        if (verbose) DebugLog(QStringLiteral("DecodeStreamData ") + Stream.StreamID + FormatQueryTime(t));
        // The first record of a reply never lies before the stream's last
        // time: such a reply answers another stream's request.
        if (r == 0 && last != 0 && IsValidDateTime(t) && t < last - kMinTimeStep)
            throw Exception(QStringLiteral("TCP: ответ не соответствует потоку (время %1 раньше %2)")
                                .arg(TimeText(t), TimeText(last)));
        // NaN fails the comparison and is refused with the rest. The microsecond
        // of slack absorbs the rounding of day numbers near 46,000.
        if (!(IsValidDateTime(t) && t <= latest && t > last && t - last >= kMinTimeStep)) [[unlikely]] {
            if (refused++ == 0) {
                firstRefused = t;
                lastBeforeRefused = last;
            }
            continue;
        }
        last = t;
        double* values = block->NextRow(t);
        for (size_t i = 0; i < width; ++i) values[i * stride] = double(ReadRecordValue(rec, i));
        block->CommitRow();
    }
    const size_t accepted = block ? block->Count() : 0;
    // Refused records or spare bytes: do the records have another width?
    // Then the structure held is not the server's, and nothing of the reply is
    // taken: its values would land in the wrong sensors and the records that
    // happen to line up would hide the others.
    if ((refused > 0 || payload.Size % size != 0) && r == count) {
        const int other = OtherRecordWidth(payload.Data, payload.Size, width, accepted, Stream.LastTime, latest);
        if (other >= 0) {
            {
                TCriticalSectionGuard g(FCSLock);
                Stream.StructureStale = true;
            }
            SetStreamProblem(Stream.StreamID,
                             QStringLiteral("записи в ответе по %1 байт, структура из %2 датчиков ждёт %3 байт; "
                                            "структура запрошена снова")
                                 .arg(RecordSize(size_t(other)))
                                 .arg(width)
                                 .arg(size));
            return false;
        }
    }
    if (refused > 0)
        DebugLog(QStringLiteral(">>> DecodeStreamData - ignore time ") + Stream.StreamID + QStringLiteral("New time: ") +
                 TimeText(firstRefused) + QStringLiteral(" Last time: ") + TimeText(lastBeforeRefused) +
                 (refused > 1 ? QStringLiteral(" (пропущено записей: %1)").arg(refused) : QString()));
    {
        TCriticalSectionGuard g(FCSLock);
        Stream.LastTime = last;
        FRefusedRecords += refused;
        if (r < count) FQueueFull = true;  // the rest is asked for again from the last accepted time
        if (block && block->Count() > 0) FDataSince = Ticks();
        if (block) FQueue.Push(std::move(block));
        // Records that fit: whatever was wrong with the stream is over.
        if (count > 0 && FProblemStreamID == Stream.StreamID) {
            FStreamProblem.clear();
            FProblemStreamID.clear();
        }
    }
    if (FBuffers.Inflated.capacity() > kKeptScratchBytes) std::vector<uint8_t>().swap(FBuffers.Inflated);
    return true;
}
