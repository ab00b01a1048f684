#include "app/MakerServer.h"

#include "app/GbkLiteral.h"

#ifndef SOWMERE_MAKER_HOST
#error "SOWMERE_MAKER_HOST must name the maker's host"
#endif

namespace sowmere::app {

namespace {

constexpr int kFetchRetries = 10;

std::string addressOf(std::string_view serverAddress, std::string_view path) {
    std::string url(serverAddress);
    url += path;
    return url;
}

char foldedAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (foldedAscii(s[i]) != prefix[i]) return false;
    return true;
}

}  // namespace

std::string makerServerAddress() { return std::string("http://") + SOWMERE_MAKER_HOST; }

bool checkForUpdate(net::PageSource& pages, ui::Dialogs& dialogs, ui::EventPump& pump,
                    std::string_view serverAddress, std::string_view versionTag,
                    const std::function<void()>& requestLoginClose) {
    // The requests follow one another without a pause; only pending window events run between
    // them.
    const std::string url = addressOf(serverAddress, kUpdateFilePath);
    Text notice = pages.fetchText(url);
    pump.processPendingEvents();
    if (notice.empty()) {
        pump.processPendingEvents();
        for (int attempt = 0; attempt < kFetchRetries; ++attempt) {
            pump.processPendingEvents();
            notice = pages.fetchText(url);
            pump.processPendingEvents();
            if (!notice.empty()) break;
            pump.processPendingEvents();
        }
        pump.processPendingEvents();
    }
    if (notice.empty()) {
        dialogs.message(gbkText(u8"     无法连接到服务器"));
        pump.processPendingEvents();
        requestLoginClose();
        return false;
    }

    const Text closing = gbkText(u8"〗");
    struct {
        Text latestVersion, downloadAddress, updateContent;
    } fields;
    pump.processPendingEvents();
    fields.latestVersion = text::TextBetween(notice, gbkText(u8"〖最新版本："), closing);
    pump.processPendingEvents();
    if (fields.latestVersion == versionTag) return true;

    pump.processPendingEvents();
    fields.downloadAddress = text::TextBetween(notice, gbkText(u8"〖下载地址："), closing);
    pump.processPendingEvents();
    fields.updateContent = text::TextBetween(notice, gbkText(u8"〖更新内容："), closing);
    pump.processPendingEvents();
    fields.updateContent = text::replaceText(fields.updateContent, gbkText(u8"+换行符+"), "\r\n");
    pump.processPendingEvents();

    Text message = gbkText(u8"发现最新版本 ");
    message += fields.latestVersion;
    message += gbkText(u8" 前往更新\r\n更新内容：\r\n");
    message += fields.updateContent;
    if (dialogs.message(message, ui::Buttons::OkCancel) && isWebAddress(fields.downloadAddress))
        dialogs.openAddress(fields.downloadAddress);
    requestLoginClose();
    return false;
}

Text fetchAnnouncement(net::PageSource& pages, ui::EventPump& pump,
                       std::string_view serverAddress) {
    const std::string url = addressOf(serverAddress, kAnnouncementFilePath);
    Text announcement = pages.fetchText(url);
    for (int attempt = 0; announcement.empty() && attempt < kFetchRetries; ++attempt) {
        announcement = pages.fetchText(url);
        pump.processPendingEvents();
    }
    return announcement;
}

bool isWebAddress(std::string_view address) {
    std::string_view rest;
    if (startsWithIgnoringCase(address, "http://"))
        rest = address.substr(7);
    else if (startsWithIgnoringCase(address, "https://"))
        rest = address.substr(8);
    else
        return false;
    // A host must follow the scheme; blanks and control characters have no place in an address.
    if (rest.empty() || rest.front() == '/') return false;
    for (char c : rest)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace sowmere::app
