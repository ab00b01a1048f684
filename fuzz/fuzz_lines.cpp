#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = sowmere::text::splitLines(text);
    // Joining the lines with CR LF gives the text back, less at most one final CR LF.
    std::string joined;
    for (const auto& line : lines) joined += line + "\r\n";
    if (joined != text && joined != std::string(text) + "\r\n") __builtin_trap();
    return 0;
}
