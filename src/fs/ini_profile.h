#pragma once
// INI profile reader and writer with the semantics of the Windows profile routines:
// sections in brackets, "key=value" lines, section and key names without regard to case,
// blanks around names and values trimmed, one pair of double quotes enclosing a whole value
// stripped on read, ";" comment lines, no inline comments, lines without "=" ignored, the
// first section and the first key of a name win. Files may be UTF-8, UTF-16 LE/BE with a
// byte order mark, or Windows-1252; CRLF, LF and CR line ends are all read.
// File arguments are Windows-form paths or native absolute paths.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kx {

// The value of `key` in `section`, at most bufferChars - 1 characters (Unicode characters).
// A missing file, section or key, or an empty key, gives `deflt` without its trailing
// spaces (cut to the buffer as well). A binary or broken file reads as missing keys.
std::string GetPrivateProfileString(const std::string& file, std::string_view section, std::string_view key,
                                    std::string_view deflt, std::size_t bufferChars);

// Writes "key=value" into `section`, creating the file (its folder must exist) and the
// section. A new key goes after the section's last key, a new section at the end of the file.
// value nullopt deletes the key; key nullopt deletes the whole section; "" writes "key=".
// Only the affected lines change; everything else stays byte for byte, including the
// encoding and the line ends (new files: UTF-8, CRLF). The file is replaced atomically.
// Returns false on any failure (never throws).
bool WritePrivateProfileString(const std::string& file, std::string_view section,
                               std::optional<std::string_view> key, std::optional<std::string_view> value);

// Every "key=value" pair of `section` in file order (keys and values trimmed, quotes
// stripped as on read). Empty when the file or section is missing.
std::vector<std::pair<std::string, std::string>> GetPrivateProfileSection(const std::string& file,
                                                                          std::string_view section);

// The same for a native path (no drive map involved).
std::vector<std::pair<std::string, std::string>> GetPrivateProfileSectionNative(
    const std::filesystem::path& file, std::string_view section);

}  // namespace kx
