#include "config/mdlForm.h"

#include "config/config_keys.h"
#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "core/numbers.h"

namespace kx {

namespace {

constexpr int kNormal = 0;

}  // namespace

void LoadFormPlacement(IPlacementWindow& oForm) {
  try {
    const AddInIniPath f = GetAddInIniFile();
    if (!Fso().FileExists(f.str())) return;
    const std::string section = oForm.Name();
    // A state other than 0, 1, 2 is no valid window state: the window keeps its own.
    const std::int16_t state = IniInt(ReadIniValue(f, section, keys::kWindowState));
    if (state >= 0 && state <= 2) oForm.WindowState(state);
    if (oForm.WindowState() != kNormal) return;
    if (float v = IniSingle(ReadIniValue(f, section, keys::kTop)); v > 0) oForm.Top(v);
    if (float v = IniSingle(ReadIniValue(f, section, keys::kLeft)); v > 0) oForm.Left(v);
    if (float v = IniSingle(ReadIniValue(f, section, keys::kHeight)); v > 0) oForm.Height(v);
    if (float v = IniSingle(ReadIniValue(f, section, keys::kWidth)); v > 0) oForm.Width(v);
  } catch (...) {
    // Placement is a convenience: the dialog opens with whatever it has.
  }
}

void SaveFormPlacement(IPlacementWindow& oForm) {
  try {
    const AddInIniPath f = GetAddInIniFile();
    const std::string section = oForm.Name();
    const int state = oForm.WindowState();
    WriteIniValue(f, section, keys::kWindowState, std::to_string(state));
    if (state != kNormal) return;  // the normal bounds of the last normal close stay
    // FormatNumber writes "." and no separators, which the leading-number rule reads back.
    WriteIniValue(f, section, keys::kTop, FormatNumber(oForm.Top()));
    WriteIniValue(f, section, keys::kLeft, FormatNumber(oForm.Left()));
    WriteIniValue(f, section, keys::kHeight, FormatNumber(oForm.Height()));
    WriteIniValue(f, section, keys::kWidth, FormatNumber(oForm.Width()));
  } catch (...) {
    // A failed write is silent; the dialog still closes.
  }
}

}  // namespace kx
