#include "core/keyed_collection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "error_of.h"

namespace kx {
namespace {

template <class F>
long ErrorNumber(F&& f) {
  return test::ErrorOf(f).Number();
}

std::vector<std::string> Items(const KeyedCollection<std::string>& c) {
  return std::vector<std::string>(c.begin(), c.end());
}

TEST(KeyedCollectionTest, BadPositionsAndKeysGiveTheirErrors) {
  KeyedCollection<std::string> c;
  EXPECT_EQ(ErrorNumber([&] { c.AddBefore(1, "x"); }), err::SubscriptOutOfRange);
  c.Add("x", "Key");
  EXPECT_EQ(ErrorNumber([&] { c.Item(0); }), err::SubscriptOutOfRange);
  EXPECT_EQ(ErrorNumber([&] { c.Item(2); }), err::SubscriptOutOfRange);
  EXPECT_EQ(ErrorNumber([&] { c.AddAfter(2, "y"); }), err::SubscriptOutOfRange);
  EXPECT_EQ(ErrorNumber([&] { c.Remove(-1); }), err::SubscriptOutOfRange);
  EXPECT_EQ(ErrorNumber([&] { c.Item("nope"); }), err::InvalidProcedureCall);
  EXPECT_EQ(ErrorNumber([&] { c.Remove("nope"); }), err::InvalidProcedureCall);
  try {
    c.Add("y", "KEY");
    FAIL() << "duplicate key accepted";
  } catch (const KxError& e) {
    EXPECT_EQ(e.Number(), err::KeyAlreadyExists);
    EXPECT_EQ(e.Source(), "Collection");
  }
  EXPECT_EQ(c.Count(), 1);  // the failed add left nothing behind
}

TEST(KeyedCollectionTest, KeysIgnoreCaseButNotAccents) {
  KeyedCollection<std::string> c;
  c.Add("1", "Äpfel");
  EXPECT_TRUE(c.HasKey("äPFEL"));
  EXPECT_EQ(c.Item("ÄPFEL"), "1");
  EXPECT_FALSE(c.HasKey("Apfel"));
  c.Add("2", "a");
  EXPECT_EQ(ErrorNumber([&] { c.Add("3", "A"); }), err::KeyAlreadyExists);
  c.Add("4", "á");
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c.Find("nothing"), nullptr);
  ASSERT_NE(c.Find("Á"), nullptr);
  EXPECT_EQ(*c.Find("Á"), "4");
}

TEST(KeyedCollectionTest, HoldsMoveOnlyItems) {
  KeyedCollection<std::unique_ptr<int>> c;
  c.Add(std::make_unique<int>(2), "two");
  c.AddBefore(1, std::make_unique<int>(1), "one");
  EXPECT_EQ(c.InsertSorted(std::make_unique<int>(3), "three"), 2);
  EXPECT_EQ(*c.Item("TWO"), 2);
  int sum = 0;
  for (auto& p : c) sum += *p;
  EXPECT_EQ(sum, 6);
  KeyedCollection<std::unique_ptr<int>> moved = std::move(c);
  EXPECT_EQ(moved.Count(), 3);
  EXPECT_EQ(c.Count(), 0);
  moved.Remove("one");
  EXPECT_EQ(*moved.Item(1), 3);
}

TEST(KeyedCollectionTest, CopiesAreIndependentAndMovedFromIsEmptyButUsable) {
  KeyedCollection<std::string> a;
  for (int i = 0; i < 300; ++i) a.InsertSorted("v" + std::to_string(i), "k" + std::to_string(i));
  a.AddBefore(1, "nokey");
  KeyedCollection<std::string> b(a);
  EXPECT_EQ(Items(b), Items(a));
  EXPECT_EQ(b.KeyAt(1), std::nullopt);
  EXPECT_EQ(b.KeyAt(2), a.KeyAt(2));
  b.Remove("k7");
  b.Item(1) = "changed";
  EXPECT_TRUE(a.HasKey("K7"));
  EXPECT_EQ(a.Item(1), "nokey");
  EXPECT_EQ(a.Count(), 301);
  a = b;
  EXPECT_EQ(a.Count(), 300);
  EXPECT_FALSE(a.HasKey("k7"));

  KeyedCollection<std::string> c(std::move(a));
  EXPECT_EQ(c.Count(), 300);
  EXPECT_EQ(a.Count(), 0);  // NOLINT(bugprone-use-after-move): documented state
  EXPECT_EQ(a.begin(), a.end());
  a.Add("fresh", "k7");
  EXPECT_EQ(a.Item("K7"), "fresh");
  EXPECT_FALSE(c.HasKey("k7"));
}

// A collection big enough for its largest memory blocks, with some keys too long to share
// them, keeps every item through removal and reuse of freed places, a move and a Clear;
// several threads do the same at once, each with its own block cache.
TEST(KeyedCollectionTest, LargeCollectionsKeepItemsThroughRemovalMoveAndClear) {
  auto exercise = [](int seed) {
    constexpr int kItems = 120000;
    auto keyOf = [](int i) {
      std::string k = std::to_string(1000000 + i);
      if (i % 4000 == 0) k += std::string(700, 'x');  // an entry larger than the pooled sizes
      return k;
    };
    auto valueOf = [](int i) { return "value " + std::to_string(i) + std::string(40, '.'); };
    std::vector<int> order(kItems);
    for (int i = 0; i < kItems; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
    KeyedCollection<std::string> c;
    for (int i : order) {
      if (c.InsertSorted(valueOf(i), keyOf(i)) == 0) return std::string("refused ") + keyOf(i);
    }
    // Every third item out and back in again, from the freed places.
    for (int i = 0; i < kItems; i += 3) c.Remove(keyOf(i));
    if (c.Count() != kItems - (kItems + 2) / 3) return std::string("count after removal");
    for (int i = 0; i < kItems; i += 3) c.InsertSorted(valueOf(i), keyOf(i));
    KeyedCollection<std::string> moved = std::move(c);
    if (moved.Count() != kItems || c.Count() != 0) return std::string("count after move");
    int i = 0;
    for (const std::string& v : moved) {
      if (v != valueOf(i)) return "item " + std::to_string(i) + " is " + v;
      ++i;
    }
    if (moved.PositionOf(keyOf(4000)) != 4001 || moved.Item(keyOf(119999)) != valueOf(119999)) {
      return std::string("lookup after move");
    }
    moved.Clear();
    moved.Add("again", "k");
    c.Add("again", "k");
    if (moved.Item("K") != "again" || c.Item("K") != "again") return std::string("reuse after Clear");
    return std::string();
  };
  EXPECT_EQ(exercise(1), "");
  std::vector<std::string> results(3);
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) threads.emplace_back([&, t] { results[t] = exercise(10 + t); });
  for (auto& t : threads) t.join();
  for (const std::string& r : results) EXPECT_EQ(r, "");
}

}  // namespace
}  // namespace kx
