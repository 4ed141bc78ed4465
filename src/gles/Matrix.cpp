#include "gles/Matrix.h"

#include "gles/Error.h"

#include <cmath>
#include <numbers>
#include <string>

namespace gles {

namespace {

float& At(Matrix& m, int row, int column)
{
    return m[static_cast<std::size_t>(column * 4 + row)];
}

float At(const Matrix& m, int row, int column)
{
    return m[static_cast<std::size_t>(column * 4 + row)];
}

// The rotation matrix as Mesa builds it: sine and cosine in float, an exact
// matrix for the three axes, the normalised axis formula otherwise.
bool RotationMatrix(Matrix& r, float angle, float x, float y, float z)
{
    const double radians = static_cast<double>(angle) * std::numbers::pi / 180.0;
    const float s = std::sin(static_cast<float>(radians));
    const float c = std::cos(static_cast<float>(radians));
    r = MakeIdentityMatrix();
    if (x == 0 && y == 0 && z != 0) {
        At(r, 0, 0) = At(r, 1, 1) = c;
        At(r, 0, 1) = z < 0 ? s : -s;
        At(r, 1, 0) = z < 0 ? -s : s;
        return true;
    }
    if (x == 0 && z == 0 && y != 0) {
        At(r, 0, 0) = At(r, 2, 2) = c;
        At(r, 0, 2) = y < 0 ? -s : s;
        At(r, 2, 0) = y < 0 ? s : -s;
        return true;
    }
    if (y == 0 && z == 0 && x != 0) {
        At(r, 1, 1) = At(r, 2, 2) = c;
        At(r, 1, 2) = x < 0 ? s : -s;
        At(r, 2, 1) = x < 0 ? -s : s;
        return true;
    }
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length <= 1.0e-4f) return false;
    x /= length, y /= length, z /= length;
    const float oneMinusC = 1.0f - c;
    At(r, 0, 0) = oneMinusC * (x * x) + c;
    At(r, 0, 1) = oneMinusC * (x * y) - z * s;
    At(r, 0, 2) = oneMinusC * (z * x) + y * s;
    At(r, 1, 0) = oneMinusC * (x * y) + z * s;
    At(r, 1, 1) = oneMinusC * (y * y) + c;
    At(r, 1, 2) = oneMinusC * (y * z) - x * s;
    At(r, 2, 0) = oneMinusC * (z * x) - y * s;
    At(r, 2, 1) = oneMinusC * (y * z) + x * s;
    At(r, 2, 2) = oneMinusC * (z * z) + c;
    return true;
}

// Whether the upper 3 x 3 is a rotation, to the driver's tolerance: its
// inverse transpose is then the matrix itself.
bool IsRotation(const Matrix& m)
{
    const auto column = [&](int c) { return std::array<double, 3>{At(m, 0, c), At(m, 1, c), At(m, 2, c)}; };
    const auto dot = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    const auto c0 = column(0), c1 = column(1), c2 = column(2);
    const std::array<double, 3> cross{c0[1] * c1[2] - c0[2] * c1[1], c0[2] * c1[0] - c0[0] * c1[2],
                                      c0[0] * c1[1] - c0[1] * c1[0]};
    const std::array<double, 3> off{cross[0] - c2[0], cross[1] - c2[1], cross[2] - c2[2]};
    constexpr double tolerance = 1e-6;
    return std::abs(dot(c0, c0) - 1) < tolerance && std::abs(dot(c1, c1) - 1) < tolerance &&
           std::abs(dot(c2, c2) - 1) < tolerance && std::abs(dot(c0, c1)) < tolerance &&
           dot(off, off) < tolerance * tolerance;
}

} // namespace

