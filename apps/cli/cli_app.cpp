#include "cli_app.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <istream>
#include <ostream>

#include "cli_support.h"
#include "core/error.h"
#include "help_format.h"
#include "kx_version.h"
#include "platform/file_system_kind.h"

namespace kx::cli {

namespace {

constexpr long kInternalError = 51;

// Colour only for a person: on a terminal, and not when NO_COLOR asks for none.
bool UseColour(const Console& console) {
  const char* noColour = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  return console.errIsTerminal && !(noColour && *noColour) && !(term && std::string_view(term) == "dumb");
}

// The one form of a refusal: "kestrafix: <message>".
void PrintRefusal(std::ostream& err, const std::string& message) {
  if (!message.empty()) err << "kestrafix: " << message << '\n';
}

// The one form of an error: "kestrafix: error <number> (<source>): <description>".
void PrintError(std::ostream& err, const KxError& e, bool colour) {
  const char* word = colour ? "\033[1;31merror\033[0m" : "error";
  err << fmt::format("kestrafix: {} {} ({}): {}\n", word, e.Number(), e.Source(), OneLine(e.Description()));
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
           const Console& console) {
  CLI::App app{
      "Kestrafix proposes, checks and creates new NC jobs of a CAM job manager, copies a job's "
      "files under a new name and sets one column for many jobs at once; this is the same "
      "work without a window.",
      "kestrafix"};
  app.require_subcommand(1);
  app.fallthrough(false);

  CommandList commands;
  AddDemoCommand(app, commands);
  AddProposeCommand(app, commands);
  AddNewJobCommand(app, commands);
  AddReplaceCommand(app, commands);
  AddFilesCommand(app, commands);
  AddExpandCommand(app, commands);
  AddDbCommands(app, commands);
  AddRegisterCommands(app, commands);
  AddInitCommand(app, commands);
  AddMachineCommands(app, commands);
  AddDoctorCommand(app, commands);
  AddPathCommand(app, commands);
  DressCommands(app, std::string("kestrafix ") + KX_VERSION_TEXT);
  app.footer(
      "Run 'kestrafix COMMAND --help' for the options of a command. Every command takes --json "
      "for output that scripts read. Exit status: 0 done, 1 an error of the database or the file "
      "system, 2 refused input.");

  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    PrintRefusal(err, e.what());
    return kExitUsage;
  }

  CliIo io{in, out, err, console};
  const bool colour = UseColour(console);
  WarningScope warnings(err);
  // SQLite on a network file system: said once per run, however often the file is opened.
  bool warned = false;
  SetNetworkShareWarning([&](const std::string& dbName, const std::string& fileSystem) {
    if (warned) return;
    warned = true;
    err << fmt::format(
        "kestrafix: warning: the job database {} lies on a network file system ({}); SQLite keeps a rollback "
        "journal there and cannot share it safely between workstations. A database server (PostgreSQL, see "
        "\"Sharing one job database\" in the user guide) is the safe way to share a job database.\n",
        dbName, fileSystem);
  });
  struct Unhook {
    ~Unhook() { SetNetworkShareWarning({}); }
  } unhook;
  try {
    for (const Command& c : commands) {
      if (c.app->parsed()) {
        c.run(io);
        out.flush();
        return kExitOk;
      }
    }
    PrintRefusal(err, "no command given");
    return kExitUsage;
  } catch (const UsageError& e) {
    PrintRefusal(err, e.what());
    return kExitUsage;
  } catch (const KxError& e) {
    PrintError(err, e, colour);
    return kExitError;
  } catch (const std::exception& e) {
    PrintError(err, KxError(kInternalError, "kestrafix", e.what()), colour);
    return kExitError;
  }
}

}  // namespace kx::cli
