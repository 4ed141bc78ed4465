// The show's one window: start-up, the frame loop and its timeline, the key
// handler, and the drawing methods of the scene, the terrain, the lights and
// the interlude. Every value a routine keeps between calls is a field here,
// so a fresh glTemplate starts the show from zero.
#pragma once

#include "app/ShowOptions.h"
#include "platform/Events.h"
#include "runtime/Runtime.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Before start-up touches anything: "" when the sixteen images are all in
// folder; otherwise one message naming every one that is missing, and the
// music module too when it is missing as well. (The module alone missing is
// no error: the show then plays silently.)
std::string MissingShowFiles(const std::string& folder);

class glTemplate {
public:
    explicit glTemplate(const ShowOptions& options = {});
    // The event handlers hold this window's address.
    glTemplate(const glTemplate&) = delete;
    glTemplate& operator=(const glTemplate&) = delete;

    // Start-up: binds GL, sets the GL state, builds lists, loads textures,
    // terrain and lights, places the camera, takes the display, starts the
    // music and opens the show.
    void Form_Load();
    // The frame loop: draws until EndRequested (or the --frames limit), then
    // releases the context and stops the music.
    void Form_Paint();
    // One pass of the loop, from the clear to the event pump.
    void Pass(std::int16_t& OrbitStep);
    // Key-down: steers the camera, Escape ends the show.
    void Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift);

    // Terrain.
    void InitTerrain();
    void DrawTerrain(std::uint8_t& Mode);

    // Scene.
    void DrawSky();
    void DrawTowers();
    void DrawCathedral();
    void DrawTittles();
    void InitLighting();
    void SetLights();
    void DisplayTerrain();

    // Show state.
    Runtime::Boolean EndRequested = 0;
    Runtime::Boolean TitlesActive = 0;
    Runtime::Boolean SceneActive = 0;
    Runtime::Boolean InterludeActive = 0;
    std::int16_t TurnCount = 0;

    // Values the routines keep from one call to the next.
    std::int16_t FinalStep = 0;   // frame loop, final phase
    double SkyScroll = 0;         // DrawSky
    std::int16_t TitleFrame = 0;  // DrawTittles
    std::int32_t LightAngle1 = 0; // SetLights
    std::int16_t LightAngle2 = 0;
    std::int16_t InterludeFrame = 0; // DisplayTerrain
    std::int16_t InterludeSpin = 0;
    std::int16_t InterludeDepth = 0;
    std::uint8_t InterludeReturn = 0;

    // Frames presented so far.
    int PresentedFrames() const { return presented_; }

    // Called after each presented frame with its number (from 1) and the
    // phase it drew ("titles", "orbit", "final", "interlude" or "none"):
    // capture and benchmarks hang on here. Changes nothing of the show.
    void AddFrameObserver(std::function<void(int frame, const char* phase)> observer)
    {
        frameObservers_.push_back(std::move(observer));
    }
    // Called at the end of each start-up step ("context", "gl state",
    // "lists", "textures", "terrain and lights", "display", "music"), so a
    // benchmark can time them. Changes nothing of the show.
    void SetStartupObserver(std::function<void(const char* step)> observer) { startupObserver_ = std::move(observer); }

private:
    void OrbitStepOnce(std::int16_t& OrbitStep);
    void FinalStepOnce();
    void InterludeStepOnce();
    void DrawScene();
    const char* PhaseName() const;
    void WriteStateLogLine(const char* phase, std::int16_t OrbitStep);
    void TakeSnapshot(const std::string& path);
    void QueueScriptedKeys(int frame);
    void EndStartupStep(const char* step)
    {
        if (startupObserver_) startupObserver_(step);
    }

    ShowOptions options_;
    int presented_ = 0;
    std::unique_ptr<std::ofstream> stateLog_;
    std::vector<std::function<void(int, const char*)>> frameObservers_;
    std::function<void(const char*)> startupObserver_;
    platform::EventHandlers handlers_; // built once: the pump runs every frame
};
