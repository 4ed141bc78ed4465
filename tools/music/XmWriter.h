// A writer for FastTracker 2 extended modules (version 0x0104), the layout
// that both libopenmpt and libxmp read. One sample per instrument is all the
// composer needs, so that is all this models.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace music {

// One pattern cell. Zero fields are left out of the packed form.
struct XmCell {
    std::uint8_t note = 0;       // 1..96 = C-0..B-7, 97 = key-off
    std::uint8_t instrument = 0; // 1-based
    std::uint8_t volume = 0;     // volume column byte (0x10 + 0..64 sets the volume)
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

inline constexpr std::uint8_t kKeyOff = 97;

// The volume-column byte that sets a channel volume of 0..64.
constexpr std::uint8_t XmVolume(int volume)
{
    return static_cast<std::uint8_t>(0x10 + volume);
}

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells; // rows x channels, row by row

    XmPattern(int rowCount, int channelCount);
    XmCell& At(int row, int channel);
};

// Envelope points are (tick, value); a negative index means "none".
struct XmEnvelope {
    std::vector<std::pair<std::uint16_t, std::uint16_t>> points;
    int sustain = -1;
    int loopStart = -1;
    int loopEnd = -1;
};

struct XmSample {
    std::string name;
    std::vector<std::int16_t> pcm; // 16-bit signed, in sample frames
    std::uint32_t loopStart = 0;   // in frames
    std::uint32_t loopLength = 0;  // in frames, 0 = one-shot
    std::uint8_t volume = 64;
    std::uint8_t panning = 128;
    std::int8_t relativeNote = 0;
    std::int8_t finetune = 0;
};

struct XmInstrument {
    std::string name;
    XmSample sample;
    XmEnvelope volumeEnvelope;
    std::uint16_t fadeout = 0;
    std::uint8_t vibratoType = 0;
    std::uint8_t vibratoSweep = 0;
    std::uint8_t vibratoDepth = 0;
    std::uint8_t vibratoRate = 0;
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6; // ticks per row
    int bpm = 125;
    int restartPosition = 0;
    std::vector<std::uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The whole file image. Throws std::invalid_argument on values the format
// (or one of the two readers) cannot take.
std::vector<std::uint8_t> WriteXm(const XmModule& module);

} // namespace music
