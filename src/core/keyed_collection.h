#pragma once
// Ordered items, positions from 1, optional unique keys compared without regard to case
// (CompareNoCase / CollationKey). Adding under a present key throws
// KxError(err::KeyAlreadyExists, "Collection", ...); a bad position throws
// KxError(err::SubscriptOutOfRange, ...); an absent key in Item/Remove throws
// KxError(err::InvalidProcedureCall, ...).
//
// Layout: every item lives in its own entry (item, given key and collation key in one
// allocation, so entries never move); a counted B+tree of entry pointers gives positions
// in O(log n). Inner nodes remember the first entry of each child and the first 8 bytes
// of its collation key, leaves the 8 bytes of each entry, so a sorted insertion is one
// descent that rarely leaves the tree. Keys are found by that same descent while the
// items are in key order, and through an open-addressing hash index once they are not.
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

#include "core/error.h"
#include "core/key_index.h"
#include "core/text.h"

namespace kx {

template <class T>
class KeyedCollection {
  static constexpr int kLeafCap = 64;
  static constexpr int kInnerCap = 64;
  static constexpr int kMaxLevels = 24;

  struct Leaf;
  struct Entry {
    T value;
    std::uint64_t prefix = 0;  // first 8 bytes of the collation key, big-endian
    Leaf* leaf = nullptr;
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

  struct Inner;
  struct Node {
    Inner* parent = nullptr;
    int n = 0;
    bool isLeaf;
    explicit Node(bool leaf) : isLeaf(leaf) {}
  };
  struct Leaf : Node {
    Leaf() : Node(true) {}
    Leaf* prev = nullptr;
    Leaf* next = nullptr;
    Entry* e[kLeafCap];
    std::uint64_t pre[kLeafCap];  // prefix of each entry, compared without touching it
  };
  struct Inner : Node {
    Inner() : Node(false) {}
    std::size_t count[kInnerCap];
    Node* child[kInnerCap];
    Entry* first[kInnerCap];  // first entry of each child's subtree
    std::uint64_t firstPre[kInnerCap];
  };

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
    InitEmpty();
    CopyFrom(o);
  }
  KeyedCollection& operator=(const KeyedCollection& o) requires std::copy_constructible<T> {
    if (this != &o) {
      KeyedCollection copy(o);
      *this = std::move(copy);
    }
    return *this;
  }

  long Count() const { return static_cast<long>(size_); }
  bool Empty() const { return size_ == 0; }

  void Add(T item, std::optional<std::string_view> key = std::nullopt) {
    InsertNew(size_, std::move(item), key);
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
    ReserveNodes();
    Spot spot;
    Descend(probe, spot);
    if (sorted_ ? IsPredecessor(spot, probe) : index_.Find(probe.hash, probe.ckey) != nullptr) return 0;
    if (!sorted_) index_.ReserveOneMore();
    Entry* entry = NewEntry(std::move(item), key, probe);
    InsertIntoLeaf(spot.leaf, spot.idx, entry, spot.path);
    if (!sorted_) index_.Insert(probe.hash, entry);
    return static_cast<long>(spot.pos + static_cast<std::size_t>(spot.idx) + 1);
  }

  T& Item(long position) { return EntryAt(CheckPosition(position) - 1)->value; }
  const T& Item(long position) const { return EntryAt(CheckPosition(position) - 1)->value; }
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
    return e ? static_cast<long>(PositionOfEntry(e)) + 1 : 0;
  }
  // The key as it was given; nullopt for an item added without one.
  std::optional<std::string> KeyAt(long position) const {
    const Entry* e = EntryAt(CheckPosition(position) - 1);
    if (!e->hasKey) return std::nullopt;
    return std::string(e->Key());
  }

  void Remove(long position) {
    const std::size_t pos = CheckPosition(position) - 1;
    Entry* e = EntryAt(pos);
    RemoveEntry(e);
  }
  void Remove(std::string_view key) { RemoveEntry(RequireKey(key)); }

  void Clear() {
    Destroy();
    InitEmpty();
  }

  iterator begin() { return size_ ? iterator(head_, 0) : iterator(); }
  iterator end() { return iterator(); }
  const_iterator begin() const { return size_ ? const_iterator(head_, 0) : const_iterator(); }
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

