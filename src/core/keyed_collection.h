#pragma once
// Ordered items, positions from 1, optional unique keys compared without regard to case
// (CompareNoCase / CollationKey). Adding under a present key throws
// KxError(err::KeyAlreadyExists, "Collection", ...); a bad position throws
// KxError(err::SubscriptOutOfRange, ...); an absent key in Item/Remove throws
// KxError(err::InvalidProcedureCall, ...).
//
// Layout: every item lives in its own entry (item, given key and collation key in one
// piece of the collection's arena, so entries never move); a counted B+tree of entry
// pointers gives positions in O(log n). Inner nodes remember the first entry of each
// child and the first 8 bytes of its collation key, leaves the 8 bytes of each entry, so
// a sorted insertion is one descent that rarely leaves the tree. Keys are found by that
// same descent while the items are in key order, and through an open-addressing hash
// index once they are not.
#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/collection/block_arena.h"
#include "core/collection/counted_tree.h"
#include "core/collection/key_index.h"
#include "core/error.h"
#include "core/text.h"

namespace kx {

template <class T>
class KeyedCollection {
  struct Entry {
    T value;
    std::uint64_t prefix = 0;  // first 8 bytes of the collation key, big-endian
    void* leaf = nullptr;      // the tree's leaf holding the entry
    std::uint32_t keyLen = 0;
    std::uint32_t ckeyLen = 0;
    bool hasKey = false;

    explicit Entry(T&& v) : value(std::move(v)) {}
    char* Bytes() { return reinterpret_cast<char*>(this + 1); }
    const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
    std::string_view Key() const { return {Bytes(), keyLen}; }
    std::string_view CKey() const { return {Bytes() + keyLen, ckeyLen}; }
  };
  static_assert(alignof(Entry) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  using Tree = detail::CountedTree<Entry>;
  using Leaf = typename Tree::Leaf;

  // A collation key prepared for comparisons and hashing.
  struct Probe {
    std::string ckey;
    std::uint64_t prefix;
    std::uint64_t hash;
  };

 public:
  template <bool Const>
  class Iter {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using reference = std::conditional_t<Const, const T&, T&>;
    using pointer = std::conditional_t<Const, const T*, T*>;

    Iter() = default;
    reference operator*() const { return leaf_->e[i_]->value; }
    pointer operator->() const { return &leaf_->e[i_]->value; }
    Iter& operator++() {
      if (++i_ >= leaf_->n) {
        leaf_ = leaf_->next;
        i_ = 0;
      }
      return *this;
    }
    Iter operator++(int) {
      Iter old = *this;
      ++*this;
      return old;
    }
    bool operator==(const Iter& o) const { return leaf_ == o.leaf_ && i_ == o.i_; }
    operator Iter<true>() const requires(!Const) { return Iter<true>(leaf_, i_); }

   private:
    friend class KeyedCollection;
    template <bool>
    friend class Iter;
    Iter(Leaf* leaf, int i) : leaf_(leaf), i_(i) {}
    Leaf* leaf_ = nullptr;
    int i_ = 0;
  };
  using iterator = Iter<false>;
  using const_iterator = Iter<true>;

  KeyedCollection() noexcept = default;
  ~KeyedCollection() { Destroy(); }
  KeyedCollection(KeyedCollection&& o) noexcept { Steal(o); }
  KeyedCollection& operator=(KeyedCollection&& o) noexcept {
    if (this != &o) {
      Destroy();
      Steal(o);
    }
    return *this;
  }
  KeyedCollection(const KeyedCollection& o) requires std::copy_constructible<T> {
    try {
      CopyFrom(o);
    } catch (...) {
      Destroy();  // a throwing constructor runs no destructor
      throw;
    }
  }
  KeyedCollection& operator=(const KeyedCollection& o) requires std::copy_constructible<T> {
    if (this != &o) {
      KeyedCollection copy(o);
      *this = std::move(copy);
    }
    return *this;
  }

  long Count() const { return static_cast<long>(tree_.Size()); }
  bool Empty() const { return tree_.Size() == 0; }

  void Add(T item, std::optional<std::string_view> key = std::nullopt) {
    InsertNew(tree_.Size(), std::move(item), key);
  }
  void AddBefore(long position, T item, std::optional<std::string_view> key = std::nullopt) {
    InsertNew(CheckPosition(position) - 1, std::move(item), key);
  }
  void AddAfter(long position, T item, std::optional<std::string_view> key = std::nullopt) {
    InsertNew(CheckPosition(position), std::move(item), key);
  }

  // Sorted insertion: after every item whose collation key is <= the new key (items
  // without a key count as the smallest). Returns the 1-based position, or 0 when the key
  // is present (nothing added).
  long InsertSorted(T item, std::string_view key) {
    Probe probe = MakeProbe(key);
    if (!sorted_) index_.Prefetch(probe.hash);
    tree_.Reserve();
    Spot spot;
    Descend(probe, spot);
    if (sorted_ ? IsPredecessor(spot, probe) : index_.Find(probe.hash, probe.ckey) != nullptr) return 0;
    if (!sorted_) index_.ReserveOneMore();
    Entry* entry = NewEntry(std::move(item), key, probe);
    tree_.InsertIntoLeaf(spot.leaf, spot.idx, entry, spot.path);
    if (!sorted_) index_.Insert(probe.hash, entry);
    return static_cast<long>(spot.pos + static_cast<std::size_t>(spot.idx) + 1);
  }

  T& Item(long position) { return tree_.At(CheckPosition(position) - 1)->value; }
  const T& Item(long position) const { return tree_.At(CheckPosition(position) - 1)->value; }
  T& Item(std::string_view key) { return RequireKey(key)->value; }
  const T& Item(std::string_view key) const { return RequireKey(key)->value; }
  T* Find(std::string_view key) {
    Entry* e = FindKey(key);
    return e ? &e->value : nullptr;
  }
  const T* Find(std::string_view key) const {
    const Entry* e = FindKey(key);
    return e ? &e->value : nullptr;
  }
  bool HasKey(std::string_view key) const { return FindKey(key) != nullptr; }
  // 1-based position of the item under key, 0 when absent.
  long PositionOf(std::string_view key) const {
    const Entry* e = FindKey(key);
    return e ? static_cast<long>(Tree::PositionOf(e)) + 1 : 0;
  }
  // The key as it was given; nullopt for an item added without one.
  std::optional<std::string> KeyAt(long position) const {
    const Entry* e = tree_.At(CheckPosition(position) - 1);
    if (!e->hasKey) return std::nullopt;
    return std::string(e->Key());
  }

  void Remove(long position) {
    const std::size_t pos = CheckPosition(position) - 1;
    Entry* e = tree_.At(pos);
    RemoveEntry(e);
  }
  void Remove(std::string_view key) { RemoveEntry(RequireKey(key)); }

  void Clear() { Destroy(); }

  iterator begin() { return iterator(tree_.Head(), 0); }
  iterator end() { return iterator(); }
  const_iterator begin() const { return const_iterator(tree_.Head(), 0); }
  const_iterator end() const { return const_iterator(); }

 private:
  // ---- entries and keys ----
  static Probe MakeProbe(std::string_view key) {
    Probe p{CollationKey(key), 0, 0};
    p.prefix = PrefixOf(p.ckey);
    p.hash = HashOf(p.ckey);
    return p;
  }
  static std::uint64_t PrefixOf(std::string_view ckey) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) {
      v = (v << 8) | (i < ckey.size() ? static_cast<unsigned char>(ckey[i]) : 0u);
    }
    return v;
  }
  static std::uint64_t PrefixOfEntry(const Entry* e) { return e ? e->prefix : 0; }
  static std::uint64_t HashOf(std::string_view ckey) { return std::hash<std::string_view>{}(ckey); }
  static int Compare(std::uint64_t prefix, const Entry* e, const Probe& p) {
    if (prefix != p.prefix) return prefix < p.prefix ? -1 : 1;
    const std::string_view a = e->CKey();
    const int c = a.compare(p.ckey);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }

