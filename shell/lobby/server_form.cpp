#include "shell/lobby/server_form.h"

#include <vector>

#include <FL/Fl.H>

#include "control/network_adapter.h"
#include "shell/escape_key.h"

namespace orbitfall {

Tserverform::Tserverform() : Fl_Double_Window(176, 233, "Serverauswahl") {
    Host = new Fl_Input(8, 8, 161, 21);
    Host->value("Host");
    Hosts = new Fl_Hold_Browser(8, 40, 161, 153);
    // Host names are shown as they are: no '@' formatting codes.
    Hosts->format_char(0);
    Hosts->when(FL_WHEN_CHANGED | FL_WHEN_NOT_CHANGED);
    Hosts->callback(
        [](Fl_Widget*, void* self) {
            auto* form = static_cast<Tserverform*>(self);
            if (form->Hosts->value() == 0) return;
            if (Fl::event() == FL_RELEASE && Fl::event_clicks() > 0) form->HostsDblClick();
            else form->HostsClick();
        },
        this);
    Open = new Fl_Button(8, 200, 49, 25, "Open");
    Open->callback([](Fl_Widget*, void* self) { static_cast<Tserverform*>(self)->OpenClick(); }, this);
    Join = new Fl_Button(64, 200, 49, 25, "Join");
    Join->callback([](Fl_Widget*, void* self) { static_cast<Tserverform*>(self)->CloseWithResult(true); },
                   this);
    Upd = new Fl_Button(120, 200, 49, 25, "Update");
    Upd->callback([](Fl_Widget*, void* self) { static_cast<Tserverform*>(self)->Update(); }, this);
    end();
    // A fixed dialog border with only the close button; centred on the screen.
    size_range(w(), h(), w(), h());
    position((Fl::w() - w()) / 2, (Fl::h() - h()) / 2);
    // The close box gives up; Escape does nothing (FLTK would close the
    // window on it as on the close box).
    callback(
        [](Fl_Widget*, void* self) {
            if (IsEscapeKeyClose()) return;
            static_cast<Tserverform*>(self)->CloseWithResult(false);
        },
        this);

    Fl::add_timeout(timerInterval_, TimerTick, this);
    timerRunning_ = true;
}

Tserverform::~Tserverform() {
    if (timerRunning_) Fl::remove_timeout(TimerTick, this);
}

void Tserverform::TimerTick(void* self) {
    auto* form = static_cast<Tserverform*>(self);
    form->Update();
    Fl::repeat_timeout(form->timerInterval_, TimerTick, self);
}

void Tserverform::Update() {
    if (!Upd->active()) return;
    timerInterval_ = 20.0;
    Upd->deactivate();
    std::vector<std::string> names;
    // Reading the list fails only in ways that leave it short (the files are
    // a convenience); the button must come back either way.
    try {
        TTcpAdapter::EnumerateHosts(names, true);
    } catch (const std::exception&) {
    }
    Hosts->clear();
    for (const std::string& name : names) Hosts->add(name.c_str());
    Upd->activate();
}

void Tserverform::HostsClick() {
    if (const int line = Hosts->value()) Host->value(Hosts->text(line));
}

void Tserverform::HostsDblClick() {
    HostsClick();
    CloseWithResult(true);
}

void Tserverform::OpenClick() {
    Host->value("");
    CloseWithResult(true);
}

void Tserverform::CloseWithResult(bool ok) {
    modalOk_ = ok;
    hide();
}

bool Tserverform::ShowModal() {
    modalOk_ = false;
    set_modal();
    show();
    while (shown()) Fl::wait(0.01);
    return modalOk_;
}

}  // namespace orbitfall
