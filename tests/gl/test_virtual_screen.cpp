// The virtual screen: the 16-bit picture the show draws into, and a present
// that leaves the show's GL state alone.
#include "GLFixture.h"

#include "platform/ScreenGL.h"
#include "platform/Window.h"

namespace platform {
VirtualScreen* CurrentVirtualScreen(); // platform/VideoInternal.h, which needs SDL's headers
}

TEST_F(ShowGLTest, ColoursAreQuantisedToFiveSixFiveBits)
{
    glClearColor(0.3f, 0.3f, 0.3f, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    // 0.3 is 9/31 in five bits and 19/63 in six: 74 and 77 when read as bytes.
    const auto pixel = gltest::PixelAt(320, 240);
    EXPECT_EQ(pixel[0], 74);
    EXPECT_EQ(pixel[1], 77);
    EXPECT_EQ(pixel[2], 74);
}

TEST_F(ShowGLTest, PresentingLeavesTheShowsStateAsItWas)
{
    glClearColor(0.25f, 0.5f, 0.75f, 1);
    glEnable(GL_SCISSOR_TEST);
    glScissor(10, 20, 30, 40);
    glViewport(1, 2, 300, 200);
    const GLint drawFramebuffer = gltest::Integer(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLint readFramebuffer = gltest::Integer(GL_READ_FRAMEBUFFER_BINDING);
    ASSERT_NE(drawFramebuffer, 0);

    platform::SwapBuffers(platform::GetDC());

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<GLfloat>(clear, clear + 4), (std::vector<GLfloat>{0.25f, 0.5f, 0.75f, 1}));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 20, 30, 40}));
    glGetIntegerv(GL_VIEWPORT, box);
    EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{1, 2, 300, 200}));
    EXPECT_EQ(gltest::Integer(GL_DRAW_FRAMEBUFFER_BINDING), drawFramebuffer);
    EXPECT_EQ(gltest::Integer(GL_READ_FRAMEBUFFER_BINDING), readFramebuffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A caller that tracks the state (the page: every question to WebGL waits)
// has its word put back, not GL's.
TEST_F(ShowGLTest, PresentingWithKnownStatePutsThatBack)
{
    glClearColor(1, 1, 1, 1);
    glEnable(GL_SCISSOR_TEST);
    platform::VirtualScreen* screen = platform::CurrentVirtualScreen();
    ASSERT_NE(screen, nullptr);
    const platform::ShowState known{.clearColour = {0.25f, 0.5f, 0.75f, 0}, .scissor = false};
    platform::PresentVirtualScreen(*screen, 800, 600, platform::ScaleFilter::Linear, &known);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<GLfloat>(clear, clear + 4), (std::vector<GLfloat>{0.25f, 0.5f, 0.75f, 0}));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST)) << "left alone: the caller said it was off";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShowGLTest, ThePictureSurvivesThePresent)
{
    glClearColor(1, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    platform::SwapBuffers(platform::GetDC());
    // Snapshots are read after the present: the frame must still be there.
    EXPECT_EQ(gltest::PixelAt(5, 5), (std::array<int, 3>{255, 0, 0}));
}

TEST(FitBox, KeepsFourThreeWithBarsOrWholeMultiples)
{
    using platform::FitBox;
    using platform::ScaleFilter;
    auto box = FitBox(640, 480, 1920, 1080, ScaleFilter::Linear); // bars left and right
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}), (std::vector<int>{240, 0, 1440, 1080}));
    box = FitBox(640, 480, 1280, 1024, ScaleFilter::Linear); // bars above and below
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}), (std::vector<int>{0, 32, 1280, 960}));
    box = FitBox(640, 480, 901, 501, ScaleFilter::Nearest); // odd sizes round down, centred
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}), (std::vector<int>{116, 0, 668, 501}));
    box = FitBox(640, 480, 1920, 1080, ScaleFilter::Integer);
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}), (std::vector<int>{320, 60, 1280, 960}));
    box = FitBox(640, 480, 600, 400, ScaleFilter::Integer); // smaller than the picture: 1x, cropped
    EXPECT_EQ(std::vector<int>({box.width, box.height}), (std::vector<int>{640, 480}));
    box = FitBox(640, 480, 0, 0, ScaleFilter::Linear);
    EXPECT_EQ(box.width, 0);
}
