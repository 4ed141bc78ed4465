// --gl es: the whole show drawn by our renderer on OpenGL ES 3.0, against the
// driver's own fixed function (--gl compat) on the same machine; a call
// trace with nothing of the fixed function in it; and a clear end where
// there is no ES 3.0.
#include "Golden.h"
#include "Run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <set>
#include <sstream>

#include <unistd.h>

namespace {

// The reference frames and a few more of each phase, the final approach's
// last frames among them.
struct ShowFrame {
    int number;
    const char* phase;
};
const ShowFrame ComparedFrames[] = {
    {1, "titles"},       {100, "titles"}, {251, "titles"}, {340, "titles"},    {420, "orbit"},
    {800, "orbit"},      {1500, "orbit"}, {2700, "orbit"}, {640, "interlude"}, {1000, "interlude"},
    {2500, "interlude"}, {3020, "final"}, {3100, "final"}, {3180, "final"},
};

std::string FramePath(const std::string& folder, int frame)
{
    return folder + "/" + std::to_string(frame) + ".png";
}

e2e::RunResult PlayWithSnapshots(const std::string& gl, const std::string& folder)
{
    std::vector<std::string> args = {"--headless", "--no-music", "--seed", e2e::GoldenSeed, "--gl", gl};
    for (const ShowFrame& frame : ComparedFrames) {
        args.push_back("--snapshot");
        args.push_back(std::to_string(frame.number) + "=" + FramePath(folder, frame.number));
    }
    return e2e::RunCitadel(args);
}

// The full path of program on PATH, or "".
std::string FindOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return "";
}

// Every entry point OpenGL ES 3.0 has, as its header declares them.
std::set<std::string> Es3EntryPoints()
{
    std::ifstream header(CITADEL_GLES3_HEADER);
    std::stringstream text;
    text << header.rdbuf();
    const std::string source = text.str();
    const std::regex declaration(R"(GL_APIENTRY\s+(gl\w+)\s*\()");
    std::set<std::string> names;
    for (auto m = std::sregex_iterator(source.begin(), source.end(), declaration); m != std::sregex_iterator(); ++m)
        names.insert((*m)[1]);
    return names;
}

} // namespace

TEST(GlEs, EveryPhaseLooksLikeTheDriversFixedFunction)
{
    const std::string compat = e2e::TempFolder("gl-compat"), es = e2e::TempFolder("gl-es");
    // Side by side: two whole shows are the longest wait of the tests.
    auto compatRun = std::async(std::launch::async, PlayWithSnapshots, "compat", compat);
    const auto esRun = PlayWithSnapshots("es", es);
    const auto compatResult = compatRun.get();
    ASSERT_EQ(compatResult.status, 0) << compatResult.err;
    ASSERT_EQ(esRun.status, 0) << esRun.err;

    // Rounding alone moves a value on a 5/6/5 boundary by one step: few
    // pixels further than that, and most not at all.
    std::string worstFrame;
    double worstShare = -1;
    for (const ShowFrame& frame : ComparedFrames) {
        const auto d = e2e::ComparePictures(FramePath(compat, frame.number), FramePath(es, frame.number));
        ASSERT_EQ(d.error, "");
        char line[160];
        std::snprintf(line, sizeof line, "frame %4d (%s): %.4f %% beyond one step, %.3f %% differing, worst %d",
                      frame.number, frame.phase, 100 * d.beyondStep, 100 * d.differing, d.worst);
        std::printf("%s%s%s\n", line, d.where.empty() ? "" : "; ", d.where.c_str());
        EXPECT_LE(d.beyondStep, 0.005) << line << "; pictures in " << compat << " and " << es;
        EXPECT_LE(d.differing, 0.10) << line << "; pictures in " << compat << " and " << es;
        if (d.beyondStep > worstShare) {
            worstShare = d.beyondStep;
            worstFrame = std::string(line) + (d.where.empty() ? "" : "; ") + d.where;
        }
    }
    std::printf("worst: %s\n", worstFrame.c_str());
    RecordProperty("worst_frame", worstFrame);
}

TEST(GlEs, ACallTraceHasOnlyOpenGLES3Calls)
{
    const std::string apitrace = FindOnPath("apitrace");
    if (apitrace.empty()) GTEST_SKIP() << "apitrace is not installed (scripts/install-deps --tests installs it)";
    const std::string trace = e2e::TempFolder("gl-trace") + "/es.trace";
    const auto traced = e2e::Run(apitrace, {"trace", "--api", "egl", "-o", trace, e2e::CitadelExe(), "--headless",
                                            "--no-music", "--seed", e2e::GoldenSeed, "--frames", "30", "--gl", "es"});
    ASSERT_EQ(traced.status, 0) << traced.err;
    const auto dump = e2e::Run(apitrace, {"dump", "--verbose", "--color=never", trace});
    ASSERT_EQ(dump.status, 0) << dump.err;

    const std::set<std::string> es3 = Es3EntryPoints();
    ASSERT_GT(es3.size(), 200u) << CITADEL_GLES3_HEADER;
    std::set<std::string> called, foreign;
    const std::regex call(R"(^\d+ (gl\w+)\()");
    std::istringstream lines(dump.out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, call)) continue;
        called.insert(m[1]);
        if (es3.count(m[1]) == 0) foreign.insert(m[1]);
    }
    // The renderer's own calls are in the trace, so their absence proves nothing.
    EXPECT_TRUE(called.count("glDrawArrays") && called.count("glUseProgram")) << dump.out.substr(0, 2000);
    std::string names;
    for (const auto& name : foreign) names += name + " ";
    EXPECT_TRUE(foreign.empty()) << "calls outside OpenGL ES 3.0: " << names;
}

TEST(GlEs, NoOpenGLES3IsAnErrorThatSaysSo)
{
    // Mesa then offers ES 2.0 at most.
    const auto run = e2e::RunCitadel({"--headless", "--no-music", "--frames", "3", "--gl", "es"},
                                     {{"MESA_GLES_VERSION_OVERRIDE", "2.0"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Run-time error: --gl es: the graphics driver gives no OpenGL ES 3.0 context"),
              std::string::npos)
        << run.err;
}
