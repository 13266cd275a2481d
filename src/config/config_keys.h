#pragma once
// Every configuration key the add-in reads, with its type and its value when missing.
// Callers take typed values from here and never convert INI text themselves.
//
// Conversions of the text read:
//   number  leading-number rule, then the nearest whole number of the key's width with
//           halves to even; a value outside that width gives the missing value (0).
//   flag    the leading number rounded as above is not 0 (no width limit: "1e10" is true).
//   text    as it stands.
#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

namespace keys {
// Host configuration (gsIniFile).
inline constexpr std::string_view kTorvel = "TORVEL";
// [FSO] of the documents copy and the add-in INI; read by clsFso::Initialize.
inline constexpr std::string_view kFso = "FSO";
inline constexpr std::string_view kFsoActive = "Active";
inline constexpr std::string_view kFsoFoldersActive = "FoldersActive";
// Add-in INI.
inline constexpr std::string_view kFrmMain = "frmMain";
inline constexpr std::string_view kFrmReplace = "frmReplace";
inline constexpr std::string_view kMsg = "MSG";
// Window placement keys of a dialog's section.
inline constexpr std::string_view kWindowState = "WindowState";
inline constexpr std::string_view kTop = "Top";
inline constexpr std::string_view kLeft = "Left";
inline constexpr std::string_view kHeight = "Height";
inline constexpr std::string_view kWidth = "Width";
}  // namespace keys

// The conversions above, for INI text.
std::int32_t IniLong(std::string_view text);
std::int16_t IniInt(std::string_view text);
bool IniFlag(std::string_view text);
// Single-precision number (placement coordinates): leading number, no rounding.
float IniSingle(std::string_view text);
// Country as a number formatted "000" (gsCountry): "49" -> "049", missing -> "000".
std::string CountryCode(std::string_view text);
// Country as text formatted "000" (message file extension): a numeric text gets at least
// three digits ("49" -> "049", "1234" stays); a missing or empty value gives "000" like
// gsCountry; any other text is used as it stands ("de" -> "de").
std::string CountryFileExtension(std::string_view text);

// [TORVEL] of the host configuration file, all keys at once.
struct TorvelSettings {
  bool Synchron = false;
  bool ShowElectrode = false;
  std::string DbName;
  std::int32_t OpenRecordsetOptions = 0;
  std::int16_t OpenRecordsetOptions16 = 0;  // the width a data source's Options takes
  std::string UserId;
  std::string CountryText;               // as it stands
  std::string Country = "000";           // gsCountry
  std::string CountryExtension = "000";  // message file extension
  std::int32_t SubFolderCount = 0;
  std::int16_t AutoValueType = 0;
  std::int16_t AutoValueNumericLength = 0;
  std::int16_t KeyValueUpperAndLowerCase = 0;
  // Bulk replaces kept in the job database for an undo; 0 records none. Missing: 50.
  std::int32_t ReplaceHistory = 50;
};
// Reads the file each time: a caller that needs a key at a given moment calls it then, since
// the file may change between reads.
TorvelSettings ReadTorvelSettings(const std::string& iniFile);
TorvelSettings ReadTorvelSettings();  // of gsIniFile
// glOpenRecordsetOptions, gsCountry and glSubFolderCount of this thread's shared state.
void ApplyToSharedState(const TorvelSettings& s);

// [frmMain] of the add-in INI: texts of the new-job dialog (all "" when missing).
struct FrmMainTexts {
  std::string Caption;          // Caption
  std::string BaseFolderLabel;  // Label2(0).Caption
  std::string BaseFolder;       // Text2(0).Text (may hold path placeholders)
  std::string CopyFilesLabel;   // Check2(3).Caption
};
FrmMainTexts ReadFrmMainTexts();
// Text2(0).Text, written when the new-job dialog closes. False when the write failed.
bool WriteFrmMainBaseFolder(std::string_view folder);

// [frmReplace] and [MSG] of the add-in INI: texts of the replace dialog.
struct FrmReplaceTexts {
  std::string Caption;    // Caption
  std::string Labels[3];  // Label1(0..2).Caption
  std::string Question;   // [MSG] Question: title of the confirmation
  std::string Update;     // [MSG] Update: its text ("/1" = number of jobs)
  std::string ShowJobs;   // ShowJobsButton.Caption; "" keeps the built-in caption
  // JobCount.Caption ("/1" = the jobs that match) and JobCountMore.Caption ("/2" of them shown,
  // "/3" more), the count under the listed jobs; "" keeps the built-in text.
  std::string JobCount, JobCountMore;
};
FrmReplaceTexts ReadFrmReplaceTexts();

}  // namespace kx