Matrix MakeIdentityMatrix()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix MultiplyMatrices(const Matrix& a, const Matrix& b)
{
    Matrix p{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            At(p, row, column) = At(a, row, 0) * At(b, 0, column) + At(a, row, 1) * At(b, 1, column) +
                                 At(a, row, 2) * At(b, 2, column) + At(a, row, 3) * At(b, 3, column);
    return p;
}

void Rotate(Matrix& m, double angle, double x, double y, double z)
{
    Matrix r;
    if (RotationMatrix(r, static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y),
                       static_cast<float>(z)))
        m = MultiplyMatrices(m, r);
}

void Translate(Matrix& m, double x, double y, double z)
{
    const float fx = static_cast<float>(x), fy = static_cast<float>(y), fz = static_cast<float>(z);
    for (int row = 0; row < 4; ++row)
        At(m, row, 3) = At(m, row, 0) * fx + At(m, row, 1) * fy + At(m, row, 2) * fz + At(m, row, 3);
}

void MultiplyFrustum(Matrix& m, double left, double right, double bottom, double top, double zNear, double zFar)
{
    const float l = static_cast<float>(left), r = static_cast<float>(right);
    const float b = static_cast<float>(bottom), t = static_cast<float>(top);
    const float n = static_cast<float>(zNear), f = static_cast<float>(zFar);
    Matrix p{};
    At(p, 0, 0) = (2.0f * n) / (r - l);
    At(p, 1, 1) = (2.0f * n) / (t - b);
    At(p, 0, 2) = (r + l) / (r - l);
    At(p, 1, 2) = (t + b) / (t - b);
    At(p, 2, 2) = -(f + n) / (f - n);
    At(p, 2, 3) = -(2.0f * f * n) / (f - n);
    At(p, 3, 2) = -1.0f;
    m = MultiplyMatrices(m, p);
}

std::array<float, 4> TransformPoint(const Matrix& m, const std::array<float, 4>& p)
{
    std::array<float, 4> q;
    for (int row = 0; row < 4; ++row)
        q[static_cast<std::size_t>(row)] =
            At(m, row, 0) * p[0] + At(m, row, 1) * p[1] + At(m, row, 2) * p[2] + At(m, row, 3) * p[3];
    return q;
}

std::array<float, 3> TransformDirection(const Matrix& m, const std::array<float, 3>& d)
{
    std::array<float, 3> q;
    for (int row = 0; row < 3; ++row)
        q[static_cast<std::size_t>(row)] = At(m, row, 0) * d[0] + At(m, row, 1) * d[1] + At(m, row, 2) * d[2];
    return q;
}

Matrix3 ComputeNormalMatrix(const Matrix& m)
{
    Matrix3 n;
    if (IsRotation(m)) {
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r) n[static_cast<std::size_t>(c * 3 + r)] = At(m, r, c);
        return n;
    }
    // The inverse transpose is the cofactor matrix over the determinant.
    const auto a = [&](int r, int c) { return static_cast<double>(At(m, r % 3, c % 3)); };
    const auto cofactor = [&](int r, int c) {
        return a(r + 1, c + 1) * a(r + 2, c + 2) - a(r + 1, c + 2) * a(r + 2, c + 1);
    };
    const double determinant = a(0, 0) * cofactor(0, 0) + a(0, 1) * cofactor(0, 1) + a(0, 2) * cofactor(0, 2);
    const double scale = determinant != 0 ? 1 / determinant : 0;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) n[static_cast<std::size_t>(c * 3 + r)] = static_cast<float>(cofactor(r, c) * scale);
    return n;
}

MatrixStack::MatrixStack(const char* name, std::size_t capacity) : name_(name), capacity_(capacity)
{
    stack_.reserve(capacity);
    stack_.push_back(MakeIdentityMatrix());
}

void MatrixStack::Push()
{
    if (stack_.size() == capacity_)
        Fail("glPushMatrix overflows the " + std::string(name_) + " matrix stack (" + std::to_string(capacity_) +
             " deep)");
    stack_.push_back(stack_.back());
}

void MatrixStack::Pop()
{
    if (stack_.size() == 1) Fail("glPopMatrix underflows the " + std::string(name_) + " matrix stack");
    stack_.pop_back();
}

} // namespace gles
