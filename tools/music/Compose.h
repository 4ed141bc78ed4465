// The arrangement of "morvek": sections of four bars, each a chord
// progression with its drums, bass, pads, arpeggio and tune, laid out row
// by row and cut into XM patterns.
#pragma once

#include "XmWriter.h"

namespace music {

// The whole module, instruments included. The same bytes every time.
XmModule ComposeMorvek();

} // namespace music
