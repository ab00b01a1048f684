#include "app/Shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "MakerFixture.h"
#include "TempDir.h"
#include "app/Links.h"
#include "mining/MainWindow.h"
#include "support/Fakes.h"
#include "support/Gbk.h"

namespace sowmere::app {
namespace {

using testing::gbk;

class Start : public testing::MakerFixture {
protected:
    Start() {
        pump.onEveryCall = [](const testing::FakeEventPump::Call&) {
            QCoreApplication::processEvents();
        };
        serveUpdate({}, gbk(u8"〖最新版本：Sowmere0512〗"));
        serveAnnouncement({}, kAnnouncement);
        dir.write("Config.ini",
                  gbk(u8"[登录账号]\r\n登录账号=acc\r\n[登录密码]\r\n登录密码=pw\r\n"
                      u8"[保存账号]\r\n保存账号=真\r\n[自动登录]\r\n自动登录=真\r\n"));
    }

    template <typename T>
    static T* control(ui::Window& window, const char* name) {
        return window.widget()->findChild<T*>(QString::fromUtf8(name));
    }

    // The toolkit application must exist before the shell member builds its windows.
    const bool m_applicationReady = (testing::ensureApplication(), true);
    const std::string kAnnouncement = gbk(u8"欢迎使用，今日公告");
    testing::TempDir dir;
    testing::FakeDialogs dialogs;
    testing::FakeEventPump pump;
    Shell shell{pages(), dialogs, pump, dir.path(), serverAddress()};
};

TEST_F(Start, AutoLoginHandsOverToTheMainWindowWithItsAnnouncement) {
    shell.runState().stopRequested = 0;
    shell.runState().rowSerial = 41;
    ASSERT_TRUE(shell.start());
    mining::MainWindow* main = shell.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->window().isOpen());
    EXPECT_FALSE(shell.loginWindow().window().isOpen());
    EXPECT_TRUE(shell.anyWindowOpen());
    EXPECT_EQ(shell.runState().stopRequested, 1);
    EXPECT_EQ(shell.runState().rowSerial, 0);
    EXPECT_EQ(control<QLabel>(main->window(), "标签8")->text().toStdString(), "欢迎使用，今日公告");
    EXPECT_EQ(announcementRequests(), 1);
    EXPECT_TRUE(dialogs.boxes.empty());

    QLabel* contact = control<QLabel>(main->window(), "超级链接框1");
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(contact->text().toStdString(),
              reinterpret_cast<const char*>(Links::kContactCaption.data()));
    QTest::mousePress(contact, Qt::LeftButton);
    EXPECT_EQ(dialogs.addresses, (std::vector<std::string>{std::string(Links::kChatPage),
                                                           std::string(Links::kFileSharePage)}));
}

TEST_F(Start, AnnouncementFailingElevenTimesLeavesTheLabelEmpty) {
    serveAnnouncement({}, std::nullopt);
    ASSERT_TRUE(shell.start());
    ASSERT_NE(shell.mainWindow(), nullptr);
    EXPECT_EQ(announcementRequests(), 11);
    EXPECT_TRUE(control<QLabel>(shell.mainWindow()->window(), "标签8")->text().isEmpty());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Start, FailedUpdateCheckEndsTheProgramWithoutALogin) {
    serveUpdate({}, std::nullopt);
    EXPECT_FALSE(shell.start());
    QCoreApplication::processEvents();
    EXPECT_FALSE(shell.anyWindowOpen());
    EXPECT_EQ(shell.mainWindow(), nullptr);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{gbk(u8"     无法连接到服务器")});
}

TEST_F(Start, LoginPressedAgainWhileEventsRunOpensOneMainWindow) {
    dir.write("Config.ini", "");
    ASSERT_TRUE(shell.start());
    ui::Window& login = shell.loginWindow().window();
    control<QLineEdit>(login, "编辑框1")->setText(QStringLiteral("acc"));
    control<QLineEdit>(login, "编辑框2")->setText(QStringLiteral("pw"));
    auto* button = control<QPushButton>(login, "按钮1");
    bool pressedAgain = false;
    pump.atCall(pump.calls.size() + 1, [&] {
        pressedAgain = true;
        QTest::mouseClick(button, Qt::LeftButton);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(pressedAgain);
    ASSERT_NE(shell.mainWindow(), nullptr);
    EXPECT_EQ(announcementRequests(), 1) << "the main window opened once";
    EXPECT_FALSE(login.isOpen());
}

}  // namespace
}  // namespace sowmere::app
