#include "port/Capture.h"

#include "app/ShowFiles.h"
#include "files/Files.h"
#include "image/Png.h"
#include "platform/App.h"
#include "platform/MusicRender.h"
#include "platform/System.h"
#include "platform/VirtualScreen.h"
#include "port/Benchmark.h"
#include "port/FrameScale.h"
#include "runtime/Runtime.h"
#include "runtime/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>
#include <utility>

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

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

const char* MuxerOf(const std::string& extension)
{
    return extension == ".webm" ? "webm" : extension == ".mkv" ? "matroska" : "mp4";
}

// ffmpeg takes a name it is given as a protocol ("pipe:", "http:") or an
// option ("-y") if it looks like one: ours are absolute and say file:.
std::string FileArgument(const fs::path& path)
{
    return "file:" + path.string();
}

// Both ffmpeg runs: errors only, no keyboard, and replacing (-y) the output,
// which is always a file this program made in its own folder.
std::vector<std::string> FfmpegQuietlyReplacing()
{
    return {"-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
}

// x264's preset for --capture-quality fast: the fastest, which keeps the
// picture of today's "-preset fast" at crf 18 (SSIM of frame 420 against its
// snapshot: 0.965 against 0.958) in a file about twice as large.
constexpr const char* FastPreset = "ultrafast";

// Frames drawn between a picture's read being queued and its being taken:
// as many as the screen's read buffers allow beside the one being queued.
constexpr std::size_t ReadLag = platform::QueuedScreenReads - 1;

} // namespace

void EncoderFeed::Start(platform::ChildProgram& child)
{
    child_ = &child;
    failed_ = stopping_ = false;
    free_.clear();
    ready_.clear();
    for (auto& slot : slots_) free_.push_back(&slot);
    thread_ = std::thread([this] { Write(); });
}

template <typename Done>
bool EncoderFeed::WaitFor(std::unique_lock<std::mutex>& lock, Done done)
{
    // A signal handler cannot notify: the flag is looked at every 10 ms.
    while (!done()) {
        if (platform::InterruptRequested()) return false;
        changed_.wait_for(lock, std::chrono::milliseconds(10));
    }
    return true;
}

std::vector<std::uint8_t>* EncoderFeed::Free()
{
    std::unique_lock lock(mutex_);
    if (!WaitFor(lock, [this] { return failed_ || !free_.empty(); }) || failed_) return nullptr;
    auto* frame = free_.front();
    free_.pop_front();
    return frame;
}

void EncoderFeed::Hand(std::vector<std::uint8_t>* frame)
{
    {
        std::lock_guard lock(mutex_);
        ready_.push_back(frame);
    }
    changed_.notify_all();
}

bool EncoderFeed::Drain()
{
    std::unique_lock lock(mutex_);
    return WaitFor(lock, [this] { return failed_ || ready_.empty(); }) && !failed_;
}

void EncoderFeed::Stop() noexcept
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void EncoderFeed::Write()
{
    for (;;) {
        std::vector<std::uint8_t>* frame = nullptr;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !ready_.empty(); });
            if (stopping_) return;
            frame = ready_.front();
        }
        const bool written = platform::WriteToProgram(*child_, frame->data(), frame->size());
        {
            std::lock_guard lock(mutex_);
            ready_.pop_front();
            if (written)
                free_.push_back(frame);
            else
                failed_ = true;
        }
        changed_.notify_all();
        if (!written) return;
    }
}

std::uint64_t SamplesBefore(std::uint64_t frame, int fps)
{
    return frame * platform::MusicSampleRate / static_cast<std::uint64_t>(fps);
}

Capture::Capture(const ShowOptions& options)
    : settings_(options.capture), filter_(options.video.filter), volume_(options.volume), first_(options.start),
      plannedFrames_((options.frames > 0 ? std::min(options.frames, ShowLength) : ShowLength) - options.start + 1),
      target_(options.capture.path), figuresPath_(options.benchmarkJson)
{
}

Capture::~Capture()
{
    if (!done_) RemoveTemporaries();
    stopMusic_ = true;
    if (music_.joinable()) music_.join();
}

