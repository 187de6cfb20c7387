// Large arrays of plain values, one element per node of a picture's grid,
// left unset: clearing them would cost a grid of millions of nodes longer
// than drawing it. The caller writes every element it reads.
//
// Memory fresh from the system costs a page fault for every page touched
// first, which on a virtual machine takes longer than drawing a node; so a
// large buffer asks for huge pages (Linux), and the large buffers of one
// picture are kept for the next, up to kKeptNodeBytes in all.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace kessadon {

inline constexpr std::size_t kKeptNodeBytes = std::size_t{1} << 30;

// Uninitialised bytes, and their return.
void* AllocateNodeBytes(std::size_t bytes);
void ReleaseNodeBytes(void* data, std::size_t bytes);

// T is a plain aggregate: its objects come into being with the storage.
template <class T>
class NodeBuffer {
  static_assert(std::is_aggregate_v<T> || std::is_scalar_v<T>);
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  NodeBuffer() = default;
  explicit NodeBuffer(std::size_t count)
      : data_(static_cast<T*>(AllocateNodeBytes(count * sizeof(T))), Release{count * sizeof(T)}),
        size_(count) {}

  T& operator[](std::size_t k) { return data_.get()[k]; }
  const T& operator[](std::size_t k) const { return data_.get()[k]; }
  T* Data() { return data_.get(); }
  std::size_t Size() const { return size_; }

 private:
  struct Release {
    std::size_t bytes = 0;
    void operator()(T* p) const { ReleaseNodeBytes(p, bytes); }
  };
  std::unique_ptr<T, Release> data_;
  std::size_t size_ = 0;
};

}  // namespace kessadon
