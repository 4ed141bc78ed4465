// Start-up as a whole, on a folder of small stand-in images: the GL state it
// leaves, the images in their slots, the camera and the flags.
#include "GLFixture.h"

#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "platform/SoundLib.h"
#include "platform/Window.h"
#include "testing/Testing.h"
#include "window/glTemplate.h"

#include <set>

using namespace BasicGL;

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        gltest::DropContext(); // start-up makes its own context, as the program does
        form = gltest::StartShow(gltest::WriteFixtureImages(gltest::TempFolder("startup")));
    }
    std::unique_ptr<glTemplate> form;
};

} // namespace

TEST_F(StartUp, LeavesTheFixedGLStateOnASixteenBitScreen)
{
    for (GLenum on : {GL_DEPTH_TEST, GL_CULL_FACE, GL_COLOR_MATERIAL, GL_BLEND, GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0})
        EXPECT_TRUE(glIsEnabled(on)) << on;
    for (GLenum off : {GL_DITHER, GL_LIGHT1, GL_LIGHT2}) EXPECT_FALSE(glIsEnabled(off)) << off;
    for (auto [name, want] : {std::pair<GLenum, GLint>{GL_DEPTH_FUNC, GL_LESS},
                              {GL_CULL_FACE_MODE, GL_BACK},
                              {GL_BLEND_SRC, GL_SRC_ALPHA},
                              {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
                              {GL_COLOR_MATERIAL_FACE, GL_FRONT},
                              {GL_COLOR_MATERIAL_PARAMETER, GL_AMBIENT_AND_DIFFUSE},
                              {GL_SHADE_MODEL, GL_SMOOTH},
                              {GL_MATRIX_MODE, GL_MODELVIEW},
                              {GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST}})
        EXPECT_EQ(gltest::Integer(name), want) << name;

    GLfloat ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    for (float a : ambient) EXPECT_FLOAT_EQ(a, 0.2f);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 640, 480}));
    EXPECT_TRUE(ViewWidth == 640 && ViewHeight == 480);

    int red = 0, green = 0, blue = 0, depth = 0;
    platform::QueryDrawingBits(red, green, blue, depth);
    EXPECT_EQ(std::vector<int>({red, green, blue, depth}), std::vector<int>({5, 6, 5, 16}));

    // glFrustum(-4, 4, -3, 3, 4, 4096) on the identity.
    GLdouble p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    const double expected[16] = {1, 0, 0, 0, 0, 4.0 / 3, 0, 0, 0, 0, -4100.0 / 4092, -1, 0, 0, -2.0 * 4096 * 4 / 4092,
                                 0};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(p[i], expected[i], 1e-6) << i; // GL keeps single precision
}

TEST_F(StartUp, FillsEachSlotWithItsImage)
{
    std::set<GLuint> names;
    for (int slot = 0; slot <= 19; ++slot) {
        EXPECT_NE(TextureIds(slot), 0u) << slot;
        names.insert(TextureIds(slot));
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(TextureIds(20), 0u);

    // Image n of the fixture set is (10n + 5, 15k, 200 - n) at pixel k, with
    // pixel 0 black; the alpha images have alpha 0 there and only there.
    const struct {
        int image, slot;
        bool alpha;
    } slots[] = {{0, 0, false},  {1, 1, false},  {2, 2, true},   {3, 3, false}, {4, 4, false},  {5, 5, false},
                 {6, 10, true},  {7, 11, true},  {8, 12, true},  {9, 13, true}, {10, 14, true}, {11, 15, true},
                 {12, 6, false}, {13, 7, false}, {14, 8, false}, {15, 9, false}};
    for (const auto& s : slots) {
        glBindTexture(GL_TEXTURE_2D, TextureIds(s.slot));
        GLint w = 0, h = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        ASSERT_TRUE(w == 4 && h == 4) << s.slot;
        EXPECT_EQ(format, s.alpha ? GL_RGBA : GL_RGB) << s.slot;
        std::vector<std::uint8_t> rgba(4 * 4 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        for (int k = 0; k < 16; ++k) {
            const std::uint8_t* px = &rgba[4 * k];
            if (k == 0)
                EXPECT_TRUE(px[0] + px[1] + px[2] == 0 && px[3] == (s.alpha ? 0 : 255)) << s.slot;
            else
                EXPECT_TRUE(px[0] == 10 * s.image + 5 && px[1] == 15 * k && px[2] == 200 - s.image && px[3] == 255)
                    << s.slot << " pixel " << k;
        }
        GLint mag = 0, min = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        EXPECT_TRUE(mag == GL_LINEAR && min == GL_LINEAR) << s.slot;
    }
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
    for (int slot = 16; slot <= 19; ++slot) {
        glBindTexture(GL_TEXTURE_2D, TextureIds(slot));
        GLint w = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        EXPECT_EQ(w, 0) << slot;
    }
}

TEST_F(StartUp, PlacesTheCameraAndOpensTheShow)
{
    EXPECT_EQ(std::vector<double>({CamX, CamY, CamZ, CamYaw, CamPitch}), std::vector<double>({-29, -5, 205, 150, 45}));
    EXPECT_TRUE(form->TitlesActive == Runtime::True && form->SceneActive == Runtime::True);
    EXPECT_TRUE(form->InterludeActive == Runtime::False && form->EndRequested == Runtime::False &&
                form->TurnCount == 0);
    EXPECT_NE(DisplayDD, nullptr);
}

TEST(Shutdown, ReleasesTheContextThenClosesTheSoundLibrary)
{
    // Closes the window in the third frame's events.
    struct CloseInThirdFrame : ShowHooks {
        int frames = 0;
        void BeforeEvents(const glTemplate&) override
        {
            if (++frames == 3) platform::PushWindowClose();
        }
    } hooks;
    gltest::DropContext();
    // The stand-in folder has no module: the library starts, loads nothing
    // and is closed again at the end.
    platform::ClearSoundLibCalls();
    auto form = gltest::StartShow(gltest::WriteFixtureImages(gltest::TempFolder("shutdown")), hooks, true);
    form->Form_Paint();

    EXPECT_EQ(hooks.frames, 3);
    EXPECT_NE(BasicWGL::ContextHandle, nullptr); // kept, though no longer valid
    EXPECT_EQ(platform::wglGetCurrentContext(), nullptr);
    EXPECT_EQ(
        platform::SoundLibCalls(),
        (std::vector<std::string>{"MIDASstartup", "MIDASinit", "MIDASstartBackgroundPlay", "MIDASopenChannels",
                                  "MIDASloadModule", "MIDAScloseChannels", "MIDASstopBackgroundPlay", "MIDASclose"}));
    // Later tests make their own context again.
    BasicWGL::ContextHandle = nullptr;
}