template <typename Step>
void Capture::Guarded(Step&& step)
{
    try {
        step();
    } catch (const platform::Interrupted&) {
        Discard();
        throw;
    } catch (const Failed& e) {
        Abort(e.what());
        throw Runtime::Exit{e.status};
    } catch (const std::exception& e) {
        // A write or a child that failed because of the interrupt is the interrupt.
        if (platform::InterruptRequested()) {
            Discard();
            throw platform::Interrupted(platform::InterruptSignal());
        }
        Abort(e.what());
        throw Runtime::Exit{1};
    }
}

void Capture::Prepare()
{
    Guarded([this] { PrepareFiles(); });
}

void Capture::Presented(const Frame& frame)
{
    Guarded([&] { TakeFrame(frame.number - first_ + 1); });
}

void Capture::Finish(int frames)
{
    Guarded([&] { FinishFiles(frames); });
    // The capture is in place whatever happens to its figures, as the
    // benchmark's report is printed whatever happens to its JSON.
    WriteFigures();
}

void Capture::PrepareFiles()
{
    std::string why;
    if (!ClassifyCapturePath(settings_.path, kind_, why)) throw Failed(why);
    if (kind_ == CaptureKind::Video)
        PrepareVideo();
    else
        PrepareFolder();
    progress_ = platform::StderrIsTerminal();
}

void Capture::PrepareVideo()
{
    ffmpeg_ = platform::FindProgram("ffmpeg");
    if (ffmpeg_.empty())
        throw Failed("cannot capture to a video: the ffmpeg program is not on PATH (install ffmpeg, or "
                     "capture PNG files with --capture DIR/)");
    std::error_code ec;
    // A link counts as being there, even one that leads nowhere.
    if (fs::exists(fs::symlink_status(target_, ec)) && !settings_.force)
        throw Failed("'" + target_.string() + "' already exists; use --force to replace it");
    // As every output: a link stays, and what it leads to is replaced.
    target_ = files::FollowLinks(target_.string());
    const auto status = fs::status(target_, ec);
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw Failed("'" + target_.string() + "' is not a regular file; a capture replaces only files");
    fs::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, ec)) throw Failed("there is no folder '" + folder.string() + "'");
    work_ = fs::absolute(files::MakeTempFolder(folder.string(), target_.filename().string())).lexically_normal();
    const std::string extension = Runtime::Lower(target_.extension().string());
    finalTemp_ = work_ / ("capture" + extension);
    wavTemp_ = work_ / "music.wav";
    // The sound track of the planned frames, made while the show starts up:
    // ffmpeg takes it beside the frames, in the same pass.
    if (settings_.music) music_ = std::thread([this] { RenderTrack(); });
}

void Capture::PrepareFolder()
{
    // "DIR/" would lead through a link at DIR without asking.
    std::string named = settings_.path;
    while (named.size() > 1 && named.back() == '/') named.pop_back();
    target_ = named;
    std::error_code ec;
    // Our files go where the user said, not where a link planted there leads.
    if (fs::is_symlink(fs::symlink_status(target_, ec)))
        throw Failed("'" + target_.string() + "' is a link; capture to the folder it leads to instead");
    if (!fs::exists(fs::symlink_status(target_, ec))) {
        const fs::path parent = target_.parent_path();
        std::error_code made;
        if (!parent.empty()) fs::create_directories(parent, made);
        if (!made) madeFolder_ = fs::create_directory(target_, made);
        if (made) throw Failed("cannot make the folder '" + target_.string() + "': " + made.message());
    }
    if (!fs::is_directory(fs::symlink_status(target_, ec))) throw Failed("'" + target_.string() + "' is not a folder");
    if (!settings_.force)
        for (const auto& entry : fs::directory_iterator(target_, ec)) {
            const std::string name = entry.path().filename().string();
            if (IsFrameFileName(name) || name == "music.wav")
                throw Failed("'" + target_.string() + "' already holds a capture; use --force to replace it");
        }
    work_ = fs::absolute(files::MakeTempFolder(target_.string(), "citadel")).lexically_normal();
    started_ = true;
}

