// Renders the login window and the main window after a run against the development site, as
// PNG files for the README: app_screenshots OUTPUT_DIR MAKER_DIR
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "DevSite.h"
#include "TempDir.h"
#include "app/LoginWindow.h"
#include "app/MakerServer.h"
#include "app/Shell.h"
#include "mining/MainWindow.h"
#include "net/PageSource.h"
#include "support/Fakes.h"
#include "text/CodePage.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

namespace {

using namespace sowmere;

constexpr std::string_view kHost = "maker.screenshots";

// The development site answering in-process, without sockets.
class DevSitePages final : public net::PageSource {
public:
    explicit DevSitePages(std::string makerDir) : m_site(std::string(kHost), std::move(makerDir)) {}
    text::Text fetchText(std::string_view url) override {
        // The fetcher sends the blank of the maker's path as "%20".
        std::string target;
        for (char c : url) target += c == ' ' ? std::string("%20") : std::string(1, c);
        return text::bytesToText(m_site.answer(target, {}).body);
    }
    text::Text fetchPage(std::string_view url) override {
        return text::utf8ToLocal(fetchText(url));
    }

private:
    devserver::DevSite m_site;
};

template <typename T>
T* control(ui::Window& window, const char* name) {
    return window.widget()->findChild<T*>(QString::fromUtf8(name));
}

bool save(ui::Window& window, const std::string& path) {
    const bool ok = window.widget()->grab().save(QString::fromStdString(path), "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: app_screenshots OUTPUT_DIR MAKER_DIR\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string out = argv[1];
    ui::Application application(argc, argv);
    DevSitePages pages(argv[2]);
    testing::FakeDialogs dialogs;
    ui::ToolkitEventPump pump;
    testing::TempDir dir;
    const std::string server = "http://" + std::string(kHost);

    bool ok = true;
    {
        app::LoginWindow login({pages, dialogs, pump}, dir.path(), server, [] {});
        login.open();
        control<QLineEdit>(login.window(), "编辑框1")->setText(QStringLiteral("demo"));
        control<QLineEdit>(login.window(), "编辑框2")->setText(QStringLiteral("secret"));
        control<QCheckBox>(login.window(), "选择框1")->setChecked(true);
        pump.processPendingEvents();
        ok = save(login.window(), out + "/login-window.png") && ok;
    }

    app::Shell shell(pages, dialogs, pump, dir.path(), server);
    shell.start();
    ui::Window& login = shell.loginWindow().window();
    control<QLineEdit>(login, "编辑框1")->setText(QStringLiteral("demo"));
    control<QLineEdit>(login, "编辑框2")->setText(QStringLiteral("secret"));
    QTest::mouseClick(control<QPushButton>(login, "按钮1"), Qt::LeftButton);
    mining::MainWindow* main = shell.mainWindow();
    if (!main) {
        std::fprintf(stderr, "the login did not open the main window\n");
        return 1;
    }
    ui::Window& window = main->window();
    control<QPlainTextEdit>(window, "keywordBox")
        ->setPlainText(QString::fromUtf8("\xE5\x85\xB3\xE9\x94\xAE\xE8\xAF\x8D\n"  // 关键词
                                         "\xE6\x89\x8B\xE6\x9C\xBA\n"              // 手机
                                         "\xE6\x97\x85\xE6\xB8\xB8"));             // 旅游
    control<QCheckBox>(window, "sogouBox")->setChecked(true);
    control<QCheckBox>(window, "bingBox")->setChecked(true);
    control<QLineEdit>(window, "delayBox")->setText(QStringLiteral("0"));
    QTest::mouseClick(control<QPushButton>(window, "startButton"), Qt::LeftButton);
    for (int i = 0; i < 5; ++i) pump.processPendingEvents();
    ok = save(window, out + "/main-window.png") && ok;
    return ok ? 0 : 1;
}
