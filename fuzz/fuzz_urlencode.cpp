#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/UrlEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto encoded =
        sowmere::text::UrlEncoder(std::string_view(reinterpret_cast<const char*>(data), size));
    if (encoded.size() % 3 != 0) __builtin_trap();
    for (std::size_t i = 0; i < encoded.size(); i += 3) {
        if (encoded[i] != '%') __builtin_trap();
    }
    return 0;
}