std::vector<std::string> Capture::EncoderArguments() const
{
    const std::string extension = Runtime::Lower(target_.extension().string());
    std::vector<std::string> args = FfmpegQuietlyReplacing();
    args.insert(args.end(), {"-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
                             std::to_string(settings_.width) + "x" + std::to_string(settings_.height), "-framerate",
                             std::to_string(settings_.fps), "-i", "pipe:0"});
    if (settings_.music) {
        // The track is as long as the planned frames; a show that ends
        // sooner ends the video, and the sound with it.
        args.insert(args.end(), {"-i", FileArgument(wavTemp_), "-map", "0:v", "-map", "1:a", "-shortest"});
        if (extension == ".webm")
            args.insert(args.end(), {"-c:a", "libopus", "-b:a", "160k"});
        else if (extension == ".mkv")
            args.insert(args.end(), {"-c:a", "flac"});
        else
            args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
    }
    const CaptureQuality quality = settings_.quality;
    if (quality == CaptureQuality::Lossless) {
        // Lossless in RGB only where the codec has RGB that players read:
        // FFV1 keeps every pixel of the snapshots; x264 and VP9 keep the
        // pixels after their 4:4:4 colour conversion, which rounds.
        if (extension == ".mkv")
            args.insert(args.end(), {"-c:v", "ffv1", "-level", "3", "-slices", "4", "-pix_fmt", "bgr0"});
        else if (extension == ".webm")
            args.insert(args.end(), {"-c:v", "libvpx-vp9", "-lossless", "1", "-deadline", "realtime", "-cpu-used", "8",
                                     "-row-mt", "1", "-pix_fmt", "yuv444p"});
        else
            args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-qp", "0", "-pix_fmt", "yuv444p"});
    } else {
        const bool small = quality == CaptureQuality::Small;
        if (extension == ".webm")
            args.insert(args.end(), {"-c:v", "libvpx-vp9", "-crf", "30", "-b:v", "0", "-deadline",
                                     small ? "good" : "realtime", "-cpu-used", small ? "4" : "8", "-row-mt", "1"});
        else
            args.insert(args.end(), {"-c:v", "libx264", "-preset", small ? "slow" : FastPreset, "-crf", "18"});
        args.insert(args.end(), {"-pix_fmt", "yuv420p"});
    }
    if (extension == ".mp4") args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", MuxerOf(extension), FileArgument(finalTemp_)});
    return args;
}

void Capture::StartEncoder()
{
    started_ = true;
    if (kind_ != CaptureKind::Video) return;
    // ffmpeg replaces (-y) only a file we made ourselves, in our own folder.
    if (settings_.music) {
        const auto waitStart = std::chrono::steady_clock::now();
        JoinMusic();
        musicWait_ += std::chrono::steady_clock::now() - waitStart;
    }
    files::CreateNewFile(finalTemp_.string());
    try {
        encoder_ = platform::StartProgram(ffmpeg_, EncoderArguments());
    } catch (const std::exception& e) {
        throw Failed(e.what());
    }
    feed_.Start(encoder_);
}

void Capture::EncoderStopped()
{
    platform::StopIfInterrupted();
    feed_.Stop();
    const int status = platform::WaitForProgram(encoder_);
    throw Failed("ffmpeg stopped in the middle (exit status " + std::to_string(status) + ")");
}

void Capture::TakeFrame(int frame)
{
    using Clock = std::chrono::steady_clock;
    platform::StopIfInterrupted();
    if (frame == 1) {
        startTime_ = lastProgress_ = Clock::now();
        StartEncoder();
    } else {
        render_ += Clock::now() - lastTaken_;
    }
    // The picture starts on its way back and is taken ReadLag frames later,
    // while the next ones are drawn; where it cannot, it is read now.
    const auto queueStart = Clock::now();
    const bool queued = platform::QueueVirtualScreenRead();
    readback_ += Clock::now() - queueStart;
    if (queued) {
        queued_.push_back(frame);
        while (queued_.size() > ReadLag) DeliverQueued();
    } else {
        DeliverAllQueued();
        Deliver(frame, false);
    }
    lastTaken_ = Clock::now();
    ShowProgress(frame, false);
}

void Capture::DeliverQueued()
{
    const int frame = queued_.front();
    queued_.pop_front();
    Deliver(frame, true);
}

