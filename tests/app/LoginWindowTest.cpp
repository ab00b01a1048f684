#include "app/LoginWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "MakerFixture.h"
#include "TempDir.h"
#include "app/Links.h"
#include "support/Fakes.h"
#include "support/Gbk.h"

namespace sowmere::app {
namespace {

using testing::gbk;

const std::string kZeros("\0\0\0\0", 4);

class Login : public testing::MakerFixture {
protected:
    Login() {
        testing::ensureApplication();
        // The fake pump lets the toolkit's pending events run too, so close requests happen.
        pump.onEveryCall = [](const testing::FakeEventPump::Call&) {
            QCoreApplication::processEvents();
        };
        serveUpdate({}, gbk(u8"〖最新版本：Sowmere0512〗"));
    }

    LoginWindow& makeWindow() {
        window.emplace(LoginWindow::Services{pages(), dialogs, pump}, dir.path(), serverAddress(),
                       [this] {
                           ++mainWindowOpenings;
                           window->window().requestClose();
                       });
        return *window;
    }

    template <typename T>
    T* control(const char* name) {
        return window->window().widget()->findChild<T*>(QString::fromUtf8(name));
    }
    void type(const char* box, std::u8string_view utf8) {
        control<QLineEdit>(box)->setText(QString::fromUtf8(
            reinterpret_cast<const char*>(utf8.data()), static_cast<qsizetype>(utf8.size())));
    }
    void tick(const char* box, bool ticked) { control<QCheckBox>(box)->setChecked(ticked); }
    void pressLogin() { QTest::mouseClick(control<QPushButton>("按钮1"), Qt::LeftButton); }
    std::string configFile() const { return dir.read("Config.ini"); }
    std::string read(std::u8string_view entry) {
        return SettingsFile(dir.path()).read(gbk(entry), gbk(entry));
    }
    void remember(const std::string& ini) { dir.write("Config.ini", ini); }

    testing::TempDir dir;
    testing::FakeDialogs dialogs;
    testing::FakeEventPump pump;
    int mainWindowOpenings = 0;
    std::optional<LoginWindow> window;
};

TEST_F(Login, WindowHasItsControlsWhereTheyBelong) {
    makeWindow();
    QWidget* w = window->window().widget();
    EXPECT_EQ(window->window().title(), gbk(u8" 用 户 登 录"));
    struct Expect {
        const char* name;
        const char* kind;
        QRect geometry;
        const char8_t* text;
    };
    const std::vector<Expect> expected = {
        {"标签1", "QLabel", {8, 40, 48, 24}, u8"用 户："},
        {"编辑框1", "QLineEdit", {64, 40, 144, 24}, u8""},
        {"标签2", "QLabel", {8, 72, 48, 24}, u8"密 码："},
        {"编辑框2", "QLineEdit", {64, 72, 144, 24}, u8""},
        {"超级链接框1", "QLabel", {216, 40, 64, 24}, u8"快速注册"},
        {"超级链接框2", "QLabel", {216, 72, 64, 24}, u8"忘记密码"},
        {"选择框1", "QCheckBox", {64, 104, 80, 24}, u8" 记住密码"},
        {"选择框2", "QCheckBox", {160, 104, 80, 24}, u8" 自动登录"},
        {"按钮1", "QPushButton", {64, 136, 80, 24}, u8"登录"},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.name);
        QWidget* c = w->findChild<QWidget*>(QString::fromUtf8(e.name));
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->inherits(e.kind));
        EXPECT_EQ(c->geometry(), e.geometry);
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(c)) shown = label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(c)) shown = edit->text();
        if (auto* box = qobject_cast<QCheckBox*>(c)) {
            shown = box->text();
            EXPECT_FALSE(box->isChecked());
        }
        if (auto* button = qobject_cast<QPushButton*>(c)) shown = button->text();
        EXPECT_EQ(shown.toStdString(), reinterpret_cast<const char*>(e.text));
    }
    EXPECT_EQ(control<QLineEdit>("编辑框2")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(control<QLineEdit>("编辑框1")->echoMode(), QLineEdit::Normal);
}

