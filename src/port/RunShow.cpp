#include "port/RunShow.h"

#include "app/ShowFiles.h"
#include "platform/App.h"
#include "platform/Process.h"
#include "platform/SoundLib.h"
#include "platform/Window.h"
#include "port/KeyStorm.h"
#include "port/Player.h"
#include "port/StateLog.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

ShowRun::ShowRun(const ShowOptions& options, PortHooks& hooks, SnapshotSink snapshots)
    : options_(options), hooks_(hooks), script_(options, std::move(snapshots))
{
    platform::SetDataFolder(options.dataFolder);
    if (options.seed) platform::PinRandomSeed(*options.seed);
    platform::SetMusicEnabled(!options.noMusic);
    platform::SetMusicVolume(options.volume);

    if (!options.stateLogPath.empty()) {
        stateLog_ = std::make_unique<StateLog>(options.stateLogPath);
        hooks.Attach(*stateLog_);
    }
    hooks.Attach(script_);
    if (options.keyStormSeed >= 0) {
        storm_ = std::make_unique<KeyStorm>(static_cast<std::uint32_t>(options.keyStormSeed));
        hooks.Attach(*storm_);
    }
    // A benchmark times the show alone.
    if (!options.benchmark) {
        player_ = std::make_unique<Player>(options, hooks, script_);
        hooks.Attach(*player_);
    }
}

ShowRun::~ShowRun() = default;

void ShowRun::Start()
{
    try {
        platform::InitVideo(options_.video);
        platform::OpenWindow();
        hooks_.AfterStartupStep("video");
        if (player_) player_->Install();
        form_ = std::make_unique<glTemplate>(hooks_);
        if (player_) player_->Bind(*form_);
        form_->Form_Load();
        platform::ShowWindow();
        form_->Form_Paint();
    } catch (platform::Interrupted& interrupted) {
        // While the attachments still know what they have written.
        hooks_.Unwritten(interrupted.unwritten);
        throw;
    }
}

void ShowRun::End()
{
    player_.reset();
    form_.reset();
    if (stateLog_) stateLog_->Close();
    platform::ShutdownVideo();
}

void RunShow(const ShowOptions& options, PortHooks& hooks, SnapshotSink snapshots)
{
    ShowRun run(options, hooks, std::move(snapshots));
    run.Start();
    run.End();
}

std::string MissingShowFiles(const std::string& folder)
{
    std::vector<std::string> missing;
    // Files that may well be there but cannot be reached, by reason.
    std::map<std::string, std::vector<std::string>> unreachable;
    for (const ShowImage& image : ShowImages) {
        const std::string path = platform::ResourcePath(folder, std::string("\\") + image.name);
        std::error_code ec;
        const auto status = std::filesystem::status(path, ec);
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
            unreachable[ec.message()].push_back(path);
        else if (!std::filesystem::exists(status))
            missing.push_back(path);
    }
    if (missing.empty() && unreachable.empty()) return {};
    const std::string module = platform::ResourcePath(folder, std::string("\\") + ShowModule);
    std::error_code ec;
    if (!missing.empty() && !std::filesystem::exists(module, ec) && !ec) missing.push_back(module);

    const auto list = [](const std::vector<std::string>& paths) {
        std::string text;
        for (std::size_t i = 0; i < paths.size(); ++i) text += (i > 0 ? ", '" : "'") + paths[i] + "'";
        return text;
    };
    std::string message;
    if (!missing.empty()) message = (missing.size() == 1 ? "File not found: " : "Files not found: ") + list(missing);
    for (const auto& [reason, paths] : unreachable)
        message += (message.empty() ? "" : "; ") + std::string("Path/File access error: cannot reach ") + list(paths) +
                   ": " + reason;
    return message;
}
