#include "platform/fx/Matrix.h"

#include <cmath>

namespace orb::fx {

Matrix translation(float x, float y, float z)
{
    Matrix matrix = Matrix::identity();
    matrix.m[3][0] = x;
    matrix.m[3][1] = y;
    matrix.m[3][2] = z;
    return matrix;
}

Matrix scaling(float x, float y, float z)
{
    return {{{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}}};
}

Matrix rotationX(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}

Matrix rotationY(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}

Matrix rotationZ(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix rotationYawPitchRoll(float yaw, float pitch, float roll)
{
    return rotationZ(roll) * rotationX(pitch) * rotationY(yaw);
}

Matrix perspectiveFovLH(float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    return {{{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, depth, 1}, {0, 0, -zNear * depth, 0}}};
}

} // namespace orb::fx