void Capture::DeliverAllQueued()
{
    while (!queued_.empty()) DeliverQueued();
}

void Capture::Deliver(int frame, bool queued)
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::uint8_t>* slot = nullptr;
    if (kind_ == CaptureKind::Video) {
        // A buffer of the feed's first (the wait for one is the encoder's),
        // then the picture read straight into it.
        const auto waitStart = Clock::now();
        slot = feed_.Free();
        encodeWait_ += Clock::now() - waitStart;
        if (slot == nullptr) EncoderStopped();
    }
    const auto readStart = Clock::now();
    int width = 0, height = 0;
    if (!queued)
        platform::ReadVirtualScreen(screen_, width, height);
    else if (!platform::TakeVirtualScreenRead(screen_, width, height))
        throw Failed("the picture of frame " + std::to_string(frame) + " never came back from the graphics driver");
    std::vector<std::uint8_t>* picture = &screen_;
    if (width != settings_.width || height != settings_.height) {
        picture = slot != nullptr ? slot : &scaled_;
        ScaleFrame(screen_, width, height, *picture, settings_.width, settings_.height, filter_);
    } else if (slot != nullptr) {
        slot->swap(screen_);
        picture = slot;
    }
    const auto handStart = Clock::now();
    readback_ += handStart - readStart;
    if (slot != nullptr) {
        feed_.Hand(slot);
        return;
    }
    image::WritePng((work_ / FrameFileName(frame)).string(), settings_.width, settings_.height, 3, picture->data());
    encodeWait_ += Clock::now() - handStart;
}

void Capture::WriteWav(const fs::path& path, int frames)
{
    const std::uint64_t count = SamplesBefore(static_cast<std::uint64_t>(frames), settings_.fps);
    // A WAV file's sizes are 32-bit; a full show at 1 fps takes 612 MB.
    if (count * 4 > 0xFFFFFFFFu - 36) throw Failed("the sound track would be larger than a WAV file can hold");
    const auto bytes = static_cast<std::uint32_t>(count * 4);
    std::vector<std::uint8_t> wav;
    wav.reserve(44);
    const auto text = [&](const char* four) { wav.insert(wav.end(), four, four + 4); };
    text("RIFF");
    PutLittleEndian(wav, 36 + bytes, 4);
    text("WAVE");
    text("fmt ");
    PutLittleEndian(wav, 16, 4);
    PutLittleEndian(wav, 1, 2); // PCM
    PutLittleEndian(wav, 2, 2); // stereo
    PutLittleEndian(wav, platform::MusicSampleRate, 4);
    PutLittleEndian(wav, platform::MusicSampleRate * 4, 4); // bytes a second
    PutLittleEndian(wav, 4, 2);                             // bytes a sample frame
    PutLittleEndian(wav, 16, 2);
    text("data");
    PutLittleEndian(wav, bytes, 4);
    files::Output file(path.string());
    file.Write(wav.data(), wav.size());

    // Written as it is rendered, a block at a time: memory does not grow
    // with the track's length (at 1 fps, a frame is a second of sound).
    // A module the show could not play either gives a silent track, as the
    // show itself plays silently then; but a capture is worth a word.
    const std::string module = platform::ResourcePath(platform::AppPath(), std::string("\\") + ShowModule);
    std::string why;
    // From where the music is at the first frame: the frames before it, as
    // many video frames' worth of sound as there are, rendered and dropped.
    const std::uint64_t before = SamplesBefore(static_cast<std::uint64_t>(first_ - 1), settings_.fps);
    const bool played = platform::RenderMusic(
        module, count, volume_,
        [&](const std::int16_t* samples, std::size_t sampleFrames) {
            if (stopMusic_) throw MusicStopped{};
            wav.clear();
            for (std::size_t i = 0; i < sampleFrames * 2; ++i)
                PutLittleEndian(wav, static_cast<std::uint16_t>(samples[i]), 2);
            file.Write(wav.data(), wav.size());
        },
        why, before);
    platform::StopIfInterrupted();
    if (!played)
        platform::Warn("the music '" + module + "' cannot be used (" + why + "); the capture's sound track is silent");
    file.Commit();
}

