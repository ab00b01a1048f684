#pragma once

#include <string_view>

#include "harvest/EngineProfile.h"
#include "harvest/HarvestHost.h"
#include "harvest/RunState.h"
#include "net/PageSource.h"

namespace sowmere::regex {
class RegexObject;
}

namespace sowmere::harvest {

// The harvest of one engine for the keyword in hand: fetch its result page, cut the suggestion
// blocks, and append one row per retained suggestion with its result count and notice flag.
// Keeps no state between calls (a call may be re-entered from within the host's event
// processing) and catches nothing: an exception from the host unwinds the call cleanly.
class EngineHarvester final : public EngineSlot {
public:
    EngineHarvester(const EngineProfile& profile, net::PageSource& pages, RunState& state,
                    HarvestHost& host);

    void harvest() override;

private:
    void harvestBlock(regex::RegexObject& regex, const Text& seedPage,
                      const SuggestionBlock& block);
    void harvestMatch(regex::RegexObject& regex, int match, const SuggestionBlock& block);
    void appendSuggestionRow(const Text& suggestion, const SuggestionBlock& block);
    // Writes one cell of the row appended last, as the table stands at the moment of writing.
    void setLastRowCell(int column, std::string_view text);

    const EngineProfile& m_profile;
    net::PageSource& m_pages;
    RunState& m_state;
    HarvestHost& m_host;
};

// The Google slot: no profile, no fetch, no row, no failure line.
class IdleSlot final : public EngineSlot {
public:
    void harvest() override {}
};

}  // namespace sowmere::harvest
