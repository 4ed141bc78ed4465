// A storm of random key presses for robustness runs: every frame a few of
// the show's keys (and some it ignores), with random modifiers, go through
// the event queue as if typed. Escape is left out so the show runs to its end.
#pragma once

#include "port/PortHooks.h"

#include <cstdint>
#include <random>

class KeyStorm final : public Attachment {
public:
    // The same seed gives the same storm.
    explicit KeyStorm(std::uint32_t seed) : random_(seed) {}
    void BeforeEvents(const Frame& frame) override;

private:
    std::mt19937 random_;
};
