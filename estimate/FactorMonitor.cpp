#include "FactorMonitor.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Blas.h"

namespace kessadon {
namespace {

thread_local FactorMonitor* tMonitor = nullptr;

// The work of each kernel call, in units of a multiply-add of a large
// product, with weights measured on two cores with OpenBLAS, so that the
// share of work done follows the share of time: an entry of an update that
// CHOLMOD then adds into a supernode costs 170, an entry of a supernode
// cleared and filled before its factorisation 40, a value read by a solve
// 11, and each call 60,000 for CHOLMOD's own work around it (dtrsm_ 400,000
// more for starting its threads; a call of a solve 10,000).
constexpr double kCallWork = 60'000;
constexpr double kUpdateEntryWork = 170;
constexpr double kFillEntryWork = 40;
constexpr double kSolveEntryWork = 11;
constexpr double kSolveCallWork = 10'000;
constexpr double kTrsmCallWork = 400'000;
constexpr double kTrsmEntryWork = 35;

// n x n of C = A A^T (its lower triangle) with A n x k.
double SyrkWork(double n, double k) { return kCallWork + (k + kUpdateEntryWork) * n * (n + 1) / 2; }
// m x n of C = A B^T with k columns.
double GemmWork(double m, double n, double k) { return kCallWork + (k + kUpdateEntryWork) * m * n; }
// An n x n diagonal block of a supernode of `rows` rows.
double PotrfWork(double n, double rows) {
  return kCallWork + n * n * n / 6 + kFillEntryWork * n * rows;
}
// An m x n block solved against an n x n triangle.
double TrsmWork(double m, double n) {
  return kCallWork + kTrsmCallWork + ((n + 1) / 2 + kTrsmEntryWork) * m * n;
}
double TrsvWork(double n) { return kSolveCallWork + kSolveEntryWork * n * (n + 1) / 2; }
double GemvWork(double m, double n) { return kSolveCallWork + kSolveEntryWork * m * n; }

// A value of fresh memory first written, its part of a page fault: page
// faults took a third of a first factorisation's time.
constexpr double kTouchWork = 500;

// The progress is asked once a little work has been done, not on each of
// the many tiny calls: about a tenth of a millisecond's.
constexpr double kWorkPerAsk = 2.5e6;

// The definition of a kernel that this file's own stands in front of.
template <class F>
F Next(const char* name) {
  void* f = dlsym(RTLD_NEXT, name);
  if (f == nullptr) {
    std::fprintf(stderr, "kessadon: %s not found in the BLAS or LAPACK library\n", name);
    std::abort();
  }
  return reinterpret_cast<F>(f);
}

}  // namespace

double KernelWork(const SupernodeLayout& layout) {
  const std::int64_t count = layout.count;
  if (count == 0) return 0;
  std::vector<std::int64_t> owner(static_cast<std::size_t>(layout.first[count]));
  for (std::int64_t s = 0; s < count; ++s) {
    for (int c = layout.first[s]; c < layout.first[s + 1]; ++c) owner[c] = s;
  }
  // As CHOLMOD's supernodal factorisation calls the kernels: supernode d
  // factors its diagonal block and solves for the rows below it, and
  // updates each later supernode its rows reach, with the rows in that
  // supernode's columns (a symmetric product) and those after (a general one).
  double work = 0;
  for (std::int64_t d = 0; d < count; ++d) {
    const int* rows = layout.rows + layout.rowStart[d];
    const std::int64_t nRows = layout.rowStart[d + 1] - layout.rowStart[d];
    const std::int64_t nCols = layout.first[d + 1] - layout.first[d];
    work += PotrfWork(nCols, nRows);
    if (nRows > nCols) work += TrsmWork(nRows - nCols, nCols);
    // Its part of the forward and of the backward solve.
    work += 2 * (TrsvWork(nCols) + GemvWork(nRows - nCols, nCols));
    for (std::int64_t p = nCols; p < nRows;) {
      const int end = layout.first[owner[rows[p]] + 1];
      std::int64_t q = p;
      while (q < nRows && rows[q] < end) ++q;
      work += SyrkWork(q - p, nCols);
      if (nRows > q) work += GemmWork(nRows - q, q - p, nCols);
      p = q;
    }
  }
  return work;
}

double TouchWork(std::size_t count) { return kTouchWork * static_cast<double>(count); }

FactorMonitor::FactorMonitor(double work, const SolveProgress& progress)
    : check_(progress), total_(work), outer_(tMonitor) {
  tMonitor = this;
}

FactorMonitor::~FactorMonitor() {
  if (hiding_) *valueCount_ = hiddenCount_;
  tMonitor = outer_;
}

void FactorMonitor::Touch(double* values, std::size_t count) {
  constexpr std::size_t kPage = 4096 / sizeof(double), kChunk = 256 * kPage;
  for (std::size_t start = 0; start < count && !stopped_; start += kChunk) {
    const std::size_t end = std::min(count, start + kChunk);
    for (std::size_t k = start; k < end; k += kPage) values[k] = 0;
    Done(TouchWork(end - start));
  }
}

void FactorMonitor::HideValues() {
  if (valueCount_ == nullptr || hiding_) return;
  hiddenCount_ = *valueCount_;
  *valueCount_ = 0;
  hiding_ = true;
}

FactorMonitor* FactorMonitor::Current() { return tMonitor; }

void FactorMonitor::Done(double work) {
  done_ += work;
  unseen_ += work;
  if (unseen_ >= kWorkPerAsk) Poll();
}

void FactorMonitor::Poll() {
  unseen_ = 0;
  // Nothing may be thrown through CHOLMOD's C frames.
  try {
    stopped_ = !check_(total_ > 0 ? done_ / total_ : 0);
  } catch (...) {
    error_ = std::current_exception();
    stopped_ = true;
  }
}

}  // namespace kessadon

