#pragma once
// The steps of the job file import, for the import itself and its tests.
#include <cstdint>
#include <string>

namespace kx {

class clsRsData;
class ClsFiles;
class IImportProgress;

namespace torvel {

// The new file name (without folder) of sFullFile. Modes: 0 unchanged; 1 the source job name
// replaced when the base name is exactly that name; 2 every occurrence of the source job name
// replaced; 3 the target job name with the file's extension. Names compare and replace without
// regard to case; any other mode counts as 2.
std::string GetTargetFileName(const std::string& sFullFile, const std::string& sFileNameSource,
                              const std::string& sFileNameTarget, std::int32_t sMode);

// The transfer between two loaded job records (see ImportJobFiles for the arguments).
void TransferJobFiles(const clsRsData& oSource, const clsRsData& oTarget, bool bJobFiles, bool bNcFiles,
                      bool bMove, std::uint8_t iOverwrite, std::int16_t iRenameMode,
                      const std::string& sFilter, std::int16_t iDatMode, IImportProgress* progress = nullptr);

// After a move: the source job's own folders (a folder per job), or the job's folders left
// empty, go to the trash. Never throws.
void RemoveSourceJobFolders(const clsRsData& oSource, const ClsFiles& oFiles) noexcept;

}  // namespace torvel
}  // namespace kx
