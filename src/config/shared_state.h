#pragma once
// The per-thread shared state the host's inputs and the dialogs' readings live in.
// Every IFace, dialog and class on one thread sees the same values.
#include <cstdint>
#include <memory>
#include <string>

#include "fs/clsFso.h"

namespace kx {

class IHostGrid;   // platform/host_grid.h
class clsResStrs;  // messages/clsResStrs.h

struct SharedState {
  // Written by the new-job dialog when it loads; kept between runs.
  std::int32_t glOpenRecordsetOptions = 0;
  std::string gsCountry;
  std::int32_t glSubFolderCount = 0;
  std::shared_ptr<clsResStrs> goResStrs;  // created on first use (messages layer)
  // Set by IFace.
  std::string gsIniFile;
  std::string gsFilename;
  std::string gsParameter;
  std::shared_ptr<IHostGrid> goSSDBGrid;
  std::shared_ptr<void> goData;  // the host's data object; kept, never read
  // Created on first use, never released while the thread lives.
  std::shared_ptr<clsFso> goFso;
};

SharedState& Shared();  // this thread's state
clsFso& Fso();          // goFso, created on first use

}  // namespace kx
