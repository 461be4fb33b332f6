// Batch transforms of vertex lists: records of at least three floats x, y, z
// a byte stride apart, read and written through unaligned accesses so that
// any stride works, in place included (a vertex is read whole before its
// results are stored).
//
// Rotation coefficients are computed once per call and rounded to single
// precision; each stored value is one double-precision expression of them
// rounded once, so every build gives the same bits.
#include <cstdint>
#include <cstring>

#include "maths/float_maths.h"
#include "quorvel.h"

using namespace qrv;

namespace {

struct Vec3 {
    double x, y, z;
};

struct Matrix3 {
    float m[3][3];

    Vec3 operator*(const Vec3& p) const {
        return {double{m[0][0]} * p.x + double{m[0][1]} * p.y + double{m[0][2]} * p.z,
                double{m[1][0]} * p.x + double{m[1][1]} * p.y + double{m[1][2]} * p.z,
                double{m[2][0]} * p.x + double{m[2][1]} * p.y + double{m[2][2]} * p.z};
    }
};

struct Trig {
    float s, c;
};

Trig TrigOf(float degrees) {
    const SinCos sc = SinCosDegrees(degrees);
    return {ToSingle(sc.sin), ToSingle(sc.cos)};
}

// Rx(ax) . Ry(ay) . Rz(az): z turns first, then y, then x.
Matrix3 RotationXYZ(float ax, float ay, float az) {
    const Trig x = TrigOf(ax), y = TrigOf(ay), z = TrigOf(az);
    const double sx = x.s, cx = x.c, sy = y.s, cy = y.c, sz = z.s, cz = z.c;
    auto f = [](double v) { return ToSingle(v); };
    return {{{f(cy * cz), f(-cy * sz), f(sy)},
             {f(sx * sy * cz + cx * sz), f(cx * cz - sx * sy * sz), f(-sx * cy)},
             {f(sx * sz - cx * sy * cz), f(sx * cz + cx * sy * sz), f(cx * cy)}}};
}

// Rz(az) . Ry(ay) . Rx(ax), as the transpose of the XYZ product of the reversed angles.
Matrix3 RotationZYX(float ax, float ay, float az) {
    const Matrix3 r = RotationXYZ(WrapAngleOf(360.0f - ax), WrapAngleOf(360.0f - ay), WrapAngleOf(360.0f - az));
    Matrix3 t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.m[i][j] = r.m[j][i];
    return t;
}

// A walk over records a byte stride apart; address arithmetic wraps like the
// processor's, so that any stride the caller gives is followed as given.
struct Records {
    uintptr_t at;
    intptr_t stride;

    Records(const void* base, int32_t byteStride) : at(reinterpret_cast<uintptr_t>(base)), stride(byteStride) {}
    void Next() { at += static_cast<uintptr_t>(stride); }
    float Get(int i) const {
        float v;
        std::memcpy(&v, reinterpret_cast<const void*>(at + 4 * i), 4);
        return v;
    }
    Vec3 Get3() const { return {Get(0), Get(1), Get(2)}; }
    void Put(int i, double v) const {
        const float f = static_cast<float>(v);
        std::memcpy(reinterpret_cast<void*>(at + 4 * i), &f, 4);
    }
    void Put3(const Vec3& v) const {
        Put(0, v.x);
        Put(1, v.y);
        Put(2, v.z);
    }
};

// Parameter blocks are arrays of 32-bit words, floats or integers by position.
struct Words {
    const uint8_t* p;
    float F(int i) const {
        float v;
        std::memcpy(&v, p + 4 * i, 4);
        return v;
    }
    int32_t I(int i) const {
        int32_t v;
        std::memcpy(&v, p + 4 * i, 4);
        return v;
    }
};

enum : int32_t { kOrderXYZ = 0, kOrderZYX = 1 };

struct ObjectTransform {
    Matrix3 rotation;
    float scale[3];

    Vec3 Apply(const Vec3& p) const { return rotation * Vec3{p.x * scale[0], p.y * scale[1], p.z * scale[2]}; }
};

// Angles in words 4 to 6, scale in 7 to 9, axis order in 10; false for an unknown order.
bool ObjectTransformOf(Words w, ObjectTransform& out) {
    const int32_t order = w.I(10);
    if (order != kOrderXYZ && order != kOrderZYX) return false;
    out.rotation = order == kOrderXYZ ? RotationXYZ(w.F(4), w.F(5), w.F(6)) : RotationZYX(w.F(4), w.F(5), w.F(6));
    out.scale[0] = w.F(7);
    out.scale[1] = w.F(8);
    out.scale[2] = w.F(9);
    return true;
}

void RotateTranslate(const Matrix3& m, const void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx,
                     float ty, float tz, int32_t count) {
    Records in(src, srcStride), out(dst, dstStride);
    for (int32_t i = 0; i < count; ++i, in.Next(), out.Next()) {
        const Vec3 r = m * in.Get3();
        out.Put3({r.x + tx, r.y + ty, r.z + tz});
    }
}

}  // namespace

