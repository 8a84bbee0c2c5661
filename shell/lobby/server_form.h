#pragma once
// The server selection window: open a game here, or join a host chosen from
// the list or typed in. Shown modally by the start-up until a network
// controller could be created; keeps its texts between showings.
//
// The list holds the games that answer on the local network (asked when the
// window opens, on Update and every 20 seconds), then the hosts joined
// before and those of Hosts.txt. Asking never blocks the window: the answers
// arrive on the event loop and are listed as they come.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>

#include "control/discovery_round.h"

namespace orbitfall {

class TEventLoop;
class TGameFinder;

class Tserverform : public Fl_Double_Window {
public:
    // Without a loop, only the remembered hosts are listed. port: where games
    // are asked for (the game port of this copy).
    explicit Tserverform(TEventLoop* loop = nullptr, int port = 6112);
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

    // How long answers to one query are collected.
    static constexpr double AnswerWindowSeconds = 1.5;
    static constexpr std::chrono::milliseconds RebuildSpell{100};
    static constexpr int RebuildsPerSpell = 4;

private:
    // A line of Hosts and what a click on it puts into Host.
    struct TEntry {
        std::string Label;
        std::string HostText;
    };

    void CloseWithResult(bool ok);
    static void TimerTick(void* self);
    static void RoundOver(void* self);
    static void RebuildDue(void* self);
    // Answers may come in floods: the list is rebuilt on the next turn of
    // the loop, but no more than RebuildsPerSpell times in RebuildSpell;
    // later changes wait for the next spell.
    void ScheduleRebuild();
    void Rebuild();

    int port_;
    std::unique_ptr<TGameFinder> finder_;
    // The games of the last finished round stay listed until the running one ends.
    std::vector<TFoundGame> previous_;
    std::vector<std::string> remembered_;
    std::vector<TEntry> entries_;
    std::vector<std::string> logged_;
    bool modalOk_ = false;
    double timerInterval_ = 0.001;
    bool timerRunning_ = false;
    bool roundRunning_ = false;
    bool rebuildPending_ = false;
    std::chrono::steady_clock::time_point spellStart_{};
    int rebuildsInSpell_ = 0;
};

}  // namespace orbitfall
