#include "port/Benchmark.h"

#include "app/ShowFiles.h"
#include "files/Files.h"
#include "glapi/Gl11.h"
#include "platform/Events.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "port/Player.h"
#include "port/RunShow.h"
#include "port/Screenshot.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <sstream>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

const Clock::time_point ImageStart = Clock::now();
const double BeforeImageMs = platform::MsSinceProcessStart();

constexpr int FloorWarmUpFrames = 10;
constexpr unsigned ColourAndDepth = 0x4000 | 0x0100; // GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT
constexpr int FloorFrames = 300;
constexpr std::array<const char*, 4> Phases = {"titles", "orbit", "interlude", "final"};

// Timestamps of start-up and of every presented frame, and after the last
// frame of the show, on the same context, the floor.
struct Recorder final : Attachment {
    Recorder(const ShowOptions& options, Clock::time_point start) : options(options), start(start) {}
    const ShowOptions& options;
    Clock::time_point start; // where the run's start-up begins
    std::string renderer = "unknown";
    std::vector<std::pair<std::string, Clock::time_point>> marks; // start-up steps, in order
    Clock::time_point lastFrame;
    std::map<std::string, std::vector<double>> frameMs; // by phase
    std::vector<double> allMs;
    Clock::time_point firstFrame;
    Clock::time_point showEnd;
    std::vector<double> floorMs;

    void Mark(const std::string& step) { marks.emplace_back(step, Clock::now()); }

    void StartupStep(const char* step) override
    {
        Mark(step);
        if (std::string(step) == "music") lastFrame = Clock::now();
    }

    void Presented(const Frame& frame) override
    {
        const auto now = Clock::now();
        const double ms = Ms(now - lastFrame);
        lastFrame = now;
        if (frame.number == 1) firstFrame = now;
        frameMs[frame.phase].push_back(ms);
        allMs.push_back(ms);
        showEnd = now;
        if (frame.form.EndRequested == Runtime::True || (options.frames > 0 && frame.number >= options.frames)) {
            renderer = platform::RendererName();
            Floor();
        }
    }

    // Only what every frame must do: clear the virtual screen and present it.
    // A signal cuts it short; the frame loop then ends the run.
    void Floor()
    {
        auto last = Clock::now();
        for (int i = 0; i < FloorWarmUpFrames + FloorFrames && !platform::InterruptRequested(); ++i) {
            glapi::Current.Clear(ColourAndDepth);
            platform::SwapBuffers(platform::GetDC());
            const auto now = Clock::now();
            if (i >= FloorWarmUpFrames) floorMs.push_back(Ms(now - last));
            last = now;
        }
    }
};

