#include "text/CodePage.h"

#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace sowmere::text {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr int kTrailCount = 0xFF - 0x40;  // trail bytes 0x40..0xFE

// GBK <-> Unicode tables, built once from the C library's converter so that page conversion
// runs as plain table look-ups.
struct GbkTables {
    std::vector<char16_t> toUnicode;  // (lead - 0x81) * kTrailCount + (trail - 0x40); 0: none
    std::vector<std::uint16_t> fromUnicode;  // BMP code point -> GBK pair; 0: none

    GbkTables() : toUnicode(126 * kTrailCount, 0), fromUnicode(0x10000, 0) {
        iconv_t cd = iconv_open("UTF-16LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char out[8];
                char* inPtr = in;
                char* outPtr = out;
                std::size_t inLeft = 2;
                std::size_t outLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
                    sizeof out - outLeft != 2) {
                    continue;
                }
                const char16_t unit = static_cast<char16_t>(
                    static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
                toUnicode[(lead - 0x81) * kTrailCount + (trail - 0x40)] = unit;
                if (unit >= 0x80 && fromUnicode[unit] == 0) {
                    fromUnicode[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
                }
            }
        }
        iconv_close(cd);
    }
};

const GbkTables& tables() {
    static const GbkTables instance;
    return instance;
}

// Decodes one UTF-8 character at `at`; returns the code point (or kReplacement for a maximal
// invalid subpart) and advances `at`.
inline char32_t decodeUtf8(const unsigned char* s, std::size_t size, std::size_t& at) {
    const unsigned char b0 = s[at];
    if (b0 < 0x80) {
        ++at;
        return b0;
    }
    int length;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        ++at;
        return kReplacement;
    }
    std::size_t i = at + 1;
    for (int k = 1; k < length; ++k, ++i) {
        if (i >= size || s[i] < lo || s[i] > hi) {
            at = i;  // the maximal invalid subpart ends before this byte
            return kReplacement;
        }
        cp = (cp << 6) | (s[i] & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    at = i;
    return cp;
}

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one GBK character at `at`; advances `at`.
inline char16_t decodeGbk(const unsigned char* s, std::size_t size, std::size_t& at) {
    const unsigned char lead = s[at];
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if (lead == 0x80 || lead == 0xFF || at + 1 >= size || s[at + 1] < 0x40) {
        ++at;  // a lone or broken lead byte; an ASCII byte after it stays itself
        return kReplacement;
    }
    const unsigned char trail = s[at + 1];
    at += 2;
    if (trail == 0xFF) return kReplacement;
    const char16_t unit = tables().toUnicode[(lead - 0x81) * kTrailCount + (trail - 0x40)];
    return unit ? unit : kReplacement;
}

inline void appendGbk(Text& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    const std::uint16_t pair = cp < 0x10000 ? tables().fromUnicode[cp] : 0;
    if (pair) {
        out.push_back(static_cast<char>(pair >> 8));
        out.push_back(static_cast<char>(pair & 0xFF));
    } else {
        out.push_back('?');
    }
}

// Copies the longest ASCII run at `at` and advances past it.
inline void copyAscii(const unsigned char* s, std::size_t size, std::size_t& at, std::string& out) {
    const std::size_t begin = at;
    while (at + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, s + at, 8);
        if (word & 0x8080808080808080ull) break;
        at += 8;
    }
    while (at < size && s[at] < 0x80) ++at;
    out.append(reinterpret_cast<const char*>(s) + begin, at - begin);
}

}  // namespace

std::u16string toWide(std::string_view text, CodePage codePage) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::u16string wide;
    wide.reserve(size);
    std::size_t at = 0;
    while (at < size) {
        if (codePage == CodePage::Gbk) {
            wide.push_back(decodeGbk(s, size, at));
            continue;
        }
        const char32_t cp = decodeUtf8(s, size, at);
        if (cp < 0x10000) {
            wide.push_back(static_cast<char16_t>(cp));
        } else {
            wide.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    return wide;
}

Text fromWide(std::u16string_view wide, CodePage codePage) {
    Text out;
    out.reserve(wide.size() * 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (cp == 0) break;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (codePage == CodePage::Utf8) {
            appendUtf8(out, cp);
        } else {
            appendGbk(out, cp);
        }
    }
    return out;
}

Text utf8ToLocal(std::string_view utf8) {
    utf8 = utf8.substr(0, utf8.find('\0'));  // a text ends at its first zero byte
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    Text out;
    out.reserve(size);
    std::size_t at = 0;
    while (at < size) {
        if (s[at] < 0x80) {
            copyAscii(s, size, at, out);
            continue;
        }
        appendGbk(out, decodeUtf8(s, size, at));
    }
    return out;
}

std::string localToUtf8(std::string_view gbk) {
    const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
    const std::size_t size = gbk.size();
    std::string out;
    out.reserve(size + size / 2);
    std::size_t at = 0;
    while (at < size) {
        if (s[at] < 0x80) {
            copyAscii(s, size, at, out);
            continue;
        }
        appendUtf8(out, decodeGbk(s, size, at));
    }
    return out;
}

Text bytesToText(std::string_view bytes) {
    const std::size_t zero = bytes.find('\0');
    return Text(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

Text bytesToText(Bytes&& bytes) {
    const std::size_t zero = bytes.find('\0');
    if (zero != Bytes::npos) bytes.resize(zero);
    return std::move(bytes);
}

}  // namespace sowmere::text
