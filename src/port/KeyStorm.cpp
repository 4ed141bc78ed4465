#include "port/KeyStorm.h"

#include "platform/Events.h"

#include <array>

void KeyStorm::BeforeEvents(const Frame&)
{
    // Show keys weighted by repetition, plus keys the handler must ignore.
    // Enter and F12 are left out: with Alt they belong to the port.
    static constexpr std::array<const char*, 14> Keys = {
        "Left",     "Right",  "Left",     "Right", "Up", "Down",  "PageUp",
        "PageDown", "PageUp", "PageDown", "E",     "R",  "Space", "A",
    };
    std::uniform_int_distribution<int> count(0, 4), key(0, static_cast<int>(Keys.size()) - 1), shift(0, 7);
    for (int n = count(random_); n > 0; --n) {
        const char* name = Keys[static_cast<std::size_t>(key(random_))];
        platform::PushKeyDown(name, static_cast<std::int16_t>(shift(random_)));
    }
}
