// The run's script in the browser: the page parameters' pictures, scripted
// keys and frame limit. Pictures go onto the page, not into files.
#pragma once

#include "port/PortHooks.h"
#include "port/ShowOptions.h"

class PageScript final : public Attachment {
public:
    explicit PageScript(const ShowOptions& options) : options_(options) {}
    void Presented(const Frame& frame) override;
    void BeforeEvents(const Frame& frame) override;

private:
    const ShowOptions& options_;
};
