#include "port/Capture.h"

#include "app/ShowFiles.h"
#include "image/Png.h"
#include "platform/App.h"
#include "platform/MusicRender.h"
#include "platform/System.h"
#include "platform/VirtualScreen.h"
#include "port/FrameScale.h"
#include "runtime/Runtime.h"
#include "runtime/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string FrameFileName(int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    return name;
}

bool IsFrameFileName(const std::string& name)
{
    return name.size() == 16 && name.rfind("frame-", 0) == 0 && name.substr(12) == ".png" &&
           std::all_of(name.begin() + 6, name.begin() + 12, [](char c) { return c >= '0' && c <= '9'; });
}

void PutLittleEndian(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

bool ClassifyCapturePath(const std::string& path, CaptureKind& kind, std::string& error)
{
    std::error_code ec;
    if (path.empty()) {
        error = "no file or folder named";
        return false;
    }
    if (path.back() == '/' || fs::is_directory(path, ec)) {
        kind = CaptureKind::Folder;
        return true;
    }
    const std::string extension = Runtime::Lower(fs::path(path).extension().string());
    if (extension == ".mp4" || extension == ".mkv" || extension == ".webm") {
        kind = CaptureKind::Video;
        return true;
    }
    error = "'" + path + "' is neither a .mp4, .mkv or .webm file nor a folder (end it with '/')";
    return false;
}

std::uint64_t SamplesBefore(std::uint64_t frame, int fps)
{
    return frame * platform::MusicSampleRate / static_cast<std::uint64_t>(fps);
}

Capture::Capture(const ShowOptions& options)
    : settings_(options.capture), filter_(options.video.filter), volume_(options.volume),
      plannedFrames_(options.frames > 0 ? std::min(options.frames, ShowLength) : ShowLength),
      target_(options.capture.path)
{
}

Capture::~Capture()
{
    if (!done_) RemoveTemporaries();
}

template <typename Step>
void Capture::Guarded(Step&& step)
{
    try {
        step();
    } catch (const Failed& e) {
        Abort(e.what());
        throw Runtime::Exit{e.interrupted ? 130 : 1};
    }
}

void Capture::Prepare()
{
    Guarded([this] { PrepareFiles(); });
}

void Capture::Presented(const Frame& frame)
{
    Guarded([&] { TakeFrame(frame.number); });
}

void Capture::Finish(int frames)
{
    Guarded([&] { FinishFiles(frames); });
}

void Capture::PrepareFiles()
{
    std::string why;
    if (!ClassifyCapturePath(settings_.path, kind_, why)) throw Failed(why);
    const std::string tag = ".citadel-" + std::to_string(platform::ProcessId());
    std::error_code ec;
    if (kind_ == CaptureKind::Video) {
        ffmpeg_ = platform::FindProgram("ffmpeg");
        if (ffmpeg_.empty())
            throw Failed("cannot capture to a video: the ffmpeg program is not on PATH (install ffmpeg, or "
                         "capture PNG files with --capture DIR/)");
        if (fs::exists(target_, ec) && !settings_.force)
            throw Failed("'" + target_.string() + "' already exists; use --force to replace it");
        fs::path folder = target_.parent_path();
        if (folder.empty()) folder = ".";
        if (!fs::is_directory(folder, ec)) throw Failed("there is no folder '" + folder.string() + "'");
        const std::string stem = "." + target_.filename().string() + tag;
        const std::string extension = target_.extension().string();
        videoTemp_ = folder / (stem + ".video" + extension);
        finalTemp_ = folder / (stem + ".part" + extension);
        wavTemp_ = folder / (stem + ".music.wav");
    } else {
        madeFolder_ = !fs::exists(target_, ec);
        fs::create_directories(target_, ec);
        if (!fs::is_directory(target_, ec)) throw Failed("cannot make the folder '" + target_.string() + "'");
        if (!settings_.force)
            for (const auto& entry : fs::directory_iterator(target_, ec)) {
                const std::string name = entry.path().filename().string();
                if (IsFrameFileName(name) || name == "music.wav")
                    throw Failed("'" + target_.string() + "' already holds a capture; use --force to replace it");
            }
        folderTemp_ = target_ / tag;
        fs::create_directory(folderTemp_, ec);
        if (ec) throw Failed("cannot write in '" + target_.string() + "': " + ec.message());
        started_ = true;
    }
    progress_ = platform::StderrIsTerminal();
    platform::CatchInterrupts();
}

std::vector<std::string> Capture::EncoderArguments(bool withMusic) const
{
    const std::string extension = Runtime::Lower(target_.extension().string());
    std::vector<std::string> args{"-hide_banner",
                                  "-loglevel",
                                  "error",
                                  "-nostdin",
                                  "-y",
                                  "-f",
                                  "rawvideo",
                                  "-pix_fmt",
                                  "rgb24",
                                  "-video_size",
                                  std::to_string(settings_.width) + "x" + std::to_string(settings_.height),
                                  "-framerate",
                                  std::to_string(settings_.fps),
                                  "-i",
                                  "-"};
    if (extension == ".webm")
        args.insert(args.end(), {"-c:v", "libvpx-vp9", "-crf", "30", "-b:v", "0", "-deadline", "realtime", "-cpu-used",
                                 "8", "-row-mt", "1"});
    else
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "fast", "-crf", "18"});
    args.insert(args.end(), {"-pix_fmt", "yuv420p"});
    if (!withMusic && extension == ".mp4") args.insert(args.end(), {"-movflags", "+faststart"});
    args.push_back(withMusic ? videoTemp_.string() : finalTemp_.string());
    return args;
}

