#include "maths/float_maths.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qrv {

namespace {

// pi / 2 in three parts; the first two have 33 significant bits, so n times
// them is exact for n below 2^20.
constexpr double kHalfPi1 = 1.5707963267341256;
constexpr double kHalfPi2 = 6.077100506303966e-11;
constexpr double kHalfPi3 = 2.0222662487959506e-21;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kReduceLimit = 823549.0;  // about 2^19 times pi / 2

// The conversion factor split into 26 and 27 significant bits: a float angle
// (24 bits) times either part is exact.
constexpr double kDegreesHi = 0.01745329238474369;
constexpr double kDegreesLo = 1.3470075402310933e-10;
static_assert(kDegreesHi + kDegreesLo == kDegreesToRadians);

// ln 2 with 42 significant bits (n times it is exact for |n| < 2^11) and the rest.
constexpr double kLn2Hi = 0.6931471805598903;
constexpr double kLn2Lo = 5.497923018708371e-14;
constexpr double kInvLn2 = 1.4426950408889634;
constexpr double kSqrtHalf = 0.7071067811865476;

constexpr double Factorial(int n) { return n <= 1 ? 1.0 : n * Factorial(n - 1); }

// Taylor coefficients; on |r| <= pi / 4 (and a little) the truncation error is below 1e-19.
constexpr double kSinTerms[] = {-1 / Factorial(3),  1 / Factorial(5),  -1 / Factorial(7),  1 / Factorial(9),
                                -1 / Factorial(11), 1 / Factorial(13), -1 / Factorial(15), 1 / Factorial(17)};
constexpr double kCosTerms[] = {1 / Factorial(4),  -1 / Factorial(6),  1 / Factorial(8),  -1 / Factorial(10),
                                1 / Factorial(12), -1 / Factorial(14), 1 / Factorial(16), -1 / Factorial(18)};
constexpr double kExpTerms[] = {1,
                                1,
                                1 / Factorial(2),
                                1 / Factorial(3),
                                1 / Factorial(4),
                                1 / Factorial(5),
                                1 / Factorial(6),
                                1 / Factorial(7),
                                1 / Factorial(8),
                                1 / Factorial(9),
                                1 / Factorial(10),
                                1 / Factorial(11),
                                1 / Factorial(12),
                                1 / Factorial(13),
                                1 / Factorial(14)};

template <size_t N>
double Horner(const double (&terms)[N], double z) {
    double p = terms[N - 1];
    for (size_t i = N - 1; i-- > 0;) p = p * z + terms[i];
    return p;
}

uint64_t Bits(double x) {
    uint64_t b;
    std::memcpy(&b, &x, 8);
    return b;
}

double FromBits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, 8);
    return x;
}

bool IsNaN(double x) { return x != x; }
bool IsInf(double x) { return x == x && x - x != 0.0; }

// Nearest integer of a value well inside the int32 range.
int32_t Nearest(double x) { return static_cast<int32_t>(x >= 0 ? x + 0.5 : x - 0.5); }

double SinKernel(double r) {
    const double z = r * r;
    return r + r * z * Horner(kSinTerms, z);
}

double CosKernel(double r) {
    const double z = r * r;
    return (1.0 - 0.5 * z) + z * z * Horner(kCosTerms, z);
}

// 2^n for n in the normal exponent range.
double TwoTo(int32_t n) { return FromBits(static_cast<uint64_t>(n + 1023) << 52); }

}  // namespace

double DefaultNaN() { return FromBits(0xFFF8000000000000ull); }

double Remainder(double x, double y) {
    if (IsNaN(x)) return x;
    if (IsNaN(y)) return y;
    if (IsInf(x) || y == 0) return DefaultNaN();
    if (IsInf(y)) return x;
    return std::fmod(x, y);
}

