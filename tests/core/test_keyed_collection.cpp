// The keyed collection: errors, keys without case, move-only items, copies, large collections,
// and long random runs of every operation against a plain vector model.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/keyed_collection.h"
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

// The model runs drive the tree through leaf and inner splits, merges, emptied leaves and root
// changes.
struct ModelItem {
  std::string value;
  std::optional<std::string> key;
};

void ExpectSame(const KeyedCollection<std::string>& c, const std::vector<ModelItem>& model) {
  ASSERT_EQ(c.Count(), static_cast<long>(model.size()));
  std::size_t i = 0;
  for (const std::string& v : c) {
    ASSERT_LT(i, model.size());
    ASSERT_EQ(v, model[i].value) << "at " << i;
    ++i;
  }
  ASSERT_EQ(i, model.size());
  for (std::size_t k = 0; k < model.size(); k += 1 + model.size() / 50) {
    ASSERT_EQ(c.Item(static_cast<long>(k) + 1), model[k].value);
    ASSERT_EQ(c.KeyAt(static_cast<long>(k) + 1), model[k].key);
    if (model[k].key) {
      ASSERT_EQ(c.PositionOf(*model[k].key), static_cast<long>(k) + 1);
    }
  }
}

TEST(KeyedCollectionModelTest, MixedPositionalOperationsMatchModel) {
  std::mt19937 rng(7);
  KeyedCollection<std::string> c;
  std::vector<ModelItem> model;
  std::set<std::string> keys;  // keys are "K" and digits: no case to fold
  int serial = 0;
  for (int step = 0; step < 30000; ++step) {
    const int op = static_cast<int>(rng() % 10);
    const std::string value = "v" + std::to_string(serial++);
    std::optional<std::string> key;
    if (rng() % 3 != 0) key = "K" + std::to_string(rng() % 5000);
    const bool present = key && keys.count(*key) != 0;
    // Shrink phases let whole subtrees empty out and merge.
    const bool shrinking = (step / 10000) % 2 == 1;
    if (!model.empty() && (op < 2 || (shrinking && op < 8))) {
      const std::size_t pos = rng() % model.size();
      if (op % 2 == 0 || !model[pos].key) {
        c.Remove(static_cast<long>(pos) + 1);
      } else {
        c.Remove("k" + model[pos].key->substr(1));
      }
      if (model[pos].key) keys.erase(*model[pos].key);
      model.erase(model.begin() + static_cast<long>(pos));
      continue;
    }
    const std::size_t pos = model.empty() ? 0 : rng() % model.size();
    std::optional<std::string_view> kv;
    if (key) kv = *key;
    if (present) {
      EXPECT_THROW(c.Add(value, kv), KxError);
      continue;
    }
    if (key) keys.insert(*key);
    if (op < 5 || model.empty()) {
      c.Add(value, kv);
      model.push_back({value, key});
    } else if (op < 8) {
      c.AddBefore(static_cast<long>(pos) + 1, value, kv);
      model.insert(model.begin() + static_cast<long>(pos), {value, key});
    } else {
      c.AddAfter(static_cast<long>(pos) + 1, value, kv);
      model.insert(model.begin() + static_cast<long>(pos) + 1, {value, key});
    }
    if (step % 2500 == 0) ExpectSame(c, model);
  }
  ExpectSame(c, model);
  while (!model.empty()) {  // empty it completely, from the front
    c.Remove(1);
    model.erase(model.begin());
  }
  keys.clear();
  ExpectSame(c, model);
  c.Add("after", "k");
  EXPECT_EQ(c.Item("K"), "after");
}

// Sorted insertion of keys in any letter case must give the collation order, through many
// splits and merges. withIndex: a keyless first item makes the collection find keys through
// its hash index instead of the tree; sorted insertion must agree in both modes.
void RunSortedInsertAndRemove(bool withIndex) {
  std::mt19937 rng(99);
  KeyedCollection<std::string> c;
  const long offset = withIndex ? 1 : 0;
  if (withIndex) c.Add("keyless");
  std::vector<std::pair<std::string, std::string>> model;  // (collation key, key), sorted
  for (int step = 0; step < 40000; ++step) {
    const bool removing = (step / 10000) % 2 == 1 ? rng() % 4 != 0 : rng() % 4 == 0;
    if (removing && !model.empty()) {
      const std::size_t pos = rng() % model.size();
      if (rng() % 2) {
        c.Remove(static_cast<long>(pos) + 1 + offset);
      } else {
        c.Remove(ToUpper(model[pos].second));
      }
      model.erase(model.begin() + static_cast<long>(pos));
      continue;
    }
    const std::string key = (rng() % 2 ? "n" : "N") + std::to_string(rng() % 20000);  // case ignored
    const std::pair<std::string, std::string> entry{CollationKey(key), key};
    const auto at = std::upper_bound(model.begin(), model.end(), entry,
                                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const bool present = at != model.begin() && (at - 1)->first == entry.first;
    ASSERT_EQ(c.HasKey(key), present);
    const long got = c.InsertSorted(key, key);
    if (present) {
      ASSERT_EQ(got, 0);
    } else {
      ASSERT_EQ(got, (at - model.begin()) + 1 + offset);
      model.insert(at, entry);
    }
  }
  ASSERT_EQ(c.Count(), static_cast<long>(model.size()) + offset);
  std::vector<std::string> items(c.begin(), c.end());
  if (withIndex) {
    ASSERT_EQ(items.front(), "keyless");
    items.erase(items.begin());
  }
  for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(items[i], model[i].second);
}

TEST(KeyedCollectionModelTest, SortedInsertAndRemoveKeepSortedOrder) { RunSortedInsertAndRemove(false); }
TEST(KeyedCollectionModelTest, SortedInsertAndRemoveWithHashIndex) { RunSortedInsertAndRemove(true); }

// Keys found through the tree while the order holds, through the index after an
// insertion breaks it, and through the tree again once the collection is emptied.
TEST(KeyedCollectionModelTest, KeyLookupSurvivesOrderChanges) {
  KeyedCollection<std::string> c;
  for (const char* k : {"b", "d", "f"}) c.InsertSorted(k, k);
  c.Add("g", "G");           // still in order
  c.AddBefore(1, "a", "A");  // still in order
  EXPECT_EQ(c.Item("g"), "g");
  EXPECT_EQ(c.Item("a"), "a");
  c.AddAfter(1, "z", "Z");  // breaks the order
  EXPECT_EQ(c.PositionOf("z"), 2);
  EXPECT_EQ(c.InsertSorted("x", "D"), 0);
  for (const char* k : {"a", "z", "b", "d", "f", "g"}) EXPECT_TRUE(c.HasKey(k)) << k;
  EXPECT_FALSE(c.HasKey("c"));
  EXPECT_THROW(c.Add("again", "F"), KxError);
  while (c.Count() > 0) c.Remove(c.Count());
  EXPECT_FALSE(c.HasKey("a"));
  EXPECT_EQ(c.InsertSorted("m", "m"), 1);
  EXPECT_EQ(c.InsertSorted("c", "c"), 1);
  EXPECT_EQ(c.Item("M"), "m");
  EXPECT_EQ(c.InsertSorted("C", "C"), 0);
}

}  // namespace
}  // namespace kx