  static Entry* NewEntry(T&& item, std::optional<std::string_view> key, const Probe* probe) {
    const std::size_t keyLen = key ? key->size() : 0;
    const std::size_t ckeyLen = probe ? probe->ckey.size() : 0;
    void* mem = ::operator new(sizeof(Entry) + keyLen + ckeyLen);
    Entry* e;
    try {
      e = new (mem) Entry(std::move(item));
    } catch (...) {
      ::operator delete(mem);
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
  static Entry* NewEntry(T&& item, std::string_view key, const Probe& probe) {
    return NewEntry(std::move(item), std::optional<std::string_view>(key), &probe);
  }
  static void FreeEntry(Entry* e) {
    e->~Entry();
    ::operator delete(static_cast<void*>(e));
  }

  // ---- finding keys ----
  // While every item came in by sorted insertion (or kept the order), keys are found by
  // a descent through the tree and no hash index exists; the first insertion that breaks
  // the order builds the index once. Emptying the collection returns to sorted mode.
  struct Spot {
    Leaf* leaf = nullptr;
    int idx = 0;           // upper bound of the probe within the leaf
    std::size_t pos = 0;   // items before the leaf
    int path[kMaxLevels];  // child taken at each inner level, root first
  };

  // Upper bound of the probe in the collation order; the nodes on the way down are
  // fetched whole ahead of use, so their cache misses overlap.
  void Descend(const Probe& probe, Spot& spot) const {
    Node* node = root_;
    int depth = 0;
    for (int level = levels_; level > 1; --level) {
      auto* in = static_cast<Inner*>(node);
      int lo = 1, hi = in->n;
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (Compare(in->firstPre[mid], in->first[mid], probe) <= 0) {
          lo = mid + 1;
        } else {
          hi = mid;
        }
      }
      node = in->child[lo - 1];
      spot.path[depth++] = lo - 1;
      PrefetchNode(node, level == 2);
      for (int i = 0; i < lo - 1; ++i) spot.pos += in->count[i];
    }
    auto* leaf = static_cast<Leaf*>(node);
    int lo = 0, hi = leaf->n;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (Compare(leaf->pre[mid], leaf->e[mid], probe) <= 0) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    spot.leaf = leaf;
    spot.idx = lo;
  }
  // In sorted mode an equal key can only be the item just before the upper bound, and
  // the descent always ends in the leaf that holds it.
  static bool IsPredecessor(const Spot& spot, const Probe& probe) {
    return spot.idx > 0 && Compare(spot.leaf->pre[spot.idx - 1], spot.leaf->e[spot.idx - 1], probe) == 0;
  }
  Entry* FindByProbe(const Probe& p) const {
    if (!sorted_) return index_.Find(p.hash, p.ckey);
    if (size_ == 0) return nullptr;
    Spot spot;
    Descend(p, spot);
    return IsPredecessor(spot, p) ? spot.leaf->e[spot.idx - 1] : nullptr;
  }
  Entry* FindKey(std::string_view key) const { return FindByProbe(MakeProbe(key)); }

  // Whether a keyed item at pos keeps the collation order (the key is known absent).
  bool KeepsOrder(std::size_t pos, const Probe& p) const {
    if (pos > 0 && Compare(EntryAt(pos - 1)->prefix, EntryAt(pos - 1), p) > 0) return false;
    if (pos < size_ && Compare(EntryAt(pos)->prefix, EntryAt(pos), p) < 0) return false;
    return true;
  }
  void SwitchToIndex() {
    try {
      for (Leaf* l = size_ ? head_ : nullptr; l; l = l->next) {
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
    if (position < 1 || static_cast<std::size_t>(position) > size_) {
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
      ReserveNodes();
    } catch (...) {
      FreeEntry(e);
      throw;
    }
    auto [leaf, idx] = LocateForInsert(pos);
    InsertIntoLeaf(leaf, idx, e);
    if (key && !sorted_) index_.Insert(hash, e);
  }

  // ---- counted B+tree ----
  static void PrefetchNode(const Node* n, bool leaf) {
    const auto* bytes = reinterpret_cast<const char*>(n);
    const std::size_t size = leaf ? sizeof(Leaf) : sizeof(Inner);
    for (std::size_t off = 0; off < size; off += 64) __builtin_prefetch(bytes + off);
  }
  static Entry* FirstOf(Node* n) {
    if (n->isLeaf) {
      auto* l = static_cast<Leaf*>(n);
      return l->n ? l->e[0] : nullptr;
    }
    return static_cast<Inner*>(n)->first[0];
  }
  static std::size_t CountOf(Node* n) {
    if (n->isLeaf) return static_cast<std::size_t>(n->n);
    auto* in = static_cast<Inner*>(n);
    std::size_t s = 0;
    for (int i = 0; i < in->n; ++i) s += in->count[i];
    return s;
  }
  static int ChildIndex(const Inner* p, const Node* c) {
    int i = 0;
    while (p->child[i] != c) ++i;
    return i;
  }

  // Counts change by delta along the path above n; when n's first entry changed, the
  // remembered first entries are refreshed as far up as n is a leftmost child.
  static void FixUp(Node* n, std::ptrdiff_t delta, bool firstChanged, const int* path = nullptr) {
    int depth = 0;
    if (path) {
      for (const Node* a = n->parent; a; a = a->parent) ++depth;
    }
    for (Inner* p = n->parent; p; n = p, p = p->parent) {
      const int i = path ? path[--depth] : ChildIndex(p, n);
      p->count[i] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(p->count[i]) + delta);
      if (firstChanged) {
        p->first[i] = FirstOf(n);
        p->firstPre[i] = PrefixOfEntry(p->first[i]);
        firstChanged = i == 0;
      }
      if (!firstChanged && delta == 0) return;
    }
  }

  std::pair<Leaf*, int> LocateForInsert(std::size_t pos) const {
    Node* node = root_;
    while (!node->isLeaf) {
      auto* in = static_cast<Inner*>(node);
      int i = 0;
      while (i < in->n - 1 && pos > in->count[i]) pos -= in->count[i++];
      node = in->child[i];
    }
    return {static_cast<Leaf*>(node), static_cast<int>(pos)};
  }

  Entry* EntryAt(std::size_t pos) const {
    Node* node = root_;
    while (!node->isLeaf) {
      auto* in = static_cast<Inner*>(node);
      int i = 0;
      while (pos >= in->count[i]) pos -= in->count[i++];
      node = in->child[i];
    }
    return static_cast<Leaf*>(node)->e[pos];
  }

  static std::size_t PositionOfEntry(const Entry* e) {
    const Leaf* leaf = e->leaf;
    std::size_t pos = 0;
    while (leaf->e[pos] != e) ++pos;
    const Node* n = leaf;
    for (const Inner* p = n->parent; p; n = p, p = p->parent) {
      for (int i = 0; p->child[i] != n; ++i) pos += p->count[i];
    }
    return pos;
  }

  // path (root first, parent of the leaf last), when given, saves the search for each
  // child's place on the way back up; a split changes the path, so it is dropped then.
  void InsertIntoLeaf(Leaf* leaf, int idx, Entry* e, const int* path = nullptr) {
    if (leaf->n == kLeafCap) {
      path = nullptr;
      Leaf* right = SplitLeaf(leaf);
      if (idx > leaf->n) {
        idx -= leaf->n;
        leaf = right;
      }
    }
    std::copy_backward(leaf->e + idx, leaf->e + leaf->n, leaf->e + leaf->n + 1);
    std::copy_backward(leaf->pre + idx, leaf->pre + leaf->n, leaf->pre + leaf->n + 1);
    leaf->e[idx] = e;
    leaf->pre[idx] = e->prefix;
    ++leaf->n;
    e->leaf = leaf;
    ++size_;
    FixUp(leaf, 1, idx == 0, path);
  }

  Leaf* SplitLeaf(Leaf* a) {
    auto* b = TakeSpare(spareLeaf_);
    const int half = a->n / 2;
    b->n = a->n - half;
    std::copy(a->e + half, a->e + a->n, b->e);
    std::copy(a->pre + half, a->pre + a->n, b->pre);
    // The moved entries lie anywhere in memory: fetch them all before writing to any.
    for (int i = 0; i < b->n; ++i) __builtin_prefetch(b->e[i], 1);
    for (int i = 0; i < b->n; ++i) b->e[i]->leaf = b;
    a->n = half;
    b->next = a->next;
    b->prev = a;
    if (a->next) a->next->prev = b;
    a->next = b;
    InsertChildAfter(a, b, static_cast<std::size_t>(b->n));
    return b;
  }

  // Puts sibling nn (holding nnCount items taken from `after`) right after `after`.
  void InsertChildAfter(Node* after, Node* nn, std::size_t nnCount) {
    Inner* p = after->parent;
    if (!p) {
      auto* root = TakeSpare(spareInner_[--spareInners_]);
      root->n = 2;
      root->child[0] = after;
      root->child[1] = nn;
      root->count[0] = CountOf(after);
      root->count[1] = nnCount;
      root->first[0] = FirstOf(after);
      root->first[1] = FirstOf(nn);
      root->firstPre[0] = PrefixOfEntry(root->first[0]);
      root->firstPre[1] = PrefixOfEntry(root->first[1]);
      after->parent = nn->parent = root;
      root_ = root;
      ++levels_;
      return;
    }
    if (p->n == kInnerCap) {
      Inner* q = SplitInner(p);
      if (after->parent == q) p = q;
    }
    const int i = ChildIndex(p, after);
    const int n = p->n;
    std::copy_backward(p->child + i + 1, p->child + n, p->child + n + 1);
    std::copy_backward(p->count + i + 1, p->count + n, p->count + n + 1);
    std::copy_backward(p->first + i + 1, p->first + n, p->first + n + 1);
    std::copy_backward(p->firstPre + i + 1, p->firstPre + n, p->firstPre + n + 1);
    p->child[i + 1] = nn;
    p->count[i + 1] = nnCount;
    p->first[i + 1] = FirstOf(nn);
    p->firstPre[i + 1] = PrefixOfEntry(p->first[i + 1]);
    p->count[i] -= nnCount;
    ++p->n;
    nn->parent = p;
  }

  Inner* SplitInner(Inner* a) {
    auto* b = TakeSpare(spareInner_[--spareInners_]);
    const int half = a->n / 2;
    b->n = a->n - half;
    std::copy(a->child + half, a->child + a->n, b->child);
    std::copy(a->count + half, a->count + a->n, b->count);
    std::copy(a->first + half, a->first + a->n, b->first);
    std::copy(a->firstPre + half, a->firstPre + a->n, b->firstPre);
    a->n = half;
    std::size_t moved = 0;
    for (int i = 0; i < b->n; ++i) {
      b->child[i]->parent = b;
      moved += b->count[i];
    }
    InsertChildAfter(a, b, moved);
    return b;
  }

  void RemoveEntry(Entry* e) {
    if (e->hasKey && !sorted_) index_.Erase(HashOf(e->CKey()), e);
    Leaf* leaf = e->leaf;
    int idx = 0;
    while (leaf->e[idx] != e) ++idx;
    std::copy(leaf->e + idx + 1, leaf->e + leaf->n, leaf->e + idx);
    std::copy(leaf->pre + idx + 1, leaf->pre + leaf->n, leaf->pre + idx);
    --leaf->n;
    --size_;
    FixUp(leaf, -1, idx == 0);
    FreeEntry(e);
    Rebalance(leaf);
    if (size_ == 0 && !sorted_) {
      index_.Clear();
      sorted_ = true;
    }
  }

  // After a removal: drop empty nodes, merge small ones into a neighbour, and shorten the
  // tree while its root has one child.
  void Rebalance(Node* node) {
    while (node->parent) {
      Inner* p = node->parent;
      const int cap = node->isLeaf ? kLeafCap : kInnerCap;
      if (node->n == 0) {
        RemoveChild(p, ChildIndex(p, node));
        node = p;
        continue;
      }
      if (node->n >= cap / 4) break;
      const int i = ChildIndex(p, node);
      int left = -1;
      if (i + 1 < p->n && node->n + p->child[i + 1]->n <= cap * 3 / 4) {
        left = i;
      } else if (i > 0 && node->n + p->child[i - 1]->n <= cap * 3 / 4) {
        left = i - 1;
      }
      if (left < 0) break;
      MergeInto(p, left);
      node = p;
    }
    while (!root_->isLeaf && root_->n == 1) {
      Node* only = static_cast<Inner*>(root_)->child[0];
      delete static_cast<Inner*>(root_);
      root_ = only;
      --levels_;
      root_->parent = nullptr;
    }
    if (!root_->isLeaf && root_->n == 0) {  // every leaf went away
      delete static_cast<Inner*>(root_);
      InitEmpty();
    }
  }

  // Removes child i (already empty of items) from p.
  void RemoveChild(Inner* p, int i) {
    Node* c = p->child[i];
    if (c->isLeaf) {
      auto* l = static_cast<Leaf*>(c);
      if (l->prev) l->prev->next = l->next;
      if (l->next) l->next->prev = l->prev;
      if (head_ == l) head_ = l->next;
      delete l;
    } else {
      delete static_cast<Inner*>(c);
    }
    std::copy(p->child + i + 1, p->child + p->n, p->child + i);
    std::copy(p->count + i + 1, p->count + p->n, p->count + i);
    std::copy(p->first + i + 1, p->first + p->n, p->first + i);
    std::copy(p->firstPre + i + 1, p->firstPre + p->n, p->firstPre + i);
    --p->n;
    if (i == 0 && p->n > 0) FixUp(p, 0, true);
  }

  // Moves child left+1 of p into child left and removes it.
  void MergeInto(Inner* p, int left) {
    Node* a = p->child[left];
    Node* b = p->child[left + 1];
    if (a->isLeaf) {
      auto* la = static_cast<Leaf*>(a);
      auto* lb = static_cast<Leaf*>(b);
      std::copy(lb->e, lb->e + lb->n, la->e + la->n);
      std::copy(lb->pre, lb->pre + lb->n, la->pre + la->n);
      for (int k = 0; k < lb->n; ++k) lb->e[k]->leaf = la;
      la->n += lb->n;
      lb->n = 0;
    } else {
      auto* ia = static_cast<Inner*>(a);
      auto* ib = static_cast<Inner*>(b);
      std::copy(ib->child, ib->child + ib->n, ia->child + ia->n);
      std::copy(ib->count, ib->count + ib->n, ia->count + ia->n);
      std::copy(ib->first, ib->first + ib->n, ia->first + ia->n);
      std::copy(ib->firstPre, ib->firstPre + ib->n, ia->firstPre + ia->n);
      for (int k = 0; k < ib->n; ++k) ib->child[k]->parent = ia;
      ia->n += ib->n;
      ib->n = 0;
    }
    p->count[left] += p->count[left + 1];
    p->count[left + 1] = 0;
    RemoveChild(p, left + 1);
  }

  // Every node an insertion may need (one leaf, one inner node per level and a new
  // root) is allocated before anything changes, so a failed allocation leaves the
  // collection as it was. The tree itself is made on first insertion: an empty or
  // moved-from collection owns nothing.
  void ReserveNodes() {
    if (!spareLeaf_) spareLeaf_ = new Leaf;
    if (!root_) {
      root_ = head_ = TakeSpare(spareLeaf_);
      levels_ = 1;
      spareLeaf_ = new Leaf;
    }
    if (levels_ >= kMaxLevels) throw std::length_error("KeyedCollection too deep");
    while (spareInners_ < levels_) spareInner_[spareInners_++] = new Inner;
  }
  template <class N>
  static N* TakeSpare(N*& slot) {
    N* n = slot;
    slot = nullptr;
    *n = N();
    return n;
  }
  void FreeSpares() {
    delete spareLeaf_;
    spareLeaf_ = nullptr;
    while (spareInners_ > 0) delete spareInner_[--spareInners_];
  }

  void InitEmpty() {
    root_ = nullptr;
    head_ = nullptr;
    size_ = 0;
    levels_ = 0;
    index_.Clear();
    sorted_ = true;
  }

  static void FreeNode(Node* n) {
    if (n->isLeaf) {
      auto* l = static_cast<Leaf*>(n);
      for (int i = 0; i < l->n; ++i) FreeEntry(l->e[i]);
      delete l;
    } else {
      auto* in = static_cast<Inner*>(n);
      for (int i = 0; i < in->n; ++i) FreeNode(in->child[i]);
      delete in;
    }
  }
  void Destroy() {
    if (root_) FreeNode(root_);
    InitEmpty();
    FreeSpares();
  }
  void Steal(KeyedCollection& o) {
    root_ = o.root_;
    head_ = o.head_;
    size_ = o.size_;
    levels_ = o.levels_;
    sorted_ = o.sorted_;
    index_ = std::move(o.index_);
    o.InitEmpty();
  }
  void CopyFrom(const KeyedCollection& o) {
    for (Leaf* l = o.size_ ? o.head_ : nullptr; l; l = l->next) {
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

  Node* root_ = nullptr;
  Leaf* head_ = nullptr;
  std::size_t size_ = 0;
  int levels_ = 0;      // 1 for a lone leaf
  bool sorted_ = true;  // see "finding keys"
  detail::KeyIndex<Entry> index_;
  Leaf* spareLeaf_ = nullptr;
  Inner* spareInner_[kMaxLevels] = {};
  int spareInners_ = 0;
};

}  // namespace kx
