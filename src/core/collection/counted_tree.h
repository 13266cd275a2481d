#pragma once
// Counted B+tree of entry pointers for KeyedCollection: positions in O(log n), items kept
// in leaves of up to 64, inner nodes with the item count and the first entry of each
// child. An entry type E provides `std::uint64_t prefix` (the first 8 bytes of its
// collation key, big-endian) and `void* leaf` (owned by the tree: the leaf holding it).
// Leaves and inner nodes keep the prefixes beside the pointers, so an ordered descent
// compares without touching the entries unless two prefixes are equal. Nodes come from
// the tree's own block chain and return to its free lists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "core/collection/block_arena.h"

namespace kx::detail {

template <class E>
class CountedTree {
 public:
  static constexpr int kLeafCap = 64;
  static constexpr int kInnerCap = 64;
  static constexpr int kMaxLevels = 24;

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
    E* e[kLeafCap];
    std::uint64_t pre[kLeafCap];  // prefix of each entry, compared without touching it
  };
  struct Inner : Node {
    Inner() : Node(false) {}
    std::size_t count[kInnerCap];
    Node* child[kInnerCap];
    E* first[kInnerCap];  // first entry of each child's subtree
    std::uint64_t firstPre[kInnerCap];
  };

  struct Spot {
    Leaf* leaf = nullptr;
    int idx = 0;           // position found within the leaf
    std::size_t pos = 0;   // items before the leaf
    int path[kMaxLevels];  // child taken at each inner level, root first
  };

  CountedTree() noexcept = default;
  CountedTree(CountedTree&& o) noexcept { Steal(o); }
  CountedTree& operator=(CountedTree&& o) noexcept {
    if (this != &o) {
      ReleaseAll();
      Steal(o);
    }
    return *this;
  }
  ~CountedTree() { ReleaseAll(); }

  std::size_t Size() const { return size_; }
  Leaf* Head() const { return size_ ? head_ : nullptr; }

