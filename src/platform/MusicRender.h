// The music rendered offline, for a video's sound track: a second module
// instance, never the one the audio device plays, read as fast as it mixes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr int MusicSampleRate = 48000;

// The first `frames` stereo sample frames of the module at path, looped as
// the sound library loops it, from its start, at MusicSampleRate, scaled by
// volume (0..100) and interleaved as 16-bit left/right pairs. False (with
// `samples` all silence and the reason in why) when the module cannot be
// read or played. Stops early, the rest silent, once an interrupt is requested.
bool RenderMusic(const std::string& path, std::uint64_t frames, int volume, std::vector<std::int16_t>& samples,
                 std::string& why);

} // namespace platform
