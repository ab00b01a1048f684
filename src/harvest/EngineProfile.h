#pragma once

#include <string_view>
#include <vector>

#include "text/Text.h"

namespace sowmere::harvest {

using text::Text;

// One block of suggested searches on an engine's result page.
struct SuggestionBlock {
    Text startMarker;  // the block begins right after its first occurrence
    Text endMarker;    // and ends right before the first occurrence after that
    Text pattern;      // group 2 of every match is one suggestion
    Text sourceLabel;  // written before the seed keyword in column 1
};

// What sets one engine apart; the harvest procedure itself is the same for all. Every text is
// GBK, like all texts of the program.
struct EngineProfile {
    Text host;                 // the engine's web-search host, reached over plain HTTP
    Text searchPath;           // path of the web-search page
    Text queryKey;             // query-string key carrying the query text
    bool encodeQuery = false;  // true: UTF-8 percent-encoded; false: raw GBK bytes
    std::vector<SuggestionBlock> blocks;
    std::vector<Text> blockRemovals;  // removed, every occurrence, from each block once cut
    Text countProbe;                  // a suggestion page without it has no count
    Text countStart;
    Text countEnd;
    Text failureLabel;              // prefix of the engine's failure lines
    bool stopTestPerMatch = false;  // the stop flag is tested before every match
};

// The texts every engine shares.
struct SharedTexts {
    Text noticeText;   // the engine's notice that part of the results was withheld
    Text queryFailed;  // column 3 when the suggestion page has no count
    Text yes;          // column 4 with the notice
    Text no;           // column 4 without it
};

const EngineProfile& baiduProfile();
const EngineProfile& haosouProfile();
const EngineProfile& sogouProfile();
const EngineProfile& youdaoProfile();
const EngineProfile& bingProfile();
const SharedTexts& sharedTexts();

// "http://" host path "?" key "=" and the query, percent-encoded as UTF-8 when the profile
// says so, otherwise its GBK bytes with nothing escaped.
Text queryUrl(const EngineProfile& profile, std::string_view query);

}  // namespace sowmere::harvest
