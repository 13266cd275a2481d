#include "config/shared_state.h"

namespace kx {

SharedState& Shared() {
  thread_local SharedState state;
  return state;
}

clsFso& Fso() {
  auto& s = Shared();
  if (!s.goFso) s.goFso = std::make_shared<clsFso>();
  return *s.goFso;
}

}  // namespace kx
