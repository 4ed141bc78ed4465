// Sample synthesis for the show's instruments. Everything here is built from
// IEEE add/multiply/divide, floor and integer noise (no libm), so the same
// bytes come out on every machine and compiler that keeps to IEEE doubles.
#pragma once

#include <cstdint>
#include <vector>

namespace music {

// sin(2 * pi * turns), from a polynomial rather than libm.
double Sine(double turns);
// e^x for |x| up to a few dozen, from a series and repeated squaring.
double Exp(double x);

// A deterministic noise source (xorshift32).
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    double Next(); // uniform in [-1, 1)

private:
    std::uint32_t state_;
};

// A synthesised sample: PCM frames and, for tonal sounds, the loop.
struct Synthesised {
    std::vector<std::int16_t> pcm;
    std::uint32_t loopStart = 0;
    std::uint32_t loopLength = 0;
};

// Scales to `peak` of full scale and quantises to 16 bits.
std::vector<std::int16_t> Quantise(const std::vector<double>& signal, double peak);

// Tonal samples hold one pitch cycle in a fixed number of frames, so that
// one relative-note/finetune pair tunes them all to concert pitch.
inline constexpr int kToneCycle = 64;  // lead, pad, pluck: C-4 = middle C
inline constexpr int kBassCycle = 128; // bass: one octave more resolution
// Drums are recorded at 44100 Hz and play at their own pitch on C-4.
inline constexpr int kDrumRate = 44100;

Synthesised SynthKick();
Synthesised SynthSnare();
Synthesised SynthHat();
Synthesised SynthCrash();
Synthesised SynthBass();  // looped bright saw with a round low end
Synthesised SynthLead();  // looped, two detuned pulse-like voices
Synthesised SynthPad();   // looped, three detuned soft saws
Synthesised SynthPluck(); // one-shot, upper partials die first

} // namespace music
