// The event pump and the frame loop in the browser. Key-downs arrive from
// the page between frames and wait in a queue for the show's pump; the
// browser owns the frame clock, so the loop is a callback per display
// refresh (or, unpaced, per turn of the page's task queue) and main()
// returns while the show plays.
#include "platform/Events.h"

#include "platform/web/Browser.h"
#include "platform/web/Keys.h"
#include "platform/web/WebVideo.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstring>
#include <deque>

namespace platform {

namespace {

struct Event {
    bool close = false;
    std::int16_t keyCode = 0;
    std::int16_t shift = 0;
    const NamedPlayerKey* player = nullptr; // one of the player's keys
};

std::function<void(PlayerKey)> playerHandler;
std::function<bool()> frameHold;

// The player's key by either spelling, while a player listens.
const NamedPlayerKey* ListenedPlayerKey(const char* name)
{
    if (!playerHandler) return nullptr;
    if (const NamedPlayerKey* key = PlayerKeyNamed(name)) return key;
    for (const NamedPlayerKey& key : PlayerKeys)
        if (std::strcmp(name, key.browserName) == 0) return &key;
    return nullptr;
}

std::deque<Event> queue;
bool listening = false;

// The pass of the running loop, and whom to tell when it stops.
std::function<bool()> loopPass;
std::function<void(std::exception_ptr)> loopEnd;
bool looping = false;

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* e, void*)
{
    if (!looping) return EM_FALSE; // the page's own keys before and after the show
    if (!e->ctrlKey && !e->altKey && !e->metaKey) {
        if (const NamedPlayerKey* key = ListenedPlayerKey(e->key)) {
            queue.push_back({false, 0, 0, key});
            return EM_TRUE;
        }
    }
    const std::int16_t code = web::VirtualKeyOf(e->key);
    if (code == 0) return EM_FALSE;
    std::int16_t shift = 0;
    if (e->shiftKey) shift |= ShiftMask;
    if (e->ctrlKey) shift |= CtrlMask;
    if (e->altKey) shift |= AltMask;
    queue.push_back({false, code, shift});
    return web::IsShowKey(code, e->ctrlKey, e->altKey, e->metaKey) ? EM_TRUE : EM_FALSE;
}

void StopLoop(std::exception_ptr error)
{
    emscripten_cancel_main_loop();
    looping = false;
    queue.clear();
    if (loopEnd) loopEnd(error);
}

void Tick()
{
    bool more = false;
    try {
        if (frameHold && frameHold()) return;
        more = loopPass();
    } catch (...) {
        StopLoop(std::current_exception());
        return;
    }
    if (!more) StopLoop(nullptr);
}

} // namespace

void DoEvents(const EventHandlers& handlers)
{
    // Keys pressed meanwhile wait for the next pump, as they would natively.
    std::deque<Event> now;
    now.swap(queue);
    for (const Event& event : now) {
        if (event.close) {
            if (handlers.close) handlers.close();
        } else if (event.player != nullptr) {
            if (playerHandler) playerHandler(event.player->key);
        } else if (handlers.keyDown) {
            handlers.keyDown(event.keyCode, event.shift);
        }
    }
}

void SetScreenshotHandler(std::function<void()>)
{
    // F12 stays the browser's; a picture is the browser's to save.
}

void RunFrameLoop(const std::function<bool()>& pass)
{
    loopPass = pass;
    looping = true;
    if (!listening) {
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, OnKeyDown);
        listening = true;
    }
    // Returns at once: the browser calls Tick from now on, once a display
    // refresh by default (the settings' 60), as fast as the page's task queue
    // turns for 0, or by its timer for another rate.
    const int fps = web::CurrentVideo().settings.fps;
    emscripten_set_main_loop(Tick, fps == 60 ? 0 : fps, EM_FALSE);
    if (fps == 0) emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
}

void SetPlayerHandler(std::function<void(PlayerKey)> handler)
{
    playerHandler = std::move(handler);
}

void SetFrameHold(std::function<bool()> hold)
{
    frameHold = std::move(hold);
}

bool IsKnownKeyName(const std::string& name)
{
    return PlayerKeyNamed(name) != nullptr || web::VirtualKeyOf(name) != 0;
}

void PushKeyDown(const std::string& name, std::int16_t shift)
{
    if (const NamedPlayerKey* key = (shift & (CtrlMask | AltMask)) == 0 ? ListenedPlayerKey(name.c_str()) : nullptr) {
        queue.push_back({false, 0, 0, key});
        return;
    }
    queue.push_back({false, web::VirtualKeyOf(name), shift});
}

std::int16_t ScriptedKeyCode(const std::string& name)
{
    return PlayerKeyNamed(name) != nullptr ? 0 : web::VirtualKeyOf(name);
}

void PushWindowClose()
{
    queue.push_back({true, 0, 0});
}

namespace web {

void SetFrameLoopEnd(std::function<void(std::exception_ptr)> onEnd)
{
    loopEnd = std::move(onEnd);
}

} // namespace web

} // namespace platform
