// The show's music as both module readers see it: its header, its length,
// its loop, its level and its gaps, and that the composer repeats itself
// byte for byte.
#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_ext.hpp>
#include <xmp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string ModulePath = std::string(CITADEL_PACK_DIR) + "/morvek.xm";
const std::string Composer = std::string(CITADEL_BIN_DIR) + "/citadel-compose";

constexpr int Rate = 48000;
// Quieter than this on both channels counts as silence.
constexpr float SilenceLevel = 1e-4f;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned U16At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8;
}

double Dbfs(double level) { return 20.0 * std::log10(level); }

// Longest run of frames, in seconds, in which both channels stay below
// SilenceLevel.
double LongestSilence(const std::vector<float>& stereo) {
    std::size_t run = 0, longest = 0;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const bool quiet =
            std::fabs(stereo[i]) < SilenceLevel && std::fabs(stereo[i + 1]) < SilenceLevel;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return static_cast<double>(longest) / Rate;
}

double Rms(const float* begin, const float* end) {
    double sum = 0.0;
    for (const float* v = begin; v != end; ++v) sum += static_cast<double>(*v) * *v;
    return std::sqrt(sum / static_cast<double>(end - begin));
}

// Fundamental frequency of a mono stretch by the normalised difference
// function; 0 when nothing periodic is there.
double Fundamental(const std::vector<float>& mono, std::size_t at) {
    constexpr int Window = 2000, MaxLag = 1000;
    if (at + Window + MaxLag > mono.size()) return 0.0;
    if (Rms(mono.data() + at, mono.data() + at + Window) < 1e-3) return 0.0;
    std::vector<double> d(MaxLag + 1, 1.0);
    double running = 0.0;
    for (int lag = 1; lag <= MaxLag; ++lag) {
        double sum = 0.0;
        for (int i = 0; i < Window; ++i) {
            const double e = mono[at + i] - mono[at + i + lag];
            sum += e * e;
        }
        running += sum;
        d[lag] = running > 0.0 ? sum * lag / running : 1.0;
    }
    for (int lag = 20; lag < MaxLag; ++lag) {
        if (d[lag] < 0.15 && d[lag] <= d[lag - 1] && d[lag] <= d[lag + 1]) {
            // A parabola through the dip gives the lag to a fraction of a frame.
            const double shift =
                0.5 * (d[lag - 1] - d[lag + 1]) / (d[lag - 1] - 2 * d[lag] + d[lag + 1]);
            return Rate / (lag + shift);
        }
    }
    return 0.0;
}

double Peak(const std::vector<float>& stereo) {
    float peak = 0.0f;
    for (float v : stereo) peak = std::max(peak, std::fabs(v));
    return peak;
}

// One render shared by the level tests: the whole song, then on past its
// end into the loop, as the show plays it.
class MorvekRender : public ::testing::Test {
  protected:
    static constexpr double PastTheEnd = 8.0;

    static void SetUpTestSuite() {
        const std::vector<std::uint8_t> bytes = ReadBytes(ModulePath);
        openmpt::module module(bytes);
        module.ctl_set_text("dither", "0");
        module.set_repeat_count(-1);
        duration = module.get_duration_seconds();
        firstPass = Render(module, static_cast<std::size_t>(duration * Rate));
        // Just past the end the song has gone back to the restart position.
        afterLoop = Render(module, Rate / 2);
        orderAfterLoop = module.get_current_order();
        const std::vector<float> more = Render(module, static_cast<std::size_t>(PastTheEnd * Rate));
        afterLoop.insert(afterLoop.end(), more.begin(), more.end());
    }

    static std::vector<float> Render(openmpt::module& module, std::size_t frames) {
        std::vector<float> out(frames * 2, 0.0f);
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t got = module.read_interleaved_stereo(
                Rate, std::min<std::size_t>(4096, frames - done), out.data() + 2 * done);
            if (got == 0) break;
            done += got;
        }
        out.resize(done * 2);
        return out;
    }

    static inline double duration = 0.0;
    static inline std::vector<float> firstPass;
    static inline std::vector<float> afterLoop;
    static inline int orderAfterLoop = -1;
};

