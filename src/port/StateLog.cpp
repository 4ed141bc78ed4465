#include "port/StateLog.h"

#include "gl/BasicGL.h"
#include "runtime/Runtime.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace {

void AppendNumber(std::string& line, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    line.append(text, result.ptr);
}

[[noreturn]] void Fail(const std::string& path, const std::string& reason)
{
    throw Runtime::RuntimeError("Cannot write the state log '" + path + "': " + reason);
}

} // namespace

StateLog::~StateLog()
{
    if (stream_ != nullptr) std::fclose(stream_);
}

void StateLog::Open()
{
    std::error_code ec;
    const auto status = std::filesystem::status(path_, ec);
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) {
        try {
            file_ = std::make_unique<files::TempFile>(path_);
        } catch (const files::Error& e) {
            Fail(path_, e.reason);
        }
        return;
    }
    stream_ = std::fopen(path_.c_str(), "w");
    if (stream_ == nullptr) Fail(path_, files::Reason(errno));
}

void StateLog::BeforeDrawing(const Frame& frame)
{
    using namespace BasicGL;
    if (file_ == nullptr && stream_ == nullptr) {
        Open();
        buffer_ = "frame,phase,CamX,CamY,CamZ,CamYaw,CamPitch,EndRequested,TitlesActive,SceneActive,"
                  "InterludeActive,TurnCount,OrbitStep,FinalStep,TitleFrame,InterludeFrame\n";
    }
    const glTemplate& f = frame.form;
    buffer_ += std::to_string(frame.number);
    buffer_ += ',';
    buffer_ += frame.phase;
    for (double value : {CamX, CamY, CamZ, CamYaw, CamPitch}) {
        buffer_ += ',';
        AppendNumber(buffer_, value);
    }
    for (int value : {int{f.EndRequested}, int{f.TitlesActive}, int{f.SceneActive}, int{f.InterludeActive},
                      int{f.TurnCount}, int{f.OrbitStep}, int{f.FinalStep}, int{f.TitleFrame}, int{f.InterludeFrame}}) {
        buffer_ += ',';
        buffer_ += std::to_string(value);
    }
    buffer_ += '\n';
    if (buffer_.size() >= 64 * 1024) Flush();
}

void StateLog::Unwritten(std::vector<std::string>& names) const
{
    if (!closed_) names.push_back("'" + path_ + "'");
}

void StateLog::Flush()
{
    try {
        if (file_) file_->Write(buffer_.data(), buffer_.size());
    } catch (const files::Error& e) {
        Fail(path_, e.reason);
    }
    if (stream_ != nullptr &&
        (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size() || std::fflush(stream_) != 0))
        Fail(path_, files::Reason(errno));
    buffer_.clear();
}

void StateLog::Close()
{
    if (file_ == nullptr && stream_ == nullptr) return;
    Flush();
    if (file_) {
        try {
            file_->Replace();
        } catch (const files::Error& e) {
            Fail(path_, e.reason);
        }
        file_.reset();
        closed_ = true;
        return;
    }
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!closed) Fail(path_, files::Reason(errno));
    closed_ = true;
}
