#include "Instruments.h"

#include "Synth.h"

namespace music {

namespace {

// Relative note and finetune that make C-4 play a sample at its own pitch:
// 12 * log2(rate / 8363) split into semitones and 1/128ths.
struct Tuning {
    std::int8_t relativeNote;
    std::int8_t finetune;
};
// 44100 Hz recordings: 28.78 semitones up.
constexpr Tuning kDrumTuning{28, 100};
// One 64-frame cycle on middle C (261.63 Hz): 16744 Hz, 12.02 semitones up.
constexpr Tuning kToneTuning{12, 2};
// The bass keeps 128 frames to the cycle for its many partials: twice the rate.
constexpr Tuning kBassTuning{24, 2};

XmInstrument Make(const char* name, const Synthesised& synth, Tuning tuning, int volume, int panning)
{
    XmInstrument instrument;
    instrument.name = name;
    instrument.sample.name = name;
    instrument.sample.pcm = synth.pcm;
    instrument.sample.loopStart = synth.loopStart;
    instrument.sample.loopLength = synth.loopLength;
    instrument.sample.relativeNote = tuning.relativeNote;
    instrument.sample.finetune = tuning.finetune;
    instrument.sample.volume = static_cast<std::uint8_t>(volume);
    instrument.sample.panning = static_cast<std::uint8_t>(panning);
    return instrument;
}

XmEnvelope Envelope(std::vector<std::pair<std::uint16_t, std::uint16_t>> points, int sustain)
{
    XmEnvelope envelope;
    envelope.points = std::move(points);
    envelope.sustain = sustain;
    return envelope;
}

} // namespace

std::vector<XmInstrument> MakeInstruments()
{
    std::vector<XmInstrument> instruments;
    // Pan positions, 0 = left, 128 = centre, 255 = right: kick, snare and bass
    // hold the middle, the hats sit right and the crash and the arpeggio left;
    // the lead leans right, across from its second voice (Compose.cpp).
    instruments.push_back(Make("kick", SynthKick(), kDrumTuning, 64, 128));
    instruments.push_back(Make("snare", SynthSnare(), kDrumTuning, 64, 120));
    instruments.push_back(Make("hat", SynthHat(), kDrumTuning, 64, 224));
    instruments.push_back(Make("crash", SynthCrash(), kDrumTuning, 64, 56));

    // Looped tones need an envelope with a sustain point: without one a
    // key-off cuts them dead, with one it starts the fade-out.
    XmInstrument bass = Make("bass", SynthBass(), kBassTuning, 64, 128);
    bass.volumeEnvelope = Envelope({{0, 64}, {6, 50}, {24, 40}}, 2);
    bass.fadeout = 0x600;
    instruments.push_back(bass);

    XmInstrument lead = Make("lead", SynthLead(), kToneTuning, 64, 180);
    lead.volumeEnvelope = Envelope({{0, 0}, {2, 64}, {10, 52}}, 2);
    lead.fadeout = 0x300;
    lead.vibratoType = 0;
    lead.vibratoSweep = 48;
    lead.vibratoDepth = 4;
    lead.vibratoRate = 10;
    instruments.push_back(lead);

    XmInstrument pad = Make("pad", SynthPad(), kToneTuning, 64, 128);
    pad.volumeEnvelope = Envelope({{0, 6}, {10, 44}, {28, 60}}, 2);
    pad.fadeout = 0x200;
    instruments.push_back(pad);

    instruments.push_back(Make("pluck", SynthPluck(), kToneTuning, 64, 32));
    return instruments;
}

} // namespace music
