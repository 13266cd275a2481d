#pragma once
// Open-addressing hash set of pointers to keyed entries, for KeyedCollection. An entry
// type E provides `CKey()` (its collation key bytes); each slot keeps the key's hash
// beside the pointer, so probing past other keys does not touch their entries.
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
      const Slot& s = slots_[i];
      if (!s.e) return nullptr;
      if (s.hash == hash && s.e->CKey() == ckey) return s.e;
    }
  }

  void Prefetch(std::uint64_t hash) const {
    if (cap_ != 0) __builtin_prefetch(&slots_[Home(hash)]);
  }

  // Makes room for one more entry, so the Insert that follows cannot fail.
  void ReserveOneMore() {
    const std::size_t want = used_ + 1;
    if (want * 2 <= cap_) return;
    std::size_t cap = cap_ ? cap_ * 2 : 16;
    while (want * 2 > cap) cap *= 2;
    auto fresh = std::make_unique<Slot[]>(cap);
    std::unique_ptr<Slot[]> old = std::move(slots_);
    const std::size_t oldCap = cap_;
    slots_ = std::move(fresh);
    cap_ = cap;
    for (std::size_t i = 0; i < oldCap; ++i) {
      if (old[i].e) Place(old[i]);
    }
  }

  void Insert(std::uint64_t hash, E* e) {
    Place(Slot{hash, e});
    ++used_;
  }

  void Erase(std::uint64_t hash, const E* e) {
    std::size_t hole = Home(hash);
    while (slots_[hole].e != e) hole = Next(hole);
    for (std::size_t j = Next(hole); slots_[j].e; j = Next(j)) {
      const std::size_t home = Home(slots_[j].hash);
      // j may move back into the hole unless its home lies cyclically in (hole, j].
      const bool stays = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
      if (!stays) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = Slot{};
    --used_;
  }

  void Clear() {
    slots_.reset();
    cap_ = used_ = 0;
  }

 private:
  std::size_t Home(std::uint64_t hash) const { return static_cast<std::size_t>(hash) & (cap_ - 1); }
  std::size_t Next(std::size_t i) const { return (i + 1) & (cap_ - 1); }
  struct Slot {
    std::uint64_t hash = 0;
    E* e = nullptr;
  };
  void Place(const Slot& s) {
    std::size_t i = Home(s.hash);
    while (slots_[i].e) i = Next(i);
    slots_[i] = s;
  }

  std::unique_ptr<Slot[]> slots_;
  std::size_t cap_ = 0;
  std::size_t used_ = 0;
};

}  // namespace kx::detail
