#include "jobfiles/clsFile.h"

#include <utility>

namespace kx {

void clsFile::Initialize(std::string sFullFile, bool bIsCurrent, std::uint8_t iFileType,
                         std::string sFullFileDat) {
  FullFile(std::move(sFullFile));
  IsCurrent(bIsCurrent);
  FileType(iFileType);
  FullFileDat(std::move(sFullFileDat));
}

}  // namespace kx
