// The browser build's pure logic, checked natively: the page's address
// parameters, which go through the program's own option parser, and the key
// table the page's keyboard goes through.
#include "platform/Events.h"
#include "platform/web/Keys.h"
#include "port/Options.h"
#include "port/web/PageArguments.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::web::IsShowKey;
using platform::web::VirtualKeyOf;

// The program's door: a command line (split at spaces) through ParseOptions;
// what it printed on stderr.
std::string CommandLineRefusal(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> args{"citadel"};
    for (std::string a; in >> a;) args.push_back(a);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    ShowOptions options;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const int status = ParseOptions(static_cast<int>(argv.size()), argv.data(), options);
    testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    return status == 2 ? err : "accepted";
}

// The page's door: the query through PageArguments and the same parser.
ParseResult Page(const std::string& query, ShowOptions& options)
{
    testing::internal::CaptureStderr();
    const ParseResult result = ParsePageArguments(query, options);
    testing::internal::GetCapturedStderr();
    return result;
}

std::string PageRefusal(const std::string& query)
{
    ShowOptions options;
    const ParseResult result = Page(query, options);
    return result.status == 2 ? result.text : "accepted";
}

ShowOptions PageOptions(const std::string& query)
{
    ShowOptions options;
    const ParseResult result = Page(query, options);
    EXPECT_EQ(result.status, -1) << query << ": " << result.text;
    return options;
}

} // namespace

TEST(PageArguments, ABadOptionGetsTheSameMessageOnThePageAsOnTheCommandLine)
{
    struct Case {
        const char* commandLine;
        const char* query;
        const char* message;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"--snapshot 1073741824=a.png", "?snapshot=1073741824",
              "--snapshot: 1073741824 is out of range: expected from 1 to 3186"},
             {"--snapshot 3187=a.png", "snapshot=251,3187", "from 1 to 3186"},
             {"--snapshot =a.png", "snapshot=251,", "--snapshot: '' is not a whole number"},
             {"--snapshot 5=a.png --snapshot 5=b.png", "snapshot=5,5", "--snapshot: frame 5 is given twice"},
             {"--frames 100 --snapshot 101=a.png", "frames=100&snapshot=101", "frame 101 is never presented"},
             {"--bogus=1", "bogus=1", "--bogus"},
             {"--Seed=7", "Seed=7", "--Seed"},
             {"--seed 7x", "seed=%37x", "--seed: '7x' is not a whole number"},
             {"--seed -1", "seed=-1", "--seed: -1 is out of range"},
             {"--fps 2.5", "fps=2.5", "--fps: '2.5' is not a whole number"},
             {"--fps 1001", "fps=1001", "--fps: 1001 is out of range"},
             {"--frames 0", "frames=0", "--frames: 0 is out of range"},
             {"--frames", "frames", "--frames"},
             {"--volume 101", "music=0&volume=101", "--volume: 101 is out of range"},
             {"--key Left", "key=Left", "--key: expected FRAME:KEY, got 'Left'"},
             {"--key 5:NoSuchKey", "key=400:Up,5:NoSuchKey", "--key: unknown key name 'NoSuchKey'"},
             {"--key 5:Shift+Nothing", "key=5:Shift%2BNothing", "unknown key name 'Nothing'"},
             {"--frames 100 --key 101:Left", "frames=100&key=101:Left", "--key: frame 101 is never presented"},
             {"--scale cubic", "scale=cubic", "--scale"},
             {"--gl vulkan", "gl=vulkan", "--gl"},
             {"--msaa 3", "msaa=3", "--msaa: expected 0, 2, 4 or 8, got '3'"},
             {"--render-size 800x500", "render-size=800x500", "is not 4:3"},
             {"--key-storm -1", "key-storm=-1", "--key-storm"},
             {"--start 3187", "start=3187", "--start: 3187 is out of range"},
             {"--start 500 --snapshot 420=a.png", "start=500&snapshot=420", "frame 420 comes before --start 500"},
         }) {
        const std::string page = PageRefusal(c.query);
        EXPECT_NE(page.find(c.message), std::string::npos) << c.query << ": " << page;
        const std::string commandLine = CommandLineRefusal(c.commandLine);
        EXPECT_EQ(commandLine.substr(0, commandLine.find('\n')), "citadel: " + page) << c.commandLine;
    }
}

