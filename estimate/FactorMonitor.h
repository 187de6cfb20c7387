// Progress and a stop inside CHOLMOD's supernodal factorisation and solve,
// which have no hook for either. Their work is done by dense kernels that
// CHOLMOD calls by their Fortran names (dsyrk_, dgemm_, dpotrf_ and dtrsm_ to
// factor, dtrsv_ and dgemv_ to solve). This program defines those names
// itself, so that the dynamic linker binds CHOLMOD's calls here, and forwards
// each call to the next definition, the system's BLAS and LAPACK. While a
// monitor lives on a thread, the calls made on that thread are counted
// against the work the analysis foresees and the progress is asked from time
// to time; once it says stop, the kernels return at once and dpotrf_ reports
// a failed first pivot, on which CHOLMOD gives the factorisation up. Calls on
// other threads, and calls while no monitor lives, are forwarded untouched.
//
// A share estimated from the analysis's operation count and the time gone
// by could be shown, but could not stop a factorisation that takes seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

#include "Progress.h"

namespace kessadon {

// The supernodes of a symbolic factor in CHOLMOD's layout: supernode s holds
// columns first[s] ... first[s+1]-1 and rows rows[rowStart[s]] ...
// rows[rowStart[s+1]-1], ascending, its own columns first.
struct SupernodeLayout {
  std::int64_t count = 0;
  const int* first = nullptr;     // count + 1
  const int* rowStart = nullptr;  // count + 1
  const int* rows = nullptr;
};

// The work a factorisation with this layout and a solve with one right-hand
// side do in the kernels, in the units the monitor counts.
double KernelWork(const SupernodeLayout& layout);
// The work of Touch on `count` values.
double TouchWork(std::size_t count);

class FactorMonitor {
 public:
  // Watches the kernels' calls on this thread while it lives; `work` is
  // KernelWork's, which progress is told a share of.
  FactorMonitor(double work, const SolveProgress& progress);
  ~FactorMonitor();
  FactorMonitor(const FactorMonitor&) = delete;
  FactorMonitor& operator=(const FactorMonitor&) = delete;

  // When a pivot fails, CHOLMOD clears the rest of the factor, which on a
  // first factorisation means seconds of page faults on memory nothing has
  // touched yet. So while it stops it is told that the factor holds no
  // values, by the count of them given here; the monitor's end restores it.
  void HideValuesOnStop(std::size_t* valueCount) { valueCount_ = valueCount; }

  // The progress said stop, or threw, which Rethrow passes on.
  bool Stopped() const { return stopped_; }
  void Rethrow() const {
    if (error_) std::rethrow_exception(error_);
  }

  // For the kernels: the monitor of this thread, or null.
  static FactorMonitor* Current();
  // Counts a finished call's work; asks the progress now and then.
  void Done(double work);
  // Asks the progress if its time has come, for work outside the kernels.
  void Poll();
  // Writes a zero to each page of fresh memory, so that the system maps it
  // in here, asking the progress between, and not in CHOLMOD, which clears
  // a large supernode of tens of megabytes in one go.
  void Touch(double* values, std::size_t count);
  // dpotrf_ fails a pivot so that CHOLMOD stops.
  void HideValues();

 private:
  ProgressCheck check_;
  double total_;
  double done_ = 0, unseen_ = 0;
  bool stopped_ = false;
  std::exception_ptr error_;
  std::size_t* valueCount_ = nullptr;
  std::size_t hiddenCount_ = 0;
  bool hiding_ = false;
  FactorMonitor* outer_;
};

}  // namespace kessadon
