#pragma once

#include <string_view>

#include "ui/Widgets.h"

namespace sowmere::mining {

// Lists the failed lookups of a run, one per line, as they were when the window was opened.
class FailureWindow {
public:
    FailureWindow();

    // Fills the box with `failureLog` (CR LF-ended GBK lines) and opens the window, or brings it
    // to the front when it is already open.
    void show(std::string_view failureLog);
    ui::Window& window() { return m_window; }

private:
    ui::Window m_window;
    ui::EditBox m_failureBox;
};

}  // namespace sowmere::mining
