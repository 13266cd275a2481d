#pragma once
// --help that fits an 80-column terminal (and reads well through help2man): descriptions are
// wrapped into the right-hand column instead of running on.
#include <CLI/CLI.hpp>
#include <string>

namespace kx::cli {

inline constexpr std::size_t kHelpWidth = 80;

class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter();
  std::string make_option(const CLI::Option* opt, bool is_positional) const override;
  std::string make_subcommand(const CLI::App* sub) const override;
  std::string make_description(const CLI::App* app) const override;
  std::string make_footer(const CLI::App* app) const override;
};

// Words of text wrapped into lines of at most width characters, each line after the first
// indented by indent blanks; "\n" in the text starts a new paragraph.
std::string WrapText(const std::string& text, std::size_t width, std::size_t indent);

// The formatter and a --version flag ("kestrafix <version>") on the app and every sub-command
// below it.
void DressCommands(CLI::App& app, const std::string& version);

}  // namespace kx::cli
