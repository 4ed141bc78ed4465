#include "port/StateLog.h"

#include "gl/BasicGL.h"
#include "runtime/Runtime.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

void AppendNumber(std::string& line, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    line.append(text, result.ptr);
}

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw Runtime::RuntimeError("Cannot write the state log '" + path + "': " + std::strerror(error));
}

} // namespace

StateLog::~StateLog()
{
    if (file_ != nullptr) std::fclose(file_);
}

void StateLog::BeforeDrawing(const Frame& frame)
{
    using namespace BasicGL;
    if (file_ == nullptr) {
        file_ = std::fopen(path_.c_str(), "w");
        if (file_ == nullptr) Fail(path_, errno);
        Write("frame,phase,CamX,CamY,CamZ,CamYaw,CamPitch,EndRequested,TitlesActive,SceneActive,"
              "InterludeActive,TurnCount,OrbitStep,FinalStep,TitleFrame,InterludeFrame\n");
    }
    const glTemplate& f = frame.form;
    std::string line = std::to_string(frame.number);
    line += ',';
    line += frame.phase;
    for (double value : {CamX, CamY, CamZ, CamYaw, CamPitch}) {
        line += ',';
        AppendNumber(line, value);
    }
    for (int value : {int{f.EndRequested}, int{f.TitlesActive}, int{f.SceneActive}, int{f.InterludeActive},
                      int{f.TurnCount}, int{f.OrbitStep}, int{f.FinalStep}, int{f.TitleFrame}, int{f.InterludeFrame}}) {
        line += ',';
        line += std::to_string(value);
    }
    line += '\n';
    Write(line);
}

void StateLog::Write(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) Fail(path_, errno);
}

void StateLog::Close()
{
    if (file_ == nullptr) return;
    const bool flushed = std::fflush(file_) == 0;
    const int error = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) Fail(path_, flushed ? errno : error);
}
