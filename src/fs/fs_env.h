#pragma once
// Environment values and special folders of a Windows system, with Linux stand-ins.
// All results are Windows-form text.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

// The environment variable (name without case; a native path value is turned into Windows
// form), or the Linux stand-in when it is unset. Stand-ins:
//   SystemDrive  the drive of "/"              ("Z:")
//   SystemRoot   /usr                          ("Z:\usr")
//   windir       /etc                          ("Z:\etc")
//   ProgramFiles the program files folder      ("Z:\opt", see ProgramFilesFolder)
//   Temp, Tmp    $TMPDIR or /tmp               ("Z:\tmp")
// Any other unset name gives nullopt.
std::optional<std::string> EnvValueOrStandIn(std::string_view name);

// Special folders in native form; each has an environment override (native or Windows form).
//   common application data  KESTRAFIX_COMMON_APPDATA, else $XDG_DATA_HOME or ~/.local/share
//   program files            KESTRAFIX_PROGRAM_FILES, else /opt
//   common documents         KESTRAFIX_COMMON_DOCUMENTS, else $XDG_DOCUMENTS_DIR or ~/Documents
std::filesystem::path CommonAppDataFolder();
std::filesystem::path ProgramFilesFolder();
std::filesystem::path CommonDocumentsFolder();

std::filesystem::path HomeFolder();

class clsFso;

// The add-in's own folder (Windows form): SetAddInPathForTests, else KESTRAFIX_ADDIN_PATH
// (native or Windows form), else SetProgramAddInPath, else the folder of the loaded library;
// "" when unknown.
std::string AddInPath();
void SetAddInPathForTests(std::optional<std::string> path);
// For a program with the add-in linked in (the command line): the folder of the installed
// add-in library, taken instead of the program's own folder. The variable and the test
// override still win.
void SetProgramAddInPath(std::optional<std::string> path);
// The host's folder: AddInPath() cut before its last "\AddIns\" (case ignored), or all of it.
std::string HostPath();
// The add-in's mirror folder under the common documents (not created): the host folder's name,
// "\AddIns\" and the add-in folder's name, or the add-in folder's own name when it lies in no
// AddIns folder. Built with the name rules of `fso`; "" when a part is unknown.
std::string ComDocsAddInPath(const clsFso& fso);

}  // namespace kx
