#pragma once
// Error handling shared by the new-job dialog's source files.
#include <exception>

#include "core/error.h"
#include "platform/ui_services.h"

namespace kx::frmmain {

// The error report of a procedure with its own handler. Errors that are not the system's
// own (a library's std::exception) are reported as an internal error of the add-in.
inline void Report(const std::exception& e, const char* procedure) {
  if (const auto* k = dynamic_cast<const KxError*>(&e)) {
    ReportError(*k, procedure);
  } else {
    ReportError(51, "Kestrafix", e.what(), procedure);
  }
}

// One step of a procedure that skips failing statements: the failure is dropped on purpose
// because the procedure goes on with its next step and reports nothing.
template <class F>
void ResumeNext(F&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace kx::frmmain
