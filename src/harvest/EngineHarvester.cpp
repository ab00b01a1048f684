#include "harvest/EngineHarvester.h"

#include "regex/RegexObject.h"

namespace sowmere::harvest {

EngineHarvester::EngineHarvester(const EngineProfile& profile, net::PageSource& pages,
                                 RunState& state, HarvestHost& host)
    : m_profile(profile), m_pages(pages), m_state(state), m_host(host) {}

void EngineHarvester::harvest() {
    // The call's own regular-expression object, shared by its blocks and released on return.
    regex::RegexObject regex;

    const Text seedPage = m_pages.fetchPage(queryUrl(m_profile, m_state.currentKeyword));
    m_host.processPendingEvents();

    // The page must mention the keyword; an unreachable engine gives an empty page and fails
    // the same way.
    if (text::findText(seedPage, m_state.currentKeyword) == -1) {
        m_state.failureLog += m_profile.failureLabel + m_state.currentKeyword + "\r\n";
        m_host.processPendingEvents();
        return;
    }
    m_host.processPendingEvents();

    // Each block is cut on its own: a missing block does not stop the next, nor does a stop
    // request that ended the previous block's loop.
    for (const SuggestionBlock& block : m_profile.blocks) harvestBlock(regex, seedPage, block);
}

void EngineHarvester::harvestBlock(regex::RegexObject& regex, const Text& seedPage,
                                   const SuggestionBlock& block) {
    Text cut = text::TextBetween(seedPage, block.startMarker, block.endMarker);
    m_host.processPendingEvents();
    for (const Text& removal : m_profile.blockRemovals) {
        cut = text::replaceText(cut, removal, "");
        m_host.processPendingEvents();
    }

    regex.run(block.pattern, cut, /*caseSensitive=*/true);
    const int matches = regex.matchCount();  // read once; later runs replace the matches
    m_host.processPendingEvents();

    for (int i = 1; i <= matches; ++i) {
        // Tested before each match, so a stop request never cuts a match short.
        if (m_profile.stopTestPerMatch && m_state.stopRequested != 0) break;
        harvestMatch(regex, i, block);
    }
}

void EngineHarvester::harvestMatch(regex::RegexObject& regex, int match,
                                   const SuggestionBlock& block) {
    m_host.processPendingEvents();

    // The long-tail box is read afresh before each path: a box changed in between lets a
    // match through both paths.
    if (m_host.longTailTicked()) {
        const Text suggestion = regex.groupText(match, 2);
        if (text::findText(suggestion, m_state.currentKeyword) != -1) {
            appendSuggestionRow(suggestion, block);
        }
        m_host.processPendingEvents();
    }
    if (!m_host.longTailTicked()) {
        appendSuggestionRow(regex.groupText(match, 2), block);
        m_host.processPendingEvents();
    }

    // Every match is paced, a dropped one too.
    m_host.delayWithEvents(m_host.readDelayBox());
}

void EngineHarvester::appendSuggestionRow(const Text& suggestion, const SuggestionBlock& block) {
    const SharedTexts& shared = sharedTexts();

    ++m_state.rowSerial;
    m_host.appendRow();
    m_host.processPendingEvents();
    setLastRowCell(0, text::decimal(m_state.rowSerial));
    setLastRowCell(1, block.sourceLabel + m_state.currentKeyword);
    setLastRowCell(2, suggestion);

    const Text page = m_pages.fetchPage(queryUrl(m_profile, suggestion));
    m_host.processPendingEvents();

    // The probe may be shorter than the left count marker; then the count can be empty.
    if (text::findText(page, m_profile.countProbe) == -1) {
        setLastRowCell(3, shared.queryFailed);
    } else {
        setLastRowCell(3, text::TextBetween(page, m_profile.countStart, m_profile.countEnd));
    }
    setLastRowCell(4, text::findText(page, shared.noticeText) != -1 ? shared.yes : shared.no);
}

void EngineHarvester::setLastRowCell(int column, std::string_view text) {
    const int row = m_host.rowCount() - 1;
    if (row >= 0) m_host.setCell(row, column, text);
    m_host.processPendingEvents();
}

}  // namespace sowmere::harvest