void Capture::RenderTrack() noexcept
{
    try {
        WriteWav(wavTemp_, plannedFrames_);
    } catch (const MusicStopped&) {
    } catch (...) {
        musicError_ = std::current_exception();
    }
}

void Capture::JoinMusic()
{
    if (music_.joinable()) music_.join();
    if (musicError_) std::rethrow_exception(std::exchange(musicError_, nullptr));
}

void Capture::FinishFiles(int frames)
{
    // The show's last pass and its shutdown count as finishing; the last
    // pictures, delivered now, as what they are.
    const auto shutdown = std::chrono::steady_clock::now() - lastTaken_;
    DeliverAllQueued();
    ShowProgress(frames, true);
    const auto finishStart = std::chrono::steady_clock::now();
    if (kind_ == CaptureKind::Video)
        FinishVideo(frames);
    else
        FinishFolder(frames);
    written_ = true;
    done_ = true;
    RemoveTemporaries();

    const auto now = std::chrono::steady_clock::now();
    const auto inSeconds = [](std::chrono::steady_clock::duration d) {
        return std::chrono::duration<double>(d).count();
    };
    const double seconds = inSeconds(now - startTime_);
    const double showSeconds = static_cast<double>(frames) / settings_.fps;
    const double speed = seconds > 0 ? showSeconds / seconds : 0.0;
    const double finish = inSeconds(musicWait_ + shutdown + (now - finishStart));
    const bool video = kind_ == CaptureKind::Video;
    std::error_code ec;
    const double megabytes = video ? static_cast<double>(fs::file_size(target_, ec)) / 1e6 : 0.0;
    std::printf("citadel: captured %d frames at %d fps (%.2f s of show) to '%s'", frames, settings_.fps, showSeconds,
                target_.string().c_str());
    if (video) std::printf(", %.1f MB", megabytes);
    std::printf(", %.0f frames/s\n", seconds > 0 ? frames / seconds : 0.0);
    // Show seconds for each second of wall time, and where that went.
    std::printf("citadel: %.2fx real time in %.2f s: render %.2f s, readback %.2f s, %s %.2f s, %s %.2f s\n", speed,
                seconds, inSeconds(render_), inSeconds(readback_), video ? "encode wait" : "PNG writing",
                inSeconds(encodeWait_), settings_.music ? "music and finish" : "finish", finish);
    std::fflush(stdout);
    figures_ = {{"capture.frames", frames},
                {"capture.fps", settings_.fps},
                {"capture.width", settings_.width},
                {"capture.height", settings_.height},
                {"capture.show_s", showSeconds},
                {"capture.wall_s", seconds},
                {"capture.real_time_x", speed},
                {"capture.render_s", inSeconds(render_)},
                {"capture.readback_s", inSeconds(readback_)},
                {video ? "capture.encode_wait_s" : "capture.png_writing_s", inSeconds(encodeWait_)},
                {"capture.finish_s", finish}};
    if (video) figures_.emplace_back("capture.file_mb", megabytes);
}

void Capture::WriteFigures()
{
    if (figuresPath_.empty()) return;
    const std::string text = bench::FiguresJson(figures_);
    try {
        files::WriteFile(figuresPath_, text.data(), text.size());
    } catch (const files::Error& e) {
        throw Runtime::RuntimeError("Cannot write the capture figures '" + e.path + "': " + e.reason);
    }
    figuresWritten_ = true;
}

void Capture::FinishVideo(int frames)
{
    if (!feed_.Drain()) EncoderStopped();
    feed_.Stop();
    const int status = platform::WaitForProgram(encoder_);
    platform::StopIfInterrupted();
    if (status != 0) throw Failed("ffmpeg failed (exit status " + std::to_string(status) + ")");
    CheckVideo(frames);
    if (settings_.force) {
        std::error_code ec;
        fs::rename(finalTemp_, target_, ec);
        if (ec) throw Failed("cannot rename the capture to '" + target_.string() + "': " + ec.message());
    } else if (!files::RenameIfFree(finalTemp_.string(), target_.string())) {
        throw Failed("'" + target_.string() + "' appeared while capturing; use --force to replace it");
    }
}