TEST_F(Login, EmptyBoxesStopWithAMessageAndTheFocusOnTheBox) {
    makeWindow();
    ASSERT_TRUE(window->open());
    remember(gbk(u8"[登录账号]\r\n登录账号=old\r\n"));

    type("编辑框2", u8"pw");
    pressLogin();
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{gbk(u8"     请输入帐号")});
    EXPECT_TRUE(control<QLineEdit>("编辑框1")->hasFocus());

    type("编辑框1", u8"acc");
    type("编辑框2", u8"");
    pressLogin();
    ASSERT_EQ(dialogs.texts().size(), 2u);
    EXPECT_EQ(dialogs.texts()[1], gbk(u8"    请输入密码"));
    EXPECT_TRUE(control<QLineEdit>("编辑框2")->hasFocus());

    EXPECT_EQ(mainWindowOpenings, 0);
    EXPECT_TRUE(window->window().isOpen());
    EXPECT_EQ(configFile(), gbk(u8"[登录账号]\r\n登录账号=old\r\n"))
        << "a stopped login writes nothing";
}

TEST_F(Login, BoxesEmptiedWhileEventsRunStopTheLogin) {
    makeWindow();
    ASSERT_TRUE(window->open());
    type("编辑框1", u8"acc");
    type("编辑框2", u8"pw");
    tick("选择框1", true);
    const std::size_t before = pump.calls.size();
    pump.atCall(before + 1, [this] { type("编辑框2", u8""); });
    pressLogin();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{gbk(u8"   帐号密码有误,请重新输入")});
    EXPECT_EQ(mainWindowOpenings, 0);
    EXPECT_EQ(configFile(), "");
}

TEST_F(Login, BlankOnlyTextsPassAndAreRememberedAsTyped) {
    makeWindow();
    ASSERT_TRUE(window->open());
    type("编辑框1", u8" ");
    type("编辑框2", u8"  密 码 ");
    tick("选择框1", true);
    pressLogin();
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(mainWindowOpenings, 1);
    EXPECT_FALSE(window->window().isOpen()) << "the main window's opening closed the login";
    EXPECT_EQ(read(u8"登录账号"), " ");
    EXPECT_EQ(read(u8"登录密码"), gbk(u8"  密 码 "));
}

TEST_F(Login, RememberWithoutAutoLoginDropsAnEarlierAutoLoginEntry) {
    remember(
        gbk(u8"[登录账号]\r\n登录账号=old\r\n[登录密码]\r\n登录密码=old\r\n"
            u8"[保存账号]\r\n保存账号=真\r\n[自动登录]\r\n自动登录=真\r\n"));
    makeWindow();
    type("编辑框1", u8"新账号");
    type("编辑框2", u8"pass word");
    tick("选择框1", true);
    tick("选择框2", false);
    pressLogin();
    ASSERT_EQ(mainWindowOpenings, 1);
    EXPECT_EQ(configFile(), kZeros + gbk(u8"\r\n[登录账号]\r\n登录账号=新账号\r\n"
                                         u8"[登录密码]\r\n登录密码=pass word\r\n"
                                         u8"[保存账号]\r\n保存账号=真\r\n"));

    makeWindow();
    type("编辑框1", u8"a");
    type("编辑框2", u8"b");
    tick("选择框1", true);
    tick("选择框2", true);
    pressLogin();
    EXPECT_EQ(read(u8"登录账号"), "a");
    EXPECT_EQ(read(u8"自动登录"), gbk(u8"真"));
}

