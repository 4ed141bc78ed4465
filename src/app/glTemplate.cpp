// The show's window: start-up and the frame loop with its timeline.
#include "app/glTemplate.h"

#include "app/Screenshot.h"
#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "image/Png.h"
#include "music/Midas.h"
#include "platform/App.h"
#include "platform/Display.h"
#include "platform/Events.h"
#include "platform/Video.h"
#include "scene/Objects.h"
#include "terrain/Terrain.h"
#include "tex/BasicTEX.h"

#include "glapi/GL.h"

#include <charconv>
#include <filesystem>
#include <stdexcept>

using namespace BasicGL;
using Runtime::False;
using Runtime::True;

namespace {

// The sixteen images, in the order they are read; the slot is the entry of
// TextureIds that receives each one.
struct TextureEntry {
    const char* literal;
    int slot;
    bool alpha;
};

constexpr TextureEntry TextureManifest[] = {
    {"\\Tex0.MOT", 0, false},   {"\\Tex1.MOT", 1, false},   {"\\Tex2.MOT", 2, true},    {"\\Tex3.MOT", 3, false},
    {"\\Tex4.MOT", 4, false},   {"\\Tex5.MOT", 5, false},   {"\\Text0.MOT", 10, true},  {"\\Text1.MOT", 11, true},
    {"\\Text2.MOT", 12, true},  {"\\Tittle.MOT", 13, true}, {"\\Dist0.MOT", 14, true},  {"\\LightMap.MOT", 15, true},
    {"\\CBTex0.MOT", 6, false}, {"\\CBTex1.MOT", 7, false}, {"\\CBTex2.MOT", 8, false}, {"\\CBTex3.MOT", 9, false},
};

void CheckDisplay(const char* operation, platform::HRESULT result)
{
    if (result != platform::DD_OK) throw Runtime::RuntimeError(platform::DisplayErrorText(operation, result));
}

void AppendNumber(std::string& line, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    line.append(text, result.ptr);
}

} // namespace

std::string MissingShowFiles(const std::string& folder)
{
    std::vector<std::string> missing;
    std::error_code ec;
    for (const TextureEntry& entry : TextureManifest) {
        const std::string path = platform::ResourcePath(folder, entry.literal);
        if (!std::filesystem::exists(path, ec)) missing.push_back(path);
    }
    if (missing.empty()) return {};
    const std::string module = platform::ResourcePath(folder, "\\morvek.xm");
    if (!std::filesystem::exists(module, ec)) missing.push_back(module);

    std::string message = missing.size() == 1 ? "File not found: " : "Files not found: ";
    for (std::size_t i = 0; i < missing.size(); ++i) message += (i > 0 ? ", '" : "'") + missing[i] + "'";
    return message;
}

glTemplate::glTemplate(const ShowOptions& options) : options_(options)
{
    handlers_.keyDown = [this](std::int16_t code, std::int16_t shift) { Form_KeyDown(code, shift); };
    handlers_.close = [this] { EndRequested = True; };
    handlers_.screenshot = [] { SaveScreenshot(); };
}

void glTemplate::Form_Load()
{
    platform::SetDataFolder(options_.dataFolder);
    const std::string folder = platform::AppPath();

    BasicWGL::SetupPixelFormat(platform::GetDC());
    BasicWGL::ContextHandle = platform::wglCreateContext(platform::GetDC());
    platform::wglMakeCurrent(platform::GetDC(), BasicWGL::ContextHandle);
    EndStartupStep("context");

    ViewWidth = Runtime::CInt(platform::DrawingAreaWidth());
    ViewHeight = Runtime::CInt(platform::DrawingAreaHeight());

    InitGL();
    EndStartupStep("gl state");
    Objects::BuildObjects();
    EndStartupStep("lists");

    for (const TextureEntry& entry : TextureManifest) {
        std::string path = platform::ResourcePath(folder, entry.literal);
        GLint filter = GL_LINEAR;
        GLint envMode = GL_MODULATE;
        Runtime::Boolean mipMap = False;
        if (entry.alpha)
            BasicTEX::LoadTextureAlpha(TextureIds(entry.slot), path, filter, envMode, mipMap);
        else
            BasicTEX::LoadTexture(TextureIds(entry.slot), path, filter, envMode, mipMap);
    }
    EndStartupStep("textures");

    for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 40; ++j) Terrain::TerrainColour(i, j) = {1, 1, 1};
    InitTerrain();
    InitLighting();
    for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 40; ++j) Terrain::TerrainHeight(i, j) = Terrain::TerrainHeight(i, j) * 80;
    EndStartupStep("terrain and lights");

    if (options_.seed)
        platform::Randomize(*options_.seed);
    else
        platform::RandomizeFromClock();

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
    EndStartupStep("display");

    if (!options_.noMusic) {
        Midas::MidasStart();
        std::string module = platform::ResourcePath(folder, "\\morvek.xm");
        Midas::MidasPlayModule(module);
    }
    EndStartupStep("music");

    TitlesActive = True;
    SceneActive = True;
}

