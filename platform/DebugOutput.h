#pragma once
// The system debugger output of the old platform: a thread-safe line sink.
// Lines go to stderr unless a capture is active (tests read them back).
#include <QString>
#include <QStringList>
#include <functional>

#pragma GCC visibility push(default)

// Writes one diagnostic line to the sink, whatever the debug switch says.
void OutputDebugString(const QString& line);

// The program's DEBUG switch: from its own arguments until a host sets it.
bool DebugSwitch();
void SetDebugSwitch(bool on);
// Writes line only when the DEBUG switch is on.
void DebugOutput(const QString& line);

// While alive, every line written through OutputDebugString is also kept here
// and is not printed. Captures nest; the innermost one receives the lines.
class TDebugOutputCapture {
public:
    TDebugOutputCapture();
    ~TDebugOutputCapture();
    TDebugOutputCapture(const TDebugOutputCapture&) = delete;
    TDebugOutputCapture& operator=(const TDebugOutputCapture&) = delete;

    QStringList Lines() const;
    bool Contains(const QString& fragment) const;
    int Count(const QString& fragment) const;
    void Clear();

private:
    friend void OutputDebugString(const QString& line);
    void Add(const QString& line);
    TDebugOutputCapture* FPrevious = nullptr;
    QStringList FLines;
};

#pragma GCC visibility pop
