#pragma once
// Key test on the system's keyed collection.
#include <string_view>

#include "core/keyed_collection.h"

namespace kx {

// True when the collection holds an item under the key (compared without case). Never throws:
// a key the collection cannot even look up counts as absent.
template <class T>
bool CollectionHasKey(const KeyedCollection<T>& oCollection, std::string_view sKey) noexcept {
  try {
    return oCollection.HasKey(sKey);
  } catch (...) {
    return false;
  }
}

}  // namespace kx
