#pragma once
// The controller turns player actions into commands and feeds them to the
// simulation frame by frame, so that every machine applies the same commands
// in the same frame and order. The base class records every executed frame
// header and command into the replay file.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "control/frame_header.h"
#include "control/start_info.h"
#include "infra/errors.h"
#include "simulation/command.h"

namespace orbitfall {

class TFileStream;
class TGame;
class TShellLink;

// Raised by ExecuteCommands when the frame has to end at once, without an
// error: something that must not happen while a frame uses the game (a new
// game replacing it) is waiting for the frame to unwind.
class EFrameAbandoned : public Exception {
public:
    EFrameAbandoned() : Exception("Frame abandoned") {}
};

class TController {
public:
    explicit TController(TShellLink& shell);
    // Frees the game (and clears Game), then closes the replay file.
    virtual ~TController();
    TController(const TController&) = delete;
    TController& operator=(const TController&) = delete;

    bool Recording = true;
    TFrameHeader FrameHeader;

    // Applies one command to the game, then records it.
    virtual void ExecuteCommand(const TCommand& command);
    // Opens the replay file (and its start record) and creates the game window.
    virtual void StartGame();
    // Base part: records the frame header. Subclasses run one frame.
    virtual void ExecuteCommands();
    virtual void IssueCommand(TCommand command) = 0;

    TGame* GetGame() const { return game_.get(); }
    // The start record of the running game as this machine used it.
    const TStartInfo& StartInfo() const { return StartRecord; }
    // The running game; an Exception when none has been started.
    TGame& RequireGame() const;
    TShellLink& Shell() const { return shell_; }

    // Called with every frame's header right before its commands execute:
    // the point at which the header's checksum describes the world.
    std::function<void(const TFrameHeader&)> OnFrameStart;

    // The frame loop brackets each frame with these, its error box included:
    // a box runs a loop of its own, and nothing that loop dispatches may free
    // what the frame (or the window whose timer runs it) still uses.
    void EnterFrame() { ++framesOnStack_; }
    void LeaveFrame();
    bool FrameOnStack() const { return framesOnStack_ > 0; }

protected:
    // The last frame on the stack has returned: what waited for it may run.
    virtual void FrameReturned() {}
    // Ends the previous game, if any (its replay closed; the game itself is
    // kept until StartGame has shown the new one, and comes back when that
    // start fails), and makes a new one from the start record. The record is
    // what StartGame writes beside the replay.
    void CreateGame(const TStartInfo& info);
    TStartInfo StartRecord;

private:
    TShellLink& shell_;
    std::unique_ptr<TGame> game_;
    // The game shown before the one being started, until the new one has its
    // window.
    std::unique_ptr<TGame> previousGame_;
    std::unique_ptr<TFileStream> replay_;
    int framesOnStack_ = 0;
};

// The process-wide controller of the run and the game it owns. Set by the
// program's entry and by the controller; code that can take its game as a
// parameter should.
extern TController* Controller;
extern TGame* Game;

}  // namespace orbitfall
