// The lighting equation's reference against values worked out by hand with
// the show's lights and colour material, and how glLightfv and
// glColorMaterial change the state the equation reads.
#include "gles/Enums.h"
#include "gles/Error.h"
#include "gles/Lighting.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gles {
namespace {

using Color = std::array<double, 4>;

void ExpectColor(const Color& got, const Color& want)
{
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(got[k], want[k], 1e-6) << "component " << k;
}

// The show's set-up: light-model ambient 0.2, the front material's ambient
// and diffuse following the colour, lights off until a test places them.
class Lighting : public ::testing::Test {
protected:
    Lighting()
    {
        for (std::size_t i = 0; i < lights.size(); ++i) lights[i] = MakeDefaultLight(static_cast<int>(i));
        const float ambient[4] = {0.2f, 0.2f, 0.2f, 0.2f};
        SetLightModelParameter(model, glenum::LightModelAmbient, ambient);
    }

    void Place(int index, const Vec4& diffuse, const Vec4& position, const Matrix& modelview = MakeIdentityMatrix())
    {
        Light& light = lights[static_cast<std::size_t>(index)];
        SetLightParameter(light, glenum::Diffuse, diffuse.data(), modelview);
        SetLightParameter(light, glenum::Position, position.data(), modelview);
        light.enabled = true;
    }

    Color Lit(const Vec4& color, const std::array<double, 3>& v, const std::array<double, 3>& n) const
    {
        const unsigned tracked = GetColorMaterialProperties(glenum::Front, glenum::AmbientAndDiffuse);
        return ComputeLitColor(lights, model, TrackColor(material, tracked, color), v, n);
    }

