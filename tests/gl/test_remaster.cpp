// The remaster options inside the program: start-up leaves the same GL state
// at every render size, depth and sample count apart from the viewport, on a
// virtual screen with the bits asked for; the driver's limits stop a run
// with a message that says which.
#include "GLFixture.h"

#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "platform/Video.h"
#include "runtime/Runtime.h"

#include <memory>
#include <string>
#include <vector>

namespace {

platform::VideoSettings Settings(int width = 640, int height = 480, int colourBits = 16, int depthBits = 16, int msaa = 0)
{
    platform::VideoSettings settings;
    settings.headless = true;
    settings.fps = 0;
    settings.virtualWidth = width, settings.virtualHeight = height;
    settings.colourBits = colourBits, settings.depthBits = depthBits, settings.msaa = msaa;
    return settings;
}

void DropContext()
{
    if (BasicWGL::ContextHandle == nullptr) return;
    platform::wglMakeCurrent(nullptr, nullptr);
    platform::wglDeleteContext(BasicWGL::ContextHandle);
    BasicWGL::ContextHandle = nullptr;
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
    for (GLenum name : {GL_MATRIX_MODE, GL_DEPTH_FUNC, GL_CULL_FACE_MODE, GL_FRONT_FACE, GL_BLEND_SRC, GL_BLEND_DST,
                        GL_COLOR_MATERIAL_FACE, GL_COLOR_MATERIAL_PARAMETER, GL_SHADE_MODEL,
                        GL_PERSPECTIVE_CORRECTION_HINT, GL_TEXTURE_BINDING_2D, GL_DEPTH_RANGE})
        add(name, 1);
    for (GLenum name : {GL_LIGHT_MODEL_AMBIENT, GL_COLOR_CLEAR_VALUE, GL_CURRENT_COLOR}) add(name, 4);
    for (GLenum cap : {GL_DEPTH_TEST, GL_DITHER, GL_COLOR_MATERIAL, GL_CULL_FACE, GL_BLEND, GL_TEXTURE_2D,
                       GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_SCISSOR_TEST, GL_MULTISAMPLE})
        state.push_back(glIsEnabled(cap));
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2})
        for (GLenum name : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_POSITION}) {
            GLfloat values[4];
            glGetLightfv(light, name, values);
            state.insert(state.end(), values, values + 4);
        }
    return state;
}

class Remaster : public ::testing::Test {
protected:
    // The other tests draw into the show's own 640 x 480 x 16 screen.
    void TearDown() override
    {
        DropContext();
        platform::InitVideo(Settings());
    }
    // Start-up as the program runs it, on a virtual screen of the settings.
    void StartUp(const platform::VideoSettings& settings)
    {
        gltest::FreshContext();
        DropContext();
        platform::InitVideo(settings);
        ShowOptions options;
        options.noMusic = true;
        options.seed = 7;
        options.dataFolder = gltest::WriteFixtureImages(gltest::TempFolder("remaster"));
        options.video = settings;
        form = std::make_unique<glTemplate>(options);
        form->Form_Load();
    }
    std::unique_ptr<glTemplate> form;
};

} // namespace

TEST_F(Remaster, StartUpStateDiffersOnlyInTheViewport)
{
    StartUp(Settings());
    const std::vector<double> original = StateAfterStartUp();
    for (const auto& v : {Settings(1280, 960), Settings(640, 480, 32), Settings(640, 480, 16, 24),
                          Settings(640, 480, 16, 16, 4), Settings(800, 600, 32, 24, 4)}) {
        SCOPED_TRACE(testing::Message() << v.virtualWidth << " " << v.colourBits << " " << v.depthBits << " " << v.msaa);
        StartUp(v);
        EXPECT_EQ(StateAfterStartUp(), original);
        EXPECT_TRUE(BasicGL::ViewWidth == v.virtualWidth && BasicGL::ViewHeight == v.virtualHeight);
        GLint viewport[4], samples = 0;
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, v.virtualWidth, v.virtualHeight}));
        int red = 0, green = 0, blue = 0, depth = 0;
        platform::QueryDrawingBits(red, green, blue, depth);
        EXPECT_EQ(std::vector<int>({red, green, blue, depth}),
                  v.colourBits == 32 ? std::vector<int>({8, 8, 8, v.depthBits}) : std::vector<int>({5, 6, 5, v.depthBits}));
        glGetIntegerv(GL_SAMPLES, &samples);
        EXPECT_TRUE(v.msaa == 0 ? samples == 0 : samples >= v.msaa) << samples;
        // Snapshots read the resolved picture at the render size.
        std::vector<std::uint8_t> rgb;
        int width = 0, height = 0;
        platform::ReadVirtualScreen(rgb, width, height);
        EXPECT_TRUE(width == v.virtualWidth && height == v.virtualHeight);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(Remaster, TheDriversLimitsAreRunTimeErrorsThatSayWhich)
{
    gltest::FreshContext();
    GLint maxSize = 0, maxSamples = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    ASSERT_GT(maxSize, 0);
    const std::pair<platform::VideoSettings, const char*> cases[] = {
        {Settings((maxSize / 4 + 1) * 4, (maxSize / 4 + 1) * 3), "GL_MAX_RENDERBUFFER_SIZE"},
        {Settings(640, 480, 16, 16, maxSamples * 2), "GL_MAX_SAMPLES"}};
    for (const auto& [settings, says] : cases) {
        DropContext();
        platform::InitVideo(settings);
        BasicWGL::ContextHandle = platform::wglCreateContext(platform::GetDC());
        ASSERT_NE(BasicWGL::ContextHandle, nullptr);
        try {
            platform::wglMakeCurrent(platform::GetDC(), BasicWGL::ContextHandle);
            ADD_FAILURE() << "no error for " << says;
        } catch (const Runtime::RuntimeError& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
}
