#include "port/Player.h"

#include "app/ShowFiles.h"
#include "gl/BasicGL.h"
#include "platform/App.h"
#include "platform/Events.h"
#include "platform/SoundLib.h"
#include "platform/Window.h"
#include "port/Script.h"

#include <algorithm>

namespace {

// How often the player keeps the show's state on its way: a seek then runs
// at most this many passes without drawing.
constexpr int KeepEvery = 120;
// How long the look-ahead runs between two passes, and at most the first
// time, where a viewer may seek at once: enough for the whole show before its
// first frame natively (about 7 µs a pass, 20 ms) and in a browser (about
// 45 µs a pass, 150 ms), so that no seek replays more than KeepEvery passes.
// Headless runs, whose keys are scripted, add nothing to their start-up.
constexpr std::chrono::milliseconds LookAheadTurn{3};
constexpr std::chrono::milliseconds FirstLookAhead{250};

} // namespace

Player::Player(const ShowOptions& options, PortHooks& hooks, Script& script)
    : options_(options), hooks_(hooks), script_(script),
      last_(options.frames > 0 ? std::min(options.frames, ShowLength) : ShowLength)
{
    // The camera keys scripted before the start are pressed on the way there.
    for (const ScriptedKey& key : options.keys) {
        const std::int16_t code = platform::ScriptedKeyCode(key.key);
        if (key.frame < options.start && key.tick == 0 && code != 0) keys_.push_back({key.frame, code, key.shift});
    }
    std::stable_sort(keys_.begin(), keys_.end(),
                     [](const LoggedKey& a, const LoggedKey& b) { return a.frame < b.frame; });
}

Player::~Player()
{
    if (!installed_) return;
    platform::SetFrameHold(nullptr);
    platform::SetPlayerHandler(nullptr);
    glapi::Current = driver_;
}

void Player::Install()
{
    driver_ = glapi::Current;
    tee_ = glshadow::Tee(driver_);
    shadow_ = glshadow::Shadow(driver_);
    glshadow::Reset();
    glapi::Current = tee_;
    platform::SetFrameHold([this] { return Hold(); });
    platform::SetPlayerHandler([this](platform::PlayerKey key) { Press(key); });
    installed_ = true;
}

void Player::Press(platform::PlayerKey key)
{
    using platform::PlayerKey;
    const int shown = std::max(Shown(), 1);
    switch (key) {
    case PlayerKey::Pause:
        paused_ = !paused_;
        steps_ = 0;
        platform::PauseMusic(paused_);
        break;
    case PlayerKey::StepForward:
        if (paused_) ++steps_;
        break;
    case PlayerKey::StepBack:
        if (paused_) SeekTo(shown - 1);
        break;
    case PlayerKey::SeekBack:
        SeekTo(shown - SeekFrames);
        break;
    case PlayerKey::SeekForward:
        SeekTo(shown + SeekFrames);
        break;
    }
}

void Player::SeekTo(int frame)
{
    target_ = std::clamp(frame, 1, last_);
    steps_ = 0;
}

void Player::KeyDown(const Frame& frame, std::int16_t code, std::int16_t shift)
{
    keys_.push_back({frame.number, code, shift});
    // The states looked ahead for later frames were without this key.
    kept_.erase(kept_.upper_bound(frame.number), kept_.end());
    if (aheadAt_ > frame.number) aheadAt_ = 0;
}

bool Player::Hold()
{
    if (form_ == nullptr) return false;
    if (!started_) {
        // The state at the start of the first pass: the root of every seek.
        started_ = true;
        kept_[1] = Keep();
        if (options_.start > 1) target_ = options_.start;
    }
    if (target_ != 0) {
        Go(target_);
        target_ = 0;
        return false;
    }
    LookAhead(lookedAhead_ || options_.video.headless ? LookAheadTurn : FirstLookAhead);
    lookedAhead_ = true;
    if (!paused_) return false;
    if (steps_ > 0) {
        --steps_;
        return false;
    }
    // Held: the picture again, keys scripted for this refresh, the pump.
    if (heldFrame_ != Shown()) {
        heldFrame_ = Shown();
        tick_ = 0;
    }
    if (!script_.Held(Shown(), ++tick_) && options_.video.headless) {
        // Without a window no one could ever play it on.
        platform::Warn("a paused show without a window plays on: no key is scripted to play it on after frame " +
                       std::to_string(Shown()));
        paused_ = false;
    }
    platform::EventHandlers held;
    held.close = [this] {
        // The show ends as a close always ends it: after one more pass.
        form_->EndRequested = Runtime::True;
        paused_ = false;
    };
    platform::DoEvents(held);
    if (!paused_) {
        platform::PauseMusic(false);
        return false;
    }
    if (target_ != 0 || steps_ > 0) return true; // taken at the next turn
    platform::SwapBuffers(platform::GetDC());
    return true;
}

