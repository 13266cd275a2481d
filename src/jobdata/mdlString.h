#pragma once
// Placeholder expansion on plain texts: special folders, the three cutting forms over a
// value (the job's name), and the wildcard pattern lists of the job file layer.
#include <string>
#include <string_view>

namespace kx {

// "$(AppPath)", "$(ComDocsPath)", "$(ComDocsAppPath)", "$(PfPath)", "$(ComAppDataPath)"
// (any case, every occurrence) by their folders; a folder that cannot be found gives "".
std::string ReplacePathParams(std::string_view sPath);

// "$(Left(n))", "$(Right(n))", "$(Mid(start,length))" (any case) by pieces of sValue.
// A count of 0 or less, a start below 1, a negative length, a missing "))" or an argument
// that is no number leave the placeholder as it stands.
std::string ReplaceLeftParams(std::string_view sText, std::string_view sValue);
std::string ReplaceRightParams(std::string_view sText, std::string_view sValue);
std::string ReplaceMidParams(std::string_view sText, std::string_view sValue);

// True when sName matches one non-empty ";"-separated entry (Like wildcards, in lower case).
// Entries are not trimmed; a malformed entry counts as no match.
bool MatchesPatternList(std::string_view sName, std::string_view sPatterns);

}  // namespace kx
