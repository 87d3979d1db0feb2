#include "platform/fx/Matrix.h"

#include <array>
#include <gtest/gtest.h>

namespace orb::fx {
namespace {

using Vector = std::array<float, 4>;

Vector transform(const Vector& v, const Matrix& m)
{
    Vector result{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            result[column] += v[row] * m.m[row][column];
    return result;
}

void expectNear(const Vector& actual, const Vector& expected)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}

constexpr float Quarter = 1.5707964f; // a quarter turn

TEST(Matrix, RotationsTurnLeftHandedAboutTheirAxes)
{
    expectNear(transform({1, 0, 0, 1}, rotationY(Quarter)), {0, 0, -1, 1}); // yaw: +x to -z
    expectNear(transform({0, 1, 0, 1}, rotationX(Quarter)), {0, 0, 1, 1});  // pitch: +y to +z
    expectNear(transform({1, 0, 0, 1}, rotationZ(Quarter)), {0, 1, 0, 1});  // roll: +x to +y
}

TEST(Matrix, YawPitchRollAppliesRollThenPitchThenYaw)
{
    // +x rolls to +y, pitches to +z, yaws to +x again.
    expectNear(transform({1, 0, 0, 1}, rotationYawPitchRoll(Quarter, Quarter, Quarter)), {1, 0, 0, 1});
    const Matrix combined = rotationYawPitchRoll(0.3f, -0.7f, 1.1f);
    const Matrix stepwise = rotationZ(1.1f) * rotationX(-0.7f) * rotationY(0.3f);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(combined.m[row][column], stepwise.m[row][column], 1e-6f);
}

TEST(Matrix, PerspectiveMapsNearAndFarToDepthZeroAndOne)
{
    const Matrix projection = perspectiveFovLH(Quarter, 2.0f, 0.1f, 1000.0f);
    const Vector nearPoint = transform({0, 0, 0.1f, 1}, projection);
    const Vector farPoint = transform({0, 0, 1000.0f, 1}, projection);
    EXPECT_NEAR(nearPoint[2] / nearPoint[3], 0.0f, 1e-6f);
    EXPECT_NEAR(farPoint[2] / farPoint[3], 1.0f, 1e-6f);
    // At distance 1 a 90 degree field of view spans y = -1..1 and, at aspect 2, x = -2..2.
    const Vector corner = transform({2, 1, 1, 1}, projection);
    EXPECT_NEAR(corner[0] / corner[3], 1.0f, 1e-6f);
    EXPECT_NEAR(corner[1] / corner[3], 1.0f, 1e-6f);
}

TEST(MatrixStack, LocalOperationsMultiplyOnTheLeftOthersOnTheRight)
{
    MatrixStack stack;
    stack.loadIdentity();
    stack.translateLocal(0, 0, 5);
    stack.rotateYawPitchRollLocal(Quarter, 0, 0);
    // The local rotation comes first: +x turns to -z, then moves 5 ahead.
    expectNear(transform({1, 0, 0, 1}, stack.top()), {0, 0, 4, 1});

    stack.loadIdentity();
    stack.translate(0, 0, 5);
    stack.rotateYawPitchRoll(Quarter, 0, 0);
    // The right-hand rotation comes last: (1, 0, 5) turns to (5, 0, -1).
    expectNear(transform({1, 0, 0, 1}, stack.top()), {5, 0, -1, 1});

    stack.loadIdentity();
    stack.translate(1, 0, 0);
    stack.scaleLocal(2, 3, 4);
    expectNear(transform({1, 1, 1, 1}, stack.top()), {3, 3, 4, 1});
}

} // namespace
} // namespace orb::fx
