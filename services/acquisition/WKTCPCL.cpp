#include "WKTCPCL.h"

#include "MainWindowHost.h"
#include "ModalDialogs.h"
#include "RegIniFile.h"
#include "StringLists.h"
#include "WK2TCPProtocol.h"
#include "WKConsts.h"
#include "WKHints.h"
#include "WKWells.h"
#include "dm_Service.h"
#include "fm_TCPCLSetup.h"

#include <QAction>
#include <QMenu>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

TWK2TCPServClient::TWK2TCPServClient(TWK2TCPClientTimeouts Timeouts, TWells* WellsList)
    : TWK2TCPClient(Timeouts), FWells(WellsList ? *WellsList : Wells()) {}

TWK2TCPServClient::~TWK2TCPServClient() {
    // The thread calls the overrides below; it must end before this part does.
    StopThread();
}

namespace {
// The server's time streams other than the one-second one are not polled.
bool HiddenTimeStream(const QString& shortID) {
    return shortID.contains(QStringLiteral("Time")) && !shortID.contains(QStringLiteral("Time1s"));
}
}  // namespace

void TWK2TCPServClient::PrepareNewStream(TWKTCPStream& Stream) {
    // Hidden before it is listed, so that the service never sees it active.
    if (HiddenTimeStream(Stream.ShortID)) Stream.Active = false;
}

bool TWK2TCPServClient::PolledStream(const QString& ShortID) const { return !HiddenTimeStream(ShortID); }

void TWK2TCPServClient::DoUpdateStreams() {
    ++FStructureChanged;
    TCriticalSectionGuard g(FCSLock);
    for (int i = 0; i < FStreams.Count(); ++i)
        if (HiddenTimeStream(FStreams[i]->ShortID)) FStreams[i]->Active = false;
}

void TWK2TCPServClient::DoUpdateWells(const QString& Text) {
    // The list holds the wells of the last answer, no more.
    QStringList ids;
    for (const QString& line : SplitReplyLines(Text)) {
        if (line.isEmpty()) continue;
        FWells.AddWell(line);
        ids << TWellDescr(line).GetWellID();
    }
    FWells.KeepOnly(ids);
    TWK2TCPClient::DoUpdateWells(Text);
}

QString TWK2TCPServClient::TransformStreamID(const QString& ServerID) {
    const qsizetype dot = ServerID.indexOf(QLatin1Char('.'));
    if (dot < 0) return ServerID;
    const QString wellID = FWells.WellShortIDToID(ServerID.mid(dot + 1));
    if (wellID.isEmpty()) return {};
    return ServerID.left(dot) + QLatin1Char('.') + wellID;
}

// ---------------------------------------------------------------------------
// TWKTCPClientService

namespace {
const QString kSection = QStringLiteral("TCPClient");
const QString kMenuCaption = QStringLiteral("Настройка");

// The local Streams row of a stream ID (its text before the first point).
struct TStreamRow {
    int MainGID = 0;
    QString Name;
    double Period = 0;
    bool IsDateTime = true;
    QString DataClass;
};

bool FindStreamRow(const QString& streamID, TStreamRow& row) {
    if (!dmService) return false;
    const QString id = streamID.section(QLatin1Char('.'), 0, 0);
    QSqlQuery q = dmService->OpenTable(QStringLiteral("Streams"), QStringLiteral("ID = ?"), {id});
    if (!q.next()) return false;
    row.MainGID = q.value(QStringLiteral("MainGID")).toInt();
    row.Name = q.value(QStringLiteral("Name")).toString();
    row.Period = q.value(QStringLiteral("Period")).toDouble();
    row.IsDateTime = q.value(QStringLiteral("IsDateTime")).toBool();
    row.DataClass = q.value(QStringLiteral("DataClass")).toString();
    return true;
}

// The IDs of the local Streams rows: the streams this installation is set up for.
QStringList ConfiguredStreams() {
    QStringList ids;
    if (!dmService) return ids;
    try {
        QSqlQuery q = dmService->OpenTable(QStringLiteral("Streams"));
        while (q.next()) ids << q.value(QStringLiteral("ID")).toString();
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TWKTCPClientService.ConfiguredStreams: ") + ExceptionMessage(e));
    }
    return ids;
}

void AddStreamSensor(TSensorDataStream& stream, uint16_t gid) {
    if (gid == 122) stream.AddSensor<TOpCodesDataArray>(gid);
    else stream.AddSensor(gid);
}
}  // namespace

