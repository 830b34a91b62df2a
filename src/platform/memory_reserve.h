// Memory set aside at start for the moment memory runs out: the first
// allocation that fails releases the reserve and throws std::bad_alloc, so
// that unwinding (destructors close documents) and the report of the
// failure still find memory to work with.
#pragma once

#include <cstddef>

namespace platform {

class MemoryReserve {
 public:
  explicit MemoryReserve(std::size_t bytes);
  ~MemoryReserve();
  MemoryReserve(const MemoryReserve&) = delete;
  MemoryReserve& operator=(const MemoryReserve&) = delete;

  // Whether an allocation failed since the reserve was made.
  static bool exhausted();
};

}  // namespace platform
