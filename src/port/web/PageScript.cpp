#include "port/web/PageScript.h"

#include "platform/Events.h"
#include "platform/VirtualScreen.h"
#include "platform/web/Browser.h"

#include <cstdint>
#include <vector>

void PageScript::Presented(const Frame& frame)
{
    if (!options_.snapshots.contains(frame.number)) return;
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    platform::ReadVirtualScreen(rgb, width, height);
    const bool last = frame.number == options_.snapshots.rbegin()->first;
    platform::web::ShowSnapshot(frame.number, rgb, width, height, last);
}

void PageScript::BeforeEvents(const Frame& frame)
{
    for (const ScriptedKey& key : options_.keys)
        if (key.frame == frame.number) platform::PushKeyDown(key.key, key.shift);
    if (frame.number == options_.frames) platform::PushWindowClose();
}
