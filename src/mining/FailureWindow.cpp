#include "mining/FailureWindow.h"

#include "text/CodePage.h"

namespace sowmere::mining {

FailureWindow::FailureWindow()
    : m_window(text::utf8ToLocal(" 失 败"), 197, 250, "failureWindow"),
      m_failureBox(m_window, {8, 0, 176, 224}, ui::EditKind::MultiLinePlain, {}, "failureBox") {}

void FailureWindow::show(std::string_view failureLog) {
    m_failureBox.setText(failureLog);
    if (m_window.isOpen()) {
        m_window.bringToFront();
    } else {
        m_window.show();
    }
}

}  // namespace sowmere::mining
