#include "shell/game/window_shell.h"

#include <FL/Fl.H>

#include <chrono>
#include <cstdio>
#include <thread>

#include "control/controller.h"
#include "infra/errors.h"
#include "platform/message_box.h"

namespace orbitfall {

namespace {
// Sockets are polled from the FLTK loop at least this often.
constexpr double SocketPollSeconds = 0.001;

void PollSockets(void* loop) {
    static_cast<TEventLoop*>(loop)->Poll();
    Fl::repeat_timeout(SocketPollSeconds, PollSockets, loop);
}
}  // namespace

TWindowShell::TWindowShell(TFormSettings settings) : settings_(std::move(settings)) {
    ErrorBox = [](const std::string& message) { TFltkMessageBox().ShowError(message); };
    Fl::add_timeout(SocketPollSeconds, PollSockets, &loop_);
}

TWindowShell::~TWindowShell() {
    Fl::remove_timeout(PollSockets, &loop_);
    form_.reset();
}

void TWindowShell::CreateGameWindow(TGame& game) {
    TController* controller = FrameController ? FrameController : orbitfall::Controller;
    if (!controller) throw Exception("No controller for the game window");
    // A window left from an earlier game goes first (its frames have ended).
    if (form_) {
        form_->FormClose();
        form_.reset();
    }
    form_ = std::make_unique<TForm1>(*controller, *this, settings_);
    form_->SetInput(Input);
    form_->FormCreate(game);
}

void TWindowShell::SetFrameInterval(int milliseconds) {
    // A tool's --frame-ms stands.
    if (form_ && !settings_.FrameMsFixed) form_->Timer1.SetInterval(milliseconds);
}

void TWindowShell::ProcessMessages() {
    Fl::check();
    loop_.Poll();
}

void TWindowShell::Sleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::uint32_t TWindowShell::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TWindowShell::ShowError(const std::string& message) {
    if (settings_.ExitAfter >= 0) {
        std::fprintf(stderr, "%s\n", message.c_str());
        failed_ = true;
        if (form_) form_->FormClose();
        return;
    }
    ErrorBox(message);
}

void TWindowShell::ReleaseClosedForm() {
    if (!form_ || !form_->Closed()) return;
    // After an error the frame flag stays set, but no frame is running.
    if (form_->FrameLoop().InFrame() && !form_->FrameLoop().Stopped()) return;
    form_.reset();
}

void TWindowShell::RunLoopTurn(double seconds) {
    try {
        Fl::wait(seconds);
    } catch (const std::exception& e) {
        if (form_) form_->ExceptionHandler(e);
        else ShowError(e.what());
    }
}

void TWindowShell::RunWhileWindowOpen() {
    while (form_ && !form_->Closed() && !terminated_) RunLoopTurn(0.1);
    if (form_) form_->FormClose();
    ReleaseClosedForm();
}

void TWindowShell::Terminate() {
    terminated_ = true;
    if (form_) form_->FormClose();
}

}  // namespace orbitfall
