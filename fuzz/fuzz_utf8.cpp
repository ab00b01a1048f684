#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/CodePage.h"

using namespace sowmere::text;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Text local = utf8ToLocal(bytes);
    if (local.find('\0') != Text::npos) __builtin_trap();
    // Whatever came in, the GBK text goes back to UTF-8 and round-trips from there.
    const std::string utf8 = localToUtf8(local);
    if (utf8ToLocal(utf8) != local) __builtin_trap();
    (void)fromWide(toWide(bytes, CodePage::Gbk));
    return 0;
}
