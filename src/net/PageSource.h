#pragma once

#include <string_view>

#include "text/Text.h"

namespace sowmere::net {

using text::Text;

// What the harvesters and the start-up checks need of the page fetcher; the program's one
// PageFetcher implements it.
class PageSource {
public:
    virtual ~PageSource() = default;
    // The body up to its first zero byte, unconverted (the maker's GBK files).
    virtual Text fetchText(std::string_view url) = 0;
    // The body up to its first zero byte, read as UTF-8 and converted to GBK (engine pages).
    virtual Text fetchPage(std::string_view url) = 0;
};

}  // namespace sowmere::net
