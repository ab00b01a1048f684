#include "HarvestFakes.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "text/CodePage.h"

namespace sowmere::harvest::testing {

std::string fixture(std::string_view name) {
    const std::string path = std::string(SOWMERE_TEST_DATA) + "/" + std::string(name);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing fixture " + path);
    std::ostringstream body;
    body << in.rdbuf();
    return body.str();
}

void TestWeb::route(std::string url, std::string utf8Body) {
    std::lock_guard lock(m_mutex);
    m_routes[std::move(url)] = std::move(utf8Body);
}

std::string TestWeb::answer(const std::string& url) {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(url);
    auto found = m_routes.find(url);
    return found == m_routes.end() ? std::string() : found->second;
}

std::vector<std::string> TestWeb::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int TestWeb::requestCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_requests.size());
}

bool FakeHost::longTailTicked() {
    ++longTailReads;
    return longTailScript ? longTailScript(longTailReads) : longTail;
}

void FakeHost::processPendingEvents() {
    ++eventCalls;
    if (onEvents) onEvents(eventCalls);
}

void FakeHost::delayWithEvents(int ms) {
    delays.push_back(ms);
    log.push_back("delay " + std::to_string(ms));
    if (onDelay) onDelay(static_cast<int>(delays.size()));
}

void FakeHost::appendRow() {
    rows.emplace_back();
    log.push_back("append");
}

void FakeHost::setCell(int row, int column, std::string_view text) {
    rows.at(row).at(column) = Text(text);
    log.push_back("cell " + std::to_string(row) + " " + std::to_string(column));
}

Text RecordingSource::fetchText(std::string_view url) {
    m_host.log.push_back("fetch " + std::string(url));
    return m_inner.fetchText(url);
}

Text RecordingSource::fetchPage(std::string_view url) {
    m_host.log.push_back("fetch " + std::string(url));
    return m_inner.fetchPage(url);
}

Text FakePageSource::fetchText(std::string_view url) {
    return text::bytesToText(m_web.answer(std::string(url)));
}

Text FakePageSource::fetchPage(std::string_view url) { return text::utf8ToLocal(fetchText(url)); }

}  // namespace sowmere::harvest::testing
