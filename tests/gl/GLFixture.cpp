#include "GLFixture.h"

#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "platform/Video.h"
#include "terrain/Terrain.h"
#include "tex/BasicTEX.h"

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
    const auto folder =
        std::filesystem::temp_directory_path() / ("citadel-gltest-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string WriteFixtureImages(const std::string& folder)
{
    const char* names[] = {"Tex0",  "Tex1",   "Tex2",  "Tex3",     "Tex4",   "Tex5",   "Text0",  "Text1",
                           "Text2", "Tittle", "Dist0", "LightMap", "CBTex0", "CBTex1", "CBTex2", "CBTex3"};
    for (int n = 0; n < 16; ++n) {
        std::vector<std::uint8_t> rgb(4 * 4 * 3);
        for (int k = 0; k < 16; ++k) {
            rgb[3 * k] = static_cast<std::uint8_t>(10 * n + 5);
            rgb[3 * k + 1] = static_cast<std::uint8_t>(k * 15);
            rgb[3 * k + 2] = static_cast<std::uint8_t>(200 - n);
        }
        rgb[0] = rgb[1] = rgb[2] = 0; // black: transparent in the alpha images
        BasicTEX::WriteMOT(folder + "/" + names[n] + ".MOT", 4, 4, rgb.data());
    }
    return folder;
}

} // namespace gltest
