// The event pump over SDL2: key-downs become virtual-key codes with the
// modifier bit set, a closed window asks the show to end.
#include "platform/Events.h"

#include "platform/Display.h"
#include "platform/Process.h"

#include "platform/VideoInternal.h"
#include "testing/Testing.h"

#include <array>
#include <iterator>

namespace platform {

namespace {

std::int16_t VirtualKeyCode(SDL_Keycode key)
{
    // SDL's keycodes of the named keys, looked up by name once.
    static const auto namedKeycodes = [] {
        std::array<SDL_Keycode, std::size(NamedKeys)> keycodes{};
        for (std::size_t k = 0; k < keycodes.size(); ++k) keycodes[k] = SDL_GetKeyFromName(NamedKeys[k].name);
        return keycodes;
    }();
    for (std::size_t k = 0; k < namedKeycodes.size(); ++k)
        if (namedKeycodes[k] == key) return NamedKeys[k].code;
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::int16_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::int16_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<std::int16_t>(112 + (key - SDLK_F1));
    return 0;
}

// The numeric keypad as the original platform saw it: with NumLock off its
// keys are the arrow and page keys they are labelled with, with NumLock on
// they are the keypad's own digit codes (which the show ignores).
std::int16_t KeypadKeyCode(SDL_Keycode key, bool numLock)
{
    struct Pad {
        SDL_Keycode key;
        std::int16_t numLockOff, numLockOn;
    };
    static constexpr Pad Keypad[] = {
        {SDLK_KP_0, 45, 96},       {SDLK_KP_1, 35, 97},        {SDLK_KP_2, VK_DOWN, 98},   {SDLK_KP_3, VK_NEXT, 99},
        {SDLK_KP_4, VK_LEFT, 100}, {SDLK_KP_5, 12, 101},       {SDLK_KP_6, VK_RIGHT, 102}, {SDLK_KP_7, 36, 103},
        {SDLK_KP_8, VK_UP, 104},   {SDLK_KP_9, VK_PRIOR, 105}, {SDLK_KP_PERIOD, 46, 110},
    };
    for (const Pad& pad : Keypad)
        if (pad.key == key) return numLock ? pad.numLockOn : pad.numLockOff;
    return 0;
}

std::int16_t KeyDownCode(SDL_Keycode key, Uint16 mod)
{
    const std::int16_t keypad = KeypadKeyCode(key, (mod & KMOD_NUM) != 0);
    return keypad != 0 ? keypad : VirtualKeyCode(key);
}

std::function<void()> screenshotHandler;
std::function<void(PlayerKey)> playerHandler;
std::function<bool()> frameHold;

// The player's key for a key-down, if it is one: a plain or shifted key
// whose SDL name is in the table.
const NamedPlayerKey* PlayerKeyOf(SDL_Keycode key, Uint16 mod)
{
    if ((mod & (KMOD_ALT | KMOD_CTRL | KMOD_GUI)) != 0) return nullptr;
    static const auto keycodes = [] {
        std::array<SDL_Keycode, std::size(PlayerKeys)> codes{};
        for (std::size_t k = 0; k < codes.size(); ++k) codes[k] = SDL_GetKeyFromName(PlayerKeys[k].name);
        return codes;
    }();
    for (std::size_t k = 0; k < keycodes.size(); ++k)
        if (keycodes[k] == key) return &PlayerKeys[k];
    return nullptr;
}

std::int16_t ShiftState(Uint16 mod)
{
    std::int16_t shift = 0;
    if (mod & KMOD_SHIFT) shift |= ShiftMask;
    if (mod & KMOD_CTRL) shift |= CtrlMask;
    if (mod & KMOD_ALT) shift |= AltMask;
    return shift;
}

} // namespace

void DoEvents(const EventHandlers& handlers)
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            if (handlers.close) handlers.close();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE && handlers.close) handlers.close();
            break;
        case SDL_KEYDOWN: {
            if (event.key.keysym.sym == SDLK_F12) {
                if (screenshotHandler && event.key.repeat == 0) screenshotHandler();
                break;
            }
            if ((event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) &&
                (event.key.keysym.mod & KMOD_ALT) != 0) {
                if (event.key.repeat == 0) ToggleFullScreen();
                break;
            }
            if (playerHandler) {
                if (const NamedPlayerKey* key = PlayerKeyOf(event.key.keysym.sym, event.key.keysym.mod)) {
                    playerHandler(key->key);
                    break;
                }
            }
            const std::int16_t code = KeyDownCode(event.key.keysym.sym, event.key.keysym.mod);
            if (code != 0 && handlers.keyDown) handlers.keyDown(code, ShiftState(event.key.keysym.mod));
            break;
        }
        default:
            break;
        }
    }
}

void SetScreenshotHandler(std::function<void()> handler)
{
    screenshotHandler = std::move(handler);
}

void RunFrameLoop(const std::function<bool()>& pass)
{
    // Before every pass, and once more after the last, so that a signal in
    // start-up or in the last frame stops the run before its files are
    // given their names.
    for (;;) {
        StopIfInterrupted();
        if (frameHold && frameHold()) continue;
        if (!pass()) break;
    }
    StopIfInterrupted();
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
    return SDL_GetKeyFromName(name.c_str()) != SDLK_UNKNOWN;
}

void PushKeyDown(const std::string& name, std::int16_t shift)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDL_GetKeyFromName(name.c_str());
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    Uint16 mod = 0;
    if (shift & ShiftMask) mod |= KMOD_LSHIFT;
    if (shift & CtrlMask) mod |= KMOD_LCTRL;
    if (shift & AltMask) mod |= KMOD_LALT;
    event.key.keysym.mod = mod;
    SDL_Window* window = CurrentVideo().window;
    event.key.windowID = window != nullptr ? SDL_GetWindowID(window) : 0;
    SDL_PushEvent(&event);
}

std::int16_t ScriptedKeyCode(const std::string& name)
{
    const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
    if (PlayerKeyOf(key, KMOD_NONE) != nullptr) return 0;
    return KeyDownCode(key, KMOD_NONE);
}

std::int16_t KeyDownCodeOf(const std::string& name, bool numLock)
{
    return KeyDownCode(SDL_GetKeyFromName(name.c_str()), numLock ? KMOD_NUM : KMOD_NONE);
}

void PushWindowClose()
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_Window* window = CurrentVideo().window;
    event.window.windowID = window != nullptr ? SDL_GetWindowID(window) : 0;
    SDL_PushEvent(&event);
}

} // namespace platform