// An encoder that ends well may still have made nothing, or not every frame:
// what it made is looked at before it counts as the capture. The frames are
// counted where ffprobe is installed beside ffmpeg.
void Capture::CheckVideo(int frames) const
{
    std::error_code ec;
    const auto bytes = fs::file_size(finalTemp_, ec);
    if (ec || bytes == 0) throw Failed("ffmpeg ended without error but made no video");
    const std::string ffprobe = platform::FindProgram((fs::path(ffmpeg_).parent_path() / "ffprobe").string());
    if (ffprobe.empty()) return;
    std::string counted;
    const int status =
        platform::RunProgramReading(ffprobe,
                                    {"-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                                     "stream=nb_read_packets", "-of", "csv=p=0", FileArgument(finalTemp_)},
                                    counted);
    platform::StopIfInterrupted();
    while (!counted.empty() && std::isspace(static_cast<unsigned char>(counted.back()))) counted.pop_back();
    if (status != 0 || counted != std::to_string(frames))
        throw Failed("ffmpeg's video holds " + (status == 0 && !counted.empty() ? counted : std::string("none")) +
                     " of the " + std::to_string(frames) + " frames it was sent");
}

void Capture::FinishFolder(int frames)
{
    if (settings_.music) WriteWav(work_ / "music.wav", frames);
    platform::StopIfInterrupted();
    std::error_code ec;
    // With --force, the old capture is set aside whole, not removed, until
    // the new one is in place: a failure puts it back as it was.
    if (settings_.force) {
        std::vector<std::string> old;
        for (const auto& entry : fs::directory_iterator(target_, ec)) {
            const std::string name = entry.path().filename().string();
            if (IsFrameFileName(name) || name == "music.wav") old.push_back(name);
        }
        if (ec) throw Failed("cannot list '" + target_.string() + "': " + ec.message());
        if (!old.empty())
            aside_ = fs::absolute(files::MakeTempFolder(target_.string(), "citadel-old")).lexically_normal();
        for (const std::string& name : old) {
            fs::rename(target_ / name, aside_ / name, ec);
            if (ec) throw Failed("cannot set the old capture aside in '" + target_.string() + "': " + ec.message());
            setAside_.push_back(name);
        }
    }
    for (const auto& entry : fs::directory_iterator(work_, ec)) {
        const std::string name = entry.path().filename().string();
        if (!files::RenameIfFree(entry.path().string(), (target_ / name).string()))
            throw Failed("'" + (target_ / name).string() + "' appeared while capturing; use --force to replace it");
        moved_.push_back(name);
    }
    if (ec) throw Failed("cannot list '" + work_.string() + "': " + ec.message());
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

void Capture::Discard() noexcept
{
    if (done_) return;
    if (progress_) std::fputc('\n', stderr);
    RemoveTemporaries();
    done_ = true;
}

void Capture::Unwritten(std::vector<std::string>& names) const
{
    if (!written_) names.push_back("'" + settings_.path + "'");
    if (!figuresPath_.empty() && !figuresWritten_) names.push_back("'" + figuresPath_ + "'");
}

void Capture::RemoveTemporaries() noexcept
{
    // The feed's thread may be stuck writing to an encoder that stopped
    // reading: the encoder goes first, and the thread with it.
    platform::EndProgram(encoder_);
    feed_.Stop();
    platform::KillProgram(encoder_);
    stopMusic_ = true;
    if (music_.joinable()) music_.join();
    std::error_code ec;
    if (!work_.empty()) fs::remove_all(work_, ec);
    if (!done_) {
        // A capture that fails halfway into its folder takes back what it
        // moved, and puts back the old capture it set aside.
        for (const std::string& name : moved_) fs::remove(target_ / name, ec);
        for (const std::string& name : setAside_) fs::rename(aside_ / name, target_ / name, ec);
        if (madeFolder_) fs::remove(target_, ec); // only while still empty
    }
    if (!aside_.empty()) {
        // After a failure only once empty: what could not be put back stays.
        if (done_)
            fs::remove_all(aside_, ec);
        else
            fs::remove(aside_, ec);
        aside_.clear();
        setAside_.clear();
    }
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
