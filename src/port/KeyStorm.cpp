#include "port/KeyStorm.h"

#include "platform/Events.h"

#include <vector>

void KeyStorm::BeforeEvents(const Frame&)
{
    // Every named key, the show's own and those its handler must ignore, but
    // Escape, which would end the show, Enter, which with Alt belongs to the
    // port (as F12 does, which is not named), and the player's Space.
    static const std::vector<const char*> Keys = [] {
        std::vector<const char*> names;
        for (const platform::NamedKey& key : platform::NamedKeys)
            if (key.effect != platform::KeyEffect::End && key.code != platform::VK_RETURN &&
                platform::PlayerKeyNamed(key.name) == nullptr)
                names.push_back(key.name);
        return names;
    }();
    std::uniform_int_distribution<int> count(0, 4), key(0, static_cast<int>(Keys.size()) - 1), shift(0, 7);
    for (int n = count(random_); n > 0; --n) {
        const char* name = Keys[static_cast<std::size_t>(key(random_))];
        platform::PushKeyDown(name, static_cast<std::int16_t>(shift(random_)));
    }
}
