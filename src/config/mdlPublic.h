#pragma once
// Folder functions, the [FSO] start-up settings and small value helpers shared by the layers.
// Folder functions never throw: a failure gives "".
#include <optional>
#include <string>
#include <string_view>

#include "core/variant.h"
#include "fs/fs_env.h"  // SetAddInPathForTests

namespace kx {

class clsFso;

// The library's base name, used for the add-in INI file.
inline constexpr std::string_view kAddInName = "Kestrafix";

// The folder the add-in library was loaded from (Windows form). The environment variable
// KESTRAFIX_ADDIN_PATH (a native or Windows path) overrides it; SetAddInPathForTests beats both.
std::string GetAddInPath();

std::string GetAppPath();           // GetAddInPath() cut before its last "\AddIns\"
std::string GetComDocsPath();       // special folder 46
std::string GetPfPath();            // special folder 38
std::string GetComAppDataPath();    // special folder 35
std::string GetComDocsAddInPath();  // the add-in's mirror folder under the common documents; created
std::string GetComDocsAppPath();    // GetComDocsAddInPath() cut before its last "\AddIns\"

// GetComDocsAppPath() & "\torvel.cfg": the documents copy of the host configuration.
std::string GetComDocsHostConfigFile();

// Applies [FSO] of the documents copy, then of the add-in INI (which wins). Never throws.
void InitConfiguration(clsFso& oFso);

Variant IfNull(const Variant& vValue, const Variant& vDefault);
std::string TrimBackslashes(std::string_view sPath);
std::string EncodeFileNameChars(std::string_view sText);

}  // namespace kx
