// Ctrl+C, SIGTERM and SIGHUP, one policy in every mode: the run stops within
// a frame, what was there before is as it was, no temporary file and no
// child is left, the status is 128 plus the signal, and one line on stderr
// says what was not written.
#include "e2e/Run.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string Mot = std::string(CITADEL_PACK_DIR) + "/citadel-mot";

// Processes whose command line names folder (ffmpeg gets file:FOLDER/...).
std::vector<std::string> ProcessesNaming(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == std::to_string(::getpid())) continue;
        const std::string command = e2e::ReadFile(entry.path().string() + "/cmdline");
        if (command.find(folder) != std::string::npos) found.push_back(pid + ": " + command);
    }
    return found;
}

// Every name under folder that starts with a dot: our temporary files and
// folders. (Looked at while the run makes and removes them, too.)
std::vector<std::string> Hidden(const std::string& folder)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec))
        if (entry->path().filename().string().front() == '.') found.push_back(entry->path().string());
    return found;
}

// Whether the process has set a handler for signal (before that, the signal
// would kill it the default way).
bool Catches(int pid, int signal)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
    return false;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

} // namespace

TEST(Signals, EveryModeStopsWithTheSignalsStatusKeepingOldFilesAndSayingWhatWasNotWritten)
{
    const std::string pack = CITADEL_PACK_DIR;
    std::vector<std::string> sheet = {"sheet", "--columns", "8", "--cell", "1024", "F/old.png"};
    for (const char* name : {"Tex0", "Tex1", "Tex2", "Tex3", "Tex4", "Tex5", "CBTex0", "CBTex1", "CBTex2", "CBTex3",
                             "Text0", "Text1", "Text2", "Tittle", "Dist0", "LightMap"})
        sheet.push_back(pack + "/" + name + ".MOT");
    struct Case {
        const char* mode;
        int signal;
        std::string program;
        std::vector<std::string> args; // F/ stands for the case's folder
        std::vector<std::string> old;  // files there before ("OLD"), that stay as they were
        std::string ready;             // what shows the run under way: a file it writes, "." for any
                                       // temporary one, "" for none (it stays a while in its work)
        std::string line;              // the one line on stderr, "F/" again for the folder
        bool needsFfmpeg = false;
    };
    const Case cases[] = {
        {"a headless run with a state log",
         SIGINT,
         e2e::CitadelExe(),
         {"--headless", "--state-log", "F/old.csv", "--snapshot", "3186=F/old.png"},
         {"old.csv", "old.png"},
         ".",
         "citadel: interrupted; 'F/old.csv' and 'F/old.png' were not written"},
        {"a state log to a device, which has had the rows so far",
         SIGTERM,
         e2e::CitadelExe(),
         {"--headless", "--state-log", "/dev/null"},
         {},
         "",
         "citadel: interrupted; the rest of '/dev/null' was not written"},
        {"snapshots",
         SIGTERM,
         e2e::CitadelExe(),
         {"--headless", "--snapshot", "1=F/first.png", "--snapshot", "3186=F/old.png"},
         {"old.png"},
         "first.png",
         "citadel: interrupted; 'F/old.png' was not written"},
        {"the benchmark",
         SIGHUP,
         e2e::CitadelExe(),
         {"--benchmark", "--benchmark-json", "F/old.json", "--state-log", "F/run.csv"},
         {"old.json"},
         ".",
         "citadel: interrupted; 'F/run.csv', the benchmark's report and 'F/old.json' were not written"},
        {"a capture to a folder",
         SIGINT,
         e2e::CitadelExe(),
         {"--capture", "F/frames/", "--force"},
         {"frames/frame-000001.png", "frames/music.wav"},
         ".",
         "citadel: interrupted; 'F/frames/' was not written"},
        {"a capture to a video",
         SIGTERM,
         e2e::CitadelExe(),
         {"--capture", "F/old.mkv", "--force"},
         {"old.mkv"},
         ".",
         "citadel: interrupted; 'F/old.mkv' was not written",
         true},
        {"the converter", SIGHUP, Mot, sheet, {"old.png"}, "", "citadel-mot: interrupted; 'F/old.png' was not written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        if (c.needsFfmpeg && platform::FindProgram("ffmpeg").empty()) continue;
        const std::string folder = e2e::TempFolder("signals");
        const auto inFolder = [&folder](std::string text) {
            for (auto at = text.find("F/"); at != std::string::npos; at = text.find("F/", at + folder.size()))
                text.replace(at, 1, folder);
            return text;
        };
        std::vector<std::string> args;
        for (const std::string& arg : c.args) args.push_back(inFolder(arg));
        fs::create_directory(folder + "/frames");
        for (const std::string& old : c.old) std::ofstream(folder + "/" + old) << "OLD\n";

        const auto started = e2e::Start(c.program, args, {{"SDL_AUDIODRIVER", "dummy"}});
        const auto underWay = [&] {
            if (!Catches(started.pid, c.signal)) return false;
            return c.ready.empty() || (c.ready == "." ? !Hidden(folder).empty() : fs::exists(folder + "/" + c.ready));
        };
        for (int i = 0; i < 1000 && !underWay(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Well into the work: the show's frames, or the converter's sheet (a second of work).
        // A state log to a device shows no sign of its first row, and under a
        // full ./test start-up alone can take 300 ms.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        ::kill(started.pid, c.signal);
        const auto signalled = std::chrono::steady_clock::now();
        const auto run = e2e::Wait(started, 10);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();

        EXPECT_EQ(run.status, 128 + c.signal) << run.err;
        EXPECT_LT(seconds, 3.0) << "a frame's work, not the rest of the run";
        EXPECT_NE(run.err.find(inFolder(c.line) + "\n"), std::string::npos) << run.err;
        EXPECT_EQ(Count(run.err, "interrupted"), 1u) << run.err;
        EXPECT_EQ(run.out.find("frame.all"), std::string::npos) << "no figures of a run cut short";
        for (const std::string& old : c.old) EXPECT_EQ(e2e::ReadFile(folder + "/" + old), "OLD\n") << old;
        if (!c.ready.empty() && c.ready != ".") EXPECT_TRUE(fs::is_regular_file(folder + "/" + c.ready));
        EXPECT_EQ(Hidden(folder), std::vector<std::string>{});
        EXPECT_EQ(ProcessesNaming(folder), std::vector<std::string>{});
    }
}
