#pragma once

#include <string_view>

namespace sowmere::app {

// The maker's pages behind the links of both windows, in one place.
struct Links {
    // The registration and forgot-password links of the login window open this, then the
    // file-share page.
    static constexpr std::string_view kForumPage = "http://bbs.sowmere.com/forum-36-1.html";
    // The contact link of the main window opens this, then the file-share page.
    static constexpr std::string_view kChatPage = "http://chat.sowmere.com/talk.html?to=sowmere";
    static constexpr std::string_view kFileSharePage = "http://pan.sowmere.com/s/sowmere-tools";
    // The contact link's caption, the maker's name (UTF-8 here; GBK on the window).
    static constexpr std::u8string_view kContactCaption = u8"联系作者：Sowmere 工作室";
};

}  // namespace sowmere::app
