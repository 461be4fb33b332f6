// Trigonometry in degrees, logarithms, powers and range wrapping for host programs.
#include "maths/float_maths.h"
#include "quorvel.h"

using namespace qrv;

extern "C" {

QRV_API float QRV_CALL ZK_Cos(float a) { return static_cast<float>(SinCosDegrees(a).cos); }
QRV_API float QRV_CALL ZK_Sin(float a) { return static_cast<float>(SinCosDegrees(a).sin); }
QRV_API float QRV_CALL ZK_Tan(float a) { return static_cast<float>(TanDegrees(a)); }

QRV_API float QRV_CALL ZK_Log(float x) { return static_cast<float>(Ln(x)); }

QRV_API float QRV_CALL ZK_Log10(float x) {
    constexpr double kLog10OfE = 0.4342944819032518;
    return static_cast<float>(Ln(x) * kLog10OfE);
}

QRV_API float QRV_CALL ZK_Power(float a, float b) { return static_cast<float>(Pow(a, b)); }

QRV_API float QRV_CALL WrapAngle(float a) { return WrapAngleOf(a); }

// An empty range (lo = hi) has no value to wrap into: the result is not a number.
QRV_API float QRV_CALL ZK_WrapValue(float v, float lo, float hi) {
    double value = v, low = lo, high = hi;
    if (low > high) {
        low = hi;
        high = lo;
    }
    const double range = high - low;
    if (value < low) value = high - Remainder(low - value, range);
    if (value < high) return static_cast<float>(value);
    return static_cast<float>(low + Remainder(value - high, range));
}

}  // extern "C"
