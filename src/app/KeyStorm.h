// A storm of random key presses for robustness runs: every frame a few of
// the show's keys (and some it ignores), with random modifiers, go through
// the event queue as if typed. Escape is left out so the show runs to its end.
#pragma once

#include <cstdint>
#include <functional>

// A frame observer for glTemplate::AddFrameObserver that queues the storm's
// keys for the event pump that follows each frame. The same seed gives the
// same storm.
std::function<void(int frame, const char* phase)> MakeKeyStorm(std::uint32_t seed);
