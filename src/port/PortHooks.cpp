#include "port/PortHooks.h"

const char* PhaseOf(const glTemplate& form)
{
    if (form.SceneActive == Runtime::True) {
        if (form.TitlesActive == Runtime::True) return "titles";
        return form.TurnCount < 7 ? "orbit" : "final";
    }
    return form.InterludeActive == Runtime::True ? "interlude" : "none";
}

void PortHooks::Unwritten(std::vector<std::string>& names) const
{
    for (const Attachment* a : attachments_) a->Unwritten(names);
}

void PortHooks::AfterStartupStep(const char* step)
{
    for (Attachment* a : attachments_) a->StartupStep(step);
}

void PortHooks::BeforePass(const glTemplate& form)
{
    ++frame_;
    phase_ = PhaseOf(form);
    const Frame frame{frame_, phase_, form};
    for (Attachment* a : attachments_) a->BeforeDrawing(frame);
}

void PortHooks::AfterFrame(const glTemplate& form)
{
    const Frame frame{frame_, phase_, form};
    for (Attachment* a : attachments_) a->Presented(frame);
}

void PortHooks::BeforeEvents(const glTemplate& form)
{
    const Frame frame{frame_, phase_, form};
    for (Attachment* a : attachments_) a->BeforeEvents(frame);
}

void PortHooks::BeforeKey(const glTemplate& form, std::int16_t code, std::int16_t shift)
{
    const Frame frame{frame_, phase_, form};
    for (Attachment* a : attachments_) a->KeyDown(frame, code, shift);
}
