// orbitfall-sim host and join: a networked game without windows. The frame
// timer runs on the process's event loop, the lobby goes to standard output,
// and scripted commands are issued between frames as mouse actions would be.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "control/frame_loop.h"
#include "control/lobby_beacon.h"
#include "control/lockstep_client.h"
#include "control/lockstep_host.h"
#include "control/start_check.h"
#include "infra/data_dirs.h"
#include "infra/language.h"
#include "infra/text_encoding.h"
#include "shell/lobby/map_list.h"
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

    // frames per second over the frames run, Lag as the caption shows it
    // (sampled after every frame), and the bytes on the wire.
    void PrintStats() const {
        const double seconds = framesExecuted_ > 1
            ? std::chrono::duration<double>(lastFrame_ - firstFrame_).count() : 0.0;
        std::vector<std::int32_t> lags = lags_;
        std::sort(lags.begin(), lags.end());
        const std::int32_t median = lags.empty() ? 0 : lags[lags.size() / 2];
        const std::int32_t most = lags.empty() ? 0 : lags.back();
        const TTcpAdapter& adapter = controller_->Adapter();
        std::printf("stats frames %lld seconds %.3f fps %.1f lag-median %d lag-max %d bytes-sent %llu "
                    "bytes-received %llu\n",
                    static_cast<long long>(framesExecuted_), seconds,
                    seconds > 0 ? (framesExecuted_ - 1) / seconds : 0.0, median, most,
                    static_cast<unsigned long long>(adapter.BytesSent),
                    static_cast<unsigned long long>(adapter.BytesReceived));
    }

private:
    void Tick() {
        if (Done() || loop_.InFrame()) return;
        TGame* game = controller_->GetGame();
        if (!game) return;
        while (nextScript_ < script_.size() && script_[nextScript_].Frame <= game->Frame)
            controller_->IssueCommand(script_[nextScript_++].Command);
        const std::int32_t frame = game->Frame;
        if (!loop_.DoTimer(*controller_)) return;
        lastFrame_ = std::chrono::steady_clock::now();
        if (framesExecuted_ == 1) firstFrame_ = lastFrame_;
        if (options_.Stats) lags_.push_back(controller_->Lag);
        if (frame == options_.NudgeAt) Nudge(*game);
        if (Done()) shell_.Terminate();
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
    std::chrono::steady_clock::time_point firstFrame_, lastFrame_;
    std::vector<std::int32_t> lags_;
    bool seedPrinted_ = false;
};

// Gives queued packets time to leave before the connections close.
void Drain(TConsoleShell& shell) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) shell.RunFor(std::chrono::milliseconds(10));
}

}  // namespace

int HostGame(const TSimOptions& o) {
    // A map that cannot take the players asked for is refused before anybody
    // is waited for; the controller asks again at the start, with the players
    // that came.
    CheckStartFits(o.Map, o.Clients + 1);
    TConsoleShell shell(o.Map);
    shell.SetFrameInterval(o.FrameMs);
    TNetworkSession session(shell, o);
    TLockstepHost controller(shell, o.Port);
    Controller = &controller;
    // Port 0 lets the system choose a free port; tools learn it from here.
    if (o.Port == 0) {
        std::printf("port %d\n", controller.Adapter().Port);
        std::fflush(stdout);
    }
    session.Attach(controller);
    if (o.Seed) controller.SeedOverride = *o.Seed;

    // Found by players looking for games while it waits for its clients
    // (players present: the host and the clients seated);
    // once the game starts it no longer answers.
    bool started = false;
    int startViews = -1;
    try {
        startViews = CountStartViews(ResolveFileName("maps\\" + o.Map + ".ofm"));
    } catch (const std::exception&) {
        // A name that cannot be a file: the game's set-up says so in words.
    }
    TLobbyBeacon beacon(shell.EventLoop(), controller.Adapter().Port, [&]() -> std::optional<TLobbyState> {
        if (started) return std::nullopt;
        return TLobbyState{static_cast<int>(controller.PlayerNames().size()) + 1, ToUtf8(o.Map), startViews};
    });

    // Seated clients only: a connection takes a seat once it has greeted.
    while (std::cmp_less(controller.PlayerNames().size(), o.Clients)) shell.RunFor(std::chrono::milliseconds(10));
    // Frames run on the timer while the host waits for its clients to be
    // ready; once the last one has run, the wait gives up too.
    started = true;
    controller.StartGame();
    while (!session.Done()) shell.RunFor(std::chrono::milliseconds(20));
    if (o.Stats) session.PrintStats();
    std::fflush(stdout);
    Drain(shell);
    Controller = nullptr;
    return session.Failed() ? 1 : 0;
}

int JoinGame(const TSimOptions& o) {
    TConsoleShell shell;
    TNetworkSession session(shell, o);
    TLockstepClient controller(shell, o.Host, o.Port);
    Controller = &controller;
    controller.FrameWait = std::chrono::milliseconds(o.WaitMs);
    session.Attach(controller);
    // A host that goes away while this client waits in its lobby is told
    // there, as the game's lobby does; in a game, the frame wait says it.
    controller.Adapter().OnDisconnect = [&shell, &controller](TNetworkadapter&) {
        if (!controller.GetGame() && controller.Refusal().empty() && controller.StartFailure().empty())
            shell.AddLobbyMessage(Translate("connectioninterrupted"));
    };
    // Refused by the host, or a start that failed here: the lobby said why.
    auto left = [&controller] {
        return !controller.Refusal().empty() ||
               (controller.Adapter().State != 2 && (!controller.StartFailure().empty() || !controller.GetGame()));
    };
    while (!session.Done() && !left()) shell.RunFor(std::chrono::milliseconds(20));
    controller.Adapter().OnDisconnect = nullptr;
    if (o.Stats) session.PrintStats();
    std::fflush(stdout);
    Controller = nullptr;
    return session.Failed() || left() ? 1 : 0;
}

}  // namespace orbitfall
