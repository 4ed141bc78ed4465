// The browser build's pure logic, checked natively: the page's address
// parameters and the key table the page's keyboard goes through.
#include "platform/Events.h"
#include "platform/web/Keys.h"
#include "port/web/PageOptions.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using platform::web::IsShowKey;
using platform::web::VirtualKeyOf;

ShowOptions Parse(const std::string& query)
{
    ShowOptions options;
    ParsePageOptions(query, options);
    return options;
}

std::string Refusal(const std::string& query)
{
    try {
        Parse(query);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "accepted";
}

TEST(PageOptions, NoParametersLeaveTheShowAsItIs)
{
    const ShowOptions options = Parse("");
    EXPECT_FALSE(options.seed);
    EXPECT_EQ(options.frames, 0);
    EXPECT_EQ(options.video.fps, 60);
    EXPECT_TRUE(options.snapshots.empty());
    EXPECT_FALSE(options.noMusic);
    // The page's own parameters are not the show's business.
    EXPECT_EQ(Parse("?autostart=1&utm=x").frames, 0);
}

TEST(PageOptions, SnapshotsPlayUnpacedUpToTheLastUnlessFramesSaysOtherwise)
{
    const ShowOptions options = Parse("?seed=7&snapshot=640,251,420");
    EXPECT_EQ(*options.seed, 7u);
    EXPECT_EQ(options.snapshots.size(), 3u);
    EXPECT_TRUE(options.snapshots.contains(251) && options.snapshots.contains(640));
    EXPECT_EQ(options.frames, 640);
    EXPECT_EQ(options.video.fps, 0);
    EXPECT_EQ(Parse("?frames=700&snapshot=251").frames, 700);
    EXPECT_EQ(Parse("?snapshot=251&frames=700").frames, 700);
}

TEST(PageOptions, ScriptedKeysTakeModifiersWrittenPlainOrPercentEncoded)
{
    const ShowOptions options = Parse("?key=400:Up&key=10:Shift%2BLeft&key=12:Alt+Ctrl+PageUp&key=13:PageDown");
    ASSERT_EQ(options.keys.size(), 4u);
    EXPECT_EQ(options.keys[0].frame, 400);
    EXPECT_EQ(options.keys[0].key, "Up");
    EXPECT_EQ(options.keys[1].shift, platform::ShiftMask);
    EXPECT_EQ(options.keys[1].key, "Left");
    EXPECT_EQ(options.keys[2].key, "PageUp");
    EXPECT_EQ(options.keys[2].shift, platform::CtrlMask | platform::AltMask);
    EXPECT_EQ(options.keys[3].frame, 13);
}

TEST(PageOptions, ValuesOutOfRangeAreRefusedNamingTheParameter)
{
    EXPECT_EQ(Refusal("?seed=x"), "page parameter seed: expected a whole number from 0 to 4294967295, got 'x'");
    EXPECT_NE(Refusal("?seed=-1").find("seed"), std::string::npos);
    EXPECT_NE(Refusal("?snapshot=0").find("snapshot"), std::string::npos);
    EXPECT_NE(Refusal("?snapshot=251,").find("snapshot"), std::string::npos);
    EXPECT_NE(Refusal("?fps=60x").find("fps"), std::string::npos);
    EXPECT_NE(Refusal("?volume=101").find("volume"), std::string::npos);
    EXPECT_NE(Refusal("?music=2").find("music"), std::string::npos);
    EXPECT_NE(Refusal("?key=Left").find("FRAME:KEY"), std::string::npos);
    EXPECT_NE(Refusal("?key=5:NoSuchKey").find("key"), std::string::npos);
    EXPECT_EQ(Parse("?music=0&volume=40").volume, 40);
    EXPECT_TRUE(Parse("?music=0").noMusic);
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

} // namespace