int StreamBufferCapacity(int BufferHours, double PeriodMs, bool IsDateTime) {
    if (!IsDateTime) return 15000;
    // The period in whole seconds, halves to the even neighbour; a period
    // that rounds to no second counts in milliseconds (one second when none).
    const double seconds = std::isfinite(PeriodMs) ? std::nearbyint(PeriodMs / 1000.0) : 0;
    if (seconds >= 1) return int(std::clamp(std::floor(BufferHours * 3600.0 / seconds), 1.0, 2147483647.0));
    const double ms = PeriodMs > 0 && std::isfinite(PeriodMs) ? PeriodMs : 1000.0;
    return int(std::max<int64_t>(1, int64_t(double(BufferHours) * 3600000.0 / ms)));
}

TWKTCPClientService::TWKTCPClientService(QObject* Owner) : TWKService(Owner) {
    FFetchHours = -1;
    AddMenuItems();
    FTCPClient = std::make_unique<TWK2TCPServClient>();
    FTCPClient->SetFetchSize(GetFetchHours());
    FTCPClient->SetWantedStreams(ConfiguredStreams());
    const TRegIniFile reg(WKRegistryKey);
    const QString host = reg.ReadString(kSection, QStringLiteral("RemoteIP"), QStringLiteral("127.0.0.1"));
    const int port = reg.ReadInteger(kSection, QStringLiteral("Port"), 4150);
    FAccessCode = reg.ReadString(kSection, QStringLiteral("Code"));
    FTCPClient->SetHostPortAccess(host, port, FAccessCode);
    FTCPClient->Start();
}

TWKTCPClientService::~TWKTCPClientService() {
    FTCPClient.reset();
    delete FMenuItem.data();
}

void TWKTCPClientService::AddMenuItems() {
    IWKMainWindowHost* host = MainWindowHost();
    QMenu* menu = host ? host->FindTopMenu(kMenuCaption) : nullptr;
    if (!menu) {
        DebugLog(QStringLiteral("TWKTCPClientService.AddMenuItems: no menu ") + kMenuCaption);
        return;
    }
    FMenuItem = menu->addAction(QStringLiteral("Настройка соединения TCP/IP..."));
    connect(FMenuItem, &QAction::triggered, this, [this] { OnSetupClick(); });
    menu->menuAction()->setEnabled(true);
    menu->setEnabled(true);
}

int TWKTCPClientService::GetBufferHours() {
    TCriticalSectionGuard g(FCSBuffer);
    if (FBufferHours <= 0)
        FBufferHours = WKRegIniFile().ReadInteger(kSection, QStringLiteral("BufferSize"), DefaultBufferHours);
    return FBufferHours;
}

void TWKTCPClientService::SetBufferHours(int Hours) {
    {
        TCriticalSectionGuard g(FCSBuffer);
        if (Hours == FBufferHours) return;
        FBufferHours = Hours;
    }
    ::CreateStreams();
    WKRegIniFile().WriteInteger(kSection, QStringLiteral("BufferSize"), Hours);
}

int TWKTCPClientService::GetFetchHours() {
    TCriticalSectionGuard g(FCSBuffer);
    if (FFetchHours < 0)
        FFetchHours = WKRegIniFile().ReadInteger(kSection, QStringLiteral("FetchSize"), DefaultFetchHours);
    return FFetchHours;
}

void TWKTCPClientService::SetFetchHours(int Hours) {
    TCriticalSectionGuard g(FCSBuffer);
    if (Hours == FFetchHours) return;
    FFetchHours = Hours;
    WKRegIniFile().WriteInteger(kSection, QStringLiteral("FetchSize"), Hours);
}

void TWKTCPClientService::Notify(TServiceEvent Event, void* Sender) {
    if (FTCPClient->GetWellUpdate()) {
        QString wells = FTCPClient->GetWells();
        ::NotifyServices(seWellsChanged, &wells);
    }
    switch (Event) {
        case seCreateStreams:
            if (Sender) CreateStreams(*static_cast<TWKStreamList*>(Sender));
            break;
        case sePoll:
            if (Sender) Poll(static_cast<TWKServices*>(Sender)->Streams());
            break;
        case seRequestWells:
            RequestWells();
            break;
        case seIdle:
            if (Sender) WatchConnection(static_cast<TWKServices*>(Sender)->Streams());
            break;
        default:
            break;
    }
}

