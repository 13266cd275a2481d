#include "cli_app.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <istream>
#include <ostream>

#include "cli_support.h"
#include "core/error.h"
#include "kx_version.h"
#include "platform/file_system_kind.h"

namespace kx::cli {

namespace {

void PrintError(std::ostream& err, const std::string& message) {
  if (!message.empty()) err << "kestrafix: " << message << '\n';
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
  CLI::App app{"Kestrafix: new jobs, bulk replace and job files of a CAM job manager, without a window.",
               "kestrafix"};
  app.set_version_flag("--version", std::string("kestrafix ") + KX_VERSION_TEXT);
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

  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    PrintError(err, e.what());
    return kExitUsage;
  }

  CliIo io{in, out, err};
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
    PrintError(err, "no command given");
    return kExitUsage;
  } catch (const UsageError& e) {
    PrintError(err, e.what());
    return kExitUsage;
  } catch (const ReportedError& e) {
    PrintError(err, e.what());
    return kExitError;
  } catch (const KxError& e) {
    PrintError(err, fmt::format("error {} ({}): {}", e.Number(), e.Source(), e.Description()));
    return kExitError;
  } catch (const std::exception& e) {
    PrintError(err, e.what());
    return kExitError;
  }
}

}  // namespace kx::cli
