#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace sowmere::regex {

using text::Text;

// One regular expression run over one GBK text. Pattern and subject are decoded to characters
// before matching ("." is a whole Chinese character and never a line feed); match and group
// texts come back in GBK. Every failure gives an empty answer: false, 0 or the empty text.
class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    void release();
    bool run(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
             bool multiline = true, bool global = true, bool quotePlaceholder = false);
    Text patternText() const;
    Text replace(std::string_view replacement) const;
    int matchCount() const;
    Text matchText(int match) const;
    Text groupText(int match, int group) const;
    int groupCount() const;

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

}  // namespace sowmere::regex
