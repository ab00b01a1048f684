#pragma once

namespace sowmere::ui {

// The single thread's way of staying responsive during long work.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Lets every pending window event run to completion, then returns.
    virtual void processPendingEvents() = 0;
    // 0 or less: returns at once. Otherwise keeps window events running until the millisecond
    // tick has passed the tick at the call plus ms; nothing shortens the wait.
    virtual void delayWithEvents(int ms) = 0;
    // Only for quitting in the middle of work: every wait in progress returns as soon as the
    // event being handled is done, instead of at its deadline.
    virtual void cancelDelays() {}
};

// The real pump over the toolkit's event loop; sleeps between events instead of spinning.
class ToolkitEventPump final : public EventPump {
public:
    void processPendingEvents() override;
    void delayWithEvents(int ms) override;
    void cancelDelays() override;

private:
    unsigned m_cancelGeneration = 0;
};

}  // namespace sowmere::ui
