#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "net/PageSource.h"
#include "text/Text.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"

namespace sowmere::app {

using text::Text;

// The build's version; the maker's update file must name exactly this for the program to run.
inline constexpr std::string_view kVersionTag = "Sowmere0512";

// The two files the maker publishes, as the server's paths (the blank and the commas belong to
// the first segment).
inline constexpr std::string_view kUpdateFilePath = "/fb s,e,v,sen/qelvo/gx.txt";
inline constexpr std::string_view kAnnouncementFilePath = "/fb s,e,v,sen/gegz.txt";

// "http://" and the maker's host, fixed at build time; plain HTTP on the default port.
std::string makerServerAddress();

// Reads the update file from `serverAddress` (scheme and host, no trailing slash) and decides
// whether this build may run. True: the start-up goes on. False: the message has been shown
// and `requestLoginClose` called; the program is to end.
bool checkForUpdate(net::PageSource& pages, ui::Dialogs& dialogs, ui::EventPump& pump,
                    std::string_view serverAddress, std::string_view versionTag,
                    const std::function<void()>& requestLoginClose);

// The announcement file's text, unchanged; empty when it cannot be read.
Text fetchAnnouncement(net::PageSource& pages, ui::EventPump& pump, std::string_view serverAddress);

// Only an http or https address with a host may be handed to the browser: the update file
// arrives over plain HTTP and could name anything.
bool isWebAddress(std::string_view address);

}  // namespace sowmere::app
