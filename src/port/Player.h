// The player around the show: pause, step, seek and a start at any frame.
// The show is frame-counted and, for a given seed and the same keys, frame N
// is always the same picture; the player takes it to frame N by putting back
// a state it kept (at the start, and every couple of seconds on the way)
// and running the passes from there without drawing, the camera keys
// pressed on the way included, then making the driver's GL state the one
// those passes left. The show's routines and their calls stay as they are.
#pragma once

#include "glapi/Gl11.h"
#include "port/GlShadow.h"
#include "port/PortHooks.h"
#include "port/ShowOptions.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

class Script;

// The show's frame rate, and the music's time at a frame: the show starts
// its module just before frame 1, and frame N is (N - 1) / 60 s into it.
constexpr int ShowFrameRate = 60;
constexpr double MusicSecondsAt(int frame)
{
    return static_cast<double>(frame - 1) / ShowFrameRate;
}
// Frames a seek key moves by: five seconds.
constexpr int SeekFrames = 5 * ShowFrameRate;

class Player final : public Attachment {
public:
    // The run's options (start, frames) and its script, which presses the
    // keys scripted while the show is held.
    Player(const ShowOptions& options, PortHooks& hooks, Script& script);
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Once the video is up and before start-up: the GL table is teed into
    // the shadow, the frame loop's hold and the player's keys are taken.
    void Install();
    // The window whose state the player keeps and puts back.
    void Bind(glTemplate& form) { form_ = &form; }

    // What the keys and the page ask for.
    void Press(platform::PlayerKey key);
    // Asks for frame (1 up to the last frame of the run) as the next one drawn.
    void SeekTo(int frame);
    bool Paused() const { return paused_; }
    // The frame a seek asked for and has not reached yet; 0: none.
    int Seeking() const { return target_; }
    // The frame now on the screen (0 before the first).
    int Shown() const { return hooks_.Frames(); }
    // The last frame the run can reach: the show's end or --frames.
    int LastFrame() const { return last_; }

    void KeyDown(const Frame& frame, std::int16_t code, std::int16_t shift) override;

    // How long each seek took, in milliseconds, in order.
    const std::vector<double>& SeekMs() const { return seekMs_; }

private:
    // The values a glTemplate keeps from one pass to the next.
// clang-format off
#define CITADEL_SHOW_FIELDS(X)                                                                                         \
    X(EndRequested) X(TitlesActive) X(SceneActive) X(InterludeActive) X(TurnCount) X(OrbitStep) X(FinalStep)           \
    X(SkyScroll) X(TitleFrame) X(LightAngle1) X(LightAngle2) X(InterludeFrame) X(InterludeSpin) X(InterludeDepth)      \
    X(InterludeReturn)
    // clang-format on
    // The show between two passes: the window's values, the camera, the
    // random generator and the GL state.
    struct ShowState {
#define CITADEL_FIELD(name) decltype(glTemplate::name) name{};
        CITADEL_SHOW_FIELDS(CITADEL_FIELD)
#undef CITADEL_FIELD
        double camera[5] = {};
        std::uint32_t random = 0;
        glshadow::State gl;
    };
    struct LoggedKey {
        int frame;
        std::int16_t code, shift;
    };

    // Before each pass: true holds it back (paused).
    bool Hold();
    ShowState Keep() const;
    void PutBack(const ShowState& state);
    // Puts the show at the start of pass frame.
    void Go(int frame);
    // Runs the passes from the start of pass from towards the start of pass
    // to without drawing, keeping states on the way, until the deadline;
    // returns the pass it stopped before.
    int Replay(int from, int to,
               std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());
    // Runs the show ahead of where it plays for the time given, between two
    // passes, keeping its states on the way, until the whole run is
    // covered: then no seek has far to go.
    void LookAhead(std::chrono::milliseconds turn);

    const ShowOptions& options_;
    PortHooks& hooks_;
    Script& script_;
    glTemplate* form_ = nullptr;
    int last_;
    glapi::Gl11 driver_{}, tee_{}, shadow_{};
    bool installed_ = false;

    bool started_ = false;
    bool lookedAhead_ = false;
    bool paused_ = false;
    int steps_ = 0;  // single passes asked for while paused
    int target_ = 0; // the next frame asked for by a seek; 0: none
    int tick_ = 0;   // refreshes held on heldFrame_
    int heldFrame_ = 0;
    std::map<int, ShowState> kept_; // by the frame whose pass comes next
    ShowState ahead_;               // where the look-ahead has come to,
    int aheadAt_ = 0;               // before this frame's pass; 0: start again
    std::vector<LoggedKey> keys_;   // the camera keys of this timeline, in order
    std::vector<double> seekMs_;
};
