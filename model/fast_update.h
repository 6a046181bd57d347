#pragma once
// The bounds behind the fast field update (UpdateRowOne), shared by its
// vector kernels.
//
// With every coefficient 1, extended precision computes the scaled update of
// a value as z = a + q, q = r * n, a an integer below 2^63 in magnitude: q and
// z each rounded to 64 bits, then z * 2^-58 rounded to a double. The kernels
// compute in doubles the nearest double y to the exact v = a + r * n: a is
// split exactly into hi (a multiple of 2^32) and lo (below 2^32), the product
// into ph + pl by a fused multiply-subtract, hi + ph by an exact two-sum into
// s + e, then t = (lo + pl) + e, y = s + t, and the remainder rem of that
// last sum exactly. So v - y = rem + (the error of t), and
//   |error of t| <= 2^-51 (|lo| + |pl| + |e|)         (two roundings),
//   |z - v|      <= 2^-63 (|ph| + |hi| + 2^32)        (the two 64-bit roundings).
// Where the sum of |rem| and both bounds, raised a little for the roundings
// of adding them up, stays below half a unit in the last place of y, z lies
// strictly inside the interval that rounds to y, so extended precision
// gives y too. A power of two has a narrower interval below it and is left
// out, and so is any y below 2^-900 (zero among them), so that y * 2^-58 is
// an exact normal double as the unscaled result is. The noise bounds of
// FastUpdateTakes keep every product, its exact error and every sum normal
// and finite. Values that fail the test, about one in a thousand, go to the
// formula.

namespace landuse {

inline constexpr double FastUpdateSumError = 0x1p-51;
inline constexpr double FastUpdateX87Error = 0x1p-63;
inline constexpr double FastUpdateMargin = 1.0 + 0x1p-40;
inline constexpr double FastUpdateLeast = 0x1p-900;

} // namespace landuse
