// Input: text \0 left marker \0 right marker; exercises find text and the marker cut.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/Text.h"

using namespace sowmere::text;

namespace {

// The plain definition: step by characters, compare at each start.
int referenceFind(std::string_view text, std::string_view what, int start, bool folded) {
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return -1;
    if (what.empty()) return 1;
    const auto fold = [&](unsigned char c) { return folded && c >= 'A' && c <= 'Z' ? c + 32 : c; };
    for (std::size_t at = from; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80 && at + 1 == text.size()) return -1;
        if (text.size() - at >= what.size()) {
            std::size_t k = 0;
            while (k < what.size() && fold(text[at + k]) == fold(what[k])) ++k;
            if (k == what.size()) return static_cast<int>(at) + 1;
        }
        at += byte >= 0x80 ? 2 : 1;
    }
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (int i = 0; i < 2; ++i) {
        const std::size_t zero = input.find('\0');
        if (zero == std::string_view::npos) break;
        parts[i] = input.substr(0, zero);
        input.remove_prefix(zero + 1);
    }
    parts[2] = input;
    const std::string_view text = parts[0];
    const int start = size ? static_cast<int>(data[0] % 8) - 2 : 0;
    for (const bool folded : {false, true}) {
        const int at = findText(text, parts[1], start, folded);
        if (at != -1 && (at < 1 || static_cast<std::size_t>(at) > text.size() + 1))
            __builtin_trap();
        const Text between = TextBetween(text, parts[1], parts[2], start, !folded);
        if (between.size() > text.size()) __builtin_trap();
    }
    (void)replaceText(text, parts[1], parts[2]);
    return 0;
}
