#include "shell/lobby/fltk_shell.h"

#include <chrono>
#include <exception>
#include <thread>

#include <FL/Fl.H>

#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/text_encoding.h"
#include "shell/lobby/lobby_form.h"
#include "shell/lobby/message_box.h"
#include "simulation/game.h"

namespace orbitfall {

namespace {
constexpr double SocketPollSeconds = 0.001;
}

TFltkShell::TFltkShell(TMessageBox& messageBox) : messageBox_(messageBox) {
    Fl::add_timeout(SocketPollSeconds, PollSockets, this);
}

TFltkShell::~TFltkShell() {
    Fl::remove_timeout(PollSockets, this);
    DestroyLobby();
}

void TFltkShell::PollSockets(void* self) {
    auto* shell = static_cast<TFltkShell*>(self);
    Fl::repeat_timeout(SocketPollSeconds, PollSockets, self);
    try {
        shell->loop_.Poll();
    } catch (const std::exception& e) {
        shell->ApplicationException(e.what());
    }
}

void TFltkShell::ApplicationException(const std::string& message) {
    Log("Except", 5, message);
    messageBox_.ShowError(message);
}

void TFltkShell::CreateGameWindow(TGame& game) {
    if (!OnCreateGameWindow) throw Exception("No game window");
    OnCreateGameWindow(game);
    gameWindowOpen_ = true;
}

void TFltkShell::SetFrameInterval(int milliseconds) {
    if (OnSetFrameInterval) OnSetFrameInterval(milliseconds);
}

void TFltkShell::CreateLobby(bool startEnabled) {
    lobby_ = std::make_unique<Tlobbyform>(
        messageBox_,
        [this] {
            if (OnStartGame) OnStartGame();
        },
        [this] { lobbyClosed_ = true; });
    if (startEnabled) lobby_->Start->activate();
    else lobby_->Start->deactivate();
    lobby_->show();
}

void TFltkShell::ShowLobby(bool visible) {
    if (!lobby_) return;
    if (visible) {
        gameWindowOpen_ = false;
        lobby_->show();
    } else {
        lobby_->hide();
    }
}

void TFltkShell::AddLobbyMessage(const std::string& text) {
    Log("Status", 4, "Lobby: " + text);
    if (!lobby_) return;
    lobby_->AddMessage(ToUtf8(text));
    // A client's start that failed leaves no game window: the lobby, hidden
    // for the start, must not stay hidden with the message in it.
    if (!gameWindowOpen_ && !lobby_->shown() && !lobbyClosed_) lobby_->show();
}

std::string TFltkShell::SelectedMap() { return lobby_ ? lobby_->SelectedMapName() : ""; }

void TFltkShell::ProcessMessages() {
    Fl::check();
    loop_.Poll();
}

void TFltkShell::Sleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::uint32_t TFltkShell::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TFltkShell::ShowError(const std::string& message) { messageBox_.ShowError(message); }

void TFltkShell::RunMessageLoop() {
    while (lobby_ && !lobbyClosed_) {
        try {
            Fl::wait(0.01);
        } catch (const std::exception& e) {
            ApplicationException(e.what());
        }
    }
}

void TFltkShell::DestroyLobby() { lobby_.reset(); }

}  // namespace orbitfall
