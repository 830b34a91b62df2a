#include "platform/memory_reserve.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace platform {
namespace {

std::atomic<void*> reserve{nullptr};
std::atomic<bool> ranOut{false};

void releaseAndThrow() {
  ranOut = true;
  std::free(reserve.exchange(nullptr));
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

}  // namespace

MemoryReserve::MemoryReserve(std::size_t bytes) {
  void* block = std::malloc(bytes);
  // Touched, so that the pages are really there to give back.
  if (block) std::memset(block, 0, bytes);
  std::free(reserve.exchange(block));
  ranOut = false;
  std::set_new_handler(releaseAndThrow);
}

MemoryReserve::~MemoryReserve() {
  std::set_new_handler(nullptr);
  std::free(reserve.exchange(nullptr));
}

bool MemoryReserve::exhausted() { return ranOut; }

}  // namespace platform
