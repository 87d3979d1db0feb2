#pragma once

// Matrix functions and the matrix stack, with D3DX's meaning.
//
// Matrices are row-major and apply to row vectors (v' = v * M); coordinates are left-handed.
// Yaw turns about Y, pitch about X, roll about Z; a yaw-pitch-roll rotation applies roll first,
// then pitch, then yaw. In the stack, the ...Local operations multiply on the left of the top,
// the others on the right.
//
//   MatrixStack stack;
//   stack.loadIdentity();
//   stack.translateLocal(0, 0, 1);
//   stack.rotateYawPitchRollLocal(t, 0, 0);        // rotate, then move one unit ahead
//   device.setTransform(TransformType::World, stack.top());

#include "platform/gfx/Codes.h"

namespace orb::fx {

using gfx::Matrix;

Matrix translation(float x, float y, float z);
Matrix scaling(float x, float y, float z);
Matrix rotationX(float angle);
Matrix rotationY(float angle);
Matrix rotationZ(float angle);
Matrix rotationYawPitchRoll(float yaw, float pitch, float roll);
// Left-handed perspective from a vertical field of view; depth runs from 0 at zNear to 1 at zFar.
Matrix perspectiveFovLH(float fovY, float aspect, float zNear, float zFar);

class MatrixStack
{
public:
    void loadIdentity() { top_ = Matrix::identity(); }
    void translate(float x, float y, float z) { top_ = top_ * translation(x, y, z); }
    void translateLocal(float x, float y, float z) { top_ = translation(x, y, z) * top_; }
    void rotateYawPitchRoll(float yaw, float pitch, float roll)
    {
        top_ = top_ * rotationYawPitchRoll(yaw, pitch, roll);
    }
    void rotateYawPitchRollLocal(float yaw, float pitch, float roll)
    {
        top_ = rotationYawPitchRoll(yaw, pitch, roll) * top_;
    }
    void scaleLocal(float x, float y, float z) { top_ = scaling(x, y, z) * top_; }
    const Matrix& top() const { return top_; }

private:
    Matrix top_ = Matrix::identity();
};

} // namespace orb::fx
