// The show's window: start-up and the frame loop with its timeline.
#include "window/glTemplate.h"

#include "app/ShowFiles.h"
#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "music/Midas.h"
#include "platform/App.h"
#include "platform/Display.h"
#include "platform/Events.h"
#include "platform/Window.h"
#include "scene/Objects.h"
#include "terrain/Terrain.h"
#include "tex/BasicTEX.h"

#include "glapi/GL.h"

using namespace BasicGL;
using Runtime::False;
using Runtime::True;

namespace {

void CheckDisplay(const char* operation, platform::HRESULT result)
{
    if (result != platform::DD_OK) throw Runtime::RuntimeError(platform::DisplayErrorText(operation, result));
}

} // namespace

ShowHooks& glTemplate::NoHooks()
{
    static ShowHooks none;
    return none;
}

glTemplate::glTemplate(ShowHooks& hooks) : hooks_(hooks)
{
    handlers_.keyDown = [this](std::int16_t code, std::int16_t shift) {
        hooks_.BeforeKey(*this, code, shift);
        Form_KeyDown(code, shift);
    };
    handlers_.close = [this] { EndRequested = True; };
}

void glTemplate::Form_Load()
{
    const std::string folder = platform::AppPath();

    BasicWGL::SetupPixelFormat(platform::GetDC());
    BasicWGL::ContextHandle = platform::wglCreateContext(platform::GetDC());
    // Without a context every GL call below would draw nothing, and the show
    // would play to nobody and end "successfully".
    if (BasicWGL::ContextHandle == nullptr) BasicWGL::FatalError("Could not create the rendering context!");
    if (platform::wglMakeCurrent(platform::GetDC(), BasicWGL::ContextHandle) == 0)
        BasicWGL::FatalError("Could not make the rendering context current!");
    hooks_.AfterStartupStep("context");

    ViewWidth = Runtime::CInt(platform::DrawingAreaWidth());
    ViewHeight = Runtime::CInt(platform::DrawingAreaHeight());

    InitGL();
    hooks_.AfterStartupStep("gl state");
    Objects::BuildObjects();
    hooks_.AfterStartupStep("lists");

    for (const ShowImage& image : ShowImages) {
        std::string path = platform::ResourcePath(folder, std::string("\\") + image.name);
        GLint filter = GL_LINEAR;
        GLint envMode = GL_MODULATE;
        Runtime::Boolean mipMap = False;
        if (image.alpha)
            BasicTEX::LoadTextureAlpha(TextureIds(image.slot), path, filter, envMode, mipMap);
        else
            BasicTEX::LoadTexture(TextureIds(image.slot), path, filter, envMode, mipMap);
    }
    hooks_.AfterStartupStep("textures");

    for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 40; ++j) Terrain::TerrainColour(i, j) = {1, 1, 1};
    InitTerrain();
    InitLighting();
    for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 40; ++j) Terrain::TerrainHeight(i, j) = Terrain::TerrainHeight(i, j) * 80;
    hooks_.AfterStartupStep("terrain and lights");

    platform::Randomize();

    CamX = -29;
    CamY = -5;
    CamZ = 205;
    CamPitch = 45;
    CamYaw = 150;

    platform::DirectDrawObject* first = nullptr;
    CheckDisplay("DirectDrawCreate", platform::DirectDrawCreate(nullptr, &first, nullptr));
    CheckDisplay("QueryInterface", platform::QueryDirectDraw2(first, &DisplayDD));
    platform::Release(first);
    CheckDisplay("SetCooperativeLevel",
                 platform::SetCooperativeLevel(DisplayDD, platform::WindowHandle(),
                                               platform::DDSCL_FULLSCREEN | platform::DDSCL_EXCLUSIVE));
    CheckDisplay("SetDisplayMode", platform::SetDisplayMode(DisplayDD, 640, 480, 16, 0, 0));
    hooks_.AfterStartupStep("display");

    Midas::MidasStart();
    std::string module = platform::ResourcePath(folder, std::string("\\") + ShowModule);
    Midas::MidasPlayModule(module);
    hooks_.AfterStartupStep("music");

    TitlesActive = True;
    SceneActive = True;
}

void glTemplate::Form_Paint()
{
    OrbitStep = 0;
    platform::RunFrameLoop([this] { return Pass(); });
}

bool glTemplate::Pass()
{
    hooks_.BeforePass(*this);
    DrawFrame();
    platform::SwapBuffers(platform::GetDC());
    hooks_.AfterFrame(*this);

    hooks_.BeforeEvents(*this);
    platform::DoEvents(handlers_);

    if (EndRequested != True) return true;
    BasicWGL::ReleaseGL();
    Midas::MidasStop();
    return false;
}

void glTemplate::DrawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glRotated(-CamPitch, 1, 0, 0);
    glRotated(-CamYaw, 0, 1, 0);
    glTranslated(CamX, CamY, CamZ);
    glPushMatrix();
    SetLights();

    if (SceneActive == True) {
        DrawScene();
        if (TitlesActive == True)
            DrawTittles();
        else if (TurnCount < 7)
            OrbitStepOnce();
        else
            FinalStepOnce();
    } else if (InterludeActive == True) {
        InterludeStepOnce();
    }

    glPopMatrix();
    glPopMatrix();
}

void glTemplate::DrawScene()
{
    std::uint8_t Mode = 0;
    DrawTerrain(Mode);
    DrawSky();
    DrawTowers();
    DrawCathedral();

    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, TextureIds(1));
    glColor4f(1, 1, 1, 1);
    glCallList(static_cast<GLuint>(Objects::ListWall));
    glPopMatrix();

    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, TextureIds(2));
    glColor4f(1, 1, 1, 0.5f);
    glCallList(static_cast<GLuint>(Objects::ListWallTop));
    glPopMatrix();
}

void glTemplate::OrbitStepOnce()
{
    CamYaw = Runtime::CLng(CamYaw + 2) % 360;
    OrbitStep = Runtime::AddInt16(OrbitStep, 2);
    if (OrbitStep == 360) {
        OrbitStep = 0;
        InterludeActive = True;
        TurnCount = Runtime::AddInt16(TurnCount, 1);
        SceneActive = False;
    }
}

void glTemplate::FinalStepOnce()
{
    FinalStep = Runtime::AddInt16(FinalStep, 2);
    if (FinalStep == 350) EndRequested = True;
    CamX = 0;
    CamY = -5;
    CamPitch = 180;
    CamZ = Runtime::AddInt16(400, -FinalStep);
}

void glTemplate::InterludeStepOnce()
{
    CamX = CamY = CamZ = CamYaw = CamPitch = 0;
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    DisplayTerrain();
}
