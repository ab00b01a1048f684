#pragma once

#include <string>
#include <string_view>

namespace sowmere::mining {

// Replaces a file in one step: the bytes go to a hidden file beside the target (same file
// system), are synced to disk and renamed over the target, so the target is always either the
// old file or the whole new one. Errors come back as error numbers (0: none); a replacement that
// is not committed leaves no temporary file behind.
class FileReplacement {
public:
    enum class Access { Ordinary, OwnerOnly };

    FileReplacement(std::string path, Access access);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    int write(std::string_view bytes);
    int commit();

private:
    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
    int m_error = 0;
    bool m_created = false;    // the temporary file exists
    bool m_committed = false;  // and now stands under the target's name
};

}  // namespace sowmere::mining
