// The pictures of the show in docs/: scripts/update-pictures makes each of
// them again with this build, and the picture committed must have the same
// pixels (its PNG bytes may differ with the encoder). The pictures the
// program cannot make again are named here as historical.
#include "e2e/Run.h"

#include "image/Png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

const std::string Docs = std::string(CITADEL_SOURCE_DIR) + "/docs/";

// What scripts/update-pictures makes.
const std::vector<std::string> Made = {"show-frames.png", "remaster-compare.png", "interlude-after.png",
                                       "contact-sheet.png"};
// The first interlude with the panel image it had before, and the page and
// its control bar in a browser (screenshots).
const std::vector<std::string> Historical = {"interlude-before.png", "web-page.png", "page-controls.png"};

class DocsPicture : public testing::TestWithParam<std::string> {};

TEST_P(DocsPicture, HasThePixelsTheProgramDrawsNow)
{
    if (e2e::Run("/bin/sh", {"-c", "command -v convert"}).status != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string name = GetParam();
    const std::string out = e2e::TempFolder("pictures-" + name);
    const std::string script = std::string(CITADEL_SOURCE_DIR) + "/scripts/update-pictures";
    const auto run =
        e2e::Run("/bin/bash", {script, "--bin", CITADEL_PACK_DIR, "--citadel", e2e::CitadelExe(), "--out", out, name});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string fix = "; run scripts/update-pictures " + name + ", look at the picture and commit it";
    const image::Image now = image::ReadPng(out + "/" + name);
    const image::Image committed = image::ReadPng(Docs + name);
    ASSERT_TRUE(now.width == committed.width && now.height == committed.height && now.channels == committed.channels)
        << "docs/" << name << " is " << committed.width << "x" << committed.height << " with " << committed.channels
        << " channels, the program's " << now.width << "x" << now.height << " with " << now.channels << fix;
    long differing = 0;
    int worst = 0;
    for (std::size_t p = 0; p < now.pixels.size(); p += static_cast<std::size_t>(now.channels)) {
        int most = 0;
        for (int c = 0; c < now.channels; ++c)
            most = std::max(most, std::abs(now.pixels[p + c] - committed.pixels[p + c]));
        differing += most > 0;
        worst = std::max(worst, most);
    }
    EXPECT_EQ(differing, 0) << "docs/" << name << " no longer shows what the program draws: " << differing << " of "
                            << now.width * now.height << " pixels differ, by up to " << worst << " levels" << fix;
}

INSTANTIATE_TEST_SUITE_P(Docs, DocsPicture, testing::ValuesIn(Made), [](const auto& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

TEST(DocsPictures, AreAllMadeByTheScriptOrHistorical)
{
    std::set<std::string> named(Made.begin(), Made.end());
    named.insert(Historical.begin(), Historical.end());
    std::set<std::string> there;
    for (const auto& entry : fs::directory_iterator(Docs))
        if (entry.path().extension() == ".png") there.insert(entry.path().filename().string());
    for (const std::string& name : there)
        EXPECT_EQ(named.count(name), 1u) << "docs/" << name
                                         << ": make it in scripts/update-pictures and list it in Made here, or list "
                                            "it in Historical if the program cannot make it again";
    for (const std::string& name : named) EXPECT_EQ(there.count(name), 1u) << "docs/" << name << " is missing";
}

} // namespace
