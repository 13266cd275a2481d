#pragma once
// The number rules used everywhere (configuration readers, version cells,
// the database engine's IsNumeric/CDbl), defined once.
#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

// Leading-number rule: leading blanks/tabs skipped, optional sign, digits, one ".",
// exponent; read up to the first character that cannot continue the number.
// " 42abc" -> 42, "1e3" -> 1000, "-0.5" -> -0.5, "abc" and "" -> 0.
double LeadingNumber(std::string_view text);

// Numeric test shared with the engine: optional outer blanks, optional sign, digits
// with an optional "." part (or "." digits), optional exponent, and a value that a double
// holds (true exactly when CDbl succeeds). "", "1 2" and "1E400" are not numeric.
bool IsNumeric(std::string_view text);

// Conversion of a numeric text to double; throws KxError(TypeMismatch) for a text that is
// no number, KxError(Overflow) for one beyond the range of double.
double CDbl(std::string_view text);

// Round to the nearest whole number, exact halves to the even neighbour (0.5 -> 0, 1.5 -> 2).
double RoundHalfEven(double value);

// Whole-number conversions with halves to even; throw KxError(Overflow) outside the range.
std::uint8_t CByte(double value);
std::int16_t CInt(double value);
std::int32_t CLng(double value);

// Text form of a number: no thousands separators, "." as decimal sign, whole
// numbers without a fraction ("42", not "42.0"); shortest form that reads back equal.
std::string FormatNumber(double value);

// Format(value, "000"): at least three digits with leading zeros, fraction rounded off.
std::string Format000(double value);

}  // namespace kx
