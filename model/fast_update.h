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
// last sum as t - (y - s), exact where |s| >= |t|. So there
// v - y = rem + (the error of t), and
//   |error of t| <= 2^-51 (|lo| + |pl| + |e|)         (two roundings),
//   |z - v|      <= 2^-63 (|ph| + |hi| + 2^32)        (the two 64-bit roundings).
// With |pl| <= 2^-53 |ph| and |e| <= 2^-53 |s| both come to at most
//   2^-62 (|ph| + |hi| + |s|) + 2^-18,
// and with |s| <= (|ph| + |hi|)(1 + 2^-53) to at most
//   2^-61 (1 + 2^-52) (|ph| + |hi|) + 2^-18.
// Where |rem| plus that stays below half a unit in the last place of y,
// lowered by 2^-40 of itself for the roundings of adding them up, z lies
// strictly inside the interval that rounds to y, so extended precision
// gives y too. A power of two has a narrower interval below it and is left
// out. The term 2^-18 exceeds half a unit of any y below 2^36, so every y
// the bound vouches for is at least that, and y * 2^-58 is an exact normal
// double as the unscaled result is. And such a y has |s| >= |t|, so its
// rem is exact: |t| <= 2^32 + 2^-53 (|ph| + |s|) (rounded), and |s| < |t|
// would need |ph| below about 2^63, |t| below 2^33 and |y| below 2^34.
// The noise bounds of FastUpdateTakes keep every product, its exact error
// and every sum normal and finite.
//
// Noise with few mantissa bits (6 and 5, scaled) makes whole products, and
// sums of whole numbers land exactly on midpoints often. Where ph and pl are
// whole and |ph| <= 2^62, q = r * n is exact and so is z = a + q (below
// 2^64): extended precision makes one rounding, to the nearest double with
// ties to even, and so does y = s + t, whose t is then an exact sum of whole
// numbers below 2^53. Such values need no bound; y is then a whole number.
// A zero y, rare, still goes to the formula, which keeps the sign of a zero
// result out of question.
//
// That holds for every product at once where the scaled noise n is a whole
// multiple of 2^53 of at most 2^62 (FastUpdateWholeNoise): a draw r is m
// over 2^53 with m a whole number, so r * n = m * (n / 2^53) is whole, and
// at most |n|. The kernels settle it once per field and row, not per value;
// other noise takes the bound alone.
//
// Values that fail both tests, about one in a thousand, go to the formula.

namespace landuse {

// The bound's factor of |ph| + |hi|.
inline constexpr double FastUpdateRelativeError = 0x1p-61 * (1.0 + 0x1p-52);
inline constexpr double FastUpdateAbsoluteError = 0x1p-18;
// Half a unit in the last place of 2^e is 2^e times this, less the margin.
inline constexpr double FastUpdateHalfUlp = 0x1p-53 * (1.0 - 0x1p-40);
inline constexpr double FastUpdateWholeProduct = 0x1p62;

// Every product of a draw and this scaled noise is a whole number of at
// most FastUpdateWholeProduct.
inline bool FastUpdateWholeNoise(double noise)
{
    const double m = noise < 0 ? -noise : noise;
    const double q = m * 0x1p-53;
    return m <= FastUpdateWholeProduct && q == __builtin_trunc(q);
}

} // namespace landuse
