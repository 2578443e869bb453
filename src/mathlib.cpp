// Vector helpers of the normal pass.
#include "mathlib.h"

#include <cmath>

namespace {
const int x = 0;
const int y = 1;
const int z = 2;
}  // namespace

void calcNormal(float p0[3], float p1[3], float p2[3], float out[3]) {
    float d1[3], d2[3];
    d1[x] = p0[x] - p1[x];
    d1[y] = p0[y] - p1[y];
    d1[z] = p0[z] - p1[z];
    d2[x] = p1[x] - p2[x];
    d2[y] = p1[y] - p2[y];
    d2[z] = p1[z] - p2[z];

    // Products of two floats are exact in double; only the difference rounds.
    out[x] = static_cast<float>(static_cast<double>(d1[y]) * d2[z] - static_cast<double>(d1[z]) * d2[y]);
    out[y] = static_cast<float>(static_cast<double>(d1[z]) * d2[x] - static_cast<double>(d1[x]) * d2[z]);
    out[z] = static_cast<float>(static_cast<double>(d1[x]) * d2[y] - static_cast<double>(d1[y]) * d2[x]);

    ReduceToUnit(out);
}

void ReduceToUnit(float v[3]) {
    double sq = static_cast<double>(v[x]) * v[x] + static_cast<double>(v[y]) * v[y] +
                static_cast<double>(v[z]) * v[z];
    float length = static_cast<float>(std::sqrt(sq));
    if (length == 0.0f) length = 1.0f;
    v[x] = v[x] / length;
    v[y] = v[y] / length;
    v[z] = v[z] / length;
}
