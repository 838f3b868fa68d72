#pragma once
// Transcendental and root functions of extended (80-bit) values through the
// floating-point unit's own instructions, as the formula language has always
// computed them: FSIN, FCOS, FPTAN, FPATAN, FYL2X and FSQRT. They take a few
// dozen cycles where the C library's generic extended routines take hundreds.
//
// The trigonometric instructions reduce their argument with a 66-bit pi, which
// loses accuracy far from zero; arguments beyond a quarter turn are therefore
// reduced here first (pi/2 split in three parts, good to about 128 bits), and
// arguments too large for that reduction go to the C library, which reduces
// exactly. Within a quarter turn of zero the instruction's own result is used
// unchanged.
//
// None of these raise: a NaN argument gives NaN, an argument outside the
// domain gives what the instruction gives (NaN or an infinity); callers decide
// what a non-finite result means.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#pragma GCC visibility push(default)

namespace ExtendedMath {

using Extended = long double;
// The rounding tricks below need the unit's 64-bit significand, which Linux
// keeps as the precision of every operation.
static_assert(std::numeric_limits<Extended>::digits == 64, "80-bit extended precision expected");

namespace Detail {

// pi/2 = P1 + P2 + P3: P1 and P2 hold 32 significant bits each, so that n * P1
// and n * P2 are exact for every quadrant number below 2^32.
constexpr Extended PiHalf1 = 0xc90fdaa2p-31L;
constexpr Extended PiHalf2 = 0x85a308d3p-65L;
constexpr Extended PiHalf3 = 0x98cc51701b839a25p-132L;
constexpr Extended TwoOverPi = 0xa2f9836e4e44152ap-64L;
// Beyond this the three-part reduction is no longer exact enough.
constexpr Extended ReduceLimit = 0x1p30L;
// Adding 1.5 * 2^63 rounds a value below 2^62 in magnitude to an integer (the
// current rounding mode: to nearest, ties to even), which then stands in the
// low bits of the sum's 64-bit significand.
constexpr Extended RoundingShift = 0x1.8p63L;

// x = n * pi/2 + r with |r| about pi/4 at most; Quadrant is n mod 4.
struct TReduced {
    Extended R;
    unsigned Quadrant;
};

inline TReduced Reduce(Extended x) {
    const Extended shifted = x * TwoOverPi + RoundingShift;
    uint64_t significand;
    std::memcpy(&significand, &shifted, sizeof significand);
    const Extended n = shifted - RoundingShift;
    return {((x - n * PiHalf1) - n * PiHalf2) - n * PiHalf3, static_cast<unsigned>(significand & 3)};
}

#if defined(__x86_64__) || defined(__i386__)
inline Extended FSin(Extended x) {
    asm("fsin" : "+t"(x));
    return x;
}
inline Extended FCos(Extended x) {
    asm("fcos" : "+t"(x));
    return x;
}
inline Extended FTan(Extended x) {
    // FPTAN pushes 1.0 after the tangent.
    asm("fptan\n\tfstp %%st(0)" : "+t"(x));
    return x;
}
#else
inline Extended FSin(Extended x) { return std::sin(x); }
inline Extended FCos(Extended x) { return std::cos(x); }
inline Extended FTan(Extended x) { return std::tan(x); }
#endif

// Sine (Phase 0) or cosine (Phase 1) from the reduced argument.
inline Extended SinOfQuadrant(const TReduced& a, unsigned phase) {
    const unsigned q = a.Quadrant + phase;
    const Extended v = (q & 1) ? FCos(a.R) : FSin(a.R);
    return (q & 2) ? -v : v;
}

}  // namespace Detail

inline Extended Sin(Extended x) {
    if (!(std::fabs(x) < Detail::ReduceLimit)) return std::sin(x);
    return Detail::SinOfQuadrant(Detail::Reduce(x), 0);
}

inline Extended Cos(Extended x) {
    if (!(std::fabs(x) < Detail::ReduceLimit)) return std::cos(x);
    return Detail::SinOfQuadrant(Detail::Reduce(x), 1);
}

inline Extended Tan(Extended x) {
    if (!(std::fabs(x) < Detail::ReduceLimit)) return std::tan(x);
    const Detail::TReduced a = Detail::Reduce(x);
    const Extended t = Detail::FTan(a.R);
    return (a.Quadrant & 1) ? -1 / t : t;
}

#if defined(__x86_64__) || defined(__i386__)
inline Extended ArcTan(Extended x) {
    // FPATAN: arctan(st(1) / st(0)), popping once.
    asm("fld1\n\tfpatan" : "+t"(x));
    return x;
}
inline Extended Sqrt(Extended x) {
    asm("fsqrt" : "+t"(x));
    return x;
}
// FYL2X: st(1) * log2(st(0)), popping once; st(1) holds ln 2 or lg 2.
inline Extended Ln(Extended x) {
    asm("fldln2\n\tfxch %%st(1)\n\tfyl2x" : "+t"(x));
    return x;
}
inline Extended Log10(Extended x) {
    asm("fldlg2\n\tfxch %%st(1)\n\tfyl2x" : "+t"(x));
    return x;
}
#else
inline Extended ArcTan(Extended x) { return std::atan(x); }
inline Extended Sqrt(Extended x) { return std::sqrt(x); }
inline Extended Ln(Extended x) { return std::log(x); }
inline Extended Log10(Extended x) { return std::log10(x); }
#endif

// Magnitudes below this round and truncate through RoundingShift.
constexpr Extended SmallLimit = 0x1p62L;

// Rounds to the nearest integer, halves to the even neighbour (the current
// rounding mode, as nearbyint, keeping the sign of zero), without a call or a
// control-word switch; |x| must be below SmallLimit.
inline Extended RoundSmall(Extended x) {
    return std::copysign((std::fabs(x) + Detail::RoundingShift) - Detail::RoundingShift, x);
}

// Whether the low 8 bits of the integer part of a (0 <= a < SmallLimit) are
// not all zero: the truth of a formula value. Without an integer conversion,
// which would switch the control word to truncation and back.
inline bool LowByteOfWholePart(Extended a) {
    Extended whole = (a + Detail::RoundingShift) - Detail::RoundingShift;
    if (whole > a) whole -= 1;
    const Extended q = whole * 0x1p-8L;  // exact: a power of two
    return (q + Detail::RoundingShift) - Detail::RoundingShift != q;
}

// The same-value test of the comparisons "=" and "<>": equal when the
// difference is at most the larger of 1e-16 and 1e-16 times the smaller magnitude.
inline bool SameValue(Extended a, Extended b) {
    if (a == b) return true;
    const Extended smaller = std::fabs(a) < std::fabs(b) ? std::fabs(a) : std::fabs(b);
    const Extended eps = smaller * 1e-16L > 1e-16L ? smaller * 1e-16L : 1e-16L;
    return a > b ? (a - b) <= eps : (b - a) <= eps;
}

}  // namespace ExtendedMath

#pragma GCC visibility pop