// The kernels as Blas.h declares them, defined here so that the linker takes
// these in place of the library's own. Real matrices only; CHOLMOD's complex
// ones never arise here.
using kessadon::FactorMonitor;

extern "C" {

void dsyrk_(const char* uplo, const char* trans, const int* n, const int* k, const double* alpha,
            const double* a, const int* lda, const double* beta, double* c, const int* ldc) {
  static const auto next = kessadon::Next<decltype(&dsyrk_)>("dsyrk_");
  FactorMonitor* monitor = FactorMonitor::Current();
  if (monitor == nullptr) return next(uplo, trans, n, k, alpha, a, lda, beta, c, ldc);
  if (monitor->Stopped()) return;
  next(uplo, trans, n, k, alpha, a, lda, beta, c, ldc);
  monitor->Done(kessadon::SyrkWork(*n, *k));
}

void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const double* alpha, const double* a, const int* lda, const double* b, const int* ldb,
            const double* beta, double* c, const int* ldc) {
  static const auto next = kessadon::Next<decltype(&dgemm_)>("dgemm_");
  FactorMonitor* monitor = FactorMonitor::Current();
  if (monitor == nullptr) return next(transa, transb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
  if (monitor->Stopped()) return;
  next(transa, transb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
  monitor->Done(kessadon::GemmWork(*m, *n, *k));
}

void dpotrf_(const char* uplo, const int* n, double* a, const int* lda, int* info) {
  static const auto next = kessadon::Next<decltype(&dpotrf_)>("dpotrf_");
  FactorMonitor* monitor = FactorMonitor::Current();
  if (monitor == nullptr) return next(uplo, n, a, lda, info);
  if (monitor->Stopped()) {
    monitor->HideValues();
    *info = 1;
    return;
  }
  next(uplo, n, a, lda, info);
  monitor->Done(kessadon::PotrfWork(*n, *lda));
}

void dtrsm_(const char* side, const char* uplo, const char* transa, const char* diag, const int* m,
            const int* n, const double* alpha, const double* a, const int* lda, double* b,
            const int* ldb) {
  static const auto next = kessadon::Next<decltype(&dtrsm_)>("dtrsm_");
  FactorMonitor* monitor = FactorMonitor::Current();
  if (monitor == nullptr) return next(side, uplo, transa, diag, m, n, alpha, a, lda, b, ldb);
  if (monitor->Stopped()) return;
  next(side, uplo, transa, diag, m, n, alpha, a, lda, b, ldb);
  const bool right = *side == 'R' || *side == 'r';
  monitor->Done(right ? kessadon::TrsmWork(*m, *n) : kessadon::TrsmWork(*n, *m));
}

void dtrsv_(const char* uplo, const char* trans, const char* diag, const int* n, const double* a,
            const int* lda, double* x, const int* incx) {
  static const auto next = kessadon::Next<decltype(&dtrsv_)>("dtrsv_");
  FactorMonitor* monitor = FactorMonitor::Current();
  if (monitor == nullptr) return next(uplo, trans, diag, n, a, lda, x, incx);
  if (monitor->Stopped()) return;
  next(uplo, trans, diag, n, a, lda, x, incx);
  monitor->Done(kessadon::TrsvWork(*n));
}

void dgemv_(const char* trans, const int* m, const int* n, const double* alpha, const double* a,
            const int* lda, const double* x, const int* incx, const double* beta, double* y,
            const int* incy) {
  static const auto next = kessadon::Next<decltype(&dgemv_)>("dgemv_");
  FactorMonitor* monitor = FactorMonitor::Current();
  if (monitor == nullptr) return next(trans, m, n, alpha, a, lda, x, incx, beta, y, incy);
  if (monitor->Stopped()) return;
  next(trans, m, n, alpha, a, lda, x, incx, beta, y, incy);
  monitor->Done(kessadon::GemvWork(*m, *n));
}

}  // extern "C"
