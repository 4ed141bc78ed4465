// The state log: one CSV line a frame with the camera and the show state the
// frame starts from. Columns: frame, phase, CamX, CamY, CamZ, CamYaw,
// CamPitch, then EndRequested, TitlesActive, SceneActive, InterludeActive
// (Booleans: -1 true, 0 false), TurnCount, OrbitStep, FinalStep, TitleFrame,
// InterludeFrame.
#pragma once

#include "files/Files.h"
#include "port/PortHooks.h"

#include <memory>
#include <string>
#include <vector>

class StateLog final : public Attachment {
public:
    // The file is made when the first frame begins (a show that fails to
    // start leaves none). It is written as files::Output writes: a file
    // under a temporary name, renamed when the log is closed, so a run that
    // fails leaves no half log; a pipe, a device or "-" (standard output)
    // directly. Any write that fails is a run-time error naming the file and
    // the reason.
    explicit StateLog(const std::string& path) : path_(path) {}
    StateLog(const StateLog&) = delete;
    StateLog& operator=(const StateLog&) = delete;

    void BeforeDrawing(const Frame& frame) override;
    // Its file until Close has given it its name.
    void Unwritten(std::vector<std::string>& names) const override;
    // Writes out what is buffered and gives the file its name (or closes the
    // stream); a run-time error when that fails.
    void Close();

private:
    void Open();
    void Flush();

    std::string path_;
    std::string buffer_;
    std::unique_ptr<files::Output> output_;
    bool closed_ = false;
};
