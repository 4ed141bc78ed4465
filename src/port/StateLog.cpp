#include "port/StateLog.h"

#include "gl/BasicGL.h"
#include "runtime/Runtime.h"

#include <charconv>

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

void StateLog::Open()
{
    try {
        output_ = std::make_unique<files::Output>(path_);
    } catch (const files::Error& e) {
        Fail(path_, e.reason);
    }
}

void StateLog::BeforeDrawing(const Frame& frame)
{
    using namespace BasicGL;
    if (output_ == nullptr) {
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
    if (closed_) return;
    // A device or a pipe has had the rows so far: only the rest is missing.
    names.push_back((output_ != nullptr && output_->Direct() ? "the rest of '" : "'") + path_ + "'");
}

void StateLog::Flush()
{
    try {
        output_->Write(buffer_.data(), buffer_.size());
    } catch (const files::Error& e) {
        Fail(path_, e.reason);
    }
    buffer_.clear();
}

void StateLog::Close()
{
    if (output_ == nullptr) return;
    Flush();
    try {
        output_->Commit();
    } catch (const files::Error& e) {
        Fail(path_, e.reason);
    }
    output_.reset();
    closed_ = true;
}