TEST(PageArguments, OptionsThatMeanNothingInABrowserAreRefusedByName)
{
    // Each is a real option of the program (so the page's list cannot drift
    // from the parser's), refused on the page with why.
    testing::internal::CaptureStdout();
    ShowOptions options;
    const char* argv[] = {"citadel", "--help"};
    ParseOptions(2, const_cast<char**>(argv), options);
    const std::string listed = testing::internal::GetCapturedStdout();
    for (const char* name :
         {"headless", "window", "display", "mode-switch", "data", "state-log", "capture", "capture-fps", "capture-size",
          "capture-quality", "force", "benchmark", "benchmark-json", "help", "version"}) {
        EXPECT_NE(listed.find(std::string("--") + name + " "), std::string::npos) << name;
        for (const std::string query : {std::string(name), std::string(name) + "=1"}) {
            const std::string why = PageRefusal("?music=0&" + query);
            EXPECT_EQ(why.rfind(std::string("--") + name + ": not on a page: ", 0), 0u) << why;
        }
    }
    EXPECT_NE(PageRefusal("gl=compat").find("--gl: not on a page"), std::string::npos);
    EXPECT_EQ(PageRefusal("music=2"), "music: expected 0 or 1, got '2'");
    EXPECT_NE(PageRefusal("snapshot=5=a.png").find("frames only"), std::string::npos);
}

TEST(PageArguments, ParametersLandInTheOptionsAsTheirOptionsDo)
{
    ShowOptions o = PageOptions("");
    EXPECT_TRUE(!o.seed && o.frames == 0 && o.video.fps == 60 && o.snapshots.empty() && !o.noMusic);
    // The page's own parameter is not the program's business.
    EXPECT_EQ(PageOptions("?autostart=1").frames, 0);

    o = PageOptions("?seed=7&snapshot=640,251&snapshot=420&volume=40&gl=es&remaster=0");
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.snapshots.size(), 3u);
    EXPECT_TRUE(o.snapshots.contains(251) && o.snapshots.contains(420) && o.snapshots.contains(640));
    // A snapshot run plays unpaced up to its last picture ...
    EXPECT_TRUE(o.frames == 640 && o.video.fps == 0 && !o.noMusic && o.volume == 40 && o.video.colourBits == 16);
    // ... unless frames says otherwise.
    EXPECT_EQ(PageOptions("?frames=700&snapshot=251").frames, 700);
    EXPECT_EQ(PageOptions("?snapshot=251&frames=700").frames, 700);
    EXPECT_EQ(PageOptions("?fps=30").video.fps, 30);
    EXPECT_TRUE(PageOptions("?no-music").noMusic);
    EXPECT_TRUE(PageOptions("?music=0").noMusic && PageOptions("?no-music=1").noMusic);
    EXPECT_FALSE(PageOptions("?music=1").noMusic);
    EXPECT_EQ(PageOptions("?remaster").video.msaa, 4);
    EXPECT_TRUE(PageOptions("?exact=1").video.exact && PageOptions("?exact").video.exact);
    EXPECT_FALSE(PageOptions("").video.exact || PageOptions("?exact=0").video.exact);
    // The control bar's link to a moment.
    EXPECT_EQ(PageOptions("?seed=7&music=0&start=1500").start, 1500);
    EXPECT_EQ(PageOptions("").start, 1);

    // Keys repeated or comma-listed; a '+' stays a plus, written plain or encoded.
    o = PageOptions("?key=400:Up&key=10:Shift%2BLeft,12:Alt+Ctrl+PageUp&key=13:Page%20Down");
    ASSERT_EQ(o.keys.size(), 4u);
    EXPECT_TRUE(o.keys[0].frame == 400 && o.keys[0].key == "Up" && o.keys[0].shift == 0);
    EXPECT_TRUE(o.keys[1].key == "Left" && o.keys[1].shift == platform::ShiftMask);
    EXPECT_TRUE(o.keys[2].frame == 12 && o.keys[2].key == "PageUp" &&
                o.keys[2].shift == (platform::CtrlMask | platform::AltMask));
    EXPECT_EQ(o.keys[3].key, "PageDown");
}

// The named keys by either spelling: test_keys.cpp, with the table.
TEST(WebKeys, LettersDigitsAndFunctionKeysAreComputedAndOtherNamesUnknown)
{
    using namespace platform;
    for (const auto& [name, code] : std::initializer_list<std::pair<const char*, std::int16_t>>{
             {"e", VK_E}, {"E", VK_E}, {"r", VK_R}, {"q", 'Q'}, {"7", '7'}, {"F1", 112}, {"F12", 123}})
        EXPECT_EQ(VirtualKeyOf(name), code) << name;
    for (const char* unknown : {"", "F13", "F1x", "Shift", "Unidentified", "é", "AudioVolumeUp"})
        EXPECT_EQ(VirtualKeyOf(unknown), 0) << unknown;
}

TEST(WebKeys, TheShowsKeysWithCtrlAltOrMetaAndKeysWithoutARowKeepTheBrowsersDefault)
{
    using namespace platform;
    EXPECT_TRUE(IsShowKey(VK_LEFT, false, false, false));
    EXPECT_FALSE(IsShowKey(VK_LEFT, false, true, false)); // Alt+Left: the browser's Back
    EXPECT_FALSE(IsShowKey(VK_R, true, false, false));    // Ctrl+R: reload
    EXPECT_FALSE(IsShowKey(VK_R, false, false, true));
    EXPECT_FALSE(IsShowKey('Q', false, false, false));
    EXPECT_FALSE(IsShowKey(116, false, false, false)); // F5
}
