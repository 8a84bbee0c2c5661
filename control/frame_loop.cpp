#include "control/frame_loop.h"

#include <exception>
#include <string>

#include "control/controller.h"
#include "control/shell_link.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "simulation/game.h"

namespace orbitfall {

bool TFrameLoop::DoTimer(TController& controller, TFrameView* view, bool draw) {
    if (inFrame_) return false;
    inFrame_ = true;
    struct TOnStack {
        TController& controller;
        explicit TOnStack(TController& c) : controller(c) { controller.EnterFrame(); }
        ~TOnStack() { controller.LeaveFrame(); }
    } onStack{controller};
    try {
        RunFrame(controller, view, draw);
    } catch (const EFrameAbandoned&) {
        // Not an error: the frame gave way, the next one runs as usual.
        inFrame_ = false;
        return false;
    } catch (const std::exception& e) {
        // inFrame_ stays set: the game stands still after any error.
        stopped_ = true;
        if (view) view->StopTimer();
        try {
            // One log line per error: a second line of the message (where a
            // desync's world was written) follows after "; ".
            std::string text = e.what();
            for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
                text.replace(at, 1, "; ");
            Log("Except", 5, text);
        } catch (const std::exception&) {
            // A log that cannot be written must not hide the error itself.
        }
        controller.Shell().ShowError(e.what());
        return false;
    }
    inFrame_ = false;
    return true;
}

void TFrameLoop::RunFrame(TController& controller, TFrameView* view, bool draw) {
    TGame& game = controller.RequireGame();
    // The camera is the view's: it moves with the pictures, not with the
    // frames played between them.
    if (view && draw) view->ScrollCamera();
    LogContext = "Timer";
    Log("Status", 4, "Beginning Frame " + std::to_string(game.Frame));
    TShellLink& shell = controller.Shell();
    const std::uint32_t t0 = shell.TickCount();
    LogContext = "ExecuteCommands";
    controller.ExecuteCommands();
    LogContext = "game.move";
    game.Move();
    LogContext = "game.dead";
    game.Dead();
    const std::uint32_t t1 = shell.TickCount();
    if (view && draw) {
        LogContext = "Render";
        view->Render();
        view->ShowTimings(t1 - t0, shell.TickCount() - t1);
    }
    LogContext = "Timer finished";
    game.Frame = CheckedAdd<std::int32_t>(game.Frame, 1);
}

}  // namespace orbitfall
