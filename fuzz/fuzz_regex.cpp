// Input: pattern \0 subject; the first byte also picks the options.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "regex/RegexObject.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t zero = input.find('\0');
    const std::string_view pattern = input.substr(0, zero);
    const std::string_view subject =
        zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    sowmere::regex::RegexObject re;
    if (re.run(pattern, subject, flags & 1, flags & 2, flags & 4, flags & 8)) {
        const int n = re.matchCount();
        for (int i = 0; i <= n + 1 && i < 64; ++i) {
            (void)re.matchText(i);
            for (int k = 0; k <= re.groupCount() + 1 && k < 8; ++k) (void)re.groupText(i, k);
        }
        (void)re.replace("[$1]");
    }
    (void)re.patternText();
    re.release();
    return 0;
}
