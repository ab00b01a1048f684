#pragma once

#include <string_view>

#include "text/Text.h"

namespace sowmere::text {

// GBK text to UTF-8 (strictly, through iconv), every byte written as "%" and two upper-case hex
// digits. A text the conversion rejects gives the empty text as a whole.
Text UrlEncoder(std::string_view gbk);

}  // namespace sowmere::text
