#include "help_format.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace kx::cli {

namespace {

constexpr std::size_t kNameColumn = 26;

// Characters, not bytes, so a word with an umlaut measures right.
std::size_t Width(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// "  name" in the left column and the description wrapped beside it (or below a long name).
std::string TwoColumns(const std::string& name, const std::string& description) {
  std::string out = "  " + name;
  if (description.empty()) return out + "\n";
  if (Width(out) + 2 > kNameColumn) {
    out += "\n" + std::string(kNameColumn, ' ');
  } else {
    out += std::string(kNameColumn - Width(out), ' ');
  }
  return out + WrapText(description, kHelpWidth - 1 - kNameColumn, kNameColumn) + "\n";
}

}  // namespace

std::string WrapText(const std::string& text, std::size_t width, std::size_t indent) {
  std::string out;
  std::istringstream paragraphs(text);
  bool firstLine = true;
  for (std::string paragraph; std::getline(paragraphs, paragraph);) {
    std::istringstream words(paragraph);
    std::size_t used = 0;
    if (!firstLine) out += "\n" + std::string(indent, ' ');
    firstLine = false;
    for (std::string word; words >> word;) {
      if (used > 0 && used + 1 + Width(word) > width) {
        out += "\n" + std::string(indent, ' ');
        used = 0;
      }
      if (used > 0) {
        out += ' ';
        ++used;
      }
      out += word;
      used += Width(word);
    }
  }
  return out;
}

HelpFormatter::HelpFormatter() {
  column_width(kNameColumn);
  label("SUBCOMMAND", "COMMAND");
}

std::string HelpFormatter::make_option(const CLI::Option* opt, bool is_positional) const {
  return TwoColumns(make_option_name(opt, is_positional) + make_option_opts(opt), make_option_desc(opt));
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
  // The list shows what a command is for: its description's first clause.
  const std::string& desc = sub->get_description();
  return TwoColumns(sub->get_display_name(true), desc.substr(0, std::min(desc.find(". "), desc.find(": "))));
}

std::string HelpFormatter::make_description(const CLI::App* app) const {
  const std::string desc = app->get_description();
  return desc.empty() ? std::string() : WrapText(desc, kHelpWidth - 1, 0) + "\n";
}

std::string HelpFormatter::make_footer(const CLI::App* app) const {
  const std::string footer = app->get_footer();
  return footer.empty() ? std::string() : WrapText(footer, kHelpWidth - 1, 0) + "\n";
}

void DressCommands(CLI::App& app, const std::string& version) {
  static const auto formatter = std::make_shared<HelpFormatter>();
  app.formatter(formatter);
  app.set_version_flag("--version", version, "Show the version and exit");
  app.set_help_flag("-h,--help", "Show this help and exit");
  for (CLI::App* sub : app.get_subcommands({})) {
    sub->group("Commands");
    sub->footer("");
    DressCommands(*sub, version);
  }
}

}  // namespace kx::cli
