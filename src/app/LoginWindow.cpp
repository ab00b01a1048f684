#include "app/LoginWindow.h"

#include <utility>

#include "app/GbkLiteral.h"
#include "app/Links.h"
#include "app/MakerServer.h"

namespace sowmere::app {

namespace {

// Each remembered value has a section and a key of the same name.
Text accountEntry() { return gbkText(u8"登录账号"); }
Text passwordEntry() { return gbkText(u8"登录密码"); }
Text rememberEntry() { return gbkText(u8"保存账号"); }
Text autoLoginEntry() { return gbkText(u8"自动登录"); }
Text trueText() { return gbkText(u8"真"); }

}  // namespace

LoginWindow::LoginWindow(Services services, std::string programDirectory, std::string makerServer,
                         std::function<void()> openMainWindow)
    : m_services(services),
      m_settings(std::move(programDirectory)),
      m_makerServer(std::move(makerServer)),
      m_openMainWindow(std::move(openMainWindow)),
      m_window(gbkText(u8" 用 户 登 录"), 297, 196, "LoginWindow"),
      m_accountCaption(m_window, {8, 40, 48, 24}, gbkText(u8"用 户："), "标签1"),
      m_accountBox(m_window, {64, 40, 144, 24}, ui::EditKind::SingleLine, {}, "编辑框1"),
      m_passwordCaption(m_window, {8, 72, 48, 24}, gbkText(u8"密 码："), "标签2"),
      m_passwordBox(m_window, {64, 72, 144, 24}, ui::EditKind::Password, {}, "编辑框2"),
      m_registerLink(m_window, {216, 40, 64, 24}, gbkText(u8"快速注册"), "超级链接框1"),
      m_forgotPasswordLink(m_window, {216, 72, 64, 24}, gbkText(u8"忘记密码"), "超级链接框2"),
      m_rememberBox(m_window, {64, 104, 80, 24}, gbkText(u8" 记住密码"), false, "选择框1"),
      m_autoLoginBox(m_window, {160, 104, 80, 24}, gbkText(u8" 自动登录"), false, "选择框2"),
      m_loginButton(m_window, {64, 136, 80, 24}, gbkText(u8"登录"), "按钮1") {
    m_registerLink.onPressed([this] { openForumPages(); });
    m_forgotPasswordLink.onPressed([this] { openForumPages(); });
    m_loginButton.onPressed([this] { performLogin(); });
}

LoginWindow::~LoginWindow() = default;

bool LoginWindow::open() {
    m_window.show();
    m_versionTag = Text(kVersionTag);
    m_services.pump.processPendingEvents();
    if (!checkForUpdate(m_services.pages, m_services.dialogs, m_services.pump, m_makerServer,
                        m_versionTag, [this] { m_window.requestClose(); })) {
        return false;
    }
    restoreSettings();
    if (m_autoLoginBox.isTicked()) performLogin();
    return true;
}

void LoginWindow::restoreSettings() {
    m_accountBox.setText(m_settings.read(accountEntry(), accountEntry()));
    m_passwordBox.setText(m_settings.read(passwordEntry(), passwordEntry()));
    // Only "真" ticks a box; nothing is unticked here.
    if (m_settings.read(rememberEntry(), rememberEntry()) == trueText())
        m_rememberBox.setTicked(true);
    if (m_settings.read(autoLoginEntry(), autoLoginEntry()) == trueText())
        m_autoLoginBox.setTicked(true);
}

void LoginWindow::performLogin() {
    if (m_accountBox.text().empty()) {
        m_services.dialogs.message(gbkText(u8"     请输入帐号"));
        m_accountBox.focus();
        return;
    }
    if (m_passwordBox.text().empty()) {
        m_services.dialogs.message(gbkText(u8"    请输入密码"));
        m_passwordBox.focus();
        return;
    }
    m_services.pump.processPendingEvents();
    // The boxes are read again: a handler that ran in the pump may have emptied them.
    if (m_accountBox.text().empty() || m_passwordBox.text().empty()) {
        m_services.dialogs.message(gbkText(u8"   帐号密码有误,请重新输入"));
        return;
    }
    if (m_rememberBox.isTicked())
        saveSettings();
    else
        clearSettings();
    m_openMainWindow();
    m_services.pump.processPendingEvents();
}

void LoginWindow::saveSettings() {
    // A failed write is not reported: the login goes on without a remembered account.
    ui::EventPump& pump = m_services.pump;
    pump.processPendingEvents();
    m_settings.clear();
    pump.processPendingEvents();
    m_settings.write(accountEntry(), accountEntry(), m_accountBox.text());
    pump.processPendingEvents();
    m_settings.write(passwordEntry(), passwordEntry(), m_passwordBox.text());
    pump.processPendingEvents();
    m_settings.write(rememberEntry(), rememberEntry(), trueText());
    pump.processPendingEvents();
    if (m_autoLoginBox.isTicked()) {
        pump.processPendingEvents();
        m_settings.write(autoLoginEntry(), autoLoginEntry(), trueText());
        pump.processPendingEvents();
    }
}

void LoginWindow::clearSettings() { m_settings.clear(); }

void LoginWindow::openForumPages() {
    m_services.dialogs.openAddress(Links::kForumPage);
    m_services.dialogs.openAddress(Links::kFileSharePage);
}

}  // namespace sowmere::app
