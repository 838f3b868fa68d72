#pragma once
// The message-log front end and the sounds of message severities.
#include <QString>
#include <functional>

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
