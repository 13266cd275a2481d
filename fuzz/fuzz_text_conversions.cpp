// Text conversions: UTF-8 -> UTF-16 -> UTF-8 and UTF-8 -> Windows-1252 -> UTF-8 give the text
// back, any bytes read as 1252 or UTF-16 give valid UTF-8, and well-formed UTF-16 survives
// the way through UTF-8.
#include <string>

#include "core/text.h"
#include "fuzz_support.h"

namespace {

// Even length, every surrogate in a proper pair.
bool WellFormedUtf16(std::string_view b, bool bigEndian) {
  if (b.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < b.size(); i += 2) {
    auto unit = [&](std::size_t k) {
      const auto hi = static_cast<unsigned char>(b[bigEndian ? k : k + 1]);
      const auto lo = static_cast<unsigned char>(b[bigEndian ? k + 1 : k]);
      return static_cast<unsigned>(hi << 8 | lo);
    };
    const unsigned u = unit(i);
    if (u >= 0xDC00 && u <= 0xDFFF) return false;
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 2 >= b.size()) return false;
      const unsigned v = unit(i + 2);
      if (v < 0xDC00 || v > 0xDFFF) return false;
      i += 2;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool be : {false, true}) {
    const std::string fromUtf16 = kx::Utf16ToUtf8(bytes, be);
    KX_FUZZ_CHECK(kx::IsValidUtf8(fromUtf16));
    if (WellFormedUtf16(bytes, be)) KX_FUZZ_CHECK(kx::Utf8ToUtf16(fromUtf16, be) == bytes);
    if (kx::IsValidUtf8(bytes)) KX_FUZZ_CHECK(kx::Utf16ToUtf8(kx::Utf8ToUtf16(bytes, be), be) == bytes);
  }
  const std::string from1252 = kx::Cp1252ToUtf8(bytes);
  KX_FUZZ_CHECK(kx::IsValidUtf8(from1252));
  KX_FUZZ_CHECK(kx::Utf8ToCp1252(from1252) == bytes);
  if (kx::IsValidUtf8(bytes)) {
    if (const auto as1252 = kx::Utf8ToCp1252(bytes)) KX_FUZZ_CHECK(kx::Cp1252ToUtf8(*as1252) == bytes);
  }
  return 0;
}