void Player::LookAhead(std::chrono::milliseconds turn)
{
    if (aheadAt_ == 0) {
        const auto furthest = std::prev(kept_.end());
        ahead_ = furthest->second;
        aheadAt_ = furthest->first;
    }
    if (aheadAt_ >= last_) return;
    const ShowState now = Keep();
    PutBack(ahead_);
    aheadAt_ = Replay(aheadAt_, last_, std::chrono::steady_clock::now() + turn);
    ahead_ = Keep();
    PutBack(now);
}

int Player::Replay(int from, int to, std::chrono::steady_clock::time_point deadline)
{
    glapi::Current = shadow_;
    auto key =
        std::lower_bound(keys_.begin(), keys_.end(), from, [](const LoggedKey& k, int f) { return k.frame < f; });
    int at = from;
    for (; at < to && (at == from || std::chrono::steady_clock::now() < deadline); ++at) {
        if (at % KeepEvery == 1 && !kept_.contains(at)) kept_[at] = Keep();
        form_->DrawFrame();
        for (; key != keys_.end() && key->frame == at; ++key) form_->Form_KeyDown(key->code, key->shift);
    }
    // The last frame's too: then the look-ahead knows it is done.
    if ((at % KeepEvery == 1 || at == last_) && !kept_.contains(at)) kept_[at] = Keep();
    glapi::Current = tee_;
    return at;
}

Player::ShowState Player::Keep() const
{
    ShowState state;
#define CITADEL_FIELD(name) state.name = form_->name;
    CITADEL_SHOW_FIELDS(CITADEL_FIELD)
#undef CITADEL_FIELD
    using namespace BasicGL;
    const double camera[] = {CamX, CamY, CamZ, CamYaw, CamPitch};
    std::copy(std::begin(camera), std::end(camera), state.camera);
    state.random = platform::RandomState();
    state.gl = glshadow::Current();
    return state;
}

void Player::PutBack(const ShowState& state)
{
#define CITADEL_FIELD(name) form_->name = state.name;
    CITADEL_SHOW_FIELDS(CITADEL_FIELD)
#undef CITADEL_FIELD
    using namespace BasicGL;
    CamX = state.camera[0];
    CamY = state.camera[1];
    CamZ = state.camera[2];
    CamYaw = state.camera[3];
    CamPitch = state.camera[4];
    platform::SetRandomState(state.random);
    glshadow::Restore(state.gl);
}

void Player::Go(int frame)
{
    const auto began = std::chrono::steady_clock::now();
    const int next = Shown() + 1;
    // The keys of the frames from here on belong to a future that is not
    // played now, and so do the states kept after the first of them.
    const auto dropped =
        std::lower_bound(keys_.begin(), keys_.end(), frame, [](const LoggedKey& k, int f) { return k.frame < f; });
    if (dropped != keys_.end()) {
        kept_.erase(kept_.upper_bound(dropped->frame), kept_.end());
        if (aheadAt_ > dropped->frame) aheadAt_ = 0;
        keys_.erase(dropped, keys_.end());
    }

    // From the nearest state kept, or from here when that is nearer.
    auto from = std::prev(kept_.upper_bound(frame));
    int at = from->first;
    if (next <= frame && next > at) {
        at = next;
    } else {
        PutBack(from->second);
    }
    Replay(at, frame);
    glshadow::Apply(driver_);
    hooks_.SetFramesBegun(frame - 1);
    platform::SetMusicTime(MusicSecondsAt(frame));

    seekMs_.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count());
}
