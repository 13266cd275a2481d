// INI reader and writer: any file reads without harm, and a value written under a section
// and key reads back as written, with every other key of that section unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "core/text.h"
#include "fs/ini_profile.h"
#include "fuzz_support.h"

namespace {

// A name or value the file format can hold as it is: printable ASCII, no blanks at either end,
// no line structure ("[" opening a section, "=" in a key, ";" opening a comment).
bool Storable(const std::string& s, bool name) {
  if (s.empty() && name) return false;
  for (char c : s)
    if (c < 0x20 || c > 0x7E || (name && (c == '=' || c == ']'))) return false;
  if (!s.empty() && (s.front() == ' ' || s.back() == ' ')) return false;
  if (name && (s.front() == '[' || s.front() == ';')) return false;
  // One pair of quotes around a whole value is taken away on read.
  return !(s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.front() == s.back());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(24);
  const std::string key = in.ConsumeRandomLengthString(24);
  const std::string value = in.ConsumeRandomLengthString(64);
  const std::string file = kx::fuzz::ScratchFile("f.ini", in.ConsumeRemainingBytesAsString());

  (void)kx::GetPrivateProfileString(file, section, key, "dflt", 6000);
  const auto before = kx::GetPrivateProfileSection(file, section);
  if (!Storable(section, true) || !Storable(key, true) || !Storable(value, false)) {
    kx::WritePrivateProfileString(file, section, key, std::nullopt);  // must not harm either
    return 0;
  }
  if (!kx::WritePrivateProfileString(file, section, key, value)) return 0;
  KX_FUZZ_CHECK(kx::GetPrivateProfileString(file, section, key, "", 6000) == value);
  const auto after = kx::GetPrivateProfileSection(file, section);
  // The same pairs, the first of this key with the new value (or a new pair at the end).
  auto expected = before;
  bool replaced = false;
  for (auto& [k, v] : expected) {
    if (!replaced && kx::EqualsNoCase(k, key)) {
      v = value;
      replaced = true;
    }
  }
  if (!replaced) expected.emplace_back(key, value);
  KX_FUZZ_CHECK(after.size() == expected.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    KX_FUZZ_CHECK(kx::EqualsNoCase(after[i].first, expected[i].first));
    KX_FUZZ_CHECK(after[i].second == expected[i].second);
  }
  return 0;
}
