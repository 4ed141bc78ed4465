// The keys that reach the show's key handler by name: its own keys, with what
// each does there, and the other named keys the original platform delivered,
// which the handler ignores. One table that the event pumps (SDL's and the
// browser's), the key storm, the key fuzzer and the tests all read. Plain
// data without SDL, so that the browser build and the fuzzers take it as it
// is. Letters, digits and F1..F12 arrive with computed codes ('A', '0',
// 112 + n - 1) and are not listed.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Virtual-key codes the show knows.
constexpr std::int16_t VK_ESCAPE = 27;
constexpr std::int16_t VK_PRIOR = 33; // Page Up
constexpr std::int16_t VK_NEXT = 34;  // Page Down
constexpr std::int16_t VK_LEFT = 37;
constexpr std::int16_t VK_UP = 38;
constexpr std::int16_t VK_RIGHT = 39;
constexpr std::int16_t VK_DOWN = 40;
constexpr std::int16_t VK_E = 69;
constexpr std::int16_t VK_R = 82;
// Alt+Enter belongs to the port natively (full screen), not to the show.
constexpr std::int16_t VK_RETURN = 13;

// What a key does in the show's key handler; moves follow the camera's heading.
enum class KeyEffect {
    None,      // nothing: the handler has no row for it
    End,       // asks the show to end
    Lower,     // the eye 5 down
    Raise,     // the eye 5 up
    Forward,   // the eye 4 ahead along the heading
    Back,      // the eye 4 back
    TurnLeft,  // yaw +10 degrees; with Shift alone, a step of 2 to the left instead
    TurnRight, // yaw -10 degrees; with Shift alone, a step of 2 to the right instead
    TiltUp,    // pitch +10 degrees, stopping at 80
    TiltDown,  // pitch -10 degrees, stopping at -80
};

struct NamedKey {
    std::int16_t code; // the virtual-key code the handler receives
    KeyEffect effect;
    const char* name;      // SDL's name, which scripted keys use ("Left", "PageUp")
    const char* otherName; // the browser's KeyboardEvent.key or another spelling, if any
};

inline constexpr NamedKey NamedKeys[] = {
    {VK_ESCAPE, KeyEffect::End, "Escape", "Esc"},
    {VK_PRIOR, KeyEffect::TiltUp, "PageUp", "Page Up"},
    {VK_NEXT, KeyEffect::TiltDown, "PageDown", "Page Down"},
    {VK_LEFT, KeyEffect::TurnLeft, "Left", "ArrowLeft"},
    {VK_UP, KeyEffect::Forward, "Up", "ArrowUp"},
    {VK_RIGHT, KeyEffect::TurnRight, "Right", "ArrowRight"},
    {VK_DOWN, KeyEffect::Back, "Down", "ArrowDown"},
    {VK_E, KeyEffect::Lower, "E", nullptr},
    {VK_R, KeyEffect::Raise, "R", nullptr},
    // Named keys the handler ignores.
    {VK_RETURN, KeyEffect::None, "Return", "Enter"},
    {32, KeyEffect::None, "Space", " "},
    {9, KeyEffect::None, "Tab", nullptr},
    {8, KeyEffect::None, "Backspace", nullptr},
    {36, KeyEffect::None, "Home", nullptr},
    {35, KeyEffect::None, "End", nullptr},
    {45, KeyEffect::None, "Insert", nullptr},
    {46, KeyEffect::None, "Delete", nullptr},
};

// The player's keys: the port's own, around the show, never handed to the
// show's key handler. Names as SDL spells them, then as a browser does.
enum class PlayerKey {
    Pause,       // pauses, or plays on
    StepForward, // one frame on, staying paused
    StepBack,    // one frame back, staying paused
    SeekBack,    // five seconds back
    SeekForward, // five seconds on
};

struct NamedPlayerKey {
    PlayerKey key;
    const char* name;
    const char* browserName;
};

inline constexpr NamedPlayerKey PlayerKeys[] = {
    {PlayerKey::Pause, "Space", " "}, {PlayerKey::StepForward, ".", "."}, {PlayerKey::StepBack, ",", ","},
    {PlayerKey::SeekBack, "[", "["},  {PlayerKey::SeekForward, "]", "]"},
};

// The player's key of an SDL key name, which, as SDL reads names, may come
// in any case ("Space", "space"); null for any other name.
constexpr const NamedPlayerKey* PlayerKeyNamed(std::string_view name)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const NamedPlayerKey& key : PlayerKeys) {
        const std::string_view own = key.name;
        bool same = own.size() == name.size();
        for (std::size_t i = 0; same && i < own.size(); ++i) same = lower(own[i]) == lower(name[i]);
        if (same) return &key;
    }
    return nullptr;
}

// What the handler does with a virtual-key code: None for any code without
// a row, listed or not.
constexpr KeyEffect EffectOf(std::int16_t code)
{
    for (const NamedKey& key : NamedKeys)
        if (key.code == code) return key.effect;
    return KeyEffect::None;
}

} // namespace platform
