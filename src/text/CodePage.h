#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace sowmere::text {

enum class CodePage { Utf8, Gbk };

// Decodes a text into UTF-16. Invalid sequences become U+FFFD (one per maximal invalid
// subpart), so decoding never stops.
std::u16string toWide(std::string_view text, CodePage codePage = CodePage::Utf8);

// Encodes UTF-16 into a text. What the code page cannot hold (and unpaired surrogates) becomes
// "?"; a zero unit ends the text.
Text fromWide(std::u16string_view wide, CodePage codePage = CodePage::Gbk);

// UTF-8 page text to GBK: fromWide(toWide(text), GBK); each invalid UTF-8 sequence and each
// character GBK cannot hold gives "?".
Text utf8ToLocal(std::string_view utf8);

// GBK text to UTF-8, for the window toolkit and file names; what is not GBK becomes U+FFFD.
std::string localToUtf8(std::string_view gbk);

// The bytes before the first zero byte.
Text bytesToText(std::string_view bytes);
// The same, cutting a body the caller gives up in place instead of copying it.
Text bytesToText(Bytes&& bytes);

}  // namespace sowmere::text
