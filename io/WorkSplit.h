// Splitting the per-node loops and the pictures over the machine's cores.
// The work runs on std::threads, the calling thread among them; every part
// writes its own slice of the results, so what comes out never depends on the
// number of threads.
#pragma once

#include <cstdint>
#include <functional>

namespace kessadon {

// How many threads the work may use: 0 (the default) means one per core of
// the machine, 1 keeps everything on the calling thread.
void SetRenderThreads(int count);
// The count in effect, at least 1.
int RenderThreads();
// Whether the count was set rather than taken from the machine: work then
// splits at smaller sizes, where a chosen count is asked to be used.
bool RenderThreadsChosen();

// Calls work(part) for every part 0 ... parts - 1 on up to RenderThreads()
// threads, each taking the next part as it becomes free, and returns when all
// are done. The work must not throw.
void RunParts(int parts, const std::function<void(int)>& work);

// Clears the upper halves of the processor's vector registers. The C
// library's and Qt's wide fills and copies leave them in use, and until they
// are cleared the code after them, built for plain SSE, runs at half speed on
// some processors (measured on AMD EPYC). RunParts and SplitRange clear them
// for every part; a long loop outside them clears them first.
void ClearUpperVectorState();

// Below this many nodes a loop stays on one thread: starting one costs about
// as much as a few thousand nodes of work. A chosen thread count is used
// from kChosenParallelNodes on.
inline constexpr std::int64_t kParallelNodes = 1 << 16;
inline constexpr std::int64_t kChosenParallelNodes = 1 << 10;

// Calls work(from, to) on consecutive pieces of first ... end - 1 that
// together cover it once, one piece per thread when the loop is worth it:
// `nodesEach` nodes per index, kParallelNodes in all.
void SplitRange(int first, int end, std::int64_t nodesEach,
                const std::function<void(int, int)>& work);

}  // namespace kessadon
