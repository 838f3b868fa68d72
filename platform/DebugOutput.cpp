#include "DebugOutput.h"

#include "CmdLine.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {
// -1 until read from the arguments or set.
std::atomic<int> DebugSwitchState{-1};

std::mutex& SinkLock() {
    static std::mutex m;
    return m;
}
TDebugOutputCapture* ActiveCapture = nullptr;
}  // namespace

void OutputDebugString(const QString& line) {
    std::lock_guard lock(SinkLock());
    if (ActiveCapture) {
        ActiveCapture->Add(line);
        return;
    }
    const QByteArray utf8 = line.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
}

bool DebugSwitch() {
    int state = DebugSwitchState.load();
    if (state < 0) {
        state = FindCmdLineSwitch(ProgramArguments(), QStringLiteral("DEBUG")) ? 1 : 0;
        int unset = -1;
        if (!DebugSwitchState.compare_exchange_strong(unset, state)) state = unset;
    }
    return state == 1;
}

void SetDebugSwitch(bool on) { DebugSwitchState = on ? 1 : 0; }

void DebugOutput(const QString& line) {
    if (DebugSwitch()) OutputDebugString(line);
}

TDebugOutputCapture::TDebugOutputCapture() {
    std::lock_guard lock(SinkLock());
    FPrevious = ActiveCapture;
    ActiveCapture = this;
}

TDebugOutputCapture::~TDebugOutputCapture() {
    std::lock_guard lock(SinkLock());
    ActiveCapture = FPrevious;
}

void TDebugOutputCapture::Add(const QString& line) { FLines.append(line); }

QStringList TDebugOutputCapture::Lines() const {
    std::lock_guard lock(SinkLock());
    return FLines;
}

bool TDebugOutputCapture::Contains(const QString& fragment) const { return Count(fragment) > 0; }

int TDebugOutputCapture::Count(const QString& fragment) const {
    std::lock_guard lock(SinkLock());
    int n = 0;
    for (const QString& l : FLines)
        if (l.contains(fragment)) ++n;
    return n;
}

void TDebugOutputCapture::Clear() {
    std::lock_guard lock(SinkLock());
    FLines.clear();
}