double Mean(const std::vector<double>& values)
{
    return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

std::string SnakeCase(std::string name)
{
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

// One run's figures; its start-up counts from the run's start.
Figures Summarise(const Recorder& r)
{
    Figures f;
    f.emplace_back("startup.first_frame_ms", Ms(r.firstFrame - r.start));
    auto previous = r.start;
    for (const auto& [step, at] : r.marks) {
        f.emplace_back("startup." + SnakeCase(step) + "_ms", Ms(at - previous));
        previous = at;
    }
    f.emplace_back("startup.first_pass_ms", Ms(r.firstFrame - previous));

    const double showMs = Ms(r.showEnd - previous);
    f.emplace_back("frames", static_cast<double>(r.allMs.size()));
    f.emplace_back("fps.mean", showMs > 0 ? 1000.0 * static_cast<double>(r.allMs.size()) / showMs : 0);
    f.emplace_back("frame.all.mean_ms", Mean(r.allMs));
    f.emplace_back("frame.all.p99_ms", Percentile(r.allMs, 99));
    for (const char* phase : Phases) {
        const auto found = r.frameMs.find(phase);
        const std::vector<double> none;
        const auto& ms = found != r.frameMs.end() ? found->second : none;
        const std::string prefix = std::string("frame.") + phase;
        f.emplace_back(prefix + ".frames", static_cast<double>(ms.size()));
        f.emplace_back(prefix + ".mean_ms", Mean(ms));
        f.emplace_back(prefix + ".p99_ms", Percentile(ms, 99));
    }

    f.emplace_back("memory.peak_rss_mib", platform::PeakMemoryMiB());

    f.emplace_back("floor.frames", static_cast<double>(r.floorMs.size()));
    f.emplace_back("floor.mean_ms", Mean(r.floorMs));
    f.emplace_back("floor.p99_ms", Percentile(r.floorMs, 99));
    const double floorMean = Mean(r.floorMs);
    f.emplace_back("ratio.show_to_floor", floorMean > 0 ? Mean(r.allMs) / floorMean : 0);
    return f;
}

// Seeks across the show once the player has looked ahead over all of it, as
// it has before the first frame where a viewer could seek (headless, it looks
// ahead a little a frame): from each end to the other (the last frame ends
// the show: the one before it), to the middle, and back and forth between
// scattered frames, one presented frame after each.
struct SeekTour final : Attachment {
    static constexpr int FirstAt = 60; // by then every stretch is kept
    // The last frame ends the show: the tour goes to the one before.
    static constexpr int End = ShowLength - 1;
    static constexpr int Targets[] = {End,  1,   ShowLength / 2, 2,   End - 86, 700, 2900, 1200, 60,  End,
                                      1800, 400, 2500,           352, 3011,     932, 1,    2000, 100, End - 1};
    Player* player = nullptr;
    std::size_t next = 0;
    bool started = false;

    void BeforeEvents(const Frame& frame) override
    {
        if (!started && frame.number < FirstAt) return;
        started = true;
        if (next < std::size(Targets))
            player->SeekTo(Targets[next++]);
        else
            platform::PushWindowClose();
    }
};

// The time a start at the show's last frame takes, which runs the show
// through from its start, and the seeks of a tour.
Figures MeasureSeeks(const ShowOptions& options)
{
    ShowOptions run = options;
    run.benchmark = false; // a player, as a show with a screen has
    run.start = ShowLength;
    run.frames = 0;
    Figures f;
    {
        PortHooks hooks;
        struct CloseAtOnce final : Attachment {
            void BeforeEvents(const Frame&) override { platform::PushWindowClose(); }
        } close;
        hooks.Attach(close);
        ShowRun show(run, hooks, WriteSnapshot);
        show.Start();
        f.emplace_back("seek.start_at_end_ms", show.player()->SeekMs().empty() ? 0 : show.player()->SeekMs()[0]);
        show.End();
    }
    run.start = 1;
    PortHooks hooks;
    SeekTour tour;
    hooks.Attach(tour);
    ShowRun show(run, hooks, WriteSnapshot);
    tour.player = show.player();
    show.Start();
    const std::vector<double> ms = show.player()->SeekMs();
    show.End();
    f.emplace_back("seek.count", static_cast<double>(ms.size()));
    f.emplace_back("seek.mean_ms", Mean(ms));
    f.emplace_back("seek.max_ms", ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()));
    return f;
}

std::string Number(double value)
{
    char text[40];
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string PathName(platform::GlApi gl)
{
    return gl == platform::GlApi::Es ? "es" : "compat";
}

// How much longer our renderer's frames take than the driver's fixed
// function's, phase by phase: the mean frame times' ratios.
Figures ComparePaths(const Figures& figures)
{
    Figures ratios;
    const auto value = [&figures](const std::string& name) {
        for (const auto& [n, v] : figures)
            if (n == name) return v;
        return 0.0;
    };
    for (const char* figure : {"frame.all", "frame.titles", "frame.orbit", "frame.interlude", "frame.final", "floor"}) {
        const double compat = value(std::string("compat.") + figure + ".mean_ms");
        const double es = value(std::string("es.") + figure + ".mean_ms");
        ratios.emplace_back(std::string("ratio.es_to_compat.") + figure, compat > 0 ? es / compat : 0);
    }
    return ratios;
}

} // namespace

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

std::string FiguresText(const Figures& figures)
{
    std::string text;
    for (const auto& [name, value] : figures) {
        text += name;
        text.append(name.size() < 40 ? 40 - name.size() : 1, ' ');
        text += Number(value);
        text += '\n';
    }
    return text;
}

std::string FiguresJson(const Figures& figures)
{
    std::string json = "{\n";
    for (std::size_t i = 0; i < figures.size(); ++i) {
        json += "  \"" + figures[i].first + "\": " + Number(figures[i].second);
        json += i + 1 < figures.size() ? ",\n" : "\n";
    }
    return json + "}\n";
}

namespace {

// Both runs and the figures.
int Benchmark(const ShowOptions& options)
{
    std::vector<platform::GlApi> paths = {platform::GlApi::Compat, platform::GlApi::Es};
    if (options.glChosen) paths = {options.video.gl};

    Figures figures = {{"startup.before_main_ms", BeforeImageMs}};
    std::string renderer;
    for (std::size_t k = 0; k < paths.size(); ++k) {
        ShowOptions run = options;
        run.video.gl = paths[k];
        // The first run's start-up begins with this program's own; later
        // ones begin here.
        Recorder r(run, k == 0 ? ImageStart : Clock::now());
        PortHooks hooks;
        hooks.Attach(r);
        RunShow(run, hooks, WriteSnapshot);
        if (renderer.empty()) renderer = r.renderer;
        const std::string prefix = PathName(paths[k]) + ".";
        for (const auto& [name, value] : Summarise(r)) figures.emplace_back(prefix + name, value);
    }
    if (paths.size() > 1)
        for (const auto& ratio : ComparePaths(figures)) figures.push_back(ratio);
    {
        ShowOptions seeks = options;
        seeks.video.gl = paths[0];
        for (const auto& figure : MeasureSeeks(seeks)) figures.push_back(figure);
    }
    platform::StopIfInterrupted();

    std::printf("# citadel benchmark: headless, --fps 0, no music; renderer: %s\n%s", renderer.c_str(),
                FiguresText(figures).c_str());
    std::fflush(stdout);
    if (!options.benchmarkJson.empty()) {
        std::string text = FiguresJson(figures);
        text.insert(2, "  \"renderer\": \"" + renderer + "\",\n");
        try {
            files::WriteFile(options.benchmarkJson, text.data(), text.size());
        } catch (const files::Error& e) {
            throw Runtime::RuntimeError("Cannot write the benchmark figures '" + e.path + "': " + e.reason);
        }
    }
    return 0;
}

} // namespace

int RunBenchmark(const ShowOptions& options)
{
    try {
        return Benchmark(options);
    } catch (platform::Interrupted& interrupted) {
        // No second run and no figures: they would compare unequal runs.
        interrupted.unwritten.emplace_back("the benchmark's report");
        if (!options.benchmarkJson.empty()) interrupted.unwritten.push_back("'" + options.benchmarkJson + "'");
        throw;
    }
}

} // namespace bench
