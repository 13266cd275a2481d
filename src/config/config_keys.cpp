#include "config/config_keys.h"

#include <algorithm>
#include <cmath>

#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "core/numbers.h"

namespace kx {

namespace {

template <class Convert>
auto OrMissing(Convert convert, std::string_view text) -> decltype(convert(0.0)) {
  try {
    return convert(LeadingNumber(text));
  } catch (const KxError&) {
    return 0;  // overflow: the assignment fails and the key keeps its missing value
  }
}

std::string Torvel(const std::string& file, std::string_view key) {
  return ReadIniValue(file, keys::kTorvel, key);
}

const std::string& HostIni() { return Shared().gsIniFile; }

}  // namespace

std::int32_t IniLong(std::string_view text) {
  return OrMissing([](double v) { return CLng(v); }, text);
}
std::int16_t IniInt(std::string_view text) {
  return OrMissing([](double v) { return CInt(v); }, text);
}

bool IniFlag(std::string_view text) { return RoundHalfEven(LeadingNumber(text)) != 0.0; }

float IniSingle(std::string_view text) {
  const double v = LeadingNumber(text);
  if (!std::isfinite(v) || std::fabs(v) > 3.4e38) return 0.0f;
  return static_cast<float>(v);
}

std::string CountryCode(std::string_view text) { return Format000(LeadingNumber(text)); }

std::string CountryFileExtension(std::string_view text) {
  if (text.empty()) return "000";
  if (IsNumeric(text)) return Format000(CDbl(text));
  return std::string(text);
}

TorvelSettings ReadTorvelSettings(const std::string& f) {
  TorvelSettings s;
  s.Synchron = IniFlag(Torvel(f, "Synchron"));
  s.ShowElectrode = IniFlag(Torvel(f, "ShowElectrode"));
  s.DbName = Torvel(f, "DbName");
  const std::string options = Torvel(f, "OpenRecordsetOptions");
  s.OpenRecordsetOptions = IniLong(options);
  s.OpenRecordsetOptions16 = IniInt(options);
  s.UserId = Torvel(f, "UserId");
  s.CountryText = Torvel(f, "Country");
  s.Country = CountryCode(s.CountryText);
  s.CountryExtension = CountryFileExtension(s.CountryText);
  s.SubFolderCount = IniLong(Torvel(f, "SubFolderCount"));
  s.AutoValueType = IniInt(Torvel(f, "AutoValueType"));
  s.AutoValueNumericLength = IniInt(Torvel(f, "AutoValueNumericLength"));
  s.KeyValueUpperAndLowerCase = IniInt(Torvel(f, "KeyValueUpperAndLowerCase"));
  if (const std::string keep = Torvel(f, "ReplaceHistory"); !keep.empty())
    s.ReplaceHistory = std::max<std::int32_t>(0, IniLong(keep));
  return s;
}

TorvelSettings ReadTorvelSettings() { return ReadTorvelSettings(HostIni()); }

void ApplyToSharedState(const TorvelSettings& s) {
  auto& g = Shared();
  g.glOpenRecordsetOptions = s.OpenRecordsetOptions;
  g.gsCountry = s.Country;
  g.glSubFolderCount = s.SubFolderCount;
}

FrmMainTexts ReadFrmMainTexts() {
  const AddInIniPath f = GetAddInIniFile();
  FrmMainTexts t;
  t.Caption = ReadIniValue(f, keys::kFrmMain, "Caption");
  t.BaseFolderLabel = ReadIniValue(f, keys::kFrmMain, "Label2(0).Caption");
  t.BaseFolder = ReadIniValue(f, keys::kFrmMain, "Text2(0).Text");
  t.CopyFilesLabel = ReadIniValue(f, keys::kFrmMain, "Check2(3).Caption");
  return t;
}

bool WriteFrmMainBaseFolder(std::string_view folder) {
  return WriteIniValue(GetAddInIniFile(), keys::kFrmMain, "Text2(0).Text", folder);
}

FrmReplaceTexts ReadFrmReplaceTexts() {
  const AddInIniPath f = GetAddInIniFile();
  FrmReplaceTexts t;
  t.Caption = ReadIniValue(f, keys::kFrmReplace, "Caption");
  for (int i = 0; i < 3; ++i) {
    t.Labels[i] = ReadIniValue(f, keys::kFrmReplace, "Label1(" + std::to_string(i) + ").Caption");
  }
  t.Question = ReadIniValue(f, keys::kMsg, "Question");
  t.Update = ReadIniValue(f, keys::kMsg, "Update");
  t.ShowJobs = ReadIniValue(f, keys::kFrmReplace, "ShowJobsButton.Caption");
  t.JobCount = ReadIniValue(f, keys::kFrmReplace, "JobCount.Caption");
  t.JobCountMore = ReadIniValue(f, keys::kFrmReplace, "JobCountMore.Caption");
  return t;
}

}  // namespace kx
