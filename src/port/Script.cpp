#include "port/Script.h"

#include "files/Files.h"
#include "image/Png.h"
#include "platform/Events.h"
#include "platform/VirtualScreen.h"
#include "runtime/Runtime.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

void Script::Presented(const Frame& frame)
{
    const auto snapshot = options_.snapshots.find(frame.number);
    if (snapshot == options_.snapshots.end()) return;
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    platform::ReadVirtualScreen(rgb, width, height);
    try {
        image::WritePng(snapshot->second, width, height, 3, rgb.data());
    } catch (const files::Error& e) {
        throw Runtime::RuntimeError("Cannot write the snapshot '" + e.path + "': " + e.reason);
    } catch (const std::runtime_error& e) {
        throw Runtime::RuntimeError(std::string("Cannot write the snapshot: ") + e.what());
    }
}

void Script::BeforeEvents(const Frame& frame)
{
    for (const ScriptedKey& key : options_.keys)
        if (key.frame == frame.number) platform::PushKeyDown(key.key, key.shift);
    if (frame.number == options_.frames) platform::PushWindowClose();
}
