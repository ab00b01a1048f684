// Renders the main window to a PNG without a display: mining_screenshot OUTPUT.png [--sample]
// With --sample the window holds a few keywords, rows and a failure count.
#include <QCoreApplication>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "harvest/RunState.h"
#include "mining/MainWindow.h"
#include "text/CodePage.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

using namespace sowmere;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [--sample]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ui::Application application(argc, argv);
    harvest::RunState state;
    ui::ToolkitDialogs dialogs;
    ui::ToolkitEventPump pump;
    mining::MainWindow window(state, dialogs, pump, ui::Application::programDirectory());
    window.open();
    window.setContactLink(text::utf8ToLocal("联系作者"), [] {});
    window.setAnnouncement(text::utf8ToLocal("公告：欢迎使用 Sowmere 关键词挖掘工具"));

    if (argc > 2 && std::string(argv[2]) == "--sample") {
        auto* keywords =
            window.window().widget()->findChild<QWidget*>(QStringLiteral("keywordBox"));
        QMetaObject::invokeMethod(keywords, "setPlainText",
                                  Q_ARG(QString, QString::fromUtf8("手机\n手机壳\n蓝牙耳机")));
        harvest::HarvestHost& host = window.harvestHost();
        const char* suggestions[] = {"手机报价", "手机排行榜", "手机壳定制", "手机壳批发"};
        for (const char* suggestion : suggestions) {
            host.appendRow();
            const int row = host.rowCount() - 1;
            host.setCell(row, 0, text::decimal(++state.rowSerial));
            host.setCell(row, 1, text::utf8ToLocal("百度相关：手机"));
            host.setCell(row, 2, text::utf8ToLocal(suggestion));
            host.setCell(row, 3, "12300000");
            host.setCell(row, 4, text::utf8ToLocal("否"));
        }
    }
    QCoreApplication::processEvents();
    const QPixmap image = window.window().widget()->grab();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %dx%d, title \"%s\"\n", argv[1], image.width(), image.height(),
                text::localToUtf8(window.window().title()).c_str());
    return 0;
}
