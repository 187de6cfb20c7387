#include "WorkSplit.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace kessadon {
namespace {

std::atomic<int> threadSetting{0};

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx"))) void ZeroUpper() { _mm256_zeroupper(); }
#endif

}  // namespace

void ClearUpperVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) ZeroUpper();
#endif
}

void SetRenderThreads(int count) { threadSetting = std::max(count, 0); }

bool RenderThreadsChosen() { return threadSetting > 0; }

int RenderThreads() {
  const int set = threadSetting;
  if (set > 0) return set;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunParts(int parts, const std::function<void(int)>& work) {
  const int threads = std::min(RenderThreads(), parts);
  std::atomic<int> next{0};
  auto take = [&] {
    for (int part = next++; part < parts; part = next++) {
      ClearUpperVectorState();
      work(part);
    }
  };
  if (threads <= 1) {
    take();
    return;
  }
  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<std::size_t>(threads - 1));
  for (int t = 1; t < threads; ++t) helpers.emplace_back(take);
  take();
  for (std::thread& helper : helpers) helper.join();
}

void SplitRange(int first, int end, std::int64_t nodesEach,
                const std::function<void(int, int)>& work) {
  const std::int64_t count = std::max(end - first, 0);
  const int threads = RenderThreads();
  const std::int64_t least = RenderThreadsChosen() ? kChosenParallelNodes : kParallelNodes;
  if (threads <= 1 || count < 2 || count * nodesEach < least) {
    ClearUpperVectorState();
    if (count > 0) work(first, end);
    return;
  }
  const int parts = static_cast<int>(std::min<std::int64_t>(threads, count));
  RunParts(parts, [&](int part) {
    work(first + static_cast<int>(count * part / parts),
         first + static_cast<int>(count * (part + 1) / parts));
  });
}

}  // namespace kessadon
