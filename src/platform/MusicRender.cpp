// Offline music over libopenmpt.
#include "platform/MusicRender.h"

#include "platform/Process.h"
#include "platform/SoundLib.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <streambuf>

namespace platform {

namespace {

// libopenmpt's load messages are not the show's.
class DiscardBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

std::int16_t ToSample(float value)
{
    const float scaled = std::nearbyint(std::clamp(value, -1.0f, 1.0f) * 32767.0f);
    return static_cast<std::int16_t>(scaled);
}

} // namespace

bool RenderMusic(const std::string& path, std::uint64_t frames, int volume, std::vector<std::int16_t>& samples,
                 std::string& why)
{
    samples.assign(frames * 2, 0);
    std::vector<std::uint8_t> data;
    if (!ReadModuleFile(path, data, why)) return false;

    DiscardBuffer nothing;
    std::ostream log(&nothing);
    const float gain = static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
    try {
        openmpt::module module(data, log);
        // As the sound library plays it: looping for ever, from the start.
        module.set_repeat_count(-1);
        module.set_position_order_row(0, 0);
        std::vector<float> block(2 * 4096);
        std::uint64_t done = 0;
        // A whole show takes seconds to mix: Ctrl+C must not wait for it.
        while (done < frames && !InterruptRequested()) {
            const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(4096, frames - done));
            const std::size_t got = module.read_interleaved_stereo(MusicSampleRate, wanted, block.data());
            if (got == 0) break; // nothing more to play: the rest stays silent
            for (std::size_t i = 0; i < got * 2; ++i) samples[done * 2 + i] = ToSample(block[i] * gain);
            done += got;
        }
    } catch (...) {
        std::fill(samples.begin(), samples.end(), std::int16_t{0});
        why = "the sound library cannot play it";
        return false;
    }
    return true;
}

} // namespace platform
