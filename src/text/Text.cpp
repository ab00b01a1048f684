#include "text/Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace sowmere::text {
namespace {

static_assert(std::endian::native == std::endian::little, "word masks read bytes 0, 2, 4, 6");

constexpr bool isLead(unsigned char byte) { return byte >= 0x80; }

constexpr std::array<unsigned char, 256> makeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
    }
    return table;
}
constexpr auto kFold = makeFoldTable();

// Walks character starts from `boundary` (itself a character start) up to `target`; returns the
// first character start at or after `target`.
inline std::size_t advanceBoundary(const unsigned char* bytes, std::size_t boundary,
                                   std::size_t target) {
    // Eight bytes at a time while they are eight one-byte characters, or while every second byte
    // from the boundary is a lead byte (four two-byte characters, the Chinese text between
    // markup); byte by byte otherwise.
    while (boundary < target) {
        if (boundary + 8 <= target) {
            std::uint64_t word;
            std::memcpy(&word, bytes + boundary, 8);
            if ((word & 0x8080808080808080ull) == 0 ||
                (word & 0x0080008000800080ull) == 0x0080008000800080ull) {
                boundary += 8;
                continue;
            }
        }
        boundary += isLead(bytes[boundary]) ? 2 : 1;
    }
    return boundary;
}

int findExact(std::string_view text, std::string_view what, std::size_t from) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t boundary = from;
    std::size_t searchFrom = from;
    while (searchFrom < size) {
        const void* hit =
            memmem(text.data() + searchFrom, size - searchFrom, what.data(), what.size());
        if (!hit) return -1;
        const std::size_t at = static_cast<const char*>(hit) - text.data();
        boundary = advanceBoundary(bytes, boundary, at);
        if (boundary == at) {
            // A lead byte as the very last byte ends the search without a match.
            if (at + 1 == size && isLead(bytes[at])) return -1;
            return static_cast<int>(at) + 1;
        }
        searchFrom = at + 1;  // the hit began on the second byte of a character
    }
    return -1;
}

int findFolded(std::string_view text, std::string_view what, std::size_t from) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const auto* needle = reinterpret_cast<const unsigned char*>(what.data());
    const std::size_t size = text.size();
    const std::size_t length = what.size();
    // Candidates are the places of the needle's first byte in either letter case, found with
    // memchr; only those that are character starts are compared in full.
    const unsigned char lower = kFold[needle[0]];
    const unsigned char upper =
        lower >= 'a' && lower <= 'z' ? static_cast<unsigned char>(lower - ('a' - 'A')) : lower;
    const auto next = [&](unsigned char byte, std::size_t at) -> std::size_t {
        const void* hit = at < size ? std::memchr(bytes + at, byte, size - at) : nullptr;
        return hit ? static_cast<const unsigned char*>(hit) - bytes : size;
    };
    std::size_t nextLower = next(lower, from);
    std::size_t nextUpper = upper == lower ? size : next(upper, from);
    std::size_t boundary = from;
    while (true) {
        const std::size_t at = std::min(nextLower, nextUpper);
        if (at >= size || size - at < length) return -1;
        if (at >= boundary) {
            boundary = advanceBoundary(bytes, boundary, at);
            if (boundary == at) {
                if (at + 1 == size && isLead(bytes[at])) return -1;
                std::size_t k = 1;
                while (k < length && kFold[bytes[at + k]] == kFold[needle[k]]) ++k;
                if (k == length) return static_cast<int>(at) + 1;
            }
        }
        if (at == nextLower) nextLower = next(lower, at + 1);
        if (at == nextUpper) nextUpper = next(upper, at + 1);
    }
}

}  // namespace

int findText(std::string_view text, std::string_view what, int start, bool ignoreCase) {
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return -1;
    if (what.empty()) return 1;
    if (what.size() > text.size() - from) return -1;
    return ignoreCase ? findFolded(text, what, from) : findExact(text, what, from);
}

Text replaceText(std::string_view text, std::string_view what, std::string_view with) {
    if (what.empty()) return Text(text);
    Text result;
    result.reserve(text.size());
    std::size_t copied = 0;
    int start = 1;
    while (true) {
        const int found = findText(text, what, start);
        if (found < 0) break;
        const std::size_t at = static_cast<std::size_t>(found) - 1;
        result.append(text.substr(copied, at - copied));
        result.append(with);
        copied = at + what.size();
        start = static_cast<int>(copied) + 1;
    }
    result.append(text.substr(copied));
    return result;
}

int textToNumber(std::string_view text) {
    // Full-width characters (GBK A3 A1..A3 FE) read as their ASCII forms.
    std::string ascii;
    ascii.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0xA3 && i + 1 < text.size()) {
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            if (trail >= 0xA1 && trail <= 0xFE) {
                ascii.push_back(static_cast<char>(trail - 0x80));
                ++i;
                continue;
            }
        }
        if (byte == 0xA1 && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) == 0xA1) {
            ascii.push_back(' ');  // the full-width blank
            ++i;
            continue;
        }
        if (byte >= 0x80) break;  // no number goes on past another two-byte character
        ascii.push_back(static_cast<char>(byte));
    }

    std::size_t i = 0;
    const auto isDigit = [&](std::size_t at) {
        return at < ascii.size() && ascii[at] >= '0' && ascii[at] <= '9';
    };
    while (i < ascii.size() && (ascii[i] == ' ' || ascii[i] == '\t')) ++i;
    const std::size_t begin = i;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) ++i;
    std::size_t digits = 0;
    while (isDigit(i)) ++i, ++digits;
    if (i < ascii.size() && ascii[i] == '.') {
        ++i;
        while (isDigit(i)) ++i, ++digits;
    }
    if (digits == 0) return 0;
    std::size_t end = i;
    if (i < ascii.size() && (ascii[i] == 'e' || ascii[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < ascii.size() && (ascii[j] == '+' || ascii[j] == '-')) ++j;
        if (isDigit(j)) {
            while (isDigit(j)) ++j;
            end = j;
        }
    }
    const std::string number = ascii.substr(begin, end - begin);
    const double value = std::trunc(std::strtod(number.c_str(), nullptr));
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

std::vector<Text> splitLines(std::string_view text) {
    std::vector<Text> lines;
    std::size_t begin = 0;
    while (true) {
        const std::size_t end = text.find("\r\n", begin);
        if (end == std::string_view::npos) break;
        lines.emplace_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
    if (begin < text.size()) lines.emplace_back(text.substr(begin));
    return lines;
}

Text TextBetween(std::string_view text, std::string_view leftMarker, std::string_view rightMarker,
                 int startPosition, bool caseSensitive) {
    static const std::string kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";  // "#引号"
    const Text left = replaceText(leftMarker, kQuotePlaceholder, "\"");
    const Text right = replaceText(rightMarker, kQuotePlaceholder, "\"");
    const int p = findText(text, left, startPosition, !caseSensitive);
    if (p < 0) return {};
    const int s = p + static_cast<int>(left.size());
    const int q = findText(text, right, s, !caseSensitive);
    if (q < s) return {};  // not found, or an empty right marker reported at position 1
    return Text(text.substr(static_cast<std::size_t>(s) - 1, static_cast<std::size_t>(q - s)));
}

Text decimal(long long value) { return std::to_string(value); }

}  // namespace sowmere::text
