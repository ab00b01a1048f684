#include "harvest/EngineProfile.h"

#include "text/CodePage.h"
#include "text/UrlEncoder.h"

namespace sowmere::harvest {
namespace {

// The profiles are written here in UTF-8 and held in GBK, converted once on first use.
Text gbk(std::string_view utf8) { return text::utf8ToLocal(utf8); }

SuggestionBlock block(std::string_view start, std::string_view end, std::string_view pattern,
                      std::string_view label) {
    return {gbk(start), gbk(end), gbk(pattern), gbk(label)};
}

}  // namespace

const EngineProfile& baiduProfile() {
    static const EngineProfile profile{
        .host = "www.baidu.com",
        .searchPath = "/s",
        .queryKey = "wd",
        .encodeQuery = false,
        .blocks = {block("相关搜索</div>", "</table>", "<a href=(.*?)>(.*?)</a>", "百度相关："),
                   block("</i>为您推荐：</span>", "<script>", "<a target=(.*?)>(.*?)</a>",
                         "百度推荐：")},
        .blockRemovals = {},
        .countProbe = gbk("百度为您找到相关结果约"),
        .countStart = gbk("百度为您找到相关结果约"),
        .countEnd = gbk("个"),
        .failureLabel = gbk("百度："),
        .stopTestPerMatch = true,
    };
    return profile;
}

const EngineProfile& haosouProfile() {
    static const EngineProfile profile{
        .host = "www.so.com",
        .searchPath = "/s",
        .queryKey = "q",
        .encodeQuery = false,
        // The block ends only at three blanks followed by the row's closing tag.
        .blocks = {block("相关搜索</th>", "   </tr>", "<th><a href=(.*?)>(.*?)</a>", "好搜相关：")},
        .blockRemovals = {},
        .countProbe = gbk("找到相关结果约"),
        .countStart = gbk("找到相关结果约"),
        .countEnd = gbk("个"),
        .failureLabel = gbk("好搜："),
        .stopTestPerMatch = false,
    };
    return profile;
}

const EngineProfile& sogouProfile() {
    static const EngineProfile profile{
        .host = "www.sogou.com",
        .searchPath = "/web",
        .queryKey = "query",
        .encodeQuery = false,
        .blocks = {block("<caption>相关搜索</caption>", "</table>", "id=(.*?)>(.*?)</a></td>",
                         "搜狗相关：")},
        .blockRemovals = {},
        // The probe is shorter than the left count marker: a page may have one without the other.
        .countProbe = gbk("找到约"),
        .countStart = gbk("找到约<resnum id=\"scd_num\">"),
        .countEnd = gbk("</resnum>条结果"),
        .failureLabel = gbk("搜狗："),
        .stopTestPerMatch = false,
    };
    return profile;
}

const EngineProfile& youdaoProfile() {
    static const EngineProfile profile{
        .host = "www.youdao.com",
        .searchPath = "/search",
        .queryKey = "q",
        .encodeQuery = false,
        // Youdao's heading ends with a full-width colon.
        .blocks = {block("<caption>相关搜索：</caption>", "</tbody>", "href=(.*?)>(.*?)</a>",
                         "有道相关：")},
        .blockRemovals = {},
        .countProbe = gbk("共约"),
        .countStart = gbk("共约"),
        .countEnd = gbk("条结果"),
        .failureLabel = gbk("有道："),
        .stopTestPerMatch = false,
    };
    return profile;
}

const EngineProfile& bingProfile() {
    static const EngineProfile profile{
        .host = "cn.bing.com",
        .searchPath = "/search",
        .queryKey = "q",
        .encodeQuery = true,
        // The block ends at the next table's opening tag.
        .blocks = {block("<h2>相关搜索</h2>", "<table>", "<li><a href=(.*?)>(.*?)</a></li>",
                         "必应相关：")},
        // Bing highlights the query inside suggestions; the tags go before the pattern runs.
        .blockRemovals = {"<strong>", "</strong>"},
        .countProbe = gbk("条结果"),
        .countStart = gbk("<span class=\"sb_count\">"),
        .countEnd = gbk(" 条结果"),
        .failureLabel = gbk("必应："),
        .stopTestPerMatch = false,
    };
    return profile;
}

const SharedTexts& sharedTexts() {
    static const SharedTexts texts{
        .noticeText = gbk("根据相关法律法规和政策，部分搜索结果未予显示。"),
        .queryFailed = gbk("查询失败"),
        .yes = gbk("是"),
        .no = gbk("否"),
    };
    return texts;
}

Text queryUrl(const EngineProfile& profile, std::string_view query) {
    Text url = "http://" + profile.host + profile.searchPath + "?" + profile.queryKey + "=";
    if (profile.encodeQuery) {
        url += text::UrlEncoder(query);
    } else {
        url += query;
    }
    return url;
}

}  // namespace sowmere::harvest
