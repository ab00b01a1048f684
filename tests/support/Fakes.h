#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Dialogs.h"
#include "ui/EventPump.h"

namespace sowmere::testing {

// The toolkit application for window tests, created on first use and kept for the process.
void ensureApplication();

// Message boxes answered from a script: every box is recorded with its text and buttons; the
// answers are taken in order, OK once the script has run out.
class FakeDialogs final : public ui::Dialogs {
public:
    struct Box {
        std::string text;  // GBK
        ui::Buttons buttons;
    };

    bool message(std::string_view gbkText, ui::Buttons buttons = ui::Buttons::Ok) override;
    void openAddress(std::string_view gbkAddress) override;

    std::vector<std::string> texts() const;  // the texts of the boxes shown so far

    std::vector<Box> boxes;
    std::vector<std::string> addresses;
    std::deque<bool> answers;
    // Runs while a box is shown, before it is answered (what the user sees at that moment).
    std::function<void(const Box&)> onMessage;
};

// An event pump with a fake millisecond clock. Every processPendingEvents and every
// delayWithEvents is one call, counted from 1; a hook set for a call runs inside it, as an event
// handled there would. Delays advance the clock and never sleep.
class FakeEventPump final : public ui::EventPump {
public:
    struct Call {
        bool isDelay = false;
        int ms = 0;
    };

    void processPendingEvents() override;
    void delayWithEvents(int ms) override;
    void cancelDelays() override { ++cancelCount; }

    // Runs `hook` inside call number `n` (1-based).
    void atCall(std::size_t n, std::function<void()> hook);
    // Runs `hook` inside the `n`th delay (1-based).
    void atDelay(std::size_t n, std::function<void()> hook);

    std::vector<int> delays() const;  // the counts passed to delayWithEvents, in order

    std::vector<Call> calls;
    long long nowMs = 0;
    int cancelCount = 0;
    // Runs inside every call, after any hook for that call.
    std::function<void(const Call&)> onEveryCall;

private:
    void enter(Call call);

    std::vector<std::pair<std::size_t, std::function<void()>>> m_callHooks;
    std::vector<std::pair<std::size_t, std::function<void()>>> m_delayHooks;
    std::size_t m_delayCount = 0;
};

}  // namespace sowmere::testing
