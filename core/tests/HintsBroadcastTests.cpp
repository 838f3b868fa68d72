#include "Messages.h"
#include "TestSupport.h"
#include "WKHints.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <thread>

namespace {
// A windowed control that counts the "hints changed" messages it receives.
class THintWatcher : public QWidget {
public:
    using QWidget::QWidget;
    int Received = 0;

protected:
    bool event(QEvent* e) override {
        if (TWKMessage::IsWKMessage(e) && static_cast<TWKMessage*>(e)->Msg() == WM_HINTSCHANGED) {
            ++Received;
            return true;
        }
        return QWidget::event(e);
    }
};

TEST(HintsBroadcast, GlobalListTellsTheMainWindowControlsOnTheMainThread) {
    THintWatcher window;
    auto* child = new THintWatcher(&window);
    SetMainWindow(&window);
    Hints().ClearHints();
    ProcessEventsUntil([] { return false; }, 5);
    child->Received = window.Received = 0;

    std::thread([] { AddHint(hcWarning, "Давление", "Превышен предел"); }).join();
    EXPECT_EQ(child->Received, 0);  // queued, not sent from the adding thread
    EXPECT_TRUE(ProcessEventsUntil([&] { return child->Received == 1 && window.Received == 1; }));
    EXPECT_EQ(Hints().GetHint(Hints().GetCount() - 1).Caption, "Давление");

    Hints().ClearHints();
    SetMainWindow(nullptr);
    ProcessEventsUntil([] { return false; }, 5);
}
}  // namespace