TEST(MorvekModule, HeaderIsTheLayoutBothReadersShare) {
    const std::vector<std::uint8_t> bytes = ReadBytes(ModulePath);
    ASSERT_GT(bytes.size(), 336u) << ModulePath;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 17), "Extended Module: ");
    EXPECT_EQ(bytes[37], 0x1A);
    EXPECT_EQ(std::string(bytes.begin() + 38, bytes.begin() + 58), "FastTracker v2.00   ");
    EXPECT_EQ(U16At(bytes, 58), 0x0104u);
    EXPECT_EQ(U16At(bytes, 60), 276u);
    EXPECT_EQ(U16At(bytes, 62), 0u);
    const unsigned songLength = U16At(bytes, 64);
    const unsigned restart = U16At(bytes, 66);
    // A beginning that plays once, then a loop over the rest.
    EXPECT_GT(restart, 0u);
    EXPECT_LT(restart, songLength);
    EXPECT_EQ(U16At(bytes, 74) & 1u, 1u) << "linear frequency table";
}

TEST(MorvekModule, BothReadersAgreeOnTheSong) {
    const std::vector<std::uint8_t> bytes = ReadBytes(ModulePath);
    openmpt::module module(bytes);
    const double openmptSeconds = module.get_duration_seconds();
    EXPECT_GE(module.get_num_channels(), 6);
    EXPECT_GE(module.get_num_instruments(), 6);
    EXPECT_GE(openmptSeconds, 90.0);
    EXPECT_LE(openmptSeconds, 180.0);

    xmp_context xmp = xmp_create_context();
    ASSERT_EQ(xmp_load_module(xmp, ModulePath.c_str()), 0);
    xmp_module_info info{};
    xmp_get_module_info(xmp, &info);
    EXPECT_GE(info.mod->chn, 6);
    EXPECT_GE(info.mod->ins, 6);
    ASSERT_EQ(xmp_start_player(xmp, Rate, 0), 0);
    xmp_frame_info frame{};
    xmp_get_frame_info(xmp, &frame);
    const double xmpSeconds = frame.total_time / 1000.0;
    EXPECT_NEAR(xmpSeconds, openmptSeconds, 1.0);

    // Play it through in libxmp: at its end the song goes on at the restart
    // position, not at the intro.
    int frames = 0;
    while (xmp_play_frame(xmp) == 0 && frames < 100000) {
        xmp_get_frame_info(xmp, &frame);
        if (frame.loop_count > 0) break;
        ++frames;
    }
    EXPECT_EQ(frame.loop_count, 1);
    EXPECT_EQ(frame.pos, info.mod->rst);
    EXPECT_GT(info.mod->rst, 0);
    xmp_end_player(xmp);
    xmp_release_module(xmp);
    xmp_free_context(xmp);
    std::printf("duration: libopenmpt %.3f s, libxmp %.3f s\n", openmptSeconds, xmpSeconds);
}

TEST_F(MorvekRender, PeaksBelowMinusOneDbfs) {
    ASSERT_FALSE(firstPass.empty());
    const double peak = std::max(Peak(firstPass), Peak(afterLoop));
    std::printf("peak: %.2f dBFS\n", Dbfs(peak));
    EXPECT_LE(Dbfs(peak), -1.0);
    // Not so quiet that it hides under the show either.
    EXPECT_GE(Dbfs(peak), -12.0);
}

TEST_F(MorvekRender, NeverSilentForTwoSeconds) {
    ASSERT_NEAR(static_cast<double>(firstPass.size()) / 2 / Rate, duration, 0.01);
    std::vector<float> whole = firstPass;
    whole.insert(whole.end(), afterLoop.begin(), afterLoop.end());
    const double longest = LongestSilence(whole);
    std::printf("longest silence: %.3f s\n", longest);
    EXPECT_LT(longest, 2.0);
}

TEST_F(MorvekRender, LoopGoesOnWithoutAGap) {
    const std::vector<std::uint8_t> bytes = ReadBytes(ModulePath);
    EXPECT_EQ(orderAfterLoop, static_cast<int>(U16At(bytes, 66)));
    // The half second on each side of the seam is as full as the song.
    const std::size_t seam = Rate; // frames
    const std::vector<float> before(firstPass.end() - static_cast<std::ptrdiff_t>(seam),
                                    firstPass.end());
    const std::vector<float> after(afterLoop.begin(),
                                   afterLoop.begin() + static_cast<std::ptrdiff_t>(seam));
    EXPECT_GT(Dbfs(Peak(before)), -20.0);
    EXPECT_GT(Dbfs(Peak(after)), -20.0);
    EXPECT_LT(LongestSilence(after), 0.1);
}

