#include "shell/lobby/network_mode.h"

#include <chrono>
#include <fstream>
#include <memory>

#include "control/host_list.h"
#include "control/tcp_controller.h"
#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "shell/game/game_options.h"
#include "shell/game/replay_mode.h"
#include "shell/lobby/fltk_shell.h"
#include "shell/lobby/host_text.h"
#include "platform/message_box.h"
#include "shell/lobby/server_form.h"
#include "simulation/game.h"

namespace orbitfall {
namespace {

// The server selection loop: the window until a controller exists or the
// user closes it. A failed attempt shows its error and the window again,
// with the host text that failed still in it.
std::unique_ptr<TTcpController> SelectServer(TFltkShell& shell, TMessageBox& messageBox, int port) {
    std::unique_ptr<TTcpController> controller;
    Tserverform serverform;
    while (!controller) {
        if (!serverform.ShowModal()) break;
        const std::string text = serverform.HostText();
        Log("Network", 4, text.empty() ? std::string("Opening a game") : "Joining " + text);
        try {
            const THostAddress address = ParseHostText(text, port);
            controller = TTcpController::Create(shell, address.Name, address.Port);
            if (!address.Name.empty()) RememberJoinedHost(UserDir(), text);
        } catch (const Exception& e) {
            controller.reset();
            messageBox.ShowError(e.Message());
        }
    }
    return controller;
}

long long WallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The measuring aid of --order-trace: "order <ms> <frame>" for each move
// order the mouse gives, "frame <frame> <ms>" when each frame's commands are
// about to take effect; wall-clock milliseconds, so that a script can set
// them against the moments it clicked.
void TraceOrders(TFltkShell& shell, TTcpController& controller, std::ofstream& trace) {
    shell.OnIssue = [&trace](const TCommand& command) {
        if (command.Kind != ckMove || !Game) return;
        trace << "order " << WallClockMs() << ' ' << Game->Frame << '\n' << std::flush;
    };
    controller.OnFrameStart = [&trace](const TFrameHeader& header) {
        trace << "frame " << header.Frame << ' ' << WallClockMs() << '\n';
    };
}

}  // namespace

int RunNetworkMode(const TGameOptions& options) {
    TFltkMessageBox messageBox;
    return RunNetworkMode(options, messageBox);
}

int RunNetworkMode(const TGameOptions& options, TMessageBox& messageBox) {
    TFltkShell shell(FormSettingsFor(options), messageBox);
    std::unique_ptr<TTcpController> controller = SelectServer(shell, messageBox, options.Port);
    if (!controller) return 0;
    Controller = controller.get();
    TTcpController& tcp = *controller;
    Log("Network", 4, tcp.IsServer() ? "Hosting on port " + std::to_string(tcp.Adapter().Port)
                                     : std::string("Joined"));
    shell.OnStartGame = [&tcp] { tcp.StartGame(); };
    std::ofstream trace;
    if (!options.OrderTrace.empty()) {
        trace.open(options.OrderTrace);
        TraceOrders(shell, tcp, trace);
    }
    // A client whose host goes away while it waits in the lobby learns of it
    // there; in a game, the frame wait reports the same text.
    if (!tcp.IsServer())
        tcp.Adapter().OnDisconnect = [&shell, &tcp](TNetworkadapter&) {
            if (!shell.GameWindowOpen()) shell.AddLobbyMessage(Translate("connectioninterrupted"));
        };

    shell.RunMessageLoop();

    // Tear-down in reverse order: the windows (the game window before the
    // game it draws), the controller with the game and the replay file; the
    // shell's socket loop goes last.
    tcp.Adapter().OnDisconnect = nullptr;
    tcp.OnFrameStart = nullptr;
    shell.OnStartGame = nullptr;
    shell.OnIssue = nullptr;
    // The game window goes before the game it draws.
    shell.DestroyWindows();
    Controller = nullptr;
    controller.reset();
    return 0;
}

}  // namespace orbitfall
