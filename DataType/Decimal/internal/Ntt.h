// Products of long magnitudes by number-theoretic transforms.
//
// A magnitude's limbs (base 10^18, least significant first) are the
// coefficients of a polynomial; the product of two magnitudes is the product
// of their polynomials evaluated at 10^18. The polynomial product is a
// convolution, computed exactly modulo three primes just below 2^62 by
// transforms and put back together by the Chinese remainder
// theorem: a coefficient of the product is below N (10^18)^2 < 2^147 for
// lengths N up to 2^26, well inside the primes' product (about 2^186).
// Lengths are 2^k or 3 2^k (each prime minus one is divisible by 3 2^34):
// the length at or above a product's limbs wastes at most a third.
// Carrying the coefficients in base 10^18 gives the limbs of the product.
//
// Cost: nine transforms of length N (three primes, two forward and one
// inverse each), that is O(N log N), with N the transform length at or above
// the product's length. Memory: about 5 N limbs of working storage from the heap.
//
// The cyclic form computes a product modulo 10^(18 L) - 1 with a transform
// of length L: its limbs beyond L wrap around to the bottom. Division uses it
// where only the low part of a product is unknown.
#pragma once

#include <cstddef>

#include "DataType/Decimal/internal/Limbs.h"

namespace QDataType {
namespace decimal {

// The longest transform (2^26 coefficients): far beyond what the digit limit
// of a value can ask for.
constexpr std::size_t kMaxTransform = std::size_t{1} << 26;

// The transform length for a result of n limbs: the least 2^k or 3 2^k (at
// least 4) at or above n.
std::size_t TransformLength(std::size_t n) noexcept;

// r[0 .. na+nb) = a * b, for na + nb <= kMaxTransform. r must not overlap a or
// b. Throws std::bad_alloc when working storage cannot be had.
void MulTransform(Limb* r, Limb const* a, std::size_t na, Limb const* b, std::size_t nb);

// r[0 .. L) = a * b mod (10^(18 L) - 1), for L a transform length and
// na, nb <= L; the result is reduced (below 10^(18 L) - 1, so all limbs at
// B - 1 never appear). r must not overlap a or b.
void MulCyclic(Limb* r, std::size_t L, Limb const* a, std::size_t na, Limb const* b, std::size_t nb);

}  // namespace decimal
}  // namespace QDataType
