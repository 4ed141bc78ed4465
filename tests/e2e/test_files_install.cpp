// The program's files as users meet them: packs copied from old media in
// upper case, packs with holes, the installed program, and the port's own
// keys (F12, Alt+Enter) that must not change the show.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include <unistd.h>

using e2e::RunCitadel;
namespace fs = std::filesystem;

namespace {

const std::map<std::string, std::string> Quiet = {{"SDL_AUDIODRIVER", "dummy"}};

std::string Upper(std::string name)
{
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// Runs a shell command line (for a working folder or a tool on PATH).
e2e::RunResult Shell(const std::string& command)
{
    return e2e::Run("/bin/sh", {"-c", command}, Quiet);
}

std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

} // namespace

TEST(Files, AnUpperCasePackPlaysTheSameShow)
{
    const std::string folder = e2e::CopyPack("upper");
    for (const auto& entry : fs::directory_iterator(folder))
        fs::rename(entry.path(), fs::path(folder) / Upper(entry.path().filename().string()));
    ASSERT_TRUE(fs::exists(folder + "/TEX0.MOT"));
    ASSERT_TRUE(fs::exists(folder + "/MORVEK.XM"));

    const auto upper = RunCitadel(
        {"--headless", "--data", folder, "--frames", "3", "--seed", "1", "--snapshot", "3=" + folder + "/u.png"},
        Quiet);
    ASSERT_EQ(upper.status, 0) << upper.err;
    const auto normal =
        RunCitadel({"--headless", "--frames", "3", "--seed", "1", "--snapshot", "3=" + folder + "/n.png"}, Quiet);
    ASSERT_EQ(normal.status, 0) << normal.err;
    EXPECT_EQ(e2e::ReadFile(folder + "/u.png"), e2e::ReadFile(folder + "/n.png"));
}

TEST(Files, EveryMissingFileIsNamedInOneMessage)
{
    const std::string empty = e2e::TempFolder("empty-pack");
    const auto run = RunCitadel({"--headless", "--data", empty, "--frames", "3"}, Quiet);
    EXPECT_EQ(run.status, 1);
    for (const char* name : {"Tex0.MOT", "Tex5.MOT", "Text0.MOT", "Tittle.MOT", "Dist0.MOT", "LightMap.MOT",
                             "CBTex0.MOT", "CBTex3.MOT", "morvek.xm"})
        EXPECT_NE(run.err.find("'" + empty + "/" + name + "'"), std::string::npos) << name;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one message: " << run.err;

    // The module alone missing: a silent show, no error.
    const std::string noModule = e2e::CopyPack("no-module");
    fs::remove(noModule + "/morvek.xm");
    const auto silent = RunCitadel({"--headless", "--data", noModule, "--frames", "3"}, Quiet);
    EXPECT_EQ(silent.status, 0) << silent.err;
}

// A file that is there but may not be read, or a folder that may not be
// searched, used to be reported as a file that is not there.
TEST(Files, AFileThatCannotBeOpenedIsReportedWithItsReasonNotAsMissing)
{
    // Root reads whatever the modes say: the show runs as nobody instead.
    if (::geteuid() == 0 && !fs::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv is needed to run as nobody";
    const auto asNobody = [](const std::vector<std::string>& args) {
        if (::geteuid() != 0) return RunCitadel(args, Quiet);
        std::vector<std::string> all{"--reuid=65534", "--regid=65534", "--clear-groups", e2e::CitadelExe()};
        all.insert(all.end(), args.begin(), args.end());
        return e2e::Run("/usr/bin/setpriv", all, Quiet);
    };
    const std::string pack = e2e::CopyPack("unreadable"), title = pack + "/Tittle.MOT";
    fs::permissions(pack, fs::perms::all);
    fs::permissions(title, fs::perms::none);
    auto run = asNobody({"--headless", "--no-music", "--data", pack});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("'" + title + "' cannot be read: Permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("not found"), std::string::npos) << run.err;

    fs::permissions(title, fs::perms::all);
    fs::permissions(pack, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read); // no searching
    run = asNobody({"--headless", "--no-music", "--data", pack});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Path/File access error: cannot reach '" + pack + "/Tex0.MOT', '" + pack + "/Tex1.MOT'"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("CBTex3.MOT': Permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("not found"), std::string::npos) << run.err;
    fs::permissions(pack, fs::perms::owner_all);
}

TEST(Keys, F12SavesNumberedScreenshotsAndNeitherPortKeyChangesTheShow)
{
    const std::string folder = e2e::TempFolder("f12");
    std::ofstream(folder + "/citadel-0001.png") << "older";
    // A link that leads nowhere takes its number too: nothing is written through it.
    fs::create_symlink(folder + "/victim.png", folder + "/citadel-0002.png");
    const std::string common = e2e::CitadelExe() + " --headless --frames 8 --seed 4 --no-music";
    const auto keys = Shell("cd " + Quote(folder) + " && " + common + " --key 3:F12 --key 5:F12 --key 6:Alt+Return" +
                            " --snapshot 3=s3.png --state-log keys.csv");
    ASSERT_EQ(keys.status, 0) << keys.err;
    EXPECT_EQ(e2e::ReadFile(folder + "/citadel-0001.png"), "older");
    EXPECT_TRUE(fs::is_symlink(folder + "/citadel-0002.png"));
    EXPECT_FALSE(fs::exists(folder + "/victim.png"));
    EXPECT_TRUE(e2e::ReadFile(folder + "/citadel-0003.png") == e2e::ReadFile(folder + "/s3.png"));
    EXPECT_TRUE(fs::exists(folder + "/citadel-0004.png"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder + "/citadel-0005.png")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6) << "no temporary files";

    const auto plain = Shell("cd " + Quote(folder) + " && " + common + " --state-log plain.csv");
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(e2e::ReadFile(folder + "/keys.csv"), e2e::ReadFile(folder + "/plain.csv"));
}

TEST(Install, TheProgramsBuildAloneInstallsAndTheInstalledProgramFindsItsFilesThroughTheLink)
{
    // The build tree is the folder above the program's own. ./run builds the
    // program's target only: that must make everything the install copies.
    const std::string build = fs::path(CITADEL_PACK_DIR).parent_path().string();
    fs::remove(build + "/citadel.png");
    const auto built = Shell("cmake --build " + Quote(build) + " --target citadel");
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    const std::string prefix = e2e::TempFolder("install");
    const auto install = Shell("cmake --install " + Quote(build) + " --prefix " + Quote(prefix));
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    EXPECT_TRUE(fs::is_symlink(prefix + "/bin/citadel"));
    EXPECT_EQ(fs::read_symlink(prefix + "/bin/citadel").string(), "../lib/citadel/citadel");
    for (const char* file :
         {"lib/citadel/citadel", "lib/citadel/Tex0.MOT", "lib/citadel/CBTex3.MOT", "lib/citadel/morvek.xm",
          "bin/citadel-mot", "share/man/man6/citadel.6", "share/man/man1/citadel-mot.1",
          "share/applications/citadel.desktop", "share/icons/hicolor/256x256/apps/citadel.png"})
        EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;

    const auto run =
        e2e::Run(prefix + "/bin/citadel", {"--headless", "--frames", "4", "--state-log", prefix + "/log.csv"}, Quiet);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(e2e::ReadLines(prefix + "/log.csv").size(), 5u);
    fs::remove_all(prefix);
}

TEST(Install, RunBuildsInTheRepositoryButPlaysInTheCallersFolder)
{
    // ./run on a copy of the repository whose build steps only note what
    // they were asked: cmake on PATH, install-deps and the program itself.
    const std::string root = e2e::TempFolder("run-script");
    for (const char* folder : {"/repo/scripts", "/repo/build/bin", "/stubs", "/caller"})
        fs::create_directories(root + folder);
    for (const char* file : {"/run", "/scripts/build-env", "/scripts/build-quietly"})
        fs::copy_file(std::string(CITADEL_SOURCE_DIR) + file, root + "/repo" + file, fs::copy_options::copy_symlinks);
    const std::map<std::string, std::string> stubs = {
        {"/repo/scripts/install-deps", "true"},
        {"/stubs/cmake", "echo \"cmake $*\" >>\"$CALLS\""},
        {"/repo/build/bin/citadel", "echo \"citadel in $PWD: $*\" >>\"$CALLS\""}};
    for (const auto& [path, line] : stubs) {
        std::ofstream(root + path) << "#!/bin/sh\n" << line << "\n";
        fs::permissions(root + path, fs::perms::owner_all);
    }
    const auto run = Shell("cd " + Quote(root + "/caller") + " && CALLS=" + Quote(root + "/calls") +
                           " PATH=" + Quote(root + "/stubs") + ":\"$PATH\" ../repo/run --snapshot 3=mine.png");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto calls = e2e::ReadLines(root + "/calls");
    ASSERT_EQ(calls.size(), 3u) << e2e::ReadFile(root + "/calls");
    EXPECT_EQ(calls[0].rfind("cmake -S " + root + "/repo -B " + root + "/repo/build ", 0), 0u) << calls[0];
    EXPECT_EQ(calls[2], "citadel in " + root + "/caller: --snapshot 3=mine.png");
}
