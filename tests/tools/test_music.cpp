// The show's music as both module readers see it: its length, its loop,
// its level, width and gaps, and that the composer repeats itself byte for byte.
#include <libopenmpt/libopenmpt.hpp>
#include <xmp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

const std::string ModulePath = std::string(CITADEL_PACK_DIR) + "/morvek.xm";
const std::string Composer = std::string(CITADEL_BIN_DIR) + "/citadel-compose";
constexpr int Rate = 48000;

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double Dbfs(double level)
{
    return 20.0 * std::log10(level);
}

// Longest run, in seconds, in which both channels stay below -80 dBFS.
double LongestSilence(const float* begin, const float* end)
{
    std::size_t run = 0, longest = 0;
    for (const float* v = begin; v + 1 < end; v += 2) {
        run = std::fabs(v[0]) < 1e-4f && std::fabs(v[1]) < 1e-4f ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return static_cast<double>(longest) / Rate;
}

double RmsDbfs(const float* begin, const float* end)
{
    double sum = 0.0;
    for (const float* v = begin; v != end; ++v) sum += static_cast<double>(*v) * *v;
    return Dbfs(std::sqrt(sum / static_cast<double>(end - begin)));
}

// RMS level in dBFS of (L + R) / 2 or, with `side`, (L - R) / 2.
double MidSideDbfs(const float* begin, const float* end, bool side)
{
    double sum = 0.0;
    for (const float* v = begin; v + 1 < end; v += 2) {
        const double m = side ? (v[0] - v[1]) / 2.0 : (v[0] + v[1]) / 2.0;
        sum += m * m;
    }
    return Dbfs(std::sqrt(sum / static_cast<double>((end - begin) / 2)));
}

// The whole song rendered in libopenmpt, then on past its end into the loop,
// as the show plays it; then the same in libxmp.
TEST(Morvek, BothReadersAgreeOnItsLengthLoopAndMixWhichIsNeverSilentAndNeverClips)
{
    openmpt::module module(ReadBytes(ModulePath));
    module.ctl_set_text("dither", "0");
    module.set_repeat_count(-1);
    const double duration = module.get_duration_seconds();
    const std::size_t firstPassFrames = static_cast<std::size_t>(duration * Rate), frames = firstPassFrames + 8 * Rate;
    std::vector<float> pcm(frames * 2); // interleaved stereo
    int orderAfterLoop = -1;
    for (std::size_t done = 0, got = 1; done < frames && got > 0; done += got) {
        // Just past the end the song has gone back to the restart position.
        if (done >= firstPassFrames + Rate / 2 && orderAfterLoop < 0) orderAfterLoop = module.get_current_order();
        got = module.read_interleaved_stereo(Rate, std::min<std::size_t>(4096, frames - done), &pcm[2 * done]);
    }
    float peak = 0.0f;
    for (float v : pcm) peak = std::max(peak, std::fabs(v));
    EXPECT_LE(Dbfs(peak), -1.0);
    EXPECT_GE(Dbfs(peak), -12.0); // not so quiet that it hides under the show either
    EXPECT_LT(LongestSilence(pcm.data(), pcm.data() + pcm.size()), 2.0);
    // The second on each side of the seam is as full as the song.
    const float* seam = pcm.data() + 2 * firstPassFrames;
    EXPECT_GT(RmsDbfs(seam - 2 * Rate, seam), -40.0);
    EXPECT_LT(LongestSilence(seam, seam + 2 * Rate), 0.1);
    EXPECT_TRUE(duration >= 90.0 && duration <= 180.0) << duration;
    // Stereo, not near mono (the voices are panned apart), yet the side stays
    // well under the mid: nothing plays against itself across the channels.
    const double mid = MidSideDbfs(pcm.data(), seam, false), side = MidSideDbfs(pcm.data(), seam, true);
    EXPECT_TRUE(mid - side <= 14.0 && mid - side >= 6.0) << "mid " << mid << " dBFS, side " << side << " dBFS";

    xmp_context xmp = xmp_create_context();
    ASSERT_EQ(xmp_load_module(xmp, ModulePath.c_str()), 0);
    xmp_module_info info{};
    xmp_get_module_info(xmp, &info);
    ASSERT_EQ(xmp_start_player(xmp, Rate, 0), 0);
    xmp_frame_info frame{};
    xmp_get_frame_info(xmp, &frame);
    EXPECT_NEAR(frame.total_time / 1000.0, duration, 1.0);

    // Played through in libxmp, the song goes on at the restart position,
    // not at the intro, where libopenmpt goes too.
    std::vector<float> theirs;
    while (xmp_play_frame(xmp) == 0 && theirs.size() < 400u * Rate) {
        xmp_get_frame_info(xmp, &frame);
        if (frame.loop_count > 0) break;
        const auto* samples = static_cast<const std::int16_t*>(frame.buffer);
        for (int i = 0; i < frame.buffer_size / 2; ++i) theirs.push_back(samples[i] / 32768.0f);
    }
    EXPECT_EQ(frame.loop_count, 1);
    EXPECT_GT(info.mod->rst, 0);
    EXPECT_EQ(frame.pos, info.mod->rst);
    EXPECT_EQ(orderAfterLoop, info.mod->rst);
    xmp_end_player(xmp);
    xmp_release_module(xmp);
    xmp_free_context(xmp);

    // Ten seconds at a time the two mixes keep the same level: both read
    // every sample, loop and envelope alike.
    EXPECT_LT(LongestSilence(theirs.data(), theirs.data() + theirs.size()), 2.0);
    const std::size_t stretch = 10 * Rate * 2;
    for (std::size_t at = 0; at + stretch <= std::min(theirs.size(), 2 * firstPassFrames); at += stretch)
        EXPECT_NEAR(RmsDbfs(&pcm[at], &pcm[at] + stretch), RmsDbfs(&theirs[at], &theirs[at] + stretch), 2.0)
            << "at " << at / 2 / Rate << " s";
}

TEST(MorvekComposer, WritesTheBuildsBytesAgainAndFailsLoudlyWhenItCannotWrite)
{
    const std::string path = ::testing::TempDir() + "morvek-again.xm";
    ASSERT_EQ(std::system(("\"" + Composer + "\" \"" + path + "\"").c_str()), 0);
    EXPECT_EQ(ReadBytes(path), ReadBytes(ModulePath));
    std::remove(path.c_str());
    const std::string nowhere = ::testing::TempDir() + "no-such-folder/morvek.xm";
    EXPECT_NE(std::system(("\"" + Composer + "\" \"" + nowhere + "\" 2>/dev/null").c_str()), 0);
}

} // namespace
