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

}  // namespace kx
