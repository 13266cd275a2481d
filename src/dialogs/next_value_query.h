#pragma once
// The value proposals of the new-job dialog that read the job table: the successor of the
// largest stored value (strategies 1 and 2) and the next free value after a start (0).
// Each call opens its own connection to the job database and closes it before returning.
#include <cstdint>
#include <string>

namespace kx {

// iSynchron: 1 file name, 2 program number, other values both columns as one pool.
std::string GetNewStrMaxValue(const std::string& dbName, std::int16_t iSynchron, std::int16_t iAutoValueType,
                              std::int16_t iLength);
std::string GetNewStrNextValue(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron,
                               std::int16_t iLength);
// Reads AutoValueType, AutoValueNumericLength and KeyValueUpperAndLowerCase of the host
// configuration at each call, proposes and applies the letter case.
std::string GetNewStrValue(const std::string& dbName, const std::string& sStart, std::int16_t iSynchron);

}  // namespace kx
