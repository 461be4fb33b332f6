#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "quorvel.h"

namespace {

constexpr float kGuard = -7777.0f;
using V = std::vector<float>;

// Records of `floats` floats each, every unused float holding a guard value.
struct List {
    int floats;
    V f;
    List(int count, int floatsPerRecord) : floats(floatsPerRecord), f(size_t(count) * floatsPerRecord, kGuard) {}
    List(std::initializer_list<V> points, int floatsPerRecord) : List(int(points.size()), floatsPerRecord) {
        int i = 0;
        for (const auto& p : points) std::copy(p.begin(), p.end(), At(i++));
    }
    float* At(int i) { return f.data() + size_t(i) * floats; }
    V Get(int i, int n) { return {At(i), At(i) + n}; }
};

V WithGuard(V v) {
    v.push_back(kGuard);
    return v;
}

// The rotation matrices built from the library's own sines and cosines.
struct M {
    double m[3][3];
    static M X(float a) { double c = ZK_Cos(a), s = ZK_Sin(a); return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}}; }
    static M Y(float a) { double c = ZK_Cos(a), s = ZK_Sin(a); return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}}; }
    static M Z(float a) { double c = ZK_Cos(a), s = ZK_Sin(a); return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}}; }
    M operator*(const M& o) const {
        M r{};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k) r.m[i][j] += m[i][k] * o.m[k][j];
        return r;
    }
    V Apply(const V& p, const V& t) const {
        V r(3);
        for (int i = 0; i < 3; ++i) r[i] = float(m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + t[i]);
        return r;
    }
};

TEST(Transforms, QuarterTurnsInBothAxisOrders) {
    // (1, 2, 3) turned a quarter about x and about z: the order decides the result.
    const struct { float ax, ay, az; V xyz, zyx; } cases[] = {
        {90, 0, 90, {8, 17, 31}, {13, 21, 32}}, {0, 90, 0, {13, 22, 29}, {13, 22, 29}},
        {0, 0, -90, {12, 19, 33}, {12, 19, 33}}, {0, 0, 0, {11, 22, 33}, {11, 22, 33}},
    };
    for (const auto& c : cases)
        for (bool zyx : {false, true}) {
            List v({{1, 2, 3}}, 4);
            const auto rotate = zyx ? RotateVertexListZYX : RotateVertexListXYZ;
            rotate(v.At(0), 16, v.At(0), 16, 10, 20, 30, c.ax, c.ay, c.az, 1);
            EXPECT_EQ(v.f, WithGuard(zyx ? c.zyx : c.xyz)) << (zyx ? "zyx " : "xyz ") << c.ax << c.ay << c.az;
        }
}

TEST(Transforms, GeneralAnglesMatchTheMatrixProducts) {
    const V t{0.5f, -1, 2}, p{3, -4, 5};
    for (auto [ax, ay, az] : {std::tuple{30.f, 45.f, 60.f}, {-170.f, 12.5f, 300.f}, {1.f, 359.f, 91.f}}) {
        List a({p, p}, 3), b({p, p}, 3);
        RotateVertexListXYZ(a.At(0), 12, a.At(0), 12, t[0], t[1], t[2], ax, ay, az, 2);
        RotateVertexListZYX(b.At(0), 12, b.At(0), 12, t[0], t[1], t[2], ax, ay, az, 2);
        const V xyz = (M::X(ax) * M::Y(ay) * M::Z(az)).Apply(p, t), zyx = (M::Z(az) * M::Y(ay) * M::X(ax)).Apply(p, t);
        for (int i = 0; i < 6; ++i) {
            EXPECT_NEAR(a.f[i], xyz[i % 3], 2e-5f) << ax << " " << ay << " " << az << " " << i;
            EXPECT_NEAR(b.f[i], zyx[i % 3], 2e-5f) << ax << " " << ay << " " << az << " " << i;
        }
    }
}

