#pragma once
// Memory for one keyed collection: its entries and its tree nodes are carved from blocks
// that grow with the collection, so building a large collection makes no allocator call
// per item and dropping it frees a handful of blocks instead of a million small chunks.
//
// - BlockChain: bump allocation from a chain of blocks; all of it is freed at once.
//   Blocks double from 1 KiB to 64 KiB; released heap blocks wait in a per-thread cache
//   (SpareBlocks) for the next collection, so building and dropping collections in a
//   loop neither hands the pages back nor faults them in again each time. Past 8 MiB the
//   blocks are 2 MiB, mapped on a 2 MiB boundary and offered to the kernel as huge pages:
//   a million-item collection then takes a few hundred page faults instead of tens of
//   thousands, and its random descents miss the TLB less.
// - EntryArena: entries of any size; a removed entry's memory goes to the free list of
//   its size class and serves the next entry of that class. Entries above kMaxPooled
//   bytes use the general allocator. Memory of removed entries is kept until Release,
//   so it is bounded by the collection's peak.
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace kx::detail {

constexpr std::size_t kArenaAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

class SpareBlocks {
 public:
  static constexpr std::size_t kLimit = 16 * 1024 * 1024;
  static constexpr int kSizes = 7;  // kSmallest << 0 .. kSmallest << 6
  static constexpr std::size_t kSmallest = 1024;

  explicit SpareBlocks(bool* gone) : gone_(gone) {}
  SpareBlocks(const SpareBlocks&) = delete;
  SpareBlocks& operator=(const SpareBlocks&) = delete;
  ~SpareBlocks() {
    *gone_ = true;
    for (Spare*& head : heads_) {
      while (head) {
        Spare* next = head->next;
        ::operator delete(static_cast<void*>(head));
        head = next;
      }
    }
  }

  // nullptr once the thread's cache is destroyed: collections that outlive it (other
  // thread-locals, statics at exit) free their blocks directly.
  static SpareBlocks* OfThisThread() {
    thread_local bool gone = false;  // trivially destructible, so readable to the very end
    if (gone) return nullptr;
    thread_local SpareBlocks spares(&gone);
    return &spares;
  }

  void* Take(std::size_t size) noexcept {
    const int i = IndexOf(size);
    if (i < 0 || !heads_[i]) return nullptr;
    Spare* s = heads_[i];
    heads_[i] = s->next;
    bytes_ -= size;
    return s;
  }
  // False when the block is not kept (the caller frees it).
  bool Keep(void* block, std::size_t size) noexcept {
    const int i = IndexOf(size);
    if (i < 0 || bytes_ + size > kLimit) return false;
    heads_[i] = new (block) Spare{heads_[i]};
    bytes_ += size;
    return true;
  }

 private:
  struct Spare {
    Spare* next;
  };
  static int IndexOf(std::size_t size) {
    for (int i = 0; i < kSizes; ++i) {
      if (size == kSmallest << i) return i;
    }
    return -1;
  }
  bool* gone_;
  Spare* heads_[kSizes] = {};
  std::size_t bytes_ = 0;
};

class BlockChain {
 public:
  BlockChain() noexcept = default;
  BlockChain(BlockChain&& o) noexcept { Steal(o); }
  BlockChain& operator=(BlockChain&& o) noexcept {
    if (this != &o) {
      Release();
      Steal(o);
    }
    return *this;
  }
  BlockChain(const BlockChain&) = delete;
  BlockChain& operator=(const BlockChain&) = delete;
  ~BlockChain() { Release(); }

  // bytes: a multiple of kArenaAlign, at most a few KiB.
  void* Bump(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - cur_) < bytes) NewBlock(bytes);
    void* p = cur_;
    cur_ += bytes;
    return p;
  }

  void Release() noexcept {
    while (blocks_) {
      Block* next = blocks_->next;
      if (blocks_->size == kHugeBlock) {
        ::munmap(blocks_, kHugeBlock);
      } else {
        SpareBlocks* spares = SpareBlocks::OfThisThread();
        if (!spares || !spares->Keep(blocks_, blocks_->size)) ::operator delete(static_cast<void*>(blocks_));
      }
      blocks_ = next;
    }
    cur_ = end_ = nullptr;
    nextBlockSize_ = kFirstBlock;
    total_ = 0;
  }

 private:
  struct alignas(kArenaAlign) Block {
    Block* next;
    std::size_t size;
  };
  static constexpr std::size_t kFirstBlock = 1024;
  static constexpr std::size_t kMaxBlock = 64 * 1024;
  static constexpr std::size_t kHugeBlock = 2 * 1024 * 1024;
  static constexpr std::size_t kHugeFrom = 8 * 1024 * 1024;

  void NewBlock(std::size_t need) {
    void* mem = total_ >= kHugeFrom ? MapHugeBlock() : nullptr;
    std::size_t size = kHugeBlock;
    if (!mem) {
      while (nextBlockSize_ < kMaxBlock && nextBlockSize_ < need + sizeof(Block)) nextBlockSize_ *= 2;
      size = nextBlockSize_;
      SpareBlocks* spares = SpareBlocks::OfThisThread();
      mem = spares ? spares->Take(size) : nullptr;
      if (!mem) mem = ::operator new(size);
      if (nextBlockSize_ < kMaxBlock) nextBlockSize_ *= 2;
    }
    auto* block = static_cast<Block*>(mem);
    block->next = blocks_;
    block->size = size;
    blocks_ = block;
    total_ += size;
    cur_ = reinterpret_cast<char*>(block + 1);
    end_ = reinterpret_cast<char*>(block) + size;
  }

  // A 2 MiB block on a 2 MiB boundary, or nullptr (the caller falls back to the heap).
  static void* MapHugeBlock() noexcept {
    void* raw = ::mmap(nullptr, 2 * kHugeBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugeBlock - 1) & ~(std::uintptr_t{kHugeBlock} - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t tail = start + 2 * kHugeBlock - (aligned + kHugeBlock);
    if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + kHugeBlock), tail);
    void* block = reinterpret_cast<void*>(aligned);
    ::madvise(block, kHugeBlock, MADV_HUGEPAGE);  // only advice: plain pages work as well
    return block;
  }

  void Steal(BlockChain& o) noexcept {
    blocks_ = std::exchange(o.blocks_, nullptr);
    cur_ = std::exchange(o.cur_, nullptr);
    end_ = std::exchange(o.end_, nullptr);
    nextBlockSize_ = std::exchange(o.nextBlockSize_, kFirstBlock);
    total_ = std::exchange(o.total_, 0);
  }

  Block* blocks_ = nullptr;
  char* cur_ = nullptr;
  char* end_ = nullptr;
  std::size_t nextBlockSize_ = kFirstBlock;
  std::size_t total_ = 0;  // bytes in blocks
};

