// orbitfall-sim host and join: a networked game without windows. The frame
// timer runs on the process's event loop, the lobby goes to standard output,
// and scripted commands are issued between frames as mouse actions would be.
#include <chrono>
#include <cstdio>
#include <vector>

#include "control/frame_loop.h"
#include "control/tcp_controller.h"
#include "shell/sim/console_shell.h"
#include "shell/sim/script.h"
#include "shell/sim/sim_commands.h"
#include "simulation/controlled_unit.h"
#include "simulation/game.h"

namespace orbitfall {
namespace {

// What host and client share: the frame timer's work and the frame count.
class TNetworkSession {
public:
    TNetworkSession(TConsoleShell& shell, const TSimOptions& o) : shell_(shell), options_(o) {
        if (!o.Script.empty()) script_ = LoadScript(o.Script, false);
    }

    void Attach(TTcpController& controller) {
        controller_ = &controller;
        controller.OnFrameStart = [this](const TFrameHeader& header) {
            if (!seedPrinted_) {
                std::printf("seed %u\n", static_cast<std::uint32_t>(controller_->StartInfo().RandomSeed));
                seedPrinted_ = true;
            }
            std::printf("frame %d checksum %08x\n", header.Frame, header.Checksum);
            ++framesExecuted_;
        };
        shell_.OnFrameTimer = [this] { Tick(); };
    }

    bool Done() const {
        return loop_.Stopped() || (options_.Frames >= 0 && framesExecuted_ >= options_.Frames);
    }
    bool Failed() const { return loop_.Stopped(); }

private:
    void Tick() {
        if (Done() || loop_.InFrame()) return;
        TGame* game = controller_->GetGame();
        if (!game) return;
        while (nextScript_ < script_.size() && script_[nextScript_].Frame <= game->Frame)
            controller_->IssueCommand(script_[nextScript_++].Command);
        const std::int32_t frame = game->Frame;
        if (loop_.DoTimer(*controller_) && frame == options_.NudgeAt) Nudge(*game);
        if (Done()) shell_.StopFrameTimer();
    }

    // Test aid: one unit moved by a hair, as a faulty machine would.
    static void Nudge(TGame& game) {
        for (int i = 0; i < game.Engine->ChildCount(); ++i)
            if (auto* unit = dynamic_cast<TControlledUnit*>(&game.Engine->GetChild(i))) {
                unit->X += 0.001f;
                return;
            }
    }

    TConsoleShell& shell_;
    const TSimOptions& options_;
    TTcpController* controller_ = nullptr;
    TFrameLoop loop_;
    std::vector<TScriptCommand> script_;
    std::size_t nextScript_ = 0;
    std::int64_t framesExecuted_ = 0;
    bool seedPrinted_ = false;
};

// Gives queued packets time to leave before the connections close.
void Drain(TConsoleShell& shell) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) shell.RunFor(std::chrono::milliseconds(10));
}

}  // namespace

int HostGame(const TSimOptions& o) {
    TConsoleShell shell(o.Map);
    shell.SetFrameInterval(o.FrameMs);
    TNetworkSession session(shell, o);
    TTcpController controller(shell, "", o.Port);
    Controller = &controller;
    // Port 0 lets the system choose a free port; tools learn it from here.
    if (o.Port == 0) {
        std::printf("port %d\n", controller.Adapter().Port);
        std::fflush(stdout);
    }
    session.Attach(controller);
    if (o.Seed) controller.SeedOverride = *o.Seed;

    while (controller.Adapter().ClientCount() < o.Clients) shell.RunFor(std::chrono::milliseconds(10));
    controller.StartGame();
    while (!session.Done()) shell.RunFor(std::chrono::milliseconds(20));
    std::fflush(stdout);
    Drain(shell);
    Controller = nullptr;
    return session.Failed() ? 1 : 0;
}

int JoinGame(const TSimOptions& o) {
    TConsoleShell shell;
    TNetworkSession session(shell, o);
    TTcpController controller(shell, o.Host, o.Port);
    Controller = &controller;
    controller.FrameWait = std::chrono::milliseconds(o.WaitMs);
    session.Attach(controller);
    while (!session.Done()) shell.RunFor(std::chrono::milliseconds(20));
    std::fflush(stdout);
    Controller = nullptr;
    return session.Failed() ? 1 : 0;
}

}  // namespace orbitfall
