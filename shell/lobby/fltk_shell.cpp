#include "shell/lobby/fltk_shell.h"

#include <exception>

#include <FL/Fl.H>

#include "control/controller.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/text_encoding.h"
#include "shell/game/form_input_target.h"
#include "shell/game/game_input.h"
#include "shell/lobby/lobby_form.h"
#include "platform/message_box.h"

namespace orbitfall {

TFltkShell::TFltkShell(TFormSettings settings, TMessageBox& messageBox)
    : TWindowShell(std::move(settings)), messageBox_(messageBox) {
    ErrorBox = [this](const std::string& message) { messageBox_.ShowError(message); };
}

TFltkShell::~TFltkShell() { DestroyWindows(); }

void TFltkShell::ApplicationException(const std::string& message) {
    try {
        Log("Except", 5, message);
    } catch (const std::exception&) {
        // The error itself must still be shown.
    }
    messageBox_.ShowError(message);
}

void TFltkShell::CreateGameWindow(TGame& game) {
    // The previous game's input goes with its window.
    if (Form()) Form()->SetInput(nullptr);
    input_.reset();
    inputTarget_.reset();
    TWindowShell::CreateGameWindow(game);
    TForm1& form = *Form();
    inputTarget_ = std::make_unique<TFormInputTarget>(form);
    input_ = std::make_unique<TGameInput>(*inputTarget_, form.ViewState(), form.Controller(), game);
    input_->OnIssue = [this](const TCommand& c) {
        if (OnIssue) OnIssue(c);
    };
    form.SetInput(input_.get());
}

bool TFltkShell::Terminated() {
    return lobbyClosed_ || TWindowShell::Terminated() || (Form() && Form()->Closed());
}

void TFltkShell::ShowError(const std::string& message) {
    if (Form() && Form()->Closed()) {
        Log("Status", 4, "After the game window closed: " + message);
        return;
    }
    TWindowShell::ShowError(message);
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
    // The game window closing at the end of the run brings nothing back.
    if (!lobby_ || lobbyClosed_) return;
    if (visible) lobby_->show();
    else lobby_->hide();
}

void TFltkShell::AddLobbyMessage(const std::string& text) {
    Log("Status", 4, "Lobby: " + text);
    if (!lobby_) return;
    lobby_->AddMessage(ToUtf8(text));
    // A client's start that failed leaves no game window: the lobby, hidden
    // for the start, must not stay hidden with the message in it.
    if (!GameWindowOpen() && !lobby_->shown() && !lobbyClosed_) lobby_->show();
}

void TFltkShell::RepeatLobbyMessage(const std::string& text, int count) {
    // Logged only at powers of two: a flood must not flood the log as well.
    if ((count & (count - 1)) == 0) Log("Status", 4, "Lobby: " + text + " (" + std::to_string(count) + " times)");
    if (!lobby_) return;
    lobby_->ReplaceLastMessage(RepeatedMessageLine(ToUtf8(text), count));
}

std::string TFltkShell::SelectedMap() { return lobby_ ? lobby_->SelectedMapName() : ""; }

void TFltkShell::RunMessageLoop() {
    while (lobby_ && !lobbyClosed_) {
        try {
            Fl::wait(0.01);
        } catch (const std::exception& e) {
            if (GameWindowOpen()) Form()->ExceptionHandler(e);
            else ApplicationException(e.what());
        }
        // A closed game window is freed here, once no frame of it runs.
        if (Form() && Form()->Closed()) {
            Form()->SetInput(nullptr);
            ReleaseClosedForm();
            if (!Form()) {
                input_.reset();
                inputTarget_.reset();
            }
        }
    }
}

void TFltkShell::DestroyWindows() {
    lobbyClosed_ = true;
    if (Form()) {
        Form()->SetInput(nullptr);
        Terminate();
        ReleaseClosedForm();
    }
    input_.reset();
    inputTarget_.reset();
    lobby_.reset();
}

}  // namespace orbitfall