void TWKTCPClientService::WatchConnection(TWKStreamList& List) {
    const bool connected = FTCPClient->Connected();
    const QString server = FTCPClient->GetHost() + QLatin1Char(':') + QString::number(FTCPClient->GetPort());
    if (connected) {
        if (FServerLink == TServerLink::Lost)
            AddHint(hcInformation, QStringLiteral("Сервер сбора данных"),
                    QStringLiteral("Связь с сервером сбора данных %1 восстановлена").arg(server));
        FServerLink = TServerLink::Connected;
        return;
    }
    // Told once; at the start only after the client's first attempt.
    if (FServerLink == TServerLink::Connected || (FServerLink == TServerLink::Unknown && FTCPClient->Cycles() > 0)) {
        const QString message = FServerLink == TServerLink::Connected
                                    ? QStringLiteral("Связь с сервером сбора данных %1 потеряна").arg(server)
                                    : QStringLiteral("Нет связи с сервером сбора данных %1").arg(server);
        FServerLink = TServerLink::Lost;
        DebugLog(QStringLiteral("TWKTCPClientService.WatchConnection: ") + message + QStringLiteral(": ") +
                 FTCPClient->GetState());
        AddHint(hcWarning, QStringLiteral("Сервер сбора данных"), message);
    }
    // While the server is away, whatever the streams hold came before the
    // loss, records still queued then and drained since included.
    if (FServerLink == TServerLink::Lost)
        for (int i = 0; i < List.Count(); ++i) List.GetStreamByIndex(i)->MarkStale();
}

void TWKTCPClientService::CreateStreams(TWKStreamList& List) {
    const int hours = GetBufferHours();
    for (const TWKTCPStreamStructure& st : FTCPClient->GetStreams(false)) {
        try {
            // Exactly this ID: a bare server stream never lands in a suffixed local one.
            if (TSensorDataStream* stream = List.GetStreamByExactID(st.StreamID)) {
                if (stream->IsDateTime() && stream->Period() > 0)
                    stream->SetCapacity(StreamBufferCapacity(hours, stream->Period(), true));
                // Sensors the server added since: new arrays, aligned with the records held.
                for (uint16_t gid : st.Structure)
                    if (!stream->GetSensor(gid)) AddStreamSensor(*stream, gid);
                continue;
            }
            TStreamRow row;
            row.Name = st.StreamID;
            // Consumers look for the acquisition streams by this class.
            row.DataClass = QStringLiteral("SrcTime");
            FindStreamRow(st.StreamID, row);
            const int capacity = StreamBufferCapacity(hours, row.Period, row.IsDateTime);
            DebugLog(QStringLiteral("TCPClient service: buffer capacity ") + row.Name + QStringLiteral(" = ") +
                     QString::number(capacity));
            auto stream = std::make_unique<TSensorDataStream>(row.MainGID, st.StreamID, row.Name, row.DataClass,
                                                              row.Period, row.IsDateTime, capacity);
            for (uint16_t gid : st.Structure) AddStreamSensor(*stream, gid);
            if (!stream->GetSensor(row.MainGID)) AddStreamSensor(*stream, uint16_t(row.MainGID));
            List.Add(std::move(stream));
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKTCPClientService.CreateStreams ") + st.StreamID + QStringLiteral(": ") +
                     ExceptionMessage(e));
        }
    }
}

void TWKTCPClientService::Poll(TWKStreamList& List) {
    if (StructureChanged()) ::CreateStreams();
    DrainRecords(*FTCPClient, List, MaxRecordsPerTick, FDrainBuffers);
}

