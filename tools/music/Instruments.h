// The eight instruments of the module: synthesised samples with their
// tuning, level, panning and envelopes.
#pragma once

#include <vector>

#include "XmWriter.h"

namespace music {

// Instrument numbers as they go into pattern cells (1-based).
enum InstrumentId : int {
    kKick = 1,
    kSnare,
    kHat,
    kCrash,
    kBass,
    kLead,
    kPad,
    kPluck,
};

std::vector<XmInstrument> MakeInstruments();

} // namespace music
