#pragma once
// Open-addressing hash set of pointers to keyed entries, for KeyedCollection. An entry
// type E provides `hash` (the hash of its collation key) and `CKey()` (the key bytes).
// Linear probing, load at most one half, backward-shift deletion (no tombstones).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace kx::detail {

template <class E>
class KeyIndex {
 public:
  KeyIndex() = default;
  KeyIndex(KeyIndex&& o) noexcept : slots_(std::move(o.slots_)), cap_(o.cap_), used_(o.used_) {
    o.cap_ = o.used_ = 0;
  }
  KeyIndex& operator=(KeyIndex&& o) noexcept {
    slots_ = std::move(o.slots_);
    cap_ = o.cap_;
    used_ = o.used_;
    o.cap_ = o.used_ = 0;
    return *this;
  }

  E* Find(std::uint64_t hash, std::string_view ckey) const {
    if (cap_ == 0) return nullptr;
    for (std::size_t i = Home(hash);; i = Next(i)) {
      E* e = slots_[i];
      if (!e) return nullptr;
      if (e->hash == hash && e->CKey() == ckey) return e;
    }
  }

  // Makes room for one more entry, so the Insert that follows cannot fail.
  void ReserveOneMore() {
    const std::size_t want = used_ + 1;
    if (want * 2 <= cap_) return;
    std::size_t cap = cap_ ? cap_ * 2 : 16;
    while (want * 2 > cap) cap *= 2;
    auto fresh = std::make_unique<E*[]>(cap);
    std::unique_ptr<E*[]> old = std::move(slots_);
    const std::size_t oldCap = cap_;
    slots_ = std::move(fresh);
    cap_ = cap;
    for (std::size_t i = 0; i < oldCap; ++i) {
      if (old[i]) Place(old[i]);
    }
  }

  void Insert(E* e) {
    Place(e);
    ++used_;
  }

  void Erase(const E* e) {
    std::size_t hole = Home(e->hash);
    while (slots_[hole] != e) hole = Next(hole);
    for (std::size_t j = Next(hole); slots_[j]; j = Next(j)) {
      const std::size_t home = Home(slots_[j]->hash);
      // j may move back into the hole unless its home lies cyclically in (hole, j].
      const bool stays = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
      if (!stays) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = nullptr;
    --used_;
  }

  void Clear() {
    slots_.reset();
    cap_ = used_ = 0;
  }

 private:
  std::size_t Home(std::uint64_t hash) const { return static_cast<std::size_t>(hash) & (cap_ - 1); }
  std::size_t Next(std::size_t i) const { return (i + 1) & (cap_ - 1); }
  void Place(E* e) {
    std::size_t i = Home(e->hash);
    while (slots_[i]) i = Next(i);
    slots_[i] = e;
  }

  std::unique_ptr<E*[]> slots_;
  std::size_t cap_ = 0;
  std::size_t used_ = 0;
};

}  // namespace kx::detail
