#pragma once
// INI access of the add-in. Reads go to any INI file; writes go only to the add-in's own
// INI file: the one writer takes an AddInIniPath, which only GetAddInIniFile() produces,
// so the host's configuration file cannot be written by construction.
#include <string>
#include <string_view>

namespace kx {

// Characters of the read buffer; a value comes back with at most kIniReadBuffer - 1 characters.
inline constexpr std::size_t kIniReadBuffer = 600;

// The value of a key, or "" when the file, the section or the key is missing. One pair of
// double quotes enclosing the whole value is stripped. Never throws.
std::string ReadIniValue(const std::string& sFile, std::string_view sSection, std::string_view sKey);

// The value wrapped in one more pair of quotes when it begins or ends with a double quote,
// so that it survives the reader's stripping unchanged.
std::string QuoteIniValue(std::string_view sValue);

// The path of the add-in's own INI file (Windows form). Only GetAddInIniFile() makes one.
class AddInIniPath {
 public:
  const std::string& str() const { return path_; }
  operator const std::string&() const { return path_; }  // for readers taking a plain path

 private:
  explicit AddInIniPath(std::string path) : path_(std::move(path)) {}
  friend AddInIniPath GetAddInIniFile();
  std::string path_;
};

// GetComDocsAddInPath() & "\Kestrafix.ini", computed afresh at every call.
AddInIniPath GetAddInIniFile();

// Writes the (quoted) value; an empty value writes "key=". Creates the file and section as
// needed. Returns false when the write failed or was refused: a path without a folder (the
// folder functions failed), or one that resolves to the host configuration file (gsIniFile)
// or to its documents copy. Never throws.
bool WriteIniValue(const AddInIniPath& sFile, std::string_view sSection, std::string_view sKey,
                   std::string_view sValue);

}  // namespace kx
