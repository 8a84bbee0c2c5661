#pragma once
// The server selection window: open a game here, or join a host chosen from
// the list or typed in. Shown modally by the start-up until a network
// controller could be created; keeps its texts between showings.
#include <memory>
#include <string>

#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>

namespace orbitfall {

class Tserverform : public Fl_Double_Window {
public:
    Tserverform();
    ~Tserverform() override;

    // Shows the window modally; true when it was closed with OK (Open, Join
    // or a double click on a host), false when the user closed it.
    bool ShowModal();
    // The host text: empty means this machine hosts.
    std::string HostText() const { return Host->value(); }

    Fl_Input* Host;
    Fl_Hold_Browser* Hosts;
    Fl_Button* Open;
    Fl_Button* Join;
    Fl_Button* Upd;

    // The timer's and the Update button's event.
    void Update();
    void HostsClick();
    void HostsDblClick();
    void OpenClick();

private:
    void CloseWithResult(bool ok);
    static void TimerTick(void* self);

    bool modalOk_ = false;
    double timerInterval_ = 0.001;
    bool timerRunning_ = false;
};

}  // namespace orbitfall
