#include "port/Script.h"

#include "platform/Events.h"
#include "platform/VirtualScreen.h"

void Script::Presented(const Frame& frame)
{
    const auto snapshot = options_.snapshots.find(frame.number);
    if (snapshot != options_.snapshots.end()) {
        std::vector<std::uint8_t> rgb;
        int width = 0, height = 0;
        platform::ReadVirtualScreen(rgb, width, height);
        snapshots_(frame.number, snapshot->second, rgb, width, height);
    }
    presented_ = frame.number;
}

void Script::Unwritten(std::vector<std::string>& names) const
{
    for (auto s = options_.snapshots.upper_bound(presented_); s != options_.snapshots.end(); ++s)
        names.push_back("'" + s->second + "'");
}

void Script::BeforeEvents(const Frame& frame)
{
    Press(frame.number, 0);
    if (frame.number == options_.frames) platform::PushWindowClose();
}

bool Script::Held(int frame, int tick)
{
    return Press(frame, tick);
}

bool Script::Press(int frame, int tick)
{
    fired_.resize(options_.keys.size());
    bool more = false;
    for (std::size_t k = 0; k < options_.keys.size(); ++k) {
        const ScriptedKey& key = options_.keys[k];
        if (key.frame != frame || key.tick < tick || fired_[k]) continue;
        if (key.tick == tick) {
            platform::PushKeyDown(key.key, key.shift);
            fired_[k] = true;
        }
        more = true;
    }
    return more;
}
