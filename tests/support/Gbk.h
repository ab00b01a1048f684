#pragma once

#include <string>
#include <string_view>

#include "text/CodePage.h"

namespace sowmere::testing {

// Test sources are UTF-8; the program's texts are GBK. gbk(u8"百度") gives the GBK bytes.
inline std::string gbk(std::u8string_view utf8) {
    return text::utf8ToLocal(
        std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}
inline std::string gbk(std::string_view utf8) { return text::utf8ToLocal(utf8); }

}  // namespace sowmere::testing