  // Upper bound in the order of cmp(prefix, entry) (<= 0: the entry is not after the
  // probe); the nodes on the way down are
  // fetched whole ahead of use, so their cache misses overlap.
  template <class Cmp>
  void Descend(const Cmp& cmp, Spot& spot) const {
    Node* node = root_;
    int depth = 0;
    for (int level = levels_; level > 1; --level) {
      auto* in = static_cast<Inner*>(node);
      int lo = 1, hi = in->n;
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (cmp(in->firstPre[mid], in->first[mid]) <= 0) {
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
      if (cmp(leaf->pre[mid], leaf->e[mid]) <= 0) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    spot.leaf = leaf;
    spot.idx = lo;
  }
  // Every node an insertion may need (one leaf, one inner node per level and a new
  // root) is allocated before anything changes, so a failed allocation leaves the
  // collection as it was. The tree itself is made on first insertion: an empty or
  // moved-from collection owns nothing.
  void Reserve() {
    if (!spareLeaf_) spareLeaf_ = NewNode<Leaf>(freeLeaves_);
    if (!root_) {
      root_ = head_ = TakeSpare(spareLeaf_);
      levels_ = 1;
      spareLeaf_ = NewNode<Leaf>(freeLeaves_);
    }
    if (levels_ >= kMaxLevels) throw std::length_error("KeyedCollection too deep");
    while (spareInners_ < levels_) spareInner_[spareInners_++] = NewNode<Inner>(freeInners_);
  }
  // Takes e out of the tree (the caller frees it).
  void Erase(E* e) {
    auto* leaf = static_cast<Leaf*>(e->leaf);
    int idx = 0;
    while (leaf->e[idx] != e) ++idx;
    std::copy(leaf->e + idx + 1, leaf->e + leaf->n, leaf->e + idx);
    std::copy(leaf->pre + idx + 1, leaf->pre + leaf->n, leaf->pre + idx);
    --leaf->n;
    --size_;
    FixUp(leaf, -1, idx == 0);
    Rebalance(leaf);
  }

  // Frees every node, handing each entry to freeEntry first.
  template <class F>
  void Clear(const F& freeEntry) {
    if (root_) {
      for (Leaf* l = head_; l; l = l->next) {
        for (int i = 0; i < l->n; ++i) freeEntry(l->e[i]);
      }
    }
    ReleaseAll();
  }

 private:
  static std::uint64_t PrefixOfEntry(const E* e) { return e ? e->prefix : 0; }
  static void PrefetchNode(const Node* n, bool leaf) {
    const auto* bytes = reinterpret_cast<const char*>(n);
    const std::size_t size = leaf ? sizeof(Leaf) : sizeof(Inner);
    for (std::size_t off = 0; off < size; off += 64) __builtin_prefetch(bytes + off);
  }
  static E* FirstOf(Node* n) {
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

 public:
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

  E* At(std::size_t pos) const {
    Node* node = root_;
    while (!node->isLeaf) {
      auto* in = static_cast<Inner*>(node);
      int i = 0;
      while (pos >= in->count[i]) pos -= in->count[i++];
      node = in->child[i];
    }
    return static_cast<Leaf*>(node)->e[pos];
  }

  static std::size_t PositionOf(const E* e) {
    const auto* leaf = static_cast<const Leaf*>(e->leaf);
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
  void InsertIntoLeaf(Leaf* leaf, int idx, E* e, const int* path = nullptr) {
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

 private:
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
      freeInners_.Push(root_);
      root_ = only;
      --levels_;
      root_->parent = nullptr;
    }
    if (!root_->isLeaf && root_->n == 0) {  // every leaf went away
      freeInners_.Push(root_);
      root_ = nullptr;
      head_ = nullptr;
      levels_ = 0;
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
      freeLeaves_.Push(l);
    } else {
      freeInners_.Push(c);
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

  // Nodes are trivially destructible: a freed one is simply reused or dropped with
  // the chain.
  template <class N>
  N* NewNode(FreeList& free) {
    static_assert(std::is_trivially_destructible_v<N>);
    void* p = free.Pop();
    if (!p) p = nodes_.Bump((sizeof(N) + kArenaAlign - 1) / kArenaAlign * kArenaAlign);
    return new (p) N();
  }
  template <class N>
  static N* TakeSpare(N*& slot) {
    N* n = slot;
    slot = nullptr;
    *n = N();
    return n;
  }
  void ReleaseAll() noexcept {
    nodes_.Release();
    freeLeaves_.Reset();
    freeInners_.Reset();
    root_ = nullptr;
    head_ = nullptr;
    size_ = 0;
    levels_ = 0;
    spareLeaf_ = nullptr;
    spareInners_ = 0;
  }
  void Steal(CountedTree& o) noexcept {
    nodes_ = std::move(o.nodes_);
    freeLeaves_.Steal(o.freeLeaves_);
    freeInners_.Steal(o.freeInners_);
    root_ = std::exchange(o.root_, nullptr);
    head_ = std::exchange(o.head_, nullptr);
    size_ = std::exchange(o.size_, 0);
    levels_ = std::exchange(o.levels_, 0);
    spareLeaf_ = std::exchange(o.spareLeaf_, nullptr);
    spareInners_ = std::exchange(o.spareInners_, 0);
    std::copy(o.spareInner_, o.spareInner_ + spareInners_, spareInner_);
  }

  BlockChain nodes_;
  FreeList freeLeaves_;
  FreeList freeInners_;
  Node* root_ = nullptr;
  Leaf* head_ = nullptr;
  std::size_t size_ = 0;
  int levels_ = 0;  // 1 for a lone leaf
  Leaf* spareLeaf_ = nullptr;
  Inner* spareInner_[kMaxLevels] = {};
  int spareInners_ = 0;
};

}  // namespace kx::detail
