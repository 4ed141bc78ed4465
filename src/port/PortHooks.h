// The port's side of the show's hooks: counts the frames, names each one's
// phase, and passes both on to whatever is attached (a state log, snapshots,
// scripted keys, a capture, a benchmark), in the order they were attached.
#pragma once

#include "window/ShowHooks.h"
#include "window/glTemplate.h"

#include <string>
#include <vector>

// One frame of the show as the port sees it: its number (from 1), the phase
// it draws ("titles", "orbit", "interlude", "final" or "none") and the window.
struct Frame {
    int number;
    const char* phase;
    const glTemplate& form;
};

// Something the port hangs on the show.
class Attachment {
public:
    virtual ~Attachment() = default;
    virtual void StartupStep(const char* /*step*/) {}
    // Before the frame is drawn: the state it starts from.
    virtual void BeforeDrawing(const Frame& /*frame*/) {}
    // The frame is on the virtual screen.
    virtual void Presented(const Frame& /*frame*/) {}
    // Just before the frame's event pump: a time to queue events.
    virtual void BeforeEvents(const Frame& /*frame*/) {}
    // A key-down in the frame's pump, before the show's handler has it.
    virtual void KeyDown(const Frame& /*frame*/, std::int16_t /*code*/, std::int16_t /*shift*/) {}
    // Adds, quoted, each file it was asked for and has not written (yet):
    // what a run that stops now leaves unwritten.
    virtual void Unwritten(std::vector<std::string>& /*names*/) const {}
};

// The phase the window's flags select for its next pass.
const char* PhaseOf(const glTemplate& form);

class PortHooks final : public ShowHooks {
public:
    void Attach(Attachment& attachment) { attachments_.push_back(&attachment); }
    // Frames begun so far: the number of the frame last begun.
    int Frames() const { return frame_; }
    // After the show was taken to another frame: the next pass draws frame + 1.
    void SetFramesBegun(int frame) { frame_ = frame; }
    // What the attachments have not written, in the order they were attached.
    void Unwritten(std::vector<std::string>& names) const;

    void AfterStartupStep(const char* step) override;
    void BeforePass(const glTemplate& form) override;
    void AfterFrame(const glTemplate& form) override;
    void BeforeEvents(const glTemplate& form) override;
    void BeforeKey(const glTemplate& form, std::int16_t code, std::int16_t shift) override;

private:
    std::vector<Attachment*> attachments_;
    int frame_ = 0;
    const char* phase_ = "none";
};
