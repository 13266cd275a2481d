#pragma once
// One factory per dialog, each defined next to its dialog (frmMain.cpp, frmReplace.cpp).
#include <memory>

#include "dialogs/dialog_factory.h"

namespace kx {
std::unique_ptr<IModalDialog> CreateNewJobDialog();
std::unique_ptr<IModalDialog> CreateReplaceDialog();
}  // namespace kx
