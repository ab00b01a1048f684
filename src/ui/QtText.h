#pragma once

#include <QString>
#include <string_view>

#include "text/CodePage.h"
#include "text/Text.h"

namespace sowmere::ui {

// The boundary between the program's GBK texts and the toolkit's strings. What GBK cannot hold
// comes back as "?".
inline QString toQt(std::string_view gbk) {
    return QString::fromStdU16String(text::toWide(gbk, text::CodePage::Gbk));
}

inline text::Text fromQt(const QString& string) {
    return text::fromWide(
        std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()), string.size()),
        text::CodePage::Gbk);
}

// Object names are UTF-8 so that tests can find controls by them.
inline QString nameToQt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace sowmere::ui
