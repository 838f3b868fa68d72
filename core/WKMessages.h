#pragma once
// The message-log front end, the sounds of message severities and the event codes of the service bus.
#include <QString>
#include <cstdint>
#include <functional>

#pragma GCC visibility push(default)

// Severities: -1 hint, 0 user, 1 information, 2 warning, 3 error, 4 silent.
constexpr int MinMessageSeverity = -1;
constexpr int MaxMessageSeverity = 4;

// The sound name of a severity ("Hint", "User", "Information", "Warning",
// "Error"; empty for 4 and for values out of range).
QString SeveritySoundName(int severity);

// Writes the message to the well database's log (in the acquisition program only),
// then plays the severity's sound. A severity out of range is ignored with a debug line.
void LogMessage(int severity, const QString& className, int id, const QString& text);
void LogMessageSilent(int severity, const QString& className, int id, const QString& text);
// The same with the message class as a number, as the callers pass it.
inline void LogMessage(int severity, int messageClass, int id, const QString& text) {
    LogMessage(severity, QString::number(messageClass), id, text);
}
inline void LogMessageSilent(int severity, int messageClass, int id, const QString& text) {
    LogMessageSilent(severity, QString::number(messageClass), id, text);
}
void PlayWKSound(int severity);
// Plays WKSoundsPath + name; nothing for an empty name.
void PlaySoundFile(const QString& name, bool noInterrupt);

// The well-database writer of the message log. The well module installs it
// while it exists; without it messages are not stored.
using TMessageLogWriter = std::function<void(int severity, const QString& className, int id, const QString& text)>;
void SetMessageLogWriter(TMessageLogWriter writer);

// The event codes of the service bus. The order is the contract between the
// core and the plug-in packages; the numbers are stored nowhere.
enum TServiceEvent : uint8_t {
    seIdle,                 // poll pass with logging off (nil); every secondary tick (the group)
    seCreateStreams,        // the group's TWKStreamList
    seBindStreams,          // the group's TWKStreamList
    seStartLogging,         // chosen by the caller
    seStopLogging,          // chosen by the caller
    sePoll,                 // nil (primary); the TSecondaryServices (secondary)
    sePostData,             // the primary TWKStreamList (primary); the TSecondaryServices (secondary)
    seNetworkChange,        // nil
    seDBChange,             // const QString* with the database event's name
    seSettingsChange,
    seNetworkLoaded,
    seCalibrationsChanged,  // nil
    seUpdateState,
    seSetLocation,
    seIncomingPack,
    seColWeightMeasure,
    seGroupLoaded,          // const QString* with the service group's name
    seWellsChanged,
    seRequestWells,
    seAfterCreateNode,
    seClientConnected,
    seClientDisconnected,
    seNetServerConnected,
    seAlert,
};

// The identifier of an event ("seIdle" ...), for diagnostic lines.
QString ServiceEventName(TServiceEvent event);

#pragma GCC visibility pop
