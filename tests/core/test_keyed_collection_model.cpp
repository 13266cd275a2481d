// Long random runs of every operation against a plain vector model: they drive the tree
// through leaf and inner splits, merges, emptied leaves and root changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/keyed_collection.h"
#include "core/text.h"

namespace kx {
namespace {

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
