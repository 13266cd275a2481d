#include "answer_words.h"

#include <cstdlib>

#include "core/text.h"
#include "messages/clsResStrs.h"

namespace kx::cli {

namespace {

struct CountryWords {
  int country;
  const char* yes;
  const char* no;
};

constexpr CountryWords kWords[] = {
    {1, "yes", "no"},   {44, "yes", "no"},  {49, "ja", "nein"}, {43, "ja", "nein"}, {41, "ja", "nein"},
    {33, "oui", "non"}, {32, "oui", "non"}, {39, "sì", "no"},   {34, "sí", "no"},   {31, "ja", "nee"},
    {45, "ja", "nej"},  {46, "ja", "nej"},  {47, "ja", "nei"},  {48, "tak", "nie"}, {420, "ano", "ne"}};

// The first character (not byte) of a word.
std::string FirstChar(std::string_view word) {
  std::size_t n = 1;
  while (n < word.size() && (static_cast<unsigned char>(word[n]) & 0xC0) == 0x80) ++n;
  return std::string(word.substr(0, std::min(n, word.size())));
}

}  // namespace

std::string AnswerWords::Hint() const {
  return "[" + ToLower(FirstChar(yes)) + "/" + ToUpper(FirstChar(no)) + "]";
}

bool AnswerWords::IsYes(std::string_view answer) const {
  const std::string a = ToLower(Trim(answer));
  const std::string y = ToLower(yes);
  return !a.empty() && (a == y || a == FirstChar(y) || a == "y" || a == "yes");
}

AnswerWords AnswerWordsFor(std::string_view country) {
  AnswerWords words;
  const int number = std::atoi(std::string(country).c_str());
  for (const CountryWords& w : kWords) {
    if (w.country == number) words = AnswerWords{w.yes, w.no};
  }
  clsResStrs& table = ResStrs();
  const std::string yes = Trim(table.Item("MSG(Yes)"));
  const std::string no = Trim(table.Item("MSG(No)"));
  if (!yes.empty() && !no.empty()) words = AnswerWords{yes, no};
  return words;
}

}  // namespace kx::cli
