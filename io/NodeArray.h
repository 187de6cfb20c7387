// A two-index array allocated 0 ... ni by 0 ... nj, as the grid arrays are:
// nodes use 1 ... ni and 1 ... nj, index 0 holds no node. Allocation clears it.
// The second index runs fastest, matching the order of heights in a grid file.
#pragma once

#include <cstddef>
#include <vector>

namespace kessadon {

template <class T>
class NodeArray {
 public:
  NodeArray() = default;
  NodeArray(int ni, int nj)
      : ni_(ni),
        nj_(nj),
        data_(static_cast<std::size_t>(ni + 1) * static_cast<std::size_t>(nj + 1)) {}

  T& operator()(int i, int j) { return data_[Index(i, j)]; }
  const T& operator()(int i, int j) const { return data_[Index(i, j)]; }

  int UpperI() const { return ni_; }  // largest valid first index
  int UpperJ() const { return nj_; }  // largest valid second index
  bool Empty() const { return data_.empty(); }
  void Clear() { *this = NodeArray(); }

  T* Data() { return data_.data(); }
  const T* Data() const { return data_.data(); }
  std::size_t Size() const { return data_.size(); }

  bool operator==(const NodeArray&) const = default;

 private:
  std::size_t Index(int i, int j) const {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(nj_ + 1) +
           static_cast<std::size_t>(j);
  }
  int ni_ = -1;
  int nj_ = -1;
  std::vector<T> data_;
};

}  // namespace kessadon