void glTemplate::Form_Paint()
{
    if (!options_.stateLogPath.empty()) {
        stateLog_ = std::make_unique<std::ofstream>(options_.stateLogPath);
        if (!*stateLog_) throw Runtime::RuntimeError("Cannot write the state log '" + options_.stateLogPath + "'");
        *stateLog_ << "frame,phase,CamX,CamY,CamZ,CamYaw,CamPitch,EndRequested,TitlesActive,SceneActive,"
                      "InterludeActive,TurnCount,OrbitStep,FinalStep,TitleFrame,InterludeFrame\n";
    }
    std::int16_t OrbitStep = 0;
    for (;;) {
        Pass(OrbitStep);
        if (EndRequested == True) break;
        if (options_.frames > 0 && presented_ >= options_.frames) break;
    }
    if (stateLog_) stateLog_->flush();
    BasicWGL::ReleaseGL();
    if (!options_.noMusic) Midas::MidasStop();
}

void glTemplate::Pass(std::int16_t& OrbitStep)
{
    const char* phase = PhaseName();
    if (stateLog_) WriteStateLogLine(phase, OrbitStep);

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
            OrbitStepOnce(OrbitStep);
        else
            FinalStepOnce();
    } else if (InterludeActive == True) {
        InterludeStepOnce();
    }

    glPopMatrix();
    glPopMatrix();
    platform::SwapBuffers(platform::GetDC());
    ++presented_;

    const auto snapshot = options_.snapshots.find(presented_);
    if (snapshot != options_.snapshots.end()) TakeSnapshot(snapshot->second);
    for (const auto& observer : frameObservers_) observer(presented_, phase);

    QueueScriptedKeys(presented_);
    platform::DoEvents(handlers_);
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

void glTemplate::OrbitStepOnce(std::int16_t& OrbitStep)
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

const char* glTemplate::PhaseName() const
{
    if (SceneActive == True) {
        if (TitlesActive == True) return "titles";
        return TurnCount < 7 ? "orbit" : "final";
    }
    return InterludeActive == True ? "interlude" : "none";
}

void glTemplate::WriteStateLogLine(const char* phase, std::int16_t OrbitStep)
{
    std::string line = std::to_string(presented_ + 1);
    line += ',';
    line += phase;
    for (double value : {CamX, CamY, CamZ, CamYaw, CamPitch}) {
        line += ',';
        AppendNumber(line, value);
    }
    for (int value : {int{EndRequested}, int{TitlesActive}, int{SceneActive}, int{InterludeActive}, int{TurnCount},
                      int{OrbitStep}, int{FinalStep}, int{TitleFrame}, int{InterludeFrame}}) {
        line += ',';
        line += std::to_string(value);
    }
    line += '\n';
    *stateLog_ << line;
}

void glTemplate::TakeSnapshot(const std::string& path)
{
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    platform::ReadVirtualScreen(rgb, width, height);
    try {
        image::WritePng(path, width, height, 3, rgb.data());
    } catch (const std::runtime_error& e) {
        throw Runtime::RuntimeError(std::string("Cannot write the snapshot: ") + e.what());
    }
}

void glTemplate::QueueScriptedKeys(int frame)
{
    for (const ScriptedKey& key : options_.keys)
        if (key.frame == frame) platform::PushKeyDown(key.key, key.shift);
    if (frame == options_.closeAtFrame) platform::PushWindowClose();
}