// Free pieces of one size class, threaded through the pieces themselves.
class FreeList {
 public:
  void* Pop() noexcept {
    Slot* s = head_;
    if (s) head_ = s->next;
    return s;
  }
  void Push(void* p) noexcept { head_ = new (p) Slot{head_}; }
  void Reset() noexcept { head_ = nullptr; }
  void Steal(FreeList& o) noexcept { head_ = std::exchange(o.head_, nullptr); }

 private:
  struct Slot {
    Slot* next;
  };
  Slot* head_ = nullptr;
};

class EntryArena {
 public:
  static constexpr std::size_t kMaxPooled = 512;

  EntryArena() noexcept = default;
  EntryArena(EntryArena&& o) noexcept { Steal(o); }
  EntryArena& operator=(EntryArena&& o) noexcept {
    if (this != &o) {
      Release();
      Steal(o);
    }
    return *this;
  }
  EntryArena(const EntryArena&) = delete;
  EntryArena& operator=(const EntryArena&) = delete;
  ~EntryArena() { Release(); }

  static bool Pooled(std::size_t size) { return size <= kMaxPooled; }

  void* Allocate(std::size_t size) {
    if (!Pooled(size)) return ::operator new(size);
    const std::size_t cls = ClassOf(size);
    if (void* p = free_[cls].Pop()) return p;
    return chain_.Bump(cls * kArenaAlign);
  }

  // size must be the size given to Allocate.
  void Free(void* p, std::size_t size) noexcept {
    if (!Pooled(size)) {
      ::operator delete(p);
      return;
    }
    free_[ClassOf(size)].Push(p);
  }

  // Frees every block; pooled entries need no Free before this, big ones do.
  void Release() noexcept {
    chain_.Release();
    for (FreeList& f : free_) f.Reset();
  }

 private:
  static std::size_t ClassOf(std::size_t size) { return (size + kArenaAlign - 1) / kArenaAlign; }

  void Steal(EntryArena& o) noexcept {
    chain_ = std::move(o.chain_);
    for (std::size_t i = 0; i < kClasses; ++i) free_[i].Steal(o.free_[i]);
  }

  static constexpr std::size_t kClasses = kMaxPooled / kArenaAlign + 1;
  BlockChain chain_;
  FreeList free_[kClasses];
};

}  // namespace kx::detail
