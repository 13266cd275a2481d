#pragma once
// The widget-free part of the new-job dialog's value proposal: the successor of a key,
// the bounds of the taken-value query, letter case.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/mdlCollection.h"  // CollectionHasKey: membership in the taken-value set

namespace kx {

// One step of the key sequence: the last letter steps (A..Y, a..y), "Z"/"z" grow by
// "A"/"a", a trailing digit run counts up with its width kept, anything else grows by "A".
std::string IncrementStrValue(std::string_view sValue);

// Lower bound and Like pattern of the stored values a search from sValue can reach.
// A numeric value gives its number written back ("0042" -> "42") and no pattern; the
// wildcards of the dialect in a text's prefix are bracketed ("A#1" -> "A[#]*").
void GetStrSearchBounds(std::string_view sValue, std::string& sLowerBound, std::string& sPattern);

// 1: upper case, 2: lower case, any other mode: unchanged.
std::string ApplyKeyValueCase(std::string_view sValue, std::int16_t iMode);

}  // namespace kx
