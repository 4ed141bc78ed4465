// The remaster options inside the program: start-up leaves the same GL state
// at every render size, depth and sample count apart from the viewport; the
// virtual screen has the bits that were asked for; and the driver's limits
// stop a run with a clear message.
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

platform::VideoSettings Headless()
{
    platform::VideoSettings settings;
    settings.headless = true;
    settings.fps = 0;
    return settings;
}

platform::VideoSettings Remastered(int width, int height, int colourBits, int depthBits, int msaa)
{
    platform::VideoSettings settings = Headless();
    settings.virtualWidth = width;
    settings.virtualHeight = height;
    settings.colourBits = colourBits;
    settings.depthBits = depthBits;
    settings.msaa = msaa;
    return settings;
}

void DropContext()
{
    if (BasicWGL::ContextHandle == nullptr) return;
    platform::wglMakeCurrent(nullptr, nullptr);
    platform::wglDeleteContext(BasicWGL::ContextHandle);
    BasicWGL::ContextHandle = nullptr;
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// What start-up leaves behind that a drawing routine can see, viewport aside.
std::vector<double> StateAfterStartUp()
{
    std::vector<double> state;
    const auto add = [&state](GLenum name, int count) {
        std::vector<GLdouble> values(16, -12345);
        glGetDoublev(name, values.data());
        state.insert(state.end(), values.begin(), values.begin() + count);
    };
    add(GL_PROJECTION_MATRIX, 16);
    add(GL_MODELVIEW_MATRIX, 16);
    for (GLenum name : {GL_MATRIX_MODE, GL_DEPTH_FUNC, GL_CULL_FACE_MODE, GL_FRONT_FACE, GL_BLEND_SRC, GL_BLEND_DST,
                        GL_COLOR_MATERIAL_FACE, GL_COLOR_MATERIAL_PARAMETER, GL_SHADE_MODEL,
                        GL_PERSPECTIVE_CORRECTION_HINT, GL_TEXTURE_BINDING_2D, GL_DEPTH_RANGE})
        add(name, 1);
    add(GL_LIGHT_MODEL_AMBIENT, 4);
    add(GL_COLOR_CLEAR_VALUE, 4);
    add(GL_CURRENT_COLOR, 4);
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
    void TearDown() override
    {
        // The other tests draw into the show's own 640 x 480 x 16 screen.
        DropContext();
        platform::InitVideo(Headless());
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
    StartUp(Headless());
    const std::vector<double> original = StateAfterStartUp();

    const platform::VideoSettings variants[] = {
        Remastered(1280, 960, 16, 16, 0), Remastered(640, 480, 32, 16, 0), Remastered(640, 480, 16, 24, 0),
        Remastered(640, 480, 16, 16, 4),  Remastered(800, 600, 32, 24, 4),
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(std::to_string(v.virtualWidth) + "x" + std::to_string(v.virtualHeight) + " colour " +
                     std::to_string(v.colourBits) + " depth " + std::to_string(v.depthBits) + " msaa " +
                     std::to_string(v.msaa));
        StartUp(v);
        EXPECT_EQ(StateAfterStartUp(), original);

        EXPECT_EQ(BasicGL::ViewWidth, v.virtualWidth);
        EXPECT_EQ(BasicGL::ViewHeight, v.virtualHeight);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, v.virtualWidth, v.virtualHeight}));

        int red = 0, green = 0, blue = 0, depth = 0;
        platform::QueryDrawingBits(red, green, blue, depth);
        EXPECT_EQ(red, v.colourBits == 32 ? 8 : 5);
        EXPECT_EQ(green, v.colourBits == 32 ? 8 : 6);
        EXPECT_EQ(blue, v.colourBits == 32 ? 8 : 5);
        EXPECT_EQ(depth, v.depthBits);
        if (v.msaa == 0)
            EXPECT_EQ(Integer(GL_SAMPLES), 0);
        else
            EXPECT_GE(Integer(GL_SAMPLES), v.msaa);

        // Snapshots read the resolved picture at the render size.
        std::vector<std::uint8_t> rgb;
        int width = 0, height = 0;
        platform::ReadVirtualScreen(rgb, width, height);
        EXPECT_EQ(width, v.virtualWidth);
        EXPECT_EQ(height, v.virtualHeight);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(Remaster, MultisampledEdgesAreResolvedIntoInBetweenShades)
{
    for (int msaa : {0, 4}) {
        DropContext();
        platform::InitVideo(Remastered(640, 480, 32, 16, msaa));
        gltest::FreshShowState();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        glBegin(GL_TRIANGLES);   // a slanted white edge across black
        glVertex3f(-3, -2.5f, -5);
        glVertex3f(3, -2, -5);
        glVertex3f(0.3f, 3, -5);
        glEnd();

        int inBetween = 0, white = 0;
        for (std::uint8_t value : gltest::Screen()) {
            if (value == 255) ++white;
            if (value > 0 && value < 255) ++inBetween;
        }
        EXPECT_GT(white, 10000) << msaa;
        if (msaa == 0)
            EXPECT_EQ(inBetween, 0);
        else
            EXPECT_GT(inBetween, 3 * 600);   // three sloping edges, a few hundred pixels each
    }
}

TEST_F(Remaster, TheDriversLimitsAreRunTimeErrorsThatSayWhich)
{
    gltest::FreshContext();
    GLint maxSize = 0, maxSamples = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    ASSERT_GT(maxSize, 0);

    const struct {
        platform::VideoSettings settings;
        const char* says;
    } cases[] = {
        {Remastered((maxSize / 4 + 1) * 4, (maxSize / 4 + 1) * 3, 16, 16, 0), "GL_MAX_RENDERBUFFER_SIZE"},
        {Remastered(640, 480, 16, 16, maxSamples * 2), "GL_MAX_SAMPLES"},
    };
    for (const auto& c : cases) {
        DropContext();
        platform::InitVideo(c.settings);
        BasicWGL::ContextHandle = platform::wglCreateContext(platform::GetDC());
        ASSERT_NE(BasicWGL::ContextHandle, nullptr);
        try {
            platform::wglMakeCurrent(platform::GetDC(), BasicWGL::ContextHandle);
            ADD_FAILURE() << "no error for " << c.says;
        } catch (const Runtime::RuntimeError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}
