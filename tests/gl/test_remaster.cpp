// The remaster options inside the program: the same start-up state but for
// the viewport, the bits asked for, and the driver's sample limit.
#include "GLFixture.h"

#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "platform/Window.h"
#include "runtime/Runtime.h"
#include "window/glTemplate.h"

#include <memory>
#include <string>
#include <vector>

namespace {

platform::VideoSettings Settings(int width = 640, int height = 480, int colourBits = 16, int depthBits = 16,
                                 int msaa = 0)
{
    platform::VideoSettings s;
    s.headless = true, s.fps = 0, s.virtualWidth = width, s.virtualHeight = height;
    s.colourBits = colourBits, s.depthBits = depthBits, s.msaa = msaa;
    return s;
}

// What start-up leaves that a drawing routine can see, viewport aside.
std::vector<double> StateAfterStartUp()
{
    std::vector<double> state;
    const auto add = [&state](GLenum name, int count) {
        std::vector<GLdouble> values(16, -12345);
        glGetDoublev(name, values.data());
        state.insert(state.end(), values.begin(), values.begin() + count);
    };
    for (GLenum name : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}) add(name, 16);
    for (GLenum name : {GL_DEPTH_FUNC, GL_CULL_FACE_MODE, GL_BLEND_SRC, GL_BLEND_DST, GL_TEXTURE_BINDING_2D})
        add(name, 1);
    for (GLenum name : {GL_LIGHT_MODEL_AMBIENT, GL_COLOR_CLEAR_VALUE, GL_CURRENT_COLOR}) add(name, 4);
    for (GLenum cap : {GL_DEPTH_TEST, GL_DITHER, GL_CULL_FACE, GL_BLEND, GL_LIGHTING})
        state.push_back(glIsEnabled(cap));
    return state;
}

class Remaster : public ::testing::Test {
protected:
    // The other tests draw into the show's own 640 x 480 x 16 screen.
    void TearDown() override { gltest::DropContext(), platform::InitVideo(Settings()); }
    void StartUp(const platform::VideoSettings& settings)
    {
        gltest::DropContext();
        platform::InitVideo(settings);
        form = gltest::StartShow(gltest::WriteFixtureImages(gltest::TempFolder("remaster")));
    }
    std::unique_ptr<glTemplate> form;
};

} // namespace

// All remaster options at once; each alone runs from the command line.
TEST_F(Remaster, StartUpStateDiffersOnlyInTheViewport)
{
    StartUp(Settings());
    const std::vector<double> original = StateAfterStartUp();
    StartUp(Settings(800, 600, 32, 24, 4));
    EXPECT_EQ(StateAfterStartUp(), original);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 800, 600}));
    int red = 0, green = 0, blue = 0, depth = 0;
    platform::QueryDrawingBits(red, green, blue, depth);
    EXPECT_EQ(std::vector<int>({red, green, blue, depth}), std::vector<int>({8, 8, 8, 24}));
    EXPECT_GE(gltest::Integer(GL_SAMPLES), 4);
}

// Sizes past the driver's limit are tested from the command line.
TEST_F(Remaster, TooManySamplesIsARunTimeErrorThatSaysWhich)
{
    gltest::FreshContext();
    const GLint maxSamples = gltest::Integer(GL_MAX_SAMPLES);
    gltest::DropContext();
    platform::InitVideo(Settings(640, 480, 16, 16, maxSamples * 2));
    BasicWGL::ContextHandle = platform::wglCreateContext(platform::GetDC());
    ASSERT_NE(BasicWGL::ContextHandle, nullptr);
    try {
        platform::wglMakeCurrent(platform::GetDC(), BasicWGL::ContextHandle);
        ADD_FAILURE() << "no error";
    } catch (const platform::VideoError& e) {
        EXPECT_NE(std::string(e.what()).find("GL_MAX_SAMPLES"), std::string::npos) << e.what();
    }
}
