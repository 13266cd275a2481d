// The data-file reader of the job files: any text reads without harm, and the fields read,
// written back one per line in quotes, read back the same.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "jobfiles/delimited_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> fields =
      kx::ReadDelimitedFields(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string written;
  for (const std::string& f : fields) {
    if (f.find_first_of("\"\r\n") != std::string::npos) return 0;  // not writable in quotes
    written += "\"" + f + "\"\r\n";
  }
  KX_FUZZ_CHECK(kx::ReadDelimitedFields(written) == fields);
  return 0;
}
