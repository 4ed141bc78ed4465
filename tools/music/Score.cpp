#include "Score.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace music {

// Four-bar themes in D minor, sixteen rows to the bar. A is the main tune over
// Dm-Bb-F-C, B the answer over Gm-Dm-Bb-A that turns back home.
const char* const kThemeA1 = "A4:2 D5:2 F5:2 E5:2 D5:4 A4:4 "
                             "Bb4:2 D5:2 F5:4 E5:2 D5:2 C5:4 "
                             "C5:2 F5:2 A5:4 G5:2 F5:2 E5:2 F5:2 "
                             "G5:6 E5:2 C5:4 r:4";
const char* const kThemeA2 = "A4:2 D5:2 F5:2 E5:2 D5:4 F5:2 A5:2 "
                             "Bb5:4 A5:2 F5:2 D5:4 F5:4 "
                             "A5:2 G5:2 F5:2 E5:2 F5:4 C5:4 "
                             "E5:4 C5:4 D5:6 r:2";
const char* const kThemeB1 = "G5:6 F5:2 D5:4 Bb4:4 "
                             "A4:6 D5:2 F5:4 A5:4 "
                             "Bb5:6 A5:2 F5:4 D5:4 "
                             "E5:8 C#5:4 A4:4";
const char* const kThemeB2 = "G5:6 A5:2 Bb5:4 A5:2 G5:2 "
                             "F5:6 E5:2 D5:4 A4:4 "
                             "D5:4 F5:4 Bb5:4 A5:2 G5:2 "
                             "A5:8 E5:4 C#5:4";
const char* const kThemeHush = "F5:12 D5:4 "
                               "E5:12 G5:4 "
                               "E5:8 C5:8 "
                               "D5:14 r:2";
const char* const kThemeRise = "D5:4 F5:4 Bb5:8 "
                               "C5:4 E5:4 G5:8 "
                               "Bb4:4 D5:4 G5:8 "
                               "A4:4 C#5:4 E5:4 A5:4";

namespace {

int PitchClass(const std::string& name, std::size_t& used)
{
    static const int kNatural[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') throw std::invalid_argument("not a note name: " + name);
    int pc = kNatural[name[0] - 'A'];
    used = 1;
    if (name.size() > 1 && (name[1] == '#' || name[1] == 'b')) {
        pc += name[1] == '#' ? 1 : -1;
        used = 2;
    }
    return (pc + 12) % 12;
}

} // namespace

int ParsePitch(const std::string& name)
{
    std::size_t used = 0;
    const int pc = PitchClass(name, used);
    if (name.size() != used + 1 || name[used] < '0' || name[used] > '9')
        throw std::invalid_argument("not a pitch: " + name);
    // Octaves change at C, so B#/Cb are not written here.
    return 12 * (name[used] - '0' + 1) + pc;
}

Line ParseLine(const std::string& text)
{
    Line line;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        const std::size_t colon = token.find(':');
        if (colon == std::string::npos) throw std::invalid_argument("missing length: " + token);
        const std::string what = token.substr(0, colon);
        const int length = std::atoi(token.c_str() + colon + 1);
        if (length < 1) throw std::invalid_argument("bad length: " + token);
        line.push_back(what == "r" ? kRest : ParsePitch(what));
        line.insert(line.end(), static_cast<std::size_t>(length - 1), kHold);
    }
    if (line.size() != static_cast<std::size_t>(kRowsPerSection))
        throw std::invalid_argument("line is not one section long: " + text);
    return line;
}

std::vector<Chord> ParseProgression(const std::string& text)
{
    std::vector<Chord> chords;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        std::size_t used = 0;
        Chord chord;
        chord.root = PitchClass(token, used);
        chord.minor = token.substr(used) == "m";
        if (!chord.minor && used != token.size()) throw std::invalid_argument("bad chord: " + token);
        chords.push_back(chord);
    }
    if (chords.size() != static_cast<std::size_t>(kBarsPerSection))
        throw std::invalid_argument("progression is not one chord per bar: " + text);
    return chords;
}

std::vector<int> ChordTones(const Chord& chord)
{
    return {chord.root, (chord.root + (chord.minor ? 3 : 4)) % 12, (chord.root + 7) % 12};
}

std::vector<int> VoiceChord(const Chord& chord, int low, int high, const std::vector<int>& previous)
{
    const std::vector<int> tones = ChordTones(chord);
    std::vector<int> best;
    int bestCost = 0;
    for (int bottom = low; bottom <= high; ++bottom) {
        // Close position, built upwards from a chord tone at the bottom.
        int rotation = -1;
        for (int i = 0; i < 3; ++i)
            if (bottom % 12 == tones[static_cast<std::size_t>(i)]) rotation = i;
        if (rotation < 0) continue;
        std::vector<int> voicing{bottom};
        for (int i = 1; i < 3; ++i) {
            int pitch = voicing.back() + 1;
            while (pitch % 12 != tones[static_cast<std::size_t>((rotation + i) % 3)]) ++pitch;
            voicing.push_back(pitch);
        }
        if (voicing.back() > high) break;
        int cost = 0;
        for (std::size_t i = 0; i < previous.size() && i < voicing.size(); ++i)
            cost += std::abs(voicing[i] - previous[i]);
        if (best.empty() || cost < bestCost) {
            best = voicing;
            bestCost = cost;
        }
    }
    if (best.empty()) throw std::invalid_argument("no voicing in range");
    return best;
}

int HarmonyBelow(int pitch, const Chord& chord)
{
    const std::vector<int> tones = ChordTones(chord);
    for (int below = pitch - 3;; --below)
        for (int tone : tones)
            if ((below % 12 + 12) % 12 == tone) return below;
}

std::uint8_t XmNote(int pitch)
{
    const int note = pitch - 11;
    if (note < 1 || note > 96) throw std::invalid_argument("pitch outside the XM range");
    return static_cast<std::uint8_t>(note);
}

} // namespace music
