// Plays the show with the port around it, as main(), the benchmark and the
// page all do: the options applied to the platform, the window opened,
// start-up, the frame loop, and the video subsystem ended again.
#pragma once

#include "port/PortHooks.h"
#include "port/Script.h"
#include "port/ShowOptions.h"

#include <memory>
#include <string>

class KeyStorm;
class Player;
class StateLog;

// One run of the show. Natively the frame loop returns when the show is
// over; in a browser it returns at once and the browser runs one pass a
// display frame after main() has returned, so there the run is kept alive
// and ended when the platform reports the loop's end
// (platform::web::SetFrameLoopEnd).
class ShowRun {
public:
    // Applies the options to the platform and attaches the run's script
    // (state log, snapshots into snapshots, scripted keys, frame limit, key
    // storm) to hooks after whatever the caller attached.
    ShowRun(const ShowOptions& options, PortHooks& hooks, SnapshotSink snapshots);
    ~ShowRun();
    ShowRun(const ShowRun&) = delete;
    ShowRun& operator=(const ShowRun&) = delete;

    // Opens the window, runs start-up and enters the frame loop. A signal
    // ends the loop with platform::Interrupted, naming what the attachments
    // have not written; the state log's temporary file goes with the run.
    void Start();
    // After the frame loop: the window object gone, the state log closed,
    // the video subsystem ended.
    void End();
    // The run's player (pause, step, seek); none in a benchmark.
    Player* player() { return player_.get(); }

private:
    const ShowOptions& options_;
    PortHooks& hooks_;
    std::unique_ptr<StateLog> stateLog_;
    Script script_;
    std::unique_ptr<KeyStorm> storm_;
    std::unique_ptr<Player> player_;
    std::unique_ptr<glTemplate> form_;
};

// Runs the show to its end where the frame loop returns at the end (natively).
// Errors propagate as exceptions: a Runtime::Exit, a platform::VideoError,
// or any other std::exception for a run-time error.
void RunShow(const ShowOptions& options, PortHooks& hooks, SnapshotSink snapshots);

// Before anything starts: "" when the sixteen images are all in folder;
// otherwise one message naming every one that is missing, and the music
// module too when it is missing as well, and every one that cannot be
// reached (a folder on the way that may not be searched), with the reason.
// (The module alone missing is no error: the show then plays silently.)
std::string MissingShowFiles(const std::string& folder);
