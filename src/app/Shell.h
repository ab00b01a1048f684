#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/LoginWindow.h"
#include "harvest/HarvestHost.h"
#include "harvest/RunState.h"
#include "net/PageSource.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"

namespace sowmere::mining {
class MainWindow;
}

namespace sowmere::app {

// The program's windows and run-wide state wired together over the given services; runProgram
// adds the toolkit application, the real page fetcher, dialogs and event pump.
class Shell {
public:
    Shell(net::PageSource& pages, ui::Dialogs& dialogs, ui::EventPump& pump,
          std::string programDirectory, std::string makerServer);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Opens the login window and runs its opening to the end. False when the update check
    // ended the start-up.
    bool start();
    bool anyWindowOpen();

    LoginWindow& loginWindow() { return *m_login; }
    // Null until a login has passed.
    mining::MainWindow* mainWindow() { return m_main.get(); }
    harvest::RunState& runState() { return m_state; }

private:
    void openMainWindow();
    void openContactPages();

    net::PageSource& m_pages;
    ui::Dialogs& m_dialogs;
    ui::EventPump& m_pump;
    std::string m_programDirectory;
    std::string m_makerServer;
    harvest::RunState m_state;
    // The engine slots hold the main window's harvest host, so they go before it.
    std::unique_ptr<mining::MainWindow> m_main;
    std::array<std::unique_ptr<harvest::EngineSlot>, 6> m_slots;
    std::unique_ptr<LoginWindow> m_login;
};

}  // namespace sowmere::app
