#include "DevSite.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

#include "text/CodePage.h"

namespace sowmere::devserver {
namespace {

struct EngineSite {
    Engine engine;
    std::string_view host;
    std::string_view path;
    std::string_view queryKey;
    bool utf8Query;  // percent-encoded UTF-8; the others send raw GBK bytes
};

constexpr std::array<EngineSite, 5> kSites = {{
    {Engine::Baidu, "www.baidu.com", "/s", "wd", false},
    {Engine::Haosou, "www.so.com", "/s", "q", false},
    {Engine::Sogou, "www.sogou.com", "/web", "query", false},
    {Engine::Youdao, "www.youdao.com", "/search", "q", false},
    {Engine::Bing, "cn.bing.com", "/search", "q", true},
}};

const EngineSite& siteOf(Engine engine) {
    for (const EngineSite& site : kSites) {
        if (site.engine == engine) return site;
    }
    return kSites[0];
}

// Deterministic pseudo-random numbers, seeded from the engine and the query.
class Dice {
public:
    Dice(Engine engine, std::string_view query) {
        std::uint64_t h = 1469598103934665603ull ^ static_cast<std::uint64_t>(engine);
        for (unsigned char c : query) h = (h ^ c) * 1099511628211ull;
        m_state = h;
    }
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t m_state;
};

constexpr std::array<std::string_view, 14> kSuffixes = {
    "价格",   "推荐", "怎么样", "排行榜", "图片", "官网",       "多少钱",
    "哪个好", "评测", "教程",   "大全",   "下载", "是什么意思", "2015最新"};
constexpr std::array<std::string_view, 6> kPrefixes = {"最新",   "二手", "如何选购",
                                                       "便宜的", "正品", "热门"};
constexpr std::array<std::string_view, 12> kOthers = {
    "天气预报",   "在线翻译",   "地图导航", "今日新闻", "音乐下载", "电视剧大全",
    "火车票查询", "小说排行榜", "美食做法", "旅游攻略", "股票行情", "招聘信息"};

struct Suggestion {
    std::string prefix;
    std::string keyword;  // the query itself, or empty for an unrelated suggestion
    std::string suffix;
    std::string plain() const { return prefix + keyword + suffix; }
};

std::vector<Suggestion> suggestionsFor(Dice& dice, std::string_view query, int count) {
    std::vector<Suggestion> out;
    for (int i = 0; i < count; ++i) {
        const int kind = dice.below(10);
        if (kind < 5) {
            out.push_back({"", std::string(query), std::string(kSuffixes[dice.below(14)])});
        } else if (kind < 7) {
            out.push_back({std::string(kPrefixes[dice.below(6)]), std::string(query), ""});
        } else {
            out.push_back({"", "", std::string(kOthers[dice.below(12)])});
        }
    }
    return out;
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string percentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int high = -1, low = -1;
        if (text[i] == '%' && i + 2 < text.size()) {
            high = hexValue(text[i + 1]);
            low = hexValue(text[i + 2]);
        }
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string withThousands(std::uint64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

constexpr std::string_view kNotice = "根据相关法律法规和政策，部分搜索结果未予显示。";

std::string searchHref(Engine engine, const std::string& queryUtf8) {
    const EngineSite& site = siteOf(engine);
    return std::string(site.path) + "?" + std::string(site.queryKey) + "=" +
           percentEncode(queryUtf8);
}

// A suggestion as link text: Bing highlights the query inside its suggestions.
std::string linkText(Engine engine, const Suggestion& s) {
    if (engine == Engine::Bing && !s.keyword.empty()) {
        return escapeHtml(s.prefix) + "<strong>" + escapeHtml(s.keyword) + "</strong>" +
               escapeHtml(s.suffix);
    }
    return escapeHtml(s.plain());
}

// Real result pages weigh tens of kilobytes, mostly inline style; the pages here do too, so
// that converting and cutting them costs what it would.
const std::string& styleSheet() {
    static const std::string sheet = [] {
        std::string out = "<style>\n";
        for (int i = 0; out.size() < 40'000; ++i) {
            out += ".c-container-" + std::to_string(i) +
                   " .t a{color:#2440b3;text-decoration:none;margin:0 0 " + std::to_string(i % 9) +
                   "px 0;font:medium/1.54 arial,sans-serif}\n";
        }
        return out + "</style>\n";
    }();
    return sheet;
}

std::string resultItems(Dice& dice, const std::string& q) {
    std::string out;
    const int items = 8 + dice.below(3);
    for (int i = 1; i <= items; ++i) {
        out += "<div class=\"result c-container\" id=\"" + std::to_string(i) +
               "\"><h3 class=\"t\"><a href=\"http://example.com/" + std::to_string(i) + "\">" + q +
               " - " + std::string(kSuffixes[dice.below(14)]) + "</a></h3><p>关于" + q +
               "的网页摘要：" + std::string(kOthers[dice.below(12)]) + "，" +
               std::string(kOthers[dice.below(12)]) + "，以及更多与" + q +
               "相关的内容，请点击查看详细信息。</p></div>\n";
    }
    return out;
}

}  // namespace

std::optional<Engine> engineForHost(std::string_view host) {
    for (const EngineSite& site : kSites) {
        if (site.host == host) return site.engine;
    }
    return std::nullopt;
}

std::string resultPage(Engine engine, std::string_view queryUtf8) {
    Dice dice(engine, queryUtf8);
    const std::string q = escapeHtml(queryUtf8);
    const std::string count = withThousands(1000 + dice.next() % 100'000'000);
    const bool notice = dice.below(6) == 0;
    const auto related = suggestionsFor(dice, queryUtf8, 6 + dice.below(5));

    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + q +
                       "</title>\n" + styleSheet() + "</head>\n<body>\n";
    switch (engine) {
        case Engine::Baidu:
            page += "<div class=\"nums\"><span class=\"nums_text\">百度为您找到相关结果约" + count +
                    "个</span></div>\n";
            page += resultItems(dice, q);
            if (notice) page += "<p class=\"tip\">" + std::string(kNotice) + "</p>\n";
            page += "<div id=\"rs\"><div class=\"tt\">相关搜索</div><table cellpadding=\"0\">";
            for (std::size_t i = 0; i < related.size(); ++i) {
                if (i % 3 == 0) page += "<tr>";
                page += "<th><a href=\"" + searchHref(engine, related[i].plain()) + "\">" +
                        linkText(engine, related[i]) + "</a></th>";
                if (i % 3 == 2 || i + 1 == related.size()) page += "</tr>\n";
            }
            page +=
                "</table></div>\n<div class=\"hint\"><span><i "
                "class=\"c-icon\"></i>为您推荐：</span>";
            for (const Suggestion& s : suggestionsFor(dice, queryUtf8, 3 + dice.below(3))) {
                page += "<a target=\"_blank\" href=\"" + searchHref(engine, s.plain()) + "\">" +
                        linkText(engine, s) + "</a>\n";
            }
            page += "</div>\n<script>var bds = {};</script>\n";
            break;
        case Engine::Haosou:
            page += "<p class=\"nums\">找到相关结果约" + count + "个</p>\n";
            page += resultItems(dice, q);
            if (notice) page += "<p class=\"tip\">" + std::string(kNotice) + "</p>\n";
            // Inner rows close without indentation; the block's last row closes after three
            // blanks.
            page += "<table id=\"rs\"><tr><th>相关搜索</th></tr>\n<tr>\n";
            for (std::size_t i = 0; i < related.size(); ++i) {
                page += "<th><a href=\"" + searchHref(engine, related[i].plain()) + "\">" +
                        linkText(engine, related[i]) + "</a></th>\n";
                if (i % 3 == 2 && i + 1 != related.size()) page += "</tr><tr>\n";
            }
            page += "   </tr>\n</table>\n";
            break;
        case Engine::Sogou:
            page += "<p class=\"num-tips\">搜狗已为您找到约<resnum id=\"scd_num\">" + count +
                    "</resnum>条结果</p>\n";
            page += resultItems(dice, q);
            if (notice) page += "<p class=\"tip\">" + std::string(kNotice) + "</p>\n";
            page += "<table id=\"hint_container\"><caption>相关搜索</caption>\n";
            for (std::size_t i = 0; i < related.size(); ++i) {
                if (i % 3 == 0) page += "<tr>";
                page += "<td><a href=\"" + searchHref(engine, related[i].plain()) +
                        "\" id=\"sogou_99_" + std::to_string(i + 1) + "\">" +
                        linkText(engine, related[i]) + "</a></td>";
                if (i % 3 == 2 || i + 1 == related.size()) page += "</tr>\n";
            }
            page += "</table>\n";
            break;
        case Engine::Youdao:
            page += "<p class=\"info\">共约" + count + "条结果</p>\n";
            page += resultItems(dice, q);
            if (notice) page += "<p class=\"tip\">" + std::string(kNotice) + "</p>\n";
            page += "<table class=\"rel\"><caption>相关搜索：</caption><tbody>\n";
            for (std::size_t i = 0; i < related.size(); ++i) {
                if (i % 3 == 0) page += "<tr>";
                page += "<td><a href=\"" + searchHref(engine, related[i].plain()) + "\">" +
                        linkText(engine, related[i]) + "</a></td>";
                if (i % 3 == 2 || i + 1 == related.size()) page += "</tr>\n";
            }
            page += "</tbody></table>\n";
            break;
        case Engine::Bing:
            page += "<span class=\"sb_count\">" + count + " 条结果</span>\n";
            page += resultItems(dice, q);
            if (notice) page += "<p class=\"tip\">" + std::string(kNotice) + "</p>\n";
            page += "<div class=\"b_rs\"><h2>相关搜索</h2><ul>\n";
            for (const Suggestion& s : related) {
                page += "<li><a href=\"" + searchHref(engine, s.plain()) + "\">" +
                        linkText(engine, s) + "</a></li>\n";
            }
            page += "</ul></div>\n<table><tr><td>&copy; Microsoft</td></tr></table>\n";
            break;
    }
    page += "</body></html>\n";
    return page;
}

DevSite::DevSite(std::string makerHost, std::string makerDirectory)
    : m_makerHost(std::move(makerHost)), m_makerDirectory(std::move(makerDirectory)) {}

Reply DevSite::answer(std::string_view target, std::string_view hostHeader) const {
    std::string_view host = hostHeader;
    std::string_view pathAndQuery = target;
    if (target.starts_with("http://")) {
        const std::string_view rest = target.substr(7);
        const std::size_t slash = rest.find('/');
        host = rest.substr(0, slash);
        pathAndQuery = slash == std::string_view::npos ? "/" : rest.substr(slash);
    }
    if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        host = host.substr(0, colon);
    }

    if (host == m_makerHost && !m_makerDirectory.empty()) return makerFile(pathAndQuery);

    const auto engine = engineForHost(host);
    if (!engine) return {502, "text/plain", ""};  // like a host that cannot be reached
    const EngineSite& site = siteOf(*engine);
    const std::string prefix = std::string(site.path) + "?" + std::string(site.queryKey) + "=";
    if (!pathAndQuery.starts_with(prefix))
        return {404, "text/html; charset=utf-8", "<html></html>"};

    // The query is everything after the key: GBK bytes sent unescaped may hold "&" or blanks.
    const std::string_view raw = pathAndQuery.substr(prefix.size());
    const std::string query = site.utf8Query ? percentDecode(raw) : text::localToUtf8(raw);
    return {200, "text/html; charset=utf-8", resultPage(*engine, query)};
}

Reply DevSite::makerFile(std::string_view path) const {
    const std::string decoded = percentDecode(path.substr(0, path.find('?')));
    // Only files under the directory: no parent steps.
    if (decoded.find("..") != std::string::npos || !decoded.starts_with("/")) {
        return {404, "text/plain", ""};
    }
    std::ifstream in(m_makerDirectory + decoded, std::ios::binary);
    if (!in) return {404, "text/plain", ""};
    std::ostringstream body;
    body << in.rdbuf();
    return {200, "text/plain; charset=gbk", body.str()};
}

}  // namespace sowmere::devserver
