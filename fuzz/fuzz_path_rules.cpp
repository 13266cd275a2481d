// The path rules: the fallback drive, parent, file and base names are the parts of the text
// they claim to be, and the object rules take any text without harm.
#include <string>

#include "fs/internal/path_rules.h"
#include "fuzz_support.h"

namespace {

using fb = kx::fs_detail::FallbackPathRules;
using ob = kx::fs_detail::FsoPathRules;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string p(reinterpret_cast<const char*>(data), size);

  KX_FUZZ_CHECK(StartsWith(p, fb::GetDriveName(p)));

  const std::string file = fb::GetFileName(p);
  KX_FUZZ_CHECK(EndsWith(p, file) && file.find('\\') == std::string::npos);

  // The parent and the last name make up the path (one trailing "\" aside).
  std::string_view q = p;
  if (!q.empty() && q.back() == '\\') q.remove_suffix(1);
  const std::string parent = fb::GetParentFolderName(p);
  if (q.find('\\') == std::string_view::npos) {
    KX_FUZZ_CHECK(parent.empty());
  } else {
    KX_FUZZ_CHECK(StartsWith(q, parent + "\\") && q.find('\\', parent.size() + 1) == std::string_view::npos);
  }

  // The base name is the last name without its last extension.
  const std::string trimmed = kx::fs_detail::RemoveTrailingBackslash(p);
  const std::string last =
      trimmed.substr(trimmed.rfind('\\') == std::string::npos ? 0 : trimmed.rfind('\\') + 1);
  const std::string base = fb::GetBaseName(p);
  KX_FUZZ_CHECK(StartsWith(last, base));
  const std::string_view rest = std::string_view(last).substr(base.size());
  KX_FUZZ_CHECK(rest.empty() ? last.find('.') == std::string::npos
                             : rest.front() == '.' && rest.find('.', 1) == std::string_view::npos);

  KX_FUZZ_CHECK(fb::BuildPath(p, "x") == trimmed + "\\x");
  (void)ob::GetDriveName(p), (void)ob::GetFileName(p), (void)ob::GetBaseName(p);
  (void)ob::GetParentFolderName(p), (void)ob::GetExtensionName(p), (void)ob::BuildPath(p, p);
  (void)ob::GetAbsolutePathName(p, "C:\\cwd");
  return 0;
}
