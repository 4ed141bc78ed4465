// The musical material of "morvek": note names, chords, the written themes
// and the small bits of harmony the arrangement derives from them. Pitches
// are MIDI numbers (60 = middle C) until they go into a pattern.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace music {

inline constexpr int kRowsPerBar = 16; // four rows to the beat
inline constexpr int kBarsPerSection = 4;
inline constexpr int kRowsPerSection = kRowsPerBar * kBarsPerSection;

// A line holds one entry per row: a MIDI note to start, kHold (nothing new)
// or kRest (release the note).
inline constexpr int kHold = -1;
inline constexpr int kRest = 0;
using Line = std::vector<int>;

// "Bb4" -> 70. Throws std::invalid_argument on anything else.
int ParsePitch(const std::string& name);

// "A4:2 D5:2 r:4 ..." (pitch or r, then a length in rows) -> a line of
// exactly kRowsPerSection rows; throws when the lengths do not add up.
Line ParseLine(const std::string& text);

// A triad: root pitch class 0..11 and its quality.
struct Chord {
    int root = 0;
    bool minor = false;
};

// "Gm Dm Bb A" -> four chords; throws unless there is one per bar.
std::vector<Chord> ParseProgression(const std::string& text);

// Pitch classes of root, third and fifth.
std::vector<int> ChordTones(const Chord& chord);

// The close voicing of `chord` inside [low, high] that moves least from
// `previous` (empty: the lowest one).
std::vector<int> VoiceChord(const Chord& chord, int low, int high, const std::vector<int>& previous);

// The highest tone of `chord` at least a minor third below `pitch`: a
// second voice that always agrees with the harmony under it.
int HarmonyBelow(int pitch, const Chord& chord);

// XM note byte for a MIDI pitch: C-4 (49) is middle C.
std::uint8_t XmNote(int pitch);

// The written themes.
extern const char* const kThemeA1;
extern const char* const kThemeA2;
extern const char* const kThemeB1;
extern const char* const kThemeB2;
extern const char* const kThemeHush; // the breakdown
extern const char* const kThemeRise; // the climb out of it

} // namespace music