  Entry* NewEntry(T&& item, std::optional<std::string_view> key, const Probe* probe) {
    const std::size_t keyLen = key ? key->size() : 0;
    const std::size_t ckeyLen = probe ? probe->ckey.size() : 0;
    const std::size_t size = sizeof(Entry) + keyLen + ckeyLen;
    void* mem = arena_.Allocate(size);
    Entry* e;
    try {
      e = new (mem) Entry(std::move(item));
    } catch (...) {
      arena_.Free(mem, size);
      throw;
    }
    e->hasKey = key.has_value();
    e->keyLen = static_cast<std::uint32_t>(keyLen);
    e->ckeyLen = static_cast<std::uint32_t>(ckeyLen);
    if (keyLen) std::memcpy(e->Bytes(), key->data(), keyLen);
    if (probe) {
      if (ckeyLen) std::memcpy(e->Bytes() + keyLen, probe->ckey.data(), ckeyLen);
      e->prefix = probe->prefix;
    }
    return e;
  }
  Entry* NewEntry(T&& item, std::string_view key, const Probe& probe) {
    return NewEntry(std::move(item), std::optional<std::string_view>(key), &probe);
  }
  void FreeEntry(Entry* e) noexcept {
    const std::size_t size = sizeof(Entry) + e->keyLen + e->ckeyLen;
    e->~Entry();
    arena_.Free(e, size);
  }

