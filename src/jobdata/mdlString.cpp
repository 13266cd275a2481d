#include "jobdata/mdlString.h"

#include <cmath>
#include <vector>

#include "config/mdlPublic.h"
#include "core/error.h"
#include "core/like.h"
#include "core/numbers.h"
#include "core/text.h"

namespace kx {

namespace {

struct CutToken {
  std::string token;     // "$(Left(" + argument + "))" as written
  std::string argument;  // the text between the opening and the first "))"
};

// Every "opener ... ))" in the text, in order. A piece without "))" records nothing.
std::vector<CutToken> FindCutTokens(std::string_view text, std::string_view opener) {
  std::vector<CutToken> tokens;
  std::size_t at = FindNoCase(text, opener);
  while (at != std::string_view::npos) {
    const std::size_t pieceStart = at + opener.size();
    const std::size_t next = FindNoCase(text, opener, pieceStart);
    const std::string_view piece =
        text.substr(pieceStart, next == std::string_view::npos ? std::string_view::npos : next - pieceStart);
    const std::size_t close = piece.find("))");
    if (close != std::string_view::npos) {
      CutToken t;
      t.argument = std::string(piece.substr(0, close));
      t.token = std::string(text.substr(at, opener.size())) + t.argument + "))";
      tokens.push_back(std::move(t));
    }
    at = next;
  }
  return tokens;
}

// Leading number of an argument as a whole number (halves to even); non-finite gives 0.
double WholeNumber(std::string_view argument) {
  const double n = RoundHalfEven(LeadingNumber(argument));
  return std::isfinite(n) ? n : 0.0;
}

// A count in characters, clamped to the value's length so huge arguments cannot overflow.
std::size_t ClampCount(double count, std::size_t length) {
  return count >= static_cast<double>(length) ? length : static_cast<std::size_t>(count);
}

template <class Cut>
std::string ReplaceCuts(std::string_view sText, std::string_view opener, Cut cut) {
  std::string result(sText);
  for (const CutToken& t : FindCutTokens(sText, opener)) {
    std::string piece;
    if (cut(t.argument, piece)) result = ReplaceNoCase(result, t.token, piece);
  }
  return result;
}

}  // namespace

std::string ReplacePathParams(std::string_view sPath) {
  struct Folder {
    std::string_view placeholder;
    std::string (*get)();
  };
  static constexpr Folder kFolders[] = {
      {"$(AppPath)", &GetAppPath},
      {"$(ComDocsPath)", &GetComDocsPath},
      {"$(ComDocsAppPath)", &GetComDocsAppPath},
      {"$(PfPath)", &GetPfPath},
      {"$(ComAppDataPath)", &GetComAppDataPath},
  };
  std::string result(sPath);
  for (const Folder& f : kFolders) {
    if (!ContainsNoCase(result, f.placeholder)) continue;
    std::string folder;
    try {
      folder = f.get();
    } catch (const KxError&) {
      folder.clear();  // a folder that cannot be determined counts as empty
    }
    result = ReplaceNoCase(result, f.placeholder, folder);
  }
  return result;
}

std::string ReplaceLeftParams(std::string_view sText, std::string_view sValue) {
  return ReplaceCuts(sText, "$(Left(", [&](const std::string& arg, std::string& piece) {
    const double count = WholeNumber(arg);
    if (!(count > 0)) return false;
    piece = LeftChars(sValue, ClampCount(count, CharLength(sValue)));
    return true;
  });
}

std::string ReplaceRightParams(std::string_view sText, std::string_view sValue) {
  return ReplaceCuts(sText, "$(Right(", [&](const std::string& arg, std::string& piece) {
    const double count = WholeNumber(arg);
    if (!(count > 0)) return false;
    piece = RightChars(sValue, ClampCount(count, CharLength(sValue)));
    return true;
  });
}

std::string ReplaceMidParams(std::string_view sText, std::string_view sValue) {
  return ReplaceCuts(sText, "$(Mid(", [&](const std::string& arg, std::string& piece) {
    const std::vector<std::string> parts = Split(arg, ",");
    const double start = WholeNumber(parts.empty() ? std::string() : parts[0]);
    const double length = parts.size() > 1 ? WholeNumber(parts[1]) : 0.0;
    // A start below 1 or a negative length is no valid request: the placeholder stays.
    if (!(start >= 1) || length < 0) return false;
    const std::size_t chars = CharLength(sValue);
    if (start > static_cast<double>(chars)) {
      piece.clear();
      return true;
    }
    const std::size_t from = static_cast<std::size_t>(start);
    const long long take = length == 0 ? -1 : static_cast<long long>(ClampCount(length, chars));
    piece = MidChars(sValue, from, take);
    return true;
  });
}

bool MatchesPatternList(std::string_view sName, std::string_view sPatterns) {
  if (sPatterns.empty()) return false;
  const std::string name = ToLower(sName);
  for (const std::string& entry : Split(sPatterns, ";")) {
    if (entry.empty()) continue;
    try {
      if (LikeMatch(name, ToLower(entry), false)) return true;
    } catch (const KxError&) {
      // A malformed entry ("[b-a]", an unclosed "[") matches nothing; the others still count.
    }
  }
  return false;
}

}  // namespace kx
