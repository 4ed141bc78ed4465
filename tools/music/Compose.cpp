#include "Compose.h"

#include <algorithm>

#include "Instruments.h"
#include "Score.h"

namespace music {

namespace {

enum class Drums { None, Half, Full, Build };
enum class Bass { None, Long, Pulse, Drive };
enum class Arp { None, Eighths, Sixteenths };
// What the second melodic channel does with the tune.
enum class Shadow { None, Echo, Harmony };

struct Section {
    const char* progression;
    const char* theme; // nullptr: no tune
    Shadow shadow;
    Drums drums;
    Bass bass;
    Arp arp;
    bool crash; // a cymbal on the downbeat
    bool fill;  // a snare run into the next section
    int padVolume;
};

constexpr const char* kHome = "Dm Bb F C";
constexpr const char* kAway = "Gm Dm Bb A";
constexpr const char* kHushChords = "Bb C Am Dm";
constexpr const char* kRiseChords = "Bb C Gm A";

// Intro, A A B B, A A with an echo, breakdown and climb, A A with a second
// voice under the tune, B B with an echo whose last chord (A, the dominant)
// leads back to the first A: that is where the song loops.
const Section kSong[] = {
    {kHome, nullptr, Shadow::None, Drums::None, Bass::None, Arp::Eighths, false, false, 32},
    {kHome, nullptr, Shadow::None, Drums::Half, Bass::Long, Arp::Sixteenths, false, true, 28},
    {kHome, kThemeA1, Shadow::None, Drums::Full, Bass::Drive, Arp::Sixteenths, true, false, 24},
    {kHome, kThemeA2, Shadow::None, Drums::Full, Bass::Drive, Arp::Sixteenths, false, false, 24},
    {kAway, kThemeB1, Shadow::None, Drums::Full, Bass::Drive, Arp::Eighths, true, false, 26},
    {kAway, kThemeB2, Shadow::None, Drums::Full, Bass::Drive, Arp::Eighths, false, true, 26},
    {kHome, kThemeA1, Shadow::Echo, Drums::Full, Bass::Drive, Arp::Sixteenths, true, false, 24},
    {kHome, kThemeA2, Shadow::Echo, Drums::Full, Bass::Drive, Arp::Sixteenths, false, true, 24},
    {kHushChords, kThemeHush, Shadow::Echo, Drums::None, Bass::Long, Arp::Eighths, true, false, 32},
    {kRiseChords, kThemeRise, Shadow::Echo, Drums::Build, Bass::Pulse, Arp::Sixteenths, false, false, 28},
    {kHome, kThemeA1, Shadow::Harmony, Drums::Full, Bass::Drive, Arp::Sixteenths, true, false, 24},
    {kHome, kThemeA2, Shadow::Harmony, Drums::Full, Bass::Drive, Arp::Sixteenths, false, false, 24},
    {kAway, kThemeB1, Shadow::Echo, Drums::Full, Bass::Drive, Arp::Eighths, true, false, 26},
    {kAway, kThemeB2, Shadow::Echo, Drums::Full, Bass::Drive, Arp::Eighths, false, true, 26},
};
constexpr int kSectionCount = static_cast<int>(sizeof(kSong) / sizeof(kSong[0]));
constexpr int kRestartSection = 2;

enum Channel : int {
    kChKick,
    kChSnare,
    kChHat,
    kChCrash,
    kChBass,
    kChLead,
    kChShadow,
    kChArp,
    kChPad, // four channels: three chord voices and the root below
};
constexpr int kPadVoices = 4;
constexpr int kChannels = kChPad + kPadVoices;

constexpr int kSpeed = 6;
constexpr int kBpm = 128; // a row is 0.1171875 s, a section 7.5 s

constexpr int kDrumNote = 60; // drums sound at their own pitch on middle C
constexpr int kEchoDelay = 3; // rows: a dotted eighth
constexpr std::uint8_t kSetPanning = 0x08;

// Pan positions, 0 = left, 128 = centre, 255 = right; the instruments carry
// their own (Instruments.cpp), these are for the channels that share one.
// The lowest chord tone goes far left, the middle far right, the top left of
// centre and the root below them right of it; the second lead voice sits
// left, across from the lead. Both readers pan by amplitude only, so no voice
// loses itself in L+R; libopenmpt's square-root law needs the wide values.
constexpr std::uint8_t kPadPan[kPadVoices] = {16, 240, 56, 184};
constexpr std::uint8_t kHarmonyPan = 68;
// Echo repeats go left and right in turn.
constexpr std::uint8_t kEchoPan[2] = {40, 216};

void Hit(XmPattern& song, int row, int channel, int instrument, int pitch, int volume, std::uint8_t effect = 0,
         std::uint8_t param = 0)
{
    XmCell& cell = song.At(row, channel);
    cell.note = XmNote(pitch);
    cell.instrument = static_cast<std::uint8_t>(instrument);
    cell.volume = XmVolume(volume);
    cell.effect = effect;
    cell.param = param;
}

void KeyOff(XmPattern& song, int row, int channel)
{
    song.At(row, channel) = XmCell{};
    song.At(row, channel).note = kKeyOff;
}

void WriteFullBar(XmPattern& song, int bar0, int bar)
{
    const bool odd = bar % 2 == 1;
    for (int r : {0, 8, odd ? 14 : 10}) Hit(song, bar0 + r, kChKick, kKick, kDrumNote, 64);
    for (int r : {4, 12}) Hit(song, bar0 + r, kChSnare, kSnare, kDrumNote, 58);
    if (odd) Hit(song, bar0 + 15, kChSnare, kSnare, kDrumNote, 14);
    for (int r = 0; r < kRowsPerBar; ++r)
        Hit(song, bar0 + r, kChHat, kHat, kDrumNote, r % 4 == 2 ? 28 : (r % 2 == 0 ? 20 : 11));
}

// The breakdown's climb: the snare doubles its pace every bar.
void WriteBuildBar(XmPattern& song, int bar0, int bar)
{
    for (int r = 0; r < kRowsPerBar; r += 4) Hit(song, bar0 + r, kChKick, kKick, kDrumNote, 60);
    const int step = bar == 0 ? 8 : (bar == 1 ? 4 : (bar == 2 ? 2 : 1));
    for (int r = bar == 0 ? 4 : 0; r < kRowsPerBar; r += step) {
        const int volume = bar == 3 ? 24 + 36 * r / (kRowsPerBar - 1) : 36 + 4 * bar;
        Hit(song, bar0 + r, kChSnare, kSnare, kDrumNote, volume);
    }
    if (bar < 2)
        for (int r = 2; r < kRowsPerBar; r += 4) Hit(song, bar0 + r, kChHat, kHat, kDrumNote, 18);
}

void WriteDrums(XmPattern& song, int first, const Section& section)
{
    for (int bar = 0; bar < kBarsPerSection; ++bar) {
        const int bar0 = first + bar * kRowsPerBar;
        switch (section.drums) {
        case Drums::None:
            break;
        case Drums::Half:
            for (int r : {0, 8}) Hit(song, bar0 + r, kChKick, kKick, kDrumNote, 60);
            for (int r = 0; r < kRowsPerBar; r += 2) Hit(song, bar0 + r, kChHat, kHat, kDrumNote, r % 4 == 2 ? 26 : 16);
            break;
        case Drums::Full:
            WriteFullBar(song, bar0, bar);
            break;
        case Drums::Build:
            WriteBuildBar(song, bar0, bar);
            break;
        }
    }
    if (section.fill) {
        const int bar0 = first + (kBarsPerSection - 1) * kRowsPerBar;
        for (int r = 8; r < kRowsPerBar; ++r) song.At(bar0 + r, kChSnare) = XmCell{};
        const int rows[] = {8, 10, 12, 13, 14, 15};
        const int volumes[] = {34, 40, 46, 50, 56, 60};
        for (int i = 0; i < 6; ++i) Hit(song, bar0 + rows[i], kChSnare, kSnare, kDrumNote, volumes[i]);
    }
    if (section.crash) Hit(song, first, kChCrash, kCrash, kDrumNote, 40);
}

int BassRoot(const Chord& chord)
{
    const int pitch = 36 + chord.root; // G1..F#2: low, but inside the bass's range
    return pitch > 42 ? pitch - 12 : pitch;
}

void WriteBass(XmPattern& song, int first, const std::vector<Chord>& chords, Bass style)
{
    static const int kDriveOffsets[8] = {0, 0, 12, 0, 0, 0, 12, 7};
    static const int kDriveVolumes[8] = {42, 32, 37, 32, 40, 32, 37, 34};
    for (int bar = 0; bar < kBarsPerSection; ++bar) {
        const int bar0 = first + bar * kRowsPerBar;
        const int root = BassRoot(chords[static_cast<std::size_t>(bar)]);
        switch (style) {
        case Bass::None:
            break;
        case Bass::Long:
            Hit(song, bar0, kChBass, kBass, root, 42);
            break;
        case Bass::Pulse:
            for (int r = 0; r < kRowsPerBar; r += 4) Hit(song, bar0 + r, kChBass, kBass, root, 42);
            break;
        case Bass::Drive:
            for (int i = 0; i < 8; ++i)
                Hit(song, bar0 + 2 * i, kChBass, kBass, root + kDriveOffsets[i], kDriveVolumes[i]);
            break;
        }
    }
}

// Pads hold their notes across chord changes where they can; every section
// starts afresh, so that any section may follow any other (the loop).
void WritePads(XmPattern& song, int first, const std::vector<Chord>& chords, int volume)
{
    std::vector<int> previous;
    std::vector<int> held(kPadVoices, -1);
    for (int bar = 0; bar < kBarsPerSection; ++bar) {
        const Chord& chord = chords[static_cast<std::size_t>(bar)];
        std::vector<int> voicing = VoiceChord(chord, 55, 72, previous);
        previous = voicing;
        const int low = 48 + chord.root;
        voicing.push_back(low > 54 ? low - 12 : low);
        for (int v = 0; v < kPadVoices; ++v) {
            const int pitch = voicing[static_cast<std::size_t>(v)];
            if (pitch == held[static_cast<std::size_t>(v)]) continue;
            held[static_cast<std::size_t>(v)] = pitch;
            Hit(song, first + bar * kRowsPerBar, kChPad + v, kPad, pitch, v == 3 ? volume - 4 : volume, kSetPanning,
                kPadPan[v]);
        }
    }
}

void WriteArp(XmPattern& song, int first, const std::vector<Chord>& chords, Arp style)
{
    if (style == Arp::None) return;
    static const int kShape[6] = {0, 1, 2, 3, 2, 1}; // up and down the chord
    const int step = style == Arp::Eighths ? 2 : 1;
    for (int bar = 0; bar < kBarsPerSection; ++bar) {
        const Chord& chord = chords[static_cast<std::size_t>(bar)];
        const std::vector<int> tones = ChordTones(chord);
        const int root = chord.root > 7 ? 60 + chord.root : 72 + chord.root;
        std::vector<int> notes{root};
        for (int i = 1; i < 3; ++i) {
            int pitch = notes.back() + 1;
            while (pitch % 12 != tones[static_cast<std::size_t>(i)]) ++pitch;
            notes.push_back(pitch);
        }
        notes.push_back(root + 12);
        for (int r = 0, i = 0; r < kRowsPerBar; r += step, ++i) {
            const int pitch = notes[static_cast<std::size_t>(kShape[i % 6])];
            Hit(song, first + bar * kRowsPerBar + r, kChArp, kPluck, pitch, r % 4 == 0 ? 24 : 17);
        }
    }
}

void WriteTune(XmPattern& song, int first, const Line& line, const std::vector<Chord>& chords, Shadow shadow)
{
    int echoes = 0;
    for (int r = 0; r < kRowsPerSection; ++r) {
        const int event = line[static_cast<std::size_t>(r)];
        if (event == kHold) continue;
        if (event == kRest)
            KeyOff(song, first + r, kChLead);
        else
            Hit(song, first + r, kChLead, kLead, event, 44);

        if (shadow == Shadow::Harmony) {
            if (event == kRest)
                KeyOff(song, first + r, kChShadow);
            else
                Hit(song, first + r, kChShadow, kLead,
                    HarmonyBelow(event, chords[static_cast<std::size_t>(r / kRowsPerBar)]), 28, kSetPanning,
                    kHarmonyPan);
        } else if (shadow == Shadow::Echo && r + kEchoDelay < kRowsPerSection) {
            // Echoes stop at the section's end so that each section stands alone.
            if (event == kRest)
                KeyOff(song, first + r + kEchoDelay, kChShadow);
            else
                Hit(song, first + r + kEchoDelay, kChShadow, kLead, event, 18, kSetPanning, kEchoPan[echoes++ % 2]);
        }
    }
}

bool SameCells(const XmPattern& a, const XmPattern& b)
{
    return std::equal(a.cells.begin(), a.cells.end(), b.cells.begin(), b.cells.end(),
                      [](const XmCell& x, const XmCell& y) {
                          return x.note == y.note && x.instrument == y.instrument && x.volume == y.volume &&
                                 x.effect == y.effect && x.param == y.param;
                      });
}

} // namespace

XmModule ComposeMorvek()
{
    XmPattern song(kSectionCount * kRowsPerSection, kChannels);
    for (int s = 0; s < kSectionCount; ++s) {
        const Section& section = kSong[s];
        const int first = s * kRowsPerSection;
        const std::vector<Chord> chords = ParseProgression(section.progression);
        WriteDrums(song, first, section);
        WriteBass(song, first, chords, section.bass);
        WritePads(song, first, chords, section.padVolume);
        WriteArp(song, first, chords, section.arp);
        if (section.theme) WriteTune(song, first, ParseLine(section.theme), chords, section.shadow);
    }

    XmModule module;
    module.name = "morvek";
    module.channels = kChannels;
    module.speed = kSpeed;
    module.bpm = kBpm;
    module.restartPosition = kRestartSection;
    // One pattern per section; a section that repeats another exactly reuses it.
    for (int s = 0; s < kSectionCount; ++s) {
        XmPattern pattern(kRowsPerSection, kChannels);
        for (int r = 0; r < kRowsPerSection; ++r)
            for (int c = 0; c < kChannels; ++c) pattern.At(r, c) = song.At(s * kRowsPerSection + r, c);
        std::size_t index = 0;
        while (index < module.patterns.size() && !SameCells(module.patterns[index], pattern)) ++index;
        if (index == module.patterns.size()) module.patterns.push_back(pattern);
        module.orders.push_back(static_cast<std::uint8_t>(index));
    }
    module.instruments = MakeInstruments();
    return module;
}

} // namespace music