TEST_F(Login, RememberOffLeavesFourZeroBytesAndAnEmptyNextStart) {
    remember(gbk(u8"[登录账号]\r\n登录账号=old\r\n[保存账号]\r\n保存账号=真\r\n"));
    makeWindow();
    ASSERT_TRUE(window->open());
    EXPECT_TRUE(control<QCheckBox>("选择框1")->isChecked());
    tick("选择框1", false);
    type("编辑框2", u8"pw");
    pressLogin();
    ASSERT_EQ(mainWindowOpenings, 1);
    EXPECT_EQ(configFile(), kZeros);

    makeWindow();
    ASSERT_TRUE(window->open());
    EXPECT_TRUE(control<QLineEdit>("编辑框1")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("编辑框2")->text().isEmpty());
    EXPECT_FALSE(control<QCheckBox>("选择框1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("选择框2")->isChecked());
}

TEST_F(Login, OnlyTheTrueTextTicksARememberedBox) {
    struct Case {
        const char8_t* value;
        bool ticked;
    };
    const std::vector<Case> cases = {
        {u8"真", true}, {u8"1", false}, {u8"true", false}, {u8"假", false}, {u8" 真", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(reinterpret_cast<const char*>(c.value));
        // Auto-login also needs the password; without it the login stops at its message.
        remember(gbk(u8"[登录账号]\r\n登录账号=acc\r\n[保存账号]\r\n保存账号=") + gbk(c.value) +
                 gbk(u8"\r\n[自动登录]\r\n自动登录=") + gbk(c.value) + "\r\n");
        dialogs = {};
        makeWindow();
        ASSERT_TRUE(window->open());
        EXPECT_EQ(control<QCheckBox>("选择框1")->isChecked(), c.ticked);
        EXPECT_EQ(control<QCheckBox>("选择框2")->isChecked(), c.ticked);
        EXPECT_EQ(dialogs.boxes.size(), c.ticked ? 1u : 0u) << "auto-login tried only when ticked";
    }
}

TEST_F(Login, AutoLoginLogsInDuringTheOpening) {
    remember(
        gbk(u8"[登录账号]\r\n登录账号=acc\r\n[登录密码]\r\n登录密码=secret\r\n"
            u8"[保存账号]\r\n保存账号=真\r\n[自动登录]\r\n自动登录=真\r\n"));
    makeWindow();
    ASSERT_TRUE(window->open());
    EXPECT_EQ(mainWindowOpenings, 1);
    EXPECT_FALSE(window->window().isOpen());
    EXPECT_EQ(control<QLineEdit>("编辑框2")->text(), QStringLiteral("secret"));
    EXPECT_EQ(control<QLineEdit>("编辑框2")->displayText(), QStringLiteral("******"));
    EXPECT_EQ(read(u8"自动登录"), gbk(u8"真")) << "the login rewrote what it restored";
}

TEST_F(Login, AutoLoginWithoutAnAccountStopsAtItsMessage) {
    remember(gbk(u8"[登录密码]\r\n登录密码=secret\r\n[自动登录]\r\n自动登录=真\r\n"));
    makeWindow();
    ASSERT_TRUE(window->open());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{gbk(u8"     请输入帐号")});
    EXPECT_TRUE(control<QLineEdit>("编辑框1")->hasFocus());
    EXPECT_EQ(mainWindowOpenings, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->window().isOpen());
}

TEST_F(Login, FailedUpdateCheckEndsBeforeAnythingIsRestored) {
    remember(
        gbk(u8"[登录账号]\r\n登录账号=acc\r\n[登录密码]\r\n登录密码=secret\r\n"
            u8"[自动登录]\r\n自动登录=真\r\n"));
    serveUpdate({});
    makeWindow();
    EXPECT_FALSE(window->open());
    EXPECT_EQ(updateRequests(), 11);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{gbk(u8"     无法连接到服务器")});
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->window().isOpen());
    EXPECT_TRUE(control<QLineEdit>("编辑框1")->text().isEmpty());
    EXPECT_FALSE(control<QCheckBox>("选择框2")->isChecked());
    EXPECT_EQ(mainWindowOpenings, 0);
    EXPECT_EQ(window->versionTag(), "Sowmere0512");
}

TEST_F(Login, UnwritableDirectoryDoesNotStopTheLogin) {
    window.emplace(LoginWindow::Services{pages(), dialogs, pump}, dir.path() + "/absent",
                   serverAddress(), [this] { ++mainWindowOpenings; });
    ASSERT_TRUE(window->open());
    type("编辑框1", u8"acc");
    type("编辑框2", u8"pw");
    tick("选择框1", true);
    pressLogin();
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(mainWindowOpenings, 1);
}

TEST_F(Login, RegistrationAndForgotPasswordOpenTheForumThenTheFileShare) {
    makeWindow();
    for (const char* link : {"超级链接框1", "超级链接框2"}) {
        dialogs = {};
        QTest::mousePress(control<QLabel>(link), Qt::LeftButton);
        EXPECT_EQ(dialogs.addresses,
                  (std::vector<std::string>{std::string(Links::kForumPage),
                                            std::string(Links::kFileSharePage)}));
    }
}

}  // namespace
}  // namespace sowmere::app