void Capture::StartEncoder()
{
    started_ = true;
    if (kind_ != CaptureKind::Video) return;
    try {
        encoder_ = platform::StartProgram(ffmpeg_, EncoderArguments(settings_.music));
    } catch (const std::exception& e) {
        throw Failed(e.what());
    }
}

void Capture::TakeFrame(int frame)
{
    if (platform::InterruptRequested()) throw Failed("interrupted", true);
    if (frame == 1) {
        startTime_ = lastProgress_ = std::chrono::steady_clock::now();
        StartEncoder();
    }
    int width = 0, height = 0;
    platform::ReadVirtualScreen(screen_, width, height);
    const std::vector<std::uint8_t>* picture = &screen_;
    if (width != settings_.width || height != settings_.height) {
        ScaleFrame(screen_, width, height, scaled_, settings_.width, settings_.height, filter_);
        picture = &scaled_;
    }
    if (kind_ == CaptureKind::Video) {
        if (!platform::WriteToProgram(encoder_, picture->data(), picture->size())) {
            const int status = platform::WaitForProgram(encoder_);
            throw Failed("ffmpeg stopped in the middle (exit status " + std::to_string(status) + ")");
        }
    } else {
        try {
            image::WritePng((folderTemp_ / FrameFileName(frame)).string(), settings_.width, settings_.height, 3,
                            picture->data());
        } catch (const std::exception& e) {
            throw Failed(e.what());
        }
    }
    ShowProgress(frame, false);
}

void Capture::WriteWav(const fs::path& path, int frames)
{
    const std::uint64_t count = SamplesBefore(static_cast<std::uint64_t>(frames), settings_.fps);
    std::vector<std::int16_t> samples;
    // A module that is missing or unreadable gives a silent track, as the
    // show itself plays silently then.
    platform::RenderMusic(platform::ResourcePath(platform::AppPath(), std::string("\\") + ShowModule), count, volume_,
                          samples);

    const auto bytes = static_cast<std::uint32_t>(samples.size() * sizeof(std::int16_t));
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2); // PCM
    PutLittleEndian(out, 2, 2); // stereo
    PutLittleEndian(out, platform::MusicSampleRate, 4);
    PutLittleEndian(out, platform::MusicSampleRate * 4, 4); // bytes a second
    PutLittleEndian(out, 4, 2);                             // bytes a sample frame
    PutLittleEndian(out, 16, 2);
    out.write("data", 4);
    PutLittleEndian(out, bytes, 4);
    for (std::int16_t sample : samples) PutLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    if (!out.flush()) throw Failed("cannot write '" + path.string() + "'");
}

void Capture::FinishFiles(int frames)
{
    ShowProgress(frames, true);
    if (kind_ == CaptureKind::Video)
        FinishVideo(frames);
    else
        FinishFolder(frames);
    done_ = true;
    RemoveTemporaries();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime_).count();
    std::error_code ec;
    std::printf("citadel: captured %d frames at %d fps (%.2f s of show) to '%s'", frames, settings_.fps,
                static_cast<double>(frames) / settings_.fps, target_.string().c_str());
    if (kind_ == CaptureKind::Video) std::printf(", %.1f MB", static_cast<double>(fs::file_size(target_, ec)) / 1e6);
    std::printf(", %.0f frames/s\n", seconds > 0 ? frames / seconds : 0.0);
    std::fflush(stdout);
}

