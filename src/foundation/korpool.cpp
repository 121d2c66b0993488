#include "foundation/korpool.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define KOR_POOL_PASS_THROUGH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOR_POOL_PASS_THROUGH 1
#endif
#endif

#ifdef KOR_POOL_PASS_THROUGH

void* KorPoolAllocate(std::size_t bytes) { return ::operator new(bytes); }
void KorPoolTrim() {}
void KorPoolFree(void* block, std::size_t) noexcept { ::operator delete(block); }
bool KorPoolActive() { return false; }

#else

// Layout: memory is mapped in slabs, cut into chunks aligned to their size,
// so the chunk of a block is found by masking its address. A chunk serves
// one block size. It hands out blocks first from its start onwards, later
// from the blocks freed in it; a chunk whose blocks are all free again starts
// over from its start, and may then serve another size. So a tree built in
// document order lies in memory in that order whether its chunks are new or
// held a freed tree before, and a walk over it reads memory sequentially.
namespace {

// Blocks are aligned to 8 bytes, enough for every class that comes from the
// pool (none holds anything aligned wider than a pointer or a double); a
// finer step than malloc's 16 saves 8 bytes on many of a tree's objects.
constexpr std::size_t kGranule = 8;
constexpr std::size_t kLargestPooled = 512;
constexpr std::size_t kClasses = kLargestPooled / kGranule;
constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
constexpr std::size_t kChunksPerSlab = 32;
constexpr std::size_t kHeaderBytes = 64;

constexpr std::size_t ClassOf(std::size_t bytes) { return (bytes + kGranule - 1) / kGranule - 1; }
constexpr std::size_t SizeOf(std::size_t cls) { return (cls + 1) * kGranule; }

struct FreeBlock {
  FreeBlock* next;
};

struct Chunk {
  FreeBlock* free;  // blocks freed in this chunk
  char* next;       // first block never handed out
  char* end;
  Chunk* prev;  // links of the class's list of chunks with free blocks,
  Chunk* after;  // or of the list of empty chunks
  uint32_t live;
  uint16_t cls;
  bool current;  // the chunk its class allocates from
  bool listed;   // on its class's list of chunks with free blocks
  bool trimmed;  // free, and its pages after the header handed back

  void Reset(std::size_t blockClass) {
    free = nullptr;
    next = reinterpret_cast<char*>(this) + kHeaderBytes;
    end = reinterpret_cast<char*>(this) + kChunkBytes;
    prev = after = nullptr;
    live = 0;
    cls = static_cast<uint16_t>(blockClass);
    current = false;
    listed = false;
    trimmed = false;
  }
};
static_assert(sizeof(Chunk) <= kHeaderBytes);

Chunk* ChunkOf(void* block) {
  return reinterpret_cast<Chunk*>(reinterpret_cast<std::uintptr_t>(block) &
                                  ~static_cast<std::uintptr_t>(kChunkBytes - 1));
}

// Each thread allocates from its own chunks without locking; a block must be
// freed on the thread that took it (document trees never cross threads).
struct ThreadPool {
  Chunk* current[kClasses] = {};
  Chunk* withFree[kClasses] = {};
  Chunk* empty = nullptr;

  void Link(Chunk* chunk) {
    Chunk*& head = withFree[chunk->cls];
    chunk->prev = nullptr;
    chunk->after = head;
    if (head != nullptr) head->prev = chunk;
    head = chunk;
    chunk->listed = true;
  }
  void Unlink(Chunk* chunk) {
    if (chunk->prev != nullptr) {
      chunk->prev->after = chunk->after;
    } else {
      withFree[chunk->cls] = chunk->after;
    }
    if (chunk->after != nullptr) chunk->after->prev = chunk->prev;
    chunk->prev = chunk->after = nullptr;
    chunk->listed = false;
  }
  void GiveBack(Chunk* chunk) {
    chunk->after = empty;
    empty = chunk;
  }
  Chunk* MapSlab() {
    // Over-map by one chunk and trim, so the chunks are aligned to their size.
    const std::size_t bytes = kChunkBytes * (kChunksPerSlab + 1);
    void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kChunkBytes - 1) & ~(kChunkBytes - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t tail = aligned + kChunkBytes * kChunksPerSlab;
    if (tail < start + bytes) munmap(reinterpret_cast<void*>(tail), start + bytes - tail);
    for (std::size_t i = kChunksPerSlab; i-- > 1;) {
      GiveBack(reinterpret_cast<Chunk*>(aligned + i * kChunkBytes));
    }
    return reinterpret_cast<Chunk*>(aligned);
  }
  // A chunk to allocate blocks of class cls from: one of the class's chunks
  // with free blocks, else an empty chunk, else a new one.
  Chunk* Take(std::size_t cls) {
    Chunk* chunk = withFree[cls];
    if (chunk != nullptr) {
      Unlink(chunk);
    } else {
      chunk = empty;
      if (chunk != nullptr) {
        empty = chunk->after;
      } else {
        chunk = MapSlab();
      }
      chunk->Reset(cls);
    }
    chunk->current = true;
    current[cls] = chunk;
    return chunk;
  }
};

thread_local ThreadPool t_pool;

}  // namespace

void* KorPoolAllocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes > kLargestPooled) return ::operator new(bytes);
  const std::size_t cls = ClassOf(bytes);
  const std::size_t size = SizeOf(cls);
  ThreadPool& pool = t_pool;
  Chunk* chunk = pool.current[cls];
  for (;;) {
    if (chunk != nullptr) {
      if (static_cast<std::size_t>(chunk->end - chunk->next) >= size) {
        void* block = chunk->next;
        chunk->next += size;
        ++chunk->live;
        return block;
      }
      if (FreeBlock* block = chunk->free) {
        chunk->free = block->next;
        ++chunk->live;
        return block;
      }
      // Full: it is listed again when one of its blocks is freed.
      chunk->current = false;
    }
    chunk = pool.Take(cls);
  }
}

void KorPoolFree(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes == 0) bytes = 1;
  if (bytes > kLargestPooled) {
    ::operator delete(block);
    return;
  }
  ThreadPool& pool = t_pool;
  Chunk* chunk = ChunkOf(block);
  --chunk->live;
  if (chunk->live == 0) {
    // All free: start over from the chunk's start, in order.
    if (chunk->current) {
      chunk->Reset(chunk->cls);
      chunk->current = true;
      return;
    }
    if (chunk->listed) pool.Unlink(chunk);
    pool.GiveBack(chunk);
    return;
  }
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = chunk->free;
  chunk->free = freed;
  if (!chunk->current && !chunk->listed) pool.Link(chunk);
}

void KorPoolTrim() {
  // The header stays: it links the empty chunks. The rest reads as zeros
  // until the chunk serves blocks again, and only then takes memory.
  static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  for (Chunk* chunk = t_pool.empty; chunk != nullptr; chunk = chunk->after) {
    if (chunk->trimmed) continue;
    madvise(reinterpret_cast<char*>(chunk) + page, kChunkBytes - page, MADV_DONTNEED);
    chunk->trimmed = true;
  }
}

bool KorPoolActive() { return true; }

#endif
