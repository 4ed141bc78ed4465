// The virtual screen: the 16-bit picture the show draws into, and a present
// that leaves the show's GL state alone.
#include "GLFixture.h"

#include "platform/ScreenGL.h"
#include "platform/VirtualScreen.h"
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

// Every level of each channel, drawn in columns: the screen's own 5-6-5
// layout, read as bytes by us, gives what the driver's RGB bytes give.
TEST_F(ShowGLTest, FiveSixFiveLevelsReadAsTheDriversOwnBytes)
{
    const platform::VirtualScreen* screen = platform::CurrentVirtualScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->read565) << "Mesa offers the 5-6-5 layout of a 16-bit screen";
    glEnable(GL_SCISSOR_TEST);
    for (int level = 0; level < 64; ++level) {
        glScissor(level * 10, 0, 10, 480);
        const float five = static_cast<float>(level / 2) / 31, six = static_cast<float>(level) / 63;
        glClearColor(five, six, level % 2 == 0 ? five : 1 - five, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    std::vector<std::uint8_t> driver(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, driver.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(gltest::Screen(), driver) << "a picture of one colour a column reads the same either way up";
}

// A capture's reads: queued after each present and taken frames later, they
// give the pictures a read at once gives, in order, also once the context
// that drew them has gone; and they leave the read state as it was.
TEST_F(ShowGLTest, QueuedReadsGiveThePicturesOfReadsAtOnceInOrderAlsoAfterTheContextWent)
{
    std::vector<std::vector<std::uint8_t>> expected;
    const auto draw = [&](int frame) {
        glClearColor(0.1f * static_cast<float>(frame), 0.5f, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST); // a mark at the top left: upside down shows
        glScissor(0, 400, 100 + frame, 80);
        glClearColor(1, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        platform::SwapBuffers(platform::GetDC());
        expected.push_back(gltest::Screen());
    };
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    std::size_t taken = 0;
    const auto takeOne = [&] {
        ASSERT_TRUE(platform::TakeVirtualScreenRead(rgb, width, height));
        EXPECT_EQ(std::vector<int>({width, height}), (std::vector<int>{640, 480}));
        EXPECT_TRUE(rgb == expected.at(taken)) << "picture " << taken;
        ++taken;
    };
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    for (int frame = 0; frame < 5; ++frame) {
        draw(frame);
        ASSERT_TRUE(platform::QueueVirtualScreenRead());
        if (frame == 2) {
            EXPECT_FALSE(platform::QueueVirtualScreenRead()) << "three at most";
            takeOne();
        } else if (frame > 2) {
            takeOne();
        }
    }
    EXPECT_EQ(gltest::Integer(GL_PIXEL_PACK_BUFFER_BINDING), 0);
    EXPECT_EQ(gltest::Integer(GL_PACK_ALIGNMENT), 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);

    gltest::DropContext();
    while (taken < expected.size()) takeOne();
    EXPECT_FALSE(platform::TakeVirtualScreenRead(rgb, width, height)) << "none left";
    EXPECT_FALSE(platform::QueueVirtualScreenRead()) << "no context";
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
