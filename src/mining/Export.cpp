#include "mining/Export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "text/CodePage.h"

namespace sowmere::mining {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

constexpr std::size_t kFlushSize = 1 << 20;

// Writes everything or reports the error number.
int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

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
    // Hidden beside the target so that the rename stays within one file system.
    const std::string partPath = directory + kSeparator + "." + text::localToUtf8(name) + ".part";

    auto failed = [&](int error) {
        return ExportOutcome{false, text::utf8ToLocal("   导出失败：无法写入软件目录 ") +
                                        shownPath + text::utf8ToLocal("（") + reason(error) +
                                        text::utf8ToLocal("）")};
    };

    ::unlink(partPath.c_str());
    const int fd = ::open(partPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return failed(errno);

    std::string buffer;
    buffer.reserve(kFlushSize + 4096);
    buffer.append(text::utf8ToLocal("编号\t来源\t关键词\t收录\t违禁\r\n"));
    int error = 0;
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    for (int r = 0; r < rows && error == 0; ++r) {
        for (int c = 0; c < columns; ++c) appendCell(buffer, table.cellView(r, c));
        buffer.append("\r\n");
        if (buffer.size() >= kFlushSize) {
            error = writeAll(fd, buffer.data(), buffer.size());
            buffer.clear();
        }
    }
    if (error == 0) error = writeAll(fd, buffer.data(), buffer.size());
    // On the disk before it takes the place of an older file, so that the name never holds a
    // half-written export, not even after a power cut.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(partPath.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(partPath.c_str());
        return failed(error);
    }
    return {true, text::utf8ToLocal("挖掘结果已保存至软件目录 ") + shownPath};
}

}  // namespace sowmere::mining
