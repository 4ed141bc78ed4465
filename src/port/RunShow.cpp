#include "port/RunShow.h"

#include "app/ShowFiles.h"
#include "glapi/Gl11.h"
#include "gles/Gles.h"
#include "platform/App.h"
#include "platform/SoundLib.h"
#include "platform/Window.h"
#include "port/KeyStorm.h"
#include "port/Screenshot.h"
#include "port/Script.h"
#include "port/StateLog.h"

#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

void RunShow(const ShowOptions& options, PortHooks& hooks)
{
    platform::SetDataFolder(options.dataFolder);
    if (options.seed) platform::PinRandomSeed(*options.seed);
    platform::SetMusicEnabled(!options.noMusic);
    platform::SetMusicVolume(options.volume);
    platform::SetScreenshotHandler(SaveScreenshot);
    glapi::Current = options.video.gl == platform::GlApi::Es ? gles::Table() : glapi::DesktopGL();

    std::unique_ptr<StateLog> stateLog;
    if (!options.stateLogPath.empty()) {
        stateLog = std::make_unique<StateLog>(options.stateLogPath);
        hooks.Attach(*stateLog);
    }
    Script script(options);
    hooks.Attach(script);
    std::unique_ptr<KeyStorm> storm;
    if (options.keyStormSeed >= 0) {
        storm = std::make_unique<KeyStorm>(static_cast<std::uint32_t>(options.keyStormSeed));
        hooks.Attach(*storm);
    }

    platform::InitVideo(options.video);
    platform::OpenWindow();
    hooks.AfterStartupStep("video");
    {
        glTemplate form(hooks);
        form.Form_Load();
        platform::ShowWindow();
        form.Form_Paint();
    }
    if (stateLog) stateLog->Close();
    platform::ShutdownVideo();
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
