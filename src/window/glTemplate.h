// The show's one window. Its methods are defined by the modules that own
// them: start-up, the frame loop and the key handler in app/, the scene, the
// lights and the interlude in scene/, the landscape in terrain/. Every value a
// routine keeps between calls is a field here, so a fresh glTemplate starts
// the show from zero.
#pragma once

#include "platform/Events.h"
#include "runtime/Runtime.h"
#include "window/ShowHooks.h"

#include <cstdint>

class glTemplate {
public:
    explicit glTemplate(ShowHooks& hooks = NoHooks());
    // The event handlers hold this window's address.
    glTemplate(const glTemplate&) = delete;
    glTemplate& operator=(const glTemplate&) = delete;

    // Start-up: binds GL, sets the GL state, builds lists, loads textures,
    // terrain and lights, places the camera, takes the display, starts the
    // music and opens the show.
    void Form_Load();
    // The paint event: enters the frame loop, which the platform drives one
    // pass at a time until the show has ended and shut down.
    void Form_Paint();
    // One pass of the loop, from the clear to the test of EndRequested; false
    // once the show has ended (the context released and the music stopped).
    bool Pass();
    // The pass's drawing, from the clear to the last pop, with the step of
    // the timeline it makes: a pass without the present and the events.
    void DrawFrame();
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
    std::int16_t OrbitStep = 0;   // frame loop, orbit phase: 0 whenever the loop is entered
    std::int16_t FinalStep = 0;   // frame loop, final phase
    double SkyScroll = 0;         // DrawSky
    std::int16_t TitleFrame = 0;  // DrawTittles
    std::int32_t LightAngle1 = 0; // SetLights
    std::int16_t LightAngle2 = 0;
    std::int16_t InterludeFrame = 0; // DisplayTerrain
    std::int16_t InterludeSpin = 0;
    std::int16_t InterludeDepth = 0;
    std::uint8_t InterludeReturn = 0;

    // Hooks that do nothing: the show on its own.
    static ShowHooks& NoHooks();

private:
    void DrawScene();
    void OrbitStepOnce();
    void FinalStepOnce();
    void InterludeStepOnce();

    ShowHooks& hooks_;
    platform::EventHandlers handlers_; // built once: the pump runs every frame
};