SinCos SinCosDegrees(float degrees) {
    const double a = degrees;
    if (IsNaN(a)) return {a, a};
    if (IsInf(a)) return {DefaultNaN(), DefaultNaN()};
    double hi = a * kDegreesHi;
    double lo = a * kDegreesLo;
    // Beyond the exact reduction a float angle's spacing exceeds a whole turn;
    // a turn of the double 2 pi keeps the result defined and the same everywhere.
    // The low part of the largest angles needs the same turn, else the quadrant
    // count leaves the int32 range.
    if (hi > kReduceLimit || hi < -kReduceLimit) hi = Remainder(hi, kTwoPi);
    if (lo > kReduceLimit || lo < -kReduceLimit) lo = Remainder(lo, kTwoPi);
    const int32_t n = Nearest((hi + lo) * kTwoOverPi);
    const double r = (((hi - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3) + lo;
    const double s = SinKernel(r), c = CosKernel(r);
    switch (n & 3) {
        case 0: return {s, c};
        case 1: return {c, -s};
        case 2: return {-s, -c};
        default: return {-c, s};
    }
}

double TanDegrees(float degrees) {
    const SinCos sc = SinCosDegrees(degrees);
    return sc.sin / sc.cos;
}

double Ln(double x) {
    if (IsNaN(x)) return x;
    if (x < 0) return DefaultNaN();
    if (x == 0) return -HUGE_VAL;
    if (IsInf(x)) return x;
    int32_t e = 0;
    if (x < 0x1p-1022) {
        x *= 0x1p54;
        e = -54;
    }
    const uint64_t b = Bits(x);
    e += static_cast<int32_t>(b >> 52) - 1023;
    double m = FromBits((b & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);  // [1, 2)
    if (m * kSqrtHalf > 1.0) {
        m *= 0.5;
        ++e;
    }
    // ln m = 2 atanh(s) with |s| <= 0.172: twelve terms of the odd series.
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    constexpr double kTerms[] = {1.0 / 3,  1.0 / 5,  1.0 / 7,  1.0 / 9,  1.0 / 11, 1.0 / 13,
                                 1.0 / 15, 1.0 / 17, 1.0 / 19, 1.0 / 21, 1.0 / 23, 1.0 / 25};
    const double p = Horner(kTerms, z);
    const double lnM = 2.0 * s + 2.0 * s * z * p;
    return e * kLn2Hi + (lnM + e * kLn2Lo);
}

double Exp(double x) {
    if (IsNaN(x)) return x;
    if (x > 709.782712893384) return HUGE_VAL;
    if (x < -745.1332191019412) return 0.0;
    const int32_t n = Nearest(x * kInvLn2);
    const double r = (x - n * kLn2Hi) - n * kLn2Lo;  // |r| <= 0.35
    const double p = Horner(kExpTerms, r);
    const int32_t half = n / 2;
    return p * TwoTo(half) * TwoTo(n - half);
}

double Pow(double a, double b) {
    if (b == 0 || a == 1) return 1.0;
    if (IsNaN(a) || IsNaN(b)) return a + b;
    const double absA = a < 0 ? -a : a;
    if (IsInf(b)) {
        if (absA == 1) return 1.0;
        return (absA > 1) == (b > 0) ? HUGE_VAL : 0.0;
    }
    const double absB = b < 0 ? -b : b;
    // Integers and odd integers among the exponents (every double from 2^53 up is even).
    const bool isInteger = absB >= 0x1p52 || static_cast<double>(static_cast<int64_t>(b)) == b;
    const bool isOdd = isInteger && absB < 0x1p53 && (static_cast<int64_t>(b) & 1) != 0;
    const double sign = a < 0 && isOdd ? -1.0 : 1.0;
    if (a == 0 || IsInf(a)) {
        const bool huge = (a == 0) == (b < 0);
        const double magnitude = huge ? HUGE_VAL : 0.0;
        return std::signbit(a) && isOdd ? -magnitude : magnitude;
    }
    if (a < 0 && !isInteger) return DefaultNaN();
    return sign * Exp(b * Ln(absA));
}

double Sqrt(double x) {
    if (x < 0) return DefaultNaN();
#if defined(__SSE2__)
    return _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(x)));
#else
    return std::sqrt(x);
#endif
}

float WrapAngleOf(float a) {
    float r = static_cast<float>(Remainder(a, 360.0));
    if (r < 0) {
        r += 360.0f;
        // A residue within half a unit of 360 would round up to the top of the range.
        if (r == 360.0f) r = 0.0f;
    }
    return r;
}

}  // namespace qrv
