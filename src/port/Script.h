// The run's script from the command line: pictures of chosen frames, key
// presses at chosen frames, and the end after a given number of frames,
// which closes the window so that the show shuts down as it always does.
#pragma once

#include "port/PortHooks.h"
#include "port/ShowOptions.h"

class Script final : public Attachment {
public:
    explicit Script(const ShowOptions& options) : options_(options) {}
    void Presented(const Frame& frame) override;
    void BeforeEvents(const Frame& frame) override;

private:
    const ShowOptions& options_;
};
