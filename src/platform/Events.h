// The event pump, which delivers every pending window event once and
// returns, and the frame loop's driver.
#pragma once

#include "platform/ShowKeys.h"

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// The modifier bits of a key-down.
constexpr std::int16_t ShiftMask = 1;
constexpr std::int16_t CtrlMask = 2;
constexpr std::int16_t AltMask = 4;

struct EventHandlers {
    std::function<void(std::int16_t keyCode, std::int16_t shift)> keyDown;
    std::function<void()> close; // the user closed the window
};

// Delivers all pending events (key-downs, auto-repeats included, one call
// each) to the handlers, then returns. Two keys belong to the port, not to
// the show, and never reach keyDown: F12 calls the screenshot handler, and
// Alt+Enter toggles between a window and full screen.
void DoEvents(const EventHandlers& handlers);
void SetScreenshotHandler(std::function<void()> handler);

// The player's keys (Space, '.', ',', '[' and ']', without Alt or Ctrl) go
// to this handler instead of the show's while one is set.
void SetPlayerHandler(std::function<void(PlayerKey)> handler);

// Runs pass once a frame until it returns false: here a plain loop; where
// the platform owns the frame clock (a browser), once a display refresh.
// Natively a signal caught by CatchInterrupts ends it before the next pass
// with Interrupted (platform/Process.h).
void RunFrameLoop(const std::function<bool()>& pass);
// Asked before each pass of the frame loop: true holds the pass back for
// this turn of the loop (a paused show), false lets it run. Empty: none.
void SetFrameHold(std::function<bool()> hold);

// Whether SDL knows a key by this name ("Left", "Page Up", "E", ...).
bool IsKnownKeyName(const std::string& name);
// Queues a key-down as if typed; the next DoEvents delivers it.
void PushKeyDown(const std::string& name, std::int16_t shift);
// The code the show's key handler gets for such a key-down (0: none, a
// player's key among them).
std::int16_t ScriptedKeyCode(const std::string& name);
// Queues the window manager's close request, as if the user closed the window.
void PushWindowClose();
} // namespace platform
