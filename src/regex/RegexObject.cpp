#define PCRE2_CODE_UNIT_WIDTH 8
#include "regex/RegexObject.h"

#include <pcre2.h>

#include <string>

#include "text/CodePage.h"

namespace sowmere::regex {
namespace {

// Bounds on backtracking, so that no pattern can hang the window thread for long.
constexpr uint32_t kMatchLimit = 5'000'000;
constexpr uint32_t kDepthLimit = 100'000;

const std::string kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";  // "#引号"

}  // namespace

// Matching works on the UTF-8 form of the GBK pattern and subject; offsets stored per match
// point into that form and are converted back to GBK only when a text is asked for.
struct RegexObject::Engine {
    Text pattern;         // after placeholder replacement, kept even when it did not compile
    std::string subject;  // UTF-8
    pcre2_code* code = nullptr;
    bool global = true;
    bool hasMatches = false;
    int groups = 0;                   // capturing groups of the pattern
    std::vector<PCRE2_SIZE> offsets;  // 2 * (groups + 1) per match

    ~Engine() { pcre2_code_free(code); }

    int matchCount() const {
        return hasMatches ? static_cast<int>(offsets.size() / (2 * (groups + 1))) : 0;
    }
    Text slice(int match, int group) const {
        if (match < 1 || match > matchCount() || group < 0 || group > groups) return {};
        const std::size_t base = static_cast<std::size_t>(match - 1) * 2 * (groups + 1) + 2 * group;
        const PCRE2_SIZE begin = offsets[base];
        const PCRE2_SIZE end = offsets[base + 1];
        if (begin == PCRE2_UNSET || end < begin) return {};
        return text::utf8ToLocal(std::string_view(subject).substr(begin, end - begin));
    }
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;

void RegexObject::release() { m_engine.reset(); }

bool RegexObject::run(std::string_view pattern, std::string_view subject, bool caseSensitive,
                      bool multiline, bool global, bool quotePlaceholder) {
    m_engine = std::make_unique<Engine>();
    Engine& e = *m_engine;
    e.pattern =
        quotePlaceholder ? text::replaceText(pattern, kQuotePlaceholder, "\"") : Text(pattern);
    e.global = global;

    // Decoding GBK always gives valid UTF-8 (what is not GBK becomes U+FFFD).
    const std::string utf8Pattern = text::localToUtf8(e.pattern);
    uint32_t options = PCRE2_UTF | PCRE2_NO_UTF_CHECK | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
    if (!caseSensitive) options |= PCRE2_CASELESS;
    if (multiline) options |= PCRE2_MULTILINE;

    pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
    // "." stops only at a line feed, whatever newline convention the library was built with.
    pcre2_set_newline(compileContext, PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    e.code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8Pattern.data()), utf8Pattern.size(),
                           options, &error, &errorOffset, compileContext);
    pcre2_compile_context_free(compileContext);
    if (!e.code) return false;
    pcre2_jit_compile(e.code, PCRE2_JIT_COMPLETE);  // falls back to the interpreter on failure

    uint32_t captures = 0;
    pcre2_pattern_info(e.code, PCRE2_INFO_CAPTURECOUNT, &captures);
    e.groups = static_cast<int>(captures);
    e.subject = text::localToUtf8(subject);

    pcre2_match_data* data = pcre2_match_data_create_from_pattern(e.code, nullptr);
    pcre2_match_context* matchContext = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(matchContext, kMatchLimit);
    pcre2_set_depth_limit(matchContext, kDepthLimit);
    const auto* s = reinterpret_cast<PCRE2_SPTR>(e.subject.data());
    const PCRE2_SIZE size = e.subject.size();
    const std::size_t perMatch = 2 * (static_cast<std::size_t>(e.groups) + 1);
    PCRE2_SIZE start = 0;
    while (start <= size) {
        const int rc = pcre2_match(e.code, s, size, start, PCRE2_NO_UTF_CHECK, data, matchContext);
        if (rc < 0) break;  // no further match, or a limit reached: keep what was found
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        e.offsets.insert(e.offsets.end(), ovector, ovector + perMatch);
        if (!global) break;
        if (ovector[1] > ovector[0]) {
            start = ovector[1];
        } else {
            // An empty match: the next search begins one character further on.
            if (ovector[1] >= size) break;
            start = ovector[1] + 1;
            while (start < size && (s[start] & 0xC0) == 0x80) ++start;
        }
    }
    pcre2_match_context_free(matchContext);
    pcre2_match_data_free(data);
    e.hasMatches = true;
    return true;
}

Text RegexObject::patternText() const { return m_engine ? m_engine->pattern : Text(); }

Text RegexObject::replace(std::string_view replacement) const {
    if (!m_engine || !m_engine->code) return {};
    const Engine& e = *m_engine;
    const std::string with = text::localToUtf8(replacement);
    uint32_t options = PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_SUBSTITUTE_UNSET_EMPTY |
                       PCRE2_SUBSTITUTE_UNKNOWN_UNSET | PCRE2_NO_UTF_CHECK;
    if (e.global) options |= PCRE2_SUBSTITUTE_GLOBAL;
    std::string out(e.subject.size() + with.size() + 64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = out.size();
        const int rc = pcre2_substitute(e.code, reinterpret_cast<PCRE2_SPTR>(e.subject.data()),
                                        e.subject.size(), 0, options, nullptr, nullptr,
                                        reinterpret_cast<PCRE2_SPTR>(with.data()), with.size(),
                                        reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (rc >= 0) {
            out.resize(length);
            return text::utf8ToLocal(out);
        }
        if (rc != PCRE2_ERROR_NOMEMORY) return {};
        out.assign(length, '\0');  // the needed length, told by the first attempt
    }
    return {};
}

int RegexObject::matchCount() const { return m_engine ? m_engine->matchCount() : 0; }

Text RegexObject::matchText(int match) const {
    return m_engine ? m_engine->slice(match, 0) : Text();
}

Text RegexObject::groupText(int match, int group) const {
    if (!m_engine || group < 1) return {};
    return m_engine->slice(match, group);
}

int RegexObject::groupCount() const {
    return m_engine && m_engine->matchCount() > 0 ? m_engine->groups : 0;
}

}  // namespace sowmere::regex
