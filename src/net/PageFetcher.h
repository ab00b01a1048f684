#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string_view>

#include "net/PageSource.h"
#include "text/Text.h"

namespace sowmere::net {

using text::Bytes;

// Bounds that keep a bad server from freezing the program or exhausting its memory.
struct FetchLimits {
    std::chrono::milliseconds connectTimeout{30'000};
    // Give up when no byte arrives for this long; what arrived so far is the result.
    std::chrono::milliseconds stallTimeout{60'000};
    // Reading stops here; the bytes so far are the result.
    std::size_t maxBodyBytes = 64u << 20;
    long maxRedirects = 10;
};

// HTTP GET over one client for the whole process, opened by the first fetch. Follows the
// system's proxy configuration (http_proxy, https_proxy, no_proxy), sends GBK bytes of the URL
// as written, returns the body whatever the status, and empty bytes when nothing arrived.
class PageFetcher final : public PageSource {
public:
    explicit PageFetcher(FetchLimits limits = {});
    ~PageFetcher() override;
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    Bytes fetchBytes(std::string_view url);
    Text fetchText(std::string_view url) override;
    Text fetchPage(std::string_view url) override;

private:
    struct Client;
    FetchLimits m_limits;
    std::unique_ptr<Client> m_client;
};

}  // namespace sowmere::net
