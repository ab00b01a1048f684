#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sowmere::devserver {

enum class Engine { Baidu, Haosou, Sogou, Youdao, Bing };

// The engine whose web-search host this is, if any.
std::optional<Engine> engineForHost(std::string_view host);

// The engine's result page for a query, in UTF-8 and in the engine's own markup: a result
// count, now and then the withheld-results notice, and a block of related searches (two blocks
// for Baidu), long-tail ones among them. The same query always gives the same page.
std::string resultPage(Engine engine, std::string_view queryUtf8);

struct Reply {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
};

// What the development server answers: the five engines' search pages and, when a directory
// is given, the maker's files from that directory.
class DevSite {
public:
    DevSite(std::string makerHost, std::string makerDirectory);

    // `target` is the request target as it arrived: an absolute URL when the server acts as a
    // proxy, otherwise a path whose host comes from `hostHeader`.
    Reply answer(std::string_view target, std::string_view hostHeader) const;

private:
    Reply makerFile(std::string_view path) const;

    std::string m_makerHost;
    std::string m_makerDirectory;
};

}  // namespace sowmere::devserver
