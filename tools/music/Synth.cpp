#include "Synth.h"

#include <cmath>

namespace music {

double Sine(double turns)
{
    double t = turns - std::floor(turns); // [0, 1)
    double sign = 1.0;
    if (t >= 0.5) {
        t -= 0.5;
        sign = -1.0;
    }
    if (t > 0.25) t = 0.5 - t; // sin(pi - x) = sin(x)
    const double x = t * 6.283185307179586;
    const double x2 = x * x;
    // Taylor series to x^15: below 1e-9 of error on [0, pi/2].
    double term = x;
    double sum = x;
    for (int k = 1; k <= 7; ++k) {
        term *= -x2 / static_cast<double>((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sign * sum;
}

double Exp(double x)
{
    const double y = x / 1024.0;
    const double series = 1.0 + y * (1.0 + y * (0.5 + y * (1.0 / 6.0 + y * (1.0 / 24.0 + y / 120.0))));
    double result = series;
    for (int i = 0; i < 10; ++i) result *= result;
    return result;
}

double Noise::Next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

std::vector<std::int16_t> Quantise(const std::vector<double>& signal, double peak)
{
    double largest = 0.0;
    for (double v : signal) largest = std::fmax(largest, std::fabs(v));
    const double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
    std::vector<std::int16_t> pcm(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double v = std::nearbyint(signal[i] * scale);
        pcm[i] = static_cast<std::int16_t>(std::fmax(-32767.0, std::fmin(32767.0, v)));
    }
    return pcm;
}

namespace {

// One oscillator of an additive loop: `cycles` whole periods per loop, so
// every partial (and the beating between detuned voices) repeats exactly.
struct Voice {
    int cycles;
    double gain;
    int phase; // in loop frames
};

// Sums harmonics 1..`harmonics` of each voice, harmonic h weighted by
// weight(h), over exactly `frames` frames.
template <typename Weight>
std::vector<double> AdditiveLoop(int frames, const std::vector<Voice>& voices, int harmonics, Weight weight)
{
    std::vector<double> table(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) table[static_cast<std::size_t>(i)] = Sine(static_cast<double>(i) / frames);
    std::vector<double> out(static_cast<std::size_t>(frames), 0.0);
    for (const Voice& voice : voices) {
        for (int h = 1; h <= harmonics; ++h) {
            const double gain = voice.gain * weight(h);
            if (gain == 0.0) continue;
            const long long step = static_cast<long long>(h) * voice.cycles;
            const long long offset = static_cast<long long>(h) * voice.phase;
            for (int n = 0; n < frames; ++n) {
                const long long index = (step * n + offset) % frames;
                out[static_cast<std::size_t>(n)] += gain * table[static_cast<std::size_t>(index)];
            }
        }
    }
    return out;
}

Synthesised Looped(const std::vector<double>& signal, double peak)
{
    Synthesised s;
    s.pcm = Quantise(signal, peak);
    s.loopStart = 0;
    s.loopLength = static_cast<std::uint32_t>(s.pcm.size());
    return s;
}

Synthesised OneShot(std::vector<double> signal, double peak, int fadeFrames)
{
    // A short fade at the end so that a cut never clicks.
    const std::size_t n = signal.size();
    for (int i = 0; i < fadeFrames && static_cast<std::size_t>(i) < n; ++i)
        signal[n - 1 - static_cast<std::size_t>(i)] *= static_cast<double>(i) / fadeFrames;
    Synthesised s;
    s.pcm = Quantise(signal, peak);
    return s;
}

// First-order high-pass: keeps the hiss of noise, drops its rumble.
class HighPass {
public:
    explicit HighPass(double a) : a_(a) {}
    double Step(double x)
    {
        y_ = a_ * (y_ + x - x_);
        x_ = x;
        return y_;
    }

private:
    double a_;
    double x_ = 0.0;
    double y_ = 0.0;
};

int Frames(double seconds)
{
    return static_cast<int>(seconds * kDrumRate);
}

} // namespace

Synthesised SynthKick()
{
    const int frames = Frames(0.42);
    std::vector<double> out(static_cast<std::size_t>(frames));
    Noise noise(0x1B873593u);
    double phase = 0.0;
    for (int n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kDrumRate;
        const double frequency = 44.0 + 120.0 * Exp(-t * 30.0);
        phase += frequency / kDrumRate;
        const double body = Sine(phase) * Exp(-t * 7.5);
        const double click = noise.Next() * Exp(-t * 450.0) * 0.35;
        out[static_cast<std::size_t>(n)] = body + click;
    }
    return OneShot(out, 0.97, 400);
}

Synthesised SynthSnare()
{
    const int frames = Frames(0.3);
    std::vector<double> out(static_cast<std::size_t>(frames));
    Noise noise(0xCC9E2D51u);
    HighPass hiss(0.75);
    double phase = 0.0;
    for (int n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kDrumRate;
        phase += (180.0 + 40.0 * Exp(-t * 40.0)) / kDrumRate;
        const double tone = Sine(phase) * Exp(-t * 28.0) * 0.55;
        const double rattle = hiss.Step(noise.Next()) * Exp(-t * 15.0);
        out[static_cast<std::size_t>(n)] = tone + rattle;
    }
    return OneShot(out, 0.95, 400);
}

Synthesised SynthHat()
{
    const int frames = Frames(0.11);
    std::vector<double> out(static_cast<std::size_t>(frames));
    Noise noise(0x85EBCA6Bu);
    HighPass first(0.45);
    HighPass second(0.45);
    for (int n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kDrumRate;
        out[static_cast<std::size_t>(n)] = second.Step(first.Step(noise.Next())) * Exp(-t * 45.0);
    }
    return OneShot(out, 0.9, 200);
}

Synthesised SynthCrash()
{
    const int frames = Frames(1.6);
    std::vector<double> out(static_cast<std::size_t>(frames));
    Noise noise(0xC2B2AE35u);
    HighPass air(0.6);
    double ring = 0.0;
    for (int n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kDrumRate;
        const double attack = n < 80 ? static_cast<double>(n) / 80.0 : 1.0;
        const double hiss = air.Step(noise.Next());
        ring = 0.92 * ring + 0.08 * hiss; // a darker wash under the hiss
        out[static_cast<std::size_t>(n)] = (hiss + 1.5 * ring) * attack * Exp(-t * 2.6);
    }
    return OneShot(out, 0.9, 2000);
}

Synthesised SynthBass()
{
    const int loops = 8;
    const std::vector<Voice> voices{{loops, 1.0, 0}};
    auto weight = [](int h) {
        const double rolloff = 1.0 / (1.0 + (h / 7.0) * (h / 7.0));
        return (h == 1 ? 1.6 : 1.0) * rolloff / h;
    };
    return Looped(AdditiveLoop(kBassCycle * loops, voices, 40, weight), 0.95);
}

Synthesised SynthLead()
{
    const int loops = 128;
    const std::vector<Voice> voices{{loops, 1.0, 0}, {loops + 1, 0.55, 3000}};
    auto weight = [](int h) {
        const double rolloff = 1.0 / (1.0 + (h / 10.0) * (h / 10.0));
        return (h % 2 == 1 ? 1.0 : 0.35) * rolloff / h;
    };
    return Looped(AdditiveLoop(kToneCycle * loops, voices, 28, weight), 0.95);
}

Synthesised SynthPad()
{
    const int loops = 256;
    const std::vector<Voice> voices{{loops, 1.0, 0}, {loops - 1, 0.8, 5000}, {loops + 1, 0.8, 11000}};
    auto weight = [](int h) { return 1.0 / (h * (1.0 + (h / 5.0) * (h / 5.0))); };
    return Looped(AdditiveLoop(kToneCycle * loops, voices, 24, weight), 0.95);
}

Synthesised SynthPluck()
{
    const int frames = kToneCycle * 200;
    const int harmonics = 20;
    // The sample plays at about 16.7 kHz on middle C.
    const double rate = 16741.0;
    std::vector<double> out(static_cast<std::size_t>(frames), 0.0);
    for (int h = 1; h <= harmonics; ++h) {
        const double decay = Exp(-(2.5 + 0.9 * h) / rate);
        double level = (h % 2 == 1 ? 1.0 : 0.6) / h;
        for (int n = 0; n < frames; ++n) {
            out[static_cast<std::size_t>(n)] += level * Sine(static_cast<double>((h * n) % kToneCycle) / kToneCycle);
            level *= decay;
        }
    }
    for (int n = 0; n < 16; ++n) out[static_cast<std::size_t>(n)] *= n / 16.0;
    return OneShot(out, 0.95, 600);
}

} // namespace music
