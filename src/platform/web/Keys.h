// The browser's key names and the virtual-key codes the show knows. Pure
// logic, so that the native unit tests check the same table the page uses.
#pragma once

#include <cstdint>
#include <string>

namespace platform::web {

// The virtual-key code of a key, by the browser's KeyboardEvent.key value
// ("ArrowLeft", "PageUp", "e", "Escape", "F5") or by the names scripted keys
// use on the command line ("Left", "Page Up", "E"); 0 for any other key.
std::int16_t VirtualKeyOf(const std::string& name);

// Whether the browser's default action of a key (scrolling, mostly) gives
// way to the show: its own keys, pressed without Ctrl, Alt or Meta, so that
// the browser's shortcuts keep working.
bool IsShowKey(std::int16_t virtualKey, bool ctrl, bool alt, bool meta);

} // namespace platform::web
