#include "app/Program.h"

#include "app/MakerServer.h"
#include "app/Shell.h"
#include "net/PageFetcher.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

namespace sowmere::app {

int runProgram(int argc, char** argv) {
    ui::Application application(argc, argv);
    net::PageFetcher fetcher;
    ui::ToolkitDialogs dialogs;
    ui::ToolkitEventPump pump;
    Shell shell(fetcher, dialogs, pump, ui::Application::programDirectory(), makerServerAddress());
    shell.start();
    // Close requests made during the opening are carried out here; when they closed every
    // window (the update check ended the start-up) there is no event loop to run.
    pump.processPendingEvents();
    if (!shell.anyWindowOpen()) return 0;
    return application.exec();
}

}  // namespace sowmere::app
