// Elementary functions computed from IEEE additions, multiplications and
// divisions in double precision only, so that every build (and every C
// runtime the library is linked with) gives the same bits. Accurate to a few
// units in the last place of a double, which rounds to the correct float
// nearly always.
#pragma once

#include <cstdint>

namespace qrv {

// A value rounded to single precision that stays rounded when it is widened
// again: GCC 12's vectoriser folds a float rounding between two doubles it
// pairs in one register, and the barrier keeps the float a float.
inline float ToSingle(double v) {
    float f = static_cast<float>(v);
#if defined(__GNUC__) && defined(__SSE2__)
    asm("" : "+x"(f));
#endif
    return f;
}

// Degrees to radians by the factor 3.1415926535 / 180 (not the exact pi / 180).
inline constexpr double kDegreesToRadians = 0.017453292519444445;

// The x86 default not-a-number, the result of invalid operations.
double DefaultNaN();

struct SinCos {
    double sin;
    double cos;
};

// Sine and cosine of an angle in degrees; the product with the conversion
// factor is carried exactly, so that angles near a multiple of 90 keep the
// small residue the truncated factor leaves.
SinCos SinCosDegrees(float degrees);
double TanDegrees(float degrees);

double Ln(double x);
double Exp(double x);
double Pow(double a, double b);
double Sqrt(double x);

// fmod, exact in IEEE arithmetic.
double Remainder(double x, double y);

// r = fmod(a, 360), plus 360 when negative; 0 <= r < 360 for finite a.
float WrapAngleOf(float a);

}  // namespace qrv
