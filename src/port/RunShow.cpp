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
    std::error_code ec;
    for (const ShowImage& image : ShowImages) {
        const std::string path = platform::ResourcePath(folder, std::string("\\") + image.name);
        if (!std::filesystem::exists(path, ec)) missing.push_back(path);
    }
    if (missing.empty()) return {};
    const std::string module = platform::ResourcePath(folder, std::string("\\") + ShowModule);
    if (!std::filesystem::exists(module, ec)) missing.push_back(module);

    std::string message = missing.size() == 1 ? "File not found: " : "Files not found: ";
    for (std::size_t i = 0; i < missing.size(); ++i) message += (i > 0 ? ", '" : "'") + missing[i] + "'";
    return message;
}
