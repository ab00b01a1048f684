#pragma once

#include <cstddef>
#include <string>

namespace sowmere::bench {

// About `bytes` of UTF-8 markup in the shape of an engine's result page: mostly ASCII markup
// with Chinese titles and abstracts.
inline std::string makeUtf8Page(std::size_t bytes) {
    std::string page = "<html><head><title>\xE7\x99\xBE\xE5\xBA\xA6</title></head><body>";
    int i = 0;
    while (page.size() < bytes) {
        page += "<div class=\"result c-container\" id=\"" + std::to_string(i++) +
                "\"><h3 class=\"t\"><a href=\"http://www.example.com/link?url=abcdef0123456789\">"
                "\xE4\xB8\xAD\xE6\x96\x87\xE5\x85\xB3\xE9\x94\xAE\xE8\xAF\x8D</a></h3>"
                "<div class=\"c-abstract\">\xE8\xBF\x99\xE6\x98\xAF\xE4\xB8\x80\xE6\xAE\xB5"
                "\xE6\x91\x98\xE8\xA6\x81 some english words too</div></div>\n";
    }
    return page;
}

}  // namespace sowmere::bench