extern "C" {

QRV_API void QRV_CALL Rotate2DVertexList(void* src, int32_t srcStride, void* dst, int32_t dstStride, float ox,
                                         float oy, float angle, float sx, float sy, int32_t count) {
    const Trig t = TrigOf(angle);
    Records in(src, srcStride), out(dst, dstStride);
    // count + 1 vertices, the last one included.
    for (int64_t i = 0; i <= int64_t{count}; ++i, in.Next(), out.Next()) {
        const double x = (double{ox} + in.Get(0)) * sx;
        const double y = (double{oy} + in.Get(1)) * sy;
        out.Put(0, x * double{t.c} - y * double{t.s});
        out.Put(1, x * double{t.s} + y * double{t.c});
    }
}

QRV_API void QRV_CALL RotateVertexListXYZ(void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx,
                                          float ty, float tz, float ax, float ay, float az, int32_t count) {
    if (count <= 0) return;
    RotateTranslate(RotationXYZ(ax, ay, az), src, srcStride, dst, dstStride, tx, ty, tz, count);
}

QRV_API void QRV_CALL RotateVertexListZYX(void* src, int32_t srcStride, void* dst, int32_t dstStride, float tx,
                                          float ty, float tz, float ax, float ay, float az, int32_t count) {
    if (count <= 0) return;
    RotateTranslate(RotationZYX(ax, ay, az), src, srcStride, dst, dstStride, tx, ty, tz, count);
}

QRV_API void QRV_CALL LerpVertexList(void* a, int32_t aStride, void* b, int32_t bStride, void* out, int32_t outStride,
                                     int32_t count, float t) {
    Records from(a, aStride), to(b, bStride), result(out, outStride);
    for (int32_t i = 0; i < count; ++i, from.Next(), to.Next(), result.Next()) {
        const Vec3 p = from.Get3(), q = to.Get3();
        result.Put3({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t});
    }
}

QRV_API void QRV_CALL RotateVertexList(void* params, void* src, int32_t srcStride, void* dst, int32_t dstStride,
                                       int32_t count) {
    const Words w{static_cast<const uint8_t*>(params)};
    ObjectTransform object;
    const int32_t projection = w.I(11);
    if (count <= 0 || !ObjectTransformOf(w, object) || (projection != 0 && projection != 1)) return;
    const float tx = w.F(1), ty = w.F(2), tz = w.F(3), fx = w.F(12), fy = w.F(13);
    Records in(src, srcStride), out(dst, dstStride);
    for (int32_t i = 0; i < count; ++i, in.Next(), out.Next()) {
        const Vec3 r = object.Apply(in.Get3());
        const float x = ToSingle(r.x + tx), y = ToSingle(r.y + ty), z = ToSingle(r.z + tz);
        out.Put3({x, y, z});
        if (projection == 1) {
            const bool behind = z < 1.0f;  // floor(z) <= 0
            out.Put(3, behind ? 0.0 : double{x} * fx / z);
            out.Put(4, behind ? 0.0 : double{y} * fy / z);
        }
    }
}

QRV_API void QRV_CALL RotateVertexListToCamera(void* camera, void* object, void* src, int32_t srcStride, void* dst,
                                               int32_t dstStride, int32_t count) {
    const Words cam{static_cast<const uint8_t*>(camera)}, obj{static_cast<const uint8_t*>(object)};
    ObjectTransform placement;
    if (count <= 0 || !ObjectTransformOf(obj, placement)) return;
    const Trig alpha = TrigOf(WrapAngleOf(cam.F(4)));
    const Trig beta = TrigOf(WrapAngleOf(180.0f - cam.F(5)));
    const Trig gamma = TrigOf(WrapAngleOf(cam.F(6)));
    const float dx = ToSingle(double{cam.F(1)} - obj.F(1)), dy = ToSingle(double{cam.F(2)} - obj.F(2)),
                dz = ToSingle(double{cam.F(3)} - obj.F(3));
    const float fx = cam.F(12), fy = cam.F(13);
    Records in(src, srcStride), out(dst, dstStride);
    for (int32_t i = 0; i < count; ++i, in.Next(), out.Next()) {
        const Vec3 r = placement.Apply(in.Get3());
        // Relative to the camera, y and z with their signs reversed.
        const double p1 = r.x - dx, p2 = dy - r.y, p3 = dz - r.z;
        const double q1 = p1 * gamma.c - p2 * gamma.s, q2 = p1 * gamma.s + p2 * gamma.c;
        const double x = p3 * beta.s - q1 * beta.c, rr = p3 * beta.c + q1 * beta.s;
        const double y = q2 * alpha.c - rr * alpha.s, z = rr * alpha.c + q2 * alpha.s;
        const float X = ToSingle(x), Y = ToSingle(y), Z = ToSingle(z);
        out.Put3({X, Y, Z});
        const bool inFront = Z >= 1.0f;  // floor(Z) > 0
        out.Put(3, inFront ? double{X} * fx / Z : 0.0);
        out.Put(4, inFront ? double{Y} * fy / Z : 0.0);
    }
}

}  // extern "C"