namespace {

// The arrays a structure's values go to in the stream: the time array, and per
// GID the stream's array of it (none for GID 0, whose array holds the time).
const TDrainBuffers::TColumnMap& ColumnMap(TDrainBuffers& Buffers, const TSensorDataStream& Stream,
                                           const TGIDArray& GIDs) {
    for (const auto& m : Buffers.Maps)
        if (m.Stream == &Stream && m.Layout == Stream.LayoutStamp() && m.GIDs == GIDs) return m;
    // Maps of streams or layouts that are gone are never found again.
    constexpr size_t MaxMaps = 64;
    if (Buffers.Maps.size() >= MaxMaps) Buffers.Maps.clear();
    TDrainBuffers::TColumnMap& m = Buffers.Maps.emplace_back();
    m.Stream = &Stream;
    m.Layout = Stream.LayoutStamp();
    m.GIDs = GIDs;
    m.Time = Stream.GetSensor(0);
    m.Arrays.reserve(GIDs.size());
    for (uint16_t gid : GIDs) m.Arrays.push_back(gid == 0 ? nullptr : Stream.GetSensor(gid));
    return m;
}

// Appends a run of records to the stream: the records in one step, then each
// column as a block. A GID that occurs twice ends with the later value.
void AppendRun(TSensorDataStream& Stream, const TRecordRun& Run, const TDrainBuffers::TColumnMap& Map) {
    const TRecordBlock& block = *Run.Block;
    const int n = int(Run.Count);
    Stream.AddRecords(n);
    if (Map.Time) Map.Time->SetLastValues(block.Times() + Run.First, n, false);
    for (size_t k = 0; k < Map.Arrays.size(); ++k)
        if (TSensorDataArray* a = Map.Arrays[k]) a->SetLastValues(block.Column(k) + Run.First, n, true);
}

}  // namespace

int DrainRecords(TWK2TClientBase& Client, TWKStreamList& List, int MaxRecords) {
    TDrainBuffers buffers;
    return DrainRecords(Client, List, MaxRecords, buffers);
}

int DrainRecords(TWK2TClientBase& Client, TWKStreamList& List, int MaxRecords, TDrainBuffers& Buffers) {
    const size_t taken = Client.GetSensorsData(Buffers.Runs, size_t(std::max(0, MaxRecords)));
    for (const TRecordRun& run : Buffers.Runs) {
        const TRecordBlock& block = *run.Block;
        // Records of a stream missing from the list are dropped.
        TSensorDataStream* stream = List.GetStreamByExactID(block.StreamID());
        if (!stream) continue;
        try {
            AppendRun(*stream, run, ColumnMap(Buffers, *stream, block.GIDs()));
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKTCPClientService.Poll ") + block.StreamID() + QStringLiteral(": ") +
                     ExceptionMessage(e));
        }
    }
    // The blocks' memory goes back once every run of them is written.
    Buffers.Runs.clear();
    return int(taken);
}

void TWKTCPClientService::RequestWells() {
    TWellItems items;
    Wells().GetActiveWellIDs(items);
    TStringList ids;
    for (const TWellItem& i : items) ids.Add(i.Text);
    DebugLog(QStringLiteral("TWKTCPClientService.RequestWells ") + ids.Text());
    FTCPClient->SetWells(ids.CommaText());
}

void TWKTCPClientService::OnSetupClick() {
    IWKMainWindowHost* host = MainWindowHost();
    TfmTCPCLSetup form(host ? host->MainWindow() : nullptr);
    form.SetAddress(FTCPClient->GetHost());
    form.SetPort(FTCPClient->GetPort());
    form.SetStateText(FTCPClient->GetState());
    form.SetAccessCode(FAccessCode);
    form.SetBufferSize(GetBufferHours());
    form.SetFetchSize(GetFetchHours());
    form.SetClient(FTCPClient.get());
    if (ShowModal(form) != mrOk) return;
    FAccessCode = form.AccessCode();
    FTCPClient->SetHostPortAccess(form.Address(), form.Port(), FAccessCode);
    // The connection takes the new settings whether or not they could be
    // stored; the user is told when they will be lost at the next start.
    try {
        TRegIniFile reg(WKRegistryKey);
        reg.Update([&] {
            reg.WriteString(kSection, QStringLiteral("RemoteIP"), form.Address());
            reg.WriteInteger(kSection, QStringLiteral("Port"), form.Port());
            reg.WriteString(kSection, QStringLiteral("Code"), FAccessCode);
        });
        SetBufferHours(form.BufferSize());
        SetFetchHours(form.FetchSize());
    } catch (const std::exception& e) {
        MessageDlg(ExceptionMessage(e), mtError, mbOK);
    }
    FTCPClient->SetFetchSize(GetFetchHours());
}
