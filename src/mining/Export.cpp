#include "mining/Export.h"

#include <cstring>

#include "mining/FileReplacement.h"
#include "text/CodePage.h"

namespace sowmere::mining {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

constexpr std::size_t kFlushSize = 1 << 20;

// A TAB, CR or LF inside a cell would break the line into other fields or lines; a blank keeps
// every row one line of five fields.
void appendCell(std::string& out, std::string_view cell) {
    const std::size_t start = out.size();
    out.append(cell);
    for (std::size_t i = start; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '\t' || c == '\r' || c == '\n') out[i] = ' ';
    }
    out.push_back('\t');
}

// The error text of the system, which speaks the locale's encoding (UTF-8 here).
text::Text reason(int error) { return text::utf8ToLocal(std::strerror(error)); }

}  // namespace

text::Text exportFileName(const std::tm& t) {
    return text::decimal(t.tm_year + 1900) + text::utf8ToLocal("年") + text::decimal(t.tm_mon + 1) +
           text::utf8ToLocal("月") + text::decimal(t.tm_mday) + text::utf8ToLocal("日") +
           text::decimal(t.tm_hour) + ";" + text::decimal(t.tm_min) + ";" + text::decimal(t.tm_sec);
}

ExportOutcome exportResults(const ResultTable& table, const std::string& directory,
                            const std::tm& localTime) {
    const text::Text name = exportFileName(localTime) + ".txt";
    const text::Text shownPath = std::string(1, kSeparator) + name;
    const std::string path = directory + kSeparator + text::localToUtf8(name);

    FileReplacement file(path, FileReplacement::Access::Ordinary);
    std::string buffer;
    buffer.reserve(kFlushSize + 4096);
    buffer.append(text::utf8ToLocal("编号\t来源\t关键词\t收录\t违禁\r\n"));
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) appendCell(buffer, table.cellView(r, c));
        buffer.append("\r\n");
        if (buffer.size() >= kFlushSize) {
            if (file.write(buffer) != 0) break;
            buffer.clear();
        }
    }
    file.write(buffer);
    if (const int error = file.commit(); error != 0) {
        return ExportOutcome{false, text::utf8ToLocal("   导出失败：无法写入软件目录 ") +
                                        shownPath + text::utf8ToLocal("（") + reason(error) +
                                        text::utf8ToLocal("）")};
    }
    return {true, text::utf8ToLocal("挖掘结果已保存至软件目录 ") + shownPath};
}

}  // namespace sowmere::mining
