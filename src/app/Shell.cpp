#include "app/Shell.h"

#include <utility>

#include "app/GbkLiteral.h"
#include "app/Links.h"
#include "app/MakerServer.h"
#include "harvest/Engines.h"
#include "mining/MainWindow.h"
#include "ui/Widgets.h"

namespace sowmere::app {

Shell::Shell(net::PageSource& pages, ui::Dialogs& dialogs, ui::EventPump& pump,
             std::string programDirectory, std::string makerServer)
    : m_pages(pages),
      m_dialogs(dialogs),
      m_pump(pump),
      m_programDirectory(std::move(programDirectory)),
      m_makerServer(std::move(makerServer)) {
    m_login = std::make_unique<LoginWindow>(LoginWindow::Services{pages, dialogs, pump},
                                            m_programDirectory, m_makerServer,
                                            [this] { openMainWindow(); });
}

Shell::~Shell() {
    // The slots refer to the main window's harvest host.
    for (auto& slot : m_slots) slot.reset();
    m_main.reset();
}

bool Shell::start() { return m_login->open(); }

bool Shell::anyWindowOpen() {
    if (m_login->window().isOpen()) return true;
    return m_main && (m_main->window().isOpen() || m_main->failureWindow().isOpen());
}

void Shell::openMainWindow() {
    m_login->window().requestClose();
    // One main window for the program: a login pressed again while the first one was still
    // letting events run does not open a second window over the same run-wide state.
    if (m_main) {
        m_main->window().bringToFront();
        return;
    }
    m_main = std::make_unique<mining::MainWindow>(m_state, m_dialogs, m_pump, m_programDirectory);
    m_slots = harvest::makeEngineSlots(m_pages, m_state, m_main->harvestHost());
    std::array<harvest::EngineSlot*, 6> slots{};
    for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = m_slots[i].get();
    m_main->setEngineSlots(slots);
    m_main->setContactLink(gbkText(Links::kContactCaption), [this] { openContactPages(); });
    m_main->open();
    m_main->setAnnouncement(fetchAnnouncement(m_pages, m_pump, m_makerServer));
}

void Shell::openContactPages() {
    m_dialogs.openAddress(Links::kChatPage);
    m_dialogs.openAddress(Links::kFileSharePage);
}

}  // namespace sowmere::app
