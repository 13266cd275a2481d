#pragma once
// The Qt dialogs as the factories Run uses. Each factory is defined next to its dialog
// (frmMain.cpp, frmReplace.cpp).
#include <memory>

#include "dialogs/dialog_factory.h"

namespace kx {

std::unique_ptr<IModalDialog> CreateNewJobDialog();
std::unique_ptr<IModalDialog> CreateReplaceDialog();

// Installs both as the factories of their kinds.
void RegisterQtDialogs();

}  // namespace kx
