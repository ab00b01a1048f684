#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace sowmere::app {

using text::Text;

// The remembered account: an INI file of GBK bytes, "Config.ini" in the given directory.
// Sections and keys are matched ignoring the case of A-Z; values are written and read back
// exactly as given, blanks included. Whatever stands before the first section (the zero bytes
// a clearing leaves) belongs to no section and is kept as it is.
//
// The reader and writer are our own: the INI libraries at hand either read only, stop at the
// first zero byte, trim or unquote values, or escape non-ASCII section and key names, and this
// file must keep its GBK bytes exactly and tolerate the zero bytes at its head.
//
// Every change replaces the file in one step (a temporary file renamed over it), so a crash
// never leaves half a file, and the file is readable and writable by its owner only, since it
// holds a password in plain text. Failures are silent: a write that fails leaves the old file.
class SettingsFile {
public:
    static constexpr std::size_t kMaxValueBytes = 10'239;

    explicit SettingsFile(std::string directory);

    const std::string& path() const { return m_path; }

    // The value of `key` in `section`; empty when the file, the section or the key is missing.
    // At most kMaxValueBytes bytes, never ending inside a two-byte character.
    Text read(std::string_view section, std::string_view key) const;
    // Creates the file, the section and the key as needed and replaces an existing value.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    // Overwrites the whole file with four zero bytes: no section is left.
    bool clear();

private:
    std::string m_path;
};

}  // namespace sowmere::app
