#pragma once
// Yes and no in the language of the message table that asks: its "MSG(Yes)" and "MSG(No)"
// texts, else the words of its country. "y" and "yes" are understood in every language.
#include <string>
#include <string_view>

namespace kx::cli {

struct AnswerWords {
  std::string yes = "yes";
  std::string no = "no";

  // The hint after a question, No being the default: "[y/N]", "[j/N]".
  std::string Hint() const;
  // The answer, without case and outer blanks, is the yes word, its first letter, y or yes.
  bool IsYes(std::string_view answer) const;
};

// From the loaded message table, else by the country number ("049").
AnswerWords AnswerWordsFor(std::string_view country);

}  // namespace kx::cli
