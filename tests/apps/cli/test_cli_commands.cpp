// The command line's contract: exit codes, one-line errors, --help, --version, colour, and the
// database, registry and installation commands by their output and the state they leave
// (tests/data/cli/commands.txt, install.txt).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "addin_loader.h"
#include "cli_fixture.h"
#include "config/config_keys.h"
#include "core/text.h"
#include "fs/ini_profile.h"
#include "kx_version.h"
#include "platform/file_system_kind.h"

namespace kx::test {
namespace {

TEST_F(CliTest, Commands) {
  env.Write("host.cfg", "[TORVEL]\r\nCountry=49\r\n");
  env.Write("gone.cfg", "[TORVEL]\r\nDbName=C:\\gone.db\r\n");
  env.Write("host/ResStr/gone.000", "");
  env.Write("libfake.so", "not an ELF file");
  vars["version"] = KX_VERSION_TEXT;
  vars["lib"] = AddinLibraryFile();
  vars["libn"] = std::filesystem::path(AddinLibraryFile()).lexically_normal().string();
  RunScenario("commands.txt");
  EXPECT_EQ(JobDatabase("C:\\jobs.db", false).Count("select Count(*) from NcData"),
            2);  // nothing else stored
  EXPECT_FALSE(std::filesystem::exists(env / "none.db"));
  const std::string all = "select * from data order by ID";
  EXPECT_EQ(JobDatabase("C:\\copy.db", false).Rows(all), JobDatabase("C:\\jobs.db", false).Rows(all));
  EXPECT_FALSE(std::filesystem::exists(env / "c2.db"));
  EXPECT_TRUE(
      GetPrivateProfileSectionNative(env / "xdg-config/kestrafix/addins.ini", "Kestrafix.IFace").empty());
}

TEST_F(CliTest, SqliteOnANetworkFileSystemIsWarnedOfOncePerRun) {
  SetFileSystemProbe([](const std::string&) { return FileSystemInfo{0x6969, {}, false}; });
  const std::string db = (env / "jobs.db").string();
  // The copy opens two files there, and says it once.
  for (const CliResult& r : {Run({"db", "init", db}), Run({"db", "copy", db, (env / "copy.db").string()})}) {
    EXPECT_EQ(r.code, 0) << r.err;
    const std::size_t at = r.err.find("network file system (nfs)");
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(r.err.find("network file system", at + 1), std::string::npos) << r.err;
  }
  SetFileSystemProbe({});
  EXPECT_EQ(Run({"db", "sql", db, "select count(*) from data"}).err, "");
}

// Every command, found through the lists of --help: its help fits an 80-column terminal and it
// answers --version.
TEST_F(CliTest, EveryCommandsHelpFitsEightyColumnsAndItHasAVersion) {
  std::vector<std::vector<std::string>> todo{{}};
  int seen = 0;
  while (!todo.empty()) {
    std::vector<std::string> command = todo.back();
    todo.pop_back();
    ++seen;
    SCOPED_TRACE(::testing::PrintToString(command));
    command.push_back("--version");
    EXPECT_EQ(Run(command).out, std::string("kestrafix ") + KX_VERSION_TEXT + "\n");
    command.back() = "--help";
    std::istringstream help(Run(command).out);
    command.pop_back();
    bool listing = false;
    for (std::string line; std::getline(help, line);) {
      EXPECT_LE(CharLength(line), 80u) << line;
      if (listing && line.size() > 2 && line[2] != ' ') {
        todo.push_back(command);
        todo.back().push_back(line.substr(2, line.find(' ', 2) - 2));
      }
      listing = line == "Commands:" || (listing && !line.empty());
    }
  }
  EXPECT_GE(seen, 21);
}

// init, machine, path and doctor on one installation (tests/data/cli/install.txt), and what
// they leave.
TEST_F(CliTest, Installation) {
  env.MakeDir("shop/data/Kunden/ACME/2024-001");
  env.Write("shop/other.cfg", "[TORVEL]\r\nDbName=D:\\jobs.db\r\nCountry=49\r\n");  // no other.049
  vars["cfg"] = (env / "shop/torvel.cfg").string();
  vars["lib"] = AddinLibraryFile();
  vars["libn"] = std::filesystem::path(AddinLibraryFile()).lexically_normal().string();
  RunScenario("install.txt");
  const TorvelSettings t = ReadTorvelSettings(vars["cfg"]);
  EXPECT_EQ(t.DbName + "|" + t.Country + "|" + t.UserId, "D:\\jobs.db|049|anna");
  EXPECT_EQ(
      JobDatabase((env / "shop/data/jobs.db").string(), false)
          .Rows("select Machine, DirectoryType, KelbDirectory, NcDirectory, DatFileExtension from Machine"),
      std::vector<std::string>{"Laser1|1|D:\\Jobs\\$(Filename)|D:\\NC\\$(Left(2))|dat"});
  EXPECT_TRUE(std::filesystem::is_directory(env / "shop/data/NC/A1/A100"));
  EXPECT_EQ(GetPrivateProfileSectionNative(env / "xdg-dirs/kestrafix/addins.ini", "Kestrafix.IFace"),
            (std::vector<std::pair<std::string, std::string>>{{"Library", vars["libn"]}}));
}

}  // namespace
}  // namespace kx::test
