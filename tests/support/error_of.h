#pragma once
// The KxError a call raises.
#include <gtest/gtest.h>

#include "core/error.h"

namespace kx::test {

// Runs f and returns the KxError it raised (fails the test when it raises none).
template <class F>
KxError ErrorOf(F&& f) {
  try {
    f();
  } catch (const KxError& e) {
    return e;
  }
  ADD_FAILURE() << "no KxError raised";
  return KxError(0, "", "");
}

}  // namespace kx::test
