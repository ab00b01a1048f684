#include "mining/FileReplacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace sowmere::mining {

FileReplacement::FileReplacement(std::string path, Access access) : m_path(std::move(path)) {
    const std::size_t slash = m_path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : m_path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_path : m_path.substr(slash + 1);
    m_tempPath = directory + "." + name + ".XXXXXX";
    m_fd = ::mkstemp(m_tempPath.data());  // created readable and writable by its owner only
    if (m_fd < 0) {
        m_error = errno;
        return;
    }
    m_created = true;
    if (access == Access::Ordinary) {
        // What a plain new file would get: read and write for all, less the process's umask.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(m_fd, 0666 & ~mask) != 0) m_error = errno;
    }
}

FileReplacement::~FileReplacement() {
    if (m_fd >= 0) ::close(m_fd);
    if (m_created && !m_committed) ::unlink(m_tempPath.c_str());
}

int FileReplacement::write(std::string_view bytes) {
    while (m_error == 0 && !bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno != EINTR) m_error = errno;
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return m_error;
}

int FileReplacement::commit() {
    if (m_error != 0) return m_error;
    // On the disk before it takes the place of the older file, so that the name never holds a
    // half-written file, not even after a power cut.
    if (::fsync(m_fd) != 0) m_error = errno;
    if (::close(m_fd) != 0 && m_error == 0) m_error = errno;
    m_fd = -1;
    if (m_error == 0 && std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) m_error = errno;
    m_committed = m_error == 0;
    return m_error;
}

}  // namespace sowmere::mining
