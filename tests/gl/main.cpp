// The GL tests share one hidden off-screen window; each test makes its own
// rendering context on it.
#include "gl/BasicWGL.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <unistd.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    platform::VideoSettings settings;
    settings.headless = true;
    settings.fps = 0;
    platform::InitVideo(settings);
    platform::OpenWindow();
    BasicWGL::SetupPixelFormat(platform::GetDC());
    const int result = RUN_ALL_TESTS();
    platform::ShutdownVideo();
    return result;
}