void Capture::FinishVideo(int frames)
{
    const int status = platform::WaitForProgram(encoder_);
    if (platform::InterruptRequested()) throw Failed("interrupted", true);
    if (status != 0) throw Failed("ffmpeg failed (exit status " + std::to_string(status) + ")");
    if (settings_.music) {
        WriteWav(wavTemp_, frames);
        const std::string extension = Runtime::Lower(target_.extension().string());
        std::vector<std::string> args{
            "-hide_banner", "-loglevel",       "error", "-nostdin", "-y",   "-i",  videoTemp_.string(),
            "-i",           wavTemp_.string(), "-map",  "0:v",      "-map", "1:a", "-c:v",
            "copy"};
        if (extension == ".webm")
            args.insert(args.end(), {"-c:a", "libopus", "-b:a", "160k"});
        else if (extension == ".mkv")
            args.insert(args.end(), {"-c:a", "flac"});
        else
            args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"});
        args.push_back(finalTemp_.string());
        const int muxed = platform::RunProgram(ffmpeg_, args);
        if (platform::InterruptRequested()) throw Failed("interrupted", true);
        if (muxed != 0) throw Failed("ffmpeg could not add the music (exit status " + std::to_string(muxed) + ")");
    }
    std::error_code ec;
    if (!settings_.force && fs::exists(target_, ec))
        throw Failed("'" + target_.string() + "' appeared while capturing; use --force to replace it");
    fs::rename(finalTemp_, target_, ec);
    if (ec) throw Failed("cannot rename the capture to '" + target_.string() + "': " + ec.message());
}

void Capture::FinishFolder(int frames)
{
    if (settings_.music) WriteWav(folderTemp_ / "music.wav", frames);
    if (platform::InterruptRequested()) throw Failed("interrupted", true);
    std::error_code ec;
    // With --force, frames of an older, longer capture would outlive this one.
    for (const auto& entry : fs::directory_iterator(target_, ec)) {
        const std::string name = entry.path().filename().string();
        if ((IsFrameFileName(name) && std::stoi(name.substr(6, 6)) > frames) ||
            (name == "music.wav" && !settings_.music))
            fs::remove(entry.path(), ec);
    }
    for (const auto& entry : fs::directory_iterator(folderTemp_, ec)) {
        fs::rename(entry.path(), target_ / entry.path().filename(), ec);
        if (ec) throw Failed("cannot move the capture into '" + target_.string() + "': " + ec.message());
    }
}

void Capture::Abort(const std::string& why) noexcept
{
    if (done_) return;
    if (progress_) std::fputc('\n', stderr);
    const bool wasStarted = started_;
    RemoveTemporaries();
    done_ = true;
    if (wasStarted)
        std::fprintf(stderr, "citadel: capture stopped: %s; nothing was written to '%s'\n", why.c_str(),
                     target_.string().c_str());
    else
        std::fprintf(stderr, "citadel: %s\n", why.c_str());
    std::fflush(stderr);
}

void Capture::RemoveTemporaries() noexcept
{
    platform::KillProgram(encoder_);
    std::error_code ec;
    for (const fs::path& path : {videoTemp_, finalTemp_, wavTemp_})
        if (!path.empty()) fs::remove(path, ec);
    if (!folderTemp_.empty()) fs::remove_all(folderTemp_, ec);
    if (madeFolder_ && !done_) fs::remove(target_, ec); // only while still empty
    started_ = false;
}

void Capture::ShowProgress(int frame, bool last)
{
    if (!progress_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - lastProgress_ < std::chrono::milliseconds(100)) return;
    lastProgress_ = now;
    const double seconds = std::chrono::duration<double>(now - startTime_).count();
    const double rate = seconds > 0 ? frame / seconds : 0;
    const int total = std::max(plannedFrames_, frame);
    const int left = rate > 0 ? static_cast<int>((total - frame) / rate + 0.5) : 0;
    constexpr int Width = 30;
    const int filled = Width * frame / total;
    std::fprintf(stderr, "\rcapture [%s%s] %d/%d frames  %.0f frames/s  ETA %d:%02d ",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(Width - filled), '-').c_str(), frame, total, rate, left / 60,
                 left % 60);
    if (last) std::fputc('\n', stderr);
    std::fflush(stderr);
}
