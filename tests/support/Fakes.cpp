#include "support/Fakes.h"

#include "ui/Widgets.h"

namespace sowmere::testing {

// Kept to the end of the process: tearing the toolkit down among the other static objects at
// exit is not safe. A pointer at namespace scope stays visible to the leak checker.
ui::Application* g_application = nullptr;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "sowmere_tests";
    static char* argv[] = {name, nullptr};
    if (!g_application) g_application = new ui::Application(argc, argv);
}

bool FakeDialogs::message(std::string_view gbkText, ui::Buttons buttons) {
    boxes.push_back({std::string(gbkText), buttons});
    const Box box = boxes.back();
    if (onMessage) onMessage(box);
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeDialogs::openAddress(std::string_view gbkAddress) { addresses.emplace_back(gbkAddress); }

std::vector<std::string> FakeDialogs::texts() const {
    std::vector<std::string> result;
    for (const Box& box : boxes) result.push_back(box.text);
    return result;
}

void FakeEventPump::processPendingEvents() { enter({false, 0}); }

void FakeEventPump::delayWithEvents(int ms) {
    enter({true, ms});
    if (ms > 0) nowMs += ms;
}

void FakeEventPump::atCall(std::size_t n, std::function<void()> hook) {
    m_callHooks.emplace_back(n, std::move(hook));
}

void FakeEventPump::atDelay(std::size_t n, std::function<void()> hook) {
    m_delayHooks.emplace_back(n, std::move(hook));
}

std::vector<int> FakeEventPump::delays() const {
    std::vector<int> result;
    for (const Call& call : calls) {
        if (call.isDelay) result.push_back(call.ms);
    }
    return result;
}

void FakeEventPump::enter(Call call) {
    calls.push_back(call);
    const std::size_t number = calls.size();
    const std::size_t delayNumber = call.isDelay ? ++m_delayCount : 0;
    // Hooks may start nested work that makes further calls; they are looked up by number first.
    std::vector<std::function<void()>> due;
    for (const auto& [n, hook] : m_callHooks) {
        if (n == number) due.push_back(hook);
    }
    if (call.isDelay) {
        for (const auto& [n, hook] : m_delayHooks) {
            if (n == delayNumber) due.push_back(hook);
        }
    }
    for (const auto& hook : due) hook();
    if (onEveryCall) onEveryCall(call);
}

}  // namespace sowmere::testing
