#include "SelectedInverse.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "Blas.h"

namespace kessadon {
namespace {

// A supernode of CHOLMOD's supernodal factor: columns first ... first+cols-1,
// `rows` row indices from rowIndex (its own columns first, then the rows
// below, ascending), values column by column from value with `rows` a column.
struct Supernode {
  int first = 0, cols = 0, rows = 0;
  const int* rowIndex = nullptr;
  std::int64_t value = 0;  // offset of its values in the factor's
};

class Supernodes {
 public:
  Supernodes(const cholmod_factor& l, const std::vector<int>& of)
      : super_(static_cast<const int*>(l.super)),
        pi_(static_cast<const int*>(l.pi)),
        px_(static_cast<const int*>(l.px)),
        s_(static_cast<const int*>(l.s)),
        count_(static_cast<std::int64_t>(l.nsuper)),
        of_(of) {}
  std::int64_t Count() const { return count_; }
  Supernode operator[](std::int64_t s) const {
    return {super_[s], super_[s + 1] - super_[s], pi_[s + 1] - pi_[s], s_ + pi_[s], px_[s]};
  }
  // The supernode that holds column c.
  int Of(int c) const { return of_[static_cast<std::size_t>(c)]; }

 private:
  const int *super_, *pi_, *px_, *s_;
  std::int64_t count_;
  const std::vector<int>& of_;
};

// Z on the rows R below supernode `node`, all pairs of them, into zr (nr x
// nr, both triangles): each column c of R lies in a later supernode whose
// rows hold every row of R at or past c. `place` is room for the row places.
void GatherBelow(const Supernodes& nodes, const Supernode& node, const std::vector<double>& z,
                 std::vector<int>& place, std::vector<double>& zr) {
  const int nr = node.rows - node.cols;
  const int* below = node.rowIndex + node.cols;
  int scattered = -1;
  for (int b = 0; b < nr; ++b) {
    const int c = below[b];
    const int t = nodes.Of(c);
    const Supernode owner = nodes[t];
    if (t != scattered) {
      for (int k = 0; k < owner.rows; ++k) place[static_cast<std::size_t>(owner.rowIndex[k])] = k;
      scattered = t;
    }
    const double* column =
        z.data() + owner.value + static_cast<std::int64_t>(c - owner.first) * owner.rows;
    for (int a = b; a < nr; ++a) {
      const int at = place[static_cast<std::size_t>(below[a])];
      assert(owner.rowIndex[at] == below[a]);
      const double v = column[at];
      zr[static_cast<std::size_t>(a) + static_cast<std::size_t>(b) * nr] = v;
      zr[static_cast<std::size_t>(b) + static_cast<std::size_t>(a) * nr] = v;
    }
  }
}

// One supernode's columns of Z from its factor block and Z below it.
void InvertSupernode(const Supernode& node, const double* lx, double* zx,
                     const std::vector<double>& zr, std::vector<double>& u,
                     std::vector<double>& inverse) {
  const int nc = node.cols, nr = node.rows - node.cols, ld = node.rows;
  const double one = 1, zero = 0, minusOne = -1;
  // L_J^-1, from the identity.
  inverse.assign(static_cast<std::size_t>(nc) * nc, 0.0);
  for (int k = 0; k < nc; ++k) inverse[static_cast<std::size_t>(k) * (nc + 1)] = 1;
  dtrsm_("L", "L", "N", "N", &nc, &nc, &one, lx, &ld, inverse.data(), &nc);
  // Z_JJ = L_J^-T L_J^-1 (its lower triangle).
  dsyrk_("L", "T", &nc, &nc, &one, inverse.data(), &nc, &zero, zx, &ld);
  if (nr == 0) return;
  // U = L_RJ L_J^-1.
  u.resize(static_cast<std::size_t>(nr) * nc);
  for (int k = 0; k < nc; ++k) {
    std::copy_n(lx + static_cast<std::int64_t>(k) * ld + nc, nr,
                u.begin() + static_cast<std::ptrdiff_t>(k) * nr);
  }
  dtrsm_("R", "L", "N", "N", &nr, &nc, &one, lx, &ld, u.data(), &nr);
  // Z_RJ = -Z_RR U, then Z_JJ -= U^T Z_RJ.
  dgemm_("N", "N", &nr, &nc, &nr, &minusOne, zr.data(), &nr, u.data(), &nr, &zero, zx + nc, &ld);
  dgemm_("T", "N", &nc, &nc, &nr, &minusOne, u.data(), &nr, zx + nc, &ld, &one, zx, &ld);
}

}  // namespace

SelectedInverse::SelectedInverse(const cholmod_factor& l) : l_(&l), supernodeOf_(l.n) {
  const auto* super = static_cast<const int*>(l.super);
  for (std::size_t s = 0; s < l.nsuper; ++s) {
    for (int c = super[s]; c < super[s + 1]; ++c)
      supernodeOf_[static_cast<std::size_t>(c)] = int(s);
  }
}

std::optional<SelectedInverse> SelectedInverse::Of(const cholmod_factor& l,
                                                   const SolveProgress& progress) {
  assert(l.is_super && l.xtype == CHOLMOD_REAL);
  SelectedInverse inverse(l);
  const Supernodes nodes(l, inverse.supernodeOf_);
  const auto* lx = static_cast<const double*>(l.x);
  std::vector<double>& z = inverse.z_;
  z.assign(l.xsize, 0.0);
  // The work of a supernode, about its multiply-adds, to tell the share done.
  auto work = [](const Supernode& node) {
    const double nc = node.cols, nr = node.rows - node.cols;
    return nc * nc * nc + nr * nc * (nc + nr + nc) + nr * nr;
  };
  double total = 0, done = 0;
  for (std::int64_t s = 0; s < nodes.Count(); ++s) total += work(nodes[s]);
  ProgressCheck check(progress);
  if (!check.Tell(0)) return std::nullopt;

  std::vector<int> place(l.n);
  std::vector<double> zr, u, blockInverse;
  for (std::int64_t s = nodes.Count() - 1; s >= 0; --s) {
    const Supernode node = nodes[s];
    const auto nr = static_cast<std::size_t>(node.rows - node.cols);
    zr.resize(nr * nr);
    GatherBelow(nodes, node, z, place, zr);
    InvertSupernode(node, lx + node.value, z.data() + node.value, zr, u, blockInverse);
    done += work(node);
    if (!check(done / total)) return std::nullopt;
  }
  if (!check.Tell(1)) return std::nullopt;
  return inverse;
}

double SelectedInverse::At(int row, int col) const {
  assert(row >= col);
  const Supernodes nodes(*l_, supernodeOf_);
  const Supernode node = nodes[nodes.Of(col)];
  const int* at = std::lower_bound(node.rowIndex, node.rowIndex + node.rows, row);
  assert(at != node.rowIndex + node.rows && *at == row);
  return z_[static_cast<std::size_t>(node.value + std::int64_t{col - node.first} * node.rows +
                                     (at - node.rowIndex))];
}

}  // namespace kessadon
