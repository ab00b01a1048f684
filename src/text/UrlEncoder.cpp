#include "text/UrlEncoder.h"

#include <iconv.h>

#include <string>

namespace sowmere::text {

Text UrlEncoder(std::string_view gbk) {
    if (gbk.empty()) return {};
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string in(gbk);
    std::string utf8(in.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = utf8.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = utf8.size();
    const std::size_t converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    // Flush any shift state; a sequence cut short at the end is a failure too.
    const std::size_t flushed = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    if (converted == static_cast<std::size_t>(-1) || flushed == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
        return {};
    }
    utf8.resize(utf8.size() - outLeft);

    static constexpr char kHex[] = "0123456789ABCDEF";
    Text encoded;
    encoded.reserve(utf8.size() * 3);
    for (const unsigned char byte : utf8) {
        encoded.push_back('%');
        encoded.push_back(kHex[byte >> 4]);
        encoded.push_back(kHex[byte & 0x0F]);
    }
    return encoded;
}

}  // namespace sowmere::text
