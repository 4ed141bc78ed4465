// What the port hangs on the show. The window calls these at fixed points of
// start-up and of every pass of its loop; a hook may read the window's state
// and the picture, and queue events for the coming pump, but changes nothing
// of the show itself. The show without hooks is the original one.
#pragma once

#include <cstdint>

class glTemplate;

class ShowHooks {
public:
    virtual ~ShowHooks() = default;
    // After each step of start-up: "context", "gl state", "lists", "textures",
    // "terrain and lights", "display", "music".
    virtual void AfterStartupStep(const char* /*step*/) {}
    // At the start of a pass, before anything is drawn.
    virtual void BeforePass(const glTemplate& /*form*/) {}
    // Once the pass's frame is presented.
    virtual void AfterFrame(const glTemplate& /*form*/) {}
    // Just before the pass's event pump.
    virtual void BeforeEvents(const glTemplate& /*form*/) {}
    // A key-down the pump hands to the show's key handler, before it does.
    virtual void BeforeKey(const glTemplate& /*form*/, std::int16_t /*keyCode*/, std::int16_t /*shift*/) {}
};
