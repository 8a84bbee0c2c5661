#include "shell/lobby/network_mode.h"

#include <memory>

#include "control/host_list.h"
#include "control/tcp_controller.h"
#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "shell/game/game_options.h"
#include "shell/lobby/fltk_shell.h"
#include "shell/lobby/host_text.h"
#include "shell/lobby/message_box.h"
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
            controller = std::make_unique<TTcpController>(shell, address.Name, address.Port);
            if (!address.Name.empty()) RememberJoinedHost(UserDir(), text);
        } catch (const Exception& e) {
            controller.reset();
            // A lobby made before the failure (none is today) must not stay.
            shell.DestroyLobby();
            messageBox.ShowError(e.Message());
        }
    }
    return controller;
}

}  // namespace

int RunNetworkMode(const TGameOptions& options) {
    TFltkMessageBox messageBox;
    return RunNetworkMode(options, messageBox);
}

int RunNetworkMode(const TGameOptions& options, TMessageBox& messageBox) {
    TFltkShell shell(messageBox);
    std::unique_ptr<TTcpController> controller = SelectServer(shell, messageBox, options.Port);
    if (!controller) return 0;
    Controller = controller.get();
    TTcpController& tcp = *controller;
    Log("Network", 4, tcp.IsServer() ? "Hosting on port " + std::to_string(tcp.Adapter().Port)
                                     : std::string("Joined"));
    shell.OnStartGame = [&tcp] { tcp.StartGame(); };
    // A client whose host goes away while it waits in the lobby learns of it
    // there; in a game, the frame wait reports the same text.
    if (!tcp.IsServer())
        tcp.Adapter().OnDisconnect = [&shell, &tcp](TNetworkadapter&) {
            if (!shell.GameWindowOpen()) shell.AddLobbyMessage(Translate("connectioninterrupted"));
        };

    shell.RunMessageLoop();

    // Tear-down in reverse order: the controller (with the game and the
    // replay file), then the lobby; the shell's loop goes last.
    tcp.Adapter().OnDisconnect = nullptr;
    shell.OnStartGame = nullptr;
    Controller = nullptr;
    controller.reset();
    shell.DestroyLobby();
    return 0;
}

}  // namespace orbitfall
