#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)sowmere::text::textToNumber(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
