// The state log: one CSV line a frame with the camera and the show state the
// frame starts from. Columns: frame, phase, CamX, CamY, CamZ, CamYaw,
// CamPitch, then EndRequested, TitlesActive, SceneActive, InterludeActive
// (Booleans: -1 true, 0 false), TurnCount, OrbitStep, FinalStep, TitleFrame,
// InterludeFrame.
#pragma once

#include "port/PortHooks.h"

#include <cstdio>
#include <string>

class StateLog final : public Attachment {
public:
    // The file is made when the first frame begins (a show that fails to
    // start leaves none); a run-time error naming the file and the reason
    // when it cannot be written.
    explicit StateLog(const std::string& path) : path_(path) {}
    ~StateLog() override;
    StateLog(const StateLog&) = delete;
    StateLog& operator=(const StateLog&) = delete;

    void BeforeDrawing(const Frame& frame) override;
    // Writes out what is buffered and closes the file; a run-time error when
    // any write failed.
    void Close();

private:
    void Write(const std::string& text);

    std::string path_;
    std::FILE* file_ = nullptr;
};
