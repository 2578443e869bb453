// Unit tests of mathlib: triangle normal and normalisation, to the bit.
#include <cstring>

#include <gtest/gtest.h>

#include "mathlib.h"

namespace {

struct Vec {
    float x, y, z;
};

// Exact comparison (EXPECT_EQ on floats is ==); 0 and -0 count as equal.
void expect_vec(const float got[3], Vec want) {
    EXPECT_EQ(got[0], want.x);
    EXPECT_EQ(got[1], want.y);
    EXPECT_EQ(got[2], want.z);
}

TEST(CalcNormal, HandWorkedTriangles) {
    const float e = 0x1p-23f;  // one ulp of 1
    struct Row {
        const char* name;
        Vec p0, p1, p2;
        Vec want;
    } rows[] = {
        {"counter-clockwise in xy", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"same corners reversed", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {"in xz, points up", {0, 0, 0}, {2, 0, 0}, {0, 0, -2}, {0, 1, 0}},
        {"collinear on the x axis", {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 0}},
        {"two coinciding corners", {1, 2, 3}, {1, 2, 3}, {4, -1, 0}, {0, 0, 0}},
        {"all corners equal", {5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {0, 0, 0}},
        // Cross product (1, 1, 1); length sqrt(3) rounds to 0x1.bb67aep+0, 1 / that to 0x1.279a74p-1.
        {"tilted, through the three unit points", {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
         {0x1.279a74p-1f, 0x1.279a74p-1f, 0x1.279a74p-1f}},
        // d1 = (0, 1+e, 1), d2 = (0, 1+2e, 1+e). out x = (1+e)(1+e) - 1(1+2e) = e*e = 2^-46
        // exactly with double products; in float (1+e)(1+e) rounds to 1+2e and out x
        // would be 0, giving (0, 0, 0). The length 2^-46 is exact, so the result is (1, 0, 0).
        {"near-parallel edges need exact products", {0, 1 + e, 1}, {0, 0, 0}, {0, -(1 + 2 * e), -(1 + e)},
         {1, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        float p0[3] = {r.p0.x, r.p0.y, r.p0.z};
        float p1[3] = {r.p1.x, r.p1.y, r.p1.z};
        float p2[3] = {r.p2.x, r.p2.y, r.p2.z};
        float c0[3], c1[3], c2[3];
        std::memcpy(c0, p0, sizeof p0);
        std::memcpy(c1, p1, sizeof p1);
        std::memcpy(c2, p2, sizeof p2);
        float out[3] = {99, 99, 99};
        calcNormal(p0, p1, p2, out);
        expect_vec(out, r.want);
        // The corners are inputs only.
        EXPECT_EQ(0, std::memcmp(c0, p0, sizeof p0));
        EXPECT_EQ(0, std::memcmp(c1, p1, sizeof p1));
        EXPECT_EQ(0, std::memcmp(c2, p2, sizeof p2));
    }
}

TEST(ReduceToUnit, HandWorkedVectors) {
    struct Row {
        const char* name;
        Vec in, want;
    } rows[] = {
        {"zero stays zero", {0, 0, 0}, {0, 0, 0}},
        {"already unit", {0, 0, -1}, {0, 0, -1}},
        {"axis vector", {0, 0, -2}, {0, 0, -1}},
        {"3-4-5", {3, 4, 0}, {0.6f, 0.8f, 0}},
        // sqrt(0.5) rounds to 0x1.6a09e6p-1 and 0.5 / that rounds back to the same float.
        {"half diagonal", {0.5f, 0, 0.5f}, {0x1.6a09e6p-1f, 0, 0x1.6a09e6p-1f}},
        // 4109^2 + 18^2 = 16884205 is exact in double; sqrt = 4109.0394... rounds to
        // 0x1.00d0a2p+12, and 18 and 4109 divided by it give the values below. In float
        // 4109^2 rounds to 16883880, the sum to 16884204, its root to 0x1.00d0ap+12,
        // and the quotients would end in ...0ap-8 and ...c2p-1 instead.
        {"sum of squares beyond float precision", {18, 4109, 0}, {0x1.1f1608p-8f, 0x1.fffebep-1f, 0}},
        // In float x*x would overflow to inf (result 0) or underflow to 0 (result unscaled).
        {"squares overflow float", {0x1p64f, 0, 0}, {1, 0, 0}},
        {"squares underflow float", {0, 0x1p-80f, 0}, {0, 1, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        float v[3] = {r.in.x, r.in.y, r.in.z};
        ReduceToUnit(v);
        expect_vec(v, r.want);
    }
}

}  // namespace
