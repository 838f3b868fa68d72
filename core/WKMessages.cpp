#include "WKMessages.h"

#include "UIServices.h"
#include "WKConsts.h"

#include <mutex>

namespace {
std::mutex WriterLock;
TMessageLogWriter& Writer() {
    static TMessageLogWriter w;
    return w;
}
}  // namespace

QString SeveritySoundName(int severity) {
    static const char* const names[] = {"Hint", "User", "Information", "Warning", "Error", ""};
    if (severity < MinMessageSeverity || severity > MaxMessageSeverity) return {};
    return QString::fromLatin1(names[severity - MinMessageSeverity]);
}

void SetMessageLogWriter(TMessageLogWriter writer) {
    std::lock_guard lock(WriterLock);
    Writer() = std::move(writer);
}

void LogMessageSilent(int severity, const QString& className, int id, const QString& text) {
    if (severity < MinMessageSeverity || severity > MaxMessageSeverity) {
        DebugLog(QStringLiteral("LogMessage: severity out of range: %1").arg(severity));
        return;
    }
    TMessageLogWriter writer;
    {
        std::lock_guard lock(WriterLock);
        writer = Writer();
    }
    if (writer && WKMainApplication()) writer(severity, className, id, text);
}

void LogMessage(int severity, const QString& className, int id, const QString& text) {
    if (severity < MinMessageSeverity || severity > MaxMessageSeverity) {
        DebugLog(QStringLiteral("LogMessage: severity out of range: %1").arg(severity));
        return;
    }
    LogMessageSilent(severity, className, id, text);
    PlaySoundFile(SeveritySoundName(severity), false);
}

void PlayWKSound(int severity) {
    if (severity < MinMessageSeverity || severity > MaxMessageSeverity) return;
    PlaySoundFile(SeveritySoundName(severity), false);
}

void PlaySoundFile(const QString& name, bool noInterrupt) {
    if (name.isEmpty()) return;
    // Stored sound names carry no extension; the files are wave files.
    const QString file = name.contains(QLatin1Char('.')) ? name : name + QStringLiteral(".wav");
    UIServices().Sound().Play(WKSoundsPath() + file, noInterrupt);
}

QString ServiceEventName(TServiceEvent event) {
    static const char* const names[] = {
        "seIdle",           "seCreateStreams",    "seBindStreams",     "seStartLogging",        "seStopLogging",
        "sePoll",           "sePostData",         "seNetworkChange",   "seDBChange",            "seSettingsChange",
        "seNetworkLoaded",  "seCalibrationsChanged", "seUpdateState",  "seSetLocation",         "seIncomingPack",
        "seColWeightMeasure", "seGroupLoaded",    "seWellsChanged",    "seRequestWells",        "seAfterCreateNode",
        "seClientConnected", "seClientDisconnected", "seNetServerConnected", "seAlert"};
    const auto i = static_cast<size_t>(event);
    return i < std::size(names) ? QString::fromLatin1(names[i]) : QString::number(i);
}
