// Offline music over libopenmpt.
#include "platform/MusicRender.h"

#include "platform/Process.h"
#include "platform/SoundLib.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <ostream>
#include <streambuf>
#include <vector>

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

bool RenderMusic(const std::string& path, std::uint64_t frames, int volume, const MusicSink& take, std::string& why,
                 std::uint64_t skip)
{
    constexpr std::size_t Block = 4096;
    std::vector<std::int16_t> samples(2 * Block, 0);
    std::uint64_t done = 0;
    // The rest of the track, silent.
    const auto silence = [&] {
        std::fill(samples.begin(), samples.end(), std::int16_t{0});
        while (done < frames && !InterruptRequested()) {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(Block, frames - done));
            take(samples.data(), count);
            done += count;
        }
    };
    std::vector<std::uint8_t> data;
    if (!ReadModuleFile(path, data, why)) {
        silence();
        return false;
    }

    DiscardBuffer nothing;
    std::ostream log(&nothing);
    const float gain = static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
    bool played = true;
    try {
        openmpt::module module(data, log);
        // As the sound library plays it: looping for ever, from the start.
        module.set_repeat_count(-1);
        module.set_position_order_row(0, 0);
        std::vector<float> block(2 * Block);
        // A whole show takes seconds to mix: Ctrl+C must not wait for it.
        for (std::uint64_t skipped = 0; skipped < skip && !InterruptRequested();) {
            const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(Block, skip - skipped));
            const std::size_t got = module.read_interleaved_stereo(MusicSampleRate, wanted, block.data());
            if (got == 0) break; // nothing more to play: what is asked for stays silent
            skipped += got;
        }
        while (done < frames && !InterruptRequested()) {
            // Blocks where a render from the start has them: the mixer
            // rounds a little differently at another block's edge.
            const std::uint64_t toEdge = Block - (skip + done) % Block;
            const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(toEdge, frames - done));
            const std::size_t got = module.read_interleaved_stereo(MusicSampleRate, wanted, block.data());
            if (got == 0) break; // nothing more to play: the rest stays silent
            for (std::size_t i = 0; i < got * 2; ++i) samples[i] = ToSample(block[i] * gain);
            take(samples.data(), got);
            done += got;
        }
    } catch (const openmpt::exception&) {
        why = "the sound library cannot play it";
        played = false;
    } catch (const std::bad_alloc&) {
        why = "the sound library cannot play it";
        played = false;
    }
    silence();
    return played;
}

} // namespace platform
