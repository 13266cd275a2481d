// Message files: any file loads without harm, and a loaded table saved and loaded again has
// the same keys and texts.
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "messages/clsResStrs.h"

namespace {

std::vector<std::pair<std::string, std::string>> Entries(const kx::clsResStrs& table) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const kx::ClsResStr& e : table) out.emplace_back(e.Key(), e.Text());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file =
      kx::fuzz::ScratchFile("torvel.049", std::string_view(reinterpret_cast<const char*>(data), size));
  kx::clsResStrs table;
  if (!table.Load(file)) return 0;
  const auto loaded = Entries(table);
  table.Save(true);
  kx::clsResStrs again;
  KX_FUZZ_CHECK(again.Load(file));
  KX_FUZZ_CHECK(Entries(again) == loaded);
  return 0;
}
