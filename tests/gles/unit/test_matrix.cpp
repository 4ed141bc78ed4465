// The matrices: what glRotated, glTranslated and glFrustum multiply on, the
// normals' matrix, and the stacks' depths and errors.
#include "gles/Error.h"
#include "gles/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace gles {
namespace {

void ExpectNear(const Matrix& got, const Matrix& want, double tolerance = 1e-6)
{
    for (std::size_t k = 0; k < 16; ++k) EXPECT_NEAR(got[k], want[k], tolerance) << "element " << k;
}

TEST(Matrix, TransformsComposeInCallOrder)
{
    // Translate, then rotate: the rotation applies to the point first.
    Matrix m = MakeIdentityMatrix();
    Translate(m, 10, 0, 0);
    Rotate(m, 90, 0, 0, 1);
    const auto p = TransformPoint(m, {1, 0, 0, 1});
    EXPECT_NEAR(p[0], 10, 1e-6);
    EXPECT_NEAR(p[1], 1, 1e-6);
    EXPECT_NEAR(p[2], 0, 1e-6);
    EXPECT_EQ(p[3], 1);
}

// About a coordinate axis the matrix holds only the sine and cosine, exactly;
// about any other axis it is the normalised-axis formula.
TEST(Matrix, RotationsMatchTheirAxesAndAngles)
{
    const float c = std::cos(static_cast<float>(30 * 3.14159265358979323846 / 180));
    const float s = std::sin(static_cast<float>(30 * 3.14159265358979323846 / 180));
    Matrix m = MakeIdentityMatrix();
    Rotate(m, 30, 1, 0, 0);
    EXPECT_EQ(m, (Matrix{1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}));
    m = MakeIdentityMatrix();
    Rotate(m, 30, 0, -2, 0); // a negative axis turns the other way
    EXPECT_EQ(m, (Matrix{c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1}));
    // 120 degrees about (1, 1, 1) cycles the axes: x to y, y to z, z to x.
    m = MakeIdentityMatrix();
    Rotate(m, 120, 3, 3, 3);
    ExpectNear(m, {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    // An axis too short to normalise leaves the matrix alone.
    m = MakeIdentityMatrix();
    Rotate(m, 45, 0, 0, 0);
    Rotate(m, 45, 1e-5, 0, 1e-5);
    EXPECT_EQ(m, MakeIdentityMatrix());
}

TEST(Matrix, FrustumIsTheShowsProjection)
{
    Matrix m = MakeIdentityMatrix();
    MultiplyFrustum(m, -4, 4, -3, 3, 4, 4096);
    const float c = -(4096.0f + 4.0f) / (4096.0f - 4.0f), d = -(2.0f * 4096.0f * 4.0f) / (4096.0f - 4.0f);
    EXPECT_EQ(m, (Matrix{1, 0, 0, 0, 0, 8.0f / 6.0f, 0, 0, 0, 0, c, -1, 0, 0, d, 0}));
    // The near plane's corner lands on the clip volume's corner.
    const auto p = TransformPoint(m, {4, 3, -4, 1});
    EXPECT_NEAR(p[0] / p[3], 1, 1e-6);
    EXPECT_NEAR(p[1] / p[3], 1, 1e-6);
    EXPECT_NEAR(p[2] / p[3], -1, 1e-5);
}

TEST(Matrix, NormalsGoThroughTheInverseTranspose)
{
    // A rotation is its own inverse transpose.
    Matrix m = MakeIdentityMatrix();
    Rotate(m, 37, 1, 2, 3);
    Translate(m, 5, 6, 7);
    const Matrix3 rotation = ComputeNormalMatrix(m);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) EXPECT_EQ(rotation[c * 3 + r], m[c * 4 + r]);
    // Scaling x by 2 and shearing y into x: normals scale by 1/2 and pick up
    // the inverse shear, so they stay perpendicular to transformed surfaces.
    const Matrix skew{2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Matrix3 n = ComputeNormalMatrix(skew);
    const Matrix3 want{0.5f, -0.5f, 0, 0, 1, 0, 0, 0, 1};
    for (std::size_t k = 0; k < 9; ++k) EXPECT_NEAR(n[k], want[k], 1e-7) << k;
}

TEST(MatrixStack, PushCopiesAndPopRestores)
{
    MatrixStack stack("modelview", 32);
    Translate(stack.Top(), 1, 2, 3);
    const Matrix moved = stack.Top();
    stack.Push();
    EXPECT_EQ(stack.Top(), moved);
    Rotate(stack.Top(), 90, 0, 1, 0);
    stack.Pop();
    EXPECT_EQ(stack.Top(), moved);
    EXPECT_EQ(stack.Depth(), 1u);
}

// GL's least depths are 32 for the modelview and 2 for the others; going
// over or under is an error that names the stack.
TEST(MatrixStack, OverflowAndUnderflowNameTheStack)
{
    MatrixStack modelview("modelview", 32);
    for (int k = 1; k < 32; ++k) modelview.Push();
    EXPECT_EQ(modelview.Depth(), 32u);
    try {
        modelview.Push();
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "GL renderer: glPushMatrix overflows the modelview matrix stack (32 deep)");
    }
    EXPECT_EQ(modelview.Depth(), 32u);
    MatrixStack texture("texture", 2);
    texture.Push();
    EXPECT_THROW(texture.Push(), Error);
    texture.Pop();
    try {
        texture.Pop();
        FAIL() << "no underflow";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "GL renderer: glPopMatrix underflows the texture matrix stack");
    }
}

} // namespace
} // namespace gles
