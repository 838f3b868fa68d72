#include "WKTCPCL.h"

#include "WK2TCPProtocol.h"
#include "WKWells.h"

TWK2TCPServClient::TWK2TCPServClient(TWK2TCPClientTimeouts Timeouts, TWells* WellsList)
    : TWK2TCPClient(Timeouts), FWells(WellsList ? *WellsList : Wells()) {}

TWK2TCPServClient::~TWK2TCPServClient() {
    // The thread calls the overrides below; it must end before this part does.
    StopThread();
}

void TWK2TCPServClient::DoUpdateStreams() {
    ++FStructureChanged;
    TCriticalSectionGuard g(FCSLock);
    for (int i = 0; i < FStreams.Count(); ++i) {
        TWKTCPStream* s = FStreams[i];
        if (s->ShortID.contains(QStringLiteral("Time")) && !s->ShortID.contains(QStringLiteral("Time1s")))
            s->Active = false;
    }
}

void TWK2TCPServClient::DoUpdateWells(const QString& Text) {
    for (const QString& line : SplitReplyLines(Text))
        if (!line.isEmpty()) FWells.AddWell(line);
    TWK2TCPClient::DoUpdateWells(Text);
}

QString TWK2TCPServClient::TransformStreamID(const QString& ServerID) {
    const qsizetype dot = ServerID.indexOf(QLatin1Char('.'));
    if (dot < 0) return ServerID;
    const QString wellID = FWells.WellShortIDToID(ServerID.mid(dot + 1));
    if (wellID.isEmpty()) return {};
    return ServerID.left(dot) + QLatin1Char('.') + wellID;
}
