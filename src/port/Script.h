// The run's script from the options: pictures of chosen frames, key presses
// at chosen frames, and the end after a given number of frames, which closes
// the window so that the show shuts down as it always does.
#pragma once

#include "port/PortHooks.h"
#include "port/ShowOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Where a snapshot goes: natively the PNG file the options name, in a
// browser the page. Gets the frame, that file's name and the picture (RGB,
// top row first).
using SnapshotSink = std::function<void(int frame, const std::string& path, const std::vector<std::uint8_t>& rgb,
                                        int width, int height)>;

class Script final : public Attachment {
public:
    Script(const ShowOptions& options, SnapshotSink snapshots) : options_(options), snapshots_(std::move(snapshots)) {}
    void Presented(const Frame& frame) override;
    void BeforeEvents(const Frame& frame) override;
    // The tick-th refresh of a pause after frame: queues the keys scripted
    // for it. False when none was and none is left for a later refresh.
    bool Held(int frame, int tick);
    // The snapshots of frames not presented yet.
    void Unwritten(std::vector<std::string>& names) const override;

private:
    // Queues the keys scripted for the tick-th refresh of frame (0: its
    // pass) that have not been pressed yet: each is pressed once, the first
    // time its moment comes, also where a seek comes back to it. True when
    // one was queued now or keys for later refreshes of frame remain.
    bool Press(int frame, int tick);

    const ShowOptions& options_;
    std::vector<bool> fired_;
    SnapshotSink snapshots_;
    int presented_ = 0; // the last frame presented
};
