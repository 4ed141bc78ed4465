// Rendering the show to a video (through the ffmpeg program) or to a folder
// of PNG files, one picture per presented frame, kkapture-style: the show's
// time advances one frame per video frame however long a frame takes to
// draw. The music is rendered offline and lined up with the frame clock
// sample for sample: frame k starts at k / fps seconds.
//
// Nothing appears under the requested name until the capture is complete:
// everything is written in a folder of our own (made exclusively, mode 0700)
// beside the target, or inside the target folder, and renamed last. ffmpeg
// only ever gets absolute file: names in that folder, which we made first.
#pragma once

#include "platform/Process.h"
#include "port/CaptureOptions.h"
#include "port/PortHooks.h"
#include "port/ShowOptions.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The pipe to the encoder, written from a thread of its own: the show's
// loop hands a frame over and draws the next while the encoder takes the one
// before. Frames wait in at most Slots buffers; with all of them taken the
// loop waits for one, so memory stays bounded however slow the encoder. Every
// wait heeds an interrupt, and so does the write (platform::WriteToProgram).
class EncoderFeed {
public:
    static constexpr std::size_t Slots = 3;
    EncoderFeed() = default;
    ~EncoderFeed() { Stop(); }
    EncoderFeed(const EncoderFeed&) = delete;
    EncoderFeed& operator=(const EncoderFeed&) = delete;

    // Starts the thread writing to child, which must outlive it (see Stop).
    void Start(platform::ChildProgram& child);
    // A free buffer to fill, waiting for one; nullptr once a write failed or
    // an interrupt came.
    std::vector<std::uint8_t>* Free();
    // Queues the buffer Free gave, to be written in turn.
    void Hand(std::vector<std::uint8_t>* frame);
    // Waits until every frame handed over is written: false when a write
    // failed or an interrupt came.
    bool Drain();
    // Ends the thread, dropping what is still queued. A write under way ends
    // only when the child reads, dies (platform::EndProgram) or an interrupt
    // comes.
    void Stop() noexcept;

private:
    void Write();
    // Waits until done() holds or an interrupt comes; lock is held.
    template <typename Done>
    bool WaitFor(std::unique_lock<std::mutex>& lock, Done done);

    platform::ChildProgram* child_ = nullptr;
    std::array<std::vector<std::uint8_t>, Slots> slots_;
    std::deque<std::vector<std::uint8_t>*> free_, ready_; // ready_.front() is being written
    std::mutex mutex_;
    std::condition_variable changed_;
    bool failed_ = false, stopping_ = false;
    std::thread thread_;
};

// Sound sample frames before video frame `frame` (counted from 0) at fps:
// floor(frame * 48000 / fps), exact for every frame, so nothing drifts.
std::uint64_t SamplesBefore(std::uint64_t frame, int fps);

// A capture under way. Whatever goes wrong in it, it stops the encoder,
// removes every temporary file, says so on stderr and ends the program with
// Runtime::Exit (status 1). A signal (Ctrl+C, SIGTERM or SIGHUP, in whatever
// step it comes) does the same but quietly, with platform::Interrupted, for
// main to say in one line what the run did not write.
class Capture final : public Attachment {
public:
    explicit Capture(const ShowOptions& options);
    ~Capture() override;
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Before start-up: refuses to replace what is there without --force,
    // finds ffmpeg. (main catches the signals before this.)
    void Prepare();
    // Takes the virtual screen after each presented frame.
    void Presented(const Frame& frame) override;
    // After the last frame: the final file, the rename, the figures (printed,
    // and with --benchmark-json written as JSON).
    void Finish(int frames);
    // Stops the encoder, removes every temporary file and says so; for an
    // error that ends the program elsewhere.
    void Abort(const std::string& why) noexcept;
    // The same, quietly: for a signal, which main reports.
    void Discard() noexcept;
    // Its file or folder until the capture is complete.
    void Unwritten(std::vector<std::string>& names) const override;

private:
    // Why a capture cannot go on, and the exit status that says so.
    class Failed : public std::runtime_error {
    public:
        explicit Failed(const std::string& why, int status = 1) : std::runtime_error(why), status(status) {}
        int status;
    };
    // Runs step; a failure aborts the capture and ends the program.
    template <typename Step>
    void Guarded(Step&& step);
    void PrepareFiles();
    void TakeFrame(int frame);
    // Reads the picture of frame (the oldest queued read, or the screen now)
    // and hands it on: to the encoder, or to its PNG file.
    void Deliver(int frame, bool queued);
    void DeliverQueued();
    void DeliverAllQueued();
    void FinishFiles(int frames);
    void PrepareVideo();
    void PrepareFolder();
    void StartEncoder();
    // The feed stopped taking frames: the interrupt, or the encoder's end, thrown.
    [[noreturn]] void EncoderStopped();
    void WriteWav(const std::filesystem::path& path, int frames);
    // The music thread's work: the video's sound track, any failure kept
    // for JoinMusic.
    void RenderTrack() noexcept;
    // Waits for the sound track; its failure thrown.
    void JoinMusic();
    void FinishVideo(int frames);
    void CheckVideo(int frames) const;
    void FinishFolder(int frames);
    void ShowProgress(int frame, bool last);
    void RemoveTemporaries() noexcept;
    std::vector<std::string> EncoderArguments() const;
    // With --benchmark-json: the figures FinishFiles gathered, as JSON.
    void WriteFigures();

    CaptureSettings settings_;
    CaptureKind kind_ = CaptureKind::Video;
    platform::ScaleFilter filter_;
    int volume_;
    int first_; // the show's frame that is the capture's first (--start)
    int plannedFrames_;
    std::filesystem::path target_;
    std::filesystem::path work_;      // our own folder: every file until the end, absolute
    std::filesystem::path finalTemp_; // the complete file, renamed to the target last
    std::filesystem::path wavTemp_;
    std::string ffmpeg_;
    platform::ChildProgram encoder_;
    EncoderFeed feed_; // after encoder_, which it writes to: destroyed first
    // A video's sound track, rendered from Prepare on beside the show's
    // start-up; stopped early (stopMusic_) when the capture is abandoned.
    struct MusicStopped {};
    std::thread music_;
    std::atomic<bool> stopMusic_{false};
    std::exception_ptr musicError_;
    bool started_ = false;
    bool madeFolder_ = false;           // folder captures: the folder is ours to remove again
    std::vector<std::string> moved_;    // folder captures: names already moved into the target
    std::filesystem::path aside_;       // folder captures with --force: the old capture, until the new one is in
    std::vector<std::string> setAside_; // names moved there, to be put back if the capture fails
    bool done_ = false;
    bool written_ = false; // the capture is complete under its name
    bool progress_ = false;
    std::vector<std::uint8_t> screen_, scaled_;
    std::deque<int> queued_; // frames whose pictures are on their way back, oldest first
    std::chrono::steady_clock::time_point startTime_, lastProgress_;
    // Where the wall time went, from the first frame on: drawing the show
    // (between two frames taken), reading the picture back (and scaling it),
    // and waiting for a free buffer for the encoder (or writing the PNG file).
    std::chrono::steady_clock::time_point lastTaken_;
    std::chrono::steady_clock::duration render_{}, readback_{}, encodeWait_{}, musicWait_{};

    std::string figuresPath_;                             // --benchmark-json, or empty
    std::vector<std::pair<std::string, double>> figures_; // bench::Figures, gathered at the end
    bool figuresWritten_ = false;
};
