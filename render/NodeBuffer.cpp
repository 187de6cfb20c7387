#include "NodeBuffer.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kessadon {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t Rounded(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

// The large buffers given back, newest last, until a picture takes them again.
class KeptBuffers {
 public:
  KeptBuffers() = default;
  KeptBuffers(const KeptBuffers&) = delete;
  KeptBuffers& operator=(const KeptBuffers&) = delete;
  ~KeptBuffers() {
    for (const Buffer& b : buffers_) std::free(b.data);
  }

  void* Take(std::size_t bytes) {
    const std::lock_guard lock(lock_);
    for (auto b = buffers_.rbegin(); b != buffers_.rend(); ++b) {
      if (b->bytes != bytes) continue;
      void* data = b->data;
      total_ -= bytes;
      buffers_.erase(std::next(b).base());
      return data;
    }
    return nullptr;
  }

  void Keep(void* data, std::size_t bytes) {
    const std::lock_guard lock(lock_);
    buffers_.push_back({data, bytes});
    total_ += bytes;
    while (total_ > kKeptNodeBytes) {
      std::free(buffers_.front().data);
      total_ -= buffers_.front().bytes;
      buffers_.erase(buffers_.begin());
    }
  }

 private:
  struct Buffer {
    void* data;
    std::size_t bytes;
  };
  std::mutex lock_;
  std::vector<Buffer> buffers_;
  std::size_t total_ = 0;
};

KeptBuffers kept;

}  // namespace

void* AllocateNodeBytes(std::size_t bytes) {
  if (bytes < kHugePage) {
    void* small = std::malloc(bytes > 0 ? bytes : 1);
    if (!small) throw std::bad_alloc();
    return small;
  }
  const std::size_t rounded = Rounded(bytes);
  if (void* again = kept.Take(rounded)) return again;
  void* big = std::aligned_alloc(kHugePage, rounded);
  if (!big) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(big, rounded, MADV_HUGEPAGE);  // only advice: without it the pages come small
#endif
  return big;
}

void ReleaseNodeBytes(void* data, std::size_t bytes) {
  if (!data) return;
  if (bytes < kHugePage) {
    std::free(data);
    return;
  }
  kept.Keep(data, Rounded(bytes));
}

}  // namespace kessadon
