// The unit normal of a model face from its first three corners, shared by the game's model
// reader and the world checker so that both give the same bits.
#pragma once

#include <cmath>

// Writes the unit normal of (p1 - p0) x (p2 - p0) and returns true; writes (0, 0, 1) and
// returns false when the corners are collinear or coincide, or give no finite direction.
inline bool faceNormal(const float* p0, const float* p1, const float* p2, float* normal)
{
    const float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    const float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    // The squares summed, the root taken and every division made in float.
    const float squares = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (std::isnormal(squares)) {
        const float length = std::sqrt(squares);
        for (int i = 0; i < 3; ++i) normal[i] = n[i] / length;
        return true;
    }
    // A cross product near the float limits, whose squares overflow to infinity or sum to a
    // subnormal number or zero (losing the precision of the length), still has a finite,
    // non-zero length in double.
    const double wide =
        std::sqrt(static_cast<double>(n[0]) * n[0] + static_cast<double>(n[1]) * n[1] +
                  static_cast<double>(n[2]) * n[2]);
    for (float& component : n) component = static_cast<float>(component / wide);
    const bool usable =
        wide > 0.0 && std::isfinite(n[0]) && std::isfinite(n[1]) && std::isfinite(n[2]);
    normal[0] = usable ? n[0] : 0.0f;
    normal[1] = usable ? n[1] : 0.0f;
    normal[2] = usable ? n[2] : 1.0f;
    return usable;
}
