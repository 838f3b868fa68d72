#include "WKHints.h"

#include "Exceptions.h"
#include "MainThread.h"
#include "Messages.h"
#include "WKConsts.h"

namespace {

[[noreturn]] void RaiseIndexError(int index) {
    throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}

}  // namespace

TWKHint TWKHintList::AddHint(TWKHintClass HintClass, const QString& Caption, const QString& Message,
                             TWKHintEvent Event) {
    TWKHint hint;
    {
        TCriticalSectionGuard guard(FCSHint);
        hint.HintClass = HintClass;
        hint.DateTime = Now();
        hint.Event = std::move(Event);
        hint.Caption = Caption;
        hint.Message = Message;
        FItems.push_back(hint);
    }
    Changed(1);
    return hint;
}

void TWKHintList::CallEvent(int Index) {
    TWKHint hint;
    {
        TCriticalSectionGuard guard(FCSHint);
        if (Index >= 0 && Index < static_cast<int>(FItems.size())) hint = FItems[Index];
    }
    if (hint.Event) hint.Event(nullptr);
}

void TWKHintList::ClearHints() {
    int removed;
    {
        TCriticalSectionGuard guard(FCSHint);
        removed = static_cast<int>(FItems.size());
        FItems.clear();
    }
    Changed(removed);
}

void TWKHintList::Delete(int Index) {
    {
        TCriticalSectionGuard guard(FCSHint);
        if (Index < 0 || Index >= static_cast<int>(FItems.size())) RaiseIndexError(Index);
        FItems.erase(FItems.begin() + Index);
    }
    Changed(1);
}

int TWKHintList::GetCount() const {
    TCriticalSectionGuard guard(FCSHint);
    return static_cast<int>(FItems.size());
}

TWKHint TWKHintList::GetHint(int Index) const {
    TCriticalSectionGuard guard(FCSHint);
    if (Index < 0 || Index >= static_cast<int>(FItems.size())) RaiseIndexError(Index);
    return FItems[Index];
}

void TWKHintList::SetBroadcaster(TBroadcaster Broadcaster) {
    TCriticalSectionGuard guard(FCSHint);
    FBroadcaster = std::move(Broadcaster);
}

void TWKHintList::Changed(int changes) {
    TBroadcaster broadcaster;
    {
        TCriticalSectionGuard guard(FCSHint);
        broadcaster = FBroadcaster;
    }
    if (!broadcaster) return;
    // Queued, never sent: a thread that holds Ring0 while adding a hint must
    // not wait for the main thread.
    for (int k = 0; k < changes; ++k) {
        QueueToMainThread([broadcaster] {
            try {
                broadcaster();
            } catch (const std::exception& e) {
                DebugLog(QStringLiteral("TWKHintList.Broadcast: ") + ExceptionMessage(e));
            }
        });
    }
}

TWKHintList& Hints() {
    static TWKHintList list;
    // The global list tells the main window's controls, so that hint panels show the newest hint.
    static const bool wired = [] {
        list.SetBroadcaster([] {
            if (QObject* window = MainWindow()) BroadcastWKMessage(window, WM_HINTSCHANGED);
        });
        return true;
    }();
    (void)wired;
    return list;
}

TWKHint AddHint(TWKHintClass HintClass, const QString& Caption, const QString& Message, TWKHintEvent Event) {
    return Hints().AddHint(HintClass, Caption, Message, std::move(Event));
}