TEST_F(MorvekRender, BothReadersPlayTheSameMix) {
    xmp_context xmp = xmp_create_context();
    ASSERT_EQ(xmp_load_module(xmp, ModulePath.c_str()), 0);
    ASSERT_EQ(xmp_start_player(xmp, Rate, 0), 0);
    std::vector<float> pcm;
    xmp_frame_info frame{};
    while (xmp_play_frame(xmp) == 0) {
        xmp_get_frame_info(xmp, &frame);
        if (frame.loop_count > 0) break;
        const auto* samples = static_cast<const std::int16_t*>(frame.buffer);
        for (int i = 0; i < frame.buffer_size / 2; ++i) pcm.push_back(samples[i] / 32768.0f);
    }
    xmp_end_player(xmp);
    xmp_release_module(xmp);
    xmp_free_context(xmp);

    EXPECT_LT(LongestSilence(pcm), 2.0);
    // Ten seconds at a time, the two mixes keep the same level: both read
    // every sample, loop and envelope alike.
    const std::size_t stretch = 10 * Rate * 2;
    for (std::size_t at = 0; at + stretch <= std::min(pcm.size(), firstPass.size());
         at += stretch) {
        const double ours = Dbfs(Rms(firstPass.data() + at, firstPass.data() + at + stretch));
        const double theirs = Dbfs(Rms(pcm.data() + at, pcm.data() + at + stretch));
        EXPECT_NEAR(ours, theirs, 2.0) << "at " << at / 2 / Rate << " s";
    }
}

// Pitched channels, sounded alone a little after the start of rows across
// the song: every note they hold is a note of D minor (with C#, the
// leading tone) in tune with A = 440 Hz.
TEST(MorvekModule, PitchedVoicesPlayInTuneInDMinor) {
    const std::vector<std::uint8_t> bytes = ReadBytes(ModulePath);
    const int pitched[] = {4, 5, 7, 8, 9, 10, 11}; // bass, lead, arpeggio, pads
    const int probeOrders[] = {2, 4, 8};
    const int probeRows[] = {1, 17, 33, 49};
    const bool inKey[12] = {true,  true, true,  false, true, true,
                            false, true, false, true,  true, false}; // C..B
    int heard = 0;
    for (int channel : pitched) {
        openmpt::module_ext module(bytes);
        auto* interactive = static_cast<openmpt::ext::interactive*>(
            module.get_interface(openmpt::ext::interactive_id));
        ASSERT_NE(interactive, nullptr);
        for (int c = 0; c < module.get_num_channels(); ++c)
            interactive->set_channel_mute_status(c, c != channel);
        std::vector<float> mono;
        std::vector<std::size_t> probes;
        constexpr std::size_t Block = 128;
        int lastOrder = -1, lastRow = -1;
        while (module.get_current_order() <= probeOrders[2]) {
            const int order = module.get_current_order(), row = module.get_current_row();
            if (order != lastOrder || row != lastRow) {
                for (int o : probeOrders)
                    for (int r : probeRows)
                        if (o == order && r == row) probes.push_back(mono.size() + Rate / 50);
                lastOrder = order;
                lastRow = row;
            }
            const std::size_t at = mono.size();
            mono.resize(at + Block);
            ASSERT_EQ(module.read(Rate, Block, mono.data() + at), Block);
        }
        ASSERT_EQ(probes.size(), 12u);
        for (std::size_t at : probes) {
            const double hz = Fundamental(mono, at);
            if (hz == 0.0) continue;
            ++heard;
            const double semitones = 69.0 + 12.0 * std::log2(hz / 440.0);
            const long nearest = std::lround(semitones);
            EXPECT_NEAR(semitones, static_cast<double>(nearest), 0.2)
                << "channel " << channel << " at " << static_cast<double>(at) / Rate << " s";
            EXPECT_TRUE(inKey[nearest % 12])
                << "channel " << channel << " plays pitch class " << nearest % 12;
        }
    }
    // Most probes land on a held note; an empty result would prove nothing.
    EXPECT_GE(heard, 60);
}

TEST(MorvekComposer, WritesTheSameBytesEveryTime) {
    const std::vector<std::uint8_t> built = ReadBytes(ModulePath);
    ASSERT_FALSE(built.empty());
    for (int run = 0; run < 2; ++run) {
        const std::string path = ::testing::TempDir() + "morvek-" + std::to_string(run) + ".xm";
        ASSERT_EQ(std::system(("\"" + Composer + "\" \"" + path + "\"").c_str()), 0);
        EXPECT_EQ(ReadBytes(path), built) << "run " << run;
        std::remove(path.c_str());
    }
}

TEST(MorvekComposer, FailsLoudlyWhenItCannotWrite) {
    const std::string path = ::testing::TempDir() + "no-such-folder/morvek.xm";
    EXPECT_NE(std::system(("\"" + Composer + "\" \"" + path + "\" 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system(("\"" + Composer + "\" 2>/dev/null").c_str()), 0);
}

} // namespace
