#pragma once
// Wildcard matching. One matcher for the database dialect's Like and the
// pattern lists of job files; a second one for directory-listing patterns.
#include <string_view>

namespace kx {

// Like: "?" one character, "*" any run, "#" one digit, "[list]", "[!list]", ranges "[A-Z]";
// "[[]" etc. for literal specials; "[]" matches nothing-long (the empty sequence).
// Without regard to case when ignoreCase. A malformed pattern (unclosed "[", descending
// range) throws KxError(InvalidPatternString).
bool LikeMatch(std::string_view text, std::string_view pattern, bool ignoreCase = true);

// A Like pattern compiled once for many texts (the database matches one pattern against
// every row). Same rules and errors as LikeMatch.
class LikePattern {
 public:
  explicit LikePattern(std::string_view pattern, bool ignoreCase = true);
  ~LikePattern();
  LikePattern(const LikePattern&) = delete;
  LikePattern& operator=(const LikePattern&) = delete;
  bool Matches(std::string_view text) const;

 private:
  struct Compiled;
  Compiled* compiled_;
  bool ignoreCase_;
};

// Directory-listing pattern: "*" any run, "?" one character, no case; "*.*" matches every
// name, a pattern ending in "." matches only names without a dot ("*." = no extension).
bool DirPatternMatch(std::string_view name, std::string_view pattern);

}  // namespace kx
