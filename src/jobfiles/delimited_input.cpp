#include "jobfiles/delimited_input.h"

namespace kx {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Steps over one line end (CR LF counts once).
std::size_t SkipLineEnd(std::string_view text, std::size_t i) {
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return i + 2;
  return i + 1;
}

}  // namespace

std::vector<std::string> ReadDelimitedFields(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) {
      fields.emplace_back();  // blanks after the last delimiter form one empty field
      break;
    }
    if (text[i] == '"') {
      const std::size_t start = ++i;
      while (i < n && text[i] != '"' && !IsLineEnd(text[i])) ++i;
      fields.emplace_back(text.substr(start, i - start));
      if (i < n && text[i] == '"') ++i;
      while (i < n && IsBlank(text[i])) ++i;
      if (i < n && text[i] == ',') {
        ++i;
      } else if (i < n && IsLineEnd(text[i])) {
        i = SkipLineEnd(text, i);
      }
      continue;  // anything else begins the next field right here
    }
    const std::size_t start = i;
    while (i < n && text[i] != ',' && !IsLineEnd(text[i])) ++i;
    std::size_t end = i;
    while (end > start && IsBlank(text[end - 1])) --end;
    fields.emplace_back(text.substr(start, end - start));
    if (i < n) i = text[i] == ',' ? i + 1 : SkipLineEnd(text, i);
  }
  return fields;
}

}  // namespace kx
