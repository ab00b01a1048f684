#pragma once

#include <functional>
#include <string>

#include "app/SettingsFile.h"
#include "net/PageSource.h"
#include "text/Text.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

namespace sowmere::app {

using text::Text;

// The first window: any non-empty account and password pass, and the account can be remembered
// in Config.ini in the program's directory. Its opening runs the compulsory update check.
class LoginWindow {
public:
    struct Services {
        net::PageSource& pages;
        ui::Dialogs& dialogs;
        ui::EventPump& pump;
    };

    // `makerServer` is where the update file is read ("http://host"); `openMainWindow` is the
    // hand-over after a passing login and runs before performLogin returns.
    LoginWindow(Services services, std::string programDirectory, std::string makerServer,
                std::function<void()> openMainWindow);
    ~LoginWindow();
    LoginWindow(const LoginWindow&) = delete;
    LoginWindow& operator=(const LoginWindow&) = delete;

    // Shows the window and runs its opening: the update check, then the remembered account and
    // auto-login. False when the update check ended the start-up (the window's close has been
    // requested).
    bool open();
    // The login button's action, also run by auto-login.
    void performLogin();

    ui::Window& window() { return m_window; }
    const Text& versionTag() const { return m_versionTag; }

private:
    void restoreSettings();
    void saveSettings();
    void clearSettings();
    void openForumPages();

    Services m_services;
    SettingsFile m_settings;
    std::string m_makerServer;
    std::function<void()> m_openMainWindow;
    Text m_versionTag;

    ui::Window m_window;
    ui::Label m_accountCaption;
    ui::EditBox m_accountBox;
    ui::Label m_passwordCaption;
    ui::EditBox m_passwordBox;
    ui::LinkLabel m_registerLink;
    ui::LinkLabel m_forgotPasswordLink;
    ui::CheckBox m_rememberBox;
    ui::CheckBox m_autoLoginBox;
    ui::Button m_loginButton;
};

}  // namespace sowmere::app
