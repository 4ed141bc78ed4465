#include "GLFixture.h"

#include "common/TempFolders.h"
#include "app/ShowFiles.h"
#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "platform/App.h"
#include "platform/SoundLib.h"
#include "platform/Window.h"
#include "terrain/Terrain.h"
#include "testing/Testing.h"
#include "tex/BasicTEX.h"
#include "tex/MotFile.h"

#include <filesystem>

#include <unistd.h>

namespace gltest {

void DropContext()
{
    if (BasicWGL::ContextHandle != nullptr) {
        platform::wglMakeCurrent(nullptr, nullptr);
        platform::wglDeleteContext(BasicWGL::ContextHandle);
        BasicWGL::ContextHandle = nullptr;
    }
    BasicGL::ResetBasicGL();
    Terrain::ResetTerrain();
}

void FreshContext()
{
    DropContext();
    BasicWGL::ContextHandle = platform::wglCreateContext(platform::GetDC());
    ASSERT_NE(BasicWGL::ContextHandle, nullptr);
    ASSERT_EQ(platform::wglMakeCurrent(platform::GetDC(), BasicWGL::ContextHandle), 1);
}

void FreshShowState()
{
    FreshContext();
    BasicGL::ViewWidth = 640;
    BasicGL::ViewHeight = 480;
    BasicGL::InitGL();
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::vector<std::uint8_t> Screen()
{
    std::vector<std::uint8_t> rgb;
    int w = 0, h = 0;
    platform::ReadVirtualScreen(rgb, w, h);
    return rgb;
}

std::array<int, 3> PixelAt(int x, int y)
{
    const auto rgb = Screen();
    const std::size_t at = (static_cast<std::size_t>(y) * 640 + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

std::string TempFolder(const std::string& name)
{
    return testfolders::Fresh("gltest", name);
}

std::string WriteFixtureImages(const std::string& folder)
{
    for (int n = 0; n < 16; ++n) {
        mot::MotImage image{4, 4, std::vector<std::uint8_t>(4 * 4 * 3)};
        std::vector<std::uint8_t>& rgb = image.rgb;
        for (int k = 0; k < 16; ++k) {
            rgb[3 * k] = static_cast<std::uint8_t>(10 * n + 5);
            rgb[3 * k + 1] = static_cast<std::uint8_t>(k * 15);
            rgb[3 * k + 2] = static_cast<std::uint8_t>(200 - n);
        }
        rgb[0] = rgb[1] = rgb[2] = 0; // black: transparent in the alpha images
        mot::SaveMot(folder + "/" + ShowImages[n].name, image);
    }
    return folder;
}

std::unique_ptr<glTemplate> StartShow(const std::string& folder, ShowHooks& hooks, bool music)
{
    platform::SetDataFolder(folder);
    platform::SetMusicEnabled(music);
    platform::PinRandomSeed(1);
    auto form = std::make_unique<glTemplate>(hooks);
    form->Form_Load();
    return form;
}

} // namespace gltest
