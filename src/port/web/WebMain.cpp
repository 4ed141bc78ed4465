// citadel in a web browser: the page's parameters parsed as the program's
// options, the show started on the page's canvas as main() starts it natively,
// and every error turned into a message on the page. main() returns as soon
// as the frame loop is registered; the browser then runs the show one pass
// a frame, and the run below lives as long as the page.
#include "platform/App.h"
#include "platform/ShowKeys.h"
#include "platform/Window.h"
#include "platform/web/Browser.h"
#include "port/Player.h"
#include "port/RunShow.h"
#include "port/web/PageArguments.h"
#include "runtime/Runtime.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Page {
    ShowOptions options;
    PortHooks hooks;
    std::unique_ptr<ShowRun> run;
    bool ended = false;
};

// Never freed: the frame loop's pass holds the window's address, and a page
// plays one show (playing again reloads the page).
Page* page = nullptr;

// The page's snapshots: onto the page, the last one titling it.
void ShowSnapshot(int frame, const std::string&, const std::vector<std::uint8_t>& rgb, int width, int height)
{
    platform::web::ShowSnapshot(frame, rgb, width, height, frame == page->options.snapshots.rbegin()->first);
}

// The parameters parsed into options; false, with the program's message on
// the page, when it would refuse them.
bool Parse(const char* query, ShowOptions& options)
{
    const ParseResult result = ParsePageArguments(query != nullptr ? query : "", options);
    if (result.status == -1) return true;
    platform::MsgBox(result.text, platform::vbCritical, platform::AppTitle());
    return false;
}

// Ends the run: the video subsystem released and the page told, with the
// error's message on the page first.
void Finish(std::exception_ptr error)
{
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const Runtime::Exit&) {
            // The fatal-error box has said it already.
        } catch (const std::exception& e) {
            platform::MsgBox(std::string("Run-time error: ") + e.what(), platform::vbCritical, platform::AppTitle());
        } catch (...) {
            platform::MsgBox("Run-time error: an unknown error", platform::vbCritical, platform::AppTitle());
        }
        platform::ShutdownVideo();
    } else {
        page->run->End();
    }
    page->ended = true;
    platform::web::ShowEnded(error != nullptr, page->hooks.Frames());
}

// The player of the show that plays now; none before it starts, after it
// has ended, or when it could not start.
Player* Playing()
{
    return page != nullptr && page->run != nullptr && !page->ended ? page->run->player() : nullptr;
}

} // namespace

// The page asks before it offers to play: 1 when the program takes its
// parameters, 0 when it refuses them (the message is then on the page).
extern "C" int citadel_check(const char* query)
{
    ShowOptions options;
    return Parse(query, options) ? 1 : 0;
}

// The page's controls, acting on the player as its keys do; nothing when no
// show plays. A key is a platform::PlayerKey's value.
extern "C" void citadel_press(int key)
{
    Player* player = Playing();
    const auto known =
        std::find_if(std::begin(platform::PlayerKeys), std::end(platform::PlayerKeys),
                     [key](const platform::NamedPlayerKey& k) { return static_cast<int>(k.key) == key; });
    if (player != nullptr && known != std::end(platform::PlayerKeys)) player->Press(known->key);
}

extern "C" void citadel_seek(int frame)
{
    if (Player* player = Playing()) player->SeekTo(frame);
}

// What the page's controls show, asked once a display frame: the frame on
// the screen, the frame a seek is on its way to (0: none), whether the
// show is paused, and the last frame the run can reach; all 0 when no show plays.
extern "C" int citadel_shown()
{
    const Player* player = Playing();
    return player != nullptr ? player->Shown() : 0;
}

extern "C" int citadel_seeking()
{
    const Player* player = Playing();
    return player != nullptr ? player->Seeking() : 0;
}

extern "C" int citadel_paused()
{
    const Player* player = Playing();
    return player != nullptr && player->Paused() ? 1 : 0;
}

extern "C" int citadel_last_frame()
{
    const Player* player = Playing();
    return player != nullptr ? player->LastFrame() : 0;
}

// The longest seek so far, the start at start=N included, in milliseconds.
extern "C" double citadel_longest_seek_ms()
{
    const Player* player = Playing();
    if (player == nullptr || player->SeekMs().empty()) return 0;
    return *std::max_element(player->SeekMs().begin(), player->SeekMs().end());
}

// argv[1]: the page's query string.
int main(int argc, char** argv)
{
    page = new Page;
    if (!Parse(argc > 1 ? argv[1] : "", page->options)) {
        platform::web::ShowEnded(true, 0);
        return 0;
    }
    try {
        if (!platform::web::HasWebGl2())
            throw platform::VideoError(platform::VideoError::Reason::NoDisplay,
                                       "This browser gives no WebGL 2 (OpenGL ES 3.0), which the show draws with");
        page->run = std::make_unique<ShowRun>(page->options, page->hooks, ShowSnapshot);
        platform::web::SetFrameLoopEnd(Finish);
        page->run->Start();
    } catch (...) {
        Finish(std::current_exception());
    }
    return 0;
}
