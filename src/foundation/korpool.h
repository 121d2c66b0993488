#pragma once

#include <cstddef>
#include <new>

// Small-block allocation for the objects a loaded document holds by the
// million: XML nodes, their child lists and the lists' links.
//
// Blocks of one size are carved one after another from chunks, so a tree
// built in document order lies in memory in that order, and a walk over it
// (writing, binding, reading every field) reads memory sequentially instead
// of missing the cache at every node. A chunk whose blocks are all free
// again starts over from its start, so this holds for the next document
// too. Memory is kept for reuse, not handed back to the system. Each thread
// allocates from its own chunks without locking: a block must be freed on
// the thread that took it. Under the address sanitizer every block comes
// from the global allocator, so use after free is still caught.
void* KorPoolAllocate(std::size_t bytes);
void KorPoolFree(void* block, std::size_t bytes) noexcept;
// Hands the pages of this thread's wholly free chunks back to the system
// (they stay mapped and are reused as before). For a program that frees a
// large tree while other memory grows, so that its resident set follows what
// is live rather than its high-water mark.
void KorPoolTrim();
// Whether blocks really come from the pool (false under the sanitizer).
bool KorPoolActive();

// Class-level operators for a class whose objects should come from the pool.
// The class needs a virtual destructor when derived objects are deleted
// through it, so that the delete sees the full size, and must not need an
// alignment above 8 bytes.
#define KOR_POOLED_CLASS                                                                   \
  static void* operator new(std::size_t bytes) { return KorPoolAllocate(bytes); }        \
  static void operator delete(void* block, std::size_t bytes) noexcept {                 \
    KorPoolFree(block, bytes);                                                            \
  }

// Standard allocator on top of the pool, for the nodes of standard containers.
template <class T>
class KorPoolAllocator {
 public:
  static_assert(alignof(T) <= 8, "pooled blocks are aligned to 8 bytes");
  using value_type = T;
  KorPoolAllocator() noexcept = default;
  template <class U>
  KorPoolAllocator(const KorPoolAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(KorPoolAllocate(n * sizeof(T))); }
  void deallocate(T* block, std::size_t n) noexcept { KorPoolFree(block, n * sizeof(T)); }
  template <class U>
  bool operator==(const KorPoolAllocator<U>&) const noexcept {
    return true;
  }
};
