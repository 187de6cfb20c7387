// Solves a sparse symmetric positive definite system A z = b by a supernodal
// Cholesky factorisation A(p,p) = L L^T with a caller-given elimination order
// p. The pattern is analysed once; the passes of an estimation run then
// factor and solve matrices with that pattern and new values. Indices are
// 0-based and 64-bit; sizes are in bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "LowerMatrix.h"
#include "Progress.h"
#include "SolveStatus.h"
#include "io/Result.h"

namespace kessadon {

class SparseCholesky {
 public:
  // Analyses the pattern of `pattern` (its values are not read) for the
  // elimination order perm (perm[k] = the unknown eliminated k-th). Refuses,
  // with a one-line reason naming the size, when factoring would take more
  // than maxFactorBytes. Tells `progress` the share done between its steps;
  // a stop gives a cancelled failure.
  static Result<SparseCholesky> Analyse(const LowerMatrix& pattern,
                                        std::span<const std::int64_t> perm,
                                        std::int64_t maxFactorBytes,
                                        const SolveProgress& progress = {});

  SparseCholesky(SparseCholesky&&) noexcept;
  SparseCholesky& operator=(SparseCholesky&&) noexcept;
  SparseCholesky(const SparseCholesky&) = delete;
  SparseCholesky& operator=(const SparseCholesky&) = delete;
  ~SparseCholesky();

  // Memory a factorisation takes at its peak beyond the right-hand side: the
  // factor, the permuted matrix and its map, and CHOLMOD's workspace.
  std::int64_t FactorBytes() const;
  // Floating-point operations of one factorisation.
  double FactorFlops() const;

  // Factors `a`, which must have the analysed pattern, and solves a z = b, b
  // given in rhs and z returned in it. NotPositiveDefinite when a pivot (the
  // square of a diagonal entry of L) fails PivotHolds against its diagonal
  // in `a`, as the band solver judges; rhs is then
  // unspecified. Tells `progress` the share of the factorisation done, about
  // ten times a second, and 1 once solved; Cancelled when it says
  // stop, rhs and the factor's numbers then unspecified, the analysis intact.
  // Throws std::bad_alloc when memory runs out, std::invalid_argument when
  // CHOLMOD rejects `a`, and what progress throws.
  SolveStatus FactorAndSolve(const LowerMatrix& a, std::vector<double>& rhs,
                             const SolveProgress& progress = {});

  // The same in two steps, so that the caller need not hold a whole matrix of
  // its own beside the factor: Values() takes entry k of the analysed
  // pattern's lower triangle (in that pattern's order) into the permuted
  // matrix kept here; every entry must be given before each FactorAndSolve.
  struct ValueSink {
    const SparseIndex* map;
    double* values;
    void operator()(std::int64_t k, double value) const { values[map[k]] = value; }
  };
  ValueSink Values();
  // keepFactor keeps the factor's numbers until the next factorisation, which
  // then overwrites them in place instead of allocating them afresh.
  SolveStatus FactorAndSolve(std::vector<double>& rhs, bool keepFactor = false,
                             const SolveProgress& progress = {});
  // Solves a z = b again with the factor the last FactorAndSolve kept
  // (keepFactor), for one b or several: `columns` holds them one after
  // another, and gets the z in their place. Several at once go much faster
  // than one by one.
  void Solve(std::vector<double>& columns);

  // The entries of a^-1 at the places of `entries`' pattern, which must lie
  // within the analysed one, into entries.value: the inverse on the factor's
  // pattern, by selected inversion with the factor the last FactorAndSolve
  // kept, which takes InverseBytes() more for the time. False, values
  // unspecified, when `progress` says stop.
  bool InverseOn(LowerMatrix& entries, const SolveProgress& progress = {});
  std::int64_t InverseBytes() const;

  // Frees the map of Values() for a caller that keeps the places it gave.
  void ReleaseValueMap();
  // Where entry (r, c) of the analysed lower triangle lies in the permuted
  // matrix: at colStart[min(inverse[r], inverse[c])] plus its offset in that
  // column. A caller that keeps the offsets can write values in place.
  struct Places {
    const SparseIndex* colStart;
    const int* inverse;
    double* values;
  };
  Places PermutedPlaces();
  std::int64_t EntryCount() const;

 private:
  struct Workspace;
  // A solve with the factor: the solution, then taking it back into rhs.
  void StartSolve(const std::vector<double>& rhs);
  void FinishSolve(std::vector<double>& rhs);
  explicit SparseCholesky(std::unique_ptr<Workspace> workspace);
  std::unique_ptr<Workspace> w_;
};

}  // namespace kessadon
