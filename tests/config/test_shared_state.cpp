// The shared state belongs to the thread.
#include <gtest/gtest.h>

#include <thread>

#include "config/shared_state.h"

namespace kx {
namespace {

TEST(SharedState, EachThreadHasItsOwn) {
  Shared() = SharedState{};
  Shared().gsIniFile = "C:\\main.cfg";
  Shared().glSubFolderCount = 3;
  clsFso* mainFso = &Fso();
  std::string seenIni = "unset";
  long seenCount = -1;
  clsFso* otherFso = nullptr;
  std::thread t([&] {
    seenIni = Shared().gsIniFile;
    seenCount = Shared().glSubFolderCount;
    otherFso = &Fso();
    Shared().gsIniFile = "C:\\other.cfg";
  });
  t.join();
  EXPECT_EQ(seenIni, "");
  EXPECT_EQ(seenCount, 0);
  EXPECT_NE(otherFso, mainFso);
  EXPECT_EQ(Shared().gsIniFile, "C:\\main.cfg");
  Shared() = SharedState{};
}

TEST(SharedState, FsoIsCreatedOnceOnFirstUse) {
  Shared() = SharedState{};
  EXPECT_EQ(Shared().goFso, nullptr);
  clsFso& a = Fso();
  a.FsoActive(false);
  EXPECT_EQ(&Fso(), &a);
  EXPECT_EQ(Shared().goFso.get(), &a);
  EXPECT_FALSE(Fso().FsoActive());
  Shared() = SharedState{};
}

}  // namespace
}  // namespace kx