  // ---- finding keys ----
  // While every item came in by sorted insertion (or kept the order), keys are found by
  // a descent through the tree and no hash index exists; the first insertion that breaks
  // the order builds the index once. Emptying the collection returns to sorted mode.
  using Spot = typename Tree::Spot;
  void Descend(const Probe& probe, Spot& spot) const {
    tree_.Descend([&probe](std::uint64_t prefix, const Entry* e) { return Compare(prefix, e, probe); }, spot);
  }
  // In sorted mode an equal key can only be the item just before the upper bound, and
  // the descent always ends in the leaf that holds it.
  static bool IsPredecessor(const Spot& spot, const Probe& probe) {
    return spot.idx > 0 && Compare(spot.leaf->pre[spot.idx - 1], spot.leaf->e[spot.idx - 1], probe) == 0;
  }
  Entry* FindByProbe(const Probe& p) const {
    if (!sorted_) return index_.Find(p.hash, p.ckey);
    if (tree_.Size() == 0) return nullptr;
    Spot spot;
    Descend(p, spot);
    return IsPredecessor(spot, p) ? spot.leaf->e[spot.idx - 1] : nullptr;
  }
  Entry* FindKey(std::string_view key) const { return FindByProbe(MakeProbe(key)); }

  // Whether a keyed item at pos keeps the collation order (the key is known absent).
  bool KeepsOrder(std::size_t pos, const Probe& p) const {
    if (pos > 0 && Compare(tree_.At(pos - 1)->prefix, tree_.At(pos - 1), p) > 0) return false;
    if (pos < tree_.Size() && Compare(tree_.At(pos)->prefix, tree_.At(pos), p) < 0) return false;
    return true;
  }
  void SwitchToIndex() {
    try {
      for (Leaf* l = tree_.Head(); l; l = l->next) {
        for (int i = 0; i < l->n; ++i) {
          if (!l->e[i]->hasKey) continue;
          index_.ReserveOneMore();
          index_.Insert(HashOf(l->e[i]->CKey()), l->e[i]);
        }
      }
    } catch (...) {
      index_.Clear();
      throw;
    }
    sorted_ = false;
  }
  Entry* RequireKey(std::string_view key) const {
    Entry* e = FindKey(key);
    if (!e) throw KxError(err::InvalidProcedureCall, "Collection", "Invalid procedure call or argument");
    return e;
  }

  std::size_t CheckPosition(long position) const {
    if (position < 1 || static_cast<std::size_t>(position) > tree_.Size()) {
      throw KxError(err::SubscriptOutOfRange, "Collection", "Subscript out of range");
    }
    return static_cast<std::size_t>(position);
  }

  void InsertNew(std::size_t pos, T&& item, std::optional<std::string_view> key) {
    Entry* e;
    std::uint64_t hash = 0;
    if (key) {
      Probe probe = MakeProbe(*key);
      hash = probe.hash;
      if (FindByProbe(probe) != nullptr) {
        throw KxError(err::KeyAlreadyExists, "Collection",
                      "This key is already associated with an element of this collection");
      }
      if (sorted_ && !KeepsOrder(pos, probe)) SwitchToIndex();
      if (!sorted_) index_.ReserveOneMore();
      e = NewEntry(std::move(item), *key, probe);
    } else {
      if (sorted_) SwitchToIndex();
      e = NewEntry(std::move(item), std::nullopt, nullptr);
    }
    try {
      tree_.Reserve();
    } catch (...) {
      FreeEntry(e);
      throw;
    }
    auto [leaf, idx] = tree_.LocateForInsert(pos);
    tree_.InsertIntoLeaf(leaf, idx, e);
    if (key && !sorted_) index_.Insert(hash, e);
  }

  void RemoveEntry(Entry* e) {
    if (e->hasKey && !sorted_) index_.Erase(HashOf(e->CKey()), e);
    tree_.Erase(e);
    FreeEntry(e);
    if (tree_.Size() == 0 && !sorted_) {
      index_.Clear();
      sorted_ = true;
    }
  }

  void Destroy() {
    // Pooled entries go with the arena's blocks; only their items need destroying.
    tree_.Clear([this](Entry* e) {
      const std::size_t size = sizeof(Entry) + e->keyLen + e->ckeyLen;
      e->~Entry();
      if (!detail::EntryArena::Pooled(size)) arena_.Free(e, size);
    });
    arena_.Release();
    index_.Clear();
    sorted_ = true;
  }
  void Steal(KeyedCollection& o) {
    tree_ = std::move(o.tree_);
    arena_ = std::move(o.arena_);
    index_ = std::move(o.index_);
    sorted_ = o.sorted_;
    o.sorted_ = true;
  }
  void CopyFrom(const KeyedCollection& o) {
    for (Leaf* l = o.tree_.Head(); l; l = l->next) {
      for (int i = 0; i < l->n; ++i) {
        const Entry* e = l->e[i];
        T copy(e->value);
        if (e->hasKey) {
          Add(std::move(copy), e->Key());
        } else {
          Add(std::move(copy));
        }
      }
    }
  }

  Tree tree_;
  detail::EntryArena arena_;
  detail::KeyIndex<Entry> index_;
  bool sorted_ = true;  // see "finding keys"
};

}  // namespace kx