TEST(Transforms, CountsStridesAndSinglePrecisionCoefficients) {
    // With sin and cos of 33 degrees kept in double the y below would be -6.88443995.
    List v({{-15, 5.66666603f, 0}}, 3);
    Rotate2DVertexList(v.At(0), 12, v.At(0), 12, 1.5f, -2, 33, 1.25f, 0.75f, 0);
    EXPECT_EQ(v.Get(0, 2), (V{-15.6503229f, -6.88444042f}));

    // The 2D rotation takes count + 1 vertices and leaves z alone.
    List two({{1, 0, 9}, {0, 2, 9}, {5, 5, 5}}, 5);
    Rotate2DVertexList(two.At(0), 20, two.At(0), 20, 1, 1, 90, 2, 3, 1);
    EXPECT_EQ(two.Get(0, 5), (V{-3, 4, 9, kGuard, kGuard}));  // ((1+1)2, (0+1)3) turned
    EXPECT_EQ(two.Get(1, 3), (V{-9, 2, 9}));
    EXPECT_EQ(two.Get(2, 3), (V{5, 5, 5}));
    List one({{1, 0, 0}, {1, 0, 0}}, 3);
    Rotate2DVertexList(one.At(0), 12, one.At(0), 12, 0, 0, 180, 1, 1, 0);
    EXPECT_EQ(one.f, (V{-1, ZK_Sin(180), 0, 1, 0, 0}));  // the truncated factor leaves a residue

    // Zero and negative counts write nothing; a negative stride walks backwards.
    List none({{1, 2, 3}}, 3);
    Rotate2DVertexList(none.At(0), 12, none.At(0), 12, 0, 0, 90, 1, 1, -1);
    RotateVertexListXYZ(none.At(0), 12, none.At(0), 12, 1, 1, 1, 0, 0, 0, 0);
    RotateVertexListZYX(none.At(0), 12, none.At(0), 12, 1, 1, 1, 0, 0, 0, -5);
    LerpVertexList(none.At(0), 12, none.At(0), 12, none.At(0), 12, 0, 0.5f);
    EXPECT_EQ(none.f, (V{1, 2, 3}));
    List a({{0, 0, 0}, {4, 8, -4}}, 3), b({{4, 4, 4}, {0, 0, 0}}, 3), out(2, 4);
    LerpVertexList(a.At(1), -12, b.At(1), -12, out.At(0), 16, 2, 0.25f);
    EXPECT_EQ(out.f, (V{3, 6, -3, kGuard, 1, 1, 1, kGuard}));
}

// Parameter block: words 1-3 translation, 4-6 angles, 7-9 scale, 10 order, 11 projection, 12-13 factors.
struct Params {
    uint32_t w[14]{};
    Params(V t, V angles, V scale, int32_t order, int32_t projection, float fx = 0, float fy = 0) {
        const float f[] = {0, t[0], t[1], t[2], angles[0], angles[1], angles[2],
                           scale[0], scale[1], scale[2], 0, 0, fx, fy};
        std::memcpy(w, f, sizeof f);
        std::memcpy(&w[10], &order, 4);
        std::memcpy(&w[11], &projection, 4);
    }
};

TEST(Transforms, ParameterBlockScalesRotatesTranslatesProjects) {
    const float turned = 2 * ZK_Cos(90);  // not quite 0
    const struct { Params params; V want; } cases[] = {
        // Scaled, then turned.
        {{{0, 0, 4}, {0, 0, 90}, {2, 1, 1}, 0, 1, 100, 50}, {turned, 2, 4, float(turned * 100.0 / 4), 25}},
        {{{0, 0, 0.5f}, {0, 0, 0}, {1, 1, 1}, 1, 1, 100, 50}, {1, 0, 0.5f, 0, 0}},     // behind the lens
        {{{0, 3, -2}, {90, 0, 0}, {1, 1, 1}, 1, 0, 100, 50}, {1, 3, -2, kGuard, kGuard}},
        {{{1, 2, 3}, {0, 0, 0}, {1, 1, 1}, 2, 0}, V(5, kGuard)},  // unknown order
        {{{1, 2, 3}, {0, 0, 0}, {1, 1, 1}, 0, 2}, V(5, kGuard)},  // unknown projection
    };
    for (const auto& c : cases) {
        List in({{1, 0, 0}}, 3), out(1, 6);
        RotateVertexList((void*)c.params.w, in.At(0), 12, out.At(0), 24, 1);
        EXPECT_EQ(out.f, WithGuard(c.want));
    }
}

TEST(Transforms, CameraView) {
    // Camera at the origin looking down +z (its pitch 0 enters as 180); object ten units ahead.
    const Params object({0, 0, 10}, {0, 0, 0}, {1, 1, 1}, 0, 0), badOrder({0, 0, 10}, {0, 0, 0}, {1, 1, 1}, 3, 0);
    const struct { Params camera; const Params* object; V want; } cases[] = {
        {{{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, 0, 0, 100, 100}, &object, {1, -2, 10, 10, -20}},
        {{{0, 0, 20}, {0, 0, 0}, {1, 1, 1}, 0, 0, 100, 100}, &object, {1, -2, -10, 0, 0}},     // object behind
        {{{1, 0, 0}, {0, 90, 0}, {1, 1, 1}, 0, 0, 100, 100}, &object, {-10, -2, float(-10.0 * ZK_Cos(90)), 0, 0}},
        {{{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, 0, 0, 100, 100}, &badOrder, V(5, kGuard)},
    };
    for (const auto& c : cases) {
        List in({{1, 2, 0}}, 3), out(1, 6);
        RotateVertexListToCamera((void*)c.camera.w, (void*)c.object->w, in.At(0), 12, out.At(0), 24, 1);
        EXPECT_EQ(out.f, WithGuard(c.want));
    }
}

}  // namespace
