#pragma once

#include <string_view>

#include "text/CodePage.h"
#include "text/Text.h"

namespace sowmere::app {

// Sources are UTF-8; the program's texts are GBK. gbkText(u8"提示") gives the GBK bytes.
inline text::Text gbkText(std::u8string_view utf8) {
    return text::utf8ToLocal(
        std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace sowmere::app