    std::array<Light, 8> lights;
    LightModel model;
    Material material;
};

// Colour (0.5, 0.4, 1, 0.7): the scene ambient gives 0.2 of it everywhere.
TEST_F(Lighting, PositionalLightAddsDiffuseByTheCosineToTheLight)
{
    Place(0, {0, 1, 0, 1}, {140, 0, 40, 1});
    // The light lies along +x from (100, 0, 40); the normal is 0.6 along x.
    ExpectColor(Lit({0.5f, 0.4f, 1, 0.7f}, {100, 0, 40}, {0.6, 0.8, 0}), {0.1, 0.08 + 0.6 * 0.4, 0.2, 0.7});
    // Facing away: the ambient terms alone (the light's own ambient is black).
    ExpectColor(Lit({0.5f, 0.4f, 1, 0.7f}, {100, 0, 40}, {-0.6, 0.8, 0}), {0.1, 0.08, 0.2, 0.7});
}

TEST_F(Lighting, DirectionalLightIsTheSameEverywhere)
{
    Place(1, {1, 0, 0, 1}, {0, 0, 2, 0});
    for (const auto& v : {std::array<double, 3>{0, 0, 0}, {500, -300, -4000}})
        ExpectColor(Lit({0.5f, 0.4f, 1, 1}, v, {0, 0.6, 0.8}), {0.1 + 0.8 * 0.5, 0.08, 0.2, 1});
}

// The show's red light: (0, 0, 0, -1) is the origin of the frame it is set in.
TEST_F(Lighting, WMinusOneLightSitsAtItsFramesOrigin)
{
    Matrix frame = MakeIdentityMatrix();
    Translate(frame, 0, 50, 0);
    Place(1, {1, 0, 0, 1}, {0, 0, 0, -1}, frame);
    EXPECT_EQ(PrepareLightPosition(lights[1]), (Vec4{0, 50, 0, 1}));
    // Straight above the vertex: the whole diffuse.
    ExpectColor(Lit({0.5f, 0.5f, 0.5f, 1}, {0, 0, 0}, {0, 1, 0}), {0.1 + 0.5, 0.1, 0.1, 1});
}

TEST_F(Lighting, LightsAddUpAndTheSumIsClamped)
{
    Place(0, {0, 1, 0, 1}, {0, 0, 1, 0});
    Place(1, {1, 0, 0, 1}, {0, 0, 1, 0});
    Place(2, {0, 0, 1, 1}, {0, 10, 0, 1});
    ExpectColor(Lit({0.5f, 0.5f, 0.5f, 0.5f}, {0, 0, 0}, {0, 0, 1}), {0.1 + 0.5, 0.1 + 0.5, 0.1, 0.5});
    // 0.2 + 0.96 is over 1 for red and green.
    ExpectColor(Lit({1, 1, 1, 1}, {0, 0, 0}, {0, 0.28, 0.96}), {1, 1, 0.2 + 0.28, 1});
}

TEST_F(Lighting, SpecularUsesTheHalfVectorAndShininess)
{
    material.specular = {1, 1, 1, 1};
    material.shininess = 2;
    Place(0, {0, 0, 0, 1}, {0, 0, 1, 0}); // light 0's specular is white by default
    // Viewer along +z: the half vector is +z; (n . h)^2 = 0.64.
    ExpectColor(Lit({0, 0, 0, 1}, {0, 0, -10}, {0, 0.6, 0.8}), {0.64, 0.64, 0.64, 1});
    // A local viewer at the eye: from (0, -10, -10) the half vector is +z
    // plus the direction to the eye, (0, 1, 1) / sqrt 2, normalised.
    const float on = 1;
    SetLightModelParameter(model, glenum::LightModelLocalViewer, &on);
    const double h = std::sqrt(2.0 + std::sqrt(2.0)),
                 cosine = (0.6 * (1 / std::sqrt(2.0)) + 0.8 * (1 + 1 / std::sqrt(2.0))) / h;
    const double s = cosine * cosine;
    ExpectColor(Lit({0, 0, 0, 1}, {0, -10, -10}, {0, 0.6, 0.8}), {s, s, s, 1});
    // No specular where the light is behind the surface.
    ExpectColor(Lit({0, 0, 0, 1}, {0, 0, -10}, {0, 0.6, -0.8}), {0, 0, 0, 1});
}

TEST_F(Lighting, AttenuationAndSpotScaleALight)
{
    Place(0, {1, 1, 1, 1}, {0, 0, 10, 1});
    const float constant = 2, linear = 0.1f, cutoff = 30, exponent = 2;
    SetLightParameter(lights[0], glenum::ConstantAttenuation, &constant, MakeIdentityMatrix());
    SetLightParameter(lights[0], glenum::LinearAttenuation, &linear, MakeIdentityMatrix());
    // 10 away: 1 / (2 + 0.1 * 10) = 1/3.
    ExpectColor(Lit({1, 1, 1, 1}, {0, 0, 0}, {0, 0, 1}), {0.2 + 1.0 / 3, 0.2 + 1.0 / 3, 0.2 + 1.0 / 3, 1});
    const float down[3] = {0, 0, -1};
    SetLightParameter(lights[0], glenum::SpotDirection, down, MakeIdentityMatrix());
    SetLightParameter(lights[0], glenum::SpotCutoff, &cutoff, MakeIdentityMatrix());
    SetLightParameter(lights[0], glenum::SpotExponent, &exponent, MakeIdentityMatrix());
    EXPECT_NEAR(ComputeSpotCosine(lights[0]), std::cos(30 * 3.14159265358979 / 180), 1e-7);
    // On the axis the spot factor is 1; at (10, 0, 0) the vertex lies 45
    // degrees off it, outside the 30 degree cone.
    ExpectColor(Lit({1, 1, 1, 1}, {0, 0, 0}, {0, 0, 1}), {0.2 + 1.0 / 3, 0.2 + 1.0 / 3, 0.2 + 1.0 / 3, 1});
    ExpectColor(Lit({1, 1, 1, 1}, {10, 0, 0}, {0, 0, 1}), {0.2, 0.2, 0.2, 1});
    // 20 degrees off: cos^2(20), over the distance 10 / cos(20).
    const double c20 = std::cos(20 * 3.14159265358979 / 180), d = 10 / c20;
    const double lit = c20 * c20 / (2 + 0.1 * d) * c20;
    ExpectColor(Lit({1, 1, 1, 1}, {10 * std::tan(20 * 3.14159265358979 / 180), 0, 0}, {0, 0, 1}),
                {0.2 + lit, 0.2 + lit, 0.2 + lit, 1});
}

// Positions go through the whole modelview, spot directions through its
// upper 3 x 3 only, both when they are set.
TEST(LightState, PositionsAndDirectionsAreKeptInEyeCoordinates)
{
    Matrix modelview = MakeIdentityMatrix();
    Translate(modelview, 10, 20, 30);
    Rotate(modelview, 90, 0, 0, 1);
    Light light;
    const float position[4] = {1, 0, 0, 1}, direction[3] = {1, 0, 0};
    SetLightParameter(light, glenum::Position, position, modelview);
    SetLightParameter(light, glenum::SpotDirection, direction, modelview);
    EXPECT_NEAR(light.position[0], 10, 1e-6);
    EXPECT_NEAR(light.position[1], 21, 1e-6);
    EXPECT_NEAR(light.position[2], 30, 1e-6);
    EXPECT_EQ(light.position[3], 1);
    EXPECT_NEAR(light.spotDirection[0], 0, 1e-6);
    EXPECT_NEAR(light.spotDirection[1], 1, 1e-6);
    EXPECT_NEAR(light.spotDirection[2], 0, 1e-6);
    const float direction4[4] = {3, 0, 4, 0};
    SetLightParameter(light, glenum::Position, direction4, MakeIdentityMatrix());
    EXPECT_EQ(PrepareLightPosition(light), (Vec4{0.6f, 0, 0.8f, 0}));
}

TEST(LightState, ValuesAndNamesOutsideTheSubsetThrow)
{
    Light light;
    const float wide = 95, steep = 129, negative = -1;
    EXPECT_THROW(SetLightParameter(light, glenum::SpotCutoff, &wide, MakeIdentityMatrix()), Error);
    EXPECT_THROW(SetLightParameter(light, glenum::SpotExponent, &steep, MakeIdentityMatrix()), Error);
    EXPECT_THROW(SetLightParameter(light, glenum::QuadraticAttenuation, &negative, MakeIdentityMatrix()), Error);
    try {
        SetLightParameter(light, glenum::Emission, &wide, MakeIdentityMatrix());
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "GL renderer: glLightfv(0x1600) is not supported");
    }
    LightModel model;
    const float on = 1, off = 0;
    EXPECT_THROW(SetLightModelParameter(model, glenum::LightModelTwoSide, &on), Error);
    EXPECT_NO_THROW(SetLightModelParameter(model, glenum::LightModelTwoSide, &off));
    EXPECT_THROW(GetColorMaterialProperties(glenum::Front, glenum::Position), Error);
}

TEST(LightState, ColorMaterialTracksTheFrontMaterialOnly)
{
    EXPECT_EQ(GetColorMaterialProperties(glenum::Front, glenum::AmbientAndDiffuse), MaterialAmbient | MaterialDiffuse);
    EXPECT_EQ(GetColorMaterialProperties(glenum::FrontAndBack, glenum::Emission), MaterialEmission);
    EXPECT_EQ(GetColorMaterialProperties(glenum::Back, glenum::Diffuse), 0u);
    const Material m = TrackColor(Material{}, MaterialAmbient | MaterialDiffuse, {0.1f, 0.2f, 0.3f, 0.4f});
    EXPECT_EQ(m.ambient, (Vec4{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(m.diffuse, (Vec4{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(m.specular, Material{}.specular);
}

} // namespace
} // namespace gles
