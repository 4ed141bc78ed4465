// The music rendered offline, for a video's sound track: a second module
// instance, never the one the audio device plays, read as fast as it mixes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

constexpr int MusicSampleRate = 48000;

// Takes rendered sound: `frames` stereo sample frames, interleaved as
// 16-bit left/right pairs.
using MusicSink = std::function<void(const std::int16_t* samples, std::size_t frames)>;

// `frames` stereo sample frames of the module at path, looped as the sound
// library loops it, from its start after the first `skip` (a show that
// starts later), at MusicSampleRate, scaled by volume (0..100), handed to
// take a block at a time, so that memory does not grow with the length. The
// skipped frames are rendered and dropped, so what follows is sample for
// sample the tail of a render from the start. All `frames` are handed over
// whatever happens: silence where the module cannot be read or played, which
// returns false with the reason in why. Stops early once an interrupt is
// requested.
bool RenderMusic(const std::string& path, std::uint64_t frames, int volume, const MusicSink& take, std::string& why,
                 std::uint64_t skip = 0);

} // namespace platform
