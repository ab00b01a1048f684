#include "app/SettingsFile.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "mining/FileReplacement.h"

namespace sowmere::app {

namespace {

constexpr std::string_view kFileName = "Config.ini";

bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Blanks around names are not part of them; a zero byte left by a clearing counts as a blank.
bool isPadding(char c) { return c == ' ' || c == '\t' || c == '\0'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isPadding(s.front())) s.remove_prefix(1);
    while (!s.empty() && isPadding(s.back())) s.remove_suffix(1);
    return s;
}

char foldedAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Names match ignoring the case of A-Z; the second byte of a two-byte character is never folded.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isLeadByte(a[i])) {
            if (a[i] != b[i]) return false;
            if (i + 1 < a.size()) {
                ++i;
                if (a[i] != b[i]) return false;
            }
        } else if (foldedAscii(a[i]) != foldedAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// One line of the file: its content and the line end that followed it ("" for the last line
// when the file does not end with one).
struct Line {
    std::string_view content;
    std::string_view ending;
};

std::vector<Line> splitFileLines(std::string_view data) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t lf = data.find('\n', pos);
        std::size_t end = lf == std::string_view::npos ? data.size() : lf;
        std::size_t contentEnd = end;
        if (contentEnd > pos && data[contentEnd - 1] == '\r') --contentEnd;
        std::size_t next = lf == std::string_view::npos ? data.size() : lf + 1;
        lines.push_back(
            {data.substr(pos, contentEnd - pos), data.substr(contentEnd, next - contentEnd)});
        pos = next;
    }
    return lines;
}

std::optional<std::string_view> sectionName(std::string_view content) {
    std::string_view s = trimmed(content);
    if (s.empty() || s.front() != '[') return std::nullopt;
    std::size_t close = s.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimmed(s.substr(1, close - 1));
}

// The key of a "key=value" line and the value as it stands, or nothing for other lines.
std::optional<std::pair<std::string_view, std::string_view>> keyAndValue(std::string_view content) {
    std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::pair{trimmed(content.substr(0, eq)), content.substr(eq + 1)};
}

struct Located {
    std::optional<std::size_t> sectionLine;  // the section's header
    std::size_t sectionEnd = 0;              // one past the section's last line
    std::optional<std::size_t> keyLine;      // the key's line inside the section
};

// The first section of that name counts, and in it the first line of that key.
Located locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Located found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i].content);
        if (!found.sectionLine) {
            if (name && sameName(*name, section)) {
                found.sectionLine = i;
                found.sectionEnd = lines.size();
            }
            continue;
        }
        if (name) {
            found.sectionEnd = i;
            break;
        }
        if (!found.keyLine) {
            auto kv = keyAndValue(lines[i].content);
            if (kv && sameName(kv->first, key)) found.keyLine = i;
        }
    }
    return found;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the whole file in one step; it holds a password, so it is its owner's alone.
bool replaceFile(const std::string& path, std::string_view bytes) {
    mining::FileReplacement file(path, mining::FileReplacement::Access::OwnerOnly);
    file.write(bytes);
    return file.commit() == 0;
}

// Cuts a value to at most `limit` bytes without splitting a two-byte character.
std::string_view limitedValue(std::string_view value, std::size_t limit) {
    if (value.size() <= limit) return value;
    std::size_t end = 0;
    while (end < limit) {
        std::size_t step = isLeadByte(value[end]) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return value.substr(0, end);
}

}  // namespace

SettingsFile::SettingsFile(std::string directory) {
    if (directory.empty()) {
        m_path = std::string(kFileName);
    } else {
        m_path = std::move(directory);
        if (m_path.back() != '/') m_path += '/';
        m_path += kFileName;
    }
}

Text SettingsFile::read(std::string_view section, std::string_view key) const {
    auto data = readWholeFile(m_path);
    if (!data) return {};
    auto lines = splitFileLines(*data);
    Located found = locate(lines, section, key);
    if (!found.keyLine) return {};
    std::string_view value = keyAndValue(lines[*found.keyLine].content)->second;
    // A text ends at its first zero byte.
    value = value.substr(0, value.find('\0'));
    return Text(limitedValue(value, kMaxValueBytes));
}

bool SettingsFile::write(std::string_view section, std::string_view key, std::string_view value) {
    std::string old = readWholeFile(m_path).value_or(std::string());
    auto lines = splitFileLines(old);
    Located found = locate(lines, section, key);

    std::string entry = std::string(key) + "=" + std::string(value);
    std::string out;
    out.reserve(old.size() + entry.size() + section.size() + 8);
    auto appendLine = [&out](std::string_view content, std::string_view ending) {
        out += content;
        out += ending.empty() ? std::string_view("\r\n") : ending;
    };

    if (found.keyLine) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == *found.keyLine)
                appendLine(entry, lines[i].ending);
            else
                appendLine(lines[i].content, lines[i].ending);
        }
    } else if (found.sectionLine) {
        // The new key goes after the section's last non-blank line.
        std::size_t after = *found.sectionLine;
        for (std::size_t i = *found.sectionLine + 1; i < found.sectionEnd; ++i)
            if (!trimmed(lines[i].content).empty()) after = i;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            appendLine(lines[i].content, lines[i].ending);
            if (i == after) appendLine(entry, "\r\n");
        }
    } else {
        out = old;
        if (!out.empty() && out.back() != '\n') out += "\r\n";
        out += "[";
        out += section;
        out += "]\r\n";
        out += entry;
        out += "\r\n";
    }
    return replaceFile(m_path, out);
}

bool SettingsFile::clear() { return replaceFile(m_path, std::string_view("\0\0\0\0", 4)); }

}  // namespace sowmere::app
