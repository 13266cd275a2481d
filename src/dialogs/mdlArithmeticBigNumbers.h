#pragma once
// Decimal arithmetic on digit strings of any length: an optional leading "-" and digits.
#include <string>
#include <string_view>

namespace kx {

// a + b, normalised.
std::string AddBigNumbers(std::string_view a, std::string_view b);
// 0 when equal, 1 when a > b, 2 when a < b. Expects normalised texts.
int CompareBigNumbers(std::string_view a, std::string_view b);
// -1 when s begins with "-", else 1.
int GetBigNumberSign(std::string_view s);
// s without its leading "-".
std::string GetBigNumberAbs(std::string_view s);
// Leading zeros and stray characters dropped; "", "-", "000" and "-0" become "0".
std::string NormalizeBigNumber(std::string_view s);
// s left-padded with the leading part of zeros to the length of zeros; longer s unchanged.
std::string PadBigNumber(std::string_view s, std::string_view zeros);

}  // namespace kx
