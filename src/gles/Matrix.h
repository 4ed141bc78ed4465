// The fixed function's matrices: built from glRotate/glTranslate/glFrustum's
// arguments and kept in float, the way Mesa builds and keeps them, so that
// vertices land on the same pixels as under the driver's fixed function.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace gles {

// Column-major, as GL lays matrices out: row r, column c at [c * 4 + r].
using Matrix = std::array<float, 16>;

// A column-major 3 x 3 matrix, for normals.
using Matrix3 = std::array<float, 9>;

// The identity.
Matrix MakeIdentityMatrix();

// a * b in float, each element summed over k = 0..3 in order.
Matrix MultiplyMatrices(const Matrix& a, const Matrix& b);

// m * R: a rotation by angle degrees about (x, y, z); an axis shorter than
// 1e-4 leaves m as it is.
void Rotate(Matrix& m, double angle, double x, double y, double z);

// m * T: a translation.
void Translate(Matrix& m, double x, double y, double z);

// m * F: a perspective frustum. The caller has checked the planes.
void MultiplyFrustum(Matrix& m, double left, double right, double bottom, double top, double zNear, double zFar);

// m * p for a homogeneous point.
std::array<float, 4> TransformPoint(const Matrix& m, const std::array<float, 4>& p);

// The upper 3 x 3 of m times d: a direction, such as a spotlight's.
std::array<float, 3> TransformDirection(const Matrix& m, const std::array<float, 3>& d);

// The inverse transpose of m's upper 3 x 3: what normals go through.
Matrix3 ComputeNormalMatrix(const Matrix& m);

// One of GL's matrix stacks: the top is the current matrix. Pushing past the
// capacity or popping the last matrix throws Error naming the stack.
class MatrixStack {
public:
    // A stack holding the identity, with room for capacity matrices.
    MatrixStack(const char* name, std::size_t capacity);

    // The current matrix.
    Matrix& Top() { return stack_.back(); }
    const Matrix& Top() const { return stack_.back(); }

    // glPushMatrix: a copy of the top goes on top.
    void Push();

    // glPopMatrix: the top goes.
    void Pop();

    // How many matrices the stack holds (1 when nothing is pushed).
    std::size_t Depth() const { return stack_.size(); }

private:
    const char* name_;
    std::size_t capacity_;
    std::vector<Matrix> stack_;
};

} // namespace gles
