#include "addin/IFace.h"

#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "core/text.h"
#include "dialogs/dialog_factory.h"

namespace kx {

IFace::~IFace() {
  Parameters.clear();
  try {
    auto& s = Shared();
    s.gsIniFile.clear();
    s.gsFilename.clear();
    s.gsParameter.clear();
    s.goSSDBGrid.reset();
    s.goData.reset();
  } catch (...) {
    // A host object's release must not take the host down.
  }
}

void IFace::IniFile(const std::string& vNewValue) { Shared().gsIniFile = vNewValue; }
void IFace::filename(const std::string& vNewValue) { Shared().gsFilename = vNewValue; }
void IFace::SSDBGrid(std::shared_ptr<IHostGrid> vNewValue) { Shared().goSSDBGrid = std::move(vNewValue); }
void IFace::Data(std::shared_ptr<void> vNewValue) { Shared().goData = std::move(vNewValue); }
void IFace::Parameter(const std::string& vNewValue) { Shared().gsParameter = vNewValue; }

// Every step stands alone: a failing step is skipped and the next one runs, and nothing
// reaches the host but the result.
std::int32_t IFace::Run() noexcept {
  std::int32_t result = 0;
  RecordsAffected = 0;
  try {
    auto& s = Shared();
    if (!s.goFso) s.goFso = std::make_shared<clsFso>();
  } catch (...) {
  }
  try {
    if (auto fso = Shared().goFso) InitConfiguration(*fso);
  } catch (...) {
    // Configuration failed: clsFso keeps its defaults and the dialog still opens.
  }
  bool replace = false;
  try {
    replace = ToUpper(Shared().gsParameter) == ToUpper("/Replace");
  } catch (...) {
  }
  try {
    std::unique_ptr<IModalDialog> dialog =
        CreateModalDialog(replace ? DialogKind::Replace : DialogKind::NewJob);
    if (dialog) {
      dialog->ShowModal();
      if (dialog->RetVal()) result = replace ? 2 : 1;
      if (result != 0) RecordsAffected = static_cast<std::int32_t>(dialog->RecordsAffected());
    }
  } catch (...) {
    // A dialog that fails leaves the result at 0.
    result = 0;
  }
  return result;
}

}  // namespace kx
