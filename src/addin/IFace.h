#pragma once
// The add-in's one automation class. The host sets what it hands over, calls Run once and
// releases the object; everything set goes into this thread's shared state.
#include <cstdint>
#include <memory>
#include <string>

namespace kx {

class IHostGrid;

class IFace {
 public:
  // The properties a host may set.
  static constexpr const char* kParameterNames = "IniFile;Filename;SSDBGrid;Data;Parameter";

  std::string Parameters = kParameterNames;
  // After Run: the jobs the dialog stored or changed (read-only for hosts).
  std::int32_t RecordsAffected = 0;

  IFace() = default;
  // Clears gsIniFile, gsFilename, gsParameter and releases goSSDBGrid and goData.
  ~IFace();
  IFace(const IFace&) = delete;
  IFace& operator=(const IFace&) = delete;

  // Opens the dialog the parameter selects: 1 new job created, 2 replace confirmed,
  // 0 otherwise. No error ever leaves it.
  std::int32_t Run() noexcept;

  // Write-only properties.
  void IniFile(const std::string& vNewValue);
  void filename(const std::string& vNewValue);
  void SSDBGrid(std::shared_ptr<IHostGrid> vNewValue);
  void Data(std::shared_ptr<void> vNewValue);
  void Parameter(const std::string& vNewValue);
};

}  // namespace kx
