#pragma once
// One file of a job: its full path, whether it lies in the job's current directories,
// its classification and, for a file named in a data file, that data file.
#include <cstdint>
#include <string>

namespace kx {

// FileType values.
namespace filetype {
inline constexpr std::uint8_t Job = 0;
inline constexpr std::uint8_t Nc = 1;
inline constexpr std::uint8_t Dat = 2;
inline constexpr std::uint8_t DatReference = 3;
inline constexpr std::uint8_t Optimised = 4;
}  // namespace filetype

class clsFile {
 public:
  clsFile() = default;

  const std::string& FullFile() const { return fullFile_; }
  void FullFile(std::string vNewValue) { fullFile_ = std::move(vNewValue); }
  bool IsCurrent() const { return isCurrent_; }
  void IsCurrent(bool vNewValue) { isCurrent_ = vNewValue; }
  std::uint8_t FileType() const { return fileType_; }
  void FileType(std::uint8_t vNewValue) { fileType_ = vNewValue; }
  const std::string& FullFileDat() const { return fullFileDat_; }
  void FullFileDat(std::string vNewValue) { fullFileDat_ = std::move(vNewValue); }

  // Sets the four properties in this order.
  void Initialize(std::string sFullFile, bool bIsCurrent, std::uint8_t iFileType, std::string sFullFileDat);

 private:
  std::string fullFile_;
  bool isCurrent_ = false;
  std::uint8_t fileType_ = 0;
  std::string fullFileDat_;
};

}  // namespace kx
